#include "checks/formula_import.h"

#include <QFile>
#include <QSaveFile>
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

    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        m_faults.append({0, QStringLiteral("無法讀取公式檔 %1: %2").arg(path, file.errorString())});
        return false;
    }
    const QByteArray bytes = file.readAll();
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
    // Written aside and renamed: a failed write leaves an earlier file whole.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        *error = QStringLiteral("無法寫入公式檔 %1: %2").arg(path, file.errorString());
        return false;
    }
    file.write(text.toUtf8());
    if (!file.commit()) {
        *error = QStringLiteral("無法寫入公式檔 %1: %2").arg(path, file.errorString());
        return false;
    }
    if (written)
        *written = std::move(rows);
    return true;
}

} // namespace FormulaExport
