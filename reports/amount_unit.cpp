#include "reports/amount_unit.h"

namespace {

struct UnitText
{
    AmountUnit::Id id;
    const char16_t *text;
    long long divisor;
};

constexpr UnitText Units[] = {
    {AmountUnit::Id::Yuan, u"元", 1},
    {AmountUnit::Id::Thousand, u"仟元", 1000},
    {AmountUnit::Id::TenThousand, u"萬元", 10000},
    {AmountUnit::Id::Million, u"百萬元", 1000000},
};

const UnitText &entry(AmountUnit::Id id)
{
    for (const UnitText &u : Units) {
        if (u.id == id)
            return u;
    }
    return Units[0];
}

} // namespace

std::optional<AmountUnit> AmountUnit::fromText(QStringView text)
{
    const QStringView t = text.trimmed();
    if (t.isEmpty())
        return AmountUnit(Id::Yuan);
    for (const UnitText &u : Units) {
        if (t == QStringView(u.text))
            return AmountUnit(u.id);
    }
    return std::nullopt;
}

QStringList AmountUnit::texts()
{
    QStringList list;
    for (const UnitText &u : Units)
        list << QString::fromUtf16(u.text);
    return list;
}

QString AmountUnit::refusal(const QString &text)
{
    return QStringLiteral("單位金額「%1」不是 元、仟元、萬元 或 百萬元!!!").arg(text.trimmed());
}

QString AmountUnit::text() const
{
    return QString::fromUtf16(entry(m_id).text);
}

long long AmountUnit::divisor() const
{
    return entry(m_id).divisor;
}

QString AmountUnit::scaledField(const QString &field, const QString &alias) const
{
    if (divisor() == 1)
        return field;
    return QStringLiteral("(%1/%2.0) AS %3").arg(field).arg(divisor()).arg(alias);
}
