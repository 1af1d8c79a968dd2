#include "db/sqlite_statement.h"

#include <QSqlDatabase>
#include <QSqlDriver>
#include <sqlite3.h>

sqlite3 *SqliteStatement::handleOf(const QSqlDatabase &db)
{
    if (!db.isValid() || !db.driver())
        return nullptr;
    const QVariant handle = db.driver()->handle();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0)
        return nullptr;
    return *static_cast<sqlite3 *const *>(handle.constData());
}

SqliteStatement::~SqliteStatement()
{
    sqlite3_finalize(m_statement);
}

bool SqliteStatement::failed()
{
    m_error = QString::fromUtf8(sqlite3_errmsg(m_db));
    return false;
}

bool SqliteStatement::prepare(const QString &sql)
{
    sqlite3_finalize(m_statement);
    m_statement = nullptr;
    m_values.clear();
    const QByteArray text = sql.toUtf8();
    if (sqlite3_prepare_v2(m_db, text.constData(), int(text.size()), &m_statement, nullptr) != SQLITE_OK)
        return failed();
    m_values.resize(size_t(sqlite3_bind_parameter_count(m_statement)));
    return true;
}

bool SqliteStatement::bind(int position, const QVariant &value)
{
    if (!m_statement || position < 0 || size_t(position) >= m_values.size()) {
        m_error = QStringLiteral("no parameter %1").arg(position + 1);
        return false;
    }
    QVariant &held = m_values[size_t(position)];
    held = value;
    const int at = position + 1;
    int rc = SQLITE_OK;
    if (held.isNull()) {
        rc = sqlite3_bind_null(m_statement, at);
    } else {
        switch (held.metaType().id()) {
        case QMetaType::QString: {
            const QString *text = static_cast<const QString *>(held.constData());
            rc = sqlite3_bind_text16(m_statement, at, text->utf16(), int(text->size() * sizeof(char16_t)),
                                     SQLITE_STATIC);
            break;
        }
        case QMetaType::Int:
        case QMetaType::Bool:
            rc = sqlite3_bind_int(m_statement, at, held.toInt());
            break;
        case QMetaType::UInt:
        case QMetaType::LongLong:
            rc = sqlite3_bind_int64(m_statement, at, held.toLongLong());
            break;
        case QMetaType::Double:
            rc = sqlite3_bind_double(m_statement, at, held.toDouble());
            break;
        case QMetaType::QByteArray: {
            const QByteArray *bytes = static_cast<const QByteArray *>(held.constData());
            rc = sqlite3_bind_blob(m_statement, at, bytes->constData(), int(bytes->size()), SQLITE_STATIC);
            break;
        }
        default:
            // Any other type as its text, as Qt's driver writes it.
            held = held.toString();
            return bind(position, held);
        }
    }
    return rc == SQLITE_OK || failed();
}

bool SqliteStatement::exec()
{
    if (!m_statement) {
        m_error = QStringLiteral("no statement");
        return false;
    }
    int rc;
    while ((rc = sqlite3_step(m_statement)) == SQLITE_ROW) {
    }
    const bool done = rc == SQLITE_DONE;
    if (!done)
        failed();
    sqlite3_reset(m_statement);
    return done;
}
