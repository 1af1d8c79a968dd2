#pragma once

#include <QString>

class QSqlError;

// The database engine's words for a failure, as every window and command shows
// them: the engine's own text where it gave one (the driver's wrapper text
// otherwise), never an empty message.
namespace EngineMessage {

QString of(const QSqlError &error);
// "資料庫連線 CVELQ 未開啟".
QString connectionClosed(const QString &connectionName);

} // namespace EngineMessage
