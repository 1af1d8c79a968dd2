#include "db/column_presentation.h"

#include "common/number_picture.h"
#include "db/field_kinds.h"

void ColumnPresentation::setColumns(const QStringList &fields)
{
    m_columnsExplicit = !fields.isEmpty();
    m_columns = m_columnsExplicit ? fields : m_fieldNames;
}

void ColumnPresentation::resolve(const FieldKinds &fields)
{
    m_fieldNames = fields.names();
    if (!m_columnsExplicit)
        m_columns = m_fieldNames;
    m_columnField.clear();
    for (const QString &c : std::as_const(m_columns))
        m_columnField << fields.indexOf(c);
}

QList<int> ColumnPresentation::columnsNamed(const QString &field) const
{
    QList<int> out;
    for (int c = 0; c < m_columns.size(); ++c) {
        if (m_columns.at(c).compare(field, Qt::CaseInsensitive) == 0)
            out << c;
    }
    return out;
}

void ColumnPresentation::setTitle(const QString &field, const QString &title)
{
    m_titles.insert(field.toUpper(), title);
}

QString ColumnPresentation::title(const QString &field) const
{
    return m_titles.value(field.toUpper(), field);
}

void ColumnPresentation::setPictures(const QString &field, const QString &displayPicture,
                                     const QString &editPicture)
{
    const QString key = field.toUpper();
    if (displayPicture.isEmpty())
        m_displayPicture.remove(key);
    else
        m_displayPicture.insert(key, displayPicture);
    if (editPicture.isEmpty())
        m_editPicture.remove(key);
    else
        m_editPicture.insert(key, editPicture);
}

QString ColumnPresentation::text(const QString &field, const QVariant &value, bool edit) const
{
    if (FieldKinds::isNull(value))
        return {};
    const QString key = field.toUpper();
    const QString picture = edit ? m_editPicture.value(key) : m_displayPicture.value(key);
    if (!picture.isEmpty()) {
        bool ok = false;
        const double d = value.toDouble(&ok);
        return ok ? NumberPicture::format(d, picture) : value.toString();
    }
    if (value.metaType().id() == QMetaType::Double || value.metaType().id() == QMetaType::Float)
        return QString::number(value.toDouble(), 'g', 15);
    return value.toString();
}

void ColumnPresentation::setAllReadOnly(bool readOnly)
{
    m_readOnly.clear();
    m_defaultReadOnly = readOnly;
}
