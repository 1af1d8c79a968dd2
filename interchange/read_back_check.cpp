#include "interchange/read_back_check.h"

#include "common/field_text.h"

#include "db/declaration_kind.h"
#include "interchange/declaration_file_check.h"
#include "interchange/declaration_format.h"
#include "interchange/file_fingerprint.h"
#include "interchange/record_reader.h"
#include "interchange/stored_amount.h"
#include "interchange/text_lines.h"

#include <QFile>
#include <fcntl.h>
#include <unistd.h>

namespace {

using R = DeclarationField::Rendering;

// A stored value and a value read back, each as the format writes it: equal
// texts are the same value in the file. Only asked when the plain comparison
// (sameValue) finds them apart, to tell which or to find them the same after all.
struct Shown
{
    QString stored;
    QString read;
};

Shown shown(const DeclarationField &f, const QVariant &stored, const FieldReading &reading)
{
    const QVariant read = RecordReader::valueOf(f, reading);
    switch (f.rendering) {
    case R::Year:
    case R::Month:
        return {QString::number(qint64(stored.toDouble())), QString::number(read.toInt())};
    case R::InstitutionCode:
        return {DeclarationFormat::institutionText(stored.toString()),
                DeclarationFormat::institutionText(read.toString())};
    case R::AccountCode:
        return {DeclarationFormat::accountText(stored.toString(), f.width).value_or(stored.toString()),
                DeclarationFormat::accountText(read.toString(), f.width).value_or(read.toString())};
    case R::AsStored:
        return {FieldText::withoutTrailingBlanks(stored), FieldText::withoutTrailingBlanks(read)};
    case R::Number:
        // An empty amount is written as 0, as the grids show it.
        return {Decimal4::fromDouble(stored.isNull() ? 0.0 : stored.toDouble()).toString(),
                reading.number.toString()};
    }
    return {};
}

// The common case, without building a text: the value read is the value stored
// (an amount read back is the very double stored, so an import would store it
// again unchanged).
bool sameValue(const DeclarationField &f, const QVariant &stored, const FieldReading &read)
{
    switch (f.rendering) {
    case R::Year:
    case R::Month:
        return qint64(stored.toDouble()) == read.integer;
    case R::Number:
        return stored.toDouble() == StoredAmount::toDouble(read.number);
    default:
        // A text stored as a text is compared where it lies; anything else as
        // its text, as the import would store it.
        if (stored.typeId() == QMetaType::QString)
            return *static_cast<const QString *>(stored.constData()) == read.latin1();
        return stored.toString() == read.latin1();
    }
}

// Drops the file's pages from the system's cache: they were synced, so the
// reading that follows goes to the medium itself, and a removable disk that did
// not keep what it was given shows it. Where the cache is the storage (tmpfs)
// nothing is dropped and the reading is the cache's.
void forgetCachedPages(const QString &path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return;   // the reading reports it
    ::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
    ::close(fd);
}

} // namespace

ReadBackCheck::ReadBackCheck(const DeclarationKind &kind, const QString &baseName,
                             const QList<QVariantList> &rows, QByteArrayView rendered)
    : m_kind(kind), m_baseName(baseName), m_rows(rows), m_rendered(rendered)
{
}

bool ReadBackCheck::check(const QString &path, QString *reason)
{
    m_fingerprint.clear();
    forgetCachedPages(path);
    QByteArray bytes;
    DeclarationFileCheck::Result loaded;
    if (!DeclarationFileCheck::load(path, &bytes, &loaded)) {
        *reason = QStringLiteral("讀回失敗: %1").arg(loaded.detail);
        return false;
    }
    QString difference = compareRecords(bytes);
    if (difference.isEmpty())
        difference = compareBytes(bytes);
    if (!difference.isEmpty()) {
        *reason = QStringLiteral("讀回檢查不符: %1").arg(difference);
        return false;
    }
    m_fingerprint = FileFingerprint::of(bytes);
    return true;
}

QString ReadBackCheck::compareRecords(QByteArrayView bytes) const
{
    const DeclarationFileCheck::Result read =
        DeclarationFileCheck::check(m_kind, m_baseName, bytes, DeclarationFileCheck::Content::Readings);
    if (!read.ok())
        return QStringLiteral("匯入無法讀取 (%1)").arg(read.detail);

    // One line a row, and the import takes every line: a line it skips (blank
    // institution, repeated key) would not be declared.
    if (read.lines != m_rows.size())
        return QStringLiteral("讀回 %1 行, 資料有 %2 筆").arg(read.lines).arg(m_rows.size());
    const QList<DeclarationField> &fields = m_kind.fields();
    const qsizetype width = fields.size();
    for (qsizetype i = 0; i < m_rows.size(); ++i) {
        const int lineNo = int(i) + 1;
        if (i >= read.readingLines.size() || read.readingLines.at(i) != lineNo)
            return TextLines::lineError(lineNo, {}, QStringLiteral("匯入時不會讀取這一行"));
        const FieldReading *record = read.readings.constData() + i * width;
        const QVariantList &row = m_rows.at(i);
        for (int f = 0; f < width; ++f) {
            const DeclarationField &field = fields.at(f);
            if (sameValue(field, row.at(f), record[f]))
                continue;
            const Shown s = shown(field, row.at(f), record[f]);
            if (s.stored != s.read)
                return TextLines::lineError(lineNo, field.name,
                                            QStringLiteral("讀回「%1」, 資料為「%2」").arg(s.read, s.stored));
        }
    }
    return {};
}

QString ReadBackCheck::compareBytes(QByteArrayView bytes) const
{
    if (bytes == m_rendered)
        return {};
    const qsizetype common = qMin(bytes.size(), m_rendered.size());
    qsizetype at = 0;
    while (at < common && bytes[at] == m_rendered[at])
        ++at;
    const int lineNo = int(m_rendered.first(at).count('\n')) + 1;
    return QStringLiteral("第 %1 行: 第 %2 個位元組與寫入的不同 (讀回 %3 位元組, 寫入 %4 位元組)")
        .arg(lineNo)
        .arg(at + 1)
        .arg(bytes.size())
        .arg(m_rendered.size());
}
