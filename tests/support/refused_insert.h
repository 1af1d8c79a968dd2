#pragma once

#include "tests/support/test_database.h"

#include <QString>

// Makes the database itself refuse an insert into `table` where `when` holds
// (a condition on the new row, written NEW.<FIELD> = ...), with `reason` in the
// engine's error, as a broken constraint or a full disk refuses a row midway
// through a write. The same trigger on either engine the test runs on.
inline bool refuseInserts(TestDatabase &db, const QString &table, const QString &when = QStringLiteral("1 = 1"),
                          const QString &reason = QStringLiteral("refused by test trigger"))
{
    const QString name = QStringLiteral("refuse_") + table;
    if (!TestDatabase::onServer()) {
        return db.exec(QStringLiteral("create trigger %1 before insert on %2 when %3 "
                                      "begin select raise(abort, '%4'); end")
                           .arg(name, table, when, reason));
    }
    return db.exec({QStringLiteral("create function %1() returns trigger language plpgsql "
                                   "as $$ begin raise exception '%2'; end $$")
                        .arg(name, reason),
                    QStringLiteral("create trigger %1 before insert on %2 for each row when (%3) "
                                   "execute function %1()")
                        .arg(name, table, when)});
}
