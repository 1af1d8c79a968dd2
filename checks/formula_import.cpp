#include "checks/formula_import.h"

#include "common/bounded_file.h"
#include "common/whole_file_writer.h"

#include <QSet>

FormulaImport::FormulaImport(const FormulaTables &tables, const QString &connectionName)
    : m_tables(tables), m_connectionName(connectionName)
{
}

bool FormulaImport::prepare(const QString &path)
{
    m_prepared = false;
    m_rows = {};
    m_faults.clear();
    m_error.clear();

    // Only a regular file of a bounded size is read: a device such as /dev/zero
    // would fill the memory and never end.
    BoundedFile::Reading file = BoundedFile::read(path, MaxFileSize);
    switch (file.fault) {
    case BoundedFile::Fault::None:
        break;
    case BoundedFile::Fault::Missing:
    case BoundedFile::Fault::Unreadable:
        m_faults.append({0, QStringLiteral("無法讀取公式檔 %1: %2").arg(path, file.reason)});
        return false;
    case BoundedFile::Fault::NotRegular:
        m_faults.append({0, QStringLiteral("無法讀取公式檔 %1: 不是一般檔案").arg(path)});
        return false;
    case BoundedFile::Fault::TooLarge:
        m_faults.append({0, QStringLiteral("公式檔 %1 過大 (超過 %2 位元組), 不是公式檔").arg(path).arg(MaxFileSize)});
        return false;
    }
    const QByteArray bytes = std::move(file.bytes);
    QSet<QString> accounts;
    QString error;
    if (!FormulaStore::accountCodes(m_tables, &accounts, &error, m_connectionName)) {
        m_faults.append({0, error});
        return false;
    }
    FormulaFile::Reading reading = FormulaFile::read(bytes, m_tables, accounts);
    m_faults = std::move(reading.faults);
    if (!m_faults.isEmpty())
        return false;
    m_rows = std::move(reading.rows);
    m_prepared = true;
    return true;
}

QString FormulaImport::faultText() const
{
    QStringList lines;
    for (const FormulaFileFault &f : m_faults)
        lines << f.text();
    return lines.join(u'\n');
}

bool FormulaImport::replace()
{
    m_error.clear();
    if (!m_prepared) {
        m_error = QStringLiteral("公式檔尚未檢查無誤");
        return false;
    }
    return FormulaStore::replace(m_tables, m_rows, &m_error, m_connectionName);
}

namespace FormulaExport {

bool write(const FormulaTables &tables, const QString &path, FormulaRows *written, QString *error,
           const QString &connectionName)
{
    FormulaRows rows;
    QString text;
    if (!FormulaStore::read(tables, &rows, error, connectionName)
        || !FormulaFile::write(tables, rows, &text, error))
        return false;
    // Written whole or not at all, as every file is: a short write (a full disk, a
    // file-size limit) fails and keeps an earlier file; a link planted at the
    // name is replaced, never followed. The file is read back before it takes
    // the name, so a disk that lost bytes is caught too.
    const QByteArray bytes = text.toUtf8();
    const auto readBack = [&bytes](const QString &temporary, QString *reason) {
        const BoundedFile::Reading back = BoundedFile::read(temporary, bytes.size());
        if (back.fault == BoundedFile::Fault::None && back.bytes == bytes)
            return true;
        *reason = QStringLiteral("讀回的內容與寫入的不同");
        return false;
    };
    QString writeError;
    if (!WholeFileWriter::write(path, bytes, &writeError, readBack)) {
        *error = QStringLiteral("無法寫入公式檔 %1").arg(writeError);
        return false;
    }
    if (written)
        *written = std::move(rows);
    return true;
}

} // namespace FormulaExport
