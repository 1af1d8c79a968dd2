#pragma once

#include <QString>
#include <QtGlobal>

// Who and when, as the records of exports and changes keep them.
namespace ChangeAuthor {

// Who works on the connection: on a server the server's own user (the engine
// asks it: "select current_user"), at the desk of this host ("clerk@desk7");
// on a database file the login name of the desk ("clerk@desk7"). The one place
// that tells the engines apart by the connection's driver.
QString who(const QString &connectionName);

// Now, as the records keep it: "YYYY-MM-DD HH:MM:SS", the desk's local time.
QString now();

// A new record's number: milliseconds since 1970 times 1000 and a random
// part, so that writers on several desks need not ask one another for it and
// the numbers follow the order of time; never the same twice in one process.
qint64 nextId();

} // namespace ChangeAuthor
