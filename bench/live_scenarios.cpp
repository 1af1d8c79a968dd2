#include "bench/bench.h"
#include "bench/bench_database.h"
#include "checks/amount_lookup.h"
#include "db/database.h"
#include "checks/county_check.h"
#include "checks/formula_evaluator.h"
#include "checks/formula_index.h"
#include "checks/grid_amounts.h"
#include "checks/live_check_session.h"
#include "db/cached_dataset.h"
#include "db/declaration_kind.h"

#include <cstdio>
#include <memory>

// The check while keying on the generated database (2,000 formulas over 500
// accounts; 500 county formulas over 100 county accounts in 22 counties):
//   live_cell         one amount keyed into the operating month (the dataset
//                     written, the formulas of its account judged again), per
//                     cell, against the same keying followed by every formula
//                     judged again;
//   live_county_cell  the same on the county month: ours judges the county of
//                     the row only, the baseline every formula of every county;
//   live_index        the formulas indexed by account (once per month loaded),
//                     against one judging of every formula.
namespace {

constexpr int Year = BenchDatabase::LastYear;
constexpr int Month = 6;
constexpr int Cells = 400;
constexpr int Repeats = 5;

// The tab's month query over the generated month, as the tab opens it.
std::unique_ptr<CachedDataset> openMonth(DeclarationKind::Id kind)
{
    auto rows = std::make_unique<CachedDataset>();
    const PeriodQuery &query = DeclarationKind::get(kind).tabQuery();
    rows->setSql(query.statement(true, true));
    if (query.byInstitution)
        rows->setParam(QStringLiteral("BANK_CODE"), QString::fromLatin1(BenchDatabase::BankCode));
    rows->setParam(query.yearParam, Year);
    rows->setParam(query.monthParam, Month);
    if (!rows->open()) {
        std::fprintf(stderr, "live: %s\n", qPrintable(rows->lastError()));
        return nullptr;
    }
    return rows;
}

// Keys `Cells` amounts spread over the month: every 7th row, a changing amount.
void keyCells(CachedDataset &rows, int round)
{
    const int count = rows.recordCount();
    for (int i = 0; i < Cells; ++i) {
        rows.moveTo((i * 7) % count);
        rows.setValue(QStringLiteral("AMT"), double(1000 + round * Cells + i));
    }
    rows.post();
}

// What the check did before: after every cell, every formula of every group judged.
struct JudgeEverything
{
    FormulaSet set;
    GridAmounts amounts;
    QList<AmountLookup> groups;
    int failing = 0;

    void judgeAll()
    {
        failing = 0;
        for (const AmountLookup &group : std::as_const(groups)) {
            for (const Formula &formula : set.formulas())
                failing += FormulaEvaluator::judge(formula, group).has_value();
        }
    }
};

BenchFigure cellFigure(const QString &name, DeclarationKind::Id kind, LiveCheckSession::Kind live)
{
    BenchFigure figure{name};
    std::unique_ptr<CachedDataset> rows = openMonth(kind);
    if (!rows)
        return figure;
    int round = 0;
    {
        LiveCheckSession session(live, *rows);
        if (!session.start(Year, Month)) {
            std::fprintf(stderr, "live: %s\n", qPrintable(session.errorText()));
            return figure;
        }
        figure.oursMs = Bench::medianMs(Repeats, [&] { keyCells(*rows, ++round); }) / Cells;
    }
    JudgeEverything plain;
    QString error;
    const bool county = live == LiveCheckSession::Kind::County;
    plain.set.load(county ? FormulaTables::county() : FormulaTables::operating(), &error);
    QStringList counties;
    if (county) {
        QList<CountyCheck::County> list;
        CountyCheck::readCounties(Database::connectionName(), &list, &error);
        for (const CountyCheck::County &c : list)
            counties.append(c.id);
    }
    plain.amounts = county ? GridAmounts::county(*rows, Year, Month, counties)
                           : GridAmounts::operating(*rows, Year, Month);
    plain.groups = plain.amounts.groups();
    QObject::connect(rows.get(), &QAbstractItemModel::dataChanged, rows.get(), [&](const QModelIndex &cell) {
        if (const auto place = plain.amounts.placeOf(cell.row())) {
            plain.groups[place->group].set(place->code, GridAmounts::amountOf(*rows, cell.row()));
            plain.judgeAll();
        }
    });
    figure.baselineMs = Bench::medianMs(Repeats, [&] { keyCells(*rows, ++round); }) / Cells;
    return figure;
}

BenchFigure indexFigure()
{
    BenchFigure figure{QStringLiteral("live_index")};
    FormulaSet set;
    QString error;
    if (!set.load(FormulaTables::operating(), &error))
        return figure;
    std::unique_ptr<CachedDataset> rows = openMonth(DeclarationKind::B01);
    if (!rows)
        return figure;
    qsizetype accounts = 0;
    figure.oursMs = Bench::medianMs(Repeats * 4, [&] { accounts += FormulaIndex(set).accountCount(); });
    JudgeEverything plain;
    plain.set = set;
    plain.groups = GridAmounts::operating(*rows, Year, Month).groups();
    figure.baselineMs = Bench::medianMs(Repeats * 4, [&] { plain.judgeAll(); });
    return figure;
}

QList<BenchFigure> runLive(BenchContext &)
{
    return {
        cellFigure(QStringLiteral("live_cell"), DeclarationKind::B01, LiveCheckSession::Kind::Operating),
        cellFigure(QStringLiteral("live_county_cell"), DeclarationKind::B05, LiveCheckSession::Kind::County),
        indexFigure(),
    };
}

const BenchScenario::Registrar registrar({QStringLiteral("live"), runLive});

} // namespace
