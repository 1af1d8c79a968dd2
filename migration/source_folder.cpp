#include "migration/source_folder.h"

#include "db/schema.h"

#include <QDir>
#include <QFileInfo>

bool SourceFolder::scan(const QString &folder, QString *error)
{
    m_files.clear();
    m_unknown.clear();
    const QDir dir(folder);
    if (!QFileInfo(folder).isDir()) {
        *error = QStringLiteral("找不到資料夾: %1").arg(QDir::toNativeSeparators(folder));
        return false;
    }
    const QFileInfoList entries = dir.entryInfoList(QDir::Files, QDir::Name);
    for (const QFileInfo &entry : entries) {
        if (entry.suffix().compare(QLatin1String("dbf"), Qt::CaseInsensitive) != 0)
            continue;
        const TableDef *table = Schema::table(entry.completeBaseName());
        if (!table) {
            m_unknown << entry.fileName();
            continue;
        }
        if (m_files.contains(table->name)) {
            *error = QStringLiteral("資料表 %1 有兩個檔案: %2、%3")
                         .arg(table->name, QFileInfo(m_files.value(table->name)).fileName(), entry.fileName());
            return false;
        }
        m_files.insert(table->name, entry.filePath());
    }
    if (m_files.isEmpty()) {
        *error = QStringLiteral("資料夾 %1 沒有任何資料表的檔案 (.dbf)").arg(QDir::toNativeSeparators(folder));
        return false;
    }
    return true;
}
