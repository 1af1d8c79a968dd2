#include "db/server_location.h"

#include <QStringList>
#include <QUrl>
#include <QUrlQuery>

namespace ServerLocation {

bool configure(QSqlDatabase &db, const QString &url, const QString &extraOptions, QString *error)
{
    const QUrl u(url.trimmed(), QUrl::StrictMode);
    const QString database = u.path().mid(1);
    if (!u.isValid() || database.isEmpty() || database.contains(u'/')) {
        *error = QStringLiteral("資料庫位址格式錯誤，應為 postgresql://主機:埠號/資料庫名稱: %1").arg(display(url));
        return false;
    }
    if (!u.host().isEmpty())
        db.setHostName(u.host());
    if (u.port() > 0)
        db.setPort(u.port());
    if (!u.userName().isEmpty())
        db.setUserName(u.userName());
    if (!u.password().isEmpty())
        db.setPassword(u.password());
    db.setDatabaseName(database);
    // The driver joins "name=value" options with ';'. A value holding one
    // could smuggle in other options: such an option is refused.
    QStringList options;
    const auto items = QUrlQuery(u).queryItems(QUrl::FullyDecoded);
    for (const auto &item : items) {
        if (item.first.contains(u';') || item.second.contains(u';') || item.first.contains(u'=')) {
            *error = QStringLiteral("資料庫位址的參數不正確: %1").arg(item.first);
            return false;
        }
        options << item.first + u'=' + item.second;
    }
    if (!extraOptions.isEmpty())
        options << extraOptions;
    db.setConnectOptions(options.join(u';'));
    return true;
}

QString display(const QString &url)
{
    const QUrl u(url.trimmed());
    if (!u.isValid())
        return QStringLiteral("postgresql://...");
    return u.toString(QUrl::RemovePassword);
}

QString withDatabase(const QString &url, const QString &database)
{
    QUrl u(url.trimmed());
    u.setPath(u'/' + database);
    return u.toString();
}

} // namespace ServerLocation
