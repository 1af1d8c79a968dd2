#include "cli/cli_command.h"
#include "common/period.h"
#include "db/change_list.h"
#include "db/change_operation.h"
#include "db/database.h"
#include "db/declaration_kind.h"
#include "db/export_record.h"

#include <QDir>

namespace {

// A wrong argument or a database failure: the reason, exit 2.
int fail(CliContext &context, const QString &message)
{
    context.err << message << "\n";
    return 2;
}

// One export a line: when, who, kind, institution, period, records, SHA-256, file.
int listExports(CliContext &context, CliArgs &rest)
{
    QString error;
    int year = 0;
    int month = 0;
    bool hasYear = false;
    bool hasMonth = false;
    if (!rest.period(0, &year, &month, &hasYear, &hasMonth, &error))
        return fail(context, error);
    if (!rest.rest().isEmpty())
        return fail(context, QStringLiteral("history exports: unexpected arguments: ") + rest.rest().join(u' '));
    if (!context.openDatabase())
        return 2;
    QList<ExportRecord> records;
    if (!ExportRecord::list(Database::connectionName(), year, month, &records, &error))
        return fail(context, error);
    for (const ExportRecord &r : records) {
        const Period period{r.year, r.month};
        context.out << r.doneAt << '\t' << r.doneBy << '\t' << r.kind << '\t' << r.bankCode << '\t'
                    << period.yearText() << '/' << period.monthText() << '\t' << r.records << '\t' << r.sha256
                    << '\t' << QDir::toNativeSeparators(QDir(r.folder).filePath(r.fileName)) << "\n";
    }
    return 0;
}

// One changed row a line: operation number, when, who, operation, kind,
// institution, key, old values, new values.
int listChanges(CliContext &context, CliArgs &rest)
{
    QString error;
    int year = 0;
    int month = 0;
    bool hasYear = false;
    bool hasMonth = false;
    if (!rest.period(1, &year, &month, &hasYear, &hasMonth, &error))
        return fail(context, error);
    QString kind;
    if (rest.value(QStringLiteral("--kind"), &kind) && !DeclarationKind::find(kind.toUpper()))
        return fail(context, QStringLiteral("unknown kind: %1 (B01 to B05)").arg(kind));
    QString account;
    const bool hasAccount = rest.value(QStringLiteral("--account"), &account);
    if (!rest.rest().isEmpty())
        return fail(context, QStringLiteral("history changes: unexpected arguments: ") + rest.rest().join(u' '));
    if (!hasYear || !hasMonth)
        return fail(context, QStringLiteral("history changes needs --year Y --month M"));
    if (!context.openDatabase())
        return 2;
    QList<ChangeEntry> entries;
    if (!ChangeEntry::ofMonth(Database::connectionName(), year, month, kind.toUpper(), &entries, &error))
        return fail(context, error);
    for (const ChangeEntry &e : entries) {
        if (hasAccount && e.keyField(QStringLiteral("ACC_CODE")) != account.trimmed())
            continue;
        context.out << e.operationId << '\t' << e.doneAt << '\t' << e.doneBy << '\t'
                    << ChangeOperation::words(e.operation) << '\t' << e.kind << '\t' << e.bankCode << '\t'
                    << e.describeKey() << '\t' << e.describeOld() << '\t' << e.describeNew() << "\n";
    }
    return 0;
}

int runHistory(CliContext &context, const QStringList &args)
{
    if (args.isEmpty())
        return fail(context, QStringLiteral("history needs exports or changes"));
    CliArgs rest(args.mid(1));
    if (args.first() == QLatin1String("exports"))
        return listExports(context, rest);
    if (args.first() == QLatin1String("changes"))
        return listChanges(context, rest);
    return fail(context, QStringLiteral("history: unknown list: %1 (exports or changes)").arg(args.first()));
}

const CliCommand::Registrar registrar({
    QStringLiteral("history"),
    QStringLiteral("history exports [--year Y --month M] | history changes --year Y --month M [--kind K] "
                   "[--account A]"),
    QStringLiteral("Lists what the database records of its own work, one line each, tab-separated.\n"
                   "exports: every declaration file written, newest first: when, who, kind,\n"
                   "institution, period, records, SHA-256, the file (a year or month of 0 or\n"
                   "left out: any). changes: every declaration row changed in the month, by\n"
                   "operation in the order they were made: operation number, when, who, the\n"
                   "operation (keyed, imported, month deleted), kind, institution, the row's key,\n"
                   "its values before and after (empty: the row was not there); --kind keeps\n"
                   "one kind, --account the rows of one account. Exit status 0, or 2 on a\n"
                   "usage error or a failure of the database."),
    runHistory,
});

} // namespace
