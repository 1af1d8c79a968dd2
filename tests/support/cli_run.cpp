#include "tests/support/cli_run.h"

#include <QProcess>

CliRun CliRun::of(const QString &program, const QStringList &args)
{
    QProcess p;
    p.start(program, args);
    CliRun run;
    if (!p.waitForFinished(60000))
        return run;
    run.status = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    run.out = QString::fromUtf8(p.readAllStandardOutput());
    run.err = QString::fromUtf8(p.readAllStandardError());
    return run;
}
