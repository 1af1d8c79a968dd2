#include "reports/sheet_names.h"

namespace {

// At most `length` UTF-16 units, never half of a surrogate pair.
QString cut(const QString &text, qsizetype length)
{
    if (text.size() <= length)
        return text;
    if (length > 0 && text.at(length - 1).isHighSurrogate())
        --length;
    return text.left(length);
}

QString cleaned(const QString &wanted)
{
    QString name = wanted.trimmed();
    for (QChar &c : name) {
        if (c.category() == QChar::Other_Control || QStringView(u"[]:*?/\\").contains(c))
            c = u'_';
    }
    while (name.startsWith(u'\''))
        name.remove(0, 1);
    name = cut(name, SheetNames::MaxLength);
    while (name.endsWith(u'\''))
        name.chop(1);
    if (name.isEmpty())
        return QStringLiteral("工作表");
    // Excel keeps this name for itself.
    if (name.compare(QLatin1String("History"), Qt::CaseInsensitive) == 0)
        name += u'_';
    return name;
}

} // namespace

bool SheetNames::isTaken(const QString &name) const
{
    return m_taken.contains(name, Qt::CaseInsensitive);
}

QString SheetNames::take(const QString &wanted)
{
    const QString base = cleaned(wanted);
    QString name = base;
    for (int n = 2; isTaken(name); ++n) {
        const QString suffix = QStringLiteral("(%1)").arg(n);
        name = cut(base, MaxLength - suffix.size()) + suffix;
    }
    m_taken << name;
    return name;
}
