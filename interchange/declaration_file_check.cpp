#include "interchange/declaration_file_check.h"

#include "common/bounded_file.h"

#include "db/declaration_kind.h"
#include "interchange/declaration_format.h"
#include "interchange/text_lines.h"

#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QVarLengthArray>

#include <algorithm>
#include <charconv>

namespace {

using Status = DeclarationFileCheck::Status;

// Lines of the file without their line ends (CR LF or LF). A DOS end-of-file
// mark at the very end is not a line.
QList<QByteArrayView> splitLines(QByteArrayView data)
{
    if (data.endsWith('\x1a'))
        data.chop(1);
    return TextLines::split(data);
}

bool isBlank(QByteArrayView bytes)
{
    for (char c : bytes) {
        if (c != ' ')
            return false;
    }
    return true;
}

using TextLines::lineError;

// The reading of a file's lines into result->rows, one step a line. Each step
// returns whether the reading goes on; a refusal sets the status, the line, the
// field and the detail, and leaves no rows.
class LineReading
{
public:
    LineReading(const RecordReader &reader, DeclarationFileCheck::Content content,
                DeclarationFileCheck::Result *result)
        : m_reader(reader), m_kind(reader.kind()), m_rule(reader.kind().importRule()), m_result(result),
          m_period(result->period), m_yearAt(reader.layout().at(0)), m_monthAt(reader.layout().at(1)),
          m_bankAt(reader.layout().at(2)), m_keepRows(content == DeclarationFileCheck::Content::Rows),
          m_fields(reader.kind().fields().size())
    {
        // The first three fields of every kind: M_YEAR, M_MONTH, BANK_CODE.
        const auto &added = m_rule.addedFields;
        m_storesLineNumber = std::any_of(added.begin(), added.end(), [](const AddedField &a) {
            return a.source == AddedField::Source::LineNumber;
        });
        // The key's fields by position, found once rather than by name a line.
        for (const QString &k : m_rule.keyFields)
            m_keyAt.append(m_kind.fieldIndex(k));
        m_key.reserve(64);   // every key of every kind fits
    }

    bool readAll(const QList<QByteArrayView> &lines);

private:
    bool fail(Status status, int lineNo, const QString &field, const QString &detail);
    bool mismatch(int lineNo, int year, int month);
    bool printable(QByteArrayView line, int lineNo);
    bool firstLineAgreesWithName(QByteArrayView line, int lineNo);
    bool nameInRange();
    bool takeLine(QByteArrayView line, int lineNo);
    bool takeRecord(int lineNo);
    QString shownValue(int field) const;

    const RecordReader &m_reader;
    const DeclarationKind &m_kind;
    const DeclarationImport &m_rule;
    DeclarationFileCheck::Result *m_result;
    const Period m_period;
    const FieldLayout &m_yearAt;
    const FieldLayout &m_monthAt;
    const FieldLayout &m_bankAt;
    const bool m_keepRows;
    bool m_storesLineNumber = false;
    QList<int> m_keyAt;
    QSet<QByteArray> m_seen;
    QByteArray m_key;
    QByteArrayView m_lastBank;   // BANK_CODE of the last line taken
    QVarLengthArray<FieldReading, 16> m_fields;   // the line being read
};

bool LineReading::fail(Status status, int lineNo, const QString &field, const QString &detail)
{
    m_result->status = status;
    m_result->lineNo = lineNo;
    m_result->field = field;
    m_result->detail = detail;
    m_result->rows.clear();
    m_result->readings.clear();
    m_result->readingLines.clear();
    return false;
}

bool LineReading::mismatch(int lineNo, int year, int month)
{
    const QString field = year != m_period.year ? m_yearAt.name : m_monthAt.name;
    return fail(Status::MonthMismatch, lineNo, field,
                lineError(lineNo, field,
                          QStringLiteral("%1 年 %2 月, 檔名為 %3 年 %4 月")
                              .arg(year).arg(month).arg(m_period.year).arg(m_period.month)));
}

// A CR inside a line (a file with CR-only line ends) is caught here too.
bool LineReading::printable(QByteArrayView line, int lineNo)
{
    const qsizetype bad = TextLines::firstUnprintable(line);
    if (bad < 0)
        return true;
    return fail(Status::FormatError, lineNo, QString(),
                lineError(lineNo, QString(),
                          TextLines::unprintableMessage(bad + 1, static_cast<unsigned char>(line[bad]))));
}

// The name and the first line must agree, whatever else the line holds.
bool LineReading::firstLineAgreesWithName(QByteArrayView line, int lineNo)
{
    int values[2] = {0, 0};
    const FieldLayout *at[2] = {&m_yearAt, &m_monthAt};
    for (int f = 0; f < 2; ++f) {
        const FieldLayout &l = *at[f];
        if (line.size() < l.offset + l.width) {
            return fail(Status::FormatError, lineNo, l.name,
                        lineError(lineNo, QString(),
                                  QStringLiteral("長度 %1 不足 (應至少 %2 個字元)")
                                      .arg(line.size()).arg(m_reader.requiredLength())));
        }
        const QString text = QString::fromLatin1(line.sliced(l.offset, l.width));
        const auto value = DeclarationFormat::readInteger(text);
        const int max = f == 0 ? Period::MaxYear : Period::MaxMonth;
        if (!value)
            return fail(Status::FormatError, lineNo, l.name,
                        lineError(lineNo, l.name, QStringLiteral("不是數字「%1」").arg(text)));
        if (*value < 1 || *value > max)
            return fail(Status::FormatError, lineNo, l.name,
                        lineError(lineNo, l.name, QStringLiteral("%1 超出範圍 (1-%2)").arg(*value).arg(max)));
        values[f] = *value;
    }
    if (!nameInRange())
        return false;
    if (values[0] != m_period.year || values[1] != m_period.month)
        return mismatch(lineNo, values[0], values[1]);
    return true;
}

// A name out of range matches no line that could be read: say so, rather than
// that the line differs from it.
bool LineReading::nameInRange()
{
    const int named[2] = {m_period.year, m_period.month};
    const FieldLayout *at[2] = {&m_yearAt, &m_monthAt};
    for (int f = 0; f < 2; ++f) {
        const int max = f == 0 ? Period::MaxYear : Period::MaxMonth;
        if (named[f] < 1 || named[f] > max)
            return fail(Status::FormatError, 0, at[f]->name,
                        QStringLiteral("檔名的%1 %2 超出範圍 (1-%3)")
                            .arg(f == 0 ? QStringLiteral("年") : QStringLiteral("月"))
                            .arg(named[f]).arg(max));
    }
    return true;
}

// One line after the first checks: skipped, refused or read into a row.
bool LineReading::takeLine(QByteArrayView line, int lineNo)
{
    // A blank institution skips the line; so does a wholly blank line.
    const bool bankBlank = line.size() >= m_bankAt.offset + m_bankAt.width
                               ? isBlank(line.sliced(m_bankAt.offset, m_bankAt.width))
                               : isBlank(line);
    if (bankBlank)
        return true;

    // Exactly the kind's record: a longer line is a file of a longer kind (or
    // something else) under this kind's name. A shorter one the reader refuses,
    // naming the length it needs.
    if (line.size() > m_kind.recordLength())
        return fail(Status::FormatError, lineNo, QString(),
                    lineError(lineNo, QString(),
                              QStringLiteral("長度 %1 超過記錄長度 %2").arg(line.size()).arg(m_kind.recordLength())));
    QString field;
    QString error;
    if (!DeclarationFileCheck::readRecord(m_reader, line, lineNo, m_fields.data(), &field, &error))
        return fail(Status::FormatError, lineNo, field, error);

    // A file is one month: a line of another month is not written under the
    // name's month without a word.
    const int year = m_fields[0].integer;
    const int month = m_fields[1].integer;
    if (year != m_period.year || month != m_period.month)
        return mismatch(lineNo, year, month);
    return takeRecord(lineNo);
}

QString LineReading::shownValue(int field) const
{
    return RecordReader::valueOf(m_kind.fields().at(field), m_fields[field]).toString();
}

// A record of the month: its key decides whether it repeats an earlier one.
bool LineReading::takeRecord(int lineNo)
{
    // Each key field as its value's text, as the import compares them.
    m_key.resize(0);   // keeps its buffer, unlike clear()
    for (const int k : m_keyAt) {
        const FieldReading &r = m_fields[k];
        if (m_kind.fields().at(k).isText()) {
            m_key.append(r.text);
        } else {
            char digits[16];
            m_key.append(digits, std::to_chars(digits, digits + sizeof digits, r.integer).ptr - digits);
        }
        m_key.append(char(0x1f));
    }
    m_lastBank = m_fields[2].text;
    if (m_seen.contains(m_key)) {
        if (m_rule.repeats == DeclarationImport::Repeats::FirstLineWins)
            return true;
        QStringList parts;
        for (const int k : m_keyAt)
            parts << m_kind.fields().at(k).name + u'=' + shownValue(k);
        return fail(Status::FormatError, lineNo, QString(),
                    lineError(lineNo, QString(), QStringLiteral("資料重複 (%1)").arg(parts.join(QStringLiteral(", ")))));
    }
    if (m_storesLineNumber && lineNo > DeclarationFileCheck::MaxLineNumber)
        return fail(Status::FormatError, lineNo, QString(),
                    lineError(lineNo, QString(),
                              QStringLiteral("超過 %1 行，行號無法存為序號 (SERIAL)；申報檔不會有這麼多行，請查明檔案")
                                  .arg(DeclarationFileCheck::MaxLineNumber)));
    m_seen.insert(m_key);
    if (m_keepRows) {
        RecordReader::Result r = m_reader.resultOf(m_fields.constData(), lineNo);
        m_result->rows.append({std::move(r.values), std::move(r.numbers), lineNo});
    } else {
        for (const FieldReading &field : m_fields)
            m_result->readings.append(field);
        m_result->readingLines.append(lineNo);
    }
    return true;
}

bool LineReading::readAll(const QList<QByteArrayView> &lines)
{
    if (lines.isEmpty())
        return fail(Status::FormatError, 0, QString(), QStringLiteral("檔案沒有任何資料"));
    m_seen.reserve(lines.size());
    if (m_keepRows) {
        m_result->rows.reserve(lines.size());
    } else {
        m_result->readings.reserve(lines.size() * m_fields.size());
        m_result->readingLines.reserve(lines.size());
    }
    bool ok = true;
    for (int i = 0; ok && i < lines.size(); ++i) {
        const QByteArrayView line = lines.at(i);
        const int lineNo = i + 1;
        ok = printable(line, lineNo) && (i != 0 || firstLineAgreesWithName(line, lineNo)) && takeLine(line, lineNo);
    }
    m_result->bankCode = QString::fromLatin1(m_lastBank);
    return ok;
}

} // namespace

RecordReader::Result DeclarationFileCheck::readRecord(const RecordReader &reader, QByteArrayView line, int lineNo)
{
    QVarLengthArray<FieldReading, 16> fields(reader.kind().fields().size());
    RecordReader::Result r;
    r.lineNo = lineNo;
    if (!readRecord(reader, line, lineNo, fields.data(), &r.field, &r.error))
        return r;
    return reader.resultOf(fields.constData(), lineNo);
}

bool DeclarationFileCheck::readRecord(const RecordReader &reader, QByteArrayView line, int lineNo,
                                      FieldReading *readings, QString *field, QString *error)
{
    if (!reader.read(line, lineNo, readings, field, error))
        return false;
    const QList<DeclarationField> &fields = reader.kind().fields();
    for (int i = 0; i < fields.size(); ++i) {
        const DeclarationField &f = fields.at(i);
        if (!f.isText())
            continue;
        const FieldLayout &l = reader.layout().at(i);
        QByteArrayView text = line.sliced(l.offset, l.width);
        // An account code fills its field (it is padded with "0" on the left):
        // "1234 " would be stored as another code than the one that decides the
        // amount's factor.
        if (f.rendering != DeclarationField::Rendering::AccountCode) {
            while (text.endsWith(' '))
                text.chop(1);
        }
        if (text.contains(' ')) {
            *field = f.name;
            *error = lineError(lineNo, f.name, QStringLiteral("「%1」含有空白").arg(QString::fromLatin1(text)));
            return false;
        }
    }
    return true;
}

bool DeclarationFileCheck::load(const QString &path, QByteArray *bytes, Result *result)
{
    auto fail = [&](Status status, const QString &detail) {
        result->status = status;
        result->detail = detail;
        return false;
    };
    if (path.isEmpty())
        return fail(Status::OpenFailed, QStringLiteral("沒有選擇檔案"));
    // A device or a pipe (/dev/zero) is never read: it might never end.
    BoundedFile::Reading file = BoundedFile::read(path, MaxFileSize);
    switch (file.fault) {
    case BoundedFile::Fault::None:
        break;
    case BoundedFile::Fault::Missing:
    case BoundedFile::Fault::NotRegular:
        return fail(Status::OpenFailed, QStringLiteral("%1: 找不到檔案").arg(path));
    case BoundedFile::Fault::TooLarge:
        return fail(Status::FormatError, QStringLiteral("%1: 檔案過大 (%2 位元組)").arg(path).arg(file.size));
    case BoundedFile::Fault::Unreadable:
        return fail(Status::OpenFailed, QStringLiteral("%1: %2").arg(path, file.reason));
    }
    *bytes = std::move(file.bytes);
    return true;
}

DeclarationFileCheck::Result DeclarationFileCheck::check(const DeclarationKind &kind, const QString &baseName,
                                                         QByteArrayView bytes, Content content)
{
    Result result;
    const auto period = DeclarationFormat::periodFromBaseName(baseName);
    if (!period) {
        result.status = Status::MonthMismatch;
        result.detail = QStringLiteral("檔名 %1 的第 11 至 15 個字元不是年月").arg(baseName);
        return result;
    }
    result.period = *period;

    // The layout is the kind's own (DeclarationKind's fields): nothing is
    // written beside the file, so a reading that is interrupted leaves nothing
    // there that a later run would have to tell from the user's files.
    const RecordReader reader(kind);

    const QList<QByteArrayView> lines = splitLines(bytes);
    result.lines = int(lines.size());
    if (LineReading(reader, content, &result).readAll(lines))
        result.status = Status::Ok;
    return result;
}

DeclarationFileCheck::Result DeclarationFileCheck::checkFile(const DeclarationKind &kind, const QString &path,
                                                             QByteArray *bytes, Content content)
{
    Q_ASSERT(bytes || content == Content::Rows);   // readings view the bytes
    QByteArray loaded;
    Result result;
    if (!load(path, &loaded, &result))
        return result;
    result = check(kind, QFileInfo(path).completeBaseName(), loaded, content);
    if (bytes)
        *bytes = std::move(loaded);
    return result;
}
