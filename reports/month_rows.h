#pragma once

#include "reports/report_request.h"

#include <QString>
#include <functional>

class QSqlQuery;

// The amount rows of one month, as the check reports read them: a statement
// naming :paramM_YEAR and :paramM_MONTH, run with the request's period on its
// connection, each row handed over in the statement's order.
namespace MonthRows {

using Take = std::function<void(const QSqlQuery &)>;

// False and *error on an engine error.
bool read(const ReportRequest &request, const QString &statement, const Take &take, QString *error);

} // namespace MonthRows
