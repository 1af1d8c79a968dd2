#include "db/update_applier.h"

#include "db/engine_message.h"
#include "db/field_kinds.h"
#include "db/named_placeholders.h"
#include "db/savepoint.h"
#include "db/schema.h"
#include "db/sqlite_statement.h"

#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <algorithm>
#include <atomic>
#include <optional>

namespace {

std::atomic<quint64> sentStatements{0};

bool execCounted(QSqlQuery &query)
{
    ++sentStatements;
    return query.exec();
}

// An insert of one row, "insert into T (a, b) values (<row>)", as the prefix
// up to "values", the row's parenthesised text with '?' for each placeholder,
// and the placeholders' names in their order. Empty when the statement has
// another form or quotes in its row (where a ':' need not be a placeholder).
struct InsertShape
{
    QString head;
    QString row;
    QStringList names;
};

InsertShape insertShape(const QString &sql)
{
    static const QRegularExpression form(
        QStringLiteral(R"(^\s*(insert\s+into\s+[^\s(]+\s*\([^)]*\)\s*values)\s*(\(.*\))\s*;?\s*$)"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression placeholder(QStringLiteral(R"((?<![:\w]):(\w+))"));
    const QRegularExpressionMatch m = form.match(sql);
    static const QRegularExpression quote(QStringLiteral(R"(['"`\[])"));
    if (!m.hasMatch() || m.captured(2).contains(quote))
        return {};
    InsertShape shape;
    shape.head = m.captured(1);
    QString row = m.captured(2);
    for (auto it = placeholder.globalMatch(row); it.hasNext();)
        shape.names << it.next().captured(1);
    row.replace(placeholder, QStringLiteral("?"));
    shape.row = row;
    return shape;
}

} // namespace

quint64 UpdateApplier::statementsSent()
{
    return sentStatements.load();
}

struct UpdateApplier::Binding
{
    enum class Source { New, Old, Param, Null };
    QString placeholder;   // ":NAME" as written in the statement
    Source source = Source::Null;
    int field = -1;
    QVariant param;
};

struct UpdateApplier::Step
{
    const char *name;      // for the message when the statement is missing
    QString sql;
    // Modify and delete: the stored row must be there as it was read.
    enum class FindRow { No, ToModify, ToDelete } mustFindRow;
    QList<const CachedRow *> rows;
    QList<Binding> bindings;
};

UpdateApplier::Statements UpdateApplier::forTable(const TableDef &table, const FieldKinds &fields)
{
    // The modify sets, and both find the row by, the table's fields the dataset
    // read: a field it did not read keeps its stored value and is not compared
    // (there is no value read to compare it with), and a column the statement
    // computes (ACCNAME, ...) is no field of the table.
    TableDef read = table;
    read.fields.removeIf([&](const FieldDef &f) { return fields.indexOf(f.name) < 0; });
    return {Schema::insertStatement(table), Schema::modifyStatement(read), Schema::deleteStatement(read)};
}

UpdateApplier::UpdateApplier(const QString &connectionName, const Statements &statements,
                             const FieldKinds &fields, const QHash<QString, QVariant> &params)
    : m_connectionName(connectionName), m_statements(statements), m_fields(fields), m_params(params)
{
}

UpdateApplier::~UpdateApplier() = default;

bool UpdateApplier::fail(const QString &error)
{
    m_error = error;
    return false;
}

QList<UpdateApplier::Binding> UpdateApplier::bindingsFor(const QString &sql) const
{
    QList<Binding> out;
    for (const QString &name : NamedPlaceholders::in(sql)) {
        Binding b;
        b.placeholder = u':' + name;
        const QString upper = name.toUpper();
        int f = -1;
        if (upper.startsWith(QLatin1String("OLD_")) && (f = m_fields.indexOf(name.mid(4))) >= 0) {
            b.source = Binding::Source::Old;
            b.field = f;
        } else if ((f = m_fields.indexOf(name)) >= 0) {
            b.source = Binding::Source::New;
            b.field = f;
        } else if (m_params.contains(upper)) {
            b.source = Binding::Source::Param;
            b.param = m_params.value(upper);
        }
        out << b;
    }
    return out;
}

// A text the table cannot hold is refused here rather than written cut or
// mangled: the whole apply stops before its first statement.
bool UpdateApplier::checkTexts(const Step &step)
{
    for (const Binding &b : step.bindings) {
        if (b.source != Binding::Source::New || m_fields.width(b.field) <= 0)
            continue;
        for (const CachedRow *row : step.rows) {
            const QVariant v = row->value(b.field);
            if (FieldKinds::isNull(v))
                continue;
            const QString why = m_fields.textRefusal(b.field, v.toString());
            if (!why.isEmpty())
                return fail(QStringLiteral("「%1」%2").arg(m_fields.name(b.field), why));
        }
    }
    return true;
}

QVariant UpdateApplier::boundValue(const Binding &b, const CachedRow &row) const
{
    switch (b.source) {
    case Binding::Source::New: return m_fields.bindable(b.field, row.value(b.field));
    case Binding::Source::Old: return m_fields.bindable(b.field, row.originalValue(b.field));
    case Binding::Source::Param: return b.param;
    case Binding::Source::Null: break;
    }
    return {};
}

QString UpdateApplier::rowKey(const Step &step, const CachedRow &row, bool old) const
{
    QStringList key;
    const TableDef *table = m_fields.table();
    const Binding::Source source = old ? Binding::Source::Old : Binding::Source::New;
    for (const Binding &b : step.bindings) {
        if (b.source != source)
            continue;
        const QString name = m_fields.name(b.field);
        const QVariant value = old ? row.originalValue(b.field) : row.value(b.field);
        if (!table || table->key.isEmpty() || table->key.contains(name, Qt::CaseInsensitive))
            key << name + u'=' + value.toString().trimmed();
    }
    return u'(' + key.join(QStringLiteral(", ")) + u')';
}

bool UpdateApplier::run(QSqlQuery &query, const Step &step, const CachedRow &row)
{
    for (const Binding &b : step.bindings)
        query.bindValue(b.placeholder, boundValue(b, row));
    if (!execCounted(query)) {
        // An insert refused (a key stored already, ...) names its row: of a
        // month's rows the engine's message alone does not say which. A busy
        // database is no fault of the row.
        const QString engine = EngineMessage::of(query.lastError());
        const bool rowRefused = step.mustFindRow == Step::FindRow::No && engine != EngineMessage::busy();
        return fail(rowRefused ? engine + u' ' + rowKey(step, row, false) : engine);
    }
    if (step.mustFindRow != Step::FindRow::No && query.numRowsAffected() == 0) {
        // The row is no longer stored as it was read: another writer changed or
        // deleted it since. Writing it now would undo that change unseen.
        return fail(EngineMessage::changedByOther(step.mustFindRow == Step::FindRow::ToDelete) + u' '
                    + rowKey(step, row, true));
    }
    return true;
}

bool UpdateApplier::runBatched(const QSqlDatabase &db, const Step &step, bool *sent)
{
    *sent = false;
    const InsertShape shape = insertShape(step.sql);
    if (shape.head.isEmpty())
        return false;
    // The binding of each '?' in the row's text, in order.
    QList<const Binding *> order;
    for (const QString &name : shape.names) {
        const auto it = std::find_if(step.bindings.cbegin(), step.bindings.cend(), [&](const Binding &b) {
            return b.placeholder.compare(u':' + name, Qt::CaseInsensitive) == 0;
        });
        if (it == step.bindings.cend())
            return false;
        order << &*it;
    }
    *sent = true;
    // One prepared statement per batch size: the full one is reused. On
    // SQLite the values go to the engine directly (SqliteStatement says why).
    QSqlQuery query(db);
    std::optional<SqliteStatement> direct;
    if (sqlite3 *handle = SqliteStatement::handleOf(db))
        direct.emplace(handle);
    int prepared = 0;
    for (qsizetype start = 0; start < step.rows.size(); start += InsertBatch) {
        const int rows = int(std::min<qsizetype>(InsertBatch, step.rows.size() - start));
        if (rows != prepared) {
            QStringList tuples;
            for (int r = 0; r < rows; ++r)
                tuples << shape.row;
            const QString sql = shape.head + u' ' + tuples.join(QStringLiteral(", "));
            if (direct ? !direct->prepare(sql) : !query.prepare(sql))
                return fail(direct ? direct->error() : EngineMessage::of(query.lastError()));
            prepared = rows;
        }
        int at = 0;
        for (int r = 0; r < rows; ++r) {
            for (const Binding *b : std::as_const(order)) {
                const QVariant value = boundValue(*b, *step.rows.at(start + r));
                if (direct) {
                    if (!direct->bind(at++, value))
                        return fail(direct->error());
                } else {
                    query.bindValue(at++, value);
                }
            }
        }
        ++sentStatements;
        if (direct ? !direct->exec() : !query.exec())
            return fail(direct ? direct->error() : EngineMessage::of(query.lastError()));
    }
    return true;
}

bool UpdateApplier::runSteps(const QSqlDatabase &db, const Step *steps, int count, bool batched)
{
    for (int i = 0; i < count; ++i) {
        const Step &step = steps[i];
        if (step.rows.isEmpty())
            continue;
        if (batched && step.mustFindRow == Step::FindRow::No && step.rows.size() > 1) {
            bool sent = false;
            if (runBatched(db, step, &sent))
                continue;
            if (sent)
                return false;
        }
        QSqlQuery query(db);
        if (!query.prepare(step.sql))
            return fail(EngineMessage::of(query.lastError()));   // the savepoint rolls back as it goes
        for (const CachedRow *row : step.rows) {
            if (!run(query, step, *row))
                return false;
        }
        query.finish();
    }
    return true;
}

bool UpdateApplier::apply(const QList<CachedRow> &rows)
{
    m_error.clear();
    Step steps[] = {
        {"delete", m_statements.deleteSql, Step::FindRow::ToDelete, {}, {}},
        {"modify", m_statements.modifySql, Step::FindRow::ToModify, {}, {}},
        {"insert", m_statements.insertSql, Step::FindRow::No, {}, {}},
    };
    Step &deletes = steps[0];
    Step &modifies = steps[1];
    Step &inserts = steps[2];
    for (const CachedRow &row : rows) {
        switch (row.status()) {
        case CachedRow::Status::Deleted: deletes.rows << &row; break;
        case CachedRow::Status::Modified: modifies.rows << &row; break;
        case CachedRow::Status::Inserted: inserts.rows << &row; break;
        case CachedRow::Status::Unmodified: break;
        }
    }
    if (deletes.rows.isEmpty() && modifies.rows.isEmpty() && inserts.rows.isEmpty())
        return true;

    for (Step &step : steps) {
        if (step.rows.isEmpty())
            continue;
        if (step.sql.trimmed().isEmpty())
            return fail(QStringLiteral("沒有 %1 指令").arg(QLatin1String(step.name)));
        step.bindings = bindingsFor(step.sql);
    }
    if (!checkTexts(modifies) || !checkTexts(inserts))
        return false;

    const QSqlDatabase db = QSqlDatabase::database(m_connectionName, false);
    if (!db.isOpen())
        return fail(EngineMessage::connectionClosed(m_connectionName));
    // Inserts in batches; when that fails, everything is undone and run again
    // row by row, so that the message is the one of the row that fails.
    const bool batched = inserts.rows.size() > 1;
    for (const bool inBatches : {batched, false}) {
        Savepoint savepoint(db, QStringLiteral("velq8_apply"));
        if (!savepoint.isActive())
            return fail(savepoint.error());
        if (runSteps(db, steps, 3, inBatches)) {
            if (!savepoint.release())
                return fail(savepoint.error());
            return true;
        }
        savepoint.rollback();
        if (!inBatches)
            break;
        m_error.clear();
    }
    return false;
}
