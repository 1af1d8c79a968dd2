// Scenario "import": a declaration file read into a month that is already
// stored, the user answering Yes, so the stored rows are deleted and the file's
// rows inserted in one transaction. Baseline: plain C++ and the sqlite3 C API
// doing the same work: the file read and every line and field checked (length,
// printable bytes, year and month against the name, codes, numbers, repeated
// keys), the look-up names read and each row's name found, then one write
// transaction: the stored rows of the month counted, their history written,
// deleted in one statement, the file's rows inserted and their history written.
#include "bench/bench.h"
#include "bench/bench_database.h"
#include "db/cached_dataset.h"
#include "db/change_values.h"
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
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <unordered_map>
#include <unordered_set>
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

// A field of the kind as the plain reading takes it.
struct PlainField
{
    std::string name;
    int offset = 0;
    int width = 0;
    DeclarationField::Rendering rendering;
    int factor = 1;
    bool accountFactor = false;
    bool key = false;
};

// One line's values as bound to the insert.
struct PlainValue
{
    bool number = false;
    long long integer = 0;
    double amount = 0;
    std::string text;
    bool isInteger = false;
};

// The kind, the statements and the look-ups, prepared before timing.
struct PlainKind
{
    std::vector<PlainField> fields;
    int recordLength = 0;
    int bankField = 2;
    bool storesLineNumber = false;
    bool firstLineWins = false;
    std::string insertSql;
    std::vector<std::string> nameSql;        // one per name list the rows show
    std::vector<int> nameCodeField;          // the field each is looked up by
    std::string historyOld;                  // insert-select of the rows deleted
    std::string historyNew;                  // insert-select of the rows inserted
    std::string historyOperation;
};

PlainKind plainKind(const DeclarationKind &kind)
{
    PlainKind p;
    const DeclarationImport &rule = kind.importRule();
    std::string columns;
    std::string marks;
    for (const DeclarationField &f : kind.fields()) {
        PlainField pf{f.name.toStdString(), f.offset, f.width, f.rendering, f.factor, f.accountFactor,
                      rule.keyFields.contains(f.name)};
        if (f.name == u"BANK_CODE")
            p.bankField = int(p.fields.size());
        p.fields.push_back(pf);
        columns += (columns.empty() ? "" : ", ") + pf.name;
        marks += marks.empty() ? "?" : ", ?";
    }
    p.recordLength = kind.recordLength();
    p.firstLineWins = rule.repeats == DeclarationImport::Repeats::FirstLineWins;
    for (const AddedField &a : rule.addedFields) {
        if (a.source == AddedField::Source::LineNumber) {
            p.storesLineNumber = true;
            columns += ", " + a.field.toStdString();
            marks += ", ?";
        } else if (a.source == AddedField::Source::ReferenceName) {
            const char *sql = "select ACC_CODE, ACC_NAME from CACNO";
            switch (a.names) {
            case NameList::Accounts: break;
            case NameList::Institutions: sql = "select BANK_NO, BANK_NAME from BN01"; break;
            case NameList::Counties: sql = "select HSIEN_ID, HSIEN_NAME from CD01"; break;
            case NameList::CountyAccounts: sql = "select ACC_CODE, ACC_NAME from HCACNO"; break;
            }
            p.nameSql.push_back(sql);
            for (size_t i = 0; i < p.fields.size(); ++i) {
                if (p.fields[i].name == a.codeField.toStdString())
                    p.nameCodeField.push_back(int(i));
            }
        }
    }
    const std::string table = kind.table().toStdString();
    p.insertSql = "insert into " + table + " (" + columns + ") values (" + marks + ")";
    const TableDef *def = Schema::table(kind.table());
    const std::string select = "select ?1, " + ChangeValues::keySql(*def, kind.table()).toStdString() + ", "
        + ChangeValues::valuesSql(*def, kind.table()).toStdString() + " from " + table
        + " where BANK_CODE = ?2 and M_YEAR = ?3 and M_MONTH = ?4";
    p.historyOld = std::string("insert into ") + Schema::ChangeRow + " (OP_ID, ROW_KEY, OLD_VALUES) " + select;
    p.historyNew = std::string("insert into ") + Schema::ChangeRow + " (OP_ID, ROW_KEY, NEW_VALUES) " + select;
    p.historyOperation = std::string("insert into ") + Schema::ChangeLog
        + " (OP_ID, DONE_AT, DONE_BY, OPERATION, KIND, BANK_CODE, M_YEAR, M_MONTH, ROWS_CHANGED)"
          " values (?, datetime('now'), 'bench', 'I', ?, ?, ?, ?, ?)";
    return p;
}

bool digitsOnly(const char *s, int n, long long *value)
{
    long long v = 0;
    for (int i = 0; i < n; ++i) {
        if (s[i] < '0' || s[i] > '9')
            return false;
        v = v * 10 + (s[i] - '0');
    }
    *value = v;
    return n > 0;
}

// Zeros, an optional "-", digits with at most one point: the value divided by
// the factor and rounded to four decimals.
bool plainNumber(const char *s, int n, int factor, double *value)
{
    int i = 0;
    bool negative = false;
    const char *minus = static_cast<const char *>(std::memchr(s, '-', size_t(n)));
    if (minus) {
        for (; s + i < minus; ++i) {
            if (s[i] != '0')
                return false;
        }
        negative = true;
        ++i;
    }
    long long whole = 0;
    long long fraction = 0;
    int fractionDigits = 0;
    bool point = false;
    int digits = 0;
    for (; i < n; ++i) {
        const char c = s[i];
        if (c >= '0' && c <= '9') {
            ++digits;
            if (point && fractionDigits < 8) {
                fraction = fraction * 10 + (c - '0');
                ++fractionDigits;
            } else if (!point) {
                whole = whole * 10 + (c - '0');
            }
        } else if (c == '.' && !point) {
            point = true;
        } else {
            return false;
        }
    }
    if (digits == 0)
        return false;
    const double exact = double(whole) + double(fraction) / std::pow(10.0, fractionDigits);
    const double v = std::nearbyint(exact / factor * 10000.0) / 10000.0;
    *value = negative ? -v : v;
    return true;
}

// Reads and checks the file as the import does; false on any refused line.
bool plainRead(const PlainKind &k, const std::string &path, std::vector<std::vector<PlainValue>> *rows,
               std::vector<std::string> *names)
{
    FILE *f = std::fopen(path.c_str(), "rb");
    if (!f)
        return false;
    std::string bytes;
    char buffer[65536];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, f)) > 0;)
        bytes.append(buffer, n);
    std::fclose(f);
    std::unordered_set<std::string> seen;
    std::string key;
    int lineNo = 0;
    for (size_t at = 0; at < bytes.size();) {
        size_t end = bytes.find('\n', at);
        if (end == std::string::npos)
            end = bytes.size();
        const char *line = bytes.data() + at;
        int length = int(end - at);
        at = end + 1;
        ++lineNo;
        if (length > 0 && line[length - 1] == '\r')
            --length;
        for (int i = 0; i < length; ++i) {
            if (line[i] < 0x20 || line[i] > 0x7e)
                return false;
        }
        const PlainField &bank = k.fields[size_t(k.bankField)];
        if (length >= bank.offset + bank.width
            && std::string_view(line + bank.offset, size_t(bank.width)).find_first_not_of(' ') == std::string::npos)
            continue;
        if (length != k.recordLength)
            return false;
        std::vector<PlainValue> values(k.fields.size() + (k.storesLineNumber ? 1 : 0));
        key.clear();
        bool thousands = false;
        for (size_t i = 0; i < k.fields.size(); ++i) {
            const PlainField &pf = k.fields[i];
            const char *text = line + pf.offset;
            PlainValue &v = values[i];
            using R = DeclarationField::Rendering;
            if (pf.rendering == R::Year || pf.rendering == R::Month) {
                const long long max = pf.rendering == R::Year ? 999 : 12;
                if (!digitsOnly(text, pf.width, &v.integer) || v.integer < 1 || v.integer > max)
                    return false;
                if (v.integer != (pf.rendering == R::Year ? Month.year : Month.month))
                    return false;
                v.isInteger = true;
            } else if (pf.rendering == R::Number) {
                v.number = true;
                if (!plainNumber(text, pf.width, pf.accountFactor && thousands ? 1000 : pf.factor, &v.amount))
                    return false;
            } else {
                int n = pf.width;
                if (pf.rendering != R::AccountCode) {
                    while (n > 0 && text[n - 1] == ' ')
                        --n;
                }
                if (n == 0 || std::memchr(text, ' ', size_t(n)))
                    return false;
                if (pf.rendering == R::InstitutionCode && n >= 7 && std::memcmp(text + 3, "0000", 4) == 0)
                    n = 3;
                v.text.assign(text, size_t(n));
                if (pf.rendering == R::AccountCode)
                    thousands = n >= 5 && text[4] == 'p';
            }
            if (pf.key) {
                key += v.isInteger ? std::to_string(v.integer) : v.text;
                key += '\x1f';
            }
        }
        if (!seen.insert(key).second) {
            if (k.firstLineWins)
                continue;
            return false;
        }
        if (k.storesLineNumber) {
            values.back().isInteger = true;
            values.back().integer = lineNo;
        }
        for (size_t n = 0; n < k.nameCodeField.size(); ++n)
            names->push_back(values[size_t(k.nameCodeField[n])].text);
        rows->push_back(std::move(values));
    }
    return true;
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
    static long long opId = 1LL << 40;
    bool ok = true;
    const double ms = Bench::medianMs(Repeats, [&] {
        std::vector<std::vector<PlainValue>> rows;
        std::vector<std::string> codes;
        ok = plainRead(k, path, &rows, &codes) && ok;
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
        sqlite3_stmt *historyOld = prepare(k.historyOld);
        sqlite3_stmt *historyNew = prepare(k.historyNew);
        sqlite3_stmt *operation = prepare(k.historyOperation);
        auto bindMonth = [&](sqlite3_stmt *s) {
            sqlite3_bind_int64(s, 1, opId);
            sqlite3_bind_text(s, 2, bank.c_str(), -1, SQLITE_STATIC);
            sqlite3_bind_int(s, 3, Month.year);
            sqlite3_bind_int(s, 4, Month.month);
        };
        bindMonth(historyOld);
        bindMonth(historyNew);
        ok = ok && sqlite3_step(count) == SQLITE_ROW && sqlite3_column_int(count, 0) == int(rows.size());
        ok = ok && sqlite3_step(historyOld) == SQLITE_DONE;
        ok = ok && sqlite3_step(del) == SQLITE_DONE && sqlite3_changes(db) == int(rows.size());
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
        }
        ok = ok && sqlite3_step(historyNew) == SQLITE_DONE;
        sqlite3_bind_int64(operation, 1, opId);
        sqlite3_bind_text(operation, 2, t.kind->code().toStdString().c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(operation, 3, bank.c_str(), -1, SQLITE_STATIC);
        sqlite3_bind_int(operation, 4, Month.year);
        sqlite3_bind_int(operation, 5, Month.month);
        sqlite3_bind_int(operation, 6, int(rows.size()) * 2);
        ok = ok && sqlite3_step(operation) == SQLITE_DONE;
        for (sqlite3_stmt *s : {count, del, ins, historyOld, historyNew, operation})
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
        std::printf("# import_%s_%d_lines: %llu statements of the save per import\n", qPrintable(t.kind->code()),
                    w.lines, (UpdateApplier::statementsSent() - sentBefore) / quint64(std::max(runs, 1)));
        figures.append({QStringLiteral("import_%1_%2_lines").arg(t.kind->code()).arg(w.lines), ours, baseline});
    }
    QDir(folder).removeRecursively();
    return figures;
}

const BenchScenario::Registrar registrar({QStringLiteral("import"), runImport});

} // namespace
