#pragma once

#include "db/cached_row.h"
#include "db/column_presentation.h"
#include "db/database.h"
#include "db/field_kinds.h"
#include "db/row_cache.h"
#include "db/signal_suspension.h"
#include "db/update_applier.h"

#include <QAbstractTableModel>
#include <QHash>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QVariant>
#include <algorithm>
#include <functional>
#include <memory>

class QSqlQuery;

// The rows of one SQL statement held in memory with cached changes: what every
// data tab, the import, the checks and the maintenance windows work on.
//
// Statement and parameters are named (":BANK_CODE"); rows are loaded on open()
// and changed only in the cache (edit/append/post/remove) until applyUpdates()
// runs the update statements row by row inside one transaction. The modify and
// delete statements find the stored row by ":OLD_<FIELD>" parameters, the values
// the row had when it was loaded. Columns the statement computes (ACCNAME, ...)
// are carried like any other field; a statement only binds the parameters it
// names, so they are never written.
//
// A long result is read in parts (on SQLite, whose statements may stay open
// beside others on the connection): open() reads what a grid shows first (one
// part) and whatever else comes within a few milliseconds, so that a month is
// still read whole and its statement closed; a grid reads more as it scrolls
// (canFetchMore/fetchMore) and the event loop reads the rest a part per turn. Whatever needs every row (recordCount, last,
// locate, append, the apply) reads the rest first, so it sees what a whole
// read would have given.
//
// It is a QAbstractTableModel, so a QTableView shows it directly. Display and
// edit text of a column follow the number pictures set with setColumnFormat().
//
// Inside it is a front over small parts: the rows and their cached changes
// (RowCache, with its LookupIndex), the kinds of the fields and how values are
// held and bound (FieldKinds), the writing of the changes (UpdateApplier), and
// how fields show as columns (ColumnPresentation, SignalSuspension). It keeps
// the cursor, the state and the guards itself.
class CachedDataset : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum class State { Inactive, Browse, Edit, Insert };
    using RowStatus = CachedRow::Status;
    using UpdateSql = UpdateApplier::Statements;

    explicit CachedDataset(const QString &connectionName = Database::connectionName(),
                           QObject *parent = nullptr);
    ~CachedDataset() override;
    QString connectionName() const { return m_connectionName; }

    // Statement and parameters ------------------------------------------------
    void setSql(const QString &sql);          // closes the dataset
    QString sql() const { return m_sql; }
    void setParam(const QString &name, const QVariant &value);  // name without ':'
    QVariant param(const QString &name) const;
    void clearParams();
    void setUpdateSql(const UpdateSql &sql);
    const UpdateSql &updateSql() const { return m_update; }
    // Convenience: the generic insert/modify/delete statements of a table of the
    // schema. Its fields' widths and types then hold for the dataset's fields of
    // the same name; its modify statement sets only the fields the dataset read.
    void setUpdateTable(const QString &tableName);

    // Open and close -----------------------------------------------------------
    // Runs the statement (again, when already open: the rows and the cache are
    // replaced); false + lastError() on failure. The cursor is on the first row.
    bool open();
    void close();           // forgets rows and cache; fields and columns are kept
    bool isOpen() const { return m_open; }
    // Empties the rows but stays open (the statement's field names are kept),
    // so rows can be appended to a dataset whose statement selects nothing.
    // Drops the cache too. False when the dataset is not open.
    bool emptyRows();
    QString lastError() const { return m_lastError; }

    // Reading in parts --------------------------------------------------------------
    // Rows read by each fetchMore() (at least 1; 256 by default). open() reads
    // parts of this size for up to firstReadMs() (5 by default; 0: one part)
    // and leaves what is left of the result for later. The first read is a wait
    // the user sees before any row is shown: it stays far below what a user
    // notices, yet long enough for a month (a few thousand rows) to be read whole.
    void setFetchSize(int rows);
    int fetchSize() const { return m_fetchSize; }
    void setFirstReadMs(int ms) { m_firstReadMs = std::max(0, ms); }
    int firstReadMs() const { return m_firstReadMs; }
    // True while rows of the statement are still unread.
    bool isFetching() const { return m_cursor != nullptr; }
    int fetchedCount() const { return m_rows.count(); }   // visible rows read so far
    void fetchAll();
    // Reads the rest of every dataset on the connection: what a writer does
    // before it changes tables that an unfinished read may still be reading.
    static void fetchAllOn(const QString &connectionName);

    // Fields ----------------------------------------------------------------------
    QStringList fieldNames() const { return m_fields.names(); }
    int fieldIndex(const QString &name) const;       // case-insensitive, -1 if none

    // Rows and cursor (deleted rows are hidden from all of these) ----------------
    int recordCount() const;   // reads every row first
    bool isEmpty() const;      // reads no more than one row
    // True when the visible row exists, reading no further than to it.
    bool hasRow(int row) const;
    int currentRow() const { return m_current; }      // -1 when empty
    bool bof() const { return m_bof; }
    bool eof() const { return m_eof; }
    // Moves; false when a scroll guard refused or the row does not exist.
    bool first();
    bool last();
    bool next();    // at the last row: stays, eof() becomes true
    bool prior();   // at the first row: stays, bof() becomes true
    bool moveTo(int row);
    // Exact match on the fields; moves the cursor to the first matching row.
    // Numbers match by value (88 == 88.0), text without trailing blanks. A hash
    // per field list is kept up to date as rows change, so a loop of look-ups
    // costs one pass over the rows, not one per look-up. Like every move it
    // posts a row in editing and asks the scroll guard first.
    bool locate(const QStringList &fields, const QVariantList &values);
    // The same search without moving: the row, or -1.
    int indexOf(const QStringList &fields, const QVariantList &values) const;

    QVariant value(const QString &field) const;                // current row
    QVariant value(int row, const QString &field) const;
    QVariant value(int row, int field) const;                  // field from fieldIndex()
    // Sets a field of the current row. In browse state the row is put into
    // editing first (like a grid edit). False when there is no current row or
    // the field does not exist.
    bool setValue(const QString &field, const QVariant &value);
    // Several fields of the current row at once, as setValue() each (a row of
    // a file is filled so without packing the row once a field). False, with
    // nothing set, when one of them is not a field.
    bool setValues(const QStringList &fields, const QVariantList &values);
    // The same by the fields' indexes (fieldIndex()), found once for many rows.
    bool setValues(const QList<int> &fields, const QVariantList &values);
    // The value the current row had when it was loaded or last committed (what
    // the :OLD_ parameters bind); null for an appended row.
    QVariant originalValue(const QString &field) const;

    // Row states -------------------------------------------------------------------
    State state() const;
    bool isEditing() const { const State s = state(); return s == State::Edit || s == State::Insert; }
    bool edit();      // current row into editing
    // A new empty row at the end, current, in insert state. Like a move it first
    // posts a row in editing and asks the scroll guard.
    bool append();
    bool post();      // ends editing; the post guard may refuse (then false)
    void cancel();    // drops the edit of the current row (and an appended row)
    bool remove();    // deletes the current row from the view (cached)
    RowStatus rowStatus(int row) const;

    // Cache -------------------------------------------------------------------------
    bool hasPendingUpdates() const;
    // Posts a row in editing, then runs the insert, modify and delete statements of
    // the changed rows inside one transaction (one of its own unless the caller
    // already started one on the connection): deletions first, then
    // modifications, then insertions, each in row order. A modify or delete
    // that finds no stored row under the old key fails too. A text of an
    // appended or modified row that its field (setUpdateTable) cannot hold, too
    // wide in Big5 bytes or with a character Big5 lacks, is refused before
    // anything is written, lastError() naming the field. On failure
    // this apply's rows are rolled back (a caller's transaction stays open for
    // the caller to end), lastError() holds the engine's message and the cache
    // is exactly as it was. The cache is not cleared: see commitUpdates().
    bool applyUpdates();
    void commitUpdates();   // the applied rows become the loaded rows
    void cancelUpdates();   // back to the rows as last loaded or committed
    // What the history of a save reads: the schema table setUpdateTable() named
    // (nullptr when the statements are the caller's own), and every row in
    // storage order, deleted ones included, with its original values.
    const TableDef *updateTable() const { return m_updateFromTable ? m_updateTable : nullptr; }
    const QList<CachedRow> &storedRows() const { return m_rows.storage(); }

    // Guards: return false to refuse. -----------------------------------------------
    // beforePost runs on post() and whenever a move, append() or applyUpdates()
    // posts a row in editing (a row appended or edited without any change is
    // dropped instead, without the guard). beforeScroll runs before every move
    // (first, last, next, prior, moveTo to another row, locate) and append.
    std::function<bool()> beforePost;
    std::function<bool()> beforeScroll;

    // Display -----------------------------------------------------------------------
    // Which fields the model shows as columns, in order (default: all fields).
    void setColumns(const QStringList &fields);
    QStringList columns() const { return m_presentation.columns(); }
    void setColumnTitle(const QString &field, const QString &title);
    // Display picture and edit picture of a numeric column (NumberPicture
    // pictures); an empty picture shows the plain value.
    void setColumnFormat(const QString &field, const QString &displayPicture,
                         const QString &editPicture);
    void setColumnReadOnly(const QString &field, bool readOnly);
    void setAllColumnsReadOnly(bool readOnly);
    bool isColumnReadOnly(const QString &field) const;
    // Suspends model signals while a loop changes many rows:
    // the last enableControls() emits one model reset and one currentRowChanged.
    void disableControls();
    void enableControls();

    // QAbstractTableModel
    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    // Refuses (false, lastError() naming the column's title and why) a number
    // that is not one, an integer out of range, and a text too wide for its field
    // in Big5 bytes or with a character Big5 lacks.
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    // rowCount() is the rows read so far; a view asks for more as it scrolls.
    bool canFetchMore(const QModelIndex &parent) const override;
    void fetchMore(const QModelIndex &parent) override;

signals:
    void currentRowChanged(int row);
    void stateChanged();
    void opened();
    void closed();

private:
    // Reads up to `limit` more rows of the statement (with the model's insert
    // signals); at the end of the result the statement is finished.
    int fetchRows(int limit);
    // Reads until the visible row exists or the result ends; true if it exists.
    bool ensureRow(int row) const;
    // Keeps the statement for the rows still unread.
    void startFetching(std::unique_ptr<QSqlQuery> cursor);
    void fetchInBackground();
    void stopFetching();
    // Drops every row, the cache and the look-up indexes (one model reset).
    void forgetRows();
    void setCurrent(int row);
    // Emits stateChanged when state() differs from what was last told.
    void reportState();
    int fieldOfColumn(int column) const { return m_presentation.fieldOf(column); }

    bool checkBrowseMode();
    bool canScroll();
    bool isNumericField(int field) const;
    bool isCell(const QModelIndex &index) const;
    // Model notifications: while controls are disabled one reset covers all.
    bool quiet();
    void emitRowChanged(int visibleRow);

    QString m_connectionName;
    QString m_sql;
    QHash<QString, QVariant> m_params;   // key: upper-case name
    UpdateSql m_update;
    const TableDef *m_updateTable = nullptr;  // of setUpdateTable(); the schema's own
    bool m_updateFromTable = false;      // m_update is that table's generic set
    FieldKinds m_fields;
    RowCache m_rows;
    ColumnPresentation m_presentation;
    SignalSuspension m_signals;
    bool m_open = false;
    State m_toldState = State::Inactive; // the state stateChanged last told
    int m_current = -1;
    bool m_bof = true;
    bool m_eof = true;
    // True while a row leaves the model: a view that moves its cursor off the
    // row being removed must not move (and so post) the dataset meanwhile.
    bool m_removingRow = false;
    QString m_lastError;
    // The statement while rows of it are unread, and the turns that read them.
    std::unique_ptr<QSqlQuery> m_cursor;
    QList<int> m_resultColumns;   // the statement's column of each field
    int m_fetchSize = 256;
    int m_firstReadMs = 5;
    QTimer m_fetchTimer;
};
