// Scenario "import": a declaration file read into a month that is already
// stored, the user answering Yes, so the stored rows are deleted and the file's
// rows inserted in one transaction. Baseline: the sqlite3 C API doing the same
// work in one transaction from rows already in memory: the stored rows of the
// month counted, deleted in one statement, the file's rows inserted.
#include "bench/bench.h"
#include "bench/bench_database.h"
#include "db/cached_dataset.h"
#include "db/database.h"
#include "db/declaration_kind.h"
#include "db/update_applier.h"
#include "interchange/export_engine.h"
#include "interchange/import_engine.h"

#include <QDir>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QVariant>
#include <sqlite3.h>
#include <cstdio>

namespace {

constexpr int Repeats = 9;
const Period Month{BenchDatabase::LastYear, 12};

struct Table
{
    const DeclarationKind *kind;
    QString select;       // the stored rows of the month, in stored order
    QString countSql;     // the stored rows of the institution and month
    QString deleteSql;    // the month in one statement
    QString insertSql;
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

double baselineMs(const QString &databaseFile, const Table &t, QString *error)
{
    // The rows as the file holds them, read before timing.
    QList<QVariantList> rows;
    {
        QSqlQuery q(QSqlDatabase::database(Database::connectionName()));
        q.exec(t.select);
        while (q.next()) {
            QVariantList row;
            for (int i = 0; i < q.record().count(); ++i)
                row << q.value(i);
            rows << row;
        }
    }
    sqlite3 *db = nullptr;
    if (sqlite3_open_v2(databaseFile.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        *error = QString::fromUtf8(sqlite3_errmsg(db));
        sqlite3_close(db);
        return -1;
    }
    auto bind = [](sqlite3_stmt *s, int index, const QVariant &v) {
        switch (v.typeId()) {
        case QMetaType::Int:
        case QMetaType::LongLong:
            sqlite3_bind_int64(s, index, v.toLongLong());
            break;
        case QMetaType::Double:
            sqlite3_bind_double(s, index, v.toDouble());
            break;
        default: {
            const QByteArray text = v.toString().toUtf8();
            sqlite3_bind_text(s, index, text.constData(), int(text.size()), SQLITE_TRANSIENT);
        }
        }
    };
    bool ok = true;
    const double ms = Bench::medianMs(Repeats, [&] {
        sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
        sqlite3_stmt *count = nullptr;
        sqlite3_stmt *del = nullptr;
        sqlite3_stmt *ins = nullptr;
        sqlite3_prepare_v2(db, t.countSql.toUtf8().constData(), -1, &count, nullptr);
        sqlite3_prepare_v2(db, t.deleteSql.toUtf8().constData(), -1, &del, nullptr);
        sqlite3_prepare_v2(db, t.insertSql.toUtf8().constData(), -1, &ins, nullptr);
        ok = ok && sqlite3_step(count) == SQLITE_ROW && sqlite3_column_int(count, 0) == rows.size();
        ok = ok && sqlite3_step(del) == SQLITE_DONE && sqlite3_changes(db) == rows.size();
        for (const QVariantList &row : rows) {
            for (int i = 0; i < row.size(); ++i)
                bind(ins, i + 1, row.at(i));
            ok = ok && sqlite3_step(ins) == SQLITE_DONE;
            sqlite3_reset(ins);
        }
        sqlite3_finalize(count);
        sqlite3_finalize(del);
        sqlite3_finalize(ins);
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
    const QString where = month + QStringLiteral(" order by rowid");
    const QList<Table> tables{
        {&DeclarationKind::get(DeclarationKind::B05),
         QStringLiteral("select M_YEAR, M_MONTH, BANK_CODE, HSIEN_ID, ACC_CODE, AMT from HMPBANK") + where,
         QStringLiteral("select count(*) from HMPBANK") + month, QStringLiteral("delete from HMPBANK") + month,
         QStringLiteral("insert into HMPBANK (M_YEAR, M_MONTH, BANK_CODE, HSIEN_ID, ACC_CODE, AMT) "
                        "values (?, ?, ?, ?, ?, ?)")},
        {&DeclarationKind::get(DeclarationKind::B01),
         QStringLiteral("select M_YEAR, M_MONTH, BANK_CODE, ACC_CODE, AMT, SERIAL from MPBANK") + where,
         QStringLiteral("select count(*) from MPBANK") + month, QStringLiteral("delete from MPBANK") + month,
         QStringLiteral("insert into MPBANK (M_YEAR, M_MONTH, BANK_CODE, ACC_CODE, AMT, SERIAL) "
                        "values (?, ?, ?, ?, ?, ?)")},
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
        const double baseline = baselineMs(context.databaseFile, t, &error);
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
