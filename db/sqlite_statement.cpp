#include "db/sqlite_statement.h"

#include "db/engine_message.h"
#include "db/named_placeholders.h"

#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <sqlite3.h>

sqlite3 *SqliteStatement::handleOf(const QSqlDatabase &db)
{
    if (!db.isOpen() || !db.driver())
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

bool SqliteStatement::fail()
{
    // As Qt's driver reports it: the engine's text and its extended code.
    m_error = EngineMessage::of(QSqlError(QString(), QString::fromUtf8(sqlite3_errmsg(m_db)),
                                          QSqlError::StatementError,
                                          QString::number(sqlite3_extended_errcode(m_db))));
    return false;
}

bool SqliteStatement::prepare(const QString &sql)
{
    m_error.clear();
    sqlite3_finalize(m_statement);
    m_statement = nullptr;
    m_values.clear();
    m_utf8.clear();
    const QByteArray text = sql.toUtf8();
    const char *rest = nullptr;
    if (sqlite3_prepare_v2(m_db, text.constData(), int(text.size()), &m_statement, &rest) != SQLITE_OK)
        return fail();
    // One statement a text, as Qt's driver has it: a second would be left unrun.
    if (rest && !QByteArrayView(rest, text.constData() + text.size() - rest).trimmed().isEmpty()) {
        sqlite3_finalize(m_statement);
        m_statement = nullptr;
        m_error = QStringLiteral("Unable to execute multiple statements at a time");
        return false;
    }
    m_values.resize(size_t(sqlite3_bind_parameter_count(m_statement)));
    m_utf8.resize(m_values.size());
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
            // As UTF-8, the database's own encoding: Qt's conversion is far
            // quicker than SQLite's of UTF-16.
            QByteArray &utf8 = m_utf8[size_t(position)];
            utf8 = static_cast<const QString *>(held.constData())->toUtf8();
            rc = sqlite3_bind_text(m_statement, at, utf8.constData(), int(utf8.size()), SQLITE_STATIC);
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
    return rc == SQLITE_OK || fail();
}

bool SqliteStatement::exec()
{
    m_error.clear();
    if (!m_statement) {
        m_error = QStringLiteral("no statement");
        return false;
    }
    int rc;
    while ((rc = sqlite3_step(m_statement)) == SQLITE_ROW) {
    }
    const bool done = rc == SQLITE_DONE;
    if (!done)
        fail();
    sqlite3_reset(m_statement);
    return done;
}

bool SqliteStatement::bindNamed(const QString &sql, const QVariantMap &params)
{
    for (const QString &name : NamedPlaceholders::in(sql)) {
        const int at = sqlite3_bind_parameter_index(m_statement, (u':' + name).toUtf8().constData());
        if (at > 0 && !bind(at - 1, params.value(name)))
            return false;
    }
    return true;
}

bool SqliteStatement::next()
{
    m_error.clear();
    if (!m_statement)
        return false;
    const int rc = sqlite3_step(m_statement);
    if (rc == SQLITE_ROW)
        return true;
    if (rc != SQLITE_DONE)
        fail();
    sqlite3_reset(m_statement);
    return false;
}

int SqliteStatement::changes() const { return sqlite3_changes(m_db); }

int SqliteStatement::type(int column) const { return sqlite3_column_type(m_statement, column); }
qint64 SqliteStatement::integer(int column) const { return sqlite3_column_int64(m_statement, column); }
double SqliteStatement::real(int column) const { return sqlite3_column_double(m_statement, column); }

QByteArrayView SqliteStatement::text(int column) const
{
    const auto *bytes = reinterpret_cast<const char *>(sqlite3_column_text(m_statement, column));
    return QByteArrayView(bytes, sqlite3_column_bytes(m_statement, column));
}
