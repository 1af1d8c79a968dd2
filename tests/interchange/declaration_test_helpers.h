#pragma once

// Small helpers shared by the declaration file tests.

#include "db/declaration_kind.h"

#include <QString>
#include <QVariantMap>
#include <initializer_list>
#include <utility>

using Kind = DeclarationKind;

inline const Kind &kindOf(const QString &code)
{
    const Kind *k = Kind::find(code);
    Q_ASSERT(k);
    return *k;
}

inline QVariantMap row(std::initializer_list<std::pair<const char *, QVariant>> values)
{
    QVariantMap map;
    for (const auto &[name, value] : values)
        map.insert(QString::fromLatin1(name), value);
    return map;
}

// Rows of 88/5 of institution ABC (B01: of the institution given).
inline QVariantMap b01(const QVariant &code, const QVariant &acc, const QVariant &amt)
{
    return row({{"M_YEAR", 88}, {"M_MONTH", 5}, {"BANK_CODE", code}, {"ACC_CODE", acc}, {"AMT", amt}});
}
inline QVariantMap b02(const QVariant &unit, const QVariant &rate)
{
    return row({{"M_YEAR", 88}, {"M_MONTH", 5}, {"BANK_CODE", "ABC"}, {"BANK_CODE1", unit}, {"M_RATE", rate}});
}
inline QVariantMap b03(const QVariant &flag3, const QVariant &rate)
{
    return row({{"BANK_CODE", "ABC"}, {"M_YEAR", 88}, {"M_MONTH", 5}, {"FLAG1", "1"}, {"FLAG2", "2"},
                {"FLAG3", flag3}, {"FLAG4", "3"}, {"RATE", rate}});
}
inline QVariantMap b04(const QVariant &flag1, const QVariant &flag3, const QVariant &amt, const QVariant &amt1)
{
    return row({{"BANK_CODE", "ABC"}, {"M_YEAR", 88}, {"M_MONTH", 5}, {"FLAG1", flag1}, {"FLAG2", "2"},
                {"FLAG3", flag3}, {"AMT", amt}, {"AMT1", amt1}});
}
