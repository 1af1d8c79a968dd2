#include "checks/live_check.h"

#include "checks/formula_evaluator.h"
#include "common/big5_text.h"

void LiveCheck::start(FormulaSet set, FormulaTables tables, QString connectionName, QList<Group> groups)
{
    m_set = std::move(set);
    m_tables = std::move(tables);
    m_connectionName = std::move(connectionName);
    m_index = FormulaIndex(m_set);
    m_explainer.reset();
    m_running = true;
    restart(std::move(groups));
}

void LiveCheck::restart(QList<Group> groups)
{
    m_groups = std::move(groups);
    judgeAll();
}

void LiveCheck::stop()
{
    m_running = false;
    m_set.clear();
    m_index = {};
    m_groups.clear();
    m_fails.clear();
    m_failing = 0;
    m_explainer.reset();
}

void LiveCheck::judgeAll()
{
    const qsizetype formulas = m_set.formulas().size();
    m_fails.assign(m_groups.size(), std::vector<char>(formulas, 0));
    m_failing = 0;
    for (int g = 0; g < m_groups.size(); ++g) {
        for (int k = 0; k < formulas; ++k)
            judge(g, k);
    }
}

void LiveCheck::judge(int group, int formula)
{
    const bool fails = FormulaEvaluator::judge(m_set.formulas().at(formula), m_groups.at(group).amounts).has_value();
    char &was = m_fails[group][formula];
    m_failing += int(fails) - int(was);
    was = fails;
}

int LiveCheck::setAmount(int group, const QString &code, Decimal4 amount)
{
    if (!m_running || group < 0 || group >= m_groups.size())
        return 0;
    m_groups[group].amounts.set(code, amount);
    const QList<int> &formulas = m_index.formulasOf(AmountLookup::key(code));
    for (int formula : formulas)
        judge(group, formula);
    return int(formulas.size());
}

QList<LiveCheck::Failure> LiveCheck::failures() const
{
    QList<Failure> list;
    list.reserve(m_failing);
    for (int g = 0; g < int(m_fails.size()); ++g) {
        const std::vector<char> &fails = m_fails[g];
        for (int k = 0; k < int(fails.size()); ++k) {
            if (fails[k])
                list.append({g, k});
        }
    }
    return list;
}

CheckResultRow LiveCheck::row(const Failure &failure) const
{
    const Group &group = m_groups.at(failure.group);
    CheckResultRow row = FormulaEvaluator::judge(m_set.formulas().at(failure.formula), group.amounts,
                                                 group.remarkPrefix)
                             .value_or(CheckResultRow{});
    // A county's name makes the remark wider in Big5 bytes than in characters:
    // cut as the county check cuts it.
    if (!group.remarkPrefix.isEmpty())
        row.remark = Big5Text::cut(row.remark, CheckResultRow::RemarkWidth);
    row.source = CheckResultRow::Source{failure.formula, group.remarkPrefix.isEmpty() ? -1 : failure.group};
    return row;
}

std::optional<FormulaExplanation> LiveCheck::explain(const Failure &failure) const
{
    if (!m_running || failure.group < 0 || failure.group >= m_groups.size())
        return std::nullopt;
    if (!m_explainer)
        m_explainer.emplace(m_set, m_tables, m_connectionName);
    CheckResultRow source;
    source.source = CheckResultRow::Source{failure.formula, failure.group};
    return m_explainer->explain(source, m_groups.at(failure.group).amounts);
}

QString LiveCheck::firstAccount(int formula) const
{
    if (formula < 0 || formula >= m_set.formulas().size())
        return {};
    const Formula &f = m_set.formulas().at(formula);
    if (!f.left.isEmpty())
        return f.left.constFirst().accCode;
    return f.right.isEmpty() ? QString() : f.right.constFirst().accCode;
}
