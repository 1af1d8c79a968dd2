#include "checks/county_check.h"
#include "checks/explanation_text.h"
#include "checks/operating_check.h"
#include "common/period.h"
#include "cli/cli_command.h"
#include "db/cached_dataset.h"
#include "db/declaration_kind.h"

namespace {

QString withoutTrailingBlanks(QString text)
{
    qsizetype n = text.size();
    while (n > 0 && text.at(n - 1).isSpace())
        --n;
    text.truncate(n);
    return text;
}

// What --explain asks of the check for a row; empty without --explain.
using Explain = std::function<std::optional<FormulaExplanation>(const CheckResultRow &)>;

// Under a failing formula's line: each term of the left side, then of the right,
// one a line, then the comparison, every line indented by two blanks:
//   "  左式<TAB>code<TAB>name<TAB>period<TAB>operator<TAB>amount or 缺少<TAB>running value<TAB>note"
//   "  比較<TAB>left value<TAB>comparison<TAB>right value<TAB>成立 or 不成立"
void printExplanation(CliContext &context, const FormulaExplanation &explanation)
{
    using ExplanationText::Numbers;
    for (const bool left : {true, false}) {
        for (const FormulaStep &step : left ? explanation.left : explanation.right) {
            context.out << "  " << ExplanationText::side(left) << '\t'
                        << ExplanationText::stepFields(step, Numbers::Plain).join(u'\t') << '\n';
        }
    }
    context.out << "  比較\t" << ExplanationText::comparisonFields(explanation, Numbers::Plain).join(u'\t')
                << '\n';
}

// One line per result row: the remark, TAB, the left value, TAB, the right
// value (plain decimals, or 超出範圍 for a value the check cannot hold; both
// empty for a missing account), each failing
// formula followed by its steps when asked. Exit status 1.
int printRows(CliContext &context, const QList<CheckResultRow> &rows, const Explain &explain)
{
    for (const CheckResultRow &row : rows) {
        context.out << withoutTrailingBlanks(row.remark) << '\t'
                    << (row.left ? row.left->toString() : QString()) << '\t'
                    << (row.right ? row.right->toString() : QString()) << '\n';
        if (explain) {
            if (const auto explanation = explain(row))
                printExplanation(context, *explanation);
        }
    }
    return 1;
}

// Runs any check of the month and says what it found: "資料完全符合!!!" (exit
// status 0), the rows (1), or why nothing was judged (2).
int runMonthCheck(CliContext &context, MonthCheck &check, int year, int month, bool explain)
{
    switch (check.run(year, month)) {
    case MonthCheck::Status::AllHold:
        context.out << "資料完全符合!!!\n";
        return 0;
    case MonthCheck::Status::RowsFound: {
        Explain how;
        if (explain)
            how = [&check](const CheckResultRow &row) { return check.explain(row); };
        return printRows(context, check.rows(), how);
    }
    case MonthCheck::Status::NoRows:
    case MonthCheck::Status::NoData:
        context.err << "查無符合之資料!!!\n";
        return 2;
    case MonthCheck::Status::PeriodIncomplete:
        context.err << "請輸入欲檢核之年月資料!!!\n";
        return 2;
    case MonthCheck::Status::DatabaseError:
    case MonthCheck::Status::Ready:
        break;
    }
    context.err << check.errorText() << "\n";
    return 2;
}

int checkOperatingData(CliContext &context, int year, int month, bool explain)
{
    QString bankCode;
    if (!context.declaringBankCode(&bankCode, QStringLiteral("找不到申報機構: BN01 沒有任何資料")))
        return 2;
    OperatingCheck check;
    check.setBankCode(bankCode);
    return runMonthCheck(context, check, year, month, explain);
}

// The rows the county tab holds after a query of the month: every institution's.
int checkCountyData(CliContext &context, int year, int month, bool explain)
{
    const PeriodQuery &query = DeclarationKind::get(DeclarationKind::B05).tabQuery();
    CachedDataset rows;
    rows.setSql(query.statement(true, true));
    rows.setParam(query.yearParam, year);
    rows.setParam(query.monthParam, month);
    if (!rows.open()) {
        context.err << rows.lastError() << "\n";
        return 2;
    }
    CountyCheck check;
    check.setRows(&rows);
    return runMonthCheck(context, check, year, month, explain);
}

int runCheck(CliContext &context, const QStringList &args)
{
    CliArgs rest(args);
    const bool county = rest.flag(QStringLiteral("--county"));
    const bool explain = rest.flag(QStringLiteral("--explain"));
    int year = 0;
    int month = 0;
    bool hasYear = false;
    bool hasMonth = false;
    QString error;
    if (!rest.period(0, &year, &month, &hasYear, &hasMonth, &error)) {
        context.err << error << "\n";
        return 2;
    }
    if (!rest.rest().isEmpty()) {
        context.err << "check: unexpected arguments: " << rest.rest().join(u' ') << "\n";
        return 2;
    }
    if (!hasYear || !hasMonth || year == 0 || month == 0) {
        context.err << "請輸入欲檢核之年月資料!!!\n"
                    << "usage: velq8-cli check [--county] --year Y --month M\n";
        return 2;
    }
    if (!context.openDatabase())
        return 2;
    return county ? checkCountyData(context, year, month, explain)
                  : checkOperatingData(context, year, month, explain);
}

const CliCommand::Registrar registrar({
    QStringLiteral("check"),
    QStringLiteral("check [--county] --year Y --month M [--explain]"),
    QStringLiteral("Checks the declaring institution's operating data of the month against the\n"
                   "balance formulas; with --county, the county data of the month (every\n"
                   "institution's rows, as the county tab lists them) against the county formulas,\n"
                   "once per county. Prints one line per failing formula and per account without\n"
                   "an amount: the formula text, TAB, the left value, TAB, the right value (both\n"
                   "empty for a missing account); or \"資料完全符合!!!\" when everything holds.\n"
                   "With --explain each failing formula's line is followed by its steps, indented\n"
                   "by two blanks, one a line: the side, account code, name, period, the operator\n"
                   "met, the amount (or 缺少), the running value and a note, TAB between fields;\n"
                   "then \"比較\", the left value, the comparison, the right value and 不成立.\n"
                   "Exit status 0 everything holds, 1 rows were listed, 2 no data for the month,\n"
                   "a failure of the database or wrong input."),
    runCheck,
});

} // namespace
