#include "db/engine_message.h"

#include <QSqlError>

namespace EngineMessage {

QString of(const QSqlError &error)
{
    const QString engine = error.databaseText().trimmed();
    if (!engine.isEmpty())
        return engine;
    const QString driver = error.text().trimmed();
    return driver.isEmpty() ? QStringLiteral("資料庫錯誤") : driver;
}

QString connectionClosed(const QString &connectionName)
{
    return QStringLiteral("資料庫連線 %1 未開啟").arg(connectionName);
}

} // namespace EngineMessage
