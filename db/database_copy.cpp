#include "db/database_copy.h"

#include "db/database.h"
#include "db/engine_message.h"
#include "db/schema.h"

#include <QAtomicInt>
#include <QCryptographicHash>
#include <QDate>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

namespace {

QString uniqueConnection(const char *prefix)
{
    static QAtomicInt counter;
    return QStringLiteral("%1_%2").arg(QLatin1String(prefix)).arg(counter.fetchAndAddRelaxed(1));
}

// The rows of a table as one SHA-256, the same whichever engine they are read
// from: each value is written by its field's type, not by the driver's, so an
// integer a driver hands over as text, or a date as a date, weighs the same.
// Trailing blanks of a text are left out: the tables do not count them (two
// texts that differ only there are one key), and a server may pad or trim them.
class RowDigest
{
public:
    explicit RowDigest(const TableDef &table) : m_table(table), m_hash(QCryptographicHash::Sha256) {}

    void addRow(const QSqlQuery &q)
    {
        QByteArray row;
        for (int i = 0; i < m_table.fields.size(); ++i)
            row += valueBytes(m_table.fields.at(i).type, q.value(i));
        row += '\n';
        m_hash.addData(row);
        ++m_rows;
    }
    qint64 rows() const { return m_rows; }
    QByteArray hex() const { return m_hash.result().toHex(); }

private:
    static QByteArray valueBytes(FieldType type, const QVariant &v)
    {
        if (v.isNull())
            return QByteArrayLiteral("N;");
        switch (type) {
        case FieldType::SmallInt:
            return 'I' + QByteArray::number(v.toLongLong()) + ';';
        case FieldType::Float:
            return 'F' + QByteArray::number(v.toDouble(), 'g', 17) + ';';
        case FieldType::Date: {
            const QString text = v.typeId() == QMetaType::QDate || v.typeId() == QMetaType::QDateTime
                                     ? v.toDate().toString(Qt::ISODate)
                                     : v.toString();
            return 'D' + text.toUtf8() + ';';
        }
        case FieldType::Text: {
            QString text = v.toString();
            qsizetype end = text.size();
            while (end > 0 && text.at(end - 1) == u' ')
                --end;
            const QByteArray bytes = text.left(end).toUtf8();
            // Length first, so that no text can pass for two.
            return 'T' + QByteArray::number(bytes.size()) + ':' + bytes;
        }
        }
        return {};
    }

    const TableDef &m_table;
    QCryptographicHash m_hash;
    qint64 m_rows = 0;
};

QString selectInStoredOrder(const TableDef &table)
{
    return QStringLiteral("select %1 from %2 order by rowid")
        .arg(table.fieldNames().join(QStringLiteral(", ")), table.name);
}

// "insert into T (F1, F2) values (?, ?), (?, ?), ..." for `rows` rows.
QString batchInsert(const TableDef &table, int rows)
{
    QStringList marks(table.fields.size(), QStringLiteral("?"));
    const QString one = u'(' + marks.join(QStringLiteral(", ")) + u')';
    QStringList tuples(rows, one);
    return QStringLiteral("insert into %1 (%2) values %3")
        .arg(table.name, table.fieldNames().join(QStringLiteral(", ")), tuples.join(QStringLiteral(", ")));
}

class Copier
{
public:
    Copier(QSqlDatabase source, QSqlDatabase target) : m_source(source), m_target(target) {}

    // Copies one table; false and *error on the first failure.
    bool copy(const TableDef &table, DatabaseCopy::Table *out, QString *error)
    {
        const int perStatement =
            qMax(1, qMin(DatabaseCopy::RowsPerStatement,
                         DatabaseCopy::ValuesPerStatement / int(qMax<qsizetype>(1, table.fields.size()))));
        QSqlQuery read(m_source);
        read.setForwardOnly(true);
        if (!read.exec(selectInStoredOrder(table)))
            return fail(table, read.lastError(), error);
        RowDigest digest(table);
        QVariantList pending;
        m_full = QSqlQuery(m_target);
        bool fullPrepared = false;
        out->name = table.name;
        // Sends the pending rows as one statement; the full-size statement is
        // prepared once and reused, a last shorter batch gets its own.
        auto flush = [&](int rows) {
            m_partial = QSqlQuery(m_target);
            QSqlQuery &q = rows == perStatement ? m_full : m_partial;
            if ((rows != perStatement || !fullPrepared) && !q.prepare(batchInsert(table, rows)))
                return fail(table, q.lastError(), error);
            fullPrepared = fullPrepared || rows == perStatement;
            for (const QVariant &v : std::as_const(pending))
                q.addBindValue(v);
            pending.clear();
            ++out->insertStatements;
            return q.exec() || fail(table, q.lastError(), error);
        };
        int rowsPending = 0;
        while (read.next()) {
            digest.addRow(read);
            for (int i = 0; i < table.fields.size(); ++i)
                pending << read.value(i);
            if (++rowsPending == perStatement) {
                if (!flush(rowsPending))
                    return false;
                rowsPending = 0;
            }
        }
        if (read.lastError().isValid())
            return fail(table, read.lastError(), error);
        if (rowsPending > 0 && !flush(rowsPending))
            return false;
        out->rows = digest.rows();
        out->checksum = digest.hex();
        return verify(table, *out, error);
    }

private:
    // Reads the table back from the target, inside the copy's transaction.
    bool verify(const TableDef &table, const DatabaseCopy::Table &copied, QString *error)
    {
        QSqlQuery back(m_target);
        back.setForwardOnly(true);
        if (!back.exec(selectInStoredOrder(table)))
            return fail(table, back.lastError(), error);
        RowDigest digest(table);
        while (back.next())
            digest.addRow(back);
        if (back.lastError().isValid())
            return fail(table, back.lastError(), error);
        if (digest.rows() != copied.rows || digest.hex() != copied.checksum) {
            *error = QStringLiteral("%1: 核對不符 (來源 %2 筆, 目的 %3 筆)")
                         .arg(table.name)
                         .arg(copied.rows)
                         .arg(digest.rows());
            return false;
        }
        return true;
    }

    static bool fail(const TableDef &table, const QSqlError &e, QString *error)
    {
        *error = QStringLiteral("%1: %2").arg(table.name, EngineMessage::of(e));
        return false;
    }

    QSqlDatabase m_source;
    QSqlDatabase m_target;
    // The insert statements live as long as the copier, so that a server drops
    // a failed one after the rollback, not inside the aborted transaction (where
    // it only warns that it cannot).
    QSqlQuery m_full;
    QSqlQuery m_partial;
};

// Undoes what Database::create made when the copy did not go through: a file
// is removed (it did not exist before: create refuses an existing one), a
// server database loses the tables again in one transaction.
void removeMade(const QString &target)
{
    if (QFileInfo(target).isFile()) {
        for (const char *suffix : {"", "-journal", "-wal", "-shm"})
            QFile::remove(target + QLatin1String(suffix));
        return;
    }
    const QString connection = uniqueConnection("velq8_copy_undo");
    QString ignored;
    if (Database::open(target, &ignored, connection)) {
        QSqlDatabase db = Database::connection(connection);
        db.transaction();
        QSqlQuery q(db);
        bool ok = true;
        for (const TableDef &t : Schema::tables())
            ok = ok && q.exec(QStringLiteral("drop table %1").arg(t.name));
        ok ? db.commit() : db.rollback();
    }
    Database::close(connection);
}

} // namespace

DatabaseCopy::Result DatabaseCopy::run(const QString &source, const QString &target)
{
    Result result;
    const QString sourceConnection = uniqueConnection("velq8_copy_source");
    const QString targetConnection = uniqueConnection("velq8_copy_target");
    QString error;
    if (!Database::open(source, &error, sourceConnection)) {
        result.status = Status::Refused;
        result.message = error;
        return result;
    }
    if (!Database::create(target, &error, false)) {
        Database::close(sourceConnection);
        result.status = Status::Refused;
        result.message = error;
        return result;
    }

    bool copied = false;
    if (Database::open(target, &error, targetConnection)) {
        QSqlDatabase from = Database::connection(sourceConnection);
        QSqlDatabase to = Database::connection(targetConnection);
        if (!from.transaction() || !to.transaction()) {
            error = EngineMessage::of(from.lastError().isValid() ? from.lastError() : to.lastError());
        } else {
            Copier copier(from, to);
            copied = true;
            for (const TableDef &t : Schema::tables()) {
                Table table;
                if (!copier.copy(t, &table, &error)) {
                    copied = false;
                    break;
                }
                result.tables << table;
            }
            if (copied && !to.commit()) {
                error = EngineMessage::of(to.lastError());
                copied = false;
            }
            if (!copied)
                to.rollback();
            from.rollback();   // it only read
        }
    }
    Database::close(targetConnection);
    Database::close(sourceConnection);
    if (!copied) {
        removeMade(target);
        result.tables.clear();
        result.status = Status::Failed;
        result.message = error;
        return result;
    }
    result.status = Status::Copied;
    return result;
}
