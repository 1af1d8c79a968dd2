#include "checks/formula_set.h"
#include "checks/operating_check.h"
#include "tests/support/explanation_match.h"
#include "db/database.h"
#include "db/dialect.h"
#include "tests/support/test_database.h"

#include <QSet>
#include <QSqlQuery>
#include <QTest>

// The formula set read from the database and the operating data check of a
// month, on small databases of their own and on the shipped sample month.
class TstOperatingCheck : public QObject
{
    Q_OBJECT
private slots:
    void formulaSetKeepsOrdersAndDropsUnknownAccounts();
    void countyTablesReadTheirOwnAccountsByCode();
    void unknownTableIsRefused();
    void periodAndMissingDataStopTheCheck();
    void monthIsCheckedForItsInstitutionOnly();
    void twoChecksInARowGiveTheSameRows();
    void formulasChangedBetweenChecksCount();
    void sampleMonthPasses();
    void changedAmountFailsExactlyTheFormulasUsingIt();
    void everyFailingRowIsExplainedWithItsValues_data();
    void periodMarkersOfTheFormulaAsRead_data();
    void periodMarkersOfTheFormulaAsRead();
    void everyFailingRowIsExplainedWithItsValues();
};

namespace {

const QString Bank = QStringLiteral("995");

bool account(TestDatabase &db, const QString &code, const QString &name, const QString &table = "CACNO")
{
    return db.insertRow(table, {{"ACC_CODE", code}, {"ACC_NAME", name}});
}

bool header(TestDatabase &db, const QString &cano, const QString &quop, const QString &table = "RuleNo1")
{
    return db.insertRow(table, {{"acc_type", "1"}, {"cano", cano}, {"quop", quop}, {"remark", "測試公式"}});
}

bool term(TestDatabase &db, const QString &cano, const QString &leftFlag, int nserial, const QString &code,
          const QString &noop = {}, const QString &table = "RuleNo2")
{
    return db.insertRow(table, {{"acc_type", "1"}, {"cano", cano}, {"left_flag", leftFlag}, {"nserial", nserial},
                                {"acc_code", code}, {"noop", noop}, {"TCURR", QString()}});
}

bool amount(TestDatabase &db, int year, int month, const QString &bank, const QString &code, double amt, int serial)
{
    return db.insertRow("MPBANK", {{"M_YEAR", year}, {"M_MONTH", month}, {"BANK_CODE", bank}, {"ACC_CODE", code},
                                   {"AMT", amt}, {"SERIAL", serial}});
}

// The terms of both sides, "|" between them.
QString sides(const Formula &f, const QString &between = "|")
{
    QString text;
    for (const FormulaTerm &t : f.left)
        text += t.accCode + t.noop;
    text += between;
    for (const FormulaTerm &t : f.right)
        text += t.accCode + t.noop;
    return text;
}

// A small month: accounts in a stored order that is not the code order, three
// formulas, amounts of 115/10 for the institution 995.
bool smallMonth(TestDatabase &db)
{
    return account(db, "30000", "權益") && account(db, "10000", "資產") && account(db, "20000", "負債")
        && account(db, "40000", "收入")
        && header(db, "001", "=")    // 10000 = 20000 + 30000: holds
        && term(db, "001", "0", 1, "10000") && term(db, "001", "1", 1, "20000", "+") && term(db, "001", "1", 2, "30000")
        && header(db, "002", "<")    // 10000 < 20000: fails
        && term(db, "002", "0", 1, "10000") && term(db, "002", "1", 1, "20000")
        && header(db, "003", ">")    // 40000 (missing) > 30000: fails
        && term(db, "003", "0", 1, "40000") && term(db, "003", "1", 1, "30000")
        && amount(db, 115, 10, Bank, "10000", 100.25, 1) && amount(db, 115, 10, Bank, "20000", 60, 2)
        && amount(db, 115, 10, Bank, "30000", 40.25, 3);
}

QList<CheckResultRow> smallMonthRows()
{
    return {
        {QStringLiteral("10000<20000"), Decimal4::fromRaw(1002500), Decimal4::fromInt(60)},
        {QStringLiteral("40000>30000"), Decimal4(), Decimal4::fromRaw(402500)},
        {QStringLiteral("缺少營運科目: 40000   收入"), std::nullopt, std::nullopt},
    };
}

} // namespace

void TstOperatingCheck::formulaSetKeepsOrdersAndDropsUnknownAccounts()
{
    TestDatabase db(TestDatabase::Content::Empty);
    QVERIFY2(db.isValid(), qPrintable(db.lastError()));
    // Accounts stored out of code order; one name with trailing blanks.
    QVERIFY(account(db, "B2", "乙") && account(db, "A1", "甲  ") && account(db, "C3", "丙"));
    // Headers and terms inserted out of order.
    QVERIFY(header(db, "010", ">=") && header(db, "002", "= "));
    QVERIFY(header(db, "005", "<>"));   // only unknown left terms
    QVERIFY(term(db, "002", "1", 2, "C3") && term(db, "002", "0", 3, "C3") && term(db, "002", "0", 1, "A1", "+"));
    QVERIFY(term(db, "002", "0", 2, "ZZ", "*"));  // not in CACNO
    QVERIFY(term(db, "002", "1", 1, "B2", "-"));
    QVERIFY(term(db, "010", "0", 1, "A1 "));  // blank-padded code
    QVERIFY(term(db, "010", "1", 1, "B2") && term(db, "005", "0", 1, "YY") && term(db, "005", "1", 1, "A1"));
    QVERIFY(term(db, "999", "0", 1, "A1"));  // no header

    FormulaSet set;
    QString error;
    QVERIFY2(set.load(FormulaTables::operating(), &error, db.connectionName()), qPrintable(error));
    QCOMPARE(set.formulas().size(), 3);
    QCOMPARE(set.formulas().at(0).cano, QStringLiteral("002"));
    QCOMPARE(set.formulas().at(1).cano, QStringLiteral("005"));
    QCOMPARE(set.formulas().at(2).cano, QStringLiteral("010"));
    // Terms by nserial; the one over an account missing from CACNO is gone,
    // code and text alike.
    QCOMPARE(sides(set.formulas().at(0)), QStringLiteral("A1+C3|B2-C3"));
    QCOMPARE(set.formulas().at(0).quop, QStringLiteral("="));
    QCOMPARE(sides(set.formulas().at(1)), QStringLiteral("|A1"));
    QCOMPARE(sides(set.formulas().at(2)), QStringLiteral("A1|B2"));
    // Accounts in stored order, without trailing blanks.
    QCOMPARE(set.accounts().size(), 3);
    QCOMPARE(set.accounts().at(0).code, QStringLiteral("B2"));
    QCOMPARE(set.accounts().at(1).code, QStringLiteral("A1"));
    QCOMPARE(set.accounts().at(1).name, QStringLiteral("甲"));
    QCOMPARE(set.accounts().at(2).code, QStringLiteral("C3"));

    // Reading again gives the same set (nothing is appended to the last one).
    QVERIFY(set.load(FormulaTables::operating(), &error, db.connectionName()));
    QCOMPARE(set.formulas().size(), 3);
    QCOMPARE(sides(set.formulas().at(0)), QStringLiteral("A1+C3|B2-C3"));
}

void TstOperatingCheck::countyTablesReadTheirOwnAccountsByCode()
{
    TestDatabase db(TestDatabase::Content::Empty);
    QVERIFY2(db.isValid(), qPrintable(db.lastError()));
    QVERIFY(account(db, "H2", "乙", "HCACNO") && account(db, "H1", "甲", "HCACNO") && account(db, "X9", "營運"));
    QVERIFY(header(db, "001", "=", "HRuleNo1"));
    QVERIFY(term(db, "001", "0", 1, "H2", {}, "HRuleNo2") && term(db, "001", "1", 1, "X9", {}, "HRuleNo2"));

    FormulaSet set;
    QString error;
    QVERIFY2(set.load(FormulaTables::county(), &error, db.connectionName()), qPrintable(error));
    QCOMPARE(set.formulas().size(), 1);
    QCOMPARE(sides(set.formulas().at(0)), QStringLiteral("H2|"));   // X9 is not a county account
    QCOMPARE(set.accounts().size(), 2);
    QCOMPARE(set.accounts().at(0).code, QStringLiteral("H1"));
    QCOMPARE(set.accounts().at(1).code, QStringLiteral("H2"));
}

void TstOperatingCheck::unknownTableIsRefused()
{
    TestDatabase db(TestDatabase::Content::Empty);
    QVERIFY2(db.isValid(), qPrintable(db.lastError()));
    FormulaTables tables = FormulaTables::operating();
    tables.termTable = QStringLiteral("RuleNo2; drop table CACNO");
    FormulaSet set;
    QString error;
    QVERIFY(!set.load(tables, &error, db.connectionName()));
    QVERIFY(!error.isEmpty());
    QCOMPARE(db.count(QStringLiteral("CACNO")), 0);
    QSqlQuery layout(db.db());
    QVERIFY(layout.exec(Database::dialect(db.connectionName()).tablesQuery()));
    bool cacnoStands = false;
    while (layout.next())
        cacnoStands = cacnoStands || layout.value(0).toString().compare("CACNO", Qt::CaseInsensitive) == 0;
    QVERIFY(cacnoStands);
}

void TstOperatingCheck::periodAndMissingDataStopTheCheck()
{
    TestDatabase db(TestDatabase::Content::Empty);
    QVERIFY2(db.isValid(), qPrintable(db.lastError()));
    QVERIFY(smallMonth(db));
    // A row of the month whose account is not in CACNO does not count as data.
    QVERIFY(amount(db, 115, 11, Bank, "77777", 5, 1));

    OperatingCheck check(db.connectionName());
    QCOMPARE(check.run(Bank, 0, 10), OperatingCheck::Status::PeriodIncomplete);
    QCOMPARE(check.run(Bank, 115, 0), OperatingCheck::Status::PeriodIncomplete);
    QCOMPARE(check.run(Bank, 115, 9), OperatingCheck::Status::NoData);
    QCOMPARE(check.run(Bank, 115, 11), OperatingCheck::Status::NoData);
    QCOMPARE(check.run(QStringLiteral("9950011"), 115, 10), OperatingCheck::Status::NoData);
    QVERIFY(check.rows().isEmpty());
    // evaluate() after a refused prepare() evaluates nothing.
    QCOMPARE(check.evaluate(), OperatingCheck::Status::NoData);
    QVERIFY(check.rows().isEmpty());
}

void TstOperatingCheck::monthIsCheckedForItsInstitutionOnly()
{
    TestDatabase db(TestDatabase::Content::Empty);
    QVERIFY2(db.isValid(), qPrintable(db.lastError()));
    QVERIFY(smallMonth(db));
    // Rows of another institution and of another month must not be looked at.
    QVERIFY(amount(db, 115, 10, "9950011", "40000", 1000, 4) && amount(db, 115, 9, Bank, "40000", 1000, 4)
            && amount(db, 114, 10, Bank, "40000", 1000, 4));

    OperatingCheck check(db.connectionName());
    QList<int> progress;
    QCOMPARE(check.run(Bank, 115, 10, [&progress](int k, int n) { progress.append(k * 100 / n); }),
             OperatingCheck::Status::RowsFound);
    QCOMPARE(check.rows(), smallMonthRows());
    QCOMPARE(progress, (QList<int>{33, 66, 100}));
    QCOMPARE(check.amountRowCount(), 3);
}

void TstOperatingCheck::twoChecksInARowGiveTheSameRows()
{
    TestDatabase db(TestDatabase::Content::Empty);
    QVERIFY2(db.isValid(), qPrintable(db.lastError()));
    QVERIFY(smallMonth(db));
    OperatingCheck check(db.connectionName());
    QCOMPARE(check.run(Bank, 115, 10), OperatingCheck::Status::RowsFound);
    QCOMPARE(check.rows(), smallMonthRows());
    QCOMPARE(check.run(Bank, 115, 10), OperatingCheck::Status::RowsFound);
    QCOMPARE(check.rows(), smallMonthRows());
    QCOMPARE(check.evaluate(), OperatingCheck::Status::RowsFound);
    QCOMPARE(check.rows(), smallMonthRows());
    // Nothing of the results is ever written.
    QCOMPARE(db.count(QStringLiteral("CACNONO3")), 0);
}

void TstOperatingCheck::formulasChangedBetweenChecksCount()
{
    TestDatabase db(TestDatabase::Content::Empty);
    QVERIFY2(db.isValid(), qPrintable(db.lastError()));
    QVERIFY(smallMonth(db));
    OperatingCheck check(db.connectionName());
    QCOMPARE(check.run(Bank, 115, 10), OperatingCheck::Status::RowsFound);
    // The formula windows fix the two failing formulas and the missing amount
    // is keyed in: the next check passes.
    QVERIFY(db.exec(QStringLiteral("update RuleNo1 set quop = '>' where cano = '002'")));
    QVERIFY(db.exec(QStringLiteral("update RuleNo1 set quop = '<=' where cano = '003'")));
    QVERIFY(amount(db, 115, 10, Bank, "40000", 40.25, 4));
    QCOMPARE(check.run(Bank, 115, 10), OperatingCheck::Status::AllHold);
    QVERIFY(check.rows().isEmpty());
}

void TstOperatingCheck::sampleMonthPasses()
{
    TestDatabase db(TestDatabase::Content::ReferenceData);
    QVERIFY2(db.isValid(), qPrintable(db.lastError()));
    const QString bank = db.scalar(QStringLiteral("select BANK_NO from BN01 order by rowid limit 1")).toString();
    const QVariant year = db.scalar(QStringLiteral("select M_YEAR from MPBANK where BANK_CODE = '%1' "
                                                   "order by rowid limit 1").arg(bank));
    const QVariant month = db.scalar(QStringLiteral("select M_MONTH from MPBANK where BANK_CODE = '%1' "
                                                    "order by rowid limit 1").arg(bank));
    QVERIFY(year.isValid() && month.isValid());
    OperatingCheck check(db.connectionName());
    const auto status = check.run(bank, year.toInt(), month.toInt());
    for (const CheckResultRow &row : check.rows())
        qWarning("%s", qPrintable(row.remark));
    QCOMPARE(status, OperatingCheck::Status::AllHold);
    QVERIFY(check.amountRowCount() > 0);
}

void TstOperatingCheck::changedAmountFailsExactlyTheFormulasUsingIt()
{
    TestDatabase db(TestDatabase::Content::ReferenceData);
    QVERIFY2(db.isValid(), qPrintable(db.lastError()));
    const QString bank = db.scalar(QStringLiteral("select BANK_NO from BN01 order by rowid limit 1")).toString();
    const int year = db.scalar(QStringLiteral("select M_YEAR from MPBANK order by rowid limit 1")).toInt();
    const int month = db.scalar(QStringLiteral("select M_MONTH from MPBANK order by rowid limit 1")).toInt();

    // Pre-tax profit (60000) stands in "=" formulas only, on both sides.
    const QString changed = QStringLiteral("60000");
    QSet<QString> using_;
    {
        QSqlQuery q(db.db());
        QVERIFY(q.exec(QStringLiteral("select distinct A.cano from RuleNo2 A, RuleNo1 H where H.cano = A.cano "
                                      "and A.acc_code = '%1' order by A.cano").arg(changed)));
        while (q.next())
            using_.insert(q.value(0).toString());
    }
    QVERIFY2(using_.size() >= 2, "the sample formulas use 60000 in at least two formulas");
    QVERIFY(db.exec(QStringLiteral("update MPBANK set AMT = AMT + 0.0001 where ACC_CODE = '%1' and M_YEAR = %2 "
                                   "and M_MONTH = %3 and BANK_CODE = '%4'")
                        .arg(changed).arg(year).arg(month).arg(bank)));

    FormulaSet set;
    QString error;
    QVERIFY(set.load(FormulaTables::operating(), &error, db.connectionName()));
    QHash<QString, QString> canoByText;
    for (const Formula &f : set.formulas())
        canoByText.insert(sides(f, f.quop), f.cano);

    OperatingCheck check(db.connectionName());
    QCOMPARE(check.run(bank, year, month), OperatingCheck::Status::RowsFound);
    QSet<QString> failing;
    for (const CheckResultRow &row : check.rows()) {
        QVERIFY2(row.left && row.right, qPrintable(row.remark));   // no account went missing
        QVERIFY2(canoByText.contains(row.remark), qPrintable(row.remark));
        QVERIFY(*row.left != *row.right);
        failing.insert(canoByText.value(row.remark));
    }
    QCOMPARE(failing, using_);
}

void TstOperatingCheck::everyFailingRowIsExplainedWithItsValues_data()
{
    QTest::addColumn<QString>("change");         // applied to the sample month first
    QTest::addColumn<int>("formulaRows");        // failing formulas at least
    QTest::addColumn<int>("previousPeriodSteps");
    QTest::newRow("amounts shifted by odd decimals")
        << "update MPBANK set AMT = AMT * 1.0007 + (rowid % 7) * 0.00013 - 1" << 8 << 0;
    QTest::newRow("every amount 0: divisions by 0") << "update MPBANK set AMT = 0" << 2 << 0;
    QTest::newRow("every third amount missing") << "delete from MPBANK where rowid % 3 = 0" << 5 << 0;
    QTest::newRow("negative amounts") << "update MPBANK set AMT = -AMT * 1.5" << 3 << 0;
    // Formula 013 compares this month with terms marked as the previous month.
    QTest::newRow("previous-period terms") << "update RuleNo1 set quop = '>' where cano = '013'" << 1 << 2;
}

void TstOperatingCheck::everyFailingRowIsExplainedWithItsValues()
{
    QFETCH(QString, change);
    QFETCH(int, formulaRows);
    QFETCH(int, previousPeriodSteps);
    TestDatabase db(TestDatabase::Content::ReferenceData);
    QVERIFY2(db.isValid(), qPrintable(db.lastError()));
    QVERIFY(db.exec(change));
    OperatingCheck check(db.connectionName());
    QCOMPARE(check.run(Bank, 115, 10), OperatingCheck::Status::RowsFound);
    int explained = 0;
    int previous = 0;
    for (const CheckResultRow &row : check.rows()) {
        const auto e = check.explain(row);
        QVERIFY2(explanationMismatch(row, e, check.amounts()).isEmpty(),
                 qPrintable(row.remark + u' ' + explanationMismatch(row, e, check.amounts())));
        if (!e)
            continue;
        ++explained;
        // The explanation is of the row's own formula: its terms spell the remark.
        QString text;
        for (const QList<FormulaStep> *side : {&e->left, &e->right}) {
            for (const FormulaStep &step : *side) {
                text += step.term.accCode + step.term.noop;
                QVERIFY2(step.previousPeriod, qPrintable(step.term.accCode + " without a period"));
                previous += *step.previousPeriod ? 1 : 0;
            }
            if (side == &e->left)
                text += e->quop;
        }
        QCOMPARE(row.remark, CheckResultRow::cutRemark(text));
    }
    QVERIFY2(explained >= formulaRows, qPrintable(QString::number(explained)));
    QCOMPARE(previous, previousPeriodSteps);
}

void TstOperatingCheck::periodMarkersOfTheFormulaAsRead_data()
{
    QTest::addColumn<QString>("change");   // made after the set is read
    QTest::addColumn<bool>("read");
    QTest::addColumn<QList<bool>>("previous");
    // Formula 013 of the sample: 31000 + 32000 >= the same two of the previous month.
    QTest::newRow("as read") << "" << true << QList<bool>{false, false, true, true};
    QTest::newRow("a marker of blanks is the current month")
        << "update RuleNo2 set TCURR = ' ' where cano = '013' and nserial = 2 and left_flag = '1'" << true
        << QList<bool>{false, false, true, false};
    QTest::newRow("a term added since") << "insert into RuleNo2 values ('1', '013', '1', 3, '33000', '', '1')"
                                        << false << QList<bool>();
    QTest::newRow("a term's account changed since")
        << "update RuleNo2 set acc_code = '33000' where cano = '013' and nserial = 1 and left_flag = '0'" << false
        << QList<bool>();
}

void TstOperatingCheck::periodMarkersOfTheFormulaAsRead()
{
    QFETCH(QString, change);
    QFETCH(bool, read);
    QFETCH(QList<bool>, previous);
    TestDatabase db(TestDatabase::Content::ReferenceData);
    QVERIFY2(db.isValid(), qPrintable(db.lastError()));
    FormulaSet set;
    QString error;
    QVERIFY(set.load(FormulaTables::operating(), &error, db.connectionName()));
    const auto it = std::find_if(set.formulas().cbegin(), set.formulas().cend(),
                                 [](const Formula &f) { return f.cano == QStringLiteral("013"); });
    QVERIFY(it != set.formulas().cend());
    if (!change.isEmpty())
        QVERIFY(db.exec(change));
    QList<bool> marks{true};
    QCOMPARE(FormulaSet::readPeriods(FormulaTables::operating(), *it, &marks, &error, db.connectionName()), read);
    QCOMPARE(marks, previous);
}

QTEST_GUILESS_MAIN(TstOperatingCheck)
#include "tst_operating_check.moc"
