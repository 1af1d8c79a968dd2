#include "bench/plain_check.h"

#include "checks/formula_set.h"

#include <QSqlQuery>
#include <QVariant>

namespace PlainCheck {

namespace {

double side(const std::vector<Term> &terms, const Amounts &amounts)
{
    double value = 0;
    char pending = ' ';
    bool first = true;
    for (const Term &t : terms) {
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

std::string text(const std::vector<Term> &terms)
{
    std::string out;
    for (const Term &t : terms) {
        out += t.code;
        if (t.op != ' ')
            out += t.op;
    }
    return out;
}

bool holds(const std::string &q, double l, double r)
{
    if (q == "=") return l == r;
    if (q == ">") return l > r;
    if (q == "<") return l < r;
    if (q == ">=") return l >= r;
    if (q == "<=") return l <= r;
    if (q == "<>") return l != r;
    return true;
}

} // namespace

std::vector<Formula> fromSet(const FormulaSet &set)
{
    std::vector<Formula> out;
    out.reserve(set.formulas().size());
    auto terms = [](const QList<FormulaTerm> &list) {
        std::vector<Term> v;
        for (const FormulaTerm &t : list)
            v.push_back({t.accCode.toStdString(), t.noop.isEmpty() ? ' ' : char(t.noop.at(0).toLatin1())});
        return v;
    };
    for (const ::Formula &f : set.formulas())
        out.push_back({f.quop.toStdString(), terms(f.left), terms(f.right)});
    return out;
}

std::vector<Formula> read(QSqlDatabase db, const QString &headerTable, const QString &termTable,
                          const QString &accountTable)
{
    std::vector<Formula> formulas;
    std::unordered_map<std::string, size_t> byCano;
    {
        QSqlQuery q(db);
        q.setForwardOnly(true);
        q.exec(QStringLiteral("select cano, quop from %1 order by cano").arg(headerTable));
        while (q.next()) {
            byCano.emplace(q.value(0).toString().toStdString(), formulas.size());
            formulas.push_back({q.value(1).toString().toStdString(), {}, {}});
        }
    }
    QSqlQuery q(db);
    q.setForwardOnly(true);
    q.exec(QStringLiteral("select A.cano, A.left_flag, A.acc_code, A.noop from %1 A, %2 B "
                          "where A.acc_code = B.acc_code order by A.cano, A.left_flag, A.nserial")
               .arg(termTable, accountTable));
    while (q.next()) {
        const auto it = byCano.find(q.value(0).toString().toStdString());
        if (it == byCano.end())
            continue;
        const std::string op = q.value(3).toString().toStdString();
        Term t{q.value(2).toString().toStdString(), op.empty() ? ' ' : op[0]};
        (q.value(1).toString() == QLatin1String("0") ? formulas[it->second].left : formulas[it->second].right)
            .push_back(std::move(t));
    }
    return formulas;
}

std::vector<std::string> readAccounts(QSqlDatabase db, const QString &accountTable, const QString &order)
{
    std::vector<std::string> accounts;
    QSqlQuery q(db);
    q.setForwardOnly(true);
    q.exec(QStringLiteral("select ACC_CODE from %1 order by %2").arg(accountTable, order));
    while (q.next())
        accounts.push_back(q.value(0).toString().toStdString());
    return accounts;
}

void check(std::vector<std::string> &out, const std::vector<Formula> &formulas,
           const std::vector<std::string> &accounts, const Amounts &amounts, const std::string &prefix)
{
    for (const Formula &f : formulas) {
        if (f.left.empty())
            continue;
        const double l = side(f.left, amounts);
        const double r = side(f.right, amounts);
        if (!holds(f.quop, l, r))
            out.push_back(prefix + text(f.left) + f.quop + text(f.right));
    }
    for (const std::string &code : accounts) {
        if (!amounts.count(code))
            out.push_back("missing " + code);
    }
}

} // namespace PlainCheck
