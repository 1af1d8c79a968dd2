#include "bench/bench.h"
#include "bench/bench_database.h"
#include "bench/plain_declaration.h"
#include "db/declaration_kind.h"
#include "interchange/export_engine.h"

#include "db/schema.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <fcntl.h>
#include <sqlite3.h>
#include <unistd.h>
#include <dirent.h>
#include <strings.h>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

// The export of one month on the generated database:
//   export_b05  the county data of 114/12 (22 counties x 100 accounts, 2,200 lines);
//   export_b01  the operating data of 114/12 (500 accounts, 500 lines, out of
//               120,000 stored rows).
//   export_b01_b05  both in one run, as the export window writes several kinds.
// Ours is the whole ExportEngine run (query, rendering through Decimal4, the file
// written to a temporary name, synced, read back and renamed, the folder synced).
// The baseline reads the same rows with the plain SQLite C API, formats the same
// lines with snprintf, writes them to a temporary, syncs it, reads it back and
// compares it, reads every line back as the import would and compares each
// field with the row it came from, takes its SHA-256, adds the file's record to the export log in a
// write transaction, renames it, commits, and syncs the folder once after its
// files; both files are compared byte for byte. As ours, it reads the file back
// from the medium, not from the system's cache (a disk that did not keep what
// it was given shows it), and it tidies the folder as a user needs it: once a
// run the temporaries a killed export left, for each file the .TXT and .SCH an
// interrupted import left beside it.
namespace {

constexpr int Repeats = 21;

// The shortest decimal text of value * factor with at most four decimals,
// left-padded with '0' to the width.
std::string plainNumber(double value, int factor, int width)
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.4f", value * factor);
    std::string text = buffer;
    while (!text.empty() && text.back() == '0')
        text.pop_back();
    if (!text.empty() && text.back() == '.')
        text.pop_back();
    if (text == "-0")
        text = "0";
    if (int(text.size()) < width)
        text.insert(0, size_t(width - int(text.size())), '0');
    return text;
}

std::string plainCode(const unsigned char *code)
{
    std::string text = code ? reinterpret_cast<const char *>(code) : "";
    if (text.size() < 7)
        text.append(7 - text.size(), '0');
    return text;
}

std::string plainAccount(const unsigned char *code)
{
    std::string text = code ? reinterpret_cast<const char *>(code) : "";
    if (text.size() < 5)
        text.insert(0, 5 - text.size(), '0');
    return text;
}

bool syncFolder(const std::string &folder)
{
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd < 0)
        return false;
    const bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}

// One look at the folder: removes the names `remove` picks.
template<typename Pick>
void plainTidy(const std::string &folder, Pick remove)
{
    DIR *dir = ::opendir(folder.c_str());
    if (!dir)
        return;
    while (const dirent *entry = ::readdir(dir)) {
        if (remove(std::string_view(entry->d_name)))
            ::unlink((folder + '/' + entry->d_name).c_str());
    }
    ::closedir(dir);
}

// The temporaries a killed run left.
void plainRemoveStale(const std::string &folder)
{
    plainTidy(folder, [](std::string_view name) {
        constexpr std::string_view suffix = ".velq8-part";
        return name.size() > suffix.size() && strncasecmp(name.data() + name.size() - suffix.size(), suffix.data(), suffix.size()) == 0;
    });
}

// The .TXT and .SCH of the file's name, left by an interrupted import.
void plainRemoveLeftovers(const std::string &path)
{
    const size_t slash = path.rfind('/');
    const std::string base = path.substr(slash + 1);
    plainTidy(path.substr(0, slash), [&](std::string_view name) {
        return name.size() == base.size() + 4 && strncasecmp(name.data(), base.data(), base.size()) == 0
            && (strcasecmp(name.data() + base.size(), ".TXT") == 0 || strcasecmp(name.data() + base.size(), ".SCH") == 0);
    });
}

// The file's record in the export log, as the export keeps one for every file
// it writes: inside a write transaction the caller commits after the rename.
bool plainRecord(sqlite3 *db, const std::string &path, const std::string &bytes, int lines)
{
    static long long exportId = 1LL << 40;   // above any id the application gives
    const QByteArray sha = QCryptographicHash::hash(QByteArrayView(bytes.data(), qsizetype(bytes.size())),
                                                    QCryptographicHash::Sha256).toHex();
    const std::string sql = std::string("insert into ") + Schema::ExportLog
        + " (EXPORT_ID, FILE_NAME, FOLDER, KIND, BANK_CODE, M_YEAR, M_MONTH, RECORDS, SHA256, DONE_AT, DONE_BY)"
          " values (?, ?, '.', substr(?, 1, 3), ?, ?, 12, ?, ?, datetime('now'), 'bench')";
    if (sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) != SQLITE_OK)
        return false;
    sqlite3_stmt *s = nullptr;
    const std::string name = path.substr(path.rfind('/') + 1);
    bool ok = sqlite3_prepare_v2(db, sql.c_str(), -1, &s, nullptr) == SQLITE_OK;
    if (ok) {
        sqlite3_bind_int64(s, 1, ++exportId);
        sqlite3_bind_text(s, 2, name.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(s, 3, name.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(s, 4, BenchDatabase::BankCode, -1, SQLITE_STATIC);
        sqlite3_bind_int(s, 5, BenchDatabase::LastYear);
        sqlite3_bind_int(s, 6, lines);
        sqlite3_bind_text(s, 7, sha.constData(), int(sha.size()), SQLITE_TRANSIENT);
        ok = sqlite3_step(s) == SQLITE_DONE;
    }
    sqlite3_finalize(s);
    if (!ok)
        sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
    return ok;
}

// Writes the bytes to a temporary, syncs it, reads it back, compares it, records
// it and renames it over the path: the work of a careful whole-file write
// without the folder sync.
bool plainWrite(sqlite3 *db, const std::string &path, const std::string &bytes, const PlainKind &kind,
                const std::vector<std::vector<PlainValue>> &source)
{
    const int lines = int(source.size());
    const std::string temp = path + ".tmp";
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
    if (fd < 0)
        return false;
    bool ok = ::write(fd, bytes.data(), bytes.size()) == ssize_t(bytes.size()) && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    std::string back(bytes.size() + 1, '\0');
    const int in = ::open(temp.c_str(), O_RDONLY);
    if (in >= 0)
        ::posix_fadvise(in, 0, 0, POSIX_FADV_DONTNEED);
    ok = ok && in >= 0 && ::read(in, back.data(), back.size()) == ssize_t(bytes.size())
        && std::memcmp(back.data(), bytes.data(), bytes.size()) == 0;
    if (in >= 0)
        ::close(in);
    // Each line as the import reads it, each field the value it was written from.
    std::vector<std::vector<PlainValue>> read;
    std::vector<std::string> names;
    back.resize(bytes.size());
    ok = ok && plainCheck(kind, back, Period{BenchDatabase::LastYear, 12}, &read, &names) && read.size() == source.size();
    for (size_t r = 0; ok && r < read.size(); ++r) {
        for (size_t f = 0; ok && f < source[r].size(); ++f) {
            const PlainValue &a = read[r][f];
            const PlainValue &b = source[r][f];
            ok = a.isInteger ? a.integer == b.integer : a.number ? a.amount == b.amount : a.text == b.text;
        }
    }
    if (!ok || !plainRecord(db, path, bytes, lines))
        return false;
    if (std::rename(temp.c_str(), path.c_str()) != 0) {
        sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
        return false;
    }
    if (sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK)
        return false;
    plainRemoveLeftovers(path);
    return true;
}

// Reads the kind's month with plain SQLite, formats its lines with snprintf and
// writes them with plainWrite(). `county` selects B05 (HMPBANK) instead of B01 (MPBANK).
bool plainExport(sqlite3 *db, bool county, const PlainKind &kind, const std::string &path)
{
    const char *sql = county
        ? "select M_YEAR,M_MONTH,BANK_CODE,HSIEN_ID,ACC_CODE,AMT from HMPBANK"
          " where M_YEAR=?1 and M_MONTH=?2 order by rowid"
        : "select M_YEAR,M_MONTH,BANK_CODE,ACC_CODE,AMT from MPBANK"
          " where M_YEAR=?1 and M_MONTH=?2 order by rowid";
    sqlite3_stmt *stmt = nullptr;
    if (sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr) != SQLITE_OK)
        return false;
    sqlite3_bind_int(stmt, 1, BenchDatabase::LastYear);
    sqlite3_bind_int(stmt, 2, 12);
    std::string bytes;
    char line[128];
    std::vector<std::vector<PlainValue>> source;
    auto text = [](const unsigned char *t) {
        PlainValue v;
        v.text = t ? reinterpret_cast<const char *>(t) : "";
        return v;
    };
    auto integer = [](long long i) {
        PlainValue v;
        v.isInteger = true;
        v.integer = i;
        return v;
    };
    auto amount = [](double d) {
        PlainValue v;
        v.number = true;
        v.amount = d;
        return v;
    };
    while (sqlite3_step(stmt) == SQLITE_ROW) {
        const int year = sqlite3_column_int(stmt, 0);
        const int month = sqlite3_column_int(stmt, 1);
        const std::string bank = plainCode(sqlite3_column_text(stmt, 2));
        if (county) {
            const std::string hsien = reinterpret_cast<const char *>(sqlite3_column_text(stmt, 3));
            const std::string account = plainAccount(sqlite3_column_text(stmt, 4));
            const int factor = account.size() >= 5 && account[4] == 'p' ? 1000 : 1;
            std::snprintf(line, sizeof line, "%03d%02d%s%s%s%s\r\n", year, month, bank.c_str(), hsien.c_str(),
                          account.c_str(), plainNumber(sqlite3_column_double(stmt, 5), factor, 14).c_str());
        } else {
            const std::string account = plainAccount(sqlite3_column_text(stmt, 3));
            const int factor = account.size() >= 5 && account[4] == 'p' ? 1000 : 1;
            std::snprintf(line, sizeof line, "%03d%02d%s%s%s\r\n", year, month, bank.c_str(), account.c_str(),
                          plainNumber(sqlite3_column_double(stmt, 4), factor, 14).c_str());
        }
        bytes += line;
        const int n = county ? 6 : 5;
        std::vector<PlainValue> row{integer(year), integer(month)};
        for (int c = 2; c < n - 1; ++c)
            row.push_back(text(sqlite3_column_text(stmt, c)));
        row.push_back(amount(sqlite3_column_double(stmt, n - 1)));
        source.push_back(std::move(row));
    }
    sqlite3_finalize(stmt);
    return plainWrite(db, path, bytes, kind, source);
}

QByteArray contents(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QList<BenchFigure> runExportScenario(BenchContext &context)
{
    QList<BenchFigure> figures;
    const QString oursDir = QDir(context.folder).filePath(QStringLiteral("export-ours"));
    const QString plainDir = QDir(context.folder).filePath(QStringLiteral("export-plain"));
    QDir().mkpath(oursDir);
    QDir().mkpath(plainDir);

    sqlite3 *db = nullptr;
    if (sqlite3_open_v2(context.databaseFile.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr)
        != SQLITE_OK) {
        std::fprintf(stderr, "export: the database cannot be opened with plain SQLite\n");
        sqlite3_close(db);
        return figures;
    }
    sqlite3_busy_timeout(db, 5000);

    const Period period{BenchDatabase::LastYear, 12};
    const QString bank = QString::fromLatin1(BenchDatabase::BankCode);
    struct Case
    {
        const char *figure;
        DeclarationKind::Id kind;
        bool county;
    };
    const std::string plainFolder = plainDir.toLocal8Bit().toStdString();
    auto requestFor = [&](const QList<const DeclarationKind *> &kinds, bool *failed) {
        ExportEngine::Request request;
        request.period = period;
        request.kinds = kinds;
        request.directory = oursDir;
        request.institutionCode = bank;
        request.confirmOverwrite = [](const QString &) { return true; };
        request.report = [failed](const ExportEngine::Message &m) {
            if (m.icon == ExportEngine::Message::Icon::Warning) {
                *failed = true;
                std::fprintf(stderr, "export: %s %s\n", qPrintable(m.text), qPrintable(m.detail));
            }
        };
        return request;
    };
    auto plainFile = [&](const DeclarationKind &kind) {
        return ExportEngine::entryPath(plainDir, kind, bank, period).toLocal8Bit().toStdString();
    };
    auto compare = [&](const char *figure, const DeclarationKind &kind, bool failed, bool plainOk) {
        const QByteArray oursBytes = contents(ExportEngine::entryPath(oursDir, kind, bank, period));
        const QByteArray plainBytes = contents(QString::fromStdString(plainFile(kind)));
        if (failed || !plainOk || oursBytes.isEmpty() || oursBytes != plainBytes)
            std::fprintf(stderr, "export: %s: the files differ or were not written (%lld / %lld bytes)\n",
                         figure, qint64(oursBytes.size()), qint64(plainBytes.size()));
    };
    for (const Case &c : {Case{"export_b05", DeclarationKind::B05, true},
                          Case{"export_b01", DeclarationKind::B01, false}}) {
        const DeclarationKind &kind = DeclarationKind::get(c.kind);
        bool failed = false;
        const ExportEngine::Request request = requestFor({&kind}, &failed);
        const double ours = Bench::medianMs(Repeats, [&] { ExportEngine::run(request); });
        bool plainOk = true;
        const PlainKind plainKindOf = plainKind(kind);
        const double plain = Bench::medianMs(Repeats, [&] {
            plainRemoveStale(plainFolder);
            plainOk = plainExport(db, c.county, plainKindOf, plainFile(kind)) && syncFolder(plainFolder) && plainOk;
        });
        compare(c.figure, kind, failed, plainOk);
        figures.append({QString::fromLatin1(c.figure), ours, plain});
    }
    {
        const DeclarationKind &b01 = DeclarationKind::get(DeclarationKind::B01);
        const DeclarationKind &b05 = DeclarationKind::get(DeclarationKind::B05);
        bool failed = false;
        const ExportEngine::Request request = requestFor({&b01, &b05}, &failed);
        const double ours = Bench::medianMs(Repeats, [&] { ExportEngine::run(request); });
        bool plainOk = true;
        const PlainKind plainB01 = plainKind(b01);
        const PlainKind plainB05 = plainKind(b05);
        const double plain = Bench::medianMs(Repeats, [&] {
            plainRemoveStale(plainFolder);
            plainOk = plainExport(db, false, plainB01, plainFile(b01)) && plainExport(db, true, plainB05, plainFile(b05))
                && syncFolder(plainFolder) && plainOk;
        });
        compare("export_b01_b05", b01, failed, plainOk);
        compare("export_b01_b05", b05, failed, plainOk);
        figures.append({QStringLiteral("export_b01_b05"), ours, plain});
    }
    sqlite3_close(db);
    return figures;
}

const BenchScenario::Registrar registrar({QStringLiteral("export"), runExportScenario});

} // namespace
