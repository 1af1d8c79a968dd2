#include "cli/cli_command.h"
#include "db/database_copy.h"

#include <QUrl>

namespace {

// A location as the lines show it: a server URL without its password.
QString shown(const QString &location)
{
    if (!location.contains(QStringLiteral("://")))
        return location;
    return QUrl(location).toString(QUrl::RemovePassword);
}

int runCopy(CliContext &context, const QStringList &args)
{
    CliArgs rest(args);
    QString target;
    if (!rest.value(QStringLiteral("--to"), &target) || target.trimmed().isEmpty()) {
        context.err << "copy needs --to: copy --to postgresql://[user@]host[:port]/database\n";
        return 2;
    }
    if (!rest.rest().isEmpty()) {
        context.err << "copy: unexpected arguments: " << rest.rest().join(u' ') << "\n";
        return 2;
    }
    const DatabaseCopy::Result result = DatabaseCopy::run(context.databaseFile, target);
    switch (result.status) {
    case DatabaseCopy::Status::Refused:
        context.err << result.message << "\n"
                    << "未複製任何資料: " << shown(target) << "\n";
        return 2;
    case DatabaseCopy::Status::Failed:
        context.err << result.message << "\n"
                    << "複製失敗，目的資料庫維持原狀: " << shown(target) << "\n";
        return 2;
    case DatabaseCopy::Status::Copied:
        break;
    }
    for (const DatabaseCopy::Table &t : result.tables) {
        context.out << t.name << "\t複製 " << t.rows << " 筆\t寫入敘述 " << t.insertStatements
                    << " 個\tSHA-256 " << QString::fromLatin1(t.checksum) << "\n";
    }
    context.out << "複製並核對完成: " << shown(target) << "\n";
    return 0;
}

const CliCommand::Registrar registrar({
    QStringLiteral("copy"),
    QStringLiteral("copy --to LOCATION"),
    QStringLiteral("Moves the database (--database FILE, or where the alias points) into a new,\n"
                   "empty database at LOCATION, a server database postgresql://... (or a file\n"
                   "that does not exist yet), in one transaction: the tables without reference\n"
                   "data, every row of every table in its stored order, then each table read\n"
                   "back and compared by its row count and a SHA-256 of its rows. One line per\n"
                   "table, tab-separated: table, rows, insert statements, SHA-256; then\n"
                   "\"複製並核對完成\". Exit status 0 when copied and verified; 2 when refused (the\n"
                   "target holds tables or cannot be reached, the source is not a database) or\n"
                   "failed, the target then left as it was."),
    runCopy,
});

} // namespace
