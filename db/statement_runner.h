#pragma once

#include <QString>
#include <QSqlQuery>
#include <QVariantMap>

// One statement with named parameters (":NAME", bound from `params` by the
// name without ':'; a name missing from the map binds NULL), run once on a
// connection: what a whole-month count or delete needs, without a dataset.
namespace StatementRunner {

// The rows the statement changed, or -1 + *error (the engine's message).
int run(const QString &connectionName, const QString &sql, const QVariantMap &params, QString *error);

// Prepares, binds and runs a select on `q` (made on the connection), forward
// only, so that the caller reads its rows; false + *error (the engine's message).
bool select(QSqlQuery &q, const QString &connectionName, const QString &sql, const QVariantMap &params,
            QString *error);

// The first column of the first row as a number (a count), or -1 + *error.
int count(const QString &connectionName, const QString &sql, const QVariantMap &params, QString *error);

} // namespace StatementRunner
