#pragma once

#include <QString>

// A month's operating data deleted as the month tab's Delete does it: in one
// write transaction that claims the month, counts its rows and deletes them
// with one statement a chunk at a time. The stress run starts it as a process
// of its own, beside velq8-cli's imports.
namespace MonthDelete {

// 0 deleted; 1 refused (the month is not stored, or the database is busy);
// 2 failed. The reason goes to standard error.
int run(const QString &location, int year, int month, const QString &bank);

} // namespace MonthDelete
