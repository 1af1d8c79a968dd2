#include "tests/support/test_database.h"

#include "db/database.h"
#include "db/server_location.h"

#include <QCoreApplication>

#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
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
    // group_concat gives them, and a value's kind as its typeof names it; the
    // server database gets the same aggregate and function.
    if (!m_serverDatabase.isEmpty()
        && !exec({QStringLiteral("create function velq8_join(acc text, x anynonarray, sep text) returns text "
                                 "language sql immutable as $$ select case when x is null then acc "
                                 "when acc is null then x::text else acc || sep || x::text end $$"),
                  QStringLiteral("create function velq8_join(acc text, x anynonarray) returns text "
                                 "language sql immutable as $$ select velq8_join(acc, x, ',') $$"),
                  QStringLiteral("create aggregate group_concat(anynonarray, text) (sfunc = velq8_join, stype = text)"),
                  QStringLiteral("create aggregate group_concat(anynonarray) (sfunc = velq8_join, stype = text)"),
                  // A stored value's kind in SQLite's words, so that a test of
                  // what an empty cell or a number becomes reads alike on both.
                  QStringLiteral("create function typeof(x anyelement) returns text language sql immutable as $$ "
                                 "select case when x is null then 'null' "
                                 "when pg_typeof(x) in ('smallint'::regtype, 'integer'::regtype, 'bigint'::regtype) "
                                 "then 'integer' "
                                 "when pg_typeof(x) in ('real'::regtype, 'double precision'::regtype) then 'real' "
                                 "else 'text' end $$")})) {
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

namespace {

// A value as SQLite's text of it: a real number keeps a point ("100.0").
QString valueText(const QVariant &v)
{
    if (v.isNull())
        return QStringLiteral("NULL");
    const int type = v.metaType().id();
    if (type == QMetaType::Double || type == QMetaType::Float) {
        QString text = QString::number(v.toDouble(), 'g', 15);
        if (!text.contains(u'.') && !text.contains(u'e') && !text.contains(u'n'))
            text += QStringLiteral(".0");
        return text;
    }
    return v.toString();
}

} // namespace

QString TestDatabase::rowsText(const QString &sql)
{
    QSqlQuery q(db());
    q.setForwardOnly(true);
    if (!q.exec(sql)) {
        fail(q.lastError().text() + QStringLiteral("\n") + sql);
        return {};
    }
    QStringList rows;
    while (q.next()) {
        QStringList values;
        for (int i = 0; i < q.record().count(); ++i)
            values << valueText(q.value(i));
        rows << values.join(u'=');
    }
    return rows.join(u';');
}

bool TestDatabase::noTransactionOpen()
{
    if (!onServer())
        return !db().rollback();
    // Within a transaction its start (now()) is before this statement's;
    // a statement outside one is a transaction of its own.
    return scalar(QStringLiteral("select now() = statement_timestamp()")).toBool();
}

bool TestDatabase::refuseWrites(const QString &table, const QString &reason)
{
    QStringList statements;
    if (onServer()) {
        statements << QStringLiteral("create or replace function velq8_refuse() returns trigger language plpgsql as "
                                     "$$ begin raise exception '%', tg_argv[0]; end $$")
                   << QStringLiteral("create trigger keep_%1 before insert or update or delete on %1 "
                                     "for each row execute function velq8_refuse('%2')")
                          .arg(table, reason);
    } else {
        for (const char *event : {"insert", "update", "delete"})
            statements << QStringLiteral("create trigger keep_%1_%2 before %2 on %1 begin select raise(abort, '%3'); end")
                              .arg(table, QLatin1String(event), reason);
    }
    return exec(statements);
}
