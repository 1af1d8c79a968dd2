#include "migration/migration.h"

#include "db/database.h"
#include "db/path_lock.h"
#include "db/schema.h"
#include "migration/source_folder.h"
#include "migration/table_migration.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

namespace {

constexpr auto Connection = "velq8_migration";

// A run killed before its rename leaves its temporary folder beside the target;
// the next run for the same target removes it. Only folders of exactly the name
// a run gives them (six random characters) are touched, and only those whose
// lock no live run holds: two runs for one target never remove each other's.
void removeLeftovers(const QFileInfo &target)
{
    const QString prefix = QStringLiteral(".%1.migrate-").arg(target.fileName());
    QDir folder = target.absoluteDir();
    const auto found = folder.entryInfoList({prefix + QStringLiteral("??????")},
                                            QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot | QDir::NoSymLinks);
    for (const QFileInfo &leftover : found) {
        PathLock lock;
        if (lock.tryHold(leftover.absoluteFilePath()))
            QDir(leftover.absoluteFilePath()).removeRecursively();
    }
}

bool fillTables(const SourceFolder &source, MigrationReport *report, QString *error)
{
    const QSqlDatabase db = Database::connection(QString::fromLatin1(Connection));
    for (const TableDef &table : Schema::tables()) {
        if (table.record)
            continue;   // the system's own records start empty
        TableReport tableReport;
        tableReport.table = table.name;
        const QString file = source.fileOf(table.name);
        if (!file.isEmpty() && !TableMigration(db, table).run(file, &tableReport, error))
            return false;
        report->tables.append(tableReport);
    }
    return true;
}

} // namespace

namespace Migration {

bool run(const QString &folder, const QString &target, MigrationReport *report, QString *error)
{
    const QFileInfo info(target);
    if (target.isEmpty() || info.exists() || info.isSymLink()) {
        *error = QStringLiteral("資料庫檔案已存在，不予覆蓋: %1").arg(QDir::toNativeSeparators(target));
        return false;
    }
    if (!info.absoluteDir().exists()) {
        *error = QStringLiteral("資料庫的資料夾不存在: %1").arg(QDir::toNativeSeparators(info.absolutePath()));
        return false;
    }
    SourceFolder source;
    if (!source.scan(folder, error))
        return false;

    // Beside the target, so that the rename stays on one file system.
    removeLeftovers(info);
    QTemporaryDir temp(info.absoluteDir().filePath(QStringLiteral(".%1.migrate-XXXXXX").arg(info.fileName())));
    // Held until the folder is gone; another run's sweep that took the lock
    // first may have removed the folder, and then this run stops.
    PathLock owned;
    if (!temp.isValid() || !owned.hold(temp.path())) {
        *error = QStringLiteral("無法建立暫存資料夾: %1").arg(temp.isValid() ? temp.path() : temp.errorString());
        return false;
    }
    const QString built = temp.filePath(QString::fromLatin1(Database::FileName));
    if (!Database::create(built, error, false) || !Database::open(built, error, QString::fromLatin1(Connection)))
        return false;
    MigrationReport made;
    made.unknownFiles = source.unknownFiles();
    const bool filled = fillTables(source, &made, error);
    Database::close(QString::fromLatin1(Connection));
    if (!filled)
        return false;
    // QFile::rename never replaces a file that appeared meanwhile.
    QFile file(built);
    if (!file.rename(target)) {
        *error = QStringLiteral("無法建立資料庫檔案 %1: %2").arg(QDir::toNativeSeparators(target), file.errorString());
        return false;
    }
    *report = std::move(made);
    return true;
}

} // namespace Migration
