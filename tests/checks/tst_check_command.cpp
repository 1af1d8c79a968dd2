#include "tests/support/cli_process.h"
#include "tests/support/test_database.h"

#include <QRegularExpression>
#include <QTest>

// velq8-cli check, run as a user runs it, on a database of its own.
class TstCheckCommand : public QObject
{
    Q_OBJECT
private slots:
    void sampleMonthHolds();
    void failingRowsAreListedWithPlainValues_data();
    void failingRowsAreListedWithPlainValues();
    void wrongInputAndEmptyMonthExitWithTwo();
    void countyCheckExitStatus_data();
    void countyCheckExitStatus();
    void explainLeavesTheRowLinesAsTheyAre_data();
    void explainLeavesTheRowLinesAsTheyAre();
};

void TstCheckCommand::sampleMonthHolds()
{
    TestDatabase db(TestDatabase::Content::ReferenceData);
    QVERIFY2(db.isValid(), qPrintable(db.lastError()));
    const int year = db.scalar(QStringLiteral("select M_YEAR from MPBANK order by rowid limit 1")).toInt();
    const int month = db.scalar(QStringLiteral("select M_MONTH from MPBANK order by rowid limit 1")).toInt();
    const CliProcess run = velq8(db.path(), {QStringLiteral("check"), QStringLiteral("--year"), QString::number(year),
                                    QStringLiteral("--month"), QString::number(month)});
    QCOMPARE(run.err, QString());
    QCOMPARE(run.out, QStringLiteral("資料完全符合!!!\n"));
    QCOMPARE(run.status, 0);
}

void TstCheckCommand::failingRowsAreListedWithPlainValues_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QString>("out");
    // 1 / 3 = 0.3333; right side: 30000 missing, then - 3 = -3.
    const QString plain = QStringLiteral("10000/20000=30000-20000\t0.3333\t-3\n"
                                         "缺少營運科目: 30000   權益\t\t\n");
    QTest::newRow("rows only") << QStringList() << plain;
    QTest::newRow("--explain: the steps under the formula's line")
        << QStringList{"--explain"}
        << QStringLiteral("10000/20000=30000-20000\t0.3333\t-3\n"
                          "  左式\t10000\t資產\t當期\t\t1\t1\t起始值\n"
                          "  左式\t20000\t負債\t當期\t/\t3\t0.3333\t\n"
                          "  右式\t30000\t權益\t當期\t\t缺少\t0\t無金額，略過\n"
                          "  右式\t20000\t負債\t當期\t-\t3\t-3\t\n"
                          "  比較\t0.3333\t=\t-3\t不成立\n"
                          "缺少營運科目: 30000   權益\t\t\n");
}

void TstCheckCommand::failingRowsAreListedWithPlainValues()
{
    QFETCH(QStringList, options);
    QFETCH(QString, out);
    TestDatabase db(TestDatabase::Content::Empty);
    QVERIFY2(db.isValid(), qPrintable(db.lastError()));
    // The declaring institution is the first BN01 record, a branch here.
    QVERIFY(db.insertRow(QStringLiteral("BN01"), {{"BANK_NO", "9950011"}, {"BANK_NAME", "分行"}}));
    QVERIFY(db.insertRow(QStringLiteral("BN01"), {{"BANK_NO", "995"}, {"BANK_NAME", "總行"}}));
    QVERIFY(db.insertRow(QStringLiteral("CACNO"), {{"ACC_CODE", "20000"}, {"ACC_NAME", "負債"}}));
    QVERIFY(db.insertRow(QStringLiteral("CACNO"), {{"ACC_CODE", "10000"}, {"ACC_NAME", "資產"}}));
    QVERIFY(db.insertRow(QStringLiteral("CACNO"), {{"ACC_CODE", "30000"}, {"ACC_NAME", "權益"}}));
    QVERIFY(db.insertRow(QStringLiteral("RuleNo1"), {{"cano", "001"}, {"quop", "="}}));
    QVERIFY(db.insertRow(QStringLiteral("RuleNo2"), {{"cano", "001"}, {"left_flag", "0"}, {"nserial", 1},
                                                     {"acc_code", "10000"}, {"noop", "/"}}));
    QVERIFY(db.insertRow(QStringLiteral("RuleNo2"), {{"cano", "001"}, {"left_flag", "0"}, {"nserial", 2},
                                                     {"acc_code", "20000"}, {"noop", ""}}));
    QVERIFY(db.insertRow(QStringLiteral("RuleNo2"), {{"cano", "001"}, {"left_flag", "1"}, {"nserial", 1},
                                                     {"acc_code", "30000"}, {"noop", "-"}}));
    QVERIFY(db.insertRow(QStringLiteral("RuleNo2"), {{"cano", "001"}, {"left_flag", "1"}, {"nserial", 2},
                                                     {"acc_code", "20000"}, {"noop", ""}}));
    auto amount = [&db](const char *bank, const char *code, double amt) {
        return db.insertRow(QStringLiteral("MPBANK"), {{"M_YEAR", 115}, {"M_MONTH", 10}, {"BANK_CODE", bank},
                                                       {"ACC_CODE", code}, {"AMT", amt}, {"SERIAL", 1}});
    };
    QVERIFY(amount("9950011", "10000", 1));
    QVERIFY(amount("9950011", "20000", 3));
    QVERIFY(amount("995", "30000", 1));   // another institution: not looked at

    const CliProcess run = velq8(db.path(), QStringList{QStringLiteral("check"), QStringLiteral("--year"), QStringLiteral("115"),
                                    QStringLiteral("--month"), QStringLiteral("10")} + options);
    QCOMPARE(run.err, QString());
    QCOMPARE(run.out, out);
    QCOMPARE(run.status, 1);
}

void TstCheckCommand::wrongInputAndEmptyMonthExitWithTwo()
{
    TestDatabase db(TestDatabase::Content::ReferenceData);
    QVERIFY2(db.isValid(), qPrintable(db.lastError()));
    const QList<QStringList> wrong{
        {QStringLiteral("check")},
        {QStringLiteral("check"), QStringLiteral("--year"), QStringLiteral("115")},
        {QStringLiteral("check"), QStringLiteral("--year"), QStringLiteral("0"), QStringLiteral("--month"), QStringLiteral("10")},
        {QStringLiteral("check"), QStringLiteral("--year"), QStringLiteral("115"), QStringLiteral("--month"), QStringLiteral("13")},
        {QStringLiteral("check"), QStringLiteral("--year"), QStringLiteral("abc"), QStringLiteral("--month"), QStringLiteral("1")},
        {QStringLiteral("check"), QStringLiteral("--year"), QStringLiteral("115"), QStringLiteral("--month"), QStringLiteral("1"),
         QStringLiteral("--extra")},
    };
    for (const QStringList &args : wrong) {
        const CliProcess run = velq8(db.path(), args);
        QVERIFY2(run.status == 2, qPrintable(args.join(u' ')));
        QVERIFY(run.out.isEmpty());
        QVERIFY(!run.err.isEmpty());
    }
    const CliProcess empty = velq8(db.path(), {QStringLiteral("check"), QStringLiteral("--year"), QStringLiteral("100"),
                                      QStringLiteral("--month"), QStringLiteral("1")});
    QCOMPARE(empty.status, 2);
    QCOMPARE(empty.out, QString());
    QCOMPARE(empty.err, QStringLiteral("查無符合之資料!!!\n"));
    // A database file that is not there.
    const CliProcess missing = velq8(db.folder() + QStringLiteral("/none.sqlite"),
                            {QStringLiteral("check"), QStringLiteral("--year"), QStringLiteral("115"),
                             QStringLiteral("--month"), QStringLiteral("10")});
    QCOMPARE(missing.status, 2);
}

void TstCheckCommand::countyCheckExitStatus_data()
{
    QTest::addColumn<QString>("change");   // applied to the sample database first
    QTest::addColumn<QString>("period");   // "--year Y --month M"
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("out");      // the beginning of standard output
    QTest::addColumn<QString>("err");      // the beginning of standard error
    const QString sample = QStringLiteral("--year 115 --month 10");
    QTest::newRow("sample month holds") << "" << sample << 0 << "資料完全符合!!!\n" << "";
    QTest::newRow("another institution's month") << "UPDATE HMPBANK SET BANK_CODE = '996'" << sample << 0
                                                  << "資料完全符合!!!\n" << "";
    QTest::newRow("a failing formula") << "UPDATE HMPBANK SET AMT = 0 WHERE HSIEN_ID = 'A' AND ACC_CODE = '10000'"
                                       << sample << 1 << "A  " << "";
    QTest::newRow("no county data") << "" << "--year 115 --month 9" << 2 << "" << "查無符合之資料!!!\n";
    QTest::newRow("month 0") << "" << "--year 115 --month 0" << 2 << "" << "請輸入欲檢核之年月資料!!!\n";
}

void TstCheckCommand::countyCheckExitStatus()
{
    QFETCH(QString, change);
    QFETCH(QString, period);
    QFETCH(int, status);
    QFETCH(QString, out);
    QFETCH(QString, err);
    TestDatabase db(TestDatabase::Content::ReferenceData);
    QVERIFY2(db.isValid(), qPrintable(db.lastError()));
    if (!change.isEmpty())
        QVERIFY(db.exec(change));
    const CliProcess run = velq8(db.path(), QStringList{"check", "--county"} + period.split(u' '));
    QCOMPARE(run.status, status);
    QVERIFY2(out.isEmpty() ? run.out.isEmpty() : run.out.startsWith(out), qPrintable(run.out));
    QVERIFY2(err.isEmpty() ? run.err.isEmpty() : run.err.contains(err), qPrintable(run.err));
}

void TstCheckCommand::explainLeavesTheRowLinesAsTheyAre_data()
{
    QTest::addColumn<QString>("check");    // "check" or "check --county"
    QTest::addColumn<QString>("change");   // applied to the sample database first
    QTest::addColumn<bool>("failing");     // failing formulas are listed
    QTest::newRow("operating, amounts changed and missing")
        << "check" << "UPDATE MPBANK SET AMT = AMT * 1.0007 WHERE rowid % 2 = 0; DELETE FROM MPBANK WHERE rowid % 5 = 0"
        << true;
    QTest::newRow("operating, all holds") << "check" << "" << false;
    QTest::newRow("county, amounts changed and missing")
        << "check --county" << "UPDATE HMPBANK SET AMT = AMT + rowid % 3; DELETE FROM HMPBANK WHERE rowid % 7 = 0"
        << true;
    QTest::newRow("county, no data") << "check --county" << "DELETE FROM HMPBANK" << false;
}

void TstCheckCommand::explainLeavesTheRowLinesAsTheyAre()
{
    QFETCH(QString, check);
    QFETCH(QString, change);
    QFETCH(bool, failing);
    TestDatabase db(TestDatabase::Content::ReferenceData);
    QVERIFY2(db.isValid(), qPrintable(db.lastError()));
    for (const QString &statement : change.split(u';', Qt::SkipEmptyParts))
        QVERIFY(db.exec(statement));
    const QStringList args = check.split(u' ') + QStringList{"--year", "115", "--month", "10"};
    const CliProcess plain = velq8(db.path(), args);
    const CliProcess explained = velq8(db.path(), args + QStringList{"--explain"});
    QCOMPARE(explained.status, plain.status);
    QCOMPARE(explained.err, plain.err);

    // Without the indented lines the output is the one without --explain, and
    // each failing formula's line (values given) is followed by its steps and a
    // comparison; a missing account's line by nothing.
    QStringList rowLines;
    // R a formula's row, M a missing account's, N a notice, s a step, c a comparison.
    QString shape;
    for (const QString &line : explained.out.split(u'\n', Qt::SkipEmptyParts)) {
        if (line.startsWith(QStringLiteral("  "))) {
            shape += line.startsWith(QStringLiteral("  比較\t")) ? u'c' : u's';
            continue;
        }
        rowLines << line;
        shape += !line.contains(u'\t') ? u'N' : line.endsWith(QStringLiteral("\t\t")) ? u'M' : u'R';
    }
    QCOMPARE(rowLines.isEmpty() ? QString() : rowLines.join(u'\n') + u'\n', plain.out);
    static const QRegularExpression explainedRows(QStringLiteral("^(Rs+c|M|N)*$"));
    QVERIFY2(explainedRows.match(shape).hasMatch(), qPrintable(shape));
    QCOMPARE(shape.contains(u'R'), failing);
}

QTEST_GUILESS_MAIN(TstCheckCommand)
#include "tst_check_command.moc"
