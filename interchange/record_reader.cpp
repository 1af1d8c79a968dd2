#include "interchange/record_reader.h"

#include "common/field_text.h"
#include "common/period.h"

#include "interchange/declaration_format.h"
#include "interchange/text_lines.h"
#include "db/declaration_kind.h"

#include <QVarLengthArray>

#include <algorithm>

using R = DeclarationField::Rendering;

RecordReader::RecordReader(const DeclarationKind &kind)
    : RecordReader(kind, standardLayout(kind))
{
}

RecordReader::RecordReader(const DeclarationKind &kind, const QList<FieldLayout> &layout)
    : m_kind(kind)
{
    // Keep the kind's order, whatever order the layout came in.
    for (const DeclarationField &f : kind.fields()) {
        const auto it = std::find_if(layout.begin(), layout.end(), [&](const FieldLayout &l) {
            return l.name.compare(f.name, Qt::CaseInsensitive) == 0;
        });
        FieldLayout l = it != layout.end() ? *it : FieldLayout{f.name, f.offset, f.width};
        l.name = f.name;
        m_required = std::max(m_required, l.offset + l.width);
        m_layout.append(l);
    }
}

QList<FieldLayout> RecordReader::standardLayout(const DeclarationKind &kind)
{
    QList<FieldLayout> layout;
    for (const DeclarationField &f : kind.fields())
        layout.append({f.name, f.offset, f.width});
    return layout;
}

RecordReader::Result RecordReader::read(const DeclarationKind &kind, QByteArrayView line, int lineNo)
{
    return RecordReader(kind).read(line, lineNo);
}

RecordReader::Result RecordReader::read(QByteArrayView line, int lineNo) const
{
    Result result;
    result.lineNo = lineNo;
    auto refuse = [&](const QString &field, const QString &why) {
        result.values.clear();
        result.numbers.clear();
        result.field = field;
        result.error = TextLines::lineError(lineNo, field, why);
        return result;
    };

    while (!line.isEmpty() && (line.back() == '\n' || line.back() == '\r'))
        line.chop(1);

    if (line.size() < m_required)
        return refuse({}, QStringLiteral("長度 %1 不足 (應至少 %2 個字元)").arg(line.size()).arg(m_required));

    const QList<DeclarationField> &fields = m_kind.fields();

    // Every field text first; a byte that is not printable ASCII refuses the
    // line. The line is widened once into a buffer on the stack and each field
    // is a view of it: every file reading comes through here, line by line, and
    // only the texts kept as values are allocated.
    for (int i = 0; i < fields.size(); ++i) {
        const FieldLayout &l = m_layout.at(i);
        const QByteArrayView bytes = line.sliced(l.offset, l.width);
        const qsizetype k = TextLines::firstUnprintable(bytes);
        if (k >= 0)
            return refuse(l.name, TextLines::unprintableMessage(l.offset + k + 1, static_cast<unsigned char>(bytes[k])));
    }
    QVarLengthArray<char16_t, 256> wide(m_required);
    for (qsizetype i = 0; i < m_required; ++i)
        wide[i] = char16_t(static_cast<unsigned char>(line[i]));
    auto textOf = [&](int i) {
        const FieldLayout &l = m_layout.at(i);
        return QStringView(wide.constData() + l.offset, l.width);
    };

    QString accountCode;
    for (int i = 0; i < fields.size(); ++i) {
        const DeclarationField &f = fields.at(i);
        const QStringView text = textOf(i);
        switch (f.rendering) {
        case R::Year:
        case R::Month: {
            const int max = f.rendering == R::Year ? Period::MaxYear : Period::MaxMonth;
            const auto value = DeclarationFormat::readInteger(text);
            if (!value)
                return refuse(f.name, QStringLiteral("不是數字「%1」").arg(text));
            if (*value < 1 || *value > max)
                return refuse(f.name, QStringLiteral("%1 超出範圍 (1-%2)").arg(*value).arg(max));
            result.values.insert(f.name, *value);
            break;
        }
        case R::InstitutionCode:
        case R::AccountCode:
        case R::AsStored: {
            const QString value = f.rendering == R::InstitutionCode
                ? FieldText::withoutTrailingBlanks(DeclarationFormat::readInstitutionCode(text))
                : FieldText::withoutTrailingBlanks(text).toString();
            if (value.isEmpty())
                return refuse(f.name, QStringLiteral("空白"));
            if (f.columnWidth > 0 && value.size() > f.columnWidth)
                return refuse(f.name, QStringLiteral("「%1」超過欄位寬度 %2").arg(value).arg(f.columnWidth));
            if (f.rendering == R::AccountCode)
                accountCode = value;
            result.values.insert(f.name, value);
            break;
        }
        case R::Number:
            break;   // below, once the account code is known
        }
    }

    for (int i = 0; i < fields.size(); ++i) {
        const DeclarationField &f = fields.at(i);
        if (!f.isNumber())
            continue;
        const QStringView text = textOf(i);
        const int factor = f.accountFactor ? DeclarationFormat::amountFactor(accountCode) : f.factor;
        const auto value = DeclarationFormat::readNumber(text, factor);
        if (!value)
            return refuse(f.name, QStringLiteral("不是數值「%1」").arg(text));
        result.numbers.insert(f.name, *value);
        result.values.insert(f.name, value->toDouble());
    }
    return result;
}
