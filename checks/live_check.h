#pragma once

#include "checks/amount_lookup.h"
#include "checks/check_result_row.h"
#include "checks/formula_explainer.h"
#include "checks/formula_explanation.h"
#include "checks/formula_index.h"
#include "checks/formula_set.h"

#include <QList>
#include <QString>
#include <optional>
#include <vector>

// The check while keying: the formulas of one set judged over amounts that
// change one at a time, by the evaluator and the rules of the check itself
// (FormulaEvaluator::judge), so the two never disagree on a formula.
//
// The amounts come in groups: the one group of the operating data, or one per
// county of the county data, each judged on its own as the county check judges
// it. start() judges every formula of every group and indexes the formulas by
// account; after that a changed amount re-judges only the formulas that name
// its account, in its group only. Missing accounts are not its business: it
// counts formulas.
class LiveCheck
{
public:
    struct Group
    {
        AmountLookup amounts;
        QString remarkPrefix;   // the county check's "A  臺北市資料有誤   "; empty for the operating data
    };

    // A failing formula: its group and its position in the set.
    struct Failure
    {
        int group = -1;
        int formula = -1;
        friend bool operator==(const Failure &, const Failure &) = default;
    };

    // `tables` and the connection name the period markers of an explanation.
    void start(FormulaSet set, FormulaTables tables, QString connectionName, QList<Group> groups);
    // The groups' amounts read again (the rows were replaced); the formulas and
    // the index stay. Every formula is judged again.
    void restart(QList<Group> groups);
    void stop();
    bool isRunning() const { return m_running; }

    // The amount of `code` in `group` is now `amount`: the formulas naming the
    // account are judged again in that group. Returns how many were judged.
    int setAmount(int group, const QString &code, Decimal4 amount);

    int failingCount() const { return m_failing; }
    // The failing formulas in the order the check lists them: group by group,
    // each in the set's order.
    QList<Failure> failures() const;
    // A failure's row as the check's result window shows it (remark and the two
    // values), its source naming the formula and the group.
    CheckResultRow row(const Failure &failure) const;
    // Why it fails, worked out now over the group's amounts as they stand.
    std::optional<FormulaExplanation> explain(const Failure &failure) const;

    const FormulaSet &formulas() const { return m_set; }
    const FormulaIndex &index() const { return m_index; }
    // The first account of a formula's left side (where a user starts mending it).
    QString firstAccount(int formula) const;

private:
    void judgeAll();
    void judge(int group, int formula);

    bool m_running = false;
    FormulaSet m_set;
    FormulaTables m_tables;
    QString m_connectionName;
    FormulaIndex m_index;
    QList<Group> m_groups;
    std::vector<std::vector<char>> m_fails;   // [group][formula]
    int m_failing = 0;
    mutable std::optional<FormulaExplainer> m_explainer;
};
