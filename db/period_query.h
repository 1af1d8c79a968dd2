#pragma once

#include <QString>

// The statement with which a data tab reads its rows for a period. A year or
// month of 0 leaves that part of the period unfiltered: the filter is left out of
// the statement and its parameter is not bound.
struct PeriodQuery
{
    QString head;             // select ... where ... (every filter that always applies)
    QString yearFilter;       // "and a.m_year = :seYYY "
    QString monthFilter;      // "and a.m_month = :seMM "
    QString order;            // "order by ..." when the year or the month is 0
    QString orderFullPeriod;  // "order by ..." when both are given; empty: `order`
    QString yearParam;        // "seYYY" (without the colon)
    QString monthParam;       // "seMM"
    bool byInstitution = false;   // :BANK_CODE is the declaring institution
    // The stored-order column of the table the rows come from, as `head` names
    // it ("a.rowid"); empty when the rows cannot be told apart that way.
    QString rowidColumn;

    bool isEmpty() const { return head.isEmpty(); }
    QString statement(bool byYear, bool byMonth) const;
    // The rowids of exactly the rows statement() selects (no order), for a
    // delete of them in one statement; empty without a rowidColumn.
    QString rowidStatement(bool byYear, bool byMonth) const;
};
