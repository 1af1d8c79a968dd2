#include "interchange/import_engine.h"

#include "db/bills_codes.h"
#include "db/cached_dataset.h"
#include "db/declaration_kind.h"
#include "db/reference_lists.h"
#include "db/savepoint.h"
#include "interchange/declaration_format.h"
#include "interchange/record_reader.h"
#include "interchange/schema_file.h"

#include <QByteArrayView>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QSqlDatabase>
#include <optional>

namespace {

using Status = ImportEngine::Status;

QString trimmedRight(const QString &text)
{
    qsizetype n = text.size();
    while (n > 0 && text.at(n - 1) == u' ')
        --n;
    return text.left(n);
}

// Runs `fn` when the scope ends.
template <typename F>
struct Finally
{
    F fn;
    ~Finally() { fn(); }
};
template <typename F>
Finally(F) -> Finally<F>;

// Lines of the file without their line ends (CR LF or LF). A DOS end-of-file
// mark at the very end is not a line.
QList<QByteArrayView> splitLines(QByteArrayView data)
{
    if (data.endsWith('\x1a'))
        data.chop(1);
    QList<QByteArrayView> lines;
    while (!data.isEmpty()) {
        const qsizetype end = data.indexOf('\n');
        QByteArrayView line = end < 0 ? data : data.first(end);
        data = end < 0 ? QByteArrayView() : data.sliced(end + 1);
        if (line.endsWith('\r'))
            line.chop(1);
        lines.append(line);
    }
    return lines;
}

// The 0-based position of the first byte that is not printable ASCII, or -1.
// A CR inside a line (a file with CR-only line ends) is caught here too.
qsizetype firstUnprintable(QByteArrayView line)
{
    for (qsizetype i = 0; i < line.size(); ++i) {
        const auto c = static_cast<unsigned char>(line[i]);
        if (c < 0x20 || c > 0x7e)
            return i;
    }
    return -1;
}

bool isBlank(QByteArrayView bytes)
{
    for (char c : bytes) {
        if (c != ' ')
            return false;
    }
    return true;
}

QString lineError(int lineNo, const QString &field, const QString &why)
{
    return field.isEmpty() ? QStringLiteral("第 %1 行: %2").arg(lineNo).arg(why)
                           : QStringLiteral("第 %1 行 %2 欄位: %3").arg(lineNo).arg(field, why);
}

struct ReadRow
{
    QVariantMap values;
    int lineNo = 0;
};

struct FileContent
{
    QList<ReadRow> rows;
    QString bankCode;   // of the last line that had one
};

// Reads and checks every line; on failure fills the result and returns false.
bool readLines(const QList<QByteArrayView> &lines, const RecordReader &reader, const Period &period,
               ImportEngine::Result *result, FileContent *content)
{
    const DeclarationKind &kind = reader.kind();
    const QList<FieldLayout> &layout = reader.layout();
    // The first three fields of every kind: M_YEAR, M_MONTH, BANK_CODE.
    const FieldLayout &yearAt = layout.at(0);
    const FieldLayout &monthAt = layout.at(1);
    const FieldLayout &bankAt = layout.at(2);
    const QStringList &keys = kind.importRule().keyFields;
    const bool firstWins = kind.importRule().repeats == DeclarationImport::Repeats::FirstLineWins;

    auto fail = [&](Status status, int lineNo, const QString &field, const QString &detail) {
        result->status = status;
        result->lineNo = lineNo;
        result->field = field;
        result->detail = detail;
        return false;
    };
    auto mismatch = [&](int lineNo, int year, int month) {
        return fail(Status::MonthMismatch, lineNo, QString(),
                    QStringLiteral("檔名: %1 年 %2 月; 第 %3 行: %4 年 %5 月")
                        .arg(period.year).arg(period.month).arg(lineNo).arg(year).arg(month));
    };

    if (lines.isEmpty())
        return fail(Status::FormatError, 0, QString(), QStringLiteral("檔案沒有任何資料"));

    QSet<QString> seen;
    seen.reserve(lines.size());
    content->rows.reserve(lines.size());
    for (int i = 0; i < lines.size(); ++i) {
        const QByteArrayView line = lines.at(i);
        const int lineNo = i + 1;
        const qsizetype bad = firstUnprintable(line);
        if (bad >= 0) {
            return fail(Status::FormatError, lineNo, QString(),
                        lineError(lineNo, QString(),
                                  QStringLiteral("第 %1 個字元不是 ASCII 可列印字元 (0x%2)")
                                      .arg(bad + 1)
                                      .arg(int(static_cast<unsigned char>(line[bad])), 2, 16, QChar(u'0'))));
        }

        if (i == 0) {
            // The name and the first line must agree, whatever else the line holds.
            int values[2] = {0, 0};
            const FieldLayout *at[2] = {&yearAt, &monthAt};
            for (int f = 0; f < 2; ++f) {
                const FieldLayout &l = *at[f];
                if (line.size() < l.offset + l.width) {
                    return fail(Status::FormatError, lineNo, l.name,
                                lineError(lineNo, QString(),
                                          QStringLiteral("長度 %1 不足 (應至少 %2 個字元)")
                                              .arg(line.size()).arg(reader.requiredLength())));
                }
                const QString text = QString::fromLatin1(line.sliced(l.offset, l.width));
                const auto value = DeclarationFormat::readInteger(text);
                const int max = f == 0 ? Period::MaxYear : Period::MaxMonth;
                if (!value)
                    return fail(Status::FormatError, lineNo, l.name,
                                lineError(lineNo, l.name, QStringLiteral("不是數字「%1」").arg(text)));
                if (*value < 1 || *value > max)
                    return fail(Status::FormatError, lineNo, l.name,
                                lineError(lineNo, l.name,
                                          QStringLiteral("%1 超出範圍 (1-%2)").arg(*value).arg(max)));
                values[f] = *value;
            }
            if (values[0] != period.year || values[1] != period.month)
                return mismatch(lineNo, values[0], values[1]);
        }

        // A blank institution skips the line; so does a wholly blank line.
        const bool bankBlank = line.size() >= bankAt.offset + bankAt.width
                                   ? isBlank(line.sliced(bankAt.offset, bankAt.width))
                                   : isBlank(line);
        if (bankBlank)
            continue;

        RecordReader::Result r = ImportEngine::readRecord(reader, line, lineNo);
        if (!r.ok())
            return fail(Status::FormatError, lineNo, r.field, r.error);

        // A file is one month: a line of another month is not written under
        // the name's month without a word.
        const int year = r.values.value(QStringLiteral("M_YEAR")).toInt();
        const int month = r.values.value(QStringLiteral("M_MONTH")).toInt();
        if (year != period.year || month != period.month)
            return mismatch(lineNo, year, month);

        QString key;
        for (const QString &k : keys) {
            key += r.values.value(k).toString();
            key += QChar(0x1f);
        }
        content->bankCode = r.values.value(QStringLiteral("BANK_CODE")).toString();
        if (seen.contains(key)) {
            if (firstWins)
                continue;
            QStringList parts;
            for (const QString &k : keys)
                parts << k + u'=' + r.values.value(k).toString();
            return fail(Status::FormatError, lineNo, QString(),
                        lineError(lineNo, QString(),
                                  QStringLiteral("資料重複 (%1)").arg(parts.join(QStringLiteral(", ")))));
        }
        seen.insert(key);
        content->rows.append({std::move(r.values), lineNo});
    }
    return true;
}

// The value of one added field for a row read.
QVariant addedValue(const AddedField &added, const ReadRow &row, const ImportEngine::Lookups &lookups)
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
bool fillTarget(CachedDataset &target, const DeclarationKind &kind, const FileContent &content,
                const ImportEngine::Lookups &lookups, int *failedLine, QString *error)
{
    target.disableControls();
    const Finally enable{[&] { target.enableControls(); }};
    for (const ReadRow &row : content.rows) {
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

RecordReader::Result ImportEngine::readRecord(const RecordReader &reader, QByteArrayView line, int lineNo)
{
    RecordReader::Result r = reader.read(line, lineNo);
    if (!r.ok())
        return r;
    const QList<DeclarationField> &fields = reader.kind().fields();
    for (int i = 0; i < fields.size(); ++i) {
        const DeclarationField &f = fields.at(i);
        if (!f.isText())
            continue;
        const FieldLayout &l = reader.layout().at(i);
        const QString raw = QString::fromLatin1(line.sliced(l.offset, l.width));
        // An account code fills its field (it is padded with "0" on the left):
        // "1234 " would be stored as another code than the one that decides the
        // amount's factor.
        const QString text = f.rendering == DeclarationField::Rendering::AccountCode ? raw : trimmedRight(raw);
        if (text.contains(u' ')) {
            r.values.clear();
            r.numbers.clear();
            r.field = f.name;
            r.error = lineError(lineNo, f.name, QStringLiteral("「%1」含有空白").arg(text));
            return r;
        }
    }
    return r;
}

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

    // The user's file, read where it is.
    const QFileInfo info(request.file);
    if (request.file.isEmpty() || !info.isFile()) {
        result.status = Status::OpenFailed;
        result.detail = request.file.isEmpty() ? QStringLiteral("沒有選擇檔案")
                                               : QStringLiteral("%1: 找不到檔案").arg(request.file);
        return result;
    }
    // A declaration file is small (a county file of every county and account is
    // well under a megabyte): anything far larger is not one, and is not loaded.
    constexpr qint64 MaxFileSize = 64 * 1024 * 1024;
    if (info.size() > MaxFileSize) {
        result.status = Status::FormatError;
        result.detail = QStringLiteral("%1: 檔案過大 (%2 位元組)").arg(request.file).arg(info.size());
        return result;
    }
    QFile file(request.file);
    if (!file.open(QIODevice::ReadOnly)) {
        result.status = Status::OpenFailed;
        result.detail = QStringLiteral("%1: %2").arg(request.file, file.errorString());
        return result;
    }
    const QByteArray data = file.readAll();
    const bool readFailed = file.error() != QFileDevice::NoError;
    const QString readError = file.errorString();
    file.close();
    if (readFailed) {
        result.status = Status::OpenFailed;
        result.detail = QStringLiteral("%1: %2").arg(request.file, readError);
        return result;
    }

    // Year and month from the name without directory and extension.
    const QString baseName = info.completeBaseName();
    const auto period = DeclarationFormat::periodFromBaseName(baseName);
    if (!period) {
        result.status = Status::MonthMismatch;
        result.detail = QStringLiteral("檔名 %1 的第 11 至 15 個字元不是年月").arg(info.fileName());
        return result;
    }
    result.period = *period;

    // The layout, through the kind's schema. It is parsed in memory: nothing is
    // written beside the user's file, so an import that is interrupted leaves
    // nothing there that a later run would have to tell from the user's files.
    QString schemaError;
    const auto layout = SchemaFile::parse(SchemaFile::text(baseName, kind), kind, &schemaError);
    if (!layout) {
        result.status = Status::FormatError;
        result.detail = schemaError;
        return result;
    }
    const RecordReader reader(kind, *layout);

    // Every line read and checked before anything changes.
    const QList<QByteArrayView> lines = splitLines(data);
    result.lines = int(lines.size());
    FileContent content;
    if (!readLines(lines, reader, *period, &result, &content))
        return result;
    result.bankCode = content.bankCode;

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
    stored.setParam(rule.institutionParam, content.bankCode);
    stored.setParam(rule.yearParam, period->year);
    stored.setParam(rule.monthParam, period->month);
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
    if (!fillTarget(target, kind, content, *lookups, &failedLine, &fillError)) {
        target.cancel();
        target.cancelUpdates();
        result.status = Status::FormatError;
        result.lineNo = failedLine;
        result.detail = lineError(failedLine, QString(), fillError);
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
    const Finally notBusy{[&] {
        if (request.busy)
            request.busy(false);
    }};

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
