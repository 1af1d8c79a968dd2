// Scenario "history": what the history of changes costs. Save of a month,
// import of a month over the stored one and delete of a month, each timed with
// the history recorded and with it switched off (ChangeOperation::setRecording:
// the same code without any history statement or text), in pairs run back to
// back, which of the pair goes first alternating, 21 rounds; the figure is
//   history_<operation> <median with history> <median without> <ratio> ...
// with the statements one run sends with the history. Then the bytes the
// history takes per changed row: the size before and after imports that
// replace a month with itself (so the data stays the size it was), divided by
// the rows they recorded.
#include "bench/bench.h"
#include "bench/month_operations.h"
#include "db/change_operation.h"
#include "db/database.h"
#include "db/schema.h"

#include <QElapsedTimer>
#include <QSqlQuery>
#include <QVariant>

#include <algorithm>
#include <cstdio>

namespace {

constexpr int Rounds = 21;
constexpr int SizeImports = 5;

double median(QList<double> times)
{
    std::sort(times.begin(), times.end());
    return times.isEmpty() ? 0 : times.at(times.size() / 2);
}

double timed(const MonthOperations::Operation &o, bool recording, bool *ok)
{
    ChangeOperation::setRecording(recording);
    o.setup();
    QElapsedTimer timer;
    timer.start();
    *ok = o.work() && *ok;
    const double ms = timer.nsecsElapsed() / 1e6;
    ChangeOperation::setRecording(true);
    return ms;
}

qint64 scalar(const QString &sql)
{
    QSqlQuery q(Database::connection());
    return q.exec(sql) && q.next() ? q.value(0).toLongLong() : -1;
}

// The bytes the database (SQLite: its pages in use) or the history's tables
// with their indexes (a server: the data's dead rows wait for the vacuum and
// would count too) take now.
qint64 storedBytes(bool onServer)
{
    if (onServer) {
        return scalar(QStringLiteral("select pg_total_relation_size('%1') + pg_total_relation_size('%2')")
                          .arg(QString::fromLatin1(Schema::ChangeLog).toLower(),
                               QString::fromLatin1(Schema::ChangeRow).toLower()));
    }
    return (scalar(QStringLiteral("pragma page_count")) - scalar(QStringLiteral("pragma freelist_count")))
        * scalar(QStringLiteral("pragma page_size"));
}

QList<BenchFigure> runHistory(BenchContext &context)
{
    QList<BenchFigure> figures;
    MonthOperations months(context);
    if (!months.isValid())
        return figures;
    for (const MonthOperations::Operation &o : months.operations()) {
        if (!o.name.startsWith(u"save_") && !o.name.startsWith(u"county_") && !o.name.startsWith(u"delete_")
            && !o.name.startsWith(u"import_B05"))
            continue;
        QList<double> on;
        QList<double> off;
        bool ok = true;
        for (int round = 0; round < Rounds; ++round) {
            const bool onFirst = round % 2 == 0;
            (onFirst ? on : off).append(timed(o, onFirst, &ok));
            (onFirst ? off : on).append(timed(o, !onFirst, &ok));
        }
        const Bench::Measured counted = Bench::measure(0, [&] { ok = o.work() && ok; }, o.setup);
        if (!ok)
            std::fprintf(stderr, "history: %s failed\n", qPrintable(o.name));
        figures.append({QStringLiteral("history_") + o.name, median(on), median(off), counted.statements});
    }

    const MonthOperations::Operation *import = months.find(QStringLiteral("import_B05_2200_lines"));
    if (import) {
        const QString rows = QStringLiteral("select coalesce(sum(ROWS_CHANGED), 0) from %1")
                                 .arg(QString::fromLatin1(Schema::ChangeLog));
        months.cleanUp();
        const qint64 bytesBefore = storedBytes(context.onServer);
        const qint64 rowsBefore = scalar(rows);
        bool ok = true;
        for (int i = 0; i < SizeImports; ++i)
            ok = import->work() && ok;
        const qint64 changed = scalar(rows) - rowsBefore;
        const qint64 grown = storedBytes(context.onServer) - bytesBefore;
        std::printf("# history size: %lld bytes for %lld changed rows of %d imports: %.0f bytes per changed row\n",
                    static_cast<long long>(grown), static_cast<long long>(changed), SizeImports,
                    changed > 0 && ok ? double(grown) / double(changed) : 0.0);
    }
    return figures;
}

const BenchScenario::Registrar registrar({QStringLiteral("history"), runHistory, true});

} // namespace
