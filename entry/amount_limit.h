#pragma once

#include "db/declaration_kind.h"

#include <QString>
#include <QStringView>

class CachedDataset;
class QAbstractItemDelegate;

// What the declaration file of a kind can hold for one of its number fields.
// An amount typed into a tab that the export could not write is refused when it
// is typed, not when the month is exported: the field's width in characters
// (sign and point included), after the field's factor (1000 for the amounts of
// an account code whose fifth character is "p").
class AmountLimit
{
public:
    // No limit when the kind has no number field of that name.
    AmountLimit(const DeclarationKind &kind, QStringView field);

    bool isEmpty() const { return m_field == nullptr; }
    // The field whose account code decides the factor; empty when the factor is fixed.
    QString accountField() const;
    int factor(QStringView accountCode) const;
    // Why `text`, typed as the amount of a row of the account `accountCode`,
    // cannot be written to the file; empty when it can.
    QString refusal(const QString &text, QStringView accountCode) const;

    // Gives the cell editor of `field` the limit of `kind`'s field of that name
    // when the editor is an AmountDelegate and the field one the file holds; the
    // account code, where the factor depends on it, is that of the edited row of
    // `rows`. Any other editor or field is left as it is.
    static void applyTo(QAbstractItemDelegate *delegate, const DeclarationKind &kind, const QString &field,
                        const CachedDataset &rows);

private:
    const DeclarationField *m_field = nullptr;
    const DeclarationField *m_account = nullptr;
};
