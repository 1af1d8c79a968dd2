#pragma once

#include "bench/bench.h"
#include "bench/bench_tab.h"

#include <QList>
#include <QString>
#include <functional>
#include <memory>

// The operations a user waits for on a month, as statements sent to the
// engine they are the same work on SQLite and on a server: the operating
// month queried, added and saved (500 rows) and deleted, the county month
// (2,200 rows) saved and deleted, the month's declaration files imported over
// the stored month (B05 of 2,200 lines, B01 of 500), and the operating check of
// a month. Each through the real tab, import or check on the application
// connection; each `work` leaves the database as its `setup` expects it next,
// and the last `setup` of a run (cleanUp) puts the database back as generated.
//
// Only statements of standard SQL in the setups, so that they run on both.
class MonthOperations
{
public:
    struct Operation
    {
        QString name;
        int repeats = 5;
        std::function<void()> setup;
        std::function<bool()> work;   // false: it failed (said on standard error)
    };

    explicit MonthOperations(BenchContext &context);
    ~MonthOperations();

    // False when the tabs cannot be opened or the files not written.
    bool isValid() const { return m_valid; }
    const QList<Operation> &operations() const { return m_operations; }
    // One operation by name (nullptr when unknown).
    const Operation *find(const QString &name) const;
    // Removes the added months again.
    void cleanUp();

private:
    void addTabOperations();
    void addImportOperations();
    bool exec(const QString &sql) const;

    BenchContext &m_context;
    BenchTab m_operating;
    BenchTab m_county;
    QString m_importFolder;
    QList<Operation> m_operations;
    bool m_valid = false;
};
