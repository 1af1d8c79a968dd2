#include "db/engine_message.h"

#include <QSqlError>

namespace EngineMessage {

namespace {

// SQLite's result codes for a lock it could not get (the low byte of an
// extended code).
constexpr int SqliteBusy = 5;
constexpr int SqliteLocked = 6;

// The server's codes (SQLSTATE, always five characters; SQLite's are shorter
// numbers).
bool isServerCode(const QString &code) { return code.size() == 5; }
const QLatin1String LockNotAvailable("55P03");   // lock_timeout passed
const QLatin1String DeadlockDetected("40P01");
const QLatin1String SerializationFailure("40001");
const QLatin1String NoActiveTransaction("25P01");

// The connection to the server is gone: class 08, or the server shutting the
// session down (57P01..57P03). The driver gives no code when the socket died
// under it; then its own words say so.
bool isConnectionLost(const QSqlError &error)
{
    const QString code = error.nativeErrorCode();
    if (isServerCode(code))
        return code.startsWith(QLatin1String("08")) || code == QLatin1String("57P01")
               || code == QLatin1String("57P02") || code == QLatin1String("57P03");
    if (!code.isEmpty())
        return false;
    const QString text = error.databaseText();
    return text.contains(QLatin1String("server closed the connection"))
           || text.contains(QLatin1String("no connection to the server"))
           || text.contains(QLatin1String("terminating connection"));
}

} // namespace

bool isBusy(const QSqlError &error)
{
    const QString code = error.nativeErrorCode();
    if (isServerCode(code))
        return code == LockNotAvailable;
    bool number = false;
    const int n = code.toInt(&number);
    return number && ((n & 0xff) == SqliteBusy || (n & 0xff) == SqliteLocked);
}

bool isOutsideTransaction(const QSqlError &error)
{
    return error.nativeErrorCode() == NoActiveTransaction;
}

QString monthInUse()
{
    return QStringLiteral("此年月資料正由其他使用者處理中，請稍後再試!!!");
}

QString conflict()
{
    return QStringLiteral("資料正由其他使用者同時異動，本次作業已取消，資料未變更；請重新查詢後再試一次 !!!");
}

QString connectionLost()
{
    return QStringLiteral("與資料庫伺服器的連線已中斷，本次作業未完成；請確認網路與伺服器後重新開啟程式 !!!");
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
    const QString code = error.nativeErrorCode();
    if (code == DeadlockDetected || code == SerializationFailure)
        return conflict();
    if (isConnectionLost(error))
        return connectionLost();
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
