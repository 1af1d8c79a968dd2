#pragma once

#include "db/bills_codes.h"

#include <QString>

class QSqlQuery;

// The label columns of the two bills reports. The query builds each as the code
// followed by blanks; a code its list holds is then printed as its label
// ("06" and "6" both as "06-銀行可轉讓定期存單"). Any other code, and a code
// that is no whole number at all, keeps the text the query built: a bad code
// prints as stored rather than stopping the report.
namespace BillsLabel {

// The select-list term of a flag's label column, named after the flag with an
// "M" in front, over the table aliased A: "(A.FLAG1||'  '||'        ') AS MFLAG1"
// for FLAG1 and 8 blanks.
QString column(const QString &flag, int blanks);

// The text of the flag's label column on the query's current row: the label of
// the code in the flag ("FLAG3"), else the label column as the query built it.
QString text(BillsCodes::List list, const QSqlQuery &query, const QString &flag);
// The same by the columns' positions in the select list: no lookup by name on
// every row of a long report.
QString text(BillsCodes::List list, const QSqlQuery &query, int flagColumn, int labelColumn);

} // namespace BillsLabel
