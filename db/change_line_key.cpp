#include "db/change_line_key.h"

#include "db/change_values.h"
#include "db/schema.h"

ChangeLineKey::ChangeLineKey(const TableDef &table, const QString &institution, int year, int month)
{
    for (const FieldDef *f : ChangeValues::fields(table, true)) {
        QVariant own;
        if (f->name == QLatin1String("M_YEAR"))
            own = year;
        else if (f->name == QLatin1String("M_MONTH"))
            own = month;
        else if (f->name == QLatin1String("BANK_CODE") && !institution.isEmpty())
            own = institution;   // empty: the operation is every institution's
        QString text;
        if (own.isValid()) {
            ChangeValues::appendValue(text, ChangeValues::kindOf(*f), own);
            if (text.isNull())
                text = QStringLiteral("");
            ++m_ownCount;
        }
        m_ownTexts << text;
        m_ownValues << own;
    }
}

QString ChangeLineKey::whole(const QString &lineKey) const
{
    if (m_ownCount == 0)
        return lineKey;
    const QList<QStringView> parts = QStringView(lineKey).split(ChangeValues::Separator);
    if (parts.size() != m_ownTexts.size() - m_ownCount)
        return lineKey;
    QString out;
    out.reserve(lineKey.size() + 16 * m_ownCount);
    qsizetype next = 0;
    for (qsizetype i = 0; i < m_ownTexts.size(); ++i) {
        if (i > 0)
            out += ChangeValues::Separator;
        out += m_ownTexts.at(i).isNull() ? parts.at(next++) : QStringView(m_ownTexts.at(i));
    }
    return out;
}
