// Scenario "engines": the operations of a month (MonthOperations) on the
// database the bench runs on, SQLite or a server, each with the statements one
// run sends to the engine. There is no plain baseline here (the baseline
// column is 0): the figures compare the two engines, run side by side.
#include "bench/bench.h"
#include "bench/month_operations.h"

#include <cstdio>

namespace {

QList<BenchFigure> runEngines(BenchContext &context)
{
    QList<BenchFigure> figures;
    MonthOperations months(context);
    if (!months.isValid())
        return figures;
    for (const MonthOperations::Operation &o : months.operations()) {
        bool ok = true;
        const Bench::Measured m = Bench::measure(o.repeats, [&] { ok = o.work() && ok; }, o.setup);
        if (!ok)
            std::fprintf(stderr, "engines: %s failed\n", qPrintable(o.name));
        figures.append({o.name, m.ms, 0, m.statements});
    }
    return figures;
}

const BenchScenario::Registrar registrar({QStringLiteral("engines"), runEngines, true});

} // namespace
