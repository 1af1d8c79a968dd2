#pragma once

#include <QString>

// The generated database the figures are measured on:
//  - BN01: the declaring institution "995" and four branches;
//  - CACNO: 500 operating accounts "A0001".."A0500" (every 50th a "p" account);
//  - MPBANK: twenty years (95..114) of twelve months for every account:
//    120,000 rows for the institution "995";
//  - HCACNO: 100 county accounts "H0001".."H0100"; CD01: the 22 counties;
//  - HMPBANK: the same twenty years for every county and county account (2,200
//    rows a month, 528,000 rows);
//  - RuleNo1/RuleNo2: 2,000 formulas of 10 terms each (5 a side) over CACNO;
//  - HRuleNo1/HRuleNo2: 500 county formulas of 10 terms each over HCACNO;
//  - EM03/EM08/EM09: a few rows of 114/12.
namespace BenchDatabase {

inline constexpr int FirstYear = 95;
inline constexpr int LastYear = 114;
inline constexpr int Accounts = 500;
inline constexpr int CountyAccounts = 100;
inline constexpr int Formulas = 2000;
inline constexpr int CountyFormulas = 500;
inline constexpr auto BankCode = "995";

// Builds the database at `file` (which must not exist); false + *error on failure.
bool generate(const QString &file, QString *error);

} // namespace BenchDatabase
