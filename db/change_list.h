#pragma once

#include <QList>
#include <QString>
#include <QtGlobal>

// One changed row as the history lists it, with its operation.
struct ChangeEntry
{
    qint64 operationId = 0;
    QString doneAt;
    QString doneBy;
    QString operation;     // ChangeOperation::code()
    QString kind;          // "B01"
    QString bankCode;      // of the operation; empty: every institution
    int year = 0;
    int month = 0;
    QString key;           // ChangeValues texts; a null old (new) text:
    QString oldValues;     // the row was not there before (after)
    QString newValues;

    // The changes of a month, operation by operation in the order they were
    // made, each operation's rows by key (the old row before a new one).
    // `kind` empty: every kind. False + *error on a failure of the database.
    static bool ofMonth(const QString &connectionName, int year, int month, const QString &kind,
                        QList<ChangeEntry> *out, QString *error);
    // Every change of one row of a kind (its ChangeValues key), oldest first.
    static bool ofRow(const QString &connectionName, const QString &kind, const QString &key,
                      QList<ChangeEntry> *out, QString *error);

    // A field of the row's key ("ACC_CODE"), empty when the kind has none.
    QString keyField(const QString &field) const;
    // The key, old and new values in words ("ACC_CODE=11000 ...").
    QString describeKey() const;
    QString describeOld() const;
    QString describeNew() const;
};
