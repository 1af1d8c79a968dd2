#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QTemporaryDir>
#include <QVariant>
#include <QVariantMap>

// A declaration database of its own for one test: created in a temporary folder,
// opened as the application connection "CVELQ" (or the name given), closed and
// removed again when the object goes.
//
// When VELQ8_TEST_SERVER holds a server URL without a database
// ("postgresql://velq8@127.0.0.1:55432"), the database is instead a fresh one
// made on that server for the object (UTF8, bytewise "C" order) and dropped
// when it goes; path() is then its URL and folder() is still a temporary folder. With Content::Empty every table starts
// empty, so the test adds exactly the rows it needs.
//
//     TestDatabase db(TestDatabase::Content::Empty);
//     QVERIFY2(db.isValid(), qPrintable(db.lastError()));
//     QVERIFY(db.insertRow("CACNO", {{"ACC_CODE", "11000"}, {"ACC_NAME", "現金"}}));
//     QCOMPARE(db.count("CACNO"), 1);
class TestDatabase
{
public:
    enum class Content { ReferenceData, Empty };

    explicit TestDatabase(Content content = Content::ReferenceData,
                          const QString &connectionName = QStringLiteral("CVELQ"));
    ~TestDatabase();
    TestDatabase(const TestDatabase &) = delete;
    TestDatabase &operator=(const TestDatabase &) = delete;

    // The server the tests run on (VELQ8_TEST_SERVER), and whether there is one.
    static QString server();
    static bool onServer();

    bool isValid() const { return m_valid; }
    QString lastError() const { return m_lastError; }
    QString path() const { return m_path; }
    QString folder() const { return m_dir.path(); }
    QString connectionName() const { return m_connectionName; }
    QSqlDatabase db() const;

    // Runs a statement; false (and lastError(), also printed as a warning) on failure.
    bool exec(const QString &sql);
    // Runs statements in order; false (and lastError()) at the first that fails.
    bool exec(const QStringList &statements);
    // Inserts one row; the map's keys are field names. Rows keep insertion order.
    bool insertRow(const QString &table, const QVariantMap &values);
    // Rows of the table, optionally with a condition ("M_YEAR = 115"); -1 on failure.
    int count(const QString &table, const QString &where = {});
    // The first column of the first row of a query (invalid when none or on failure).
    QVariant scalar(const QString &sql);
    // Every row of a query in one text: a row's columns joined by "=", rows by
    // ";", a NULL as "NULL", a real number as SQLite writes one ("100.0",
    // "1.25"), so that an expected text reads alike on both engines. Empty
    // when there are no rows, and on failure (lastError()).
    QString rowsText(const QString &sql);
    // Whether no transaction is open on the connection. On SQLite this asks
    // by a rollback, which ends a transaction left open; the server says so
    // without changing anything.
    bool noTransactionOpen();
    // Makes every insert, update and delete on the table fail with the engine
    // error `reason`, as a table another program holds or a full disk would.
    bool refuseWrites(const QString &table, const QString &reason);

private:
    bool fail(const QString &error);

    QTemporaryDir m_dir;
    QString m_path;
    QString m_serverDatabase;   // on a server: the database made for this object
    QString m_connectionName;
    QString m_lastError;
    bool m_valid = false;
};
