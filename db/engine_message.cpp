#include "db/engine_message.h"

#include <QSqlError>

namespace EngineMessage {

namespace {

// SQLite's result codes for a lock it could not get (the low byte of an
// extended code).
constexpr int SqliteBusy = 5;
constexpr int SqliteLocked = 6;

} // namespace

bool isBusy(const QSqlError &error)
{
    bool number = false;
    const int code = error.nativeErrorCode().toInt(&number);
    return number && ((code & 0xff) == SqliteBusy || (code & 0xff) == SqliteLocked);
}

QString busy()
{
    return QStringLiteral("資料庫正由其他作業寫入中，等候逾時仍未完成；請待該作業結束後再試一次 !!!");
}

QString changedByOther(bool deleting)
{
    return deleting ? QStringLiteral("資料已被其他使用者異動，請重新查詢後再刪除!!!")
                    : QStringLiteral("資料已被其他使用者異動，請重新查詢後再修改!!!");
}

QString monthStoredByOther()
{
    return QStringLiteral("此年月資料已由其他使用者存入，請重新查詢後再修改!!!");
}

QString of(const QSqlError &error)
{
    if (isBusy(error))
        return busy();
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
