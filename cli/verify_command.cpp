#include "cli/cli_command.h"
#include "cli/declaration_file_line.h"
#include "db/declaration_kind.h"
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

// One file: its line on standard output when it is well-formed, else what the
// import would say and the first fault (line and field) on standard error.
bool verifyFile(CliContext &context, const QString &path)
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
    context.out << DeclarationFileLine::of(path, *kind, int(file.rows.size()), FileFingerprint::of(bytes)) << "\n";
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
    bool allWell = true;
    for (const QString &path : args)
        allWell = verifyFile(context, path) && allWell;
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
                   "on standard error. Exit status 0 when every file is well-formed, else 2."),
    runVerify,
});

} // namespace
