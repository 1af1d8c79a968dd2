#pragma once

#include "db/cached_row.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QVariant>

class FieldKinds;
class QSqlDatabase;
class QSqlQuery;
struct TableDef;

// Writes the changed rows of a cache to the database with the dataset's insert,
// modify and delete statements, all rows or none.
//
// A statement's named parameters are bound per row: ":OLD_<FIELD>" to the
// row's original value of the field (how the modify and delete statements find
// the stored row), ":<FIELD>" to its current value, any other name to the
// dataset's parameter of that name, else NULL. Deletions run first, then
// modifications, then insertions, each in storage order, so that a row may take
// the key another row gave up in the same apply. A modify or delete that finds
// no stored row fails: the generic statements find a row by every value read
// (Schema::modifyStatement), so a row another writer changed or deleted since it
// was read is refused with EngineMessage::changedByOther() and the row's key. Before anything is written, every text the insert and
// modify statements would write is checked against its field (width in Big5
// bytes, characters Big5 has).
//
// Inserts go in batches: an insert statement of the form "insert into T (a, b)
// values (:A, :B)" is sent as one statement of up to insertBatch rows ("values
// (?, ?), (?, ?), ..."), standard SQL for either engine; another form goes row
// by row. When a batch fails, the whole apply is rolled back and run again row
// by row, so that the message is the failing row's own.
//
// The statements run under one savepoint: a transaction of its own, or a part
// of the caller's transaction when one is running. On failure the savepoint is
// rolled back (the caller's transaction stays for the caller to end) and error()
// holds the engine's message. The rows themselves are never changed here.
//
// An applier lives for one apply: it keeps references to the fields and
// parameters it is given.
class UpdateApplier
{
public:
    struct Statements
    {
        QString insertSql;
        QString modifySql;
        QString deleteSql;
    };

    // The generic statements of a schema table for a dataset that reads `fields`:
    // the modify statement sets only the table's fields the dataset read, so
    // that a field it did not read keeps its stored value.
    static Statements forTable(const TableDef &table, const FieldKinds &fields);

    UpdateApplier(const QString &connectionName, const Statements &statements, const FieldKinds &fields,
                  const QHash<QString, QVariant> &params);
    ~UpdateApplier();

    bool apply(const QList<CachedRow> &rows);
    QString error() const { return m_error; }

    // Rows per multi-row insert statement.
    static constexpr int InsertBatch = 50;
    // The statements every applier of the process has sent so far (what the
    // bench reads to count a save's round trips).
    static quint64 statementsSent();

private:
    struct Binding;
    struct Step;
    QList<Binding> bindingsFor(const QString &sql) const;
    bool checkTexts(const Step &step);
    bool run(QSqlQuery &query, const Step &step, const CachedRow &row);
    // The rows of `step` as one multi-row statement per batch: false when the
    // insert statement has no such form (then nothing was sent) or a batch
    // failed (*sent true, error() the engine's message).
    bool runBatched(const QSqlDatabase &db, const Step &step, bool *sent);
    // Every step (`batched`: the inserts by runBatched where they can).
    bool runSteps(const QSqlDatabase &db, const Step *steps, int count, bool batched);
    QVariant boundValue(const Binding &binding, const CachedRow &row) const;
    // "KEY=value, ..." of the row's key fields among the bindings of `source`.
    QString rowKey(const Step &step, const CachedRow &row, bool old) const;
    bool fail(const QString &error);

    QString m_connectionName;
    Statements m_statements;
    const FieldKinds &m_fields;
    const QHash<QString, QVariant> &m_params;   // key: upper-case name without ':'
    QString m_error;
};
