#include "bench/bench.h"
#include "bench/bench_database.h"
#include "checks/amount_lookup.h"
#include "checks/formula_evaluator.h"
#include "checks/formula_set.h"
#include "checks/operating_check.h"
#include "db/database.h"

#include <QSqlQuery>
#include <QVariant>
#include <string>
#include <unordered_map>
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

struct PlainTerm
{
    std::string code;
    char op = ' ';
};

struct PlainFormula
{
    std::string quop;
    std::vector<PlainTerm> left;
    std::vector<PlainTerm> right;
};

using PlainRows = std::vector<std::pair<std::string, double>>;

double plainSide(const std::vector<PlainTerm> &terms, const std::unordered_map<std::string, double> &amounts)
{
    double value = 0;
    char pending = ' ';
    bool first = true;
    for (const PlainTerm &t : terms) {
        const auto it = amounts.find(t.code);
        if (it != amounts.end()) {
            const double a = it->second;
            if (first)
                value = a;
            else if (pending == '+')
                value += a;
            else if (pending == '-')
                value -= a;
            else if (pending == '*')
                value *= a;
            else if (pending == '/')
                value = a == 0 ? 0 : value / a;
        }
        pending = t.op;
        first = false;
    }
    return value;
}

std::string plainText(const std::vector<PlainTerm> &terms)
{
    std::string text;
    for (const PlainTerm &t : terms) {
        text += t.code;
        if (t.op != ' ')
            text += t.op;
    }
    return text;
}

bool plainHolds(const std::string &q, double l, double r)
{
    if (q == "=") return l == r;
    if (q == ">") return l > r;
    if (q == "<") return l < r;
    if (q == ">=") return l >= r;
    if (q == "<=") return l <= r;
    if (q == "<>") return l != r;
    return true;
}

// The plain loop: the hash built from the rows, every formula evaluated, the
// failing ones and the missing accounts written as lines.
std::vector<std::string> plainCheck(const std::vector<PlainFormula> &formulas,
                                    const std::vector<std::string> &accounts, const PlainRows &rows)
{
    std::unordered_map<std::string, double> amounts;
    amounts.reserve(rows.size());
    for (const auto &[code, amount] : rows)
        amounts.emplace(code, amount);
    std::vector<std::string> out;
    for (const PlainFormula &f : formulas) {
        if (f.left.empty())
            continue;
        const double l = plainSide(f.left, amounts);
        const double r = plainSide(f.right, amounts);
        if (!plainHolds(f.quop, l, r))
            out.push_back(plainText(f.left) + f.quop + plainText(f.right));
    }
    for (const std::string &code : accounts) {
        if (!amounts.count(code))
            out.push_back("missing " + code);
    }
    return out;
}

std::vector<PlainFormula> plainFormulas(const FormulaSet &set)
{
    std::vector<PlainFormula> out;
    out.reserve(set.formulas().size());
    auto terms = [](const QList<FormulaTerm> &list) {
        std::vector<PlainTerm> v;
        for (const FormulaTerm &t : list)
            v.push_back({t.accCode.toStdString(), t.noop.isEmpty() ? ' ' : char(t.noop.at(0).toLatin1())});
        return v;
    };
    for (const Formula &f : set.formulas())
        out.push_back({f.quop.toStdString(), terms(f.left), terms(f.right)});
    return out;
}

// The plain full check: three plain queries into plain structures, then the loop.
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
    std::vector<PlainFormula> formulas;
    std::unordered_map<std::string, size_t> byCano;
    {
        QSqlQuery q(db);
        q.setForwardOnly(true);
        q.exec(QStringLiteral("select cano, quop from RuleNo1 order by cano"));
        while (q.next()) {
            byCano.emplace(q.value(0).toString().toStdString(), formulas.size());
            formulas.push_back({q.value(1).toString().toStdString(), {}, {}});
        }
    }
    {
        QSqlQuery q(db);
        q.setForwardOnly(true);
        q.exec(QStringLiteral("select A.cano, A.left_flag, A.acc_code, A.noop from RuleNo2 A, CACNO B "
                              "where A.acc_code = B.acc_code order by A.cano, A.left_flag, A.nserial"));
        while (q.next()) {
            const auto it = byCano.find(q.value(0).toString().toStdString());
            if (it == byCano.end())
                continue;
            const std::string op = q.value(3).toString().toStdString();
            PlainTerm t{q.value(2).toString().toStdString(), op.empty() ? ' ' : op[0]};
            (q.value(1).toString() == QLatin1String("0") ? formulas[it->second].left
                                                         : formulas[it->second].right)
                .push_back(std::move(t));
        }
    }
    std::vector<std::string> accounts;
    {
        QSqlQuery q(db);
        q.setForwardOnly(true);
        q.exec(QStringLiteral("select ACC_CODE from CACNO order by rowid"));
        while (q.next())
            accounts.push_back(q.value(0).toString().toStdString());
    }
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
    const std::vector<PlainFormula> plain = plainFormulas(set);
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
