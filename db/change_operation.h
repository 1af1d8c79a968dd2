#pragma once

#include "db/change_line_key.h"

#include <QList>
#include <QString>
#include <QVariantMap>
#include <QtGlobal>

class DeclarationKind;

// One operation of the history of changes: who changed which rows of one kind,
// institution and month, when, and how (keyed, imported, month deleted), with
// each row's key and its values before and after (ChangeValues). It is written
// on the writer's connection inside the writer's transaction, so the change
// and its record are kept or undone together; nothing here starts, ends or
// rolls back a transaction. Rows and operations are only ever inserted.
//
// The rows are stored packed (ChangePack): the rows added in memory as one
// row of CHANGE_ROW, the rows of each statement as one more, made by the
// statement itself; the operation's ROWS_CHANGED counts them all.
class ChangeOperation
{
public:
    enum class Kind { Keyed, Imported, MonthDeleted };

    // The stored code of a kind ("K", "I", "D") and the words a list shows for one.
    static QString code(Kind kind);
    static QString words(const QString &code);   // "鍵入", "匯入", "刪除整月"

    // `institution` empty: every institution's rows of the month (county data).
    ChangeOperation(QString connectionName, Kind kind, const DeclarationKind &declaration, QString institution,
                    int year, int month);

    // Whether operations are recorded at all. Always on in the application;
    // the bench turns it off to measure what the history costs a save, an
    // import and a delete of a month (the same work without any history
    // statement or text). Process-wide.
    static void setRecording(bool on);
    static bool recording();

    qint64 id() const { return m_id; }
    // The key its lines hold (the row's key without the operation's own fields).
    const ChangeLineKey &lineKey() const { return m_lineKey; }
    // Whether any row was added (or may have been, by a server's statement).
    bool hasRows() const { return m_rows > 0 || m_storedCount > 0 || !m_storedCountKnown; }

    // A row changed in memory, its key as lineKey() has it (or whole); a null
    // old (new) text: the row was not there before (is not there after).
    void addRow(const QString &key, const QString &oldValues, const QString &newValues);
    // The rows a statement selects, as they stand now, set-based: `fromWhere`
    // is "from <table> <alias> where ..." with its named parameters. `before`:
    // they are the rows before the change (they are about to go), else after.
    // `rowids`, when given, receives the rows' rowids. `last`: no row comes
    // after these, and the operation is written with them (write()), on a
    // server by the same statement where it can.
    bool addStoredRows(const QString &alias, const QString &fromWhere, const QVariantMap &params, bool before,
                       QString *error, QList<qint64> *rowids = nullptr, bool last = false);
    // Writes the rows added in memory and then the operation itself, once.
    bool write(QString *error);

private:
    bool writeRows(QString *error);
    // One row of CHANGE_ROW: `rows` lines packed.
    bool insertPacked(int rows, const QString &packed, QString *error);
    // The server's statement that packs the rows `fromWhere` selects, whose
    // alias is `alias`, into one row of CHANGE_ROW: `escaped`, or unescaped and
    // kept only when no text held a character to escape.
    QString packingStatement(const QString &alias, const QString &fromWhere, bool before, bool escaped) const;
    // Its parts: the rows counted (N) and their lines joined (T), with their
    // rowids (R, in the same order) when asked, and the condition on N and T
    // for keeping the packed row.
    QString packedSql(const QString &alias, const QString &fromWhere, bool before, bool escaped,
                      bool withRowids) const;
    QString keptSql(bool escaped) const;
    // The operation's row of CHANGE_LOG: its values as named parameters
    // (names after `prefix`), and the statement that inserts it, its count
    // `rowsChanged` (an expression) over `from` (a from clause, or nothing).
    QVariantMap logParams(const QString &prefix) const;
    static QString logSql(const QString &prefix, const QString &rowsChanged, const QString &from);

    QString m_connectionName;
    Kind m_kind;
    const DeclarationKind &m_declaration;
    QString m_institution;
    int m_year = 0;
    int m_month = 0;
    qint64 m_id = 0;
    ChangeLineKey m_lineKey;
    int m_rows = 0;               // added in memory
    int m_storedCount = 0;        // rows added from the table, where counted here
    bool m_storedCountKnown = true;   // false: a server packed some without counting them here
    QString m_packed;             // the rows added in memory
    bool m_written = false;       // the operation's own row is written
};
