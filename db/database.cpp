#include "db/database.h"

#include "db/building_file.h"
#include "db/dialect.h"
#include "db/engine_message.h"
#include "db/reference_data.h"
#include "db/schema.h"
#include "db/server_location.h"

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

// The names a layout query gives (first column), upper case.
bool namesOf(QSqlDatabase db, const QString &sql, QSet<QString> *names, QString *detail)
{
    QSqlQuery q(db);
    q.setForwardOnly(true);
    if (!q.exec(sql)) {
        *detail = EngineMessage::of(q.lastError());
        return false;
    }
    while (q.next())
        names->insert(q.value(0).toString().toUpper());
    return true;
}

// Checks that every table and field of the schema is there. Reads only.
bool checkLayout(QSqlDatabase db, const Dialect &dialect, QString *detail)
{
    QSet<QString> tables;
    if (!namesOf(db, dialect.tablesQuery(), &tables, detail))
        return false;
    for (const TableDef &t : Schema::tables()) {
        // A record table the database predates is made at open (addMissingIndexes).
        if (t.record && !tables.contains(t.name.toUpper()))
            continue;
        if (!tables.contains(t.name.toUpper())) {
            *detail = QStringLiteral("資料庫缺少資料表 %1").arg(t.name);
            return false;
        }
        QSet<QString> fields;
        if (!namesOf(db, dialect.fieldsQuery(t.name), &fields, detail))
            return false;
        for (const FieldDef &f : t.fields) {
            if (!fields.contains(f.name.toUpper())) {
                *detail = QStringLiteral("資料表 %1 缺少欄位 %2").arg(t.name, f.name);
                return false;
            }
        }
    }
    return true;
}

// Our tables the database already holds (a server database to create in must
// hold none of them).
QStringList tablesHeld(QSqlDatabase db, const Dialect &dialect, QString *detail)
{
    QSet<QString> tables;
    if (!namesOf(db, dialect.tablesQuery(), &tables, detail))
        return {QString()};
    QStringList held;
    for (const TableDef &t : Schema::tables()) {
        if (tables.contains(t.name.toUpper()))
            held << t.name;
    }
    return held;
}

// Adds the connection `name` for `location` (not opened yet).
QSqlDatabase addConnection(const QString &location, const QString &name, QString *detail)
{
    const Dialect &dialect = Dialect::forLocation(location);
    QSqlDatabase db = QSqlDatabase::addDatabase(dialect.driverName(), name);
    if (dialect.isServer()) {
        if (!ServerLocation::configure(db, location, dialect.connectOptions(), detail))
            return QSqlDatabase();
    } else {
        // "mode=rw": the engine opens an existing file only and never creates one.
        db.setDatabaseName(QUrl::fromLocalFile(QFileInfo(location).absoluteFilePath()).toString(QUrl::FullyEncoded)
                           + QStringLiteral("?mode=rw"));
        db.setConnectOptions(dialect.connectOptions());
    }
    return db;
}

// Opens the connection and sets up its session.
bool openSession(QSqlDatabase &db, const Dialect &dialect, QString *detail)
{
    if (!db.open()) {
        *detail = EngineMessage::of(db.lastError());
        return false;
    }
    QSqlQuery q(db);
    for (const QString &sql : dialect.sessionSetup()) {
        if (!q.exec(sql)) {
            *detail = EngineMessage::of(q.lastError());
            return false;
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

// On a server, the packed rows of the history compressed with lz4 rather than
// the default pglz: a month's delete packs thousands of rows into one text, and
// pglz took a third of the history's cost of it. Asked once per database (a
// change of the column takes the table's lock); a server without lz4 or older
// than 14 keeps its default, which only costs time.
void preferQuickCompression(QSqlDatabase db)
{
    const QString column = QStringLiteral("attrelid = '%1'::regclass and attname = 'rows_text'")
                               .arg(QString::fromLatin1(Schema::ChangeRow).toLower());
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("select attcompression from pg_attribute where ") + column) || !q.next()
        || q.value(0).toString() == QLatin1String("l"))
        return;
    q.exec(QStringLiteral("alter table %1 alter column ROWS_TEXT set compression lz4")
               .arg(QLatin1String(Schema::ChangeRow)));
}

// Every table, key and index, and the reference data, in one transaction on an
// open connection; on failure it is rolled back and nothing stays.
bool buildTables(QSqlDatabase db, const Dialect &dialect, bool withReferenceData, QString *detail)
{
    if (!db.transaction()) {
        *detail = EngineMessage::of(db.lastError());
        return false;
    }
    QSqlQuery q(db);
    for (const TableDef &t : Schema::tables()) {
        QStringList statements{Schema::createStatement(t, dialect)};
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
    return true;
}

bool buildInto(const QString &connection, const QString &file, bool withReferenceData, QString *detail)
{
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
    db.setDatabaseName(file);
    if (!db.open()) {
        *detail = EngineMessage::of(db.lastError());
        return false;
    }
    if (!buildTables(db, Dialect::sqlite(), withReferenceData, detail))
        return false;
    db.close();
    return true;
}

// Creates our tables in a server database that holds none of them yet. The
// check and the build run on one connection; a second desk creating at the
// same moment fails on the tables the first made, and its transaction leaves
// nothing.
bool createOnServer(const QString &location, bool withReferenceData, QString *detail)
{
    const QString connection = uniqueConnectionName("velq8_create");
    bool built = false;
    {
        QSqlDatabase db = addConnection(location, connection, detail);
        if (db.isValid() && openSession(db, Dialect::postgres(), detail)) {
            const QStringList held = tablesHeld(db, Dialect::postgres(), detail);
            if (!held.isEmpty()) {
                if (!held.first().isEmpty())
                    *detail = QStringLiteral("資料庫已有資料表 (%1)，不予覆蓋").arg(held.join(QStringLiteral(", ")));
            } else {
                built = buildTables(db, Dialect::postgres(), withReferenceData, detail);
            }
        }
    }
    dropConnection(connection);
    return built;
}

} // namespace

namespace Database {

namespace {

// The alias's setting as written (a folder, or a server database's URL).
QString aliasSetting(const QString &alias)
{
    QSettings settings(QStringLiteral("Velqora"), QStringLiteral("engine"));
    settings.beginGroup(QStringLiteral("Aliases"));
    return settings.value(alias).toString().trimmed();
}

} // namespace

bool isServer(const QString &location)
{
    return Dialect::isServerLocation(location);
}

QString displayLocation(const QString &location)
{
    return isServer(location) ? ServerLocation::display(location) : QDir::toNativeSeparators(location);
}

QString aliasFolder(const QString &alias)
{
    QString folder = aliasSetting(alias);
    if (isServer(folder))
        folder.clear();   // the alias names a server: its files' folder is the default one
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
    const QString setting = aliasSetting(QString::fromLatin1(AliasName));
    if (isServer(setting))
        return setting;
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
    if (isServer(file)) {
        QString detail;
        if (!createOnServer(file, withReferenceData, &detail)) {
            *error = createFailure(displayLocation(file), detail);
            return false;
        }
        return true;
    }
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
    const Dialect &dialect = Dialect::forLocation(file);
    if (!dialect.isServer()) {
        const QFileInfo info(file);
        if (!info.exists()) {
            *error = openFailure(file, QStringLiteral("檔案不存在"));
            return false;
        }
        if (!info.isFile()) {
            *error = openFailure(file, QStringLiteral("不是資料庫檔案"));
            return false;
        }
    }

    dropConnection(connectionName);
    QString detail;
    bool ok = false;
    {
        QSqlDatabase db = addConnection(file, connectionName, &detail);
        if (db.isValid() && openSession(db, dialect, &detail) && checkLayout(db, dialect, &detail)) {
            ok = true;
            addMissingIndexes(db);
            if (dialect.isServer())
                preferQuickCompression(db);
        }
    }
    if (!ok) {
        dropConnection(connectionName);
        *error = openFailure(displayLocation(file), detail);
        return false;
    }
    return true;
}

bool openOrCreate(const QString &file, QString *error, const QString &connectionName)
{
    if (isServer(file)) {
        // A server database is created in place when it holds none of our
        // tables; one that holds some is opened (and refused when some lack).
        const QString probe = uniqueConnectionName("velq8_probe");
        QString detail;
        QStringList held{QString()};
        {
            QSqlDatabase db = addConnection(file, probe, &detail);
            if (db.isValid() && openSession(db, Dialect::postgres(), &detail))
                held = tablesHeld(db, Dialect::postgres(), &detail);
        }
        dropConnection(probe);
        if (held.size() == 1 && held.first().isEmpty()) {
            if (error)
                *error = openFailure(displayLocation(file), detail);
            return false;
        }
        if (held.isEmpty() && !create(file, error))
            return false;
        return open(file, error, connectionName);
    }
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
    QSqlQuery q(db);
    for (const QString &sql : dialect(connectionName).statistics())
        q.exec(sql);
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

const Dialect &dialect(const QString &connectionName)
{
    if (!QSqlDatabase::contains(connectionName))
        return Dialect::sqlite();
    return Dialect::forDriver(QSqlDatabase::database(connectionName, false).driverName());
}

} // namespace Database
