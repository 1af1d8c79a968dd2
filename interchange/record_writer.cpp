#include "interchange/record_writer.h"

#include "common/field_text.h"
#include "common/period.h"

#include "interchange/declaration_format.h"
#include "interchange/text_lines.h"
#include "db/declaration_kind.h"

#include <algorithm>
#include <cmath>

using R = DeclarationField::Rendering;

namespace {

struct Rendered
{
    QString text;
    QString error;
};

Rendered renderInteger(const QVariant &value, int width, int max, const QString &what)
{
    bool ok = false;
    const double d = value.toDouble(&ok);
    if (!ok || std::floor(d) != d)
        return {{}, QStringLiteral("%1不是整數: %2").arg(what, value.toString())};
    if (d < 0 || d > max)
        return {{}, QStringLiteral("%1 %2 超出範圍 (0-%3)").arg(what).arg(qint64(d)).arg(max)};
    // The digits from the right into a text of zeros: one allocation a field.
    const QString digits = QString::number(qint64(d));
    if (digits.size() >= width)
        return {digits, {}};
    QString text(width, u'0');
    std::copy(digits.cbegin(), digits.cend(), text.end() - digits.size());
    return {text, {}};
}

Rendered renderText(const DeclarationField &f, const QVariant &value)
{
    const QString stored = FieldText::withoutTrailingBlanks(value.toString());
    if (stored.isEmpty())
        return {{}, QStringLiteral("空白")};
    if (TextLines::firstUnprintable(stored) >= 0)
        return {{}, QStringLiteral("含有非 ASCII 字元: %1").arg(stored)};
    // A blank inside a code ("1 0" would be written "001 0") cannot be told from
    // the padding when the file is read back, and the import refuses it.
    if (stored.contains(u' '))
        return {{}, QStringLiteral("「%1」含有空白").arg(stored)};
    switch (f.rendering) {
    case R::InstitutionCode: {
        const QString text = DeclarationFormat::institutionText(stored);
        if (text.size() > f.width)
            return {{}, QStringLiteral("「%1」超過欄位寬度 %2").arg(stored).arg(f.width)};
        return {text, {}};
    }
    case R::AccountCode: {
        const auto text = DeclarationFormat::accountText(stored, f.width);
        if (!text)
            return {{}, QStringLiteral("「%1」超過欄位寬度 %2").arg(stored).arg(f.width)};
        return {*text, {}};
    }
    default:
        // A fixed-width text field: trailing blanks are not significant, so a
        // shorter value keeps its blanks and the fields after it stay in place.
        if (stored.size() > f.width)
            return {{}, QStringLiteral("「%1」超過欄位寬度 %2").arg(stored).arg(f.width)};
        return {stored.leftJustified(f.width, u' '), {}};
    }
}

Rendered renderNumber(const DeclarationField &f, const QVariant &value, int factor)
{
    double d = 0;
    if (!value.isNull()) {   // an empty amount is 0, as the grids show it
        bool ok = false;
        d = value.toDouble(&ok);
        if (!ok || !std::isfinite(d))
            return {{}, QStringLiteral("不是數值: %1").arg(value.toString())};
    }
    const Decimal4 amount = Decimal4::fromDouble(d);
    const auto text = DeclarationFormat::numberText(amount, factor, f.width);
    if (!text) {
        const QString shown = factor == 1
            ? amount.toString()
            : QStringLiteral("%1 x %2").arg(amount.toString()).arg(factor);
        return {{}, QStringLiteral("數值 %1 超過欄位寬度 %2").arg(shown).arg(f.width)};
    }
    return {*text, {}};
}

} // namespace

RecordWriter::RecordWriter(const DeclarationKind &kind) : m_kind(kind) {}

RecordWriter::Result RecordWriter::write(const QVariantList &values) const
{
    const QList<DeclarationField> &fields = m_kind.fields();
    if (values.size() != fields.size())
        return {{}, {}, QStringLiteral("欄位數 %1 不符 (應為 %2)").arg(values.size()).arg(fields.size())};

    // The amount factor of a "p" account is decided on the code as written, so
    // the reader, which sees only the written code, decides it the same way.
    QString writtenAccount;

    QByteArray line;
    line.reserve(m_kind.recordLength());
    for (int i = 0; i < fields.size(); ++i) {
        const DeclarationField &f = fields.at(i);
        Rendered r;
        switch (f.rendering) {
        case R::Year:
            r = renderInteger(values.at(i), f.width, Period::MaxYear, QStringLiteral("年度"));
            break;
        case R::Month:
            r = renderInteger(values.at(i), f.width, Period::MaxMonth, QStringLiteral("月份"));
            break;
        case R::InstitutionCode:
        case R::AccountCode:
        case R::AsStored:
            r = renderText(f, values.at(i));
            if (f.rendering == R::AccountCode)
                writtenAccount = r.text;
            break;
        case R::Number:
            r = renderNumber(f, values.at(i),
                             f.accountFactor ? DeclarationFormat::amountFactor(writtenAccount) : f.factor);
            break;
        }
        if (!r.error.isEmpty())
            return {{}, f.name, r.error};
        if (r.text.size() != f.width || line.size() != f.offset)
            return {{}, f.name, QStringLiteral("欄位位置不符")};
        // Every rendering is ASCII (a text field refuses anything else above),
        // so the characters go into the line as they are, without a
        // converted copy of each field.
        for (const QChar c : std::as_const(r.text))
            line.append(char(c.unicode()));
    }
    if (line.size() != m_kind.recordLength())
        return {{}, {}, QStringLiteral("記錄長度 %1 不符 (應為 %2)").arg(line.size()).arg(m_kind.recordLength())};
    return {line, {}, {}};
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
