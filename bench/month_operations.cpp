#include "bench/month_operations.h"

#include "bench/bench_database.h"
#include "checks/operating_check.h"
#include "db/cached_dataset.h"
#include "db/database.h"
#include "db/declaration_kind.h"
#include "entry/county_data_tab.h"
#include "entry/operating_data_tab.h"
#include "interchange/export_engine.h"
#include "interchange/import_engine.h"

#include <QDir>
#include <QSqlError>
#include <QSqlQuery>

#include <cstdio>

namespace {

using namespace BenchMonths;

const QString Bank = QString::fromLatin1(BenchDatabase::BankCode);
// The month the imports replace (its files written by the export first).
const Period ImportMonth{BenchDatabase::LastYear, 12};

QString newMonthWhere()
{
    return QStringLiteral(" where M_YEAR = %1 and M_MONTH = %2").arg(NewYear).arg(NewMonth);
}

// The stored month QueryYear/QueryMonth copied into the new month, as a save
// of that month would leave it.
QString copyIntoNewMonth(const QString &table, const QString &columns)
{
    return QStringLiteral("insert into %1 (M_YEAR, M_MONTH, %2) select %3, %4, %2 from %1 "
                          "where M_YEAR = %5 and M_MONTH = %6 order by rowid")
        .arg(table, columns)
        .arg(NewYear)
        .arg(NewMonth)
        .arg(QueryYear)
        .arg(QueryMonth);
}

bool said(BenchTab &tab, const QString &text, const char *what)
{
    if (tab.messages.said(text))
        return true;
    std::fprintf(stderr, "%s did not succeed: %s\n", what, qPrintable(tab.messages.lastText()));
    return false;
}

} // namespace

MonthOperations::MonthOperations(BenchContext &context)
    : m_context(context), m_importFolder(QDir(context.folder).filePath(QStringLiteral("month-operations")))
{
    if (!m_operating.open(OperatingDataTab::description(), QueryYear, QueryMonth, "month operations")
        || !m_county.open(CountyDataTab::description(), QueryYear, QueryMonth, "month operations"))
        return;
    cleanUp();
    addTabOperations();
    addImportOperations();
    m_valid = m_operations.size() == 8;
}

MonthOperations::~MonthOperations()
{
    cleanUp();
    QDir(m_importFolder).removeRecursively();
}

const MonthOperations::Operation *MonthOperations::find(const QString &name) const
{
    for (const Operation &o : m_operations) {
        if (o.name == name)
            return &o;
    }
    return nullptr;
}

bool MonthOperations::exec(const QString &sql) const
{
    QSqlQuery q(Database::connection());
    if (q.exec(sql))
        return true;
    std::fprintf(stderr, "month operations: %s\n%s\n", qPrintable(q.lastError().text()), qPrintable(sql));
    return false;
}

void MonthOperations::cleanUp()
{
    m_operating.discard();
    m_county.discard();
    exec(QStringLiteral("delete from MPBANK") + newMonthWhere());
    exec(QStringLiteral("delete from HMPBANK") + newMonthWhere());
}

void MonthOperations::addTabOperations()
{
    MonthTab &operating = *m_operating.tab;
    MonthTab &county = *m_county.tab;
    const QString operatingColumns = QStringLiteral("BANK_CODE, ACC_CODE, AMT, SERIAL");
    const QString countyColumns = QStringLiteral("BANK_CODE, HSIEN_ID, ACC_CODE, AMT");

    m_operations.append({QStringLiteral("month_query"), 9,
                         [this] {
                             m_operating.discard();
                             m_operating.period(QueryYear, QueryMonth);
                         },
                         [&operating] {
                             operating.query();
                             return operating.dataset()->recordCount() == BenchDatabase::Accounts;
                         }});
    // Add is untimed: the figure is the save of the 500 new rows.
    m_operations.append({QStringLiteral("save_month"), 5,
                         [this, &operating] {
                             cleanUp();
                             m_operating.period(NewYear, NewMonth);
                             operating.add();
                         },
                         [&operating] { return operating.save(); }});
    m_operations.append({QStringLiteral("delete_month"), 5,
                         [this, operatingColumns] {
                             cleanUp();
                             exec(copyIntoNewMonth(QStringLiteral("MPBANK"), operatingColumns));
                             m_operating.discard();
                             m_operating.period(NewYear, NewMonth);
                             m_operating.tab->query();
                         },
                         [this, &operating] {
                             operating.deleteMonth();
                             return said(m_operating, QStringLiteral("刪除成功!!!"), "delete_month");
                         }});
    m_operations.append({QStringLiteral("county_save"), 5,
                         [this, &county] {
                             cleanUp();
                             m_county.period(NewYear, NewMonth);
                             county.add();
                         },
                         [&county] { return county.save(); }});
    m_operations.append({QStringLiteral("county_delete"), 5,
                         [this, &county, countyColumns] {
                             cleanUp();
                             exec(copyIntoNewMonth(QStringLiteral("HMPBANK"), countyColumns));
                             m_county.period(NewYear, NewMonth);
                             county.query();
                         },
                         [this, &county] {
                             county.deleteMonth();
                             return said(m_county, QStringLiteral("刪除成功!!!"), "county_delete");
                         }});
    m_operations.append({QStringLiteral("check_month"), 7, [this] { cleanUp(); }, [] {
                             OperatingCheck check;
                             check.run(Bank, QueryYear, QueryMonth);
                             return true;
                         }});
}

void MonthOperations::addImportOperations()
{
    QDir().mkpath(m_importFolder);
    ExportEngine::Request request;
    request.period = ImportMonth;
    request.kinds = {&DeclarationKind::get(DeclarationKind::B05), &DeclarationKind::get(DeclarationKind::B01)};
    request.directory = m_importFolder;
    request.institutionCode = Bank;
    request.confirmOverwrite = [](const QString &) { return true; };
    request.report = [](const ExportEngine::Message &) {};
    const ExportEngine::Result written = ExportEngine::run(request);
    for (const DeclarationKind *kind : request.kinds) {
        const auto w = written.of(*kind);
        if (w.outcome != ExportEngine::Outcome::Written) {
            std::fprintf(stderr, "month operations: the %s file was not written\n", qPrintable(kind->code()));
            continue;
        }
        // The tab's dataset the import fills; the file replaces the stored month.
        auto target = std::make_shared<CachedDataset>();
        const QString file = w.entryPath;
        const int lines = w.lines;
        m_operations.append({QStringLiteral("import_%1_%2_lines").arg(kind->code()).arg(lines), 9,
                             [this] { cleanUp(); }, [kind, target, file, lines] {
                                 ImportEngine::Request r;
                                 r.file = file;
                                 r.kind = kind;
                                 r.target = target.get();
                                 r.confirmReplace = [] { return true; };
                                 const ImportEngine::Result result = ImportEngine::run(r);
                                 if (result.ok() && result.replaced && result.rowsRead == lines)
                                     return true;
                                 std::fprintf(stderr, "import %s failed: %s\n", qPrintable(kind->code()),
                                              qPrintable(result.detail));
                                 return false;
                             }});
    }
}
