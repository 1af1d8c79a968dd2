#include "tests/support/test_database.h"

#include "db/database.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QtDebug>

TestDatabase::TestDatabase(Content content, const QString &connectionName)
    : m_connectionName(connectionName)
{
    if (!m_dir.isValid()) {
        fail(QStringLiteral("no temporary folder: ") + m_dir.errorString());
        return;
    }
    m_path = m_dir.filePath(QString::fromLatin1(Database::FileName));
    QString error;
    if (!Database::create(m_path, &error, content == Content::ReferenceData)) {
        fail(error);
        return;
    }
    if (!Database::open(m_path, &error, m_connectionName)) {
        fail(error);
        return;
    }
    m_valid = true;
}

TestDatabase::~TestDatabase()
{
    Database::close(m_connectionName);
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
