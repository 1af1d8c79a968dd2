#pragma once

#include <QSqlDatabase>
#include <QString>

#include <string>
#include <unordered_map>
#include <vector>

class FormulaSet;

// The baseline of the check figures: the formulas in plain vectors, the amounts in
// an std::unordered_map of doubles, the same left-to-right evaluation, the failing
// formulas and the missing accounts written as plain lines.
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

using Amounts = std::unordered_map<std::string, double>;

// The formulas of a set already read.
std::vector<Formula> fromSet(const FormulaSet &set);
// The formulas of a header and term table pair, terms joined with the account
// table, read with plain queries.
std::vector<Formula> read(QSqlDatabase db, const QString &headerTable, const QString &termTable,
                          const QString &accountTable);
// The codes of an account table in the order given ("rowid", "ACC_CODE").
std::vector<std::string> readAccounts(QSqlDatabase db, const QString &accountTable, const QString &order);

// Appends a line for every failing formula (the prefix, then its text) and then
// one for every account without an amount.
void check(std::vector<std::string> &out, const std::vector<Formula> &formulas,
           const std::vector<std::string> &accounts, const Amounts &amounts, const std::string &prefix = {});

} // namespace PlainCheck
