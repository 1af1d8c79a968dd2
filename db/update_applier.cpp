#include "db/update_applier.h"

#include "db/engine_message.h"
#include "db/field_kinds.h"
#include "db/named_placeholders.h"
#include "db/savepoint.h"
#include "db/schema.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

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

bool UpdateApplier::run(QSqlQuery &query, const Step &step, const CachedRow &row)
{
    for (const Binding &b : step.bindings) {
        switch (b.source) {
        case Binding::Source::New:
            query.bindValue(b.placeholder, m_fields.bindable(b.field, row.value(b.field)));
            break;
        case Binding::Source::Old:
            query.bindValue(b.placeholder, m_fields.bindable(b.field, row.originalValue(b.field)));
            break;
        case Binding::Source::Param:
            query.bindValue(b.placeholder, b.param);
            break;
        case Binding::Source::Null:
            query.bindValue(b.placeholder, QVariant());
            break;
        }
    }
    if (!query.exec())
        return fail(EngineMessage::of(query.lastError()));
    if (step.mustFindRow != Step::FindRow::No && query.numRowsAffected() == 0) {
        // The row is no longer stored as it was read: another writer changed or
        // deleted it since. Writing it now would undo that change unseen.
        QStringList key;
        const TableDef *table = m_fields.table();
        for (const Binding &b : step.bindings) {
            if (b.source != Binding::Source::Old)
                continue;
            const QString name = m_fields.name(b.field);
            if (!table || table->key.isEmpty() || table->key.contains(name, Qt::CaseInsensitive))
                key << name + u'=' + row.originalValue(b.field).toString().trimmed();
        }
        return fail(EngineMessage::changedByOther(step.mustFindRow == Step::FindRow::ToDelete) + u' '
                    + u'(' + key.join(QStringLiteral(", ")) + u')');
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
    Savepoint savepoint(db, QStringLiteral("velq8_apply"));
    if (!savepoint.isActive())
        return fail(savepoint.error());
    for (const Step &step : steps) {
        if (step.rows.isEmpty())
            continue;
        QSqlQuery query(db);
        if (!query.prepare(step.sql))
            return fail(EngineMessage::of(query.lastError()));   // the savepoint rolls back as it goes
        for (const CachedRow *row : step.rows) {
            if (!run(query, step, *row))
                return false;
        }
        query.finish();
    }
    if (!savepoint.release())
        return fail(savepoint.error());
    return true;
}
