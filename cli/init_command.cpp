#include "cli/cli_command.h"
#include "db/database.h"

#include <QFileInfo>

namespace {

int runInit(CliContext &context, const QStringList &args)
{
    CliArgs rest(args);
    if (!rest.rest().isEmpty()) {
        context.err << "init takes no arguments: " << rest.rest().join(u' ') << "\n";
        return 2;
    }
    // A server database is created in place (Database::create refuses one that
    // holds tables); a file is built beside its name and renamed into place.
    if (!Database::isServer(context.databaseFile) && QFileInfo::exists(context.databaseFile)) {
        context.err << "資料庫檔案已存在，不予覆蓋: " << context.databaseFile << "\n";
        return 2;
    }
    QString error;
    if (!Database::create(context.databaseFile, &error)) {
        context.err << error << "\n";
        return 2;
    }
    context.out << "資料庫建立完成: " << Database::displayLocation(context.databaseFile) << "\n";
    return 0;
}

const CliCommand::Registrar registrar({
    QStringLiteral("init"),
    QStringLiteral("init"),
    QStringLiteral("Creates a new database with every table and the shipped reference data\n"
                   "(counties, accounts, formulas, the sample institution and month).\n"
                   "Refuses, with exit status 2, a file that already exists, or a server\n"
                   "database (--database postgresql://...) that already holds tables."),
    runInit,
});

} // namespace
