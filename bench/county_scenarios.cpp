#include "bench/bench.h"
#include "bench/bench_database.h"
#include "bench/bench_tab.h"
#include "bench/plain_check.h"
#include "bench/plain_sqlite.h"
#include "checks/county_check.h"
#include "checks/formula_set.h"
#include "db/cached_dataset.h"
#include "db/database.h"
#include "db/declaration_kind.h"
#include "db/update_applier.h"
#include "entry/county_data_tab.h"
#include "tests/support/fake_shell.h"
#include "ui/messages.h"
#include "ui/period_spin_edit.h"

#include <QApplication>

#include <sqlite3.h>

#include <cstdio>
#include <string>
#include <unordered_map>
#include <vector>

// The county data tab and the county check on the generated database (22
// counties x 100 county accounts a month for twenty years: 528,000 HMPBANK rows;
// 500 county formulas of 10 terms), driven through the real tab offscreen:
//   county_query       Query of one stored month (2,200 rows into the grid);
//   county_add         Add on an empty month: the period looked up for any
//                      institution, the month query, 2,200 zero rows in the cache;
//   county_save        Save of that month: 2,200 inserts in one transaction and
//                      the month read again;
//   county_add_save    both, as the user waits for them;
//   county_delete      Delete of the loaded month: the rows removed with the
//                      gauge, 2,200 keyed deletes in one transaction;
//   county_check       the county check of the loaded month: formulas and
//                      counties read, 22 x 500 formulas judged, missing accounts;
//   county_check_eval  the same with the formulas already read.
// Each beside the same work done with the sqlite3 C API (or plain C++ over an
// std::unordered_map) in the same run. The new month is removed again at the
// end, so the database is left as it was generated.
namespace {

using namespace BenchMonths;

struct PlainRow
{
    int year = 0;
    int month = 0;
    std::string bank;
    std::string county;
    std::string account;
    double amount = 0;
    std::string countyName;
    std::string accountName;
};

class Plain : public PlainSqlite
{
public:
    explicit Plain(const QString &file) : PlainSqlite(file, "county") {}

    // The tab's own statement for a whole month.
    std::vector<PlainRow> monthRows(int year, int month)
    {
        const PeriodQuery &query = DeclarationKind::get(DeclarationKind::B05).tabQuery();
        sqlite3_stmt *st = prepare(query.statement(true, true).toStdString());
        sqlite3_bind_int(st, sqlite3_bind_parameter_index(st, ":seYYY"), year);
        sqlite3_bind_int(st, sqlite3_bind_parameter_index(st, ":seMM"), month);
        std::vector<PlainRow> rows;
        while (sqlite3_step(st) == SQLITE_ROW) {
            rows.push_back({sqlite3_column_int(st, 1), sqlite3_column_int(st, 2), text(st, 0),
                            text(st, 3), text(st, 4), sqlite3_column_double(st, 5),
                            text(st, 6), text(st, 7)});
        }
        sqlite3_finalize(st);
        return rows;
    }

    bool periodExists(int year, int month)
    {
        sqlite3_stmt *st = prepare("select 1 from HMPBANK where M_YEAR = ? and M_MONTH = ? limit 1");
        sqlite3_bind_int(st, 1, year);
        sqlite3_bind_int(st, 2, month);
        const bool found = sqlite3_step(st) == SQLITE_ROW;
        sqlite3_finalize(st);
        return found;
    }

    // Code and display text of a list, in the order of its statement.
    std::vector<std::pair<std::string, std::string>> list(const char *sql)
    {
        sqlite3_stmt *st = prepare(sql);
        std::vector<std::pair<std::string, std::string>> out;
        while (sqlite3_step(st) == SQLITE_ROW)
            out.emplace_back(text(st, 0), text(st, 1));
        sqlite3_finalize(st);
        return out;
    }

    // Add on an empty month: the look-up, the month query and the rows built.
    std::vector<PlainRow> newMonth(int year, int month)
    {
        std::vector<PlainRow> rows;
        if (periodExists(year, month) || !monthRows(year, month).empty())
            return rows;
        const auto counties = list("select HSIEN_ID, HSIEN_ID || ' ' || HSIEN_NAME from CD01 order by rowid");
        const auto accounts = list("select ACC_CODE, ACC_CODE || '  ' || ACC_NAME from HCACNO order by ACC_CODE");
        rows.reserve(counties.size() * accounts.size());
        for (const auto &[county, countyName] : counties) {
            for (const auto &[account, accountName] : accounts)
                rows.push_back({year, month, BenchDatabase::BankCode, county, account, 0.0, countyName, accountName});
        }
        return rows;
    }

    void insertRows(const std::vector<PlainRow> &rows)
    {
        writeRows("insert into HMPBANK (M_YEAR, M_MONTH, BANK_CODE, HSIEN_ID, ACC_CODE, AMT) "
                  "values (?, ?, ?, ?, ?, ?)", rows);
    }

    void deleteRows(const std::vector<PlainRow> &rows)
    {
        writeRows("delete from HMPBANK where M_YEAR = ? and M_MONTH = ? and BANK_CODE = ? "
                  "and HSIEN_ID = ? and ACC_CODE = ?", rows);
    }

    void removeNewMonth()
    {
        exec("delete from HMPBANK where M_YEAR = " + std::to_string(NewYear) + " and M_MONTH = "
             + std::to_string(NewMonth));
    }

private:
    // One statement per row in one transaction: the key, then the amount when
    // the statement takes one.
    void writeRows(const char *sql, const std::vector<PlainRow> &rows)
    {
        exec("begin");
        sqlite3_stmt *st = prepare(sql);
        const bool amount = sqlite3_bind_parameter_count(st) > 5;
        for (const PlainRow &r : rows) {
            sqlite3_bind_int(st, 1, r.year);
            sqlite3_bind_int(st, 2, r.month);
            sqlite3_bind_text(st, 3, r.bank.c_str(), -1, SQLITE_STATIC);
            sqlite3_bind_text(st, 4, r.county.c_str(), -1, SQLITE_STATIC);
            sqlite3_bind_text(st, 5, r.account.c_str(), -1, SQLITE_STATIC);
            if (amount)
                sqlite3_bind_double(st, 6, r.amount);
            sqlite3_step(st);
            sqlite3_reset(st);
        }
        sqlite3_finalize(st);
        exec("commit");
    }
};

// The plain county check over rows in memory: a map per county, every county
// (code, two blanks, name) judged on the formulas and the accounts given.
std::vector<std::string> plainCountyCheck(const std::vector<PlainRow> &rows, int year, int month,
                                          const std::vector<PlainCheck::Formula> &formulas,
                                          const std::vector<std::string> &accounts,
                                          const std::vector<std::pair<std::string, std::string>> &counties)
{
    std::unordered_map<std::string, PlainCheck::Amounts> byCounty;
    for (const PlainRow &r : rows) {
        if (r.year == year && r.month == month)
            byCounty[r.county].emplace(r.account, PlainCheck::raw(r.amount));
    }
    std::vector<std::string> out;
    const PlainCheck::Amounts none;
    for (const auto &[county, name] : counties) {
        const auto it = byCounty.find(county);
        PlainCheck::check(out, formulas, accounts, it == byCounty.end() ? none : it->second,
                          name + "資料有誤   ");
    }
    return out;
}

// The counties as the check names them, read with a plain query.
std::vector<std::pair<std::string, std::string>> plainCounties(QSqlDatabase db)
{
    return PlainCheck::readPairs(db, QStringLiteral("select HSIEN_ID, HSIEN_ID || '  ' || HSIEN_NAME from CD01 "
                                                    "order by HSIEN_ID"));
}

// The same with the formulas, the accounts and the counties read with plain queries.
std::vector<std::string> plainCountyCheck(const std::vector<PlainRow> &rows, int year, int month)
{
    QSqlDatabase db = Database::connection();
    return plainCountyCheck(
        rows, year, month,
        PlainCheck::read(db, QStringLiteral("HRuleNo1"), QStringLiteral("HRuleNo2"), QStringLiteral("HCACNO")),
        PlainCheck::readAccounts(db, QStringLiteral("HCACNO"), QStringLiteral("ACC_CODE")), plainCounties(db));
}

QList<BenchFigure> runCounty(BenchContext &context)
{
    QList<BenchFigure> figures;
    BenchTab bench;
    if (!bench.open(CountyDataTab::description(), QueryYear, QueryMonth, "county"))
        return figures;
    MonthTab &tab = *bench.tab;
    Plain plain(context.databaseFile);
    if (!plain.ok())
        return figures;
    const int monthRows = 22 * BenchDatabase::CountyAccounts;

    auto report = [](bool ok, const char *what, int found) {
        if (!ok)
            std::fprintf(stderr, "county: %s: %d rows\n", what, found);
    };

    // county_query
    {
        std::size_t plainCount = 0;
        const double ours = Bench::medianMs(9, [&] { tab.query(); }, [&] {
            bench.discard();
            bench.period(QueryYear, QueryMonth);
        });
        const double base = Bench::medianMs(9, [&] { plainCount = plain.monthRows(QueryYear, QueryMonth).size(); });
        report(tab.dataset()->recordCount() == monthRows && int(plainCount) == monthRows, "county_query",
               tab.dataset()->recordCount());
        figures.append({QStringLiteral("county_query"), ours, base});
    }

    // county_add, county_save, county_add_save
    {
        plain.removeNewMonth();
        auto newMonth = [&] {
            bench.discard();
            plain.removeNewMonth();
            bench.period(NewYear, NewMonth);
        };
        const double add = Bench::medianMs(7, [&] { tab.add(); }, newMonth);
        report(tab.dataset()->recordCount() == monthRows && bench.shell.editMode() == EditMode::Add, "county_add",
               tab.dataset()->recordCount());
        std::vector<PlainRow> rows;
        const double addBase = Bench::medianMs(7, [&] { rows = plain.newMonth(NewYear, NewMonth); });
        report(int(rows.size()) == monthRows, "county_add plain", int(rows.size()));
        figures.append({QStringLiteral("county_add"), add, addBase});

        bool saved = true;
        int saves = 0;
        const quint64 sentBefore = UpdateApplier::statementsSent();
        const double save = Bench::medianMs(5, [&] { saved = tab.save() && saved; ++saves; }, [&] {
            newMonth();
            tab.add();
        });
        report(saved && tab.dataset()->recordCount() == monthRows, "county_save", tab.dataset()->recordCount());
        std::printf("# county_save: %llu statements per save\n",
                    (UpdateApplier::statementsSent() - sentBefore) / quint64(std::max(saves, 1)));
        // The plain save: the inserts in one transaction, then the month read again.
        const double saveBase = Bench::medianMs(5, [&] {
            plain.insertRows(rows);
            plain.monthRows(NewYear, NewMonth);
        }, [&] { plain.removeNewMonth(); });
        figures.append({QStringLiteral("county_save"), save, saveBase});

        const double both = Bench::medianMs(5, [&] {
            tab.add();
            saved = tab.save() && saved;
        }, newMonth);
        const double bothBase = Bench::medianMs(5, [&] {
            plain.insertRows(plain.newMonth(NewYear, NewMonth));
            plain.monthRows(NewYear, NewMonth);
        }, [&] { plain.removeNewMonth(); });
        report(saved, "county_add_save", tab.dataset()->recordCount());
        figures.append({QStringLiteral("county_add_save"), both, bothBase});
    }

    // county_delete
    {
        bench.discard();
        plain.removeNewMonth();
        const std::vector<PlainRow> rows = plain.newMonth(NewYear, NewMonth);
        auto storedMonth = [&] {
            bench.discard();
            plain.removeNewMonth();
            plain.insertRows(rows);
            bench.period(NewYear, NewMonth);
            tab.query();
        };
        const double ours = Bench::medianMs(5, [&] { tab.deleteMonth(); }, storedMonth);
        if (!bench.messages.said(QStringLiteral("刪除成功!!!")))
            std::fprintf(stderr, "county: delete did not succeed: %s\n", qPrintable(bench.messages.lastText()));
        std::vector<PlainRow> loaded;
        const double base = Bench::medianMs(5, [&] { plain.deleteRows(loaded); }, [&] {
            plain.removeNewMonth();
            plain.insertRows(rows);
            loaded = plain.monthRows(NewYear, NewMonth);
        });
        figures.append({QStringLiteral("county_delete"), ours, base});
    }

    // county_check, county_check_eval
    {
        bench.discard();
        bench.period(QueryYear, QueryMonth);
        tab.query();
        const std::vector<PlainRow> rows = plain.monthRows(QueryYear, QueryMonth);
        qsizetype found = 0;
        std::size_t plainFound = 0;
        const double ours = Bench::medianMs(9, [&] {
            CountyCheck check;
            check.prepare(*tab.dataset(), QueryYear, QueryMonth);
            check.evaluate();
            found = check.rows().size();
        });
        const double base = Bench::medianMs(9, [&] { plainFound = plainCountyCheck(rows, QueryYear, QueryMonth).size(); });
        figures.append({QStringLiteral("county_check"), ours, base});

        FormulaSet set;
        QList<CountyCheck::County> counties;
        QString error;
        set.load(FormulaTables::county(), &error);
        CountyCheck::readCounties(QString::fromLatin1(Database::ConnectionName), &counties, &error);
        const auto plainFormulas = PlainCheck::fromSet(set);
        std::vector<std::string> plainAccounts;
        for (const FormulaAccount &a : set.accounts())
            plainAccounts.push_back(a.code.toStdString());
        const auto countiesRead = plainCounties(Database::connection());
        const double eval = Bench::medianMs(9, [&] {
            const CountyAmounts amounts = CountyAmounts::fromRows(*tab.dataset(), QueryYear, QueryMonth);
            found = CountyCheck::evaluate(set, counties, amounts).size();
        });
        const double evalBase = Bench::medianMs(9, [&] {
            plainFound = plainCountyCheck(rows, QueryYear, QueryMonth, plainFormulas, plainAccounts, countiesRead).size();
        });
        figures.append({QStringLiteral("county_check_eval"), eval, evalBase});
        std::fprintf(stderr, "# county: %d formulas x %d counties, %lld result rows (plain loop %zu lines)\n",
                     int(set.formulas().size()), int(counties.size()), static_cast<long long>(found), plainFound);
    }

    bench.discard();
    plain.removeNewMonth();
    if (!plain.monthRows(NewYear, NewMonth).empty())
        std::fprintf(stderr, "county: the month %d/%d was not removed again\n", NewYear, NewMonth);
    return figures;
}

const BenchScenario::Registrar registrar({QStringLiteral("county"), runCounty});

} // namespace
