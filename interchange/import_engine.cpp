#include "interchange/import_engine.h"

#include "db/bills_codes.h"
#include "db/cached_dataset.h"
#include "db/chunked_delete.h"
#include "db/database.h"
#include "db/statement_runner.h"
#include "db/declaration_kind.h"
#include "db/reference_lists.h"
#include "interchange/declaration_file_check.h"
#include "interchange/immediate_transaction.h"

#include <QScopeGuard>
#include <QSet>
#include <QSqlDatabase>

namespace {

using Status = ImportEngine::Status;

// The value of one added field for a row read.
QVariant addedValue(const AddedField &added, const DeclarationFileCheck::Row &row, const ImportEngine::Lookups &lookups)
{
    const QString code = row.values.value(added.codeField).toString();
    switch (added.source) {
    case AddedField::Source::LineNumber:
        return row.lineNo;
    case AddedField::Source::ReferenceName: {
        const auto list = lookups.names.constFind(added.names);
        if (list == lookups.names.constEnd())
            return {};
        const auto it = list->constFind(code);
        return it == list->constEnd() ? QVariant() : QVariant(*it);
    }
    case AddedField::Source::BillsCodeLabel:
        return BillsCodes::label(added.codes, code);
    }
    return {};
}

// Fills the target with the rows read; false + *error when a row is refused.
bool fillTarget(CachedDataset &target, const DeclarationKind &kind, const QList<DeclarationFileCheck::Row> &rows,
                const ImportEngine::Lookups &lookups, int *failedLine, QString *error)
{
    target.disableControls();
    const auto enable = qScopeGuard([&] { target.enableControls(); });
    for (const DeclarationFileCheck::Row &row : rows) {
        *failedLine = row.lineNo;
        if (!target.append()) {
            *error = QStringLiteral("無法加入資料列");
            return false;
        }
        for (const DeclarationField &f : kind.fields()) {
            if (!target.setValue(f.name, row.values.value(f.name))) {
                *error = QStringLiteral("無法設定欄位 %1").arg(f.name);
                return false;
            }
        }
        for (const AddedField &added : kind.importRule().addedFields) {
            if (!target.setValue(added.field, addedValue(added, row, lookups))) {
                *error = QStringLiteral("無法設定欄位 %1").arg(added.field);
                return false;
            }
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
                           const DeclarationFileCheck::Result &file, QString *why)
{
    QSet<QString> asked{file.bankCode};
    for (const DeclarationFileCheck::Row &row : file.rows) {
        const QString code = row.values.value(QStringLiteral("BANK_CODE")).toString();
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
                       .arg(row.lineNo)
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
    Result result;
    if (!request.kind || !request.target) {
        result.status = Status::OpenFailed;
        result.detail = QStringLiteral("沒有指定匯入種類或資料集");
        return result;
    }
    const DeclarationKind &kind = *request.kind;
    CachedDataset &target = *request.target;

    // The user's file, read where it is, and every line read and checked
    // before anything changes.
    const DeclarationFileCheck::Result file = DeclarationFileCheck::checkFile(kind, request.file);
    result.detail = file.detail;
    result.lineNo = file.lineNo;
    result.field = file.field;
    result.period = file.period;
    result.lines = file.lines;
    switch (file.status) {
    case DeclarationFileCheck::Status::Ok: break;
    case DeclarationFileCheck::Status::OpenFailed: result.status = Status::OpenFailed; return result;
    case DeclarationFileCheck::Status::MonthMismatch: result.status = Status::MonthMismatch; return result;
    case DeclarationFileCheck::Status::FormatError: result.status = Status::FormatError; return result;
    }
    result.bankCode = file.bankCode;

    Lookups loaded;
    const Lookups *lookups = request.lookups;
    if (!lookups) {
        QString error;
        if (!Lookups::load(kind, request.connectionName, &loaded, &error)) {
            result.status = Status::DatabaseError;
            result.detail = error;
            return result;
        }
        lookups = &loaded;
    }

    // The target: the kind's statement that selects nothing, then the rows read.
    const DeclarationImport &rule = kind.importRule();
    target.setSql(rule.targetStatement);
    target.clearParams();
    for (auto it = rule.targetParams.constBegin(); it != rule.targetParams.constEnd(); ++it)
        target.setParam(it.key(), it.value());
    if (target.updateSql().insertSql.trimmed().isEmpty())
        target.setUpdateTable(kind.table());
    if (!target.open()) {
        result.status = Status::DatabaseError;
        result.detail = target.lastError();
        return result;
    }
    int failedLine = 0;
    QString fillError;
    if (!fillTarget(target, kind, file.rows, *lookups, &failedLine, &fillError)) {
        target.cancel();
        target.cancelUpdates();
        result.status = Status::FormatError;
        result.lineNo = failedLine;
        result.detail = QStringLiteral("第 %1 行: %2").arg(failedLine).arg(fillError);
        return result;
    }
    result.rowsRead = target.recordCount();

    // From the read of the stored month to the last insert, one write
    // transaction that holds the write lock throughout: a second import of the
    // month waits, then finds (and is asked about) what this one wrote, so a
    // month is never left half one file and half the other.
    ImmediateTransaction transaction(QSqlDatabase::database(request.connectionName, false));
    auto databaseError = [&](const QString &detail) {
        transaction.rollback();
        target.cancelUpdates();
        result.status = Status::DatabaseError;
        result.detail = detail;
        return result;
    };
    if (!transaction.isActive())
        return databaseError(transaction.error());

    // The stored rows of the institution and month: counted, and deleted in one
    // statement if the user agrees (the write lock is held since BEGIN, so the
    // delete finds exactly the rows counted).
    QVariantMap monthParams{{rule.institutionParam, file.bankCode},
                            {rule.yearParam, file.period.year},
                            {rule.monthParam, file.period.month}};
    QString monthError;
    const int stored = StatementRunner::count(request.connectionName, rule.monthCountStatement(kind.table()),
                                              monthParams, &monthError);
    if (stored < 0)
        return databaseError(monthError);
    result.storedRows = stored;
    QString conflict;
    if (!otherInstitutionsFree(request.connectionName, rule, file, &conflict))
        return databaseError(conflict);

    if (result.storedRows > 0) {
        if (!request.confirmReplace || !request.confirmReplace()) {
            transaction.rollback();
            target.cancelUpdates();
            result.status = Status::Declined;
            return result;
        }
    }

    if (request.busy)
        request.busy(true);
    const auto notBusy = qScopeGuard([&] {
        if (request.busy)
            request.busy(false);
    });

    // Replace: the stored rows go, the file's rows come, both or neither.
    if (result.storedRows > 0) {
        const int deleted = StatementRunner::run(request.connectionName, rule.monthDeleteStatement(kind.table()),
                                                 monthParams, &monthError);
        if (deleted < 0)
            return databaseError(monthError);
        if (deleted != result.storedRows)
            return databaseError(ChunkedDelete::changedMessage(result.storedRows, deleted));
    }
    if (!target.applyUpdates())
        return databaseError(target.lastError());
    if (!transaction.commit())
        return databaseError(transaction.error());
    target.commitUpdates();
    // A bulk write: the statistics SQLite advises (cheap when none are due).
    Database::optimize(request.connectionName);
    result.replaced = result.storedRows > 0;
    result.status = Status::Done;
    return result;
}
