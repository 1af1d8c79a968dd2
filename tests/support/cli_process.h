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
