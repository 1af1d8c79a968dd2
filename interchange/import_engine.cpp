#include "interchange/import_engine.h"

#include "db/bills_codes.h"
#include "db/cached_dataset.h"
#include "db/change_operation.h"
#include "db/chunked_delete.h"
#include "db/month_claim.h"
#include "db/save_history.h"
#include "db/schema.h"
#include "db/database.h"
#include "db/statement_runner.h"
#include "db/declaration_kind.h"
#include "db/reference_lists.h"
#include "interchange/declaration_file_check.h"
#include "db/write_transaction.h"

#include <QScopeGuard>

#include <QSet>
#include <QSqlDatabase>

namespace {

using Status = ImportEngine::Status;

// The lines a file check took, as readings of the kind's fields (a line's
// texts view the file's bytes, so no line is held as a map of values).
class FileLines
{
public:
    FileLines(const DeclarationKind &kind, const DeclarationFileCheck::Result &file)
        : m_kind(kind), m_file(file), m_width(kind.fields().size()),
          m_bankField(kind.fieldIndex(QStringLiteral("BANK_CODE")))
    {
    }

    int count() const { return int(m_file.readingLines.size()); }
    int lineNo(int line) const { return m_file.readingLines.at(line); }
    // The value the import stores for a field of the kind (by its index).
    QVariant value(int line, int field) const
    {
        return RecordReader::valueOf(m_kind.fields().at(field), m_file.readings.at(line * m_width + field));
    }
    QString bankCode(int line) const { return value(line, m_bankField).toString(); }

private:
    const DeclarationKind &m_kind;
    const DeclarationFileCheck::Result &m_file;
    qsizetype m_width;
    int m_bankField;   // found once, not once a line
};

// The value of one added field for a line read.
QVariant addedValue(const AddedField &added, const FileLines &lines, int line, int codeField,
                    const ImportEngine::Lookups &lookups)
{
    switch (added.source) {
    case AddedField::Source::LineNumber:
        return lines.lineNo(line);
    case AddedField::Source::ReferenceName: {
        const auto list = lookups.names.constFind(added.names);
        if (list == lookups.names.constEnd())
            return {};
        const auto it = list->constFind(lines.value(line, codeField).toString());
        return it == list->constEnd() ? QVariant() : QVariant(*it);
    }
    case AddedField::Source::BillsCodeLabel:
        return BillsCodes::label(added.codes, lines.value(line, codeField).toString());
    }
    return {};
}

// Fills the target with the lines read; false + *error when a row is refused.
bool appendRows(CachedDataset &target, const DeclarationKind &kind, const FileLines &lines,
                const ImportEngine::Lookups &lookups, int *failedLine, QString *error)
{
    target.disableControls();
    const auto enable = qScopeGuard([&] { target.enableControls(); });
    // Where each value goes in the target, found once: the kind's fields, then
    // the added ones (and the field of the file each of those looks up).
    const QList<AddedField> &added = kind.importRule().addedFields;
    QStringList names;
    for (const DeclarationField &f : kind.fields())
        names << f.name;
    QList<int> codeFields;
    for (const AddedField &a : added) {
        names << a.field;
        codeFields << kind.fieldIndex(a.codeField);
    }
    QList<int> targetFields;
    for (const QString &name : std::as_const(names)) {
        targetFields << target.fieldIndex(name);
        if (targetFields.back() < 0) {
            *error = QStringLiteral("無法設定欄位 %1").arg(name);
            return false;
        }
    }
    const int fieldCount = int(kind.fields().size());
    QVariantList values;
    for (int line = 0; line < lines.count(); ++line) {
        *failedLine = lines.lineNo(line);
        if (!target.append()) {
            *error = QStringLiteral("無法加入資料列");
            return false;
        }
        // The row's fields set at once: the row is packed once, not once a field.
        values.clear();
        values.reserve(names.size());
        for (int f = 0; f < fieldCount; ++f)
            values << lines.value(line, f);
        for (qsizetype a = 0; a < added.size(); ++a)
            values << addedValue(added.at(a), lines, line, codeFields.at(a), lookups);
        if (!target.setValues(targetFields, values)) {
            *error = QStringLiteral("無法設定欄位 %1").arg(names.join(QStringLiteral(", ")));
            return false;
        }
        if (!target.post()) {
            *error = target.lastError().isEmpty() ? QStringLiteral("資料列未能存入") : target.lastError();
            return false;
        }
    }
    return true;
}

// The month replaced is the institution of the last line's. A file may name
// others before it (a B02 file exported for a month holds every institution's
// units): their rows are only added, so a month of theirs already stored would
// be refused by the table's key halfway through, or left half old and half
// the file's. False + *why (the line, the institution, what to do) then.
bool otherInstitutionsFree(const QString &connectionName, const DeclarationImport &rule,
                           const DeclarationFileCheck::Result &file, const FileLines &lines, QString *why)
{
    QSet<QString> asked{file.bankCode};
    for (int line = 0; line < lines.count(); ++line) {
        const QString code = lines.bankCode(line);
        if (asked.contains(code))
            continue;
        asked.insert(code);
        CachedDataset other(connectionName);
        other.setSql(rule.storedStatement);
        other.setParam(rule.institutionParam, code);
        other.setParam(rule.yearParam, file.period.year);
        other.setParam(rule.monthParam, file.period.month);
        if (!other.open()) {
            *why = other.lastError();
            return false;
        }
        if (other.recordCount() > 0) {
            *why = QStringLiteral("第 %1 行的機構 %2 在 %3 年 %4 月已有資料 %5 筆；匯入只取代最後一行的機構 %6 "
                                  "的資料，不會取代它。請先刪除機構 %2 該月的資料，或將其各行移到另一個檔案再匯入。")
                       .arg(lines.lineNo(line))
                       .arg(code)
                       .arg(file.period.year)
                       .arg(file.period.month)
                       .arg(other.recordCount())
                       .arg(file.bankCode);
            return false;
        }
    }
    return true;
}

// One import as it goes, step by step. Each step returns whether the import
// goes on; when it stops, `result` says why.
class ImportRun
{
public:
    explicit ImportRun(const ImportEngine::Request &request)
        : m_request(request), m_kind(*request.kind), m_target(*request.target)
    {
    }

    ImportEngine::Result result;

    bool readFile();
    bool loadLookups();
    bool fillTarget();
    bool readStoredMonth(WriteTransaction &transaction);
    bool replaceConfirmed(WriteTransaction &transaction);
    void replace(WriteTransaction &transaction);
    bool recordStoredMonth(ChangeOperation &history, QString *error) const;

    // Rolls back and forgets what was cached, then stops with the engine's message.
    bool databaseError(WriteTransaction &transaction, const QString &detail);

private:
    const ImportEngine::Request &m_request;
    const DeclarationKind &m_kind;
    CachedDataset &m_target;
    QByteArray m_bytes;                  // the file, which the lines read view
    DeclarationFileCheck::Result m_file;
    ImportEngine::Lookups m_loaded;
    const ImportEngine::Lookups *m_lookups = nullptr;
    QVariantMap m_monthParams; // institution, year and month of the file
};

// The user's file, read where it is, and every line read and checked before
// anything changes.
bool ImportRun::readFile()
{
    m_file = DeclarationFileCheck::checkFile(m_kind, m_request.file, &m_bytes,
                                             DeclarationFileCheck::Content::Readings);
    result.detail = m_file.detail;
    result.lineNo = m_file.lineNo;
    result.field = m_file.field;
    result.period = m_file.period;
    result.lines = m_file.lines;
    switch (m_file.status) {
    case DeclarationFileCheck::Status::Ok: break;
    case DeclarationFileCheck::Status::OpenFailed: result.status = Status::OpenFailed; return false;
    case DeclarationFileCheck::Status::MonthMismatch: result.status = Status::MonthMismatch; return false;
    case DeclarationFileCheck::Status::FormatError: result.status = Status::FormatError; return false;
    }
    result.bankCode = m_file.bankCode;
    return true;
}

// The names the added fields take: the caller's lists, else read now.
bool ImportRun::loadLookups()
{
    m_lookups = m_request.lookups;
    if (m_lookups)
        return true;
    QString error;
    if (!ImportEngine::Lookups::load(m_kind, m_request.connectionName, &m_loaded, &error)) {
        result.status = Status::DatabaseError;
        result.detail = error;
        return false;
    }
    m_lookups = &m_loaded;
    return true;
}

// The target: the kind's statement that selects nothing, then the rows read.
bool ImportRun::fillTarget()
{
    const DeclarationImport &rule = m_kind.importRule();
    m_target.setSql(rule.targetStatement);
    m_target.clearParams();
    for (auto it = rule.targetParams.constBegin(); it != rule.targetParams.constEnd(); ++it)
        m_target.setParam(it.key(), it.value());
    if (m_target.updateSql().insertSql.trimmed().isEmpty())
        m_target.setUpdateTable(m_kind.table());
    if (!m_target.open()) {
        result.status = Status::DatabaseError;
        result.detail = m_target.lastError();
        return false;
    }
    int failedLine = 0;
    QString fillError;
    if (!appendRows(m_target, m_kind, FileLines(m_kind, m_file), *m_lookups, &failedLine, &fillError)) {
        m_target.cancel();
        m_target.cancelUpdates();
        result.status = Status::FormatError;
        result.lineNo = failedLine;
        result.detail = QStringLiteral("第 %1 行: %2").arg(failedLine).arg(fillError);
        return false;
    }
    result.rowsRead = m_target.recordCount();
    return true;
}

// The stored rows of the institution and month, counted, and no other
// institution of the file with a month of its own.
bool ImportRun::readStoredMonth(WriteTransaction &transaction)
{
    const DeclarationImport &rule = m_kind.importRule();
    m_monthParams = {{rule.institutionParam, m_file.bankCode},
                     {rule.yearParam, m_file.period.year},
                     {rule.monthParam, m_file.period.month}};
    QString error;
    // The month is claimed before it is counted, as the windows claim it: of
    // every institution (the county tab's claim), then of the institution.
    for (const QString &institution : {QString(), m_file.bankCode}) {
        const MonthClaim claim(m_kind.table(), m_file.period.year, m_file.period.month, institution,
                               MonthClaim::Purpose::Save);
        if (!claim.lock(m_request.connectionName, &error))
            return databaseError(transaction, error);
    }
    const int stored = StatementRunner::count(m_request.connectionName, rule.monthCountStatement(m_kind.table()),
                                              m_monthParams, &error);
    if (stored < 0)
        return databaseError(transaction, error);
    result.storedRows = stored;
    QString conflict;
    if (!otherInstitutionsFree(m_request.connectionName, rule, m_file, FileLines(m_kind, m_file), &conflict))
        return databaseError(transaction, conflict);
    return true;
}

// A stored month is replaced only when the caller says yes (no answer: no).
bool ImportRun::replaceConfirmed(WriteTransaction &transaction)
{
    if (result.storedRows == 0 || (m_request.confirmReplace && m_request.confirmReplace()))
        return true;
    transaction.rollback();
    m_target.cancelUpdates();
    result.status = Status::Declined;
    return false;
}

// Replace: the stored rows go in one statement (the write lock is held since
// the count, so it finds exactly the rows counted), the file's rows come; both
// or neither.
void ImportRun::replace(WriteTransaction &transaction)
{
    if (m_request.busy)
        m_request.busy(true);
    const auto notBusy = qScopeGuard([&] {
        if (m_request.busy)
            m_request.busy(false);
    });

    // The history: one operation, the month's rows as they were (one
    // statement over them before they go) and the file's rows as written
    // (packed from memory, the rows the dataset inserts).
    ChangeOperation history(m_request.connectionName, ChangeOperation::Kind::Imported, m_kind, m_file.bankCode,
                            m_file.period.year, m_file.period.month);
    if (result.storedRows > 0) {
        QString error;
        if (!recordStoredMonth(history, &error)) {
            databaseError(transaction, error);
            return;
        }
        const int deleted = StatementRunner::run(m_request.connectionName,
                                                 m_kind.importRule().monthDeleteStatement(m_kind.table()),
                                                 m_monthParams, &error);
        if (deleted < 0) {
            databaseError(transaction, error);
            return;
        }
        if (deleted != result.storedRows) {
            databaseError(transaction, ChunkedDelete::changedMessage(result.storedRows, deleted));
            return;
        }
    }
    if (!m_target.applyUpdates()) {
        databaseError(transaction, m_target.lastError());
        return;
    }
    QString historyError;
    SaveHistory::addTo(m_target, *Schema::table(m_kind.table()), history);
    if (!history.write(&historyError)) {
        databaseError(transaction, historyError);
        return;
    }
    if (!transaction.commit()) {
        databaseError(transaction, transaction.error());
        return;
    }
    m_target.commitUpdates();
    // A bulk write: the statistics SQLite advises (cheap when none are due).
    Database::optimize(m_request.connectionName);
    result.replaced = result.storedRows > 0;
    result.status = Status::Done;
}

// The stored rows the replace deletes, by the delete's own condition.
bool ImportRun::recordStoredMonth(ChangeOperation &history, QString *error) const
{
    const QString count = m_kind.importRule().monthCountStatement(m_kind.table());
    const QString fromWhere = count.mid(count.indexOf(QLatin1String("from "), 0, Qt::CaseInsensitive));
    return history.addStoredRows(m_kind.table(), fromWhere, m_monthParams, true, error);
}

bool ImportRun::databaseError(WriteTransaction &transaction, const QString &detail)
{
    transaction.rollback();
    m_target.cancelUpdates();
    result.status = Status::DatabaseError;
    result.detail = detail;
    return false;
}

} // namespace

// ---------------------------------------------------------------------------------

QString ImportEngine::formatErrorMessage() { return QStringLiteral("檔案格式有誤,請查明 !!!"); }
QString ImportEngine::monthMismatchMessage() { return QStringLiteral("檔名規則與資料內容不符,請查明再進行匯入!!!!!!"); }
QString ImportEngine::replaceQuestion() { return QStringLiteral("資料已存在是否確定修改!!!"); }
QString ImportEngine::completedMessage() { return QStringLiteral("匯入作業完成!!!"); }
QString ImportEngine::nothingFoundMessage() { return QStringLiteral("查無任何符合資料!!!"); }
QString ImportEngine::openFailedMessage() { return QStringLiteral("無法讀取匯入檔案 !!!"); }

// ---------------------------------------------------------------------------------

bool ImportEngine::Lookups::load(const DeclarationKind &kind, const QString &connectionName, Lookups *out,
                                 QString *error)
{
    for (NameList list : kind.importRule().nameLists()) {
        if (!ReferenceLists::readNames(list, connectionName, &out->names[list], error))
            return false;
    }
    return true;
}

bool ImportEngine::Lookups::load(const DeclarationKind &kind, ReferenceLists &lists, Lookups *out,
                                 QString *error)
{
    for (NameList list : kind.importRule().nameLists()) {
        if (lists.isOpen(list))
            out->names.insert(list, lists.names(list));
        else if (!ReferenceLists::readNames(list, lists.connectionName(), &out->names[list], error))
            return false;
    }
    return true;
}

ImportEngine::Result ImportEngine::run(const Request &request)
{
    if (!request.kind || !request.target) {
        Result result;
        result.status = Status::OpenFailed;
        result.detail = QStringLiteral("沒有指定匯入種類或資料集");
        return result;
    }
    ImportRun import(request);
    if (!import.readFile() || !import.loadLookups() || !import.fillTarget())
        return import.result;

    // From the read of the stored month to the last insert, one write
    // transaction that holds the write lock throughout: a second import of the
    // month waits, then finds (and is asked about) what this one wrote, so a
    // month is never left half one file and half the other.
    WriteTransaction transaction(QSqlDatabase::database(request.connectionName, false));
    if (!transaction.isActive()) {
        import.databaseError(transaction, transaction.error());
        return import.result;
    }
    if (import.readStoredMonth(transaction) && import.replaceConfirmed(transaction))
        import.replace(transaction);
    return import.result;
}
