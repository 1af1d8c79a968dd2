#include "bench/bench.h"
#include "bench/bench_database.h"
#include "bench/server_database.h"
#include "bench/statement_count.h"
#include "db/database.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <malloc.h>
#include <memory>

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

Bench::Measured Bench::measure(int repeats, const std::function<void()> &work, const std::function<void()> &setup)
{
    Measured m;
    m.ms = medianMs(repeats, work, setup);
    if (setup)
        setup();
    StatementCount count(Database::connectionName());
    work();
    m.statements = count.sent();
    return m;
}

Bench::Memory Bench::memory()
{
    Memory m;
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return m;
    for (const QByteArray &line : status.readAll().split('\n')) {
        const QList<QByteArray> parts = line.simplified().split(' ');
        if (parts.size() < 2)
            continue;
        if (parts.at(0) == "VmRSS:")
            m.residentMb = parts.at(1).toDouble() / 1024.0;
        else if (parts.at(0) == "VmHWM:")
            m.peakMb = parts.at(1).toDouble() / 1024.0;
    }
    return m;
}

void Bench::resetPeak()
{
    // What an earlier phase freed may still be counted as resident until the
    // allocator returns it.
    malloc_trim(0);
    // "5" resets the peak resident size (Linux 4.0 and later).
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
}

Bench::Memory Bench::phase(const std::function<void()> &work)
{
    resetPeak();
    work();
    return memory();
}

namespace {

void printMemory(const std::optional<Bench::Memory> &m)
{
    if (m)
        std::printf(" %.0f %.0f", m->residentMb, m->peakMb);
    else
        std::printf(" - -");
}

} // namespace

int main(int argc, char *argv[])
{
    // Offscreen unless told otherwise: scenarios drive real tabs without a display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QStringList wanted = app.arguments().mid(1);
    int years = BenchDatabase::DefaultYears;
    const qsizetype yearsAt = wanted.indexOf(QStringLiteral("--years"));
    if (yearsAt >= 0) {
        bool ok = false;
        years = wanted.value(yearsAt + 1).toInt(&ok);
        if (!ok || years < 1 || years > 50) {
            std::fprintf(stderr, "--years takes a number of years from 1 to 50\n");
            return 2;
        }
        wanted.remove(yearsAt, 2);
    }
    QString server;
    const qsizetype serverAt = wanted.indexOf(QStringLiteral("--server"));
    if (serverAt >= 0) {
        server = wanted.value(serverAt + 1);
        if (!Database::isServer(server)) {
            std::fprintf(stderr, "--server takes a server URL: postgresql://user@host:port\n");
            return 2;
        }
        wanted.remove(serverAt, 2);
    }
    if (wanted.contains(QStringLiteral("--help"))) {
        std::printf("velq8-bench [--years N] [--server postgresql://user@host:port] [SCENARIO ...]\nScenarios:");
        for (const BenchScenario &s : BenchScenario::all())
            std::printf(" %s%s", qPrintable(s.name), s.bothEngines ? "*" : "");
        std::printf("\n(* also on a server: with --server only these run, on a fresh database made\n"
                    "on that server and dropped again)\n"
                    "Prints: <scenario> <ours in ms> <baseline in ms> <ratio> <our resident MB> <our peak MB>\n"
                    "        <baseline resident MB> <baseline peak MB> [statements]\n"
                    "Where a scenario measures each side in a phase of its own, the resident size is the\n"
                    "process's at the end of that side's phase (what it still holds) and the peak the\n"
                    "highest during it; where the baseline's columns show \"-\", our columns are the\n"
                    "whole scenario's, both sides together (after its figures; the peak since it began).\n"
                    "The statements are those one run of the operation sends to the engine, where counted.\n");
        return 0;
    }
    for (const QString &name : wanted) {
        const auto found = std::find_if(BenchScenario::all().begin(), BenchScenario::all().end(),
                                        [&](const BenchScenario &s) { return s.name == name; });
        if (found == BenchScenario::all().end()) {
            std::fprintf(stderr, "unknown scenario: %s\n", qPrintable(name));
            return 2;
        }
        if (!server.isEmpty() && !found->bothEngines) {
            std::fprintf(stderr, "the scenario %s compares with plain SQLite and runs on SQLite only\n",
                         qPrintable(name));
            return 2;
        }
    }

    QTemporaryDir dir;
    BenchContext context{dir.path(), dir.filePath(QStringLiteral("bench.sqlite")), years};
    std::unique_ptr<ServerDatabase> serverDatabase;
    if (!server.isEmpty()) {
        serverDatabase = std::make_unique<ServerDatabase>(server);
        if (!serverDatabase->isValid()) {
            std::fprintf(stderr, "making the server database failed: %s\n", qPrintable(serverDatabase->error()));
            return 2;
        }
        context.databaseFile = serverDatabase->url();
        context.onServer = true;
    }
    QElapsedTimer timer;
    timer.start();
    QString error;
    if (!BenchDatabase::generate(context.databaseFile, years, &error)) {
        std::fprintf(stderr, "generating the database failed: %s\n", qPrintable(error));
        return 2;
    }
    std::fprintf(stderr, "# generated database of %d years in %.0f ms: %s\n", years, timer.nsecsElapsed() / 1e6,
                 qPrintable(Database::displayLocation(context.databaseFile)));
    if (!Database::open(context.databaseFile, &error)) {
        std::fprintf(stderr, "opening the database failed: %s\n", qPrintable(error));
        return 2;
    }
    std::printf("# years %d on %s\n# scenario ours_ms baseline_ms ratio ours_rss_mb ours_hwm_mb base_rss_mb "
                "base_hwm_mb [statements]\n",
                years, context.onServer ? "a server" : "SQLite");
    for (const BenchScenario &s : BenchScenario::all()) {
        if ((!wanted.isEmpty() && !wanted.contains(s.name)) || (context.onServer && !s.bothEngines))
            continue;
        Bench::resetPeak();
        for (const BenchFigure &f : s.run(context)) {
            std::printf("%s %.3f %.3f %.2f", qPrintable(f.scenario), f.oursMs, f.baselineMs,
                        f.baselineMs > 0 ? f.oursMs / f.baselineMs : 0.0);
            printMemory(f.oursMemory ? f.oursMemory : std::optional(Bench::memory()));
            printMemory(f.oursMemory ? f.baselineMemory : std::nullopt);
            if (f.statements >= 0)
                std::printf(" %lld", f.statements);
            std::printf("\n");
            std::fflush(stdout);
        }
    }
    Database::close();
    return 0;
}
