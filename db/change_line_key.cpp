#include "db/change_line_key.h"

#include "db/change_values.h"
#include "db/schema.h"

namespace {

qsizetype lengthWithoutTrailingBlanks(const QString &text)
{
    qsizetype end = text.size();
    while (end > 0 && text.at(end - 1) == u' ')
        --end;
    return end;
}

} // namespace

ChangeLineKey::ChangeLineKey(const TableDef &table, const QString &institution, int year, int month)
{
    for (const FieldDef *f : ChangeValues::fields(table, true)) {
        QVariant own;
        if (f->name == QLatin1String("M_YEAR"))
            own = year;
        else if (f->name == QLatin1String("M_MONTH"))
            own = month;
        else if (f->name == QLatin1String("BANK_CODE") && !institution.trimmed().isEmpty()) {
            // As written: without trailing blanks (an empty institution: the
            // operation is every institution's).
            m_institution = QStringView(institution).first(lengthWithoutTrailingBlanks(institution)).toString();
            own = m_institution;
        }
        QString text;
        if (own.isValid()) {
            ChangeValues::appendValue(text, ChangeValues::kindOf(*f), own);
            if (text.isNull())
                text = QStringLiteral("");
            ++m_ownCount;
        }
        m_ownTexts << text;
        m_kinds << int(ChangeValues::kindOf(*f));
        m_numbers << (own.metaType().id() == QMetaType::Int ? own.toLongLong() : 0);
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

bool ChangeLineKey::matches(int field, const QVariant &value) const
{
    if (value.isNull())
        return false;   // written as nothing; an own field's text never is
    switch (ChangeValues::Kind(m_kinds.at(field))) {
    case ChangeValues::Kind::WholeNumber:
        return value.toLongLong() == m_numbers.at(field);
    case ChangeValues::Kind::Text: {
        // The escape is one to one: the texts are equal when the values are.
        const QString converted = value.metaType().id() == QMetaType::QString ? QString() : value.toString();
        const QString &text = converted.isNull() ? *static_cast<const QString *>(value.constData()) : converted;
        return QStringView(text).first(lengthWithoutTrailingBlanks(text)) == m_institution;
    }
    default: {
        QString written;
        ChangeValues::appendValue(written, ChangeValues::Kind(m_kinds.at(field)), value);
        return written == m_ownTexts.at(field);
    }
    }
}
