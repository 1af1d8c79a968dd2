#include "cli/cli_command.h"
#include "db/cached_dataset.h"
#include "db/declaration_kind.h"
#include "interchange/import_engine.h"

namespace {

int runImport(CliContext &context, const QStringList &args)
{
    CliArgs rest(args);
    const bool replace = rest.flag(QStringLiteral("--replace"));
    QString kindCode;
    if (!rest.value(QStringLiteral("--kind"), &kindCode)) {
        context.err << "import needs --kind B01|B02|B03|B04|B05\n";
        return 2;
    }
    const DeclarationKind *kind = DeclarationKind::find(kindCode.trimmed().toUpper());
    if (!kind) {
        context.err << "--kind must be B01, B02, B03, B04 or B05: " << kindCode << "\n";
        return 2;
    }
    const QStringList files = rest.rest();
    if (files.size() != 1 || files.first().startsWith(QStringLiteral("--"))) {
        context.err << "import takes one file: import FILE --kind B01|B02|B03|B04|B05 [--replace]\n";
        return 2;
    }
    if (!context.openDatabase())
        return 2;

    CachedDataset target;
    target.setUpdateTable(kind->table());
    ImportEngine::Request request;
    request.file = files.first();
    request.kind = kind;
    request.target = &target;
    request.confirmReplace = [replace] { return replace; };
    const ImportEngine::Result result = ImportEngine::run(request);

    auto detail = [&] {
        if (!result.detail.isEmpty())
            context.err << result.detail << "\n";
    };
    switch (result.status) {
    case ImportEngine::Status::OpenFailed:
        context.err << ImportEngine::openFailedMessage() << "\n";
        detail();
        return 2;
    case ImportEngine::Status::MonthMismatch:
        context.err << ImportEngine::monthMismatchMessage() << "\n";
        detail();
        return 2;
    case ImportEngine::Status::FormatError:
        context.err << ImportEngine::formatErrorMessage() << "\n";
        detail();
        return 2;
    case ImportEngine::Status::DatabaseError:
        context.err << result.detail << "\n";
        return 2;
    case ImportEngine::Status::Declined:
        context.err << ImportEngine::replaceQuestion() << "\n"
                    << QStringLiteral("%1 年 %2 月 機構 %3 已有%4 %5 筆; 未寫入任何資料 (加上 --replace 才會取代)")
                           .arg(result.period.year)
                           .arg(result.period.month)
                           .arg(result.bankCode, kind->name())
                           .arg(result.storedRows)
                    << "\n";
        return 1;
    case ImportEngine::Status::Done:
        break;
    }
    if (result.nothingImported())
        context.out << ImportEngine::nothingFoundMessage() << "\n";
    context.out << ImportEngine::completedMessage() << "\n"
                << QStringLiteral("%1 年 %2 月 機構 %3: 匯入%4 %5 筆%6")
                       .arg(result.period.year)
                       .arg(result.period.month)
                       .arg(result.bankCode, kind->name())
                       .arg(result.rowsRead)
                       .arg(result.replaced ? QStringLiteral(", 取代原有 %1 筆").arg(result.storedRows) : QString())
                << "\n";
    return 0;
}

const CliCommand::Registrar registrar({
    QStringLiteral("import"),
    QStringLiteral("import FILE --kind B01|B02|B03|B04|B05 [--replace]"),
    QStringLiteral("Reads one declaration file into the table of its kind for the institution\n"
                   "and month it holds. The file is read where it is and left unchanged.\n"
                   "A month already stored is replaced only with --replace (else exit status 1,\n"
                   "nothing written); a file that cannot be read exits 2 naming the line and field."),
    runImport,
});

} // namespace
