#pragma once

#include <QSqlDatabase>
#include <QString>

#include <string>
#include <unordered_map>
#include <vector>

class FormulaSet;

// The baseline of the check figures: the formulas in plain vectors, the amounts in
// an std::unordered_map of exact ten-thousandths, the same left-to-right
// evaluation (exact, as a balance must be: every product and quotient rounded to
// four decimals, ties to even, in 128 bits), the failing formulas and the missing
// accounts written as plain lines, a line cut to the remark's 120 bytes.
namespace PlainCheck {

struct Term
{
    std::string code;
    char op = ' ';
};

struct Formula
{
    std::string quop;
    std::vector<Term> left;
    std::vector<Term> right;
};

// An amount in ten-thousandths.
using Amounts = std::unordered_map<std::string, long long>;

// A stored amount in ten-thousandths.
long long raw(double amount);

// The formulas of a set already read.
std::vector<Formula> fromSet(const FormulaSet &set);
// The formulas of a header and term table pair, terms joined with the account
// table, read with plain queries.
std::vector<Formula> read(QSqlDatabase db, const QString &headerTable, const QString &termTable,
                          const QString &accountTable);
// The codes of an account table in the order given ("rowid", "ACC_CODE").
std::vector<std::string> readAccounts(QSqlDatabase db, const QString &accountTable, const QString &order);
// The first two columns of a plain statement, as text.
std::vector<std::pair<std::string, std::string>> readPairs(QSqlDatabase db, const QString &sql);

// Appends a line for every failing formula (the prefix, then its text) and then
// one for every account without an amount.
void check(std::vector<std::string> &out, const std::vector<Formula> &formulas,
           const std::vector<std::string> &accounts, const Amounts &amounts, const std::string &prefix = {});

} // namespace PlainCheck
