#include "db/lookup_key.h"

#include "common/field_text.h"

#include <cmath>

namespace LookupKey {

bool isNumberType(int metaTypeId)
{
    switch (metaTypeId) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
    case QMetaType::Float:
        return true;
    default:
        return false;
    }
}

void append(QString &key, const QVariant &v)
{
    key += QChar(0x1F);
    if (!v.isValid() || v.isNull()
        || (v.metaType().id() == QMetaType::QString && v.toString().isNull())) {
        key += QChar(0x1E);
        return;
    }
    const int type = v.metaType().id();
    if (isNumberType(type)) {
        const double d = v.toDouble();
        if (type != QMetaType::Double && type != QMetaType::Float)
            key += QString::number(v.toLongLong());
        else if (std::isfinite(d) && d == std::trunc(d) && std::fabs(d) < 9.0e15)
            key += QString::number(qint64(d));
        else
            key += QString::number(d, 'g', 17);
        return;
    }
    key += FieldText::withoutTrailingBlanks(v.toString());
}

QString of(const QVariantList &values)
{
    QString key;
    for (const QVariant &v : values)
        append(key, v);
    return key;
}

} // namespace LookupKey
