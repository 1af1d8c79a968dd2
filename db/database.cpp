#include "db/database.h"

#include "db/building_file.h"
#include "db/engine_message.h"
#include "db/reference_data.h"
#include "db/schema.h"

#include <QAtomicInt>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QSettings>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QUrl>

namespace {

QString openFailure(const QString &file, const QString &detail)
{
    return QStringLiteral("無法開啟資料庫: %1\n%2").arg(QDir::toNativeSeparators(file), detail);
}

QString createFailure(const QString &file, const QString &detail)
{
    return QStringLiteral("無法建立資料庫: %1\n%2").arg(QDir::toNativeSeparators(file), detail);
}

QString uniqueConnectionName(const char *prefix)
{
    static QAtomicInt counter;
    return QStringLiteral("%1_%2").arg(QLatin1String(prefix)).arg(counter.fetchAndAddRelaxed(1));
}

// Removes a connection; every QSqlDatabase copy must be gone before this runs.
void dropConnection(const QString &name)
{
    if (!QSqlDatabase::contains(name))
        return;
    {
        QSqlDatabase db = QSqlDatabase::database(name, false);
        if (db.isOpen())
            db.close();
    }
    QSqlDatabase::removeDatabase(name);
}

// Checks that every table and field of the schema is there. Reads only.
bool checkLayout(QSqlDatabase db, QString *detail)
{
    QSqlQuery q(db);
    q.setForwardOnly(true);
    if (!q.exec(QStringLiteral("select name from sqlite_master where type = 'table'"))) {
        *detail = EngineMessage::of(q.lastError());
        return false;
    }
    QSet<QString> tables;
    while (q.next())
        tables.insert(q.value(0).toString().toUpper());
    q.finish();
    for (const TableDef &t : Schema::tables()) {
        // A record table the database predates is made at open (addMissingIndexes).
        if (t.record && !tables.contains(t.name.toUpper()))
            continue;
        if (!tables.contains(t.name.toUpper())) {
            *detail = QStringLiteral("資料庫缺少資料表 %1").arg(t.name);
            return false;
        }
        if (!q.exec(QStringLiteral("pragma table_info(\"%1\")").arg(t.name))) {
            *detail = EngineMessage::of(q.lastError());
            return false;
        }
        QSet<QString> fields;
        while (q.next())
            fields.insert(q.value(1).toString().toUpper());
        q.finish();
        for (const FieldDef &f : t.fields) {
            if (!fields.contains(f.name.toUpper())) {
                *detail = QStringLiteral("資料表 %1 缺少欄位 %2").arg(t.name, f.name);
                return false;
            }
        }
    }
    return true;
}

// A database made before an index was added to the schema gets it at open;
// one that cannot be made now (the file is busy or read-only) is tried again at
// the next open, and the queries still work meanwhile, only slower.
void addMissingIndexes(QSqlDatabase db)
{
    QSqlQuery q(db);
    for (const TableDef &t : Schema::tables()) {
        // The same for a record table added to the schema after the database was made.
        if (t.record && !q.exec(Schema::createStatement(t).replace(QStringLiteral("create table "),
                                                                   QStringLiteral("create table if not exists "))))
            return;
        for (const QString &sql : Schema::indexStatements(t)) {
            if (!q.exec(sql))
                return;
        }
    }
}

bool buildInto(const QString &connection, const QString &file, bool withReferenceData, QString *detail)
{
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
    db.setDatabaseName(file);
    if (!db.open()) {
        *detail = EngineMessage::of(db.lastError());
        return false;
    }
    if (!db.transaction()) {
        *detail = EngineMessage::of(db.lastError());
        return false;
    }
    QSqlQuery q(db);
    for (const TableDef &t : Schema::tables()) {
        QStringList statements{Schema::createStatement(t)};
        statements += Schema::indexStatements(t);
        for (const QString &sql : statements) {
            if (!q.exec(sql)) {
                *detail = EngineMessage::of(q.lastError()) + QStringLiteral("\n") + sql;
                db.rollback();
                return false;
            }
        }
    }
    if (withReferenceData && !ReferenceData::load(db, detail)) {
        db.rollback();
        return false;
    }
    if (!db.commit()) {
        *detail = EngineMessage::of(db.lastError());
        db.rollback();
        return false;
    }
    db.close();
    return true;
}

} // namespace

namespace Database {

QString aliasFolder(const QString &alias)
{
    QString folder;
    {
        QSettings settings(QStringLiteral("Velqora"), QStringLiteral("engine"));
        settings.beginGroup(QStringLiteral("Aliases"));
        folder = settings.value(alias).toString().trimmed();
    }
    if (folder.isEmpty()) {
        // The user's application-data folder of the program, whatever names the
        // running executable gave itself.
        folder = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
                 + QStringLiteral("/Velqora/velq8");
    }
    folder = QDir::cleanPath(folder);
    if (!QFileInfo::exists(folder))
        QDir().mkpath(folder);
    return folder;
}

QString defaultFile()
{
    return QDir(aliasFolder()).filePath(QString::fromLatin1(FileName));
}

bool create(const QString &file, QString *error)
{
    return create(file, error, true);
}

bool create(const QString &file, QString *error, bool withReferenceData)
{
    QString dummy;
    if (!error)
        error = &dummy;
    const QFileInfo info(file);
    if (file.isEmpty() || info.exists() || info.isSymLink()) {
        *error = createFailure(file, QStringLiteral("檔案已存在，不予覆蓋"));
        return false;
    }
    const QString folder = info.absolutePath();
    if (!QFileInfo::exists(folder) && !QDir().mkpath(folder)) {
        *error = createFailure(file, QStringLiteral("無法建立資料夾 %1").arg(QDir::toNativeSeparators(folder)));
        return false;
    }

    // Build into a temporary file beside the target, then rename it into place:
    // a failure leaves nothing behind, and no half-built file ever has the name.
    // What runs killed midway left is removed first; a live run's is kept.
    BuildingFile::sweepAbandoned(file);
    BuildingFile temp(file);
    QString detail;
    if (!temp.create(&detail)) {
        *error = createFailure(file, detail);
        return false;
    }
    const QString connection = uniqueConnectionName("velq8_create");
    const bool built = buildInto(connection, temp.path(), withReferenceData, &detail);
    dropConnection(connection);
    if (!built || !temp.rename(&detail)) {
        *error = createFailure(file, detail);
        return false;   // the temporary goes with `temp`
    }
    return true;
}

bool open(const QString &file, QString *error, const QString &connectionName)
{
    QString dummy;
    if (!error)
        error = &dummy;
    const QFileInfo info(file);
    if (!info.exists()) {
        *error = openFailure(file, QStringLiteral("檔案不存在"));
        return false;
    }
    if (!info.isFile()) {
        *error = openFailure(file, QStringLiteral("不是資料庫檔案"));
        return false;
    }

    dropConnection(connectionName);
    QString detail;
    bool ok = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connectionName);
        // "mode=rw": the engine opens an existing file only and never creates one.
        const QString uri = QUrl::fromLocalFile(info.absoluteFilePath()).toString(QUrl::FullyEncoded)
                            + QStringLiteral("?mode=rw");
        db.setDatabaseName(uri);
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_URI;QSQLITE_BUSY_TIMEOUT=5000"));
        if (!db.open()) {
            detail = EngineMessage::of(db.lastError());
        } else if (checkLayout(db, &detail)) {
            QSqlQuery q(db);
            if (q.exec(QStringLiteral("pragma foreign_keys = off")))
                ok = true;
            else
                detail = EngineMessage::of(q.lastError());
            if (ok)
                addMissingIndexes(db);
        }
    }
    if (!ok) {
        dropConnection(connectionName);
        *error = openFailure(file, detail);
        return false;
    }
    return true;
}

bool openOrCreate(const QString &file, QString *error, const QString &connectionName)
{
    if (!QFileInfo::exists(file) && !QFileInfo(file).isSymLink()) {
        if (!create(file, error))
            return false;
    }
    return open(file, error, connectionName);
}

void optimize(const QString &connectionName)
{
    QSqlDatabase db = QSqlDatabase::database(connectionName, false);
    if (!db.isOpen())
        return;
    // A bounded ANALYZE of the tables whose statistics SQLite finds missing or
    // stale for the queries this connection ran; usually nothing at all.
    QSqlQuery q(db);
    q.exec(QStringLiteral("pragma analysis_limit = 400"));
    q.exec(QStringLiteral("pragma optimize"));
}

void close(const QString &connectionName)
{
    // SQLite's advice: optimize just before a connection closes.
    optimize(connectionName);
    dropConnection(connectionName);
}

QSqlDatabase connection(const QString &connectionName)
{
    return QSqlDatabase::database(connectionName, false);
}

} // namespace Database
