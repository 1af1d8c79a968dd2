#include "db/change_author.h"

#include <QAtomicInteger>
#include <QDateTime>
#include <QRandomGenerator>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlQuery>
#include <QSysInfo>

namespace {

QString loginName()
{
    for (const char *name : {"USER", "LOGNAME", "USERNAME"}) {
        const QString value = qEnvironmentVariable(name);
        if (!value.isEmpty())
            return value;
    }
    return QStringLiteral("?");
}

} // namespace

namespace ChangeAuthor {

QString who(const QString &connectionName)
{
    const QString host = QSysInfo::machineHostName();
    const QSqlDatabase db = QSqlDatabase::database(connectionName, false);
    if (db.driverName() == QLatin1String("QPSQL")) {
        QSqlQuery q(db);
        if (q.exec(QStringLiteral("select current_user")) && q.next())
            return q.value(0).toString() + u'@' + host;
    }
    return loginName() + u'@' + host;
}

QString now()
{
    return QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
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
