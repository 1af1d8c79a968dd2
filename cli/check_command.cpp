#include "checks/operating_check.h"
#include "cli/cli_command.h"
#include "db/reference_lists.h"
#include "db/table_cursor.h"

namespace {

// The declaring institution, as the windows take it: the first BN01 record in
// stored order. Only the institutions are read.
bool declaringBank(QString *code, QString *error)
{
    ReferenceLists references;
    if (!references.tblBN01().open()) {
        *error = references.tblBN01().lastError();
        return false;
    }
    if (references.tblBN01().isEmpty()) {
        *error = QStringLiteral("找不到申報機構: BN01 沒有任何資料");
        return false;
    }
    *code = references.declaringBankCode();
    return true;
}

QString withoutTrailingBlanks(QString text)
{
    qsizetype n = text.size();
    while (n > 0 && text.at(n - 1).isSpace())
        --n;
    text.truncate(n);
    return text;
}

int runCheck(CliContext &context, const QStringList &args)
{
    CliArgs rest(args);
    int year = 0;
    int month = 0;
    bool hasYear = false;
    bool hasMonth = false;
    QString error;
    if (!rest.intValue(QStringLiteral("--year"), 0, 999, &year, &hasYear, &error)
        || !rest.intValue(QStringLiteral("--month"), 0, 12, &month, &hasMonth, &error)) {
        context.err << error << "\n";
        return 2;
    }
    if (!rest.rest().isEmpty()) {
        context.err << "check: unexpected arguments: " << rest.rest().join(u' ') << "\n";
        return 2;
    }
    if (!hasYear || !hasMonth || year == 0 || month == 0) {
        context.err << "請輸入欲檢核之年月資料!!!\n"
                    << "usage: velq8-cli check --year Y --month M\n";
        return 2;
    }
    if (!context.openDatabase())
        return 2;
    QString bankCode;
    if (!declaringBank(&bankCode, &error)) {
        context.err << error << "\n";
        return 2;
    }

    OperatingCheck check;
    switch (check.run(bankCode, year, month)) {
    case OperatingCheck::Status::AllHold:
        context.out << "資料完全符合!!!\n";
        return 0;
    case OperatingCheck::Status::RowsFound:
        for (const CheckResultRow &row : check.rows()) {
            context.out << withoutTrailingBlanks(row.remark) << '\t'
                        << (row.left ? row.left->toString() : QString()) << '\t'
                        << (row.right ? row.right->toString() : QString()) << '\n';
        }
        return 1;
    case OperatingCheck::Status::NoData:
        context.err << "查無符合之資料!!!\n";
        return 2;
    case OperatingCheck::Status::PeriodIncomplete:
        context.err << "請輸入欲檢核之年月資料!!!\n";
        return 2;
    case OperatingCheck::Status::DatabaseError:
    case OperatingCheck::Status::Ready:
        break;
    }
    context.err << check.errorText() << "\n";
    return 2;
}

const CliCommand::Registrar registrar({
    QStringLiteral("check"),
    QStringLiteral("check --year Y --month M"),
    QStringLiteral("Checks the declaring institution's operating data of the month against the\n"
                   "balance formulas. Prints one line per failing formula and per account without\n"
                   "an amount: the formula text, TAB, the left value, TAB, the right value (both\n"
                   "empty for a missing account); or \"資料完全符合!!!\" when everything holds.\n"
                   "Exit status 0 everything holds, 1 rows were listed, 2 no data for the month\n"
                   "or wrong input."),
    runCheck,
});

} // namespace
