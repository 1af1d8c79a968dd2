#include "ui/messages.h"
#include "tests/support/fake_shell.h"
#include "bench/bench.h"
#include "bench/bench_database.h"
#include "bench/bench_tab.h"
#include "bench/plain_sqlite.h"
#include "db/cached_dataset.h"
#include "db/database.h"
#include "db/table_cursor.h"
#include "db/declaration_kind.h"
#include "db/update_applier.h"
#include "entry/operating_data_tab.h"
#include "ui/period_spin_edit.h"

#include <QApplication>

#include <sqlite3.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

// The operating data tab on the generated database (500 accounts, 120,000 MPBANK
// rows), driven through the real tab offscreen as a user would press its buttons:
//   month_query   Query of one stored month (500 rows into the grid);
//   add_month     Add on an empty month: the month query finds nothing and one
//                 zero row per account is created in the cache;
//   save_month    Save of that new month: 500 inserts in one transaction;
//   delete_month  Delete of a stored month: the month query, the rows removed one
//                 by one with the gauge, 500 keyed deletes in one transaction.
// Each beside the same work done with the sqlite3 C API on its own connection to
// the same file. The month 115/1 used by the last three is removed again at the
// end, so the database is left as it was generated.
namespace {

using namespace BenchMonths;

struct PlainRow
{
    int year = 0;
    int month = 0;
    std::string bank;
    std::string account;
    int serial = 0;
    std::string name;
    double amount = 0;
};

class Plain : public PlainSqlite
{
public:
    explicit Plain(const QString &file) : PlainSqlite(file, "entry") {}

    std::vector<PlainRow> monthRows(const std::string &bank, int year, int month)
    {
        sqlite3_stmt *st = prepare(
            DeclarationKind::get(DeclarationKind::B01).tabQuery().statement(true, true).toStdString());
        sqlite3_bind_text(st, sqlite3_bind_parameter_index(st, ":BANK_CODE"), bank.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_int(st, sqlite3_bind_parameter_index(st, ":seYYY"), year);
        sqlite3_bind_int(st, sqlite3_bind_parameter_index(st, ":seMM"), month);
        std::vector<PlainRow> rows;
        while (sqlite3_step(st) == SQLITE_ROW) {
            rows.push_back({sqlite3_column_int(st, 0), sqlite3_column_int(st, 1), text(st, 2),
                            text(st, 3), sqlite3_column_int(st, 4), text(st, 5),
                            sqlite3_column_double(st, 6)});
        }
        sqlite3_finalize(st);
        return rows;
    }

    std::vector<std::pair<std::string, std::string>> accounts()
    {
        sqlite3_stmt *st = prepare("select ACC_CODE, ACC_CODE || '  ' || ACC_NAME from CACNO order by rowid");
        std::vector<std::pair<std::string, std::string>> list;
        while (sqlite3_step(st) == SQLITE_ROW)
            list.emplace_back(text(st, 0), text(st, 1));
        sqlite3_finalize(st);
        return list;
    }

    void insertRows(const std::vector<PlainRow> &rows)
    {
        exec("begin");
        sqlite3_stmt *st = prepare("insert into MPBANK (M_YEAR, M_MONTH, BANK_CODE, ACC_CODE, AMT, SERIAL) "
                                   "values (?, ?, ?, ?, ?, ?)");
        for (const PlainRow &r : rows) {
            sqlite3_bind_int(st, 1, r.year);
            sqlite3_bind_int(st, 2, r.month);
            sqlite3_bind_text(st, 3, r.bank.c_str(), -1, SQLITE_STATIC);
            sqlite3_bind_text(st, 4, r.account.c_str(), -1, SQLITE_STATIC);
            sqlite3_bind_double(st, 5, r.amount);
            sqlite3_bind_int(st, 6, r.serial);
            sqlite3_step(st);
            sqlite3_reset(st);
        }
        sqlite3_finalize(st);
        exec("commit");
    }

    void deleteRows(const std::vector<PlainRow> &rows)
    {
        exec("begin");
        sqlite3_stmt *st = prepare("delete from MPBANK where M_YEAR = ? and M_MONTH = ? and BANK_CODE = ? "
                                   "and ACC_CODE = ?");
        for (const PlainRow &r : rows) {
            sqlite3_bind_int(st, 1, r.year);
            sqlite3_bind_int(st, 2, r.month);
            sqlite3_bind_text(st, 3, r.bank.c_str(), -1, SQLITE_STATIC);
            sqlite3_bind_text(st, 4, r.account.c_str(), -1, SQLITE_STATIC);
            sqlite3_step(st);
            sqlite3_reset(st);
        }
        sqlite3_finalize(st);
        exec("commit");
    }

    void removeNewMonth()
    {
        exec("delete from MPBANK where M_YEAR = " + std::to_string(NewYear) + " and M_MONTH = "
             + std::to_string(NewMonth));
    }
};

std::vector<PlainRow> newMonthRows(const std::vector<std::pair<std::string, std::string>> &accounts,
                                   const std::string &bank)
{
    std::vector<PlainRow> rows;
    rows.reserve(accounts.size());
    int serial = 0;
    for (const auto &[code, name] : accounts)
        rows.push_back({NewYear, NewMonth, bank, code, ++serial, name, 0.0});
    return rows;
}

QList<BenchFigure> runEntry(BenchContext &context)
{
    QList<BenchFigure> figures;
    BenchTab bench;
    if (!bench.open(OperatingDataTab::description(), QueryYear, QueryMonth, "entry"))
        return figures;
    MonthTab &tab = *bench.tab;
    FakeShell &shell = bench.shell;
    ScriptedMessages &messages = bench.messages;
    auto discard = [&] { bench.discard(); };
    auto period = [&](int year, int month) { bench.period(year, month); };
    Plain plain(context.databaseFile);
    if (!plain.ok())
        return figures;
    const std::string bank = BenchDatabase::BankCode;
    const auto accounts = plain.accounts();

    // month_query
    {
        std::size_t plainCount = 0;
        const double ours = Bench::medianMs(9, [&] { tab.query(); }, [&] {
            discard();
            period(QueryYear, QueryMonth);
        });
        const double base = Bench::medianMs(9, [&] { plainCount = plain.monthRows(bank, QueryYear, QueryMonth).size(); });
        if (tab.dataset()->recordCount() != int(plainCount) || plainCount != std::size_t(BenchDatabase::Accounts))
            std::fprintf(stderr, "entry: month_query found %d rows, plain %zu\n", tab.dataset()->recordCount(), plainCount);
        figures.append({QStringLiteral("month_query"), ours, base});
    }

    // add_month
    {
        plain.removeNewMonth();
        std::size_t plainCount = 0;
        const double ours = Bench::medianMs(7, [&] { tab.add(); }, [&] {
            discard();
            period(NewYear, NewMonth);
        });
        if (tab.dataset()->recordCount() != BenchDatabase::Accounts || shell.editMode() != EditMode::Add)
            std::fprintf(stderr, "entry: add_month created %d rows\n", tab.dataset()->recordCount());
        const double base = Bench::medianMs(7, [&] {
            const auto existing = plain.monthRows(bank, NewYear, NewMonth);
            if (existing.empty())
                plainCount = newMonthRows(accounts, bank).size();
        });
        if (plainCount != accounts.size())
            std::fprintf(stderr, "entry: add_month plain created %zu rows\n", plainCount);
        figures.append({QStringLiteral("add_month"), ours, base});
    }

    // save_month
    {
        bool saved = true;
        int saves = 0;
        const quint64 sentBefore = UpdateApplier::statementsSent();
        const double ours = Bench::medianMs(5, [&] { saved = tab.save() && saved; ++saves; }, [&] {
            discard();
            plain.removeNewMonth();
            period(NewYear, NewMonth);
            tab.add();
        });
        if (!saved)
            std::fprintf(stderr, "entry: save_month failed: %s\n", qPrintable(messages.lastText()));
        std::printf("# save_month: %llu statements per save\n",
                    (UpdateApplier::statementsSent() - sentBefore) / quint64(std::max(saves, 1)));
        const auto rows = newMonthRows(accounts, bank);
        const double base = Bench::medianMs(5, [&] { plain.insertRows(rows); }, [&] { plain.removeNewMonth(); });
        figures.append({QStringLiteral("save_month"), ours, base});
    }

    // delete_month
    {
        const auto rows = newMonthRows(accounts, bank);
        const double ours = Bench::medianMs(5, [&] { tab.deleteMonth(); }, [&] {
            discard();
            plain.removeNewMonth();
            plain.insertRows(rows);
            period(NewYear, NewMonth);
        });
        if (!messages.said(QStringLiteral("刪除成功!!!")))
            std::fprintf(stderr, "entry: delete_month did not succeed: %s\n", qPrintable(messages.lastText()));
        const double base = Bench::medianMs(5, [&] { plain.deleteRows(plain.monthRows(bank, NewYear, NewMonth)); },
                                            [&] {
                                                plain.removeNewMonth();
                                                plain.insertRows(rows);
                                            });
        figures.append({QStringLiteral("delete_month"), ours, base});
    }

    discard();
    plain.removeNewMonth();
    if (!plain.monthRows(bank, NewYear, NewMonth).empty())
        std::fprintf(stderr, "entry: the month %d/%d was not removed again\n", NewYear, NewMonth);
    return figures;
}

const BenchScenario::Registrar registrar({QStringLiteral("entry"), runEntry});

} // namespace
