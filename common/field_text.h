#pragma once

#include <QString>
#include <QStringView>
#include <QVariant>

// Text fields keep a fixed width, so trailing blanks are not part of a value:
// codes are compared, looked up and written without them.
namespace FieldText {

inline QStringView withoutTrailingBlanks(QStringView text)
{
    qsizetype n = text.size();
    while (n > 0 && text.at(n - 1) == u' ')
        --n;
    return text.first(n);
}

// A QString keeps sharing its data when it has no trailing blank.
inline QString withoutTrailingBlanks(const QString &text)
{
    qsizetype n = text.size();
    while (n > 0 && text.at(n - 1) == u' ')
        --n;
    return text.left(n);
}

inline QString withoutTrailingBlanks(const QVariant &value) { return withoutTrailingBlanks(value.toString()); }

} // namespace FieldText
