#include "checks/formula_import.h"
#include "cli/cli_command.h"

namespace {

const QString Usage = QStringLiteral("formulas export|import --set operating|county --file F");

int wrongInput(CliContext &context, const QString &why)
{
    context.err << "formulas: " << why << "\n"
                << "usage: velq8-cli " << Usage << "\n";
    return 2;
}

QString counts(const FormulaTables &tables, int formulas, int terms)
{
    return QStringLiteral("%1 %2 筆, %3 %4 筆").arg(tables.headerTable).arg(formulas).arg(tables.termTable).arg(terms);
}

int exportSet(CliContext &context, const FormulaTables &tables, const QString &file)
{
    FormulaRows rows;
    QString error;
    if (!FormulaExport::write(tables, file, &rows, &error)) {
        context.err << error << "\n";
        return 2;
    }
    context.out << "已寫入 " << counts(tables, int(rows.headers.size()), int(rows.terms.size())) << ": "
                << file << "\n";
    return 0;
}

int importSet(CliContext &context, const FormulaTables &tables, const QString &file)
{
    FormulaImport import(tables);
    if (!import.prepare(file)) {
        for (const FormulaFileFault &fault : import.faults())
            context.err << file << ": " << fault.text() << "\n";
        context.err << "公式檔有誤, 未載入 (" << import.faults().size() << " 處)\n";
        return 2;
    }
    if (!import.replace()) {
        context.err << import.errorText() << "\n";
        return 2;
    }
    context.out << "已載入 " << counts(tables, import.formulaCount(), import.termCount()) << "\n";
    return 0;
}

int runFormulas(CliContext &context, const QStringList &args)
{
    if (args.isEmpty())
        return wrongInput(context, QStringLiteral("export or import?"));
    const QString action = args.first();
    if (action != u"export" && action != u"import")
        return wrongInput(context, QStringLiteral("unknown action: %1").arg(action));
    CliArgs rest(args.mid(1));
    QString set;
    QString file;
    if (!rest.value(QStringLiteral("--set"), &set))
        return wrongInput(context, QStringLiteral("--set operating or --set county is needed"));
    if (!rest.value(QStringLiteral("--file"), &file) || file.isEmpty())
        return wrongInput(context, QStringLiteral("--file F is needed"));
    if (!rest.rest().isEmpty())
        return wrongInput(context, QStringLiteral("unexpected arguments: %1").arg(rest.rest().join(u' ')));
    FormulaTables tables;
    if (set == u"operating")
        tables = FormulaTables::operating();
    else if (set == u"county")
        tables = FormulaTables::county();
    else
        return wrongInput(context, QStringLiteral("unknown set: %1 (operating or county)").arg(set));

    if (!context.openDatabase())
        return 2;
    return action == u"export" ? exportSet(context, tables, file) : importSet(context, tables, file);
}

const CliCommand::Registrar registrar({
    QStringLiteral("formulas"),
    Usage,
    QStringLiteral("Writes the balance formulas of a set (operating: RuleNo1, RuleNo2; county:\n"
                   "HRuleNo1, HRuleNo2) into one UTF-8 tab-separated file, or loads such a file\n"
                   "in their place. Each line is a row: its table, then the table's fields in order\n"
                   "(\"#\" lines are comments). An import checks every line first (comparison,\n"
                   "operator, accounts present in CACNO/HCACNO, left terms, repeated keys), names\n"
                   "each fault by line and replaces the whole set in one transaction only when\n"
                   "the file is clean.\n"
                   "Exit status 0 written or replaced, 2 refused or failed (nothing changed)."),
    runFormulas,
});

} // namespace
