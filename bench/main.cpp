#include "bench/bench.h"
#include "bench/bench_database.h"
#include "db/database.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>

namespace {

QList<BenchScenario> &registry()
{
    static QList<BenchScenario> scenarios;
    return scenarios;
}

} // namespace

const QList<BenchScenario> &BenchScenario::all() { return registry(); }

BenchScenario::Registrar::Registrar(BenchScenario scenario)
{
    registry().append(std::move(scenario));
}

double Bench::medianMs(int repeats, const std::function<void()> &work, const std::function<void()> &setup)
{
    QList<double> times;
    for (int i = 0; i < std::max(repeats, 1); ++i) {
        if (setup)
            setup();
        QElapsedTimer timer;
        timer.start();
        work();
        times.append(timer.nsecsElapsed() / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times.at(times.size() / 2);
}

int main(int argc, char *argv[])
{
    // Offscreen unless told otherwise: scenarios drive real tabs without a display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList wanted = app.arguments().mid(1);
    if (wanted.contains(QStringLiteral("--help"))) {
        std::printf("velq8-bench [SCENARIO ...]\nScenarios:");
        for (const BenchScenario &s : BenchScenario::all())
            std::printf(" %s", qPrintable(s.name));
        std::printf("\nPrints: <scenario> <ours in ms> <baseline in ms> <ratio>\n");
        return 0;
    }
    for (const QString &name : wanted) {
        const bool known = std::any_of(BenchScenario::all().begin(), BenchScenario::all().end(),
                                       [&](const BenchScenario &s) { return s.name == name; });
        if (!known) {
            std::fprintf(stderr, "unknown scenario: %s\n", qPrintable(name));
            return 2;
        }
    }

    QTemporaryDir dir;
    BenchContext context{dir.path(), dir.filePath(QStringLiteral("bench.sqlite"))};
    QElapsedTimer timer;
    timer.start();
    QString error;
    if (!BenchDatabase::generate(context.databaseFile, &error)) {
        std::fprintf(stderr, "generating the database failed: %s\n", qPrintable(error));
        return 2;
    }
    std::fprintf(stderr, "# generated database in %.0f ms: %s\n", timer.nsecsElapsed() / 1e6,
                 qPrintable(context.databaseFile));
    if (!Database::open(context.databaseFile, &error)) {
        std::fprintf(stderr, "opening the database failed: %s\n", qPrintable(error));
        return 2;
    }
    std::printf("# scenario ours_ms baseline_ms ratio\n");
    for (const BenchScenario &s : BenchScenario::all()) {
        if (!wanted.isEmpty() && !wanted.contains(s.name))
            continue;
        for (const BenchFigure &f : s.run(context)) {
            std::printf("%s %.3f %.3f %.2f\n", qPrintable(f.scenario), f.oursMs, f.baselineMs,
                        f.baselineMs > 0 ? f.oursMs / f.baselineMs : 0.0);
            std::fflush(stdout);
        }
    }
    Database::close();
    return 0;
}
