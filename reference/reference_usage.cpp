#include "reference/reference_usage.h"

#include "db/declaration_kind.h"
#include "db/engine_message.h"
#include "db/schema.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>

namespace ReferenceUsage {

namespace {

QStringList fieldsOf(Kind kind)
{
    if (kind == Kind::Institution)
        return {QStringLiteral("BANK_CODE"), QStringLiteral("BANK_CODE1")};
    return {QStringLiteral("HSIEN_ID")};
}

} // namespace

bool count(Kind kind, const QString &code, QList<Use> *uses, QString *error, const QString &connectionName)
{
    uses->clear();
    QSqlDatabase db = QSqlDatabase::database(connectionName, false);
    if (!db.isOpen()) {
        *error = EngineMessage::connectionClosed(connectionName);
        return false;
    }
    for (const DeclarationKind *declaration : DeclarationKind::all()) {
        const TableDef *table = Schema::table(declaration->table());
        QStringList conditions;
        for (const QString &field : fieldsOf(kind)) {
            // Stored codes may carry trailing blanks.
            if (table && table->field(field))
                conditions << QStringLiteral("rtrim(%1) = ?").arg(field);
        }
        if (conditions.isEmpty())
            continue;
        QSqlQuery q(db);
        q.prepare(QStringLiteral("select count(*) from %1 where %2")
                      .arg(table->name, conditions.join(QStringLiteral(" or "))));
        for (qsizetype i = 0; i < conditions.size(); ++i)
            q.addBindValue(code.trimmed());
        if (!q.exec() || !q.next()) {
            *error = EngineMessage::of(q.lastError());
            return false;
        }
        if (const int rows = q.value(0).toInt(); rows > 0)
            uses->append({table->name, declaration->name(), rows});
    }
    return true;
}

QString refusal(Kind kind, const QString &code, const QList<Use> &uses)
{
    QStringList parts;
    for (const Use &use : uses)
        parts << QStringLiteral("%1 %2 %3 筆").arg(use.kindName, use.table).arg(use.rows);
    const QString what = kind == Kind::Institution ? QStringLiteral("金融機構代碼") : QStringLiteral("縣市別代號");
    return QStringLiteral("%1 %2 仍有申報資料 (%3),無法刪除!!!")
        .arg(what, code.trimmed(), parts.join(QStringLiteral("、")));
}

} // namespace ReferenceUsage
