#include "interchange/import_engine.h"

#include "db/cached_dataset.h"
#include "db/engine_message.h"
#include "db/savepoint.h"
#include "db/reference_lists.h"
#include "db/table_cursor.h"
#include "interchange/declaration_format.h"
#include "db/declaration_kind.h"
#include "interchange/record_reader.h"
#include "interchange/schema_file.h"

#include <QByteArrayView>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
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

// The field layout the schema gives. The schema is written beside the data file
// (or into `folder`), read back and removed; a schema file of that name that is
// already there is not ours and is left alone. When the schema cannot be
// written, its text is parsed in memory.
std::optional<QList<FieldLayout>> schemaLayout(const QString &folder, const QString &baseName,
                                               const DeclarationKind &kind, bool *inMemory,
                                               QString *error)
{
    // SchemaFile names the schema after a data file with the extension ".TXT".
    const QString dataPath = DeclarationFormat::entryPath(folder, baseName + QStringLiteral(".TXT"));
    const QString schemaPath = SchemaFile::pathFor(dataPath);
    *inMemory = true;
    if (!QFileInfo::exists(schemaPath)) {
        QString writeError;
        if (SchemaFile::write(dataPath, kind, &writeError)) {
            const Finally removeSchema{[&] { QFile::remove(schemaPath); }};
            QString readError;
            if (auto layout = SchemaFile::read(schemaPath, kind, &readError)) {
                *inMemory = false;
                return layout;
            }
        }
    }
    return SchemaFile::parse(SchemaFile::text(baseName, kind), kind, error);
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
    const QStringList keys = ImportEngine::keyFields(kind);
    const bool firstWins = kind.id() == DeclarationKind::B01 || kind.id() == DeclarationKind::B05;

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

// The extra texts of an appended row, by kind.
QList<QPair<QString, QVariant>> lookupTexts(const DeclarationKind &kind, const ReadRow &row,
                                            const ImportEngine::Lookups &lookups)
{
    auto text = [&](const char *field) { return row.values.value(QString::fromLatin1(field)).toString(); };
    auto found = [](const QHash<QString, QString> &hash, const QString &code) -> QVariant {
        const auto it = hash.constFind(code);
        return it == hash.constEnd() ? QVariant() : QVariant(*it);
    };
    switch (kind.id()) {
    case DeclarationKind::B01:
        return {{QStringLiteral("SERIAL"), row.lineNo},
                {QStringLiteral("ACCNAME"), found(lookups.accountNames, text("ACC_CODE"))}};
    case DeclarationKind::B02:
        return {{QStringLiteral("BANK_NAME"), found(lookups.bankNames, text("BANK_CODE1"))}};
    case DeclarationKind::B03:
    case DeclarationKind::B04: {
        QList<QPair<QString, QVariant>> flags;
        const int count = kind.id() == DeclarationKind::B03 ? 4 : 3;
        for (int n = 1; n <= count; ++n) {
            const QString flag = row.values.value(QStringLiteral("FLAG%1").arg(n)).toString();
            flags.append({QStringLiteral("MFLAG%1").arg(n), ImportEngine::flagText(kind, n, flag)});
        }
        return flags;
    }
    case DeclarationKind::B05:
        return {{QStringLiteral("HSIENNAME"), found(lookups.countyNames, text("HSIEN_ID"))},
                {QStringLiteral("ACCNAME"), found(lookups.countyAccountNames, text("ACC_CODE"))}};
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
        for (const auto &[field, value] : lookupTexts(kind, row, lookups)) {
            if (!target.setValue(field, value)) {
                *error = QStringLiteral("無法設定欄位 %1").arg(field);
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

QString ImportEngine::targetStatement(const DeclarationKind &kind)
{
    switch (kind.id()) {
    case DeclarationKind::B01:
        return QStringLiteral(
            "select A.M_YEAR,A.M_MONTH,A.BANK_CODE,A.ACC_CODE,A.AMT ,(A.ACC_CODE || '  ' || B.ACC_NAME) AS ACCNAME,"
            "A.SERIAL from mpbank A,CACNO B WHERE B.ACC_CODE=A.ACC_CODE and BANK_CODE=:BANK_CODE "
            "order by a.m_year,a.m_month,a.bank_code,a.acc_code ");
    case DeclarationKind::B02:
        return QStringLiteral(
            "SELECT EM03.M_YEAR, EM03.M_MONTH, EM03.BANK_CODE, EM03.BANK_CODE1, EM03.M_RATE, "
            "(EM03.BANK_CODE1 || '  ' || Bn01.BANK_NAME) AS BANK_NAME "
            "FROM EM03, BN01 Bn01 WHERE EM03.BANK_CODE1 = Bn01.BANK_NO AND 1<>1 "
            "ORDER BY EM03.M_YEAR, EM03.M_MONTH, EM03.BANK_CODE1, EM03.M_RATE");
    case DeclarationKind::B03:
        return QStringLiteral(
            "SELECT BANK_CODE,M_YEAR,M_MONTH,FLAG1,FLAG2,FLAG3,FLAG4,RATE, (FLAG1 || '  ' || '        ') AS MFLAG1,"
            "(FLAG2 || '  ' || '          ') AS MFLAG2, (FLAG3 || '  ' || '                  ') AS MFLAG3,"
            "(FLAG4 || '  ' || '    ') AS MFLAG4 FROM EM08  WHERE  1<>1 ORDER BY EM08.M_YEAR, EM08.M_MONTH, "
            "EM08.BANK_CODE");
    case DeclarationKind::B04:
        return QStringLiteral(
            "SELECT BANK_CODE,M_YEAR,M_MONTH,FLAG1,FLAG2,FLAG3,AMT,AMT1 , (FLAG1 || '  ' || '                 ') "
            "AS MFLAG1,(FLAG2 || '  ' || '     ') AS MFLAG2, (FLAG3 || '  ' || '                  ') AS MFLAG3 "
            "FROM EM09 WHERE  1<>1 ORDER BY EM09.M_YEAR, EM09.M_MONTH, EM09.BANK_CODE");
    case DeclarationKind::B05:
        return QStringLiteral(
            "select A.BANK_CODE,A.M_YEAR,A.M_MONTH,A.HSIEN_ID,A.ACC_CODE,A.AMT,(A.HSIEN_ID || '  ' || B.HSIEN_NAME) "
            "AS HSIENNAME,(A.ACC_CODE || '  ' || C.ACC_NAME) AS ACCNAME from HMPBANK A,CD01 B,HCACNO C "
            "where b.HSIEN_ID=a.HSIEN_ID and C.ACC_CODE=A.ACC_CODE and 1<>1 "
            "order by a.m_year,a.m_month,a.bank_code,A.HSIEN_ID,A.ACC_CODE");
    }
    return {};
}

QString ImportEngine::storedStatement(const DeclarationKind &kind)
{
    switch (kind.id()) {
    case DeclarationKind::B01:
        return QStringLiteral("Select a.m_year, a.m_month, a.bank_code, a.acc_code, a.amt From MPBANK a "
                              "Where a.bank_code = :BANK_CODE and a.m_year = :seYYY and a.m_month = :seMM "
                              "order by a.m_year, a.m_month, a.bank_code, a.acc_code");
    case DeclarationKind::B02:
        return QStringLiteral("select * FROM EM03 A Where a.bank_code = :BANK_CODE and a.m_year = :seYYY4  "
                              "and a.m_month = :seMM4 order by a.m_year, a.m_month, a.bank_code,A.BANK_CODE1");
    case DeclarationKind::B03:
        return QStringLiteral("select * FROM EM08 A Where a.bank_code = :BANK_CODE and a.m_year = :seYYY9  "
                              "and a.m_month = :seMM9 order by a.m_year, a.m_month, a.bank_code");
    case DeclarationKind::B04:
        return QStringLiteral("select * FROM EM09 A Where a.bank_code = :BANK_CODE and a.m_year = :seYYY2  "
                              "and a.m_month = :seMM2 order by a.m_year, a.m_month, a.bank_code");
    case DeclarationKind::B05:
        return QStringLiteral("Select a.m_year, a.m_month, a.bank_code, A.HSIEN_ID,a.acc_code,  a.amt  "
                              "From HMPBANK a Where a.bank_code = :BANK_CODE and a.m_year = :seYYY "
                              "and a.m_month = :seMM "
                              "order by a.m_year, a.m_month, a.bank_code,A.HSIEN_ID, a.acc_code");
    }
    return {};
}

QStringList ImportEngine::storedParameters(const DeclarationKind &kind)
{
    switch (kind.id()) {
    case DeclarationKind::B01:
    case DeclarationKind::B05:
        return {QStringLiteral("BANK_CODE"), QStringLiteral("seYYY"), QStringLiteral("seMM")};
    case DeclarationKind::B02:
        return {QStringLiteral("BANK_CODE"), QStringLiteral("seYYY4"), QStringLiteral("seMM4")};
    case DeclarationKind::B03:
        return {QStringLiteral("BANK_CODE"), QStringLiteral("seYYY9"), QStringLiteral("seMM9")};
    case DeclarationKind::B04:
        return {QStringLiteral("BANK_CODE"), QStringLiteral("seYYY2"), QStringLiteral("seMM2")};
    }
    return {};
}

QStringList ImportEngine::keyFields(const DeclarationKind &kind)
{
    const QStringList head{QStringLiteral("BANK_CODE"), QStringLiteral("M_YEAR"), QStringLiteral("M_MONTH")};
    switch (kind.id()) {
    case DeclarationKind::B01:
        return head + QStringList{QStringLiteral("ACC_CODE")};
    case DeclarationKind::B02:
        return head + QStringList{QStringLiteral("BANK_CODE1")};
    case DeclarationKind::B03:
        return head + QStringList{QStringLiteral("FLAG1"), QStringLiteral("FLAG2"), QStringLiteral("FLAG3"),
                                  QStringLiteral("FLAG4")};
    case DeclarationKind::B04:
        return head + QStringList{QStringLiteral("FLAG1"), QStringLiteral("FLAG2"), QStringLiteral("FLAG3")};
    case DeclarationKind::B05:
        return head + QStringList{QStringLiteral("HSIEN_ID"), QStringLiteral("ACC_CODE")};
    }
    return head;
}

QString ImportEngine::flagText(const DeclarationKind &kind, int flagNo, const QString &flag)
{
    static const QHash<int, QString> billKinds{
        {1, QStringLiteral("01-商業本票")},      {2, QStringLiteral("02-融資性本票")},
        {3, QStringLiteral("03-交易性本票")},    {4, QStringLiteral("04-銀行承兌匯票")},
        {5, QStringLiteral("05-商業承兌匯票")},  {6, QStringLiteral("06-銀行可轉讓定期存單")},
        {7, QStringLiteral("07-國庫券")},        {8, QStringLiteral("08-公債")},
        {9, QStringLiteral("09-金融俵券")},      {10, QStringLiteral("10-公司債")},
    };
    static const QHash<int, QString> rateMarkets{{1, QStringLiteral("1-初級市場")}, {2, QStringLiteral("2-次級市場")}};
    static const QHash<int, QString> rateTerms{
        {1, QStringLiteral("1-一個月期")}, {2, QStringLiteral("2-三個月期")}, {3, QStringLiteral("3-六個月期")},
        {4, QStringLiteral("4-九個月期")}, {5, QStringLiteral("5-十二個月期")}};
    static const QHash<int, QString> rateKinds{
        {1, QStringLiteral("1-最高")}, {2, QStringLiteral("2-平均")}, {3, QStringLiteral("3-最低")}};
    static const QHash<int, QString> tradeRanges{
        {0, QStringLiteral("0-初級市場")}, {1, QStringLiteral("1-次級市場")},
        {2, QStringLiteral("2-次級市場(附條件)")}, {3, QStringLiteral("3-餘額(公司持有數)")}};
    static const QHash<int, QString> tradeDirections{
        {0, QStringLiteral("0-買入")}, {1, QStringLiteral("1-賣出")}, {2, QStringLiteral("2-其他")}};

    const auto number = DeclarationFormat::readInteger(flag.trimmed());
    if (!number)
        return {};
    const QHash<int, QString> *table = nullptr;
    if (kind.id() == DeclarationKind::B03) {
        const QHash<int, QString> *tables[] = {&rateMarkets, &rateTerms, &billKinds, &rateKinds};
        if (flagNo >= 1 && flagNo <= 4)
            table = tables[flagNo - 1];
    } else if (kind.id() == DeclarationKind::B04) {
        const QHash<int, QString> *tables[] = {&tradeRanges, &tradeDirections, &billKinds};
        if (flagNo >= 1 && flagNo <= 3)
            table = tables[flagNo - 1];
    }
    return table ? table->value(*number) : QString();
}

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
    QSqlDatabase db = QSqlDatabase::database(connectionName, false);
    auto fill = [&](const char *sql, QHash<QString, QString> *hash) {
        QSqlQuery q(db);
        q.setForwardOnly(true);
        if (!q.exec(QString::fromLatin1(sql))) {
            *error = EngineMessage::of(q.lastError());
            return false;
        }
        while (q.next()) {
            const QString code = q.value(0).toString();
            hash->insert(trimmedRight(code), code + QStringLiteral("  ") + q.value(1).toString());
        }
        return true;
    };
    switch (kind.id()) {
    case DeclarationKind::B01:
        return fill("select ACC_CODE, ACC_NAME from CACNO", &out->accountNames);
    case DeclarationKind::B02:
        return fill("select BANK_NO, BANK_NAME from BN01", &out->bankNames);
    case DeclarationKind::B05:
        return fill("select HSIEN_ID, HSIEN_NAME from CD01", &out->countyNames)
            && fill("select ACC_CODE, ACC_NAME from HCACNO", &out->countyAccountNames);
    case DeclarationKind::B03:
    case DeclarationKind::B04:
        return true;
    }
    return true;
}

bool ImportEngine::Lookups::load(const DeclarationKind &kind, ReferenceLists &lists, Lookups *out,
                                 QString *error)
{
    const bool open = [&] {
        switch (kind.id()) {
        case DeclarationKind::B01: return lists.qryCACNO().isOpen();
        case DeclarationKind::B02: return lists.tblBN01().isOpen();
        case DeclarationKind::B05: return lists.qryCD01().isOpen() && lists.qryHCACNO().isOpen();
        case DeclarationKind::B03:
        case DeclarationKind::B04: return true;
        }
        return false;
    }();
    if (!open)
        return load(kind, lists.connectionName(), out, error);
    switch (kind.id()) {
    case DeclarationKind::B01:
        out->accountNames = lists.accountNames();
        break;
    case DeclarationKind::B02:
        out->bankNames = lists.institutionNames();
        break;
    case DeclarationKind::B05:
        out->countyNames = lists.countyNames();
        out->countyAccountNames = lists.countyAccountNames();
        break;
    case DeclarationKind::B03:
    case DeclarationKind::B04:
        break;
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

    // The layout, through the schema file.
    QString schemaError;
    const auto layout = schemaLayout(request.schemaFolder.isEmpty() ? info.absolutePath() : request.schemaFolder,
                                     baseName, kind, &result.schemaInMemory, &schemaError);
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
    stored.setSql(storedStatement(kind));
    const QStringList params = storedParameters(kind);
    stored.setParam(params.at(0), content.bankCode);
    stored.setParam(params.at(1), period->year);
    stored.setParam(params.at(2), period->month);
    stored.setUpdateTable(kind.table());
    if (!stored.open()) {
        result.status = Status::DatabaseError;
        result.detail = stored.lastError();
        return result;
    }
    result.storedRows = stored.recordCount();

    // The target: the kind's statement that selects nothing, then the rows read.
    target.setSql(targetStatement(kind));
    target.clearParams();
    if (kind.id() == DeclarationKind::B01)
        target.setParam(QStringLiteral("BANK_CODE"), QStringLiteral("ZZZZZZZ"));
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
