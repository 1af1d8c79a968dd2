#pragma once

#include <QList>
#include <QString>
#include <functional>
#include <optional>

// velq8-bench: times the operations a user waits for on a generated database
// and prints each beside a plain-SQLite (or plain C) baseline doing the same
// work in the same run:  <scenario> <ours in ms> <baseline in ms> <ratio>
//
// Scenarios live in files of their own and register with a static
// BenchScenario::Registrar.
struct BenchContext
{
    QString folder;         // temporary folder of this run
    QString databaseFile;   // the generated database (see bench_database.h)
    int years = 20;         // the years of data it holds (--years N)
    bool onServer = false;  // databaseFile is a server database's URL (--server)
    // The generated database is open as the application connection while scenarios
    // run; a scenario that changes it must put it back as it was.
};

namespace Bench {

// The resident memory of the process from /proc/self/status, in MB: now
// (VmRSS) and the peak since resetPeak() (VmHWM).
struct Memory
{
    double residentMb = 0;
    double peakMb = 0;
};

} // namespace Bench

struct BenchFigure
{
    QString scenario;
    double oursMs = 0;
    double baselineMs = 0;
    // The statements the operation sends to the engine (StatementCount); -1:
    // not counted.
    long long statements = -1;
    // The memory of each side, where the scenario measured them in phases of
    // their own (Bench::phase()): the resident size at the end of the side's
    // phase and the peak during it. Unset: main prints the memory of the whole
    // scenario, both sides together, as ours and "-" for the baseline.
    std::optional<Bench::Memory> oursMemory;
    std::optional<Bench::Memory> baselineMemory;
};

struct BenchScenario
{
    QString name;
    std::function<QList<BenchFigure>(BenchContext &)> run;
    // Runs on a server database as well; the others compare with plain SQLite
    // on the file and run on SQLite only.
    bool bothEngines = false;

    static const QList<BenchScenario> &all();

    struct Registrar
    {
        explicit Registrar(BenchScenario scenario);
    };
};

namespace Bench {

Memory memory();
// Gives the heap that is free back to the system, then starts a new peak
// (VmHWM) at the present resident size, where the system allows it: what a
// phase after it shows is what that phase holds.
void resetPeak();
// Runs one side of a scenario in a phase of its own: the peak starts anew
// before `work`, and the memory is read right after it (the resident size
// while what `work` left behind is still held, the peak during it).
Memory phase(const std::function<void()> &work);

// Median wall time in milliseconds of `repeats` runs of `work`; `setup` runs
// before each run and is not timed.
double medianMs(int repeats, const std::function<void()> &work,
                const std::function<void()> &setup = {});

// The median as above, and the statements one run sends to the engine of the
// application connection, counted in one more run (setup and work) after the
// timed ones, so that the count does not weigh on the time.
struct Measured
{
    double ms = 0;
    long long statements = -1;
    // The memory of each side, where the scenario measured them in phases of
    // their own (Bench::phase()): the resident size at the end of the side's
    // phase and the peak during it. Unset: main prints the memory of the whole
    // scenario, both sides together, as ours and "-" for the baseline.
    std::optional<Bench::Memory> oursMemory;
    std::optional<Bench::Memory> baselineMemory;
};
Measured measure(int repeats, const std::function<void()> &work, const std::function<void()> &setup = {});

} // namespace Bench
