#include "interchange/record_writer.h"

#include "common/field_text.h"
#include "common/period.h"

#include "interchange/declaration_format.h"
#include "interchange/stored_amount.h"
#include "interchange/text_lines.h"
#include "db/declaration_kind.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>

using R = DeclarationField::Rendering;

namespace {

// Every rendering is ASCII (a text field refuses anything else), so each goes
// into the line as it is, without a text of its own: the characters with `pad`
// before or after them up to `width`. The renderings below return the error
// that refuses the value, empty when it went into the line.
void appendPadded(QByteArray &line, QStringView text, int width, char pad, bool padLeft)
{
    const qsizetype fill = std::max<qsizetype>(0, width - text.size());
    if (padLeft)
        line.append(fill, pad);
    for (const QChar c : text)
        line.append(char(c.unicode()));
    if (!padLeft)
        line.append(fill, pad);
}

// A non-negative integer, "0" before it up to `width`.
void appendDigits(QByteArray &line, qint64 value, int width)
{
    char digits[24];
    const int n = int(std::to_chars(digits, digits + sizeof digits, value).ptr - digits);
    if (n < width)
        line.append(width - n, '0');
    line.append(digits, n);
}

// What DeclarationFormat::numberText() writes, straight into the line, when the
// text of amount x factor fits the field as it is: "-", the whole part, and the
// fraction without its trailing zeros. False leaves the line as it was, for
// numberText() to decide (a text that does not fit, or fits only without the
// zero before its point).
bool appendAmount(QByteArray &line, Decimal4 amount, int factor, int width)
{
    if (factor <= 0)
        return false;
    const std::int64_t limit = std::numeric_limits<std::int64_t>::max() / factor;
    if (amount.raw() > limit || amount.raw() < -limit)
        return false;
    const std::int64_t scaled = amount.raw() * factor;
    const std::uint64_t magnitude = scaled < 0 ? std::uint64_t(-scaled) : std::uint64_t(scaled);
    char text[32];
    char *at = text;
    if (scaled < 0)
        *at++ = '-';
    at = std::to_chars(at, text + sizeof text, magnitude / Decimal4::Scale).ptr;
    int fraction = int(magnitude % Decimal4::Scale);
    if (fraction != 0) {
        *at++ = '.';
        for (int unit = int(Decimal4::Scale / 10); fraction != 0; unit /= 10) {
            *at++ = char('0' + fraction / unit);
            fraction %= unit;
        }
    }
    const int n = int(at - text);
    if (n > width)
        return false;
    line.append(width - n, '0');
    line.append(text, n);
    return true;
}

QString renderInteger(QByteArray &line, const QVariant &value, int width, int max, const QString &what)
{
    // A year or month read as an integer needs no conversion.
    const int type = value.typeId();
    if (type == QMetaType::LongLong || type == QMetaType::Int) {
        const qint64 i = type == QMetaType::Int ? *static_cast<const int *>(value.constData())
                                                : *static_cast<const qint64 *>(value.constData());
        if (i >= 0 && i <= max) {
            appendDigits(line, i, width);
            return {};
        }
    }
    bool ok = false;
    const double d = value.toDouble(&ok);
    if (!ok || std::floor(d) != d)
        return QStringLiteral("%1不是整數: %2").arg(what, value.toString());
    if (d < 0 || d > max)
        return QStringLiteral("%1 %2 超出範圍 (0-%3)").arg(what).arg(qint64(d)).arg(max);
    appendDigits(line, qint64(d), width);
    return {};
}

QString renderText(QByteArray &line, const DeclarationField &f, const QVariant &value)
{
    // A text read as a text is looked at where it lies, without a copy.
    const QString text = value.typeId() == QMetaType::QString ? QString() : value.toString();
    const QString &source =
        value.typeId() == QMetaType::QString ? *static_cast<const QString *>(value.constData()) : text;
    const QStringView stored = FieldText::withoutTrailingBlanks(QStringView(source));
    if (stored.isEmpty())
        return QStringLiteral("空白");
    if (TextLines::firstUnprintable(stored) >= 0)
        return QStringLiteral("含有非 ASCII 字元: %1").arg(stored);
    // A blank inside a code ("1 0" would be written "001 0") cannot be told from
    // the padding when the file is read back, and the import refuses it.
    if (stored.contains(u' '))
        return QStringLiteral("「%1」含有空白").arg(stored);
    switch (f.rendering) {
    case R::InstitutionCode:
        // As DeclarationFormat::institutionText: "0" after the code up to 7.
        if (std::max<qsizetype>(stored.size(), 7) > f.width)
            return QStringLiteral("「%1」超過欄位寬度 %2").arg(stored).arg(f.width);
        appendPadded(line, stored, int(std::max<qsizetype>(stored.size(), 7)), '0', false);
        return {};
    case R::AccountCode:
        // As DeclarationFormat::accountText: right-aligned, "0" before it.
        if (stored.size() > f.width)
            return QStringLiteral("「%1」超過欄位寬度 %2").arg(stored).arg(f.width);
        appendPadded(line, stored, f.width, '0', true);
        return {};
    default:
        // A fixed-width text field: trailing blanks are not significant, so a
        // shorter value keeps its blanks and the fields after it stay in place.
        if (stored.size() > f.width)
            return QStringLiteral("「%1」超過欄位寬度 %2").arg(stored).arg(f.width);
        appendPadded(line, stored, f.width, ' ', false);
        return {};
    }
}

QString renderNumber(QByteArray &line, const DeclarationField &f, const QVariant &value, int factor)
{
    double d = 0;
    if (value.typeId() == QMetaType::Double && !value.isNull()) {
        d = *static_cast<const double *>(value.constData());
        if (!std::isfinite(d))
            return QStringLiteral("不是數值: %1").arg(value.toString());
    } else if (!value.isNull()) {   // an empty amount is 0, as the grids show it
        bool ok = false;
        d = value.toDouble(&ok);
        if (!ok || !std::isfinite(d))
            return QStringLiteral("不是數值: %1").arg(value.toString());
    }
    const Decimal4 amount = StoredAmount::fromDouble(d);
    if (appendAmount(line, amount, factor, f.width))
        return {};
    const auto text = DeclarationFormat::numberText(amount, factor, f.width);
    if (!text) {
        const QString shown = factor == 1
            ? amount.toString()
            : QStringLiteral("%1 x %2").arg(amount.toString()).arg(factor);
        return QStringLiteral("數值 %1 超過欄位寬度 %2").arg(shown).arg(f.width);
    }
    appendPadded(line, *text, f.width, '0', true);
    return {};
}

} // namespace

RecordWriter::RecordWriter(const DeclarationKind &kind) : m_kind(kind) {}

RecordWriter::Result RecordWriter::write(const QVariantList &values) const
{
    QByteArray line;
    Result result = appendTo(line, values);
    if (result.ok())
        result.line = std::move(line);
    return result;
}

RecordWriter::Result RecordWriter::appendTo(QByteArray &lines, const QVariantList &values) const
{
    const QList<DeclarationField> &fields = m_kind.fields();
    if (values.size() != fields.size())
        return {{}, {}, QStringLiteral("欄位數 %1 不符 (應為 %2)").arg(values.size()).arg(fields.size())};

    // The amount factor of a "p" account is decided on the code as written, so
    // the reader, which sees only the written code, decides it the same way.
    qsizetype accountAt = -1;
    qsizetype accountWidth = 0;

    // The line is rendered at the end of `lines`; a refusal takes it off again.
    QByteArray &line = lines;
    const qsizetype base = line.size();
    const auto refuse = [&](const QString &field, const QString &error) {
        line.truncate(base);
        return Result{{}, field, error};
    };
    line.reserve(base + m_kind.recordLength());
    for (int i = 0; i < fields.size(); ++i) {
        const DeclarationField &f = fields.at(i);
        const qsizetype start = line.size() - base;
        QString error;
        switch (f.rendering) {
        case R::Year:
            error = renderInteger(line, values.at(i), f.width, Period::MaxYear, QStringLiteral("年度"));
            break;
        case R::Month:
            error = renderInteger(line, values.at(i), f.width, Period::MaxMonth, QStringLiteral("月份"));
            break;
        case R::InstitutionCode:
        case R::AccountCode:
        case R::AsStored:
            error = renderText(line, f, values.at(i));
            if (f.rendering == R::AccountCode) {
                accountAt = start;
                accountWidth = line.size() - base - start;
            }
            break;
        case R::Number: {
            char16_t written[32] = {};
            const qsizetype n = accountAt < 0 ? 0 : std::min<qsizetype>(accountWidth, 32);
            for (qsizetype k = 0; k < n; ++k)
                written[k] = char16_t(static_cast<unsigned char>(line.at(base + accountAt + k)));
            error = renderNumber(line, f, values.at(i),
                                 f.accountFactor ? DeclarationFormat::amountFactor(QStringView(written, n)) : f.factor);
            break;
        }
        }
        if (!error.isEmpty())
            return refuse(f.name, error);
        if (line.size() - base - start != f.width || start != f.offset)
            return refuse(f.name, QStringLiteral("欄位位置不符"));
    }
    if (line.size() - base != m_kind.recordLength())
        return refuse({}, QStringLiteral("記錄長度 %1 不符 (應為 %2)").arg(line.size() - base).arg(m_kind.recordLength()));
    return {};
}

RecordWriter::Result RecordWriter::write(const QVariantMap &row) const
{
    QVariantList values;
    values.reserve(m_kind.fields().size());
    for (const DeclarationField &f : m_kind.fields()) {
        auto it = row.constFind(f.name);
        if (it == row.constEnd()) {
            for (auto j = row.constBegin(); j != row.constEnd(); ++j) {
                if (j.key().compare(f.name, Qt::CaseInsensitive) == 0) {
                    it = j;
                    break;
                }
            }
        }
        if (it == row.constEnd())
            return {{}, f.name, QStringLiteral("缺少欄位")};
        values.append(it.value());
    }
    return write(values);
}
