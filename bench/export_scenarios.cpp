#include "bench/bench.h"
#include "bench/bench_database.h"
#include "db/declaration_kind.h"
#include "interchange/export_engine.h"

#include <QDir>
#include <QFile>
#include <sqlite3.h>
#include <cstdio>
#include <cstring>
#include <string>

// The export of one month on the generated database:
//   export_b05  the county data of 114/12 (22 counties x 100 accounts, 2,200 lines);
//   export_b01  the operating data of 114/12 (500 accounts, 500 lines, out of
//               120,000 stored rows).
// Ours is the whole ExportEngine run (query, rendering through Decimal4, the file
// written to a temporary name and renamed). The baseline reads the same rows
// with the plain SQLite C API and writes the same lines with fprintf into a
// file that is then renamed; both files are compared byte for byte.
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

// Reads the kind's month with plain SQLite and writes it with fprintf.
// `county` selects B05 (HMPBANK) instead of B01 (MPBANK).
bool plainExport(sqlite3 *db, bool county, const std::string &path)
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
    const std::string temp = path + ".tmp";
    FILE *out = std::fopen(temp.c_str(), "wb");
    if (!out) {
        sqlite3_finalize(stmt);
        return false;
    }
    while (sqlite3_step(stmt) == SQLITE_ROW) {
        const int year = sqlite3_column_int(stmt, 0);
        const int month = sqlite3_column_int(stmt, 1);
        const std::string bank = plainCode(sqlite3_column_text(stmt, 2));
        if (county) {
            const std::string hsien = reinterpret_cast<const char *>(sqlite3_column_text(stmt, 3));
            const std::string account = plainAccount(sqlite3_column_text(stmt, 4));
            const int factor = account.size() >= 5 && account[4] == 'p' ? 1000 : 1;
            std::fprintf(out, "%03d%02d%s%s%s%s\r\n", year, month, bank.c_str(), hsien.c_str(),
                         account.c_str(), plainNumber(sqlite3_column_double(stmt, 5), factor, 14).c_str());
        } else {
            const std::string account = plainAccount(sqlite3_column_text(stmt, 3));
            const int factor = account.size() >= 5 && account[4] == 'p' ? 1000 : 1;
            std::fprintf(out, "%03d%02d%s%s%s\r\n", year, month, bank.c_str(), account.c_str(),
                         plainNumber(sqlite3_column_double(stmt, 4), factor, 14).c_str());
        }
    }
    sqlite3_finalize(stmt);
    const bool ok = std::fclose(out) == 0;
    return ok && std::rename(temp.c_str(), path.c_str()) == 0;
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
    if (sqlite3_open_v2(context.databaseFile.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr)
        != SQLITE_OK) {
        std::fprintf(stderr, "export: the database cannot be opened with plain SQLite\n");
        sqlite3_close(db);
        return figures;
    }

    const Period period{BenchDatabase::LastYear, 12};
    const QString bank = QString::fromLatin1(BenchDatabase::BankCode);
    struct Case
    {
        const char *figure;
        DeclarationKind::Id kind;
        bool county;
    };
    for (const Case &c : {Case{"export_b05", DeclarationKind::B05, true},
                          Case{"export_b01", DeclarationKind::B01, false}}) {
        const DeclarationKind &kind = DeclarationKind::get(c.kind);
        ExportEngine::Request request;
        request.period = period;
        request.kinds = {&kind};
        request.directory = oursDir;
        request.institutionCode = bank;
        request.confirmOverwrite = [](const QString &) { return true; };
        bool failed = false;
        request.report = [&](const ExportEngine::Message &m) {
            if (m.icon == ExportEngine::Message::Icon::Warning) {
                failed = true;
                std::fprintf(stderr, "export: %s %s\n", qPrintable(m.text), qPrintable(m.detail));
            }
        };
        const QString oursFile = ExportEngine::entryPath(oursDir, kind, bank, period);
        const std::string plainFile =
            ExportEngine::entryPath(plainDir, kind, bank, period).toLocal8Bit().toStdString();

        const double ours = Bench::medianMs(Repeats, [&] { ExportEngine::run(request); });
        bool plainOk = true;
        const double plain = Bench::medianMs(Repeats, [&] { plainOk = plainExport(db, c.county, plainFile) && plainOk; });

        const QByteArray oursBytes = contents(oursFile);
        const QByteArray plainBytes = contents(QString::fromStdString(plainFile));
        if (failed || !plainOk || oursBytes.isEmpty() || oursBytes != plainBytes)
            std::fprintf(stderr, "export: %s: the files differ or were not written (%lld / %lld bytes)\n",
                         c.figure, qint64(oursBytes.size()), qint64(plainBytes.size()));
        figures.append({QString::fromLatin1(c.figure), ours, plain});
    }
    sqlite3_close(db);
    return figures;
}

const BenchScenario::Registrar registrar({QStringLiteral("export"), runExportScenario});

} // namespace
