#pragma once

#include "reports/amount_unit.h"
#include "reports/query_report.h"
#include "reports/report_outcome.h"
#include "reports/report_request.h"

#include <QMap>
#include <QString>
#include <QStringList>

// "銀行縣市別營運資料明細表": every county amount of one month, of every
// institution, county by county and within a county by account code, with the
// account's name, scaled to the chosen unit and printed as a whole number with
// digit groups (2,600,000 in 百萬元 prints as 3).
//
// The counties are those of CD01: every one (county "0", or none given) or the
// one chosen; the rows are those whose county lies between the first and the
// last of them. Every county starts a new page, and every page carries the whole
// title block and the name of the county its rows belong to, so a county
// without rows in the month takes no page and moves no other county's name. A
// row of a county code that CD01 lacks but that lies in the range prints under
// its code rather than under a neighbour's name.
//
// No county chosen in CD01, or no row: the plain message "查無符合資料理!!". A
// year or month of 0 matches no row.
namespace CountyDetailReport {

inline constexpr auto Title = "銀行縣市別營運資料明細表";
// The first item of the dialog's county list, and what it stands for.
inline constexpr auto AllCountiesItem = "0  所有縣市";
inline constexpr auto AllCounties = "0";

// The counties the report covers, HSIEN_NAME by code in code order: every
// county of CD01 for "0" or an empty choice, else the chosen one (none when
// CD01 lacks it). False and *error on an engine error.
bool readCounties(const QString &connectionName, const QString &choice, QMap<QString, QString> *names,
                  QString *error);

// The dialog's county list: AllCountiesItem, then "code  name" of every county
// of CD01 that has county data in any month, in code order (a code of the data
// that CD01 lacks is never offered). False and *error on an engine error; the
// list then holds AllCountiesItem alone.
bool countyItems(const QString &connectionName, QStringList *items, QString *error);

// The query of that list after its first item. Each county of CD01 asks the
// county index of HMPBANK (by HSIEN_ID) whether one row of it exists, so the
// dialog opens as fast with twenty years of data as with one month: no county
// row is read but the first of each county. A database built without that index
// gives the same list, but reads the county rows (all of them for each county
// without data).
inline constexpr auto CountyListQuery =
    "select B.HSIEN_ID || '  ' || B.HSIEN_NAME AS HSIENNAME FROM CD01 B "
    "where exists (select 1 from HMPBANK A where A.HSIEN_ID = B.HSIEN_ID) "
    "ORDER BY B.HSIEN_ID";

// The county an item of that list chooses: its first character ("0": every county).
QString countyOfItem(const QString &item);

// The report over the counties given (not empty), for the unit.
QueryReport description(AmountUnit unit, const QMap<QString, QString> &counties);

ReportOutcome build(const ReportRequest &request);

} // namespace CountyDetailReport
