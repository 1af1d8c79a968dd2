#pragma once

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

// A command-line program (velq8-cli, pdftotext) run as a user runs it: its exit
// status (-1 when it crashed or hung) and what it wrote, read as UTF-8.
struct CliProcess
{
    int status = -1;
    QString out;
    QString err;

    static CliProcess run(const QString &program, const QStringList &args,
                          const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment())
    {
        QProcess p;
        p.setProcessEnvironment(environment);
        p.start(program, args);
        if (!p.waitForFinished(60000))
            return {-1, {}, QStringLiteral("timed out")};
        const int status = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
        return {status, QString::fromUtf8(p.readAllStandardOutput()), QString::fromUtf8(p.readAllStandardError())};
    }
};

#ifdef VELQ8_CLI
// velq8-cli, as the test's target names it; `database` goes first as --database.
inline CliProcess velq8(const QStringList &args,
                        const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment())
{
    return CliProcess::run(QStringLiteral(VELQ8_CLI), args, environment);
}
inline CliProcess velq8(const QString &database, const QStringList &args)
{
    return velq8(QStringList{QStringLiteral("--database"), database} + args);
}
#endif
