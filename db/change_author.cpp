#include "db/change_author.h"

#include <QAtomicInteger>
#include <QHash>
#include <QMutex>
#include <QDateTime>
#include <QRandomGenerator>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlQuery>
#include <QSysInfo>

#ifdef Q_OS_UNIX
#include <ctime>
#include <pwd.h>
#include <unistd.h>
#endif

namespace {

QString loginName()
{
    for (const char *name : {"USER", "LOGNAME", "USERNAME"}) {
        const QString value = qEnvironmentVariable(name);
        if (!value.isEmpty())
            return value;
    }
#ifdef Q_OS_UNIX
    // Started without a login's environment (a service, a scheduled job): the
    // account the process runs as still names who it is.
    if (const passwd *account = getpwuid(geteuid()); account && account->pw_name && *account->pw_name)
        return QString::fromLocal8Bit(account->pw_name);
#endif
    return QStringLiteral("?");
}

} // namespace

namespace ChangeAuthor {

QString who(const QString &connectionName)
{
    // The desk's login and host do not change while the program runs.
    static const QString host = QSysInfo::machineHostName();
    static const QString desk = loginName() + u'@' + host;
    const QSqlDatabase db = QSqlDatabase::database(connectionName, false);
    if (db.driverName() != QLatin1String("QPSQL"))
        return desk;
    // The server's user does not change while a connection to it is open: asked
    // once per server, database and login, not once per save (a round trip each).
    static QMutex guard;
    static QHash<QString, QString> known;
    const QString session = db.hostName() + u'\x1f' + QString::number(db.port()) + u'\x1f' + db.databaseName()
        + u'\x1f' + db.userName();
    {
        const QMutexLocker lock(&guard);
        const auto it = known.constFind(session);
        if (it != known.constEnd())
            return *it;
    }
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("select current_user")) || !q.next())
        return desk;
    const QString user = q.value(0).toString() + u'@' + host;
    const QMutexLocker lock(&guard);
    known.insert(session, user);
    return user;
}

QString now()
{
    // The C library's local time: QDateTime's conversion to local time and
    // its format pattern cost a save's history a fifth of its writing.
    const std::time_t seconds = std::time(nullptr);
    std::tm local{};
    localtime_r(&seconds, &local);
    char text[32];
    const size_t n = std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
    return QString::fromLatin1(text, qsizetype(n));
}

qint64 nextId()
{
    static QAtomicInteger<qint64> last{0};
    const qint64 candidate = QDateTime::currentMSecsSinceEpoch() * 1000 + QRandomGenerator::global()->bounded(1000);
    qint64 seen = last.loadRelaxed();
    for (;;) {
        const qint64 id = std::max(candidate, seen + 1);
        if (last.testAndSetOrdered(seen, id, seen))
            return id;
    }
}

} // namespace ChangeAuthor
