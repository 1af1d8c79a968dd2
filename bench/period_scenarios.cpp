#include "bench/bench.h"
#include "bench/bench_database.h"
#include "bench/bench_tab.h"
#include "bench/plain_sqlite.h"
#include "db/cached_dataset.h"
#include "db/declaration_kind.h"
#include "entry/county_data_tab.h"
#include "entry/operating_data_tab.h"

#include <QApplication>

#include <sqlite3.h>

#include <cstdio>
#include <string>
#include <vector>

// A query of every period (year 0, month 0) on the operating and the county
// tab, driven through the real tab offscreen: 120,000 and 528,000 rows at
// twenty years.
//   first_rows_operating, first_rows_county: until the grid has painted the
//     first rows (the rest is still unread); the baseline reads as many rows.
//   all_periods_operating, all_periods_county: until every row is read.
// The baseline reads the tab's own statement with the sqlite3 C API into a
// vector of plain structs (numbers as numbers, each text its own std::string).
// Each side is measured in a memory phase of its own: ours ends with the tab
// holding its rows (all_periods_*: every row), the baseline's starts after the
// tab is gone. The resident size while the tab holds every row is also printed
// as a comment line.
namespace {

struct PlainRow
{
    std::vector<double> numbers;
    std::vector<std::string> texts;
};

// The first `limit` rows of the tab's statement (every row when limit < 0).
std::size_t plainRead(PlainSqlite &plain, const DeclarationKind &kind, int limit = -1)
{
    sqlite3_stmt *st = plain.prepare(kind.tabQuery().statement(false, false).toStdString());
    const int bank = sqlite3_bind_parameter_index(st, ":BANK_CODE");
    if (bank > 0)
        sqlite3_bind_text(st, bank, BenchDatabase::BankCode, -1, SQLITE_STATIC);
    std::vector<PlainRow> rows;
    while ((limit < 0 || int(rows.size()) < limit) && sqlite3_step(st) == SQLITE_ROW) {
        PlainRow row;
        for (int c = 0; c < sqlite3_column_count(st); ++c) {
            if (sqlite3_column_type(st, c) == SQLITE_TEXT)
                row.texts.push_back(PlainSqlite::text(st, c));
            else
                row.numbers.push_back(sqlite3_column_double(st, c));
        }
        rows.push_back(std::move(row));
    }
    sqlite3_finalize(st);
    return rows.size();
}

QList<BenchFigure> runPeriods(BenchContext &context)
{
    QList<BenchFigure> figures;
    struct Case
    {
        const char *figure;
        MonthTabDescription description;
        DeclarationKind::Id kind;
        int monthRows;
    };
    const QList<Case> cases{
        {"all_periods_operating", OperatingDataTab::description(), DeclarationKind::B01, BenchDatabase::Accounts},
        {"all_periods_county", CountyDataTab::description(), DeclarationKind::B05, 22 * BenchDatabase::CountyAccounts},
    };
    for (const Case &c : cases) {
        PlainSqlite plain(context.databaseFile, "periods");
        if (!plain.ok())
            return figures;
        const QString name = QString::fromLatin1(c.figure);
        BenchFigure firstRows{QString(name).replace(QLatin1String("all_periods"), QLatin1String("first_rows"))};
        BenchFigure allRows{name};
        int shown = 0;
        int found = 0;
        {
            BenchTab bench;
            if (!bench.open(c.description, 0, 0, "periods"))
                return figures;
            const auto reset = [&] {
                bench.discard();
                bench.tab->dataset()->close();
                bench.period(0, 0);
            };
            firstRows.oursMemory = Bench::phase([&] {
                firstRows.oursMs = Bench::medianMs(3, [&] {
                    bench.tab->query();
                    QApplication::processEvents();   // the grid paints its first rows
                    shown = bench.tab->dataset()->fetchedCount();
                }, reset);
            });
            // Ends with the tab holding every row: its resident size is what they cost.
            allRows.oursMemory = Bench::phase([&] {
                allRows.oursMs = Bench::medianMs(3, [&] {
                    bench.tab->query();
                    QApplication::processEvents();
                    found = bench.tab->dataset()->recordCount();   // reads the rest
                }, reset);
            });
            std::printf("# %s: first %d rows shown, %d rows held, resident %.0f MB\n", c.figure, shown, found,
                        allRows.oursMemory->residentMb);
        }
        // The baseline in phases of its own, after the tab and its rows are gone.
        const DeclarationKind &kind = DeclarationKind::get(c.kind);
        firstRows.baselineMemory = Bench::phase(
            [&] { firstRows.baselineMs = Bench::medianMs(3, [&] { plainRead(plain, kind, shown); }); });
        std::size_t plainFound = 0;
        allRows.baselineMemory = Bench::phase(
            [&] { allRows.baselineMs = Bench::medianMs(3, [&] { plainFound = plainRead(plain, kind); }); });
        const int expected = c.monthRows * 12 * context.years;
        if (found != expected || int(plainFound) != expected)
            std::fprintf(stderr, "periods: %s found %d rows, plain %zu, expected %d\n", c.figure, found, plainFound,
                         expected);
        figures << firstRows << allRows;
    }
    return figures;
}

const BenchScenario::Registrar registrar({QStringLiteral("periods"), runPeriods});

} // namespace
