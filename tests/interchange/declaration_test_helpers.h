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
