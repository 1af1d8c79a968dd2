#include "db/named_placeholders.h"

namespace {

bool isNameChar(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || (u >= '0' && u <= '9') || u == '_';
}

} // namespace

namespace NamedPlaceholders {

namespace {

// Calls `found` with the position, length and name of each placeholder.
void scan(const QString &sql, const std::function<void(int at, int length, const QString &name)> &found)
{
    QChar closing;   // the quote that ends the literal or name being passed over
    const int n = int(sql.size());
    int i = 0;
    while (i < n) {
        const QChar ch = sql.at(i);
        if (!closing.isNull()) {
            if (ch == closing) {
                if (closing == u']' && i + 1 < n && sql.at(i + 1) == closing)
                    ++i;
                else
                    closing = QChar();
            }
            ++i;
            continue;
        }
        if (ch == u':' && (i == 0 || sql.at(i - 1) != u':') && i + 1 < n && isNameChar(sql.at(i + 1))) {
            int end = i + 2;
            while (end < n && isNameChar(sql.at(end)))
                ++end;
            found(i, end - i, sql.mid(i + 1, end - i - 1));
            i = end;
            continue;
        }
        if (ch == u'\'' || ch == u'"' || ch == u'`')
            closing = ch;
        else if (ch == u'[')
            closing = u']';
        ++i;
    }
}

} // namespace

QStringList in(const QString &sql)
{
    QStringList names;
    scan(sql, [&names](int, int, const QString &name) {
        if (!names.contains(name))
            names << name;
    });
    return names;
}

QString replaced(const QString &sql, const std::function<QString(const QString &name)> &literal)
{
    QString text;
    text.reserve(sql.size() + 64);
    int copied = 0;
    scan(sql, [&](int at, int length, const QString &name) {
        text += QStringView(sql).mid(copied, at - copied);
        text += literal(name);
        copied = at + length;
    });
    text += QStringView(sql).mid(copied);
    return text;
}

} // namespace NamedPlaceholders
