#include "db/change_values.h"

#include "db/change_line_key.h"
#include "db/dialect.h"
#include "db/schema.h"

#include <QStringList>

#include <charconv>
#include <cstring>
#include <cmath>

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

ChangeValues::Kind kindOfType(FieldType type)
{
    switch (type) {
    case FieldType::SmallInt: return ChangeValues::Kind::WholeNumber;
    case FieldType::Float: return ChangeValues::Kind::Number;
    case FieldType::Text: return ChangeValues::Kind::Text;
    case FieldType::Date: return ChangeValues::Kind::Other;
    }
    return ChangeValues::Kind::Other;
}

// A number as a plain decimal: whole numbers without a point, others with at
// most the four places the amounts keep ("1234.5", "-3"), written into
// `buffer` (the widest double in fixed notation fits); its length, or 0 when
// it does not fit. Written without a string of its own: a save writes some
// thousands of them.
constexpr int NumberBuffer = 400;
int numberChars(double value, char *buffer)
{
    // An amount in ten-thousandths as a whole number, written as integers are
    // (several times quicker than a fixed-point double). Below 10^11 a
    // double's error is far under half a ten-thousandth, so the ten-thousandths
    // it rounds to are those the fixed-point text would show; anything else
    // (more places, larger) goes the exact way.
    const double scaled = value * 10000.0;
    if (std::fabs(value) < 1e11 && scaled == std::nearbyint(scaled)) {
        const long long units = std::llround(scaled);
        const unsigned long long magnitude = units < 0 ? 0ULL - (unsigned long long)units : (unsigned long long)units;
        char *end = buffer;
        if (units < 0)
            *end++ = '-';
        end = std::to_chars(end, buffer + NumberBuffer, magnitude / 10000).ptr;
        unsigned long long fraction = magnitude % 10000;
        if (fraction != 0) {
            int digits = 4;
            while (fraction % 10 == 0) {
                fraction /= 10;
                --digits;
            }
            *end++ = '.';
            for (int i = digits - 1; i >= 0; --i, fraction /= 10)
                end[i] = char('0' + fraction % 10);
            end += digits;
        }
        return int(end - buffer);
    }
    const auto done = std::to_chars(buffer, buffer + NumberBuffer, value, std::chars_format::fixed, 4);
    if (done.ec != std::errc())
        return 0;
    char *end = done.ptr;
    if (std::memchr(buffer, '.', size_t(end - buffer))) {
        while (end[-1] == '0')
            --end;
        if (end[-1] == '.')
            --end;
    }
    if (end - buffer == 2 && buffer[0] == '-' && buffer[1] == '0') {   // "-0" is 0
        buffer[0] = '0';
        end = buffer + 1;
    }
    return int(end - buffer);
}

void appendNumber(QString &out, double value)
{
    char buffer[NumberBuffer];
    if (const int n = numberChars(value, buffer))
        out += QLatin1String(buffer, n);
    else
        out += QString::number(value, 'f', 4);
}

QString plainNumber(double value)
{
    QString text;
    appendNumber(text, value);
    return text;
}

// The escape of a text value: U+001B and the three characters the history
// separates by (a line feed, U+001E, U+001F), each written as U+001B and a
// letter. Control characters, so that a statement finds a value that holds
// one with one pattern on either engine (no wildcard, no backslash).
constexpr char16_t Escape = 0x1b;
constexpr char16_t Escaped[] = {Escape, u'\n', 0x1e, 0x1f};

char16_t escapeLetter(char16_t c)
{
    switch (c) {
    case Escape: return u'E';
    case u'\n': return u'n';
    case 0x1e: return u'r';
    case 0x1f: return u's';
    default: return 0;
    }
}

void appendEscaped(QString &out, QStringView text)
{
    qsizetype plain = 0;
    while (plain < text.size() && !escapeLetter(text.at(plain).unicode()))
        ++plain;
    out += text.first(plain);
    for (qsizetype i = plain; i < text.size(); ++i) {
        const char16_t letter = escapeLetter(text.at(i).unicode());
        if (letter) {
            out += QChar(Escape);
            out += QChar(letter);
        } else {
            out += text.at(i);
        }
    }
}

// The same escape of a text given as UTF-8: the characters escaped are ASCII,
// and no byte of a longer UTF-8 sequence is ASCII.
void appendEscapedUtf8(QByteArray &out, QByteArrayView text)
{
    qsizetype plain = 0;
    while (plain < text.size() && !escapeLetter(char16_t(uchar(text.at(plain)))))
        ++plain;
    out += text.first(plain);
    for (qsizetype i = plain; i < text.size(); ++i) {
        const char c = text.at(i);
        if (const char16_t letter = escapeLetter(char16_t(uchar(c)))) {
            out += char(Escape);
            out += char(letter);
        } else {
            out += c;
        }
    }
}

QString unescaped(QStringView text)
{
    if (!text.contains(QChar(Escape)))
        return text.toString();
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i) != QChar(Escape) || i + 1 == text.size()) {
            out += text.at(i);
            continue;
        }
        switch (text.at(++i).unicode()) {
        case u'E': out += QChar(Escape); break;
        case u'n': out += u'\n'; break;
        case u'r': out += QChar(0x1e); break;
        case u's': out += QChar(0x1f); break;
        default: out += text.at(i);
        }
    }
    return out;
}

QString encode(const TableDef &table, bool key, const ChangeValues::Lookup &value)
{
    QString text;
    bool first = true;
    for (const FieldDef *f : partFields(table, key)) {
        if (!first)
            text += ChangeValues::Separator;
        first = false;
        ChangeValues::appendValue(text, kindOfType(f->type), value(f->name));
    }
    // Never a null text: NULL in the history means "the row was not there".
    return text.isNull() ? QStringLiteral("") : text;
}

// The statement's words for the escaping appendEscaped() does of the text
// `text`.
QString escapedSql(const QString &text)
{
    QString replaced = text;
    for (const char16_t c : Escaped)
        replaced = QStringLiteral("replace(%1, '%2', '%3%4')")
                       .arg(replaced, QString(QChar(c)), QString(QChar(Escape)), QString(QChar(escapeLetter(c))));
    return replaced;
}

} // namespace

namespace ChangeValues {

void appendValue(QString &out, Kind kind, const QVariant &value)
{
    if (value.isNull())
        return;
    switch (kind) {
    case Kind::WholeNumber: {
        char digits[24];
        out += QLatin1String(digits, std::to_chars(digits, digits + sizeof digits, value.toLongLong()).ptr - digits);
        return;
    }
    case Kind::Number: appendNumber(out, value.toDouble()); return;
    case Kind::Text: {
        // A text held as one is read in place, not copied out of the variant.
        const QString converted = value.metaType().id() == QMetaType::QString ? QString() : value.toString();
        const QString &text = converted.isNull() ? *static_cast<const QString *>(value.constData()) : converted;
        qsizetype end = text.size();
        while (end > 0 && text.at(end - 1) == u' ')
            --end;
        appendEscaped(out, QStringView(text).first(end));
        return;
    }
    case Kind::Other: appendEscaped(out, value.toString()); return;
    }
}

void appendNumberUtf8(QByteArray &out, double value)
{
    char buffer[NumberBuffer];
    if (const int n = numberChars(value, buffer))
        out.append(buffer, n);
    else
        out += QByteArray::number(value, 'f', 4);
}

void appendTextUtf8(QByteArray &out, QByteArrayView text, bool dropTrailingBlanks)
{
    if (dropTrailingBlanks) {
        while (text.endsWith(' '))
            text.chop(1);
    }
    appendEscapedUtf8(out, text);
}

QList<const FieldDef *> fields(const TableDef &table, bool key) { return partFields(table, key); }
Kind kindOf(const FieldDef &field) { return kindOfType(field.type); }

QString keyOf(const TableDef &table, const Lookup &value) { return encode(table, true, value); }
QString valuesOf(const TableDef &table, const Lookup &value) { return encode(table, false, value); }
QStringList partsSql(const TableDef &table, bool key, const QString &alias, const Dialect &dialect, bool escaped,
                     const ChangeLineKey *without)
{
    // A server's key fields are never NULL (its primary key holds them), so
    // only its other fields pay for a coalesce(); a row's few calls a field
    // are most of what packing a month costs there.
    const bool neverNull = key && dialect.isServer();
    QStringList parts;
    const QList<const FieldDef *> fields = partFields(table, key);
    for (qsizetype i = 0; i < fields.size(); ++i) {
        const FieldDef *f = fields.at(i);
        if (key && without && without->isOwn(int(i)))
            continue;
        const QString column = alias + u'.' + f->name;
        QString part;
        if (f->type == FieldType::Text && dialect.isServer())
            part = QStringLiteral("cast(%1 as text)").arg(column);   // a bpchar's text has no trailing blanks
        else if (f->type == FieldType::Text)
            part = QStringLiteral("rtrim(%1)").arg(column);
        else if (f->type == FieldType::Float && !dialect.isServer())
            // SQLite's printf() writes a NULL as a number.
            part = QStringLiteral("case when %1 is null then null else %2 end").arg(column, dialect.exactNumberText(column));
        else if (f->type == FieldType::Float)
            part = dialect.exactNumberText(column);
        else
            part = QStringLiteral("cast(%1 as text)").arg(column);
        const bool text = f->type == FieldType::Text || f->type == FieldType::Date;
        if (escaped && text)
            part = escapedSql(part);
        parts << (neverNull ? part : QStringLiteral("coalesce(%1, '')").arg(part));
    }
    return parts;
}

QString escapedCharacters()
{
    QString characters;
    for (const char16_t c : Escaped)
        characters += QChar(c);
    return characters;
}

QMap<QString, QString> decode(const TableDef &table, bool key, const QString &encoded)
{
    QMap<QString, QString> out;
    if (encoded.isNull())
        return out;
    const QList<QStringView> parts = QStringView(encoded).split(Separator);
    const QList<const FieldDef *> fields = partFields(table, key);
    for (qsizetype i = 0; i < fields.size() && i < parts.size(); ++i) {
        // A stored number reads back in this system's words whatever engine wrote it
        // ("1234.0" and "1234" are one amount).
        bool isNumber = false;
        const double number = parts.at(i).toDouble(&isNumber);
        out.insert(fields.at(i)->name, fields.at(i)->type == FieldType::Float && isNumber ? plainNumber(number)
                                                                                          : unescaped(parts.at(i)));
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
