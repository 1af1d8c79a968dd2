#include "db/database.h"
#include "db/schema.h"
#include "tests/support/files.h"
#include "tests/support/test_database.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

// Creating and opening the declaration database: a file that is not ours is
// refused and left exactly as it was; a new file appears complete or not at all.
class tst_Database : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void aliasFromSettings();
    void aliasDefaultsToApplicationData();
    void createThenOpen();
    void createRefusesExistingFile();
    void createFailureLeavesNothing();
    void openRefusesMissingFile();
    void openRefusesForeignFiles_data();
    void openRefusesForeignFiles();
    void openRefusesUnreadableFolder();
    void openOrCreateCreatesOnlyOnce();
    void reopenReplacesConnection();

private:
    QTemporaryDir m_settingsDir;
};

namespace {

struct FileState
{
    QByteArray hash;
    QDateTime modified;
    qint64 size = -1;
    bool operator==(const FileState &) const = default;
};

FileState stateOf(const QString &path)
{
    FileState s;
    if (QFile::exists(path))
        s.hash = QCryptographicHash::hash(contents(path), QCryptographicHash::Sha256);
    const QFileInfo info(path);
    s.modified = info.lastModified();
    s.size = info.size();
    return s;
}

// Builds a plain SQLite file with the given statements, outside the program.
bool buildSqlite(const QString &path, const QStringList &statements)
{
    bool ok = true;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "foreign");
        db.setDatabaseName(path);
        ok = db.open();
        QSqlQuery q(db);
        for (const QString &s : statements)
            ok = ok && q.exec(s);
        db.close();
    }
    QSqlDatabase::removeDatabase("foreign");
    return ok;
}

} // namespace

void tst_Database::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QVERIFY(m_settingsDir.isValid());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_settingsDir.path());
}

void tst_Database::aliasFromSettings()
{
    QTemporaryDir root;
    const QString folder = root.filePath("alias/中文資料夾");
    {
        QSettings s("Velqora", "engine");
        s.setValue("Aliases/CLIENT8", folder);
    }
    QCOMPARE(Database::aliasFolder(), folder);
    QVERIFY(QFileInfo(folder).isDir());   // made on first use
    QCOMPARE(Database::defaultFile(), folder + "/CLIENT8.sqlite");
    {
        QSettings s("Velqora", "engine");
        s.remove("Aliases/CLIENT8");
    }
}

void tst_Database::aliasDefaultsToApplicationData()
{
    const QString expected = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + "/Velqora/velq8";
    QCOMPARE(Database::aliasFolder(), QDir::cleanPath(expected));
    QVERIFY(QFileInfo(expected).isDir());
}

void tst_Database::createThenOpen()
{
    QTemporaryDir dir;
    // Characters that mean something in a file URI are plain file name characters.
    const QString file = dir.filePath("sub 資料/new #1?%20.sqlite");
    QString error;
    QVERIFY2(Database::create(file, &error), qPrintable(error));
    QCOMPARE(filesIn(dir.filePath("sub 資料")), QStringList{"new #1?%20.sqlite"});   // no temporary left over
    QVERIFY2(Database::open(file, &error, "t1"), qPrintable(error));
    QSqlQuery q(Database::connection("t1"));
    QVERIFY(q.exec("select count(*) from sqlite_master where type = 'table'"));
    QVERIFY(q.next());
    QCOMPARE(q.value(0).toInt(), Schema::tables().size());
    q.finish();
    q = QSqlQuery();
    Database::close("t1");
    QVERIFY(!QSqlDatabase::contains("t1"));
}

void tst_Database::createRefusesExistingFile()
{
    QTemporaryDir dir;
    const QString file = dir.filePath("CLIENT8.sqlite");
    QVERIFY(writeFile(file, "my own notes"));
    const FileState before = stateOf(file);
    QString error;
    QVERIFY(!Database::create(file, &error));
    QVERIFY(error.contains(QDir::toNativeSeparators(file)));
    QVERIFY(stateOf(file) == before);
    QCOMPARE(filesIn(dir.path()), QStringList{"CLIENT8.sqlite"});

    // An existing database is refused just the same.
    const QString db = dir.filePath("db.sqlite");
    QVERIFY(Database::create(db, &error));
    QVERIFY(!Database::create(db, &error));
}

void tst_Database::createFailureLeavesNothing()
{
    QTemporaryDir dir;
    // The folder cannot be made: a file stands where it should go.
    QVERIFY(writeFile(dir.filePath("blocker"), "x"));
    QString error;
    QVERIFY(!Database::create(dir.filePath("blocker/db.sqlite"), &error));
    QVERIFY(!error.isEmpty());
    QCOMPARE(filesIn(dir.path()), QStringList{"blocker"});

    // A folder that takes no new files (skipped where permissions do not bind).
    const QString locked = dir.filePath("locked");
    QVERIFY(QDir().mkpath(locked));
    QFile::setPermissions(locked, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    if (writeFile(locked + "/probe", "x")) {
        QFile::setPermissions(locked, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        QSKIP("permissions do not bind for this user");
    }
    QVERIFY(!Database::create(locked + "/db.sqlite", &error));
    QVERIFY(filesIn(locked).isEmpty());
    QFile::setPermissions(locked, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

void tst_Database::openRefusesMissingFile()
{
    QTemporaryDir dir;
    const QString file = dir.filePath("absent.sqlite");
    QString error;
    QVERIFY(!Database::open(file, &error));
    QVERIFY(error.startsWith("無法開啟資料庫: "));
    QVERIFY(!QFileInfo::exists(file));   // never created by opening
    QVERIFY(!QSqlDatabase::contains(Database::ConnectionName));
}

void tst_Database::openRefusesForeignFiles_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("message");
    QTest::newRow("text file") << "text" << "file is not a database";
    QTest::newRow("empty file") << "empty" << "資料庫缺少資料表 MPBANK";
    QTest::newRow("another layout") << "foreign" << "資料庫缺少資料表 MPBANK";
    QTest::newRow("a table lacks a field") << "field" << "資料表 CD01 缺少欄位 HSIEN_NAME";
    QTest::newRow("a table is missing") << "table" << "資料庫缺少資料表 CACNONO3";
}

void tst_Database::openRefusesForeignFiles()
{
    QFETCH(QString, kind);
    QFETCH(QString, message);
    QTemporaryDir dir;
    const QString file = dir.filePath("CLIENT8.sqlite");
    if (kind == "text") {
        QVERIFY(writeFile(file, QByteArray("BANK_NO,BANK_NAME\n995,sample\n").repeated(200)));
    } else if (kind == "empty") {
        QVERIFY(writeFile(file, QByteArray()));
    } else if (kind == "foreign") {
        QVERIFY(buildSqlite(file, {"create table notes (t text)", "insert into notes values ('keep me')"}));
    } else {
        QStringList statements;
        for (const TableDef &t : Schema::tables()) {
            if (kind == "table" && t.name == "CACNONO3")
                continue;
            if (kind == "field" && t.name == "CD01")
                statements << "create table CD01 (HSIEN_ID text)";
            else
                statements << Schema::createStatement(t);
        }
        QVERIFY(buildSqlite(file, statements));
    }
    const FileState before = stateOf(file);
    QString error;
    QVERIFY(!Database::open(file, &error));
    QVERIFY2(error.contains(message), qPrintable(error));
    QVERIFY(error.contains(QDir::toNativeSeparators(file)));
    QVERIFY(!QSqlDatabase::contains(Database::ConnectionName));
    QVERIFY(stateOf(file) == before);
    QCOMPARE(filesIn(dir.path()), QStringList{"CLIENT8.sqlite"});
}

void tst_Database::openRefusesUnreadableFolder()
{
    QTemporaryDir dir;
    const QString folder = dir.filePath("closed");
    QString error;
    QVERIFY(Database::create(folder + "/CLIENT8.sqlite", &error));
    QFile::setPermissions(folder, QFileDevice::Permissions());
    const bool readable = QFile(folder + "/CLIENT8.sqlite").open(QIODevice::ReadOnly);
    if (readable) {
        QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        QSKIP("permissions do not bind for this user");
    }
    QVERIFY(!Database::open(folder + "/CLIENT8.sqlite", &error));
    QVERIFY(error.startsWith("無法開啟資料庫"));
    QVERIFY(!QSqlDatabase::contains(Database::ConnectionName));
    QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

void tst_Database::openOrCreateCreatesOnlyOnce()
{
    QTemporaryDir dir;
    const QString file = dir.filePath("CLIENT8.sqlite");
    QString error;
    QVERIFY2(Database::openOrCreate(file, &error), qPrintable(error));
    {
        QSqlQuery q(Database::connection());
        QVERIFY(q.exec("insert into Customer (CUST_NO, CUST_NAME) values ('C1', '客戶')"));
    }
    Database::close();
    QVERIFY(Database::openOrCreate(file, &error));   // the first start's file is kept
    {
        QSqlQuery q(Database::connection());
        QVERIFY(q.exec("select CUST_NAME from Customer"));
        QVERIFY(q.next());
        QCOMPARE(q.value(0).toString(), QString("客戶"));
    }
    Database::close();

    // A foreign file is never turned into a database.
    const QString foreign = dir.filePath("foreign.sqlite");
    QVERIFY(writeFile(foreign, "not a database at all"));
    QVERIFY(!Database::openOrCreate(foreign, &error));
    QCOMPARE(stateOf(foreign).size, qint64(21));
}

void tst_Database::reopenReplacesConnection()
{
    TestDatabase first(TestDatabase::Content::Empty);
    QVERIFY(first.isValid());
    QVERIFY(first.insertRow("CD01", {{"HSIEN_ID", "A"}}));
    TestDatabase second(TestDatabase::Content::Empty, "second");
    QVERIFY(second.isValid());
    QCOMPARE(first.count("CD01"), 1);
    QCOMPARE(second.count("CD01"), 0);
    QString error;
    QVERIFY(Database::open(second.path(), &error));   // CVELQ now on the second file
    QCOMPARE(first.count("CD01"), 0);
}

QTEST_GUILESS_MAIN(tst_Database)
#include "tst_database.moc"
