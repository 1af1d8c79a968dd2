// velq8-stress: several writers on one database for a bounded time, some killed
// midway, then every month checked whole. Run by scripts/stress.sh, not by CI.
//
//   velq8-stress --cli VELQ8_CLI --database LOCATION --work DIR [--seconds N] [--workers N]
//   velq8-stress --delete-month LOCATION YEAR MONTH BANK      (one writer: see month_delete.h)
//
// The writers are separate processes, as desks are: velq8-cli imports of a month
// (with and without --replace) and month deletes as the month tab makes them,
// picked at random over a few months; one operation in eight is killed with
// SIGKILL after a random moment. Each month's file variant has its own row count
// and its own amount on every row, so a month mixed from two writers shows.
#include "tests/stress/month_delete.h"

#include "db/database.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QRandomGenerator>
#include <QSqlQuery>
#include <QTextStream>
#include <QThread>
#include <memory>

namespace {

constexpr int Year = 114;
constexpr int Months = 4;
constexpr int Variants = 3;
const QString Bank = QStringLiteral("995");   // the sample institution
const QString FileBank = QStringLiteral("9950000");   // as its files are named

QTextStream out(stdout);

double marker(int month, int variant) { return 100000.0 * (variant + 1) + month; }

struct Op
{
    enum Kind { Replace, Import, Delete } kind;
    int month = 0;
    int variant = -1;
    qint64 start = 0, end = -1;
    qint64 killAt = -1;       // ms since the run began; -1: left to finish
    int status = -1;          // exit status; -1 killed
    std::unique_ptr<QProcess> process;
};

bool run(const QString &program, const QStringList &args)
{
    QProcess p;
    p.start(program, args);
    if (p.waitForFinished(120000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0)
        return true;
    out << "failed: " << program << ' ' << args.join(u' ') << "\n" << p.readAllStandardError() << "\n";
    return false;
}

// The month files: the sample month's accounts as month m of Year, variant v
// keeping all but 3v of its rows, each with the amount marker(m, v).
bool makeFiles(const QString &cli, const QString &work, QList<int> *rowsOf)
{
    const QString prep = work + QStringLiteral("/prep.sqlite");
    QFile::remove(prep);
    if (!run(cli, {"--database", prep, "init"}))
        return false;
    QString error;
    if (!Database::open(prep, &error, "prep")) {
        out << error << "\n";
        return false;
    }
    QSqlQuery q(Database::connection("prep"));
    q.exec("select count(*) from MPBANK where M_YEAR = 115 and M_MONTH = 10");
    const int sample = q.next() ? q.value(0).toInt() : 0;
    for (int v = 0; v < Variants; ++v) {
        const int rows = sample - 3 * v;
        rowsOf->append(rows);
        for (int m = 1; m <= Months; ++m) {
            q.exec(QStringLiteral("delete from MPBANK where M_YEAR = %1 and M_MONTH = %2").arg(Year).arg(m));
            q.exec(QStringLiteral("insert into MPBANK (M_YEAR, M_MONTH, BANK_CODE, ACC_CODE, AMT, SERIAL) "
                                  "select %1, %2, BANK_CODE, ACC_CODE, %3, SERIAL from MPBANK "
                                  "where M_YEAR = 115 and M_MONTH = 10 order by rowid limit %4")
                       .arg(Year).arg(m).arg(marker(m, v), 0, 'f', 0).arg(rows));
        }
        Database::close("prep");
        QDir().mkpath(work + QStringLiteral("/v%1").arg(v));
        for (int m = 1; m <= Months; ++m) {
            if (!run(cli, {"--database", prep, "export", "--year", QString::number(Year), "--month",
                           QString::number(m), "--kinds", "B01", "--dir", work + QStringLiteral("/v%1").arg(v),
                           "--overwrite"}))
                return false;
        }
        if (!Database::open(prep, &error, "prep"))
            return false;
        q = QSqlQuery(Database::connection("prep"));
    }
    Database::close("prep");
    return sample > 3 * Variants;
}

QString fileOf(const QString &work, int month, int variant)
{
    return work + QStringLiteral("/v%1/B01%2%3%4").arg(variant).arg(FileBank).arg(Year).arg(month, 2, 10, QChar(u'0'));
}

void startOp(Op &op, const QString &cli, const QString &location, const QString &work, qint64 now)
{
    auto *rng = QRandomGenerator::global();
    const int pick = rng->bounded(10);
    op.kind = pick < 5 ? Op::Replace : pick < 7 ? Op::Import : Op::Delete;
    op.month = 1 + rng->bounded(Months);
    op.variant = op.kind == Op::Delete ? -1 : rng->bounded(Variants);
    op.start = now;
    op.killAt = rng->bounded(8) == 0 ? now + rng->bounded(300) : -1;
    op.process = std::make_unique<QProcess>();
    // What the writers say (their refusals) goes to a log, for a look afterwards.
    op.process->setStandardOutputFile(QProcess::nullDevice());
    op.process->setStandardErrorFile(work + QStringLiteral("/writers.log"), QIODevice::Append);
    if (op.kind == Op::Delete) {
        op.process->start(QCoreApplication::applicationFilePath(),
                          {"--delete-month", location, QString::number(Year), QString::number(op.month), Bank});
    } else {
        QStringList args{"--database", location, "import", fileOf(work, op.month, op.variant), "--kind", "B01"};
        if (op.kind == Op::Replace)
            args << "--replace";
        op.process->start(cli, args);
    }
}

// What a month holds: -1 nothing, a variant, or -2 a mix / no variant at all.
int monthState(int month, const QList<int> &rowsOf)
{
    QSqlQuery q(Database::connection());
    q.exec(QStringLiteral("select count(*), min(AMT), max(AMT) from MPBANK where M_YEAR = %1 and M_MONTH = %2 "
                          "and BANK_CODE = '%3'").arg(Year).arg(month).arg(Bank));
    if (!q.next() || q.value(0).toInt() == 0)
        return -1;
    for (int v = 0; v < Variants; ++v) {
        if (q.value(1).toDouble() == marker(month, v) && q.value(2).toDouble() == marker(month, v)
            && q.value(0).toInt() == rowsOf.at(v))
            return v;
    }
    return -2;
}

int stress(const QString &cli, const QString &location, const QString &work, int seconds, int workers)
{
    QList<int> rowsOf;
    if (!QDir().mkpath(work) || !makeFiles(cli, work, &rowsOf))
        return 2;
    if (!location.contains(QStringLiteral("://")) && QFile::exists(location))
        QFile::remove(location);
    if (!run(cli, {"--database", location, "init"}))
        return 2;
    QFile::remove(work + QStringLiteral("/writers.log"));

    std::vector<std::unique_ptr<Op>> done, running;
    QElapsedTimer clock;
    clock.start();
    int kills = 0;
    while (clock.elapsed() < seconds * 1000LL || !running.empty()) {
        while (clock.elapsed() < seconds * 1000LL && int(running.size()) < workers) {
            running.push_back(std::make_unique<Op>());
            startOp(*running.back(), cli, location, work, clock.elapsed());
        }
        QThread::msleep(5);
        for (auto it = running.begin(); it != running.end();) {
            Op &op = **it;
            if (op.killAt >= 0 && clock.elapsed() >= op.killAt && op.process->state() != QProcess::NotRunning) {
                op.process->kill();
                ++kills;
                op.killAt = -1;
            }
            if (!op.process->waitForFinished(0) && op.process->state() != QProcess::NotRunning) {
                ++it;
                continue;
            }
            op.end = clock.elapsed();
            op.status = op.process->exitStatus() == QProcess::NormalExit ? op.process->exitCode() : -1;
            op.process.reset();
            done.push_back(std::move(*it));
            it = running.erase(it);
        }
    }

    QString error;
    if (!Database::open(location, &error)) {
        out << error << "\n";
        return 2;
    }
    int acknowledged = 0, refusals = 0, failures = 0, violations = 0;
    for (const auto &op : done) {
        acknowledged += op->status == 0;
        refusals += op->status == 1 || op->status == 2;
        failures += op->status > 2;
    }
    for (int m = 1; m <= Months; ++m) {
        const int state = monthState(m, rowsOf);
        if (state == -2) {
            out << "month " << m << ": not whole (rows of no single file)\n";
            ++violations;
            continue;
        }
        // The month's last operation decides what it must hold, when it was
        // acknowledged and every other operation on the month had ended before
        // it began.
        const Op *last = nullptr;
        for (const auto &op : done) {
            if (op->month == m && (!last || op->start > last->start))
                last = op.get();
        }
        bool overlapped = false;
        for (const auto &op : done)
            overlapped = overlapped || (op->month == m && op.get() != last && op->end > last->start);
        if (!last || overlapped || last->status != 0)
            continue;
        const int expected = last->kind == Op::Delete ? -1 : last->variant;
        if (state != expected) {
            out << "month " << m << ": holds " << state << ", the last acknowledged write left " << expected << "\n";
            ++violations;
        }
    }
    Database::close();
    out << "operations " << done.size() << "  acknowledged " << acknowledged << "  refusals " << refusals
        << "  kills " << kills << "  failures " << failures << "  violations " << violations << "\n";
    return violations == 0 && failures == 0 ? 0 : 1;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Velqora"));
    const QStringList args = app.arguments().mid(1);
    if (args.size() == 5 && args.at(0) == u"--delete-month")
        return MonthDelete::run(args.at(1), args.at(2).toInt(), args.at(3).toInt(), args.at(4));

    QString cli, location, work;
    int seconds = 30, workers = 4;
    for (int i = 0; i + 1 < args.size(); i += 2) {
        const QString &name = args.at(i), &value = args.at(i + 1);
        if (name == u"--cli") cli = value;
        else if (name == u"--database") location = value;
        else if (name == u"--work") work = value;
        else if (name == u"--seconds") seconds = value.toInt();
        else if (name == u"--workers") workers = value.toInt();
    }
    if (cli.isEmpty() || location.isEmpty() || work.isEmpty() || seconds <= 0 || workers <= 0) {
        QTextStream(stderr) << "usage: velq8-stress --cli VELQ8_CLI --database LOCATION --work DIR "
                               "[--seconds N] [--workers N]\n";
        return 2;
    }
    return stress(cli, location, work, seconds, workers);
}
