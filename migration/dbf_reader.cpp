#include "migration/dbf_reader.h"

#include <QDir>
#include <QSet>

#include <limits>

namespace {

constexpr int HeaderSize = 32;
constexpr int DescriptorSize = 32;
constexpr char DescriptorsEnd = 0x0D;
constexpr char EndOfFile = 0x1A;

int le16(const QByteArray &b, int at)
{
    return quint8(b.at(at)) | (quint8(b.at(at + 1)) << 8);
}

qint64 le32(const QByteArray &b, int at)
{
    return qint64(le16(b, at)) | (qint64(le16(b, at + 2)) << 16);
}

} // namespace

bool DbfReader::open(const QString &path, QString *error)
{
    m_file.setFileName(path);
    m_fields.clear();
    m_read = 0;
    m_cutBytes = 0;
    QString why;
    if (!m_file.open(QIODevice::ReadOnly))
        why = m_file.errorString();
    else
        readHeader(&why);
    if (why.isEmpty())
        return true;
    m_file.close();
    *error = QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(path), why);
    return false;
}

bool DbfReader::readHeader(QString *why)
{
    const QByteArray head = m_file.read(HeaderSize);
    if (head.size() < HeaderSize) {
        *why = QStringLiteral("不是 dBASE 資料表 (檔頭不足 32 位元組)");
        return false;
    }
    // dBASE 7 (version 4) describes each field in 48 bytes: another layout.
    if ((quint8(head.at(0)) & 0x07) == 4) {
        *why = QStringLiteral("不支援的 dBASE 版本 (dBASE 7)");
        return false;
    }
    const qint64 count = le32(head, 4);
    m_headerLength = le16(head, 8);
    m_recordLength = le16(head, 10);
    if (m_headerLength < HeaderSize + 1 || m_recordLength < 1 || count > std::numeric_limits<int>::max()) {
        *why = QStringLiteral("不是 dBASE 資料表 (檔頭的長度不合理)");
        return false;
    }
    m_recordCount = int(count);
    const QByteArray rest = m_file.read(m_headerLength - HeaderSize);
    if (rest.size() < m_headerLength - HeaderSize) {
        *why = QStringLiteral("不是 dBASE 資料表 (檔頭不完整)");
        return false;
    }
    if (!readFields(head + rest, why))
        return false;
    // The records must all be there: a table cut short would lose its last rows
    // without a word.
    const qint64 needed = m_headerLength + qint64(m_recordCount) * m_recordLength;
    if (m_file.size() < needed) {
        const qint64 whole = (m_file.size() - m_headerLength) / m_recordLength;
        *why = QStringLiteral("檔案不完整: 檔頭記載 %1 筆記錄，檔案只有 %2 筆").arg(m_recordCount).arg(whole);
        return false;
    }
    return true;
}

bool DbfReader::readFields(const QByteArray &header, QString *why)
{
    QSet<QString> names;
    int offset = 1; // after the flag byte
    int at = HeaderSize;
    for (;; at += DescriptorSize) {
        if (at < header.size() && header.at(at) == DescriptorsEnd)
            break;
        if (at + DescriptorSize > header.size()) {
            *why = QStringLiteral("不是 dBASE 資料表 (欄位描述沒有結束標記)");
            return false;
        }
        const QByteArray d = header.mid(at, DescriptorSize);
        DbfField f;
        const QByteArray name = d.left(11);
        f.name = QString::fromLatin1(name.left(name.indexOf('\0') < 0 ? 11 : name.indexOf('\0'))).trimmed();
        f.type = d.at(11);
        f.length = quint8(d.at(16));
        f.decimals = quint8(d.at(17));
        // Character fields longer than 255 bytes keep the high byte of their
        // length where numbers keep their decimals.
        if (f.type == 'C') {
            f.length += f.decimals * 256;
            f.decimals = 0;
        }
        if (f.name.isEmpty() || f.length == 0) {
            *why = QStringLiteral("欄位描述無效 (第 %1 個欄位)").arg(m_fields.size() + 1);
            return false;
        }
        if (names.contains(f.name.toUpper())) {
            *why = QStringLiteral("欄位 %1 出現兩次").arg(f.name);
            return false;
        }
        names.insert(f.name.toUpper());
        f.offset = offset;
        offset += f.length;
        m_fields.append(f);
    }
    if (m_fields.isEmpty()) {
        *why = QStringLiteral("資料表沒有任何欄位");
        return false;
    }
    if (offset != m_recordLength) {
        *why = QStringLiteral("記錄長度 %1 與欄位長度合計 %2 不符").arg(m_recordLength).arg(offset);
        return false;
    }
    return true;
}

bool DbfReader::next(DbfRecord *record, QString *error)
{
    if (m_read >= m_recordCount)
        return nextBeyondCount(record);
    record->bytes = m_file.read(m_recordLength);
    if (record->bytes.size() != m_recordLength) {
        *error = QStringLiteral("%1: 第 %2 筆記錄無法讀取 %3")
                     .arg(QDir::toNativeSeparators(m_file.fileName()))
                     .arg(m_read + 1)
                     .arg(m_file.errorString());
        return false;
    }
    record->number = ++m_read;
    return true;
}

bool DbfReader::nextBeyondCount(DbfRecord *record)
{
    if (m_cutBytes > 0 || m_read == std::numeric_limits<int>::max())
        return false;
    const QByteArray start = m_file.peek(1);
    if (start.isEmpty() || start.at(0) == EndOfFile || start.at(0) == '\0')
        return false;
    record->bytes = m_file.read(m_recordLength);
    if (record->bytes.size() < m_recordLength) {
        // A record the crash cut short: there is no telling what its fields held.
        m_cutBytes = int(qMax<qsizetype>(1, record->bytes.size()));
        return false;
    }
    record->number = ++m_read;
    return true;
}
