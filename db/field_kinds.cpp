#include "db/field_kinds.h"

#include "common/small_int.h"
#include "common/big5_text.h"
#include "common/number_picture.h"
#include "db/lookup_key.h"
#include "db/schema.h"

#include <QDate>
#include <cmath>

FieldKinds::FieldKinds(const QStringList &names, const QList<int> &columnTypes)
    : m_names(names), m_columnTypes(columnTypes)
{
    for (int i = int(names.size()) - 1; i >= 0; --i)   // the first of a repeated name wins
        m_index.insert(names.at(i).toUpper(), i);
    refreshKinds();
}

void FieldKinds::useTable(const TableDef *table)
{
    m_table = table;
    refreshKinds();
}

void FieldKinds::refreshKinds()
{
    m_kinds.clear();
    m_widths.clear();
    for (int i = 0; i < m_names.size(); ++i) {
        Kind kind = Kind::Unknown;
        int width = 0;
        if (const FieldDef *f = m_table ? m_table->field(m_names.at(i)) : nullptr) {
            switch (f->type) {
            case FieldType::SmallInt: kind = Kind::Integer; break;
            case FieldType::Float: kind = Kind::Float; break;
            case FieldType::Text: kind = Kind::Text; width = f->width; break;
            case FieldType::Date: kind = Kind::Date; break;
            }
        } else {
            // A computed column, or a field of no known table: the engine's type decides.
            const int type = m_columnTypes.value(i, QMetaType::UnknownType);
            if (type == QMetaType::Double || type == QMetaType::Float)
                kind = Kind::Float;
            else if (LookupKey::isNumberType(type))
                kind = Kind::Integer;
            else if (type == QMetaType::QString)
                kind = Kind::Text;
            else if (type == QMetaType::QDate)
                kind = Kind::Date;
        }
        m_kinds << kind;
        m_widths << width;
    }
}

bool FieldKinds::isNumber(int field) const
{
    const Kind k = kind(field);
    return k == Kind::Integer || k == Kind::Float;
}

bool FieldKinds::isNull(const QVariant &v)
{
    if (!v.isValid() || v.isNull())
        return true;
    if (v.metaType().id() == QMetaType::QString)
        return v.toString().isNull();
    return false;
}

QVariant FieldKinds::normalized(int field, const QVariant &value) const
{
    const Kind k = kind(field);
    switch (k) {
    case Kind::Integer:
    case Kind::Float: {
        if (isNull(value))
            return {};
        if (value.metaType().id() == QMetaType::QString && value.toString().trimmed().isEmpty())
            return {};
        bool ok = false;
        const double d = value.toDouble(&ok);
        if (!ok)
            return value;   // left as given: the table refuses it when applied
        if (k == Kind::Float)
            return d;
        if (d == std::trunc(d) && std::fabs(d) < 9.0e15)
            return qlonglong(d);
        return d;
    }
    case Kind::Text:
        if (value.metaType().id() == QMetaType::QDate)
            return value.toDate().toString(Qt::ISODate);
        if (!value.isValid())
            return {};
        return value.toString();
    case Kind::Date:
        if (value.metaType().id() == QMetaType::QDate || value.metaType().id() == QMetaType::QDateTime) {
            const QDate d = value.toDate();
            return d.isValid() ? QVariant(d.toString(Qt::ISODate)) : QVariant();
        }
        if (value.metaType().id() == QMetaType::QString && value.toString().trimmed().isEmpty())
            return {};
        return value;
    case Kind::Unknown:
        break;
    }
    return value;
}

QVariant FieldKinds::bindable(int field, const QVariant &value) const
{
    if (kind(field) == Kind::Text && isNull(value))
        return QString(QLatin1StringView(""));   // an empty, not a null, string: '' rather than NULL
    if (value.metaType().id() == QMetaType::QDate)
        return value.toDate().toString(Qt::ISODate);
    return value;
}

QString FieldKinds::textRefusal(int field, const QString &text) const
{
    const int w = width(field);
    return w > 0 ? Big5Text::refusal(text, w) : QString();
}

bool FieldKinds::fromInput(int field, const QVariant &input, bool asNumber, QVariant *stored, QString *why) const
{
    auto refuse = [&](const QString &reason) {
        *why = reason;
        return false;
    };
    const Kind k = kind(field);
    if (asNumber || k == Kind::Integer || k == Kind::Float) {
        double d = 0;
        if (LookupKey::isNumberType(input.metaType().id()))
            d = input.toDouble();
        else if (!NumberPicture::parseAmount(input.toString().trimmed(), &d))
            return refuse(QStringLiteral("不是數字: %1").arg(input.toString()));
        if (!std::isfinite(d))
            return refuse(QStringLiteral("數值過大: %1").arg(input.toString()));
        if (k == Kind::Integer) {
            if (d != std::trunc(d) || !SmallInt::contains(d))
                return refuse(QStringLiteral("須為 %1 至 %2 的整數: %3").arg(SmallInt::Min).arg(SmallInt::Max).arg(input.toString()));
            *stored = qlonglong(d);
        } else {
            *stored = d;
        }
        return true;
    }
    if (k == Kind::Text) {
        const QString text = input.toString();
        const QString reason = textRefusal(field, text);
        if (!reason.isEmpty())
            return refuse(reason);
        *stored = text;
        return true;
    }
    *stored = input;
    return true;
}
