#include "entry/amount_limit.h"

#include "common/number_picture.h"
#include "db/cached_dataset.h"
#include "interchange/declaration_format.h"
#include "ui/amount_delegate.h"
#include "ui/cell_delegate.h"

AmountLimit::AmountLimit(const DeclarationKind &kind, QStringView field)
{
    const DeclarationField *f = kind.field(field);
    if (!f || !f->isNumber())
        return;
    m_field = f;
    if (f->accountFactor) {
        for (const DeclarationField &other : kind.fields()) {
            if (other.rendering == DeclarationField::Rendering::AccountCode)
                m_account = &other;
        }
    }
}

QString AmountLimit::accountField() const
{
    return m_account ? m_account->name : QString();
}

int AmountLimit::factor(QStringView accountCode) const
{
    if (!m_field)
        return 1;
    if (!m_field->accountFactor || !m_account)
        return m_field->factor;
    // Decided on the code as the file writes it, as the export does.
    const auto written = DeclarationFormat::accountText(accountCode.trimmed(), m_account->width);
    return DeclarationFormat::amountFactor(written ? QStringView(*written) : accountCode);
}

QString AmountLimit::refusal(const QString &text, QStringView accountCode) const
{
    if (!m_field)
        return {};
    const int factor = this->factor(accountCode);
    // The value as it will be stored and then exported: a double, read back
    // into the file's decimal (the export's own steps).
    double value = 0;
    if (NumberPicture::parseAmount(text, &value)
        && DeclarationFormat::numberText(Decimal4::fromDouble(value), factor, m_field->width))
        return {};
    const QString shown = CellDelegate::shortened(text);
    if (factor == 1)
        return QStringLiteral("數值 %1 超過申報檔欄位寬度 %2").arg(shown).arg(m_field->width);
    return QStringLiteral("數值 %1 乘以 %2 後超過申報檔欄位寬度 %3").arg(shown).arg(factor).arg(m_field->width);
}

void AmountLimit::applyTo(QAbstractItemDelegate *delegate, const DeclarationKind &kind, const QString &field,
                          const CachedDataset &rows)
{
    auto *amount = qobject_cast<AmountDelegate *>(delegate);
    const AmountLimit limit(kind, field);
    if (!amount || limit.isEmpty())
        return;
    const QString account = limit.accountField();
    amount->setLimit([&rows, limit, account](const QModelIndex &index, const QString &text) {
        const QString code = account.isEmpty() ? QString() : rows.value(index.row(), account).toString();
        return limit.refusal(text, code);
    });
}
