#include "db/change_values.h"

#include "db/dialect.h"
#include "db/schema.h"

#include <QStringList>

namespace {

QList<const FieldDef *> partFields(const TableDef &table, bool key)
{
    QList<const FieldDef *> out;
    if (key) {
        for (const QString &name : table.key)
            out << table.field(name);
    } else {
        for (const FieldDef &f : table.fields) {
            if (!table.key.contains(f.name, Qt::CaseInsensitive))
                out << &f;
        }
    }
    return out;
}

// A number as a plain decimal: whole numbers without a point, others with at
// most the four places the amounts keep ("1234.5", "-3").
QString plainNumber(double value)
{
    QString text = QString::number(value, 'f', 4);
    while (text.endsWith(u'0'))
        text.chop(1);
    if (text.endsWith(u'.'))
        text.chop(1);
    return text == QLatin1String("-0") ? QStringLiteral("0") : text;
}

QString textOf(const FieldDef &field, const QVariant &value)
{
    if (value.isNull())
        return {};
    switch (field.type) {
    case FieldType::SmallInt: return QString::number(value.toLongLong());
    case FieldType::Float: return plainNumber(value.toDouble());
    case FieldType::Text: {
        QString text = value.toString();
        while (text.endsWith(u' '))
            text.chop(1);
        return text;
    }
    case FieldType::Date: return value.toString();
    }
    return value.toString();
}

QString encode(const TableDef &table, bool key, const ChangeValues::Lookup &value)
{
    QStringList parts;
    for (const FieldDef *f : partFields(table, key))
        parts << textOf(*f, value(f->name));
    // Never a null text: NULL in the history means "the row was not there".
    const QString text = parts.join(ChangeValues::Separator);
    return text.isNull() ? QStringLiteral("") : text;
}

QString encodeSql(const TableDef &table, bool key, const QString &alias, const Dialect &dialect)
{
    QStringList parts;
    for (const FieldDef *f : partFields(table, key)) {
        const QString column = alias + u'.' + f->name;
        if (f->type == FieldType::Text)
            parts << QStringLiteral("coalesce(rtrim(%1), '')").arg(column);
        else if (f->type == FieldType::Float)
            parts << QStringLiteral("case when %1 is null then '' else %2 end")
                         .arg(column, dialect.exactNumberText(column));
        else
            parts << QStringLiteral("coalesce(cast(%1 as text), '')").arg(column);
    }
    return parts.join(QStringLiteral(" || '%1' || ").arg(ChangeValues::Separator));
}

} // namespace

namespace ChangeValues {

QString keyOf(const TableDef &table, const Lookup &value) { return encode(table, true, value); }
QString valuesOf(const TableDef &table, const Lookup &value) { return encode(table, false, value); }
QString keySql(const TableDef &table, const QString &alias, const Dialect &dialect)
{
    return encodeSql(table, true, alias, dialect);
}
QString valuesSql(const TableDef &table, const QString &alias, const Dialect &dialect)
{
    return encodeSql(table, false, alias, dialect);
}

QMap<QString, QString> decode(const TableDef &table, bool key, const QString &encoded)
{
    QMap<QString, QString> out;
    if (encoded.isNull())
        return out;
    const QStringList parts = encoded.split(Separator);
    const QList<const FieldDef *> fields = partFields(table, key);
    for (qsizetype i = 0; i < fields.size() && i < parts.size(); ++i) {
        // A stored number reads back in this system's words whatever engine wrote it
        // ("1234.0" and "1234" are one amount).
        bool isNumber = false;
        const double number = parts.at(i).toDouble(&isNumber);
        out.insert(fields.at(i)->name, fields.at(i)->type == FieldType::Float && isNumber ? plainNumber(number)
                                                                                          : parts.at(i));
    }
    return out;
}

QString describe(const TableDef &table, bool key, const QString &encoded)
{
    if (encoded.isNull())
        return {};
    const QMap<QString, QString> values = decode(table, key, encoded);
    QStringList out;
    for (const FieldDef *f : partFields(table, key))
        out << f->name + u'=' + values.value(f->name);
    return out.join(u' ');
}

} // namespace ChangeValues
