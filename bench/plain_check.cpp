#include "bench/plain_check.h"

#include "checks/formula_set.h"

#include <QSqlQuery>
#include <QVariant>

#include <cmath>

namespace PlainCheck {

namespace {

using Wide = __int128;

// n / d to the nearest integer, ties to even.
Wide divideHalfEven(Wide n, Wide d)
{
    if (d < 0) {
        n = -n;
        d = -d;
    }
    Wide q = n / d;
    Wide r = n % d;
    if (r < 0) {
        --q;
        r += d;
    }
    if (2 * r > d || (2 * r == d && (q & 1)))
        ++q;
    return q;
}

Wide side(const std::vector<Term> &terms, const Amounts &amounts)
{
    Wide value = 0;
    char pending = ' ';
    bool first = true;
    for (const Term &t : terms) {
        const auto it = amounts.find(t.code);
        if (it != amounts.end()) {
            const Wide a = it->second;
            if (first)
                value = a;
            else if (pending == '+')
                value += a;
            else if (pending == '-')
                value -= a;
            else if (pending == '*')
                value = divideHalfEven(value * a, 10000);
            else if (pending == '/')
                value = a == 0 ? 0 : divideHalfEven(value * 10000, a);
        }
        pending = t.op;
        first = false;
    }
    return value;
}

// The remark's 120 bytes, a character beyond ASCII counting two as it does in
// Big5, never cut through one.
void cut(std::string &line)
{
    size_t bytes = 0;
    for (size_t i = 0; i < line.size();) {
        const unsigned char c = static_cast<unsigned char>(line[i]);
        const size_t length = c < 0x80 ? 1 : c < 0xe0 ? 2 : c < 0xf0 ? 3 : 4;
        bytes += c < 0x80 ? 1 : 2;
        if (bytes > 120) {
            line.resize(i);
            return;
        }
        i += length;
    }
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

bool holds(const std::string &q, Wide l, Wide r)
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

long long raw(double amount)
{
    return std::llround(amount * 10000.0);
}

std::vector<std::pair<std::string, std::string>> readPairs(QSqlDatabase db, const QString &sql)
{
    std::vector<std::pair<std::string, std::string>> pairs;
    QSqlQuery q(db);
    q.setForwardOnly(true);
    q.exec(sql);
    while (q.next())
        pairs.emplace_back(q.value(0).toString().toStdString(), q.value(1).toString().toStdString());
    return pairs;
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
        const Wide l = side(f.left, amounts);
        const Wide r = side(f.right, amounts);
        if (!holds(f.quop, l, r)) {
            out.push_back(prefix + text(f.left) + f.quop + text(f.right));
            cut(out.back());
        }
    }
    for (const std::string &code : accounts) {
        if (!amounts.count(code))
            out.push_back("missing " + code);
    }
}

} // namespace PlainCheck
