#pragma once

#include <QString>
#include <QStringList>

// velq8-cli run as a user runs it: its exit status (-1 when it did not finish
// within a minute or crashed) and what it wrote, read as UTF-8.
struct CliRun
{
    int status = -1;
    QString out;
    QString err;

    static CliRun of(const QString &program, const QStringList &args);
};
