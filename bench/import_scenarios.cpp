// Scenario "import": a declaration file read into a month that is already
// stored, the user answering Yes, so the stored rows are deleted and the file's
// rows inserted in one transaction. Baseline: plain C++ and the sqlite3 C API
// doing the same work: the file read and every line and field checked (length,
// printable bytes, year and month against the name, codes, numbers, repeated
// keys), the look-up names read and each row's name found, then one write
// transaction: the stored rows of the month counted, read and packed as their
// history, deleted in one statement, the file's rows inserted and packed as
// theirs (the history packed in plain C++, as the program packs it).
#include "bench/bench.h"
#include "bench/bench_database.h"
#include "bench/plain_declaration.h"
#include "db/cached_dataset.h"
#include "db/database.h"
#include "db/declaration_kind.h"
#include "db/schema.h"
#include "db/update_applier.h"
#include "interchange/export_engine.h"
#include "interchange/import_engine.h"

#include <QDir>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QVariant>
#include <sqlite3.h>
#include <cstdio>
#include <string>
#include <unordered_map>
#include <vector>

namespace {

constexpr int Repeats = 9;
const Period Month{BenchDatabase::LastYear, 12};

struct Table
{
    const DeclarationKind *kind;
    QString countSql;     // the stored rows of the institution and month
    QString deleteSql;    // the month in one statement
};

// A fingerprint of the month: rows, amounts and serial numbers.
QString fingerprint(const QString &table)
{
    QSqlQuery q(QSqlDatabase::database(Database::connectionName()));
    const QString extra = table == u"MPBANK" ? QStringLiteral(", sum(SERIAL)") : QString();
    q.exec(QStringLiteral("select count(*), total(AMT)%1 from %2 where M_YEAR = %3 and M_MONTH = 12")
               .arg(extra, table).arg(Month.year));
    if (!q.next())
        return {};
    QStringList parts;
    for (int i = 0; i < (extra.isEmpty() ? 2 : 3); ++i)
        parts << q.value(i).toString();
    return parts.join(u'/');
}

// Operation ids of the baseline's own, below any the program gives.
constexpr long long BaselineIds = 1LL << 40;

// The packed rows of the last import of the program (else of the baseline).
QStringList historyOf(bool program)
{
    QSqlQuery q(QSqlDatabase::database(Database::connectionName()));
    q.exec(QStringLiteral("select ROWS_TEXT from %1 where OP_ID = (select max(OP_ID) from %1 where OP_ID %2 %3) "
                          "order by rowid")
               .arg(QLatin1String(Schema::ChangeRow), program ? QStringLiteral(">=") : QStringLiteral("<"))
               .arg(2 * BaselineIds));
    QStringList texts;
    while (q.next())
        texts << q.value(0).toString();
    return texts;
}

double baselineMs(const QString &databaseFile, const QString &file, const Table &t, QString *error)
{
    const PlainKind k = plainKind(*t.kind);
    const std::string path = file.toLocal8Bit().toStdString();
    const std::string bank = BenchDatabase::BankCode;
    sqlite3 *db = nullptr;
    if (sqlite3_open_v2(databaseFile.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        *error = QString::fromUtf8(sqlite3_errmsg(db));
        sqlite3_close(db);
        return -1;
    }
    sqlite3_busy_timeout(db, 5000);
    auto prepare = [&](const std::string &sql) {
        sqlite3_stmt *s = nullptr;
        sqlite3_prepare_v2(db, sql.c_str(), -1, &s, nullptr);
        return s;
    };
    // Operation ids of their own, above any the application gives, never repeated in a run.
    static long long opId = BaselineIds;
    bool ok = true;
    const double ms = Bench::medianMs(Repeats, [&] {
        std::vector<std::vector<PlainValue>> rows;
        std::vector<std::string> codes;
        std::string bytes;
        if (FILE *f = std::fopen(path.c_str(), "rb")) {
            char buffer[65536];
            for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, f)) > 0;)
                bytes.append(buffer, n);
            std::fclose(f);
        }
        ok = plainCheck(k, bytes, Month, &rows, &codes) && ok;
        // The names the rows show, each found by its code.
        std::vector<std::unordered_map<std::string, std::string>> lists(k.nameSql.size());
        for (size_t n = 0; n < k.nameSql.size(); ++n) {
            sqlite3_stmt *s = prepare(k.nameSql[n]);
            while (sqlite3_step(s) == SQLITE_ROW) {
                const std::string code = reinterpret_cast<const char *>(sqlite3_column_text(s, 0));
                lists[n][code] = code + "  " + reinterpret_cast<const char *>(sqlite3_column_text(s, 1));
            }
            sqlite3_finalize(s);
        }
        std::vector<std::string> shown;
        shown.reserve(codes.size());
        for (size_t i = 0; i < codes.size(); ++i) {
            const auto &list = lists[i % std::max<size_t>(1, lists.size())];
            const auto it = list.find(codes[i]);
            shown.push_back(it == list.end() ? std::string() : it->second);
        }

        ++opId;
        sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
        sqlite3_stmt *count = prepare(t.countSql.toStdString());
        sqlite3_stmt *del = prepare(t.deleteSql.toStdString());
        sqlite3_stmt *ins = prepare(k.insertSql);
        sqlite3_stmt *stored = prepare(k.storedRows);
        sqlite3_stmt *historyRows = prepare(k.historyRows);
        sqlite3_stmt *operation = prepare(k.historyOperation);
        // One packed row of the history: the lines and how many.
        std::string packed;
        auto writePacked = [&](int lines) {
            sqlite3_bind_int64(historyRows, 1, opId);
            sqlite3_bind_int(historyRows, 2, lines);
            sqlite3_bind_text(historyRows, 3, packed.data(), int(packed.size()), SQLITE_STATIC);
            const bool written = sqlite3_step(historyRows) == SQLITE_DONE;
            sqlite3_reset(historyRows);
            return written;
        };
        ok = ok && sqlite3_step(count) == SQLITE_ROW && sqlite3_column_int(count, 0) == int(rows.size());
        // The month's rows as they were, read and packed before they go.
        sqlite3_bind_text(stored, 1, bank.c_str(), -1, SQLITE_STATIC);
        sqlite3_bind_int(stored, 2, Month.year);
        sqlite3_bind_int(stored, 3, Month.month);
        int storedLines = 0;
        while (sqlite3_step(stored) == SQLITE_ROW) {
            plainPackLine(k, stored, true, packed);
            ++storedLines;
        }
        ok = ok && writePacked(storedLines);
        ok = ok && sqlite3_step(del) == SQLITE_DONE && sqlite3_changes(db) == int(rows.size());
        packed.clear();
        for (const std::vector<PlainValue> &row : rows) {
            for (size_t i = 0; i < row.size(); ++i) {
                const PlainValue &v = row[i];
                if (v.isInteger)
                    sqlite3_bind_int64(ins, int(i) + 1, v.integer);
                else if (v.number)
                    sqlite3_bind_double(ins, int(i) + 1, v.amount);
                else
                    sqlite3_bind_text(ins, int(i) + 1, v.text.data(), int(v.text.size()), SQLITE_STATIC);
            }
            ok = ok && sqlite3_step(ins) == SQLITE_DONE;
            sqlite3_reset(ins);
            plainPackLine(k, row, false, packed);
        }
        ok = ok && writePacked(int(rows.size()));
        sqlite3_bind_int64(operation, 1, opId);
        sqlite3_bind_text(operation, 2, t.kind->code().toStdString().c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(operation, 3, bank.c_str(), -1, SQLITE_STATIC);
        sqlite3_bind_int(operation, 4, Month.year);
        sqlite3_bind_int(operation, 5, Month.month);
        sqlite3_bind_int(operation, 6, int(rows.size()) * 2);
        ok = ok && sqlite3_step(operation) == SQLITE_DONE;
        for (sqlite3_stmt *s : {count, del, ins, stored, historyRows, operation})
            sqlite3_finalize(s);
        ok = ok && sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK;
        if (!ok)
            sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
    });
    if (!ok)
        *error = QString::fromUtf8(sqlite3_errmsg(db));
    sqlite3_close(db);
    return ok ? ms : -1;
}

QList<BenchFigure> runImport(BenchContext &context)
{
    QList<BenchFigure> figures;
    const QString folder = QDir(context.folder).filePath(QStringLiteral("import"));
    QDir().mkpath(folder);

    // The files of the month, written by the export.
    ExportEngine::Request request;
    request.period = Month;
    request.kinds = {&DeclarationKind::get(DeclarationKind::B05), &DeclarationKind::get(DeclarationKind::B01)};
    request.directory = folder;
    request.institutionCode = QString::fromLatin1(BenchDatabase::BankCode);
    request.confirmOverwrite = [](const QString &) { return true; };
    request.report = [](const ExportEngine::Message &) {};
    const ExportEngine::Result written = ExportEngine::run(request);

    const QString bank = QString::fromLatin1(BenchDatabase::BankCode);
    const QString month = QStringLiteral(" where BANK_CODE = '%1' and M_YEAR = %2 and M_MONTH = 12")
                              .arg(bank).arg(Month.year);
    const QList<Table> tables{
        {&DeclarationKind::get(DeclarationKind::B05), QStringLiteral("select count(*) from HMPBANK") + month,
         QStringLiteral("delete from HMPBANK") + month},
        {&DeclarationKind::get(DeclarationKind::B01), QStringLiteral("select count(*) from MPBANK") + month,
         QStringLiteral("delete from MPBANK") + month},
    };

    for (const Table &t : tables) {
        const auto w = written.of(*t.kind);
        if (w.outcome != ExportEngine::Outcome::Written) {
            std::fprintf(stderr, "import: the %s file was not written\n", qPrintable(t.kind->code()));
            continue;
        }
        const QString before = fingerprint(t.kind->table());

        CachedDataset target;   // the tab's dataset
        bool ok = true;
        QString detail;
        int runs = 0;
        const quint64 sentBefore = UpdateApplier::statementsSent();
        const double ours = Bench::medianMs(Repeats, [&] {
            ++runs;
            ImportEngine::Request r;
            r.file = w.entryPath;
            r.kind = t.kind;
            r.target = &target;
            r.confirmReplace = [] { return true; };
            const ImportEngine::Result result = ImportEngine::run(r);
            if (!result.ok() || !result.replaced || result.rowsRead != w.lines) {
                ok = false;
                detail = result.detail;
            }
        });
        QString error;
        const double baseline = baselineMs(context.databaseFile, w.entryPath, t, &error);
        if (!ok || baseline < 0) {
            std::fprintf(stderr, "import %s failed: %s\n", qPrintable(t.kind->code()),
                         qPrintable(ok ? error : detail));
            continue;
        }
        if (fingerprint(t.kind->table()) != before)
            std::fprintf(stderr, "import %s: the month is not as it was\n", qPrintable(t.kind->code()));
        if (historyOf(true) != historyOf(false))
            std::fprintf(stderr, "import %s: the baseline's history is not the program's\n",
                         qPrintable(t.kind->code()));
        std::printf("# import_%s_%d_lines: %llu statements of the save per import\n", qPrintable(t.kind->code()),
                    w.lines, (UpdateApplier::statementsSent() - sentBefore) / quint64(std::max(runs, 1)));
        figures.append({QStringLiteral("import_%1_%2_lines").arg(t.kind->code()).arg(w.lines), ours, baseline});
    }
    QDir(folder).removeRecursively();
    return figures;
}

const BenchScenario::Registrar registrar({QStringLiteral("import"), runImport});

} // namespace
