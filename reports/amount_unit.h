#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>
#include <optional>

// The amount unit of a report: "元", "仟元", "萬元" or "百萬元". The scaling
// reports divide their amount column by it in the query; the others only print
// its text in the title block.
class AmountUnit
{
public:
    enum class Id { Yuan, Thousand, TenThousand, Million };

    constexpr AmountUnit() = default;
    constexpr explicit AmountUnit(Id id) : m_id(id) {}

    // The unit a text names. An empty text (blanks only included) is "元"; any
    // text that is none of the four is refused with nothing, so a report is
    // never built on a unit without a meaning.
    static std::optional<AmountUnit> fromText(QStringView text);
    // The four texts in the order the drop-downs list them.
    static QStringList texts();
    // Why a text was refused, for the dialogs and velq8-cli alike.
    static QString refusal(const QString &text);

    Id id() const { return m_id; }
    QString text() const;
    long long divisor() const;
    // The amount field as the select list of a scaling report writes it:
    // "A.AMT" for "元", else "(A.AMT/10000.0) AS AMT". The divisor is written as a
    // real number so that an amount stored as an integer is never divided as one.
    QString scaledField(const QString &field, const QString &alias) const;

    friend bool operator==(AmountUnit, AmountUnit) = default;

private:
    Id m_id = Id::Yuan;
};
