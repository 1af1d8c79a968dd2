#pragma once

#include <QString>

class QSqlError;

// The database engine's words for a failure, as every window and command shows
// them: the engine's own text where it gave one (the driver's wrapper text
// otherwise), never an empty message. A database another program holds
// locked past the busy timeout is said in the system's words, with what to
// do, since the engine's "database is locked" tells a user neither.
namespace EngineMessage {

QString of(const QSqlError &error);
// "資料庫連線 <name> 未開啟".
QString connectionClosed(const QString &connectionName);
// The engine waited for another program's write and gave up (SQLite's busy or
// locked; the server's lock timeout).
bool isBusy(const QSqlError &error);
QString busy();
// The server refused a statement that needs a transaction outside one.
bool isOutsideTransaction(const QSqlError &error);
// A month another writer holds (MonthClaim) past the bounded wait.
QString monthInUse();
// The server broke a deadlock or a serialization conflict by refusing this
// writer's transaction.
QString conflict();
// The server connection is gone.
QString connectionLost();
// A row to modify or delete is no longer stored as it was read: another user
// (a second window, the command line, another desk) changed or deleted it.
QString changedByOther(bool deleting = false);
// A month to be added was stored by another user since it was looked up.
QString monthStoredByOther();

} // namespace EngineMessage
