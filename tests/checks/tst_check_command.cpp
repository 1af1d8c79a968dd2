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
    void aValueOutOfRangeIsSaidInWords_data();
    void aValueOutOfRangeIsSaidInWords();
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
    QVERIFY2(db.exec({"insert into BN01 (BANK_NO, BANK_NAME) values ('9950011', '分行'), ('995', '總行')",
                      "insert into CACNO (ACC_CODE, ACC_NAME) values ('20000', '負債'), ('10000', '資產'), ('30000', '權益')",
                      "insert into RuleNo1 (cano, quop) values ('001', '=')",
                      "insert into RuleNo2 (cano, left_flag, nserial, acc_code, noop) values ('001', '0', 1, '10000', '/'), "
                      "('001', '0', 2, '20000', ''), ('001', '1', 1, '30000', '-'), ('001', '1', 2, '20000', '')",
                      // 995 is another institution: not looked at.
                      "insert into MPBANK (M_YEAR, M_MONTH, BANK_CODE, ACC_CODE, AMT, SERIAL) values "
                      "(115, 10, '9950011', '10000', 1.0, 1), (115, 10, '9950011', '20000', 3.0, 1), "
                      "(115, 10, '995', '30000', 1.0, 1)"}),
             qPrintable(db.lastError()));

    const CliProcess run = velq8(db.path(), QStringList{QStringLiteral("check"), QStringLiteral("--year"), QStringLiteral("115"),
                                    QStringLiteral("--month"), QStringLiteral("10")} + options);
    QCOMPARE(run.err, QString());
    QCOMPARE(run.out, out);
    QCOMPARE(run.status, 1);
}

void TstCheckCommand::aValueOutOfRangeIsSaidInWords_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QString>("out");
    // 10^14 * 10^14 is far past the 64-bit range: words, never 922337203685477.5807.
    const QString row = QStringLiteral("10000*20000=30000\t超出範圍\t1\n");
    QTest::newRow("rows only") << QStringList() << row;
    QTest::newRow("--explain") << QStringList{"--explain"}
                               << row + QStringLiteral("  左式\t10000\t資產\t當期\t\t100000000000000\t100000000000000\t起始值\n"
                                                       "  左式\t20000\t負債\t當期\t*\t100000000000000\t超出範圍\t\n"
                                                       "  右式\t30000\t權益\t當期\t\t1\t1\t起始值\n"
                                                       "  比較\t超出範圍\t=\t1\t不成立\n");
}

void TstCheckCommand::aValueOutOfRangeIsSaidInWords()
{
    QFETCH(QStringList, options);
    QFETCH(QString, out);
    TestDatabase db(TestDatabase::Content::Empty);
    QVERIFY2(db.exec({"insert into BN01 (BANK_NO, BANK_NAME) values ('995', '總行')",
                      "insert into CACNO (ACC_CODE, ACC_NAME) values ('20000', '負債'), ('10000', '資產'), ('30000', '權益')",
                      "insert into RuleNo1 (cano, quop) values ('001', '=')",
                      "insert into RuleNo2 (cano, left_flag, nserial, acc_code, noop) values ('001', '0', 1, '10000', '*'), "
                      "('001', '0', 2, '20000', ''), ('001', '1', 1, '30000', '')",
                      "insert into MPBANK (M_YEAR, M_MONTH, BANK_CODE, ACC_CODE, AMT, SERIAL) values "
                      "(115, 10, '995', '10000', 1e14, 1), (115, 10, '995', '20000', 1e14, 1), "
                      "(115, 10, '995', '30000', 1.0, 1)"}),
             qPrintable(db.lastError()));
    const CliProcess run = velq8(db.path(), QStringList{"check", "--year", "115", "--month", "10"} + options);
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
    QVERIFY(db.exec(change.split(u';', Qt::SkipEmptyParts)));
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
