#include "cli/cli_command.h"
#include "cli/declaration_file_line.h"
#include "db/database.h"
#include "db/declaration_kind.h"
#include "db/export_record.h"
#include "interchange/declaration_file_check.h"
#include "interchange/file_fingerprint.h"
#include "interchange/import_engine.h"

#include <QFileInfo>

namespace {

QString statusMessage(DeclarationFileCheck::Status status)
{
    switch (status) {
    case DeclarationFileCheck::Status::Ok: break;
    case DeclarationFileCheck::Status::OpenFailed: return ImportEngine::openFailedMessage();
    case DeclarationFileCheck::Status::MonthMismatch: return ImportEngine::monthMismatchMessage();
    case DeclarationFileCheck::Status::FormatError: return ImportEngine::formatErrorMessage();
    }
    return {};
}

// The database, when one is at hand (--database or the alias names a file, or
// a server database, that opens): opened once, quietly, since verify needs
// none. A file that is not there is never created by the attempt.
bool databaseAtHand(CliContext &context)
{
    if (context.databaseFile.isEmpty())
        return false;
    if (!Database::isServer(context.databaseFile) && !QFileInfo::exists(context.databaseFile))
        return false;
    QString ignored;
    return Database::open(context.databaseFile, &ignored);
}

// The line after a well-formed file's, when a database is at hand: the export
// on record with its fingerprint (the latest: date and who), or that none is.
void exportLine(CliContext &context, const QString &path, const QString &fingerprint)
{
    QList<ExportRecord> records;
    QString error;
    if (!ExportRecord::withFingerprint(Database::connectionName(), fingerprint, &records, &error)) {
        context.err << path << ": " << error << "\n";
        return;
    }
    if (records.isEmpty())
        context.out << path << "\t查無相符的匯出紀錄\n";
    else
        context.out << path << "\t匯出於 " << records.first().doneAt.left(10) << "\t" << records.first().doneBy << "\n";
}

// One file: its line on standard output when it is well-formed (and, with a
// database at hand, the line of its export), else what the import would say
// and the first fault (line and field) on standard error.
bool verifyFile(CliContext &context, const QString &path, bool withDatabase)
{
    // The kind from the first three characters of the name; a name is written
    // in capitals, but a disk may show it otherwise.
    const DeclarationKind *kind = DeclarationKind::find(QFileInfo(path).fileName().left(3).toUpper());
    if (!kind) {
        context.err << path << ": 檔名不是申報檔名 (應以 B01 至 B05 開頭)\n";
        return false;
    }
    QByteArray bytes;
    const DeclarationFileCheck::Result file = DeclarationFileCheck::checkFile(*kind, path, &bytes);
    if (!file.ok()) {
        context.err << path << ": " << statusMessage(file.status) << "\n"
                    << "    " << file.detail << "\n";
        return false;
    }
    const QString fingerprint = FileFingerprint::of(bytes);
    context.out << DeclarationFileLine::of(path, *kind, int(file.rows.size()), fingerprint) << "\n";
    if (withDatabase)
        exportLine(context, path, fingerprint);
    return true;
}

int runVerify(CliContext &context, const QStringList &args)
{
    if (args.isEmpty()) {
        context.err << "verify needs at least one file: verify FILE...\n";
        return 2;
    }
    for (const QString &arg : args) {
        if (arg.startsWith(QStringLiteral("--"))) {
            context.err << "verify: unexpected option: " << arg << "\n";
            return 2;
        }
    }
    const bool withDatabase = databaseAtHand(context);
    bool allWell = true;
    for (const QString &path : args)
        allWell = verifyFile(context, path, withDatabase) && allWell;
    return allWell ? 0 : 2;
}

const CliCommand::Registrar registrar({
    QStringLiteral("verify"),
    QStringLiteral("verify FILE..."),
    QStringLiteral("Reads declaration files as the import reads them, without a database: the kind\n"
                   "from the name's first three characters (B01 to B05), the year and month from\n"
                   "its characters 11 to 15; every line read must be exactly the kind's record.\n"
                   "For each well-formed file one line on standard output,\n"
                   "tab-separated: path, kind, institution, period, records, SHA-256 (as export\n"
                   "prints them). For any other file (missing, unknown name, a line the import\n"
                   "refuses) the import's message and the first fault, naming the line and field,\n"
                   "on standard error. When a database is at hand (--database or the alias), a\n"
                   "second line for a well-formed file: the path, a tab and the date and who of\n"
                   "its export on record (same SHA-256), or that it matches no recorded export.\n"
                   "Exit status 0 when every file is well-formed, else 2."),
    runVerify,
});

} // namespace
