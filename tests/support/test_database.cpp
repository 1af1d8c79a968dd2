#include "tests/support/test_database.h"

#include "db/database.h"
#include "db/server_location.h"

#include <QCoreApplication>

#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QtDebug>

namespace {

// The admin connection to the server's "postgres" database, for making and
// dropping the test databases; removed when it goes.
class ServerAdmin
{
public:
    explicit ServerAdmin(const QString &server)
        : m_name(QStringLiteral("velq8_test_admin_%1").arg(quintptr(this)))
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), m_name);
        if (!ServerLocation::configure(db, ServerLocation::withDatabase(server, QStringLiteral("postgres")), {},
                                       &m_error)) {
            return;
        }
        if (!db.open())
            m_error = db.lastError().text();
    }
    ~ServerAdmin()
    {
        QSqlDatabase::database(m_name, false).close();
        QSqlDatabase::removeDatabase(m_name);
    }
    bool exec(const QString &sql)
    {
        if (!m_error.isEmpty())
            return false;
        QSqlQuery q(QSqlDatabase::database(m_name, false));
        if (q.exec(sql))
            return true;
        m_error = q.lastError().text() + QStringLiteral("\n") + sql;
        return false;
    }
    QString error() const { return m_error; }

private:
    QString m_name;
    QString m_error;
};

} // namespace

QString TestDatabase::server()
{
    return qEnvironmentVariable("VELQ8_TEST_SERVER").trimmed();
}

bool TestDatabase::onServer()
{
    return Database::isServer(server());
}

TestDatabase::TestDatabase(Content content, const QString &connectionName)
    : m_connectionName(connectionName)
{
    if (!m_dir.isValid()) {
        fail(QStringLiteral("no temporary folder: ") + m_dir.errorString());
        return;
    }
    if (onServer()) {
        // A fresh database per object, named after the process and a count so
        // that tests running side by side never meet.
        static int made = 0;
        m_serverDatabase = QStringLiteral("velq8_test_%1_%2").arg(QCoreApplication::applicationPid()).arg(++made);
        ServerAdmin admin(server());
        admin.exec(QStringLiteral("drop database if exists %1 with (force)").arg(m_serverDatabase));
        if (!admin.exec(QStringLiteral("create database %1 template template0 encoding 'UTF8' "
                                       "lc_collate 'C' lc_ctype 'C'")
                            .arg(m_serverDatabase))) {
            m_serverDatabase.clear();
            fail(admin.error());
            return;
        }
        m_path = ServerLocation::withDatabase(server(), m_serverDatabase);
    } else {
        m_path = m_dir.filePath(QString::fromLatin1(Database::FileName));
    }
    QString error;
    if (!Database::create(m_path, &error, content == Content::ReferenceData)) {
        fail(error);
        return;
    }
    if (!Database::open(m_path, &error, m_connectionName)) {
        fail(error);
        return;
    }
    // The tests read a table's values joined in one text, as SQLite's
    // group_concat gives them; the server database gets the same aggregate.
    if (!m_serverDatabase.isEmpty()
        && !exec({QStringLiteral("create function velq8_join(acc text, x anynonarray, sep text) returns text "
                                 "language sql immutable as $$ select case when x is null then acc "
                                 "when acc is null then x::text else acc || sep || x::text end $$"),
                  QStringLiteral("create function velq8_join(acc text, x anynonarray) returns text "
                                 "language sql immutable as $$ select velq8_join(acc, x, ',') $$"),
                  QStringLiteral("create aggregate group_concat(anynonarray, text) (sfunc = velq8_join, stype = text)"),
                  QStringLiteral("create aggregate group_concat(anynonarray) (sfunc = velq8_join, stype = text)")})) {
        return;
    }
    m_valid = true;
}

TestDatabase::~TestDatabase()
{
    Database::close(m_connectionName);
    if (!m_serverDatabase.isEmpty()) {
        // "force": a connection a test left open does not keep the database.
        ServerAdmin admin(server());
        if (!admin.exec(QStringLiteral("drop database if exists %1 with (force)").arg(m_serverDatabase)))
            qWarning().noquote() << "TestDatabase:" << admin.error();
    }
}

QSqlDatabase TestDatabase::db() const
{
    return Database::connection(m_connectionName);
}

bool TestDatabase::fail(const QString &error)
{
    m_lastError = error;
    qWarning().noquote() << "TestDatabase:" << error;
    return false;
}

bool TestDatabase::exec(const QString &sql)
{
    QSqlQuery q(db());
    if (!q.exec(sql))
        return fail(q.lastError().text() + QStringLiteral("\n") + sql);
    return true;
}

bool TestDatabase::exec(const QStringList &statements)
{
    for (const QString &sql : statements) {
        if (!exec(sql))
            return false;
    }
    return true;
}

bool TestDatabase::insertRow(const QString &table, const QVariantMap &values)
{
    QStringList fields, params;
    for (auto it = values.cbegin(); it != values.cend(); ++it) {
        fields << it.key();
        params << QStringLiteral("?");
    }
    const QString sql = QStringLiteral("insert into %1 (%2) values (%3)")
                            .arg(table, fields.join(QStringLiteral(", ")), params.join(QStringLiteral(", ")));
    QSqlQuery q(db());
    if (!q.prepare(sql))
        return fail(q.lastError().text() + QStringLiteral("\n") + sql);
    int i = 0;
    for (auto it = values.cbegin(); it != values.cend(); ++it)
        q.bindValue(i++, it.value());
    if (!q.exec())
        return fail(q.lastError().text() + QStringLiteral("\n") + sql);
    return true;
}

int TestDatabase::count(const QString &table, const QString &where)
{
    QString sql = QStringLiteral("select count(*) from ") + table;
    if (!where.trimmed().isEmpty())
        sql += QStringLiteral(" where ") + where;
    const QVariant v = scalar(sql);
    return v.isValid() ? v.toInt() : -1;
}

QVariant TestDatabase::scalar(const QString &sql)
{
    QSqlQuery q(db());
    q.setForwardOnly(true);
    if (!q.exec(sql)) {
        fail(q.lastError().text() + QStringLiteral("\n") + sql);
        return {};
    }
    return q.next() ? q.value(0) : QVariant();
}
