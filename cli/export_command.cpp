#include "cli/cli_command.h"
#include "cli/declaration_file_line.h"
#include "db/declaration_kind.h"
#include "interchange/export_engine.h"

#include <QDir>

namespace {

// "B01,B03" -> the kinds; refuses an unknown code. Order does not matter: the
// export always writes in its fixed order.
bool parseKinds(const QString &text, QList<const DeclarationKind *> *kinds, QString *error)
{
    for (const QString &part : text.split(u',', Qt::SkipEmptyParts)) {
        const DeclarationKind *kind = DeclarationKind::find(part.trimmed().toUpper());
        if (!kind) {
            *error = QStringLiteral("unknown kind: %1 (B01 to B05)").arg(part.trimmed());
            return false;
        }
        if (!kinds->contains(kind))
            kinds->append(kind);
    }
    if (kinds->isEmpty()) {
        *error = QStringLiteral("--kinds names no kind (B01 to B05)");
        return false;
    }
    return true;
}

int runExport(CliContext &context, const QStringList &args)
{
    CliArgs rest(args);
    QString error;
    int year = 0;
    int month = 0;
    bool hasYear = false;
    bool hasMonth = false;
    if (!rest.period(0, &year, &month, &hasYear, &hasMonth, &error)) {
        context.err << error << "\n";
        return 2;
    }
    QString kindsText;
    const bool hasKinds = rest.value(QStringLiteral("--kinds"), &kindsText);
    QString directory;
    const bool hasDir = rest.value(QStringLiteral("--dir"), &directory);
    const bool overwrite = rest.flag(QStringLiteral("--overwrite"));
    if (!rest.rest().isEmpty()) {
        context.err << "export: unexpected arguments: " << rest.rest().join(u' ') << "\n";
        return 2;
    }
    if (!hasYear || !hasMonth || !hasDir) {
        context.err << "export needs --year Y --month M --dir DIR\n";
        return 2;
    }
    // An empty folder name would mean the current folder, which nobody asked
    // for (an unset variable in a script): the current folder is "--dir .".
    if (directory.trimmed().isEmpty()) {
        context.err << "export: --dir names no folder (write \"--dir .\" for the current one)\n";
        return 2;
    }

    ExportEngine::Request request;
    if (hasKinds) {
        if (!parseKinds(kindsText, &request.kinds, &error)) {
            context.err << error << "\n";
            return 2;
        }
    } else {
        request.kinds = DeclarationKind::all();
    }

    if (!context.openDatabase())
        return 2;
    if (!context.declaringBankCode(&request.institutionCode,
                                   QStringLiteral("BN01 沒有任何金融機構資料，無法決定申報機構")))
        return 2;

    request.period = Period{year, month};
    request.directory = QDir(directory).absolutePath();
    request.confirmOverwrite = [&](const QString &entry) {
        if (!overwrite)
            context.err << entry << "  檔案已存在，未覆蓋 (--overwrite 可覆蓋)\n";
        return overwrite;
    };
    request.report = [&](const ExportEngine::Message &message) {
        context.err << message.text << "\n";
        // The detail of a kind's message (the row, the line, the reason); the
        // completion's list of files is printed on standard output below.
        if (message.kind && !message.detail.isEmpty()) {
            for (const QString &line : message.detail.split(u'\n'))
                context.err << "    " << line << "\n";
        }
    };

    const ExportEngine::Result result = ExportEngine::run(request);
    // The paths first, as they always were, so that what read them still reads
    // the same lines; then each file with its records and fingerprint, as
    // `verify` prints it.
    QList<const DeclarationKind *> written;
    for (const DeclarationKind *kind : DeclarationKind::exportOrder()) {
        if (result.of(*kind).outcome == ExportEngine::Outcome::Written)
            written.append(kind);
    }
    for (const DeclarationKind *kind : written)
        context.out << result.of(*kind).entryPath << "\n";
    for (const DeclarationKind *kind : written) {
        const ExportEngine::KindResult k = result.of(*kind);
        context.out << DeclarationFileLine::of(k.entryPath, *kind, k.lines, k.fingerprint) << "\n";
    }
    if (result.failed)
        return 2;
    return result.anyWritten ? 0 : 1;
}

const CliCommand::Registrar registrar({
    QStringLiteral("export"),
    QStringLiteral("export --year Y --month M [--kinds B01,B03,...] --dir DIR [--overwrite]"),
    QStringLiteral("Writes the declaration files of the month for the declaring institution (the\n"
                   "first BN01 record) into DIR, in the order B01, B02, B05, B03, B04 (all five\n"
                   "when --kinds is absent). An existing file is kept and reported unless\n"
                   "--overwrite. Each file is read back from the disk and compared with its\n"
                   "rows before it takes its name. Messages go to standard error; the files\n"
                   "written are listed on standard output, their paths first, then one line\n"
                   "each as verify prints it (path, kind, institution, period, records, SHA-256,\n"
                   "tab-separated). Exit status 0 when a file was written, 1 when none was,\n"
                   "2 on a failure (nothing half-written or differing is left behind)."),
    runExport,
});

} // namespace
