#pragma once

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

class FieldKinds;

// How a dataset's fields show as the columns of a grid: which fields, in which
// order, under which titles, with which number pictures, and which may be
// edited. Set by field name (any case) before or after the dataset is opened;
// resolve() maps the columns onto the fields of the statement that ran.
class ColumnPresentation
{
public:
    // The fields shown, in order; an empty list shows every field.
    void setColumns(const QStringList &fields);
    void resolve(const FieldKinds &fields);

    const QStringList &columns() const { return m_columns; }
    int count() const { return int(m_columns.size()); }
    // The field index of a column, -1 when the statement has no such field.
    int fieldOf(int column) const { return m_columnField.value(column, -1); }
    // The first column showing the field, -1 when none does.
    int columnOf(int field) const { return int(m_columnField.indexOf(field)); }
    // Every column showing the named field (any case).
    QList<int> columnsNamed(const QString &field) const;

    void setTitle(const QString &field, const QString &title);
    // The title, or the field's own name when it has none.
    QString title(const QString &field) const;

    // Display and edit picture of a numeric column (NumberPicture); an empty
    // picture shows the plain value.
    void setPictures(const QString &field, const QString &displayPicture, const QString &editPicture);
    bool hasPicture(const QString &field) const { return m_displayPicture.contains(field.toUpper()); }
    // The text of a value in a cell of the field: the picture's when the field
    // has one, a float with up to 15 significant digits, else the value's own.
    QString text(const QString &field, const QVariant &value, bool edit) const;

    void setReadOnly(const QString &field, bool readOnly) { m_readOnly.insert(field.toUpper(), readOnly); }
    // Every column, including those not yet named; forgets single settings.
    void setAllReadOnly(bool readOnly);
    bool isReadOnly(const QString &field) const { return m_readOnly.value(field.toUpper(), m_defaultReadOnly); }

private:
    QStringList m_columns;
    bool m_columnsExplicit = false;
    QStringList m_fieldNames;             // of the last resolve()
    QList<int> m_columnField;             // field index of each column, -1 if none
    QHash<QString, QString> m_titles;     // keys: upper-case field names
    QHash<QString, QString> m_displayPicture;
    QHash<QString, QString> m_editPicture;
    QHash<QString, bool> m_readOnly;
    bool m_defaultReadOnly = false;
};
