#pragma once

#include <QList>
#include <QString>
#include <QtGlobal>

// One declaration file as it was written: where, what, its fingerprint, when
// and by whom. The export adds one in the step that makes the file final; the
// records are only ever added to and read.
struct ExportRecord
{
    qint64 id = 0;            // ChangeAuthor::nextId(): follows the order of time
    QString fileName;         // "B01995000011510"
    QString folder;           // the folder written into, absolute
    QString kind;             // "B01"
    QString bankCode;         // the declaring institution
    int year = 0;
    int month = 0;
    int records = 0;
    QString sha256;           // 64 lower-case hex digits
    QString doneAt;           // "YYYY-MM-DD HH:MM:SS"
    QString doneBy;           // ChangeAuthor::who()

    // Adds the record on the connection (inside the caller's transaction, if
    // any), its id, time and author filled in. False + *error otherwise.
    bool write(const QString &connectionName, QString *error);

    // The records of a month, newest first (a year or month of 0: any).
    static bool list(const QString &connectionName, int year, int month, QList<ExportRecord> *out, QString *error);
    // The records of files with this fingerprint, newest first.
    static bool withFingerprint(const QString &connectionName, const QString &sha256, QList<ExportRecord> *out,
                                QString *error);
};
