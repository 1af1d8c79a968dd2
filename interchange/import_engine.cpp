#include "interchange/import_engine.h"

#include "db/bills_codes.h"
#include "db/cached_dataset.h"
#include "db/declaration_kind.h"
#include "db/reference_lists.h"
#include "db/savepoint.h"
#include "interchange/declaration_file_check.h"

#include <QScopeGuard>
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

    // The stored rows of the institution and month.
    CachedDataset stored(request.connectionName);
    const DeclarationImport &rule = kind.importRule();
    stored.setSql(rule.storedStatement);
    stored.setParam(rule.institutionParam, file.bankCode);
    stored.setParam(rule.yearParam, file.period.year);
    stored.setParam(rule.monthParam, file.period.month);
    stored.setUpdateTable(kind.table());
    if (!stored.open()) {
        result.status = Status::DatabaseError;
        result.detail = stored.lastError();
        return result;
    }
    result.storedRows = stored.recordCount();

    // The target: the kind's statement that selects nothing, then the rows read.
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

    if (result.storedRows > 0) {
        if (!request.confirmReplace || !request.confirmReplace()) {
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

    if (result.storedRows == 0) {
        if (!target.applyUpdates()) {
            result.status = Status::DatabaseError;
            result.detail = target.lastError();
            target.cancelUpdates();
            return result;
        }
        target.commitUpdates();
        result.status = Status::Done;
        return result;
    }

    // Replace: the delete of the stored rows and the insert of the file's rows
    // in one transaction (a savepoint joins a transaction the caller runs).
    stored.disableControls();
    while (stored.recordCount() > 0) {
        stored.last();
        stored.remove();
    }
    stored.enableControls();

    Savepoint replace(QSqlDatabase::database(request.connectionName, false), QStringLiteral("velq8_import"));
    QString error = replace.error();
    bool ok = replace.isActive();
    if (ok && !stored.applyUpdates()) {
        ok = false;
        error = stored.lastError();
    }
    if (ok && !target.applyUpdates()) {
        ok = false;
        error = target.lastError();
    }
    if (ok && !replace.release()) {
        ok = false;
        error = replace.error();
    }
    if (!ok) {
        replace.rollback();
        stored.cancelUpdates();
        target.cancelUpdates();
        result.status = Status::DatabaseError;
        result.detail = error;
        return result;
    }
    stored.commitUpdates();
    target.commitUpdates();
    result.replaced = true;
    result.status = Status::Done;
    return result;
}
