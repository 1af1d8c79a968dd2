#include "app/main_window.h"
#include "ui/messages.h"
#include "bench/bench.h"

#include <QDate>
#include <QString>

#include <sqlite3.h>

// start-up: building the main window on the generated database (the reference
// cursors and lists it opens, the five data tabs, the two button tabs), offscreen.
// The baseline reads the same reference tables (BN01, CACNO, Customer, CD01,
// HCACNO) with the sqlite3 C API into memory.
namespace {

void readTable(sqlite3 *db, const char *sql, std::size_t *cells)
{
    sqlite3_stmt *stmt = nullptr;
    if (sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr) != SQLITE_OK)
        return;
    while (sqlite3_step(stmt) == SQLITE_ROW) {
        for (int c = 0; c < sqlite3_column_count(stmt); ++c) {
            const unsigned char *text = sqlite3_column_text(stmt, c);
            *cells += text ? 1 : 0;
        }
    }
    sqlite3_finalize(stmt);
}

QList<BenchFigure> runStartup(BenchContext &context)
{
    ScriptedMessages quiet;   // a failure to open a table would show a box
    const double ours = Bench::medianMs(9, [] {
        TfmVELQ8MAIN window(QDate(2026, 1, 15));
    });

    std::size_t cells = 0;
    const QByteArray file = context.databaseFile.toUtf8();
    const double baseline = Bench::medianMs(9, [&] {
        sqlite3 *db = nullptr;
        if (sqlite3_open_v2(file.constData(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
            for (const char *sql : {"SELECT * FROM BN01 ORDER BY rowid", "SELECT * FROM CACNO ORDER BY rowid",
                                    "SELECT * FROM Customer ORDER BY rowid", "SELECT * FROM CD01 ORDER BY rowid",
                                    "SELECT * FROM HCACNO ORDER BY rowid"})
                readTable(db, sql, &cells);
        }
        sqlite3_close(db);
    });
    if (!quiet.records().isEmpty())
        qWarning("start-up said: %s", qPrintable(quiet.texts().join(QStringLiteral(" | "))));
    return {{QStringLiteral("startup"), ours, baseline}};
}

const BenchScenario::Registrar registrar({QStringLiteral("startup"), runStartup});

} // namespace
