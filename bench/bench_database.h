#pragma once

#include <QString>

// The generated database the figures are measured on:
//  - BN01: the declaring institution "995" and four branches;
//  - CACNO: 500 operating accounts "A0001".."A0500" (every 50th a "p" account);
//  - MPBANK: `years` years (twenty by default: 95..114) of twelve months for
//    every account: 120,000 rows for the institution "995" at twenty years;
//  - HCACNO: 100 county accounts "H0001".."H0100"; CD01: the 22 counties;
//  - HMPBANK: the same years for every county and county account (2,200 rows
//    a month, 528,000 rows at twenty years);
//  - RuleNo1/RuleNo2: 2,000 formulas of 10 terms each (5 a side) over CACNO;
//  - HRuleNo1/HRuleNo2: 500 county formulas of 10 terms each over HCACNO;
//  - EM03/EM08/EM09, the side tables, over the same years: 4 overdue-ratio rows
//    (one per branch), 60 bills-rate rows and 36 bills-trading rows a month
//    (960, 14,400 and 8,640 rows at twenty years).
namespace BenchDatabase {

inline constexpr int LastYear = 114;
inline constexpr int DefaultYears = 20;
inline constexpr int Accounts = 500;
inline constexpr int CountyAccounts = 100;
inline constexpr int Formulas = 2000;
inline constexpr int CountyFormulas = 500;
inline constexpr auto BankCode = "995";

// Builds the database of `years` years ending with LastYear at `location`: a
// file (which must not exist) or an empty server database's URL, filled in one
// transaction, many rows to a statement; false + *error on failure.
bool generate(const QString &location, int years, QString *error);

} // namespace BenchDatabase
