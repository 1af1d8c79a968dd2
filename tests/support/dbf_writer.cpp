#include "tests/support/dbf_writer.h"

#include "common/big5_text.h"
#include "db/schema.h"

#include <QFile>

namespace {

void putLe16(QByteArray &b, int at, int v)
{
    b[at] = char(v & 0xFF);
    b[at + 1] = char((v >> 8) & 0xFF);
}

} // namespace

DbfWriter &DbfWriter::field(const QString &name, char type, int length, int decimals)
{
    m_fields.append({name.toLatin1(), type, length, decimals});
    return *this;
}

DbfWriter DbfWriter::forTable(const QString &table)
{
    DbfWriter w;
    for (const FieldDef &f : Schema::table(table)->fields) {
        switch (f.type) {
        case FieldType::Text:
            w.field(f.name, 'C', f.width);
            break;
        case FieldType::SmallInt:
            w.field(f.name, 'N', 6);
            break;
        case FieldType::Float:
            w.field(f.name, 'N', 18, 4);
            break;
        case FieldType::Date:
            w.field(f.name, 'D', 8);
            break;
        }
    }
    return w;
}

DbfWriter &DbfWriter::record(const QStringList &values, Flag flag)
{
    QList<QByteArray> bytes;
    for (const QString &v : values)
        bytes << Big5Text::encode(v);
    return rawRecord(bytes, flag);
}

DbfWriter &DbfWriter::rawRecord(const QList<QByteArray> &values, Flag flag)
{
    return flaggedRecord(flag == Deleted ? '*' : ' ', values);
}

DbfWriter &DbfWriter::flaggedRecord(char flag, const QList<QByteArray> &values)
{
    QByteArray record(1, flag);
    for (qsizetype i = 0; i < m_fields.size(); ++i) {
        const Field &f = m_fields.at(i);
        const QByteArray v = i < values.size() ? values.at(i).left(f.length) : QByteArray();
        const QByteArray blanks(f.length - v.size(), ' ');
        const bool number = f.type == 'N' || f.type == 'F';
        record += number ? blanks + v : v + blanks;
    }
    m_records.append(record);
    return *this;
}

QByteArray DbfWriter::bytes() const
{
    int recordLength = 1;
    for (const Field &f : m_fields)
        recordLength += f.length;
    const int headerLength = 32 + 32 * int(m_fields.size()) + 1;

    QByteArray out(32, '\0');
    out[0] = 0x03;
    out[1] = 99; // last update 1999-12-31: a fixed date, never today's
    out[2] = 12;
    out[3] = 31;
    putLe16(out, 4, int(m_records.size() & 0xFFFF));
    putLe16(out, 6, int(m_records.size() >> 16));
    putLe16(out, 8, headerLength);
    putLe16(out, 10, recordLength);
    for (const Field &f : m_fields) {
        QByteArray d(32, '\0');
        d.replace(0, std::min<qsizetype>(f.name.size(), 10), f.name.left(10));
        d[11] = f.type;
        d[16] = char(f.length & 0xFF);
        d[17] = char(f.type == 'C' ? f.length >> 8 : f.decimals);
        out += d;
    }
    out += char(0x0D);
    for (const QByteArray &r : m_records)
        out += r;
    out += char(0x1A);
    return out;
}

bool DbfWriter::save(const QString &path) const
{
    return save(path, bytes());
}

bool DbfWriter::save(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size() && f.flush();
}
