#include "checks/explanation_text.h"
#include "checks/formula_evaluator.h"

#include <QTest>

// The evaluation of formula sides and the judging of formulas, on amounts held in
// memory.
class TstFormulaEvaluator : public QObject
{
    Q_OBJECT
private slots:
    void sidesRunLeftToRight_data();
    void sidesRunLeftToRight();
    void sideTextJoinsCodesAndOperators();
    void stepTextsSayWhatEachStepDid_data();
    void stepTextsSayWhatEachStepDid();
    void sumsAndDifferencesPastTheLimitsAreNeverClamped_data();
    void sumsAndDifferencesPastTheLimitsAreNeverClamped();
    void judgingFollowsTheComparison_data();
    void judgingFollowsTheComparison();
    void aSideOutOfRangeFailsWhateverTheComparison_data();
    void aSideOutOfRangeFailsWhateverTheComparison();
    void formulaWithoutLeftTermsIsNeverReported();
    void failingFormulaRowCarriesTextsAndValues();
    void remarkIsCutAt120Characters();
    void missingAccountsFollowTheFormulaRowsInAccountOrder();
    void lookupKeepsTheFirstAmountAndIgnoresTrailingBlanks();
    void aSetJudgesAsEachFormulaAlone_data();
    void aSetJudgesAsEachFormulaAlone();
};

namespace {

Decimal4 dec(const char *text) { return *Decimal4::parse(QString::fromLatin1(text)); }

// "x+ y- z" : each code followed by its operator (the last without one).
QList<FormulaTerm> side(const QString &written)
{
    QList<FormulaTerm> terms;
    for (const QString &part : written.split(u' ', Qt::SkipEmptyParts)) {
        const QChar last = part.back();
        if (last.isLetterOrNumber())
            terms.append({part, QString()});
        else
            terms.append({part.chopped(1), QString(last)});
    }
    return terms;
}

AmountLookup amounts(std::initializer_list<std::pair<const char *, const char *>> list)
{
    AmountLookup lookup;
    for (const auto &[code, amount] : list)
        lookup.add(QString::fromLatin1(code), dec(amount));
    return lookup;
}

} // namespace

void TstFormulaEvaluator::sidesRunLeftToRight_data()
{
    QTest::addColumn<QString>("terms");
    QTest::addColumn<QString>("expected");
    // The explanation of the walk, a step per term: what it did (S start,
    // C combined, M missing, Z division by 0, N no operator), the pending
    // operator met, ":" and the running value after it.
    QTest::addColumn<QString>("steps");

    // Amounts: x = 100, y = 30, z = 20, one = 1, three = 3, zero = 0, half = 0.5,
    // tiny = 0.0001, tiny3 = 0.0003, top and bottom the ends of the 64-bit range,
    // unit = 0.0001; "gone" has no amount.
    QTest::newRow("plus then minus") << "x+ y- z" << "110" << "S:100 C+:130 C-:110";
    QTest::newRow("minus then divide, no precedence") << "x- y/ z" << "3.5" << "S:100 C-:70 C/:3.5";
    QTest::newRow("plus then times, no precedence") << "x+ y* z" << "2600" << "S:100 C+:130 C*:2600";
    QTest::newRow("one third rounds to four decimals") << "one/ three" << "0.3333" << "S:1 C/:0.3333";
    QTest::newRow("missing first term starts from zero") << "gone* y" << "0" << "M:0 C*:0";
    QTest::newRow("missing first term, then plus") << "gone+ y" << "30" << "M:0 C+:30";
    QTest::newRow("missing later term keeps value, its operator pending")
        << "x+ gone* z" << "2000" << "S:100 M+:100 C*:2000";
    QTest::newRow("division by zero gives zero and goes on") << "x/ zero+ z" << "20" << "S:100 Z/:0 C+:20";
    QTest::newRow("all terms missing") << "gone+ gone" << "0" << "M:0 M+:0";
    QTest::newRow("no terms") << "" << "0" << "";
    QTest::newRow("single term, operator only text") << "x+" << "100" << "S:100";
    QTest::newRow("blank operator leaves value") << "x y+ z" << "120" << "S:100 N:100 C+:120";
    QTest::newRow("unknown operator leaves value") << "x% y+ z" << "120" << "S:100 N%:100 C+:120";
    QTest::newRow("half of 0.0001 rounds to even 0") << "tiny* half" << "0" << "S:0.0001 C*:0";
    QTest::newRow("half of 0.0003 rounds to even 0.0002") << "tiny3* half" << "0.0002" << "S:0.0003 C*:0.0002";
    QTest::newRow("each step rounded, not the end")  // (1/3 = 0.3333) * 3 = 0.9999
        << "one/ three* three" << "0.9999" << "S:1 C/:0.3333 C*:0.9999";
    QTest::newRow("negative result") << "y- x" << "-70" << "S:30 C-:-70";
    const QString top = QStringLiteral("922337203685477.5807");
    const QString bottom = QStringLiteral("-922337203685477.5808");
    const QString out = CheckValue::OutOfRangeText;
    // The running value is wider than Decimal4: a step past either end is held
    // exact and a later step may bring it back; a side that ends past an end is
    // out of range, never a clamped number.
    QTest::newRow("a sum past the top comes back exact") << "top+ unit- unit" << top
                                                         << "S:" + top + " C+:" + out + " C-:" + top;
    QTest::newRow("difference past the bottom") << "bottom- unit" << out << "S:" + bottom + " C-:" + out;
    QTest::newRow("one short of the bottom is exact") << "bottom+ unit- unit" << bottom
                                                      << "S:" + bottom + " C+:-922337203685477.5807 C-:" + bottom;
    QTest::newRow("product past the top") << "top* x" << out << "S:" + top + " C*:" + out;
    QTest::newRow("product past the top divided back") << "top* x/ x" << top
                                                       << "S:" + top + " C*:" + out + " C/:" + top;
    QTest::newRow("quotient past the bottom") << "bottom/ half" << out << "S:" + bottom + " C/:" + out;
    // Past 128 bits nothing brings it back, but a division by 0 still restarts.
    QTest::newRow("past 128 bits stays out of range") << "top* top* top/ top/ top" << out
        << "S:" + top + " C*:" + out + " C*:" + out + " C/:" + out + " C/:" + out;
    QTest::newRow("out of range divided by 0 is 0") << "top* top* top/ zero+ x" << "100"
        << "S:" + top + " C*:" + out + " C*:" + out + " Z/:0 C+:100";
}

void TstFormulaEvaluator::sidesRunLeftToRight()
{
    QFETCH(QString, terms);
    QFETCH(QString, expected);
    QFETCH(QString, steps);
    AmountLookup a = amounts({{"x", "100"}, {"y", "30"}, {"z", "20"}, {"one", "1"}, {"three", "3"},
                              {"zero", "0"}, {"half", "0.5"}, {"tiny", "0.0001"}, {"tiny3", "0.0003"}});
    a.add(u"top", Decimal4::fromRaw(std::numeric_limits<qint64>::max()));
    a.add(u"bottom", Decimal4::fromRaw(std::numeric_limits<qint64>::min()));
    a.add(u"unit", Decimal4::fromRaw(1));
    const QList<FormulaTerm> sideTerms = side(terms);
    QCOMPARE(FormulaEvaluator::sideValue(sideTerms, a).toString(), expected);

    // The steps come from the same walk, and its last value is the value judged.
    QList<FormulaStep> walked;
    QCOMPARE(FormulaEvaluator::sideValue(sideTerms, a, &walked).toString(), expected);
    QStringList seen;
    for (const FormulaStep &step : walked)
        seen << QStringLiteral("SCMZN").at(int(step.effect)) + step.op + u':' + step.value.toString();
    QCOMPARE(seen.join(u' '), steps);

    // With this side on both sides, "<>" fails whenever the formula is judged:
    // its row and its explanation carry the same values.
    const Formula f{QStringLiteral("042"), QStringLiteral("<>"), sideTerms, sideTerms};
    const auto row = FormulaEvaluator::judge(f, a);
    const FormulaExplanation explained = FormulaEvaluator::explain(f, a);
    QCOMPARE(explained.holds, !row.has_value());
    QCOMPARE(explained.left.size(), sideTerms.size());
    QCOMPARE(explained.leftValue.toString(), expected);
    if (sideTerms.isEmpty())
        return;   // never judged
    QCOMPARE(*row->left, explained.leftValue);
    QCOMPARE(*row->right, explained.rightValue);
    QCOMPARE(explained.left.last().value, explained.leftValue);
}

void TstFormulaEvaluator::sumsAndDifferencesPastTheLimitsAreNeverClamped_data()
{
    using L = std::numeric_limits<qint64>;
    QTest::addColumn<qint64>("value");
    QTest::addColumn<QString>("op");
    QTest::addColumn<qint64>("amount");
    QTest::addColumn<QString>("expected");   // the step's value as the check shows it
    // Raw values (value times 10000): a sum past either end is out of range,
    // never clamped to that end nor wrapped round to the other sign; one step
    // short of the end is exact.
    const QString out = CheckValue::OutOfRangeText;
    QTest::newRow("max + 1") << L::max() << "+" << qint64(1) << out;
    QTest::newRow("max - -1") << L::max() << "-" << qint64(-1) << out;
    QTest::newRow("min + -1") << L::min() << "+" << qint64(-1) << out;
    QTest::newRow("min - 1") << L::min() << "-" << qint64(1) << out;
    QTest::newRow("max + max") << L::max() << "+" << L::max() << out;
    QTest::newRow("min - max") << L::min() << "-" << L::max() << out;
    QTest::newRow("max-1 + 1 exact") << L::max() - 1 << "+" << qint64(1) << "922337203685477.5807";
    QTest::newRow("min+1 - 1 exact") << L::min() + 1 << "-" << qint64(1) << "-922337203685477.5808";
    QTest::newRow("max + min") << L::max() << "+" << L::min() << "-0.0001";
    QTest::newRow("min * -1 (no negative twin)") << L::min() << "*" << qint64(-10000) << out;
    QTest::newRow("max * 1 exact") << L::max() << "*" << qint64(10000) << "922337203685477.5807";
    QTest::newRow("min / -1") << L::min() << "/" << qint64(-10000) << out;
    QTest::newRow("max * 0.5, the tie to even") << L::max() << "*" << qint64(5000) << "461168601842738.7904";
}

void TstFormulaEvaluator::sumsAndDifferencesPastTheLimitsAreNeverClamped()
{
    QFETCH(qint64, value);
    QFETCH(QString, op);
    QFETCH(qint64, amount);
    QFETCH(QString, expected);
    const WideDecimal4 step = FormulaEvaluator::combine(Decimal4::fromRaw(value), op, Decimal4::fromRaw(amount));
    QCOMPARE(CheckValue::of(step).toString(), expected);
}

void TstFormulaEvaluator::sideTextJoinsCodesAndOperators()
{
    QCOMPARE(FormulaEvaluator::sideText(side("C1+ C2* C3")), QStringLiteral("C1+C2*C3"));
    // The last term's operator belongs to the text although it is never applied.
    QCOMPARE(FormulaEvaluator::sideText(side("C1- C2/")), QStringLiteral("C1-C2/"));
    QCOMPARE(FormulaEvaluator::sideText({}), QString());
}

void TstFormulaEvaluator::stepTextsSayWhatEachStepDid_data()
{
    QTest::addColumn<QString>("terms");
    QTest::addColumn<int>("period");           // every term's marker: 0 current, 1 previous, -1 unread
    QTest::addColumn<QStringList>("lines");    // the fields of each step as the window shows them, then the comparison
    // Amounts: big = 1234567.5, minus = -100, zero = 0, one = 1; "gone" has none.
    QTest::newRow("start, missing, combined, division by zero, unknown operator")
        << "big+ gone- minus/ zero% minus" << 0
        << QStringList{"big||當期||1,234,567.5|1,234,567.5|起始值", "gone||當期|+|缺少|1,234,567.5|無金額，略過",
                       "minus||當期|-|-100|1,234,667.5|", "zero||當期|/|0|0|除數為零，累計歸零",
                       "minus||當期|%|-100|0|運算符號無效，累計不變", "0|=|1|不成立"};
    QTest::newRow("digit groups of negatives; blank operator; previous-period terms")
        << "big* minus one" << 1
        << QStringList{"big||前期||1,234,567.5|1,234,567.5|起始值；前期標記，仍取檢核月份金額",
                       "minus||前期|*|-100|-123,456,750|前期標記，仍取檢核月份金額",
                       "one||前期||1|-123,456,750|無運算符號，累計不變；前期標記，仍取檢核月份金額",
                       "-123,456,750|=|1|不成立"};
    QTest::newRow("markers not read: no period said") << "one" << -1 << QStringList{"one||||1|1|起始值", "1|=|1|成立"};
}

void TstFormulaEvaluator::stepTextsSayWhatEachStepDid()
{
    QFETCH(QString, terms);
    QFETCH(int, period);
    QFETCH(QStringList, lines);
    const Formula f{QStringLiteral("001"), QStringLiteral("="), side(terms), side("one")};
    FormulaExplanation e = FormulaEvaluator::explain(
        f, amounts({{"big", "1234567.5"}, {"minus", "-100"}, {"zero", "0"}, {"one", "1"}}));
    using ExplanationText::Numbers;
    QStringList seen;
    for (FormulaStep &step : e.left) {
        if (period >= 0)
            step.previousPeriod = period == 1;
        seen << ExplanationText::stepFields(step, Numbers::Grouped).join(u'|');
    }
    seen << ExplanationText::comparisonFields(e, Numbers::Grouped).join(u'|');
    QCOMPARE(seen, lines);
}

void TstFormulaEvaluator::judgingFollowsTheComparison_data()
{
    QTest::addColumn<QString>("quop");
    QTest::addColumn<QString>("left");
    QTest::addColumn<QString>("right");
    QTest::addColumn<bool>("holds");

    QTest::newRow("= equal") << "=" << "1" << "1" << true;
    QTest::newRow("= off by 0.0001") << "=" << "1" << "1.0001" << false;
    QTest::newRow("> greater") << ">" << "2" << "1" << true;
    QTest::newRow("> equal") << ">" << "1" << "1" << false;
    QTest::newRow("< less") << "<" << "1" << "2" << true;
    QTest::newRow("< equal") << "<" << "1" << "1" << false;
    QTest::newRow(">= equal") << ">=" << "1" << "1" << true;
    QTest::newRow(">= less") << ">=" << "0.9999" << "1" << false;
    QTest::newRow("<= equal") << "<=" << "1" << "1" << true;
    QTest::newRow("<= greater") << "<=" << "1.0001" << "1" << false;
    QTest::newRow("<> different") << "<>" << "1" << "2" << true;
    QTest::newRow("<> equal") << "<>" << "5" << "5" << false;
    QTest::newRow("empty comparison") << "" << "1" << "2" << true;
    QTest::newRow("unknown comparison") << "==" << "1" << "2" << true;
    QTest::newRow("unknown comparison 2") << "=<" << "2" << "1" << true;
}

void TstFormulaEvaluator::judgingFollowsTheComparison()
{
    QFETCH(QString, quop);
    QFETCH(QString, left);
    QFETCH(QString, right);
    QFETCH(bool, holds);
    QCOMPARE(FormulaEvaluator::holds(quop, *Decimal4::parse(left), *Decimal4::parse(right)), holds);

    // The same through a whole formula: a row exactly when it does not hold.
    const AmountLookup a = amounts({{"L", qPrintable(left)}, {"R", qPrintable(right)}});
    const Formula f{QStringLiteral("001"), quop, side("L"), side("R")};
    QCOMPARE(FormulaEvaluator::judge(f, a).has_value(), !holds);
}

void TstFormulaEvaluator::aSideOutOfRangeFailsWhateverTheComparison_data()
{
    QTest::addColumn<QString>("quop");
    QTest::addColumn<QString>("left");
    QTest::addColumn<QString>("right");
    QTest::addColumn<QString>("comparison");   // the explanation's, fields joined by "|"
    const QString out = CheckValue::OutOfRangeText;
    QTest::newRow("= , the left past the top") << "=" << "big* big" << "y" << out + "|=|30|不成立";
    QTest::newRow("<> , both past the top") << "<>" << "big* big" << "big* big" << out + "|<>|" + out + "|不成立";
    QTest::newRow("unknown comparison, the right past") << "==" << "y" << "big* big" << "30|==|" + out + "|不成立";
    QTest::newRow("empty comparison") << "" << "big* big" << "y" << out + "||30|不成立";
    QTest::newRow("back in range holds") << "=" << "big* big/ big" << "big" << "100,000,000,000,000|=|100,000,000,000,000|成立";
}

// A side that Decimal4 cannot hold is never taken as holding: its row is listed
// and says so in words, and its explanation says the same.
void TstFormulaEvaluator::aSideOutOfRangeFailsWhateverTheComparison()
{
    QFETCH(QString, quop);
    QFETCH(QString, left);
    QFETCH(QString, right);
    QFETCH(QString, comparison);
    const AmountLookup a = amounts({{"big", "100000000000000"}, {"y", "30"}});
    const Formula f{QStringLiteral("042"), quop, side(left), side(right)};
    const auto row = FormulaEvaluator::judge(f, a);
    const FormulaExplanation explained = FormulaEvaluator::explain(f, a);
    QCOMPARE(ExplanationText::comparisonFields(explained, ExplanationText::Numbers::Grouped).join(u'|'),
             comparison);
    QCOMPARE(row.has_value(), !explained.holds);
    if (row) {
        QCOMPARE(*row->left, explained.leftValue);
        QCOMPARE(*row->right, explained.rightValue);
    }
}

void TstFormulaEvaluator::formulaWithoutLeftTermsIsNeverReported()
{
    const AmountLookup a = amounts({{"R", "5"}});
    const QStringList comparisons{QStringLiteral("="), QStringLiteral(">"), QStringLiteral("<"),
                                  QStringLiteral("<>"), QStringLiteral(">=")};
    for (const QString &quop : comparisons) {
        const Formula f{QStringLiteral("001"), quop, {}, side("R")};
        QVERIFY2(!FormulaEvaluator::judge(f, a), qPrintable(quop));
    }
    // Both sides empty: still nothing.
    QVERIFY(!FormulaEvaluator::judge(Formula{QStringLiteral("002"), QStringLiteral("<>"), {}, {}}, a));
    // A left side whose terms are all missing from the month is judged on 0.
    const Formula missing{QStringLiteral("003"), QStringLiteral("="), side("gone"), side("gone2")};
    QVERIFY(!FormulaEvaluator::judge(missing, a));
    const Formula greater{QStringLiteral("004"), QStringLiteral(">"), side("gone"), side("gone2")};
    QVERIFY(FormulaEvaluator::judge(greater, a));
    // Left terms but no right terms: the right side is 0.
    const Formula noRight{QStringLiteral("005"), QStringLiteral("="), side("R"), {}};
    const auto row = FormulaEvaluator::judge(noRight, a);
    QVERIFY(row);
    QCOMPARE(row->remark, QStringLiteral("R="));
    QCOMPARE(row->right, Decimal4());
}

void TstFormulaEvaluator::failingFormulaRowCarriesTextsAndValues()
{
    const AmountLookup a = amounts({{"11000", "100"}, {"12000", "30"}, {"13000", "20"}, {"19999", "0.3333"},
                                    {"20000", "1"}, {"30000", "3"}});
    // 1 / 3 = 0.3333 holds against 0.3333.
    const Formula third{QStringLiteral("001"), QStringLiteral("="), side("20000/ 30000"), side("19999")};
    QVERIFY(!FormulaEvaluator::judge(third, a));

    const Formula f{QStringLiteral("002"), QStringLiteral(">="), side("11000+ 12000- 13000"), side("19999* 30000")};
    QVERIFY(!FormulaEvaluator::judge(f, a));   // 110 >= 0.9999
    const Formula g{QStringLiteral("003"), QStringLiteral("<="), side("11000+ 12000- 13000"), side("19999* 30000")};
    const auto row = FormulaEvaluator::judge(g, a);
    QVERIFY(row);
    QCOMPARE(row->remark, QStringLiteral("11000+12000-13000<=19999*30000"));
    QCOMPARE(row->left->toString(), QStringLiteral("110"));
    QCOMPARE(row->right->toString(), QStringLiteral("0.9999"));

    // "<>" on equal sides is reported.
    const Formula h{QStringLiteral("004"), QStringLiteral("<>"), side("11000"), side("12000+ 13000* 2x")};
    const auto equal = FormulaEvaluator::judge(h, amounts({{"11000", "100"}, {"12000", "30"}, {"13000", "20"},
                                                            {"2x", "2"}}));
    QVERIFY(equal);
    QCOMPARE(equal->remark, QStringLiteral("11000<>12000+13000*2x"));

    // A prefix (the county check's) leads the remark.
    const auto prefixed = FormulaEvaluator::judge(g, a, QStringLiteral("A  臺北市資料有誤   "));
    QCOMPARE(prefixed->remark, QStringLiteral("A  臺北市資料有誤   11000+12000-13000<=19999*30000"));
}

void TstFormulaEvaluator::remarkIsCutAt120Characters()
{
    // 25 terms of five characters and an operator each: 150 characters of left text.
    QList<FormulaTerm> left;
    AmountLookup a;
    for (int i = 0; i < 25; ++i) {
        const QString code = QStringLiteral("A%1").arg(i, 4, 10, QLatin1Char('0'));
        left.append({code, QStringLiteral("+")});
        a.add(code, Decimal4::fromInt(1));
    }
    const Formula f{QStringLiteral("001"), QStringLiteral("="), left, side("B0001")};
    const auto row = FormulaEvaluator::judge(f, a);
    QVERIFY(row);
    QCOMPARE(row->remark.size(), 120);
    QVERIFY(row->remark.startsWith(QStringLiteral("A0000+A0001+")));
    QCOMPARE(row->remark, (FormulaEvaluator::sideText(left) + QStringLiteral("=B0001")).left(120));
    QCOMPARE(row->left->toString(), QStringLiteral("25"));

    // Exactly 120 stays whole; short remarks are untouched.
    const QString exact(120, u'x');
    QCOMPARE(CheckResultRow::cutRemark(exact), exact);
    QCOMPARE(CheckResultRow::cutRemark(exact + u'y'), exact);
    QCOMPARE(CheckResultRow::cutRemark(QStringLiteral("ab")), QStringLiteral("ab"));
}

void TstFormulaEvaluator::missingAccountsFollowTheFormulaRowsInAccountOrder()
{
    // Accounts deliberately not in code order: the set's order is kept.
    const QList<FormulaAccount> accounts{{QStringLiteral("30000"), QStringLiteral("乙科目")},
                                         {QStringLiteral("10000"), QStringLiteral("甲科目")},
                                         {QStringLiteral("20000"), QStringLiteral("丙科目")},
                                         {QStringLiteral("40000"), QStringLiteral("丁科目")}};
    const QList<Formula> formulas{
        {QStringLiteral("001"), QStringLiteral("="), side("10000"), side("20000")},          // holds
        {QStringLiteral("002"), QStringLiteral(">"), side("10000"), side("20000")},          // fails
        {QStringLiteral("003"), QStringLiteral("="), side("30000+ 10000"), side("20000")},   // 30000 missing: holds
        {QStringLiteral("004"), QStringLiteral("<>"), side("40000"), side("30000")},         // both missing: fails
    };
    const FormulaSet set(formulas, accounts);
    const AmountLookup a = amounts({{"10000", "7"}, {"20000", "7"}});

    QList<int> seen;
    const QList<CheckResultRow> rows = FormulaEvaluator::check(set, a, [&seen](int k, int n) {
        QCOMPARE(n, 4);
        seen.append(k);
    });
    QCOMPARE(seen, (QList<int>{1, 2, 3, 4}));
    const QList<CheckResultRow> expected{
        {QStringLiteral("10000>20000"), dec("7"), dec("7")},
        {QStringLiteral("40000<>30000"), Decimal4(), Decimal4()},
        {QStringLiteral("缺少營運科目: 30000   乙科目"), std::nullopt, std::nullopt},
        {QStringLiteral("缺少營運科目: 40000   丁科目"), std::nullopt, std::nullopt},
    };
    QCOMPARE(rows, expected);
    // Formula rows know their formula's place in the set; missing accounts have no formula.
    QCOMPARE(rows.at(0).source, (CheckResultRow::Source{1, -1}));
    QCOMPARE(rows.at(1).source, (CheckResultRow::Source{3, -1}));
    QVERIFY(!rows.at(2).source && !rows.at(3).source);
    // A second check over the same data gives the same rows, nothing accumulates.
    QCOMPARE(FormulaEvaluator::check(set, a), expected);
}

void TstFormulaEvaluator::lookupKeepsTheFirstAmountAndIgnoresTrailingBlanks()
{
    AmountLookup a;
    a.add(u"11000  ", 12.5);
    a.add(u"11000", 99.0);
    a.add(u"9001p", 0.00015);   // the stored double of a typed tie rounds to even: 0.0002
    QCOMPARE(a.size(), 2);
    QVERIFY(a.find(QStringLiteral("11000")));
    QCOMPARE(a.find(QStringLiteral("11000"))->toString(), QStringLiteral("12.5"));
    QCOMPARE(a.find(QStringLiteral("9001p"))->toString(), QStringLiteral("0.0002"));
    QVERIFY(!a.find(QStringLiteral("11000 ")));   // terms are kept without blanks already
    QCOMPARE(AmountLookup::key(u"A1  "), QStringLiteral("A1"));
    QCOMPARE(AmountLookup::key(u" A1"), QStringLiteral(" A1"));
}

// A whole set is judged through its prepared plan (each code looked up once);
// every row must be the one its formula gives judged alone, in the set's order.
void TstFormulaEvaluator::aSetJudgesAsEachFormulaAlone_data()
{
    QTest::addColumn<QStringList>("formulas");   // "comparison|left side|right side"
    QTest::addColumn<QStringList>("month");      // "code=amount"
    QTest::addColumn<int>("failing");

    const QStringList month{"11000=100", "12000=30", "13000=0", "14000=2.5"};
    QTest::newRow("a code on both sides") << QStringList{"=|11000+ 12000|11000- 12000", ">|12000|12000"} << month << 2;
    QTest::newRow("a code twice on a side") << QStringList{"=|14000* 14000* 14000|11000", "<|11000- 11000|13000"}
                                            << month << 2;
    QTest::newRow("codes the month lacks") << QStringList{"=|99999+ 11000|11000", "<>|88888|77777"} << month << 1;
    QTest::newRow("no amounts at all") << QStringList{"=|11000|12000", ">|12000/ 13000|11000"} << QStringList{} << 1;
    QTest::newRow("division by zero, then a formula without left terms")
        << QStringList{"=|11000/ 13000|13000", "=||11000", "<=|11000|12000"} << month << 1;
}

void TstFormulaEvaluator::aSetJudgesAsEachFormulaAlone()
{
    QFETCH(QStringList, formulas);
    QFETCH(QStringList, month);
    QFETCH(int, failing);

    QList<Formula> list;
    for (const QString &written : formulas) {
        const QStringList parts = written.split(u'|');
        list.append({QString::number(list.size()), parts.at(0), side(parts.at(1)), side(parts.at(2))});
    }
    AmountLookup lookup;
    for (const QString &entry : month)
        lookup.add(entry.section(u'=', 0, 0), dec(entry.section(u'=', 1).toLatin1().constData()));
    const FormulaSet set(list, {});
    const QString prefix = QStringLiteral("B  新北市資料有誤   ");

    QList<CheckResultRow> rows;
    FormulaEvaluator::appendFailingFormulas(rows, set, lookup, prefix);
    QList<CheckResultRow> alone;
    QList<int> sources;
    for (int k = 0; k < list.size(); ++k) {
        if (const auto row = FormulaEvaluator::judge(list.at(k), lookup, prefix)) {
            alone.append(*row);
            sources.append(k);
        }
    }
    QCOMPARE(rows.size(), qsizetype(failing));
    QCOMPARE(rows, alone);
    for (qsizetype i = 0; i < rows.size(); ++i)
        QCOMPARE(rows.at(i).source->formula, sources.at(i));
}

QTEST_GUILESS_MAIN(TstFormulaEvaluator)
#include "tst_formula_evaluator.moc"
