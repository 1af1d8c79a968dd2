#pragma once

#include <QString>
#include <QVariant>
#include <QVariantList>

// The text under which a row is kept in a look-up hash (TableCursor::findKey,
// CachedDataset::locate): numbers by value (88, 88.0 and a number read as text
// from a number field give the same key), text without trailing blanks, NULL as
// a value of its own. Parts are separated, so ("AB","C") and ("A","BC") differ.
namespace LookupKey {

bool isNumberType(int metaTypeId);
void append(QString &key, const QVariant &value);
QString of(const QVariantList &values);

} // namespace LookupKey
