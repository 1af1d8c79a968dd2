#include "checks/county_check.h"

#include "common/period.h"
#include "common/field_text.h"
#include "common/big5_text.h"
#include "db/cached_dataset.h"
#include "db/engine_message.h"
#include "db/reference_lists.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

#include <algorithm>

namespace {

// REMARK keeps 120 Big5 bytes. The county's name makes a remark wider in bytes
// than in characters, so the evaluator's cut by characters is cut again by
// bytes, never through a double-byte character. Measuring a text in Big5 asks
// the converter about every Chinese character; a county's remarks share its
// prefix, so it is measured once, and a remark whose characters cannot reach
// the width (two bytes each at most) is not measured at all.
class RemarkCut
{
public:
    explicit RemarkCut(const QString &prefix)
        : m_prefix(prefix), m_prefixBytes(Big5Text::byteLength(prefix))
    {
    }

    QString operator()(const QString &remark) const
    {
        constexpr int width = CheckResultRow::RemarkWidth;
        if (remark.size() * 2 <= width)
            return remark;
        if (m_prefixBytes <= width && remark.startsWith(m_prefix)) {
            const QStringView tail = QStringView(remark).mid(m_prefix.size());
            const bool ascii = std::all_of(tail.begin(), tail.end(), [](QChar c) { return c.unicode() < 0x80; });
            if (ascii)
                return remark.left(m_prefix.size() + std::min<qsizetype>(tail.size(), width - m_prefixBytes));
        }
        return Big5Text::cut(remark, width);
    }

private:
    QString m_prefix;
    int m_prefixBytes;
};

} // namespace

CountyCheck::CountyCheck(const QString &connectionName)
    : MonthCheck(FormulaTables::county(), connectionName)
{
}

QString CountyCheck::remarkPrefix(const County &county)
{
    return county.name + QStringLiteral("資料有誤   ");
}

bool CountyCheck::readCounties(const QString &connectionName, QList<County> *counties, QString *error)
{
    counties->clear();
    QSqlQuery q(QSqlDatabase::database(connectionName, false));
    q.setForwardOnly(true);
    if (!q.exec(ReferenceLists::countyStatement())) {
        *error = EngineMessage::of(q.lastError());
        return false;
    }
    while (q.next())
        counties->append({FieldText::withoutTrailingBlanks(q.value(0)), q.value(2).toString()});
    return true;
}

QList<CheckResultRow> CountyCheck::evaluate(const FormulaSet &set, const QList<County> &counties,
                                            const CountyAmounts &amounts,
                                            const FormulaEvaluator::Progress &progress)
{
    QList<CheckResultRow> rows;
    const int n = int(counties.size());
    for (int k = 0; k < n; ++k) {
        if (progress)
            progress(k + 1, n);
        const County &county = counties.at(k);
        const AmountLookup &lookup = amounts.of(county.id);
        const QString prefix = remarkPrefix(county);
        const qsizetype first = rows.size();
        FormulaEvaluator::appendFailingFormulas(rows, set, lookup, prefix);
        FormulaEvaluator::appendMissingAccounts(rows, set, lookup);
        const RemarkCut cut(prefix);
        for (qsizetype i = first; i < rows.size(); ++i) {
            CheckResultRow &row = rows[i];
            row.remark = cut(row.remark);
            if (row.source)
                row.source->county = k;
        }
    }
    return rows;
}

CountyCheck::Status CountyCheck::prepare(int year, int month)
{
    forget();
    m_amounts = {};
    m_counties.clear();
    // The rows first, silently: a tab without rows has nothing to check.
    if (!m_source || !m_source->isOpen() || m_source->isEmpty())
        return setStatus(Status::NoRows);
    if (!Period{year, month}.isComplete())
        return setStatus(Status::PeriodIncomplete);
    m_amounts = CountyAmounts::fromRows(*m_source, year, month);
    return setStatus(Status::Ready);
}

CountyCheck::Status CountyCheck::prepare(const CachedDataset &rows, int year, int month)
{
    setRows(&rows);
    return prepare(year, month);
}

bool CountyCheck::judge(const FormulaEvaluator::Progress &progress, QList<CheckResultRow> *rows, QString *error)
{
    // Read for every check, so counties changed in their window count.
    if (!readCounties(connectionName(), &m_counties, error))
        return false;
    *rows = evaluate(formulas(), m_counties, m_amounts, progress);
    return true;
}

std::optional<FormulaExplanation> CountyCheck::explain(const CheckResultRow &row) const
{
    if (!row.source || row.source->county < 0 || row.source->county >= m_counties.size())
        return std::nullopt;
    return explainer().explain(row, m_amounts.of(m_counties.at(row.source->county).id));
}
