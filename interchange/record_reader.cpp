#include "interchange/record_reader.h"

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

QVariant RecordReader::valueOf(const DeclarationField &field, const FieldReading &reading)
{
    switch (field.rendering) {
    case R::Year:
    case R::Month:
        return reading.integer;
    case R::Number:
        return reading.number.toDouble();
    default:
        return QString(reading.latin1());
    }
}

RecordReader::Result RecordReader::read(QByteArrayView line, int lineNo) const
{
    Result result;
    result.lineNo = lineNo;
    const QList<DeclarationField> &fields = m_kind.fields();
    QVarLengthArray<FieldReading, 16> readings(fields.size());
    if (!read(line, lineNo, readings.data(), &result.field, &result.error))
        return result;
    return resultOf(readings.constData(), lineNo);
}

RecordReader::Result RecordReader::resultOf(const FieldReading *readings, int lineNo) const
{
    Result result;
    result.lineNo = lineNo;
    const QList<DeclarationField> &fields = m_kind.fields();
    for (int i = 0; i < fields.size(); ++i) {
        const DeclarationField &f = fields.at(i);
        if (f.isNumber())
            result.numbers.insert(f.name, readings[i].number);
        result.values.insert(f.name, valueOf(f, readings[i]));
    }
    return result;
}

bool RecordReader::read(QByteArrayView line, int lineNo, FieldReading *out, QString *field, QString *error) const
{
    auto refuse = [&](const QString &name, const QString &why) {
        *field = name;
        *error = TextLines::lineError(lineNo, name, why);
        return false;
    };

    while (!line.isEmpty() && (line.back() == '\n' || line.back() == '\r'))
        line.chop(1);

    if (line.size() < m_required)
        return refuse({}, QStringLiteral("長度 %1 不足 (應至少 %2 個字元)").arg(line.size()).arg(m_required));

    const QList<DeclarationField> &fields = m_kind.fields();

    // Every field text first; a byte that is not printable ASCII refuses the
    // line. The line is widened once into a buffer on the stack for the
    // readings of numbers; texts are views of the line itself.
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

    QStringView accountCode;
    for (int i = 0; i < fields.size(); ++i) {
        const DeclarationField &f = fields.at(i);
        switch (f.rendering) {
        case R::Year:
        case R::Month: {
            const QStringView text = textOf(i);
            const int max = f.rendering == R::Year ? Period::MaxYear : Period::MaxMonth;
            const auto value = DeclarationFormat::readInteger(text);
            if (!value)
                return refuse(f.name, QStringLiteral("不是數字「%1」").arg(text));
            if (*value < 1 || *value > max)
                return refuse(f.name, QStringLiteral("%1 超出範圍 (1-%2)").arg(*value).arg(max));
            out[i].integer = *value;
            break;
        }
        case R::InstitutionCode:
        case R::AccountCode:
        case R::AsStored: {
            const FieldLayout &l = m_layout.at(i);
            QByteArrayView text = line.sliced(l.offset, l.width);
            if (f.rendering == R::InstitutionCode)
                text = DeclarationFormat::readInstitutionCode(text);
            while (text.endsWith(' '))
                text.chop(1);
            const QLatin1StringView value(text.data(), text.size());
            if (value.isEmpty())
                return refuse(f.name, QStringLiteral("空白"));
            if (f.columnWidth > 0 && value.size() > f.columnWidth)
                return refuse(f.name, QStringLiteral("「%1」超過欄位寬度 %2").arg(value).arg(f.columnWidth));
            if (f.rendering == R::AccountCode)
                accountCode = textOf(i).first(text.size());
            out[i].text = text;
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
        out[i].number = *value;
    }
    return true;
}
