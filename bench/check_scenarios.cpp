#include "bench/bench.h"
#include "bench/bench_database.h"
#include "bench/plain_check.h"
#include "checks/amount_lookup.h"
#include "checks/formula_evaluator.h"
#include "checks/formula_set.h"
#include "checks/operating_check.h"
#include "db/database.h"

#include <QSqlQuery>
#include <QVariant>
#include <string>
#include <utility>
#include <vector>

// The operating data check of one month on the generated database: 2,000 formulas
// of 10 terms over 500 accounts.
//   check_eval  the amounts hash built from the month's rows and every formula
//               evaluated and judged (formulas already read), against a plain loop
//               over vectors and an std::unordered_map of doubles doing the same;
//   check_full  the whole check from the database (amounts, formulas, accounts
//               read, evaluated), against plain queries into plain structures and
//               the same plain loop.
namespace {

using PlainRows = std::vector<std::pair<std::string, double>>;

// The plain loop: the hash built from the rows, every formula evaluated, the
// failing ones and the missing accounts written as lines.
std::vector<std::string> plainCheck(const std::vector<PlainCheck::Formula> &formulas,
                                    const std::vector<std::string> &accounts, const PlainRows &rows)
{
    PlainCheck::Amounts amounts;
    amounts.reserve(rows.size());
    for (const auto &[code, amount] : rows)
        amounts.emplace(code, PlainCheck::raw(amount));
    std::vector<std::string> out;
    PlainCheck::check(out, formulas, accounts, amounts);
    return out;
}

// The plain full check: plain queries into plain structures, then the loop.
std::vector<std::string> plainFullCheck(int year, int month)
{
    QSqlDatabase db = Database::connection();
    PlainRows rows;
    {
        QSqlQuery q(db);
        q.setForwardOnly(true);
        q.exec(QStringLiteral("select a.acc_code, a.amt from MPBANK a, CACNO B where B.acc_code = a.acc_code "
                              "and a.bank_code = '%1' and a.m_year = %2 and a.m_month = %3")
                   .arg(QString::fromLatin1(BenchDatabase::BankCode))
                   .arg(year)
                   .arg(month));
        while (q.next())
            rows.emplace_back(q.value(0).toString().toStdString(), q.value(1).toDouble());
    }
    const auto formulas = PlainCheck::read(db, QStringLiteral("RuleNo1"), QStringLiteral("RuleNo2"),
                                           QStringLiteral("CACNO"));
    const auto accounts = PlainCheck::readAccounts(db, QStringLiteral("CACNO"), QStringLiteral("rowid"));
    return plainCheck(formulas, accounts, rows);
}

QList<BenchFigure> runCheckScenario(BenchContext &)
{
    const int year = BenchDatabase::LastYear;
    const int month = 12;
    const QString bank = QString::fromLatin1(BenchDatabase::BankCode);
    QList<BenchFigure> figures;

    // Read once: the formulas and the month's rows.
    FormulaSet set;
    QString error;
    if (!set.load(FormulaTables::operating(), &error)) {
        qWarning("check: formulas not read: %s", qPrintable(error));
        return figures;
    }
    QList<std::pair<QString, double>> rows;
    {
        QSqlQuery q(Database::connection());
        q.setForwardOnly(true);
        q.exec(QStringLiteral("select a.acc_code, a.amt from MPBANK a, CACNO B where B.acc_code = a.acc_code "
                              "and a.bank_code = '%1' and a.m_year = %2 and a.m_month = %3 "
                              "order by a.SERIAL")
                   .arg(bank)
                   .arg(year)
                   .arg(month));
        while (q.next())
            rows.append({q.value(0).toString(), q.value(1).toDouble()});
    }
    PlainRows plainRows;
    for (const auto &[code, amount] : rows)
        plainRows.emplace_back(code.toStdString(), amount);
    const std::vector<PlainCheck::Formula> plain = PlainCheck::fromSet(set);
    std::vector<std::string> plainAccounts;
    for (const FormulaAccount &a : set.accounts())
        plainAccounts.push_back(a.code.toStdString());

    qsizetype ourRows = 0;
    size_t plainLines = 0;
    const double eval = Bench::medianMs(25, [&] {
        AmountLookup amounts;
        amounts.reserve(rows.size());
        for (const auto &[code, amount] : rows)
            amounts.add(code, amount);
        ourRows = FormulaEvaluator::check(set, amounts).size();
    });
    const double evalPlain = Bench::medianMs(25, [&] {
        plainLines = plainCheck(plain, plainAccounts, plainRows).size();
    });
    figures.append({QStringLiteral("check_eval"), eval, evalPlain});

    OperatingCheck check;
    const double full = Bench::medianMs(7, [&] { check.run(bank, year, month); });
    const double fullPlain = Bench::medianMs(7, [&] { plainLines = plainFullCheck(year, month).size(); });
    figures.append({QStringLiteral("check_full"), full, fullPlain});

    qInfo("check: %d formulas, %d accounts, %d amount rows; %lld result rows (plain loop %zu lines)",
          int(set.formulas().size()), int(set.accounts().size()), int(rows.size()),
          static_cast<long long>(ourRows), plainLines);
    return figures;
}

const BenchScenario::Registrar registrar({QStringLiteral("check"), runCheckScenario});

} // namespace
