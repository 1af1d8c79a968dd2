// The reference data a new database starts with: counties, accounts, balance
// formulas, the sample institution with its branches, and a sample month whose
// formulas all hold, together with the example declaration file of that month.

#include "checks/amount_lookup.h"
#include "checks/formula_evaluator.h"
#include "checks/formula_set.h"
#include "common/big5_text.h"
#include "common/decimal4.h"
#include "db/database.h"
#include "db/schema.h"

#include <QDate>
#include <QFile>
#include <QHash>
#include <QSet>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QtTest>

namespace {

constexpr auto Connection = "tst_shipped_data";
constexpr int SampleYear = 115;
constexpr int SampleMonth = 10;

// A formula as the tables hold it, read here to test the shipped rows themselves.
struct RuleTerm
{
    QString accCode;
    QString noop;
};

struct RuleFormula
{
    QString cano;
    QString quop;
    QString remark;
    QList<RuleTerm> left;
    QList<RuleTerm> right;
};

// What a failing formula's row says: its text and both values.
QString failureText(const CheckResultRow &row)
{
    return QStringLiteral("%1: %2 vs %3")
        .arg(row.remark, row.left ? row.left->toString() : QString(), row.right ? row.right->toString() : QString());
}

// The file reading of a number field: what follows a "-" is negated, the rest
// is a plain decimal with leading zeros.
std::optional<Decimal4> readNumber(const QString &field)
{
    const qsizetype minus = field.indexOf(QLatin1Char('-'));
    if (minus >= 0) {
        const auto v = Decimal4::parse(QStringView(field).mid(minus + 1));
        return v ? std::optional<Decimal4>(-*v) : std::nullopt;
    }
    return Decimal4::parse(field);
}

QString codeRendering(const QString &code)
{
    return code.size() >= 7 ? code : code + QString(7 - code.size(), QLatin1Char('0'));
}

} // namespace

class tst_ShippedData : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();

    void countiesInOrder();
    void textsFitTheirFields();
    void accounts();
    void formulasReferToAccounts_data();
    void formulasReferToAccounts();
    void formulasUseEveryOperatorAndComparison();
    void institutionAndBranches();
    void tablesThatStartEmpty();
    void sampleMonthFormulasHold_data();
    void sampleMonthFormulasHold();
    void sampleCountyFormulasHoldInEveryCounty();
    void sampleRowsOfTheOtherKinds();
    void exampleFileMatchesTheSampleMonth();

private:
    QSqlQuery query(const QString &sql);
    QStringList column(const QString &sql);
    QList<RuleFormula> formulas(const QString &headers, const QString &terms, const QString &accounts);

    QTemporaryDir m_dir;
    QString m_bankNo;
};

QSqlQuery tst_ShippedData::query(const QString &sql)
{
    QSqlQuery q(Database::connection(QString::fromLatin1(Connection)));
    if (!q.exec(sql))
        qWarning("%s: %s", qPrintable(sql), qPrintable(q.lastError().text()));
    return q;
}

QStringList tst_ShippedData::column(const QString &sql)
{
    QStringList out;
    QSqlQuery q = query(sql);
    while (q.next())
        out << q.value(0).toString();
    return out;
}

// Formulas in cano order with the terms that join an existing account, each
// side in nserial order: the terms as the checks read them.
QList<RuleFormula> tst_ShippedData::formulas(const QString &headers, const QString &terms,
                                           const QString &accounts)
{
    QList<RuleFormula> out;
    QSqlQuery h = query(QStringLiteral("select cano, quop, remark from %1 order by cano").arg(headers));
    while (h.next())
        out.append({h.value(0).toString(), h.value(1).toString(), h.value(2).toString(), {}, {}});
    for (RuleFormula &f : out) {
        QSqlQuery t(Database::connection(QString::fromLatin1(Connection)));
        t.prepare(QStringLiteral("select A.left_flag, A.acc_code, A.noop from %1 A, %2 B "
                                 "where A.acc_code = B.ACC_CODE and A.cano = :cano order by A.nserial")
                      .arg(terms, accounts));
        t.bindValue(QStringLiteral(":cano"), f.cano);
        if (!t.exec())
            qWarning("%s", qPrintable(t.lastError().text()));
        while (t.next()) {
            const RuleTerm term{t.value(1).toString(), t.value(2).toString()};
            (t.value(0).toString() == QLatin1String("0") ? f.left : f.right).append(term);
        }
    }
    return out;
}

void tst_ShippedData::initTestCase()
{
    QVERIFY(m_dir.isValid());
    const QString file = m_dir.filePath(QStringLiteral("CLIENT8.sqlite"));
    QString error;
    QVERIFY2(Database::create(file, &error), qPrintable(error));
    QVERIFY2(Database::open(file, &error, QString::fromLatin1(Connection)), qPrintable(error));
    const QStringList banks = column(QStringLiteral("select BANK_NO from BN01 order by rowid"));
    QVERIFY(!banks.isEmpty());
    m_bankNo = banks.first().trimmed();
}

void tst_ShippedData::cleanupTestCase()
{
    Database::close(QString::fromLatin1(Connection));
}

void tst_ShippedData::countiesInOrder()
{
    const QStringList expected{
        QStringLiteral("A 臺北市"), QStringLiteral("B 臺中市"), QStringLiteral("C 基隆市"),
        QStringLiteral("D 臺南市"), QStringLiteral("E 高雄市"), QStringLiteral("F 新北市"),
        QStringLiteral("G 宜蘭縣"), QStringLiteral("H 桃園市"), QStringLiteral("I 嘉義市"),
        QStringLiteral("J 新竹縣"), QStringLiteral("K 苗栗縣"), QStringLiteral("M 南投縣"),
        QStringLiteral("N 彰化縣"), QStringLiteral("O 新竹市"), QStringLiteral("P 雲林縣"),
        QStringLiteral("Q 嘉義縣"), QStringLiteral("T 屏東縣"), QStringLiteral("U 花蓮縣"),
        QStringLiteral("V 臺東縣"), QStringLiteral("W 金門縣"), QStringLiteral("X 澎湖縣"),
        QStringLiteral("Z 連江縣")};
    QCOMPARE(column(QStringLiteral("select HSIEN_ID || ' ' || HSIEN_NAME from CD01 order by rowid")),
             expected);
}

void tst_ShippedData::textsFitTheirFields()
{
    // A text that Big5 cannot hold or that is wider than its field would be
    // refused the moment a user saves the row it stands in.
    for (const char *name : {"CD01", "CACNO", "HCACNO", "RuleNo1", "RuleNo2", "HRuleNo1", "HRuleNo2",
                             "BN01", "MPBANK", "HMPBANK", "EM03", "EM08", "EM09"}) {
        const TableDef *table = Schema::table(QString::fromLatin1(name));
        QVERIFY2(table, name);
        QSqlQuery q = query(QStringLiteral("select * from %1").arg(table->name));
        int rows = 0;
        while (q.next()) {
            ++rows;
            for (const FieldDef &f : table->fields) {
                if (f.type != FieldType::Text)
                    continue;
                const QString value = q.record().value(f.name).toString();
                QVERIFY2(Big5Text::canEncode(value) && Big5Text::fits(value, f.width),
                         qPrintable(QStringLiteral("%1.%2 = \"%3\"").arg(table->name, f.name, value)));
            }
        }
        if (QByteArray(name).startsWith("EM"))
            continue; // the bills and overdue kinds may start empty
        QVERIFY2(rows > 0, name);
    }
}

void tst_ShippedData::accounts()
{
    const QStringList codes = column(QStringLiteral("select ACC_CODE from CACNO order by rowid"));
    QVERIFY(codes.size() >= 30);
    QStringList ratios;
    for (const QString &c : codes) {
        QCOMPARE(c.size(), 5);
        if (c.at(4) == QLatin1Char('p'))
            ratios << c;
    }
    QVERIFY2(ratios.size() >= 2, qPrintable(ratios.join(QLatin1Char(' '))));
    QVERIFY(ratios.contains(QStringLiteral("9001p")));

    // Every account has a name; an upper account, where given, is an account.
    const QSet<QString> all(codes.cbegin(), codes.cend());
    QSqlQuery q = query(QStringLiteral("select ACC_CODE, ACC_NAME, ACC_B_NAME, UACNO from CACNO"));
    while (q.next()) {
        QVERIFY2(!q.value(1).toString().trimmed().isEmpty(), qPrintable(q.value(0).toString()));
        QVERIFY2(!q.value(2).toString().trimmed().isEmpty(), qPrintable(q.value(0).toString()));
        const QString upper = q.value(3).toString().trimmed();
        QVERIFY2(upper.isEmpty() || all.contains(upper), qPrintable(q.value(0).toString()));
    }

    const QStringList county = column(QStringLiteral("select ACC_CODE from HCACNO order by rowid"));
    QVERIFY(county.size() >= 10);
    QVERIFY(std::any_of(county.cbegin(), county.cend(),
                        [](const QString &c) { return c.size() == 5 && c.at(4) == QLatin1Char('p'); }));
}

void tst_ShippedData::formulasReferToAccounts_data()
{
    QTest::addColumn<QString>("headers");
    QTest::addColumn<QString>("terms");
    QTest::addColumn<QString>("accounts");
    QTest::newRow("operating") << QStringLiteral("RuleNo1") << QStringLiteral("RuleNo2")
                               << QStringLiteral("CACNO");
    QTest::newRow("county") << QStringLiteral("HRuleNo1") << QStringLiteral("HRuleNo2")
                            << QStringLiteral("HCACNO");
}

void tst_ShippedData::formulasReferToAccounts()
{
    QFETCH(QString, headers);
    QFETCH(QString, terms);
    QFETCH(QString, accounts);

    const QStringList canos = column(QStringLiteral("select cano from %1").arg(headers));
    QVERIFY(canos.size() >= 5);
    const QSet<QString> canoSet(canos.cbegin(), canos.cend());
    const QStringList codes = column(QStringLiteral("select ACC_CODE from %1").arg(accounts));
    const QSet<QString> codeSet(codes.cbegin(), codes.cend());

    // No term is silently dropped by the join with the accounts, and no term
    // belongs to a formula that does not exist.
    QSqlQuery q = query(QStringLiteral("select cano, left_flag, nserial, acc_code, noop from %1 "
                                       "order by cano, left_flag, nserial").arg(terms));
    QHash<QString, int> lastSerial;
    while (q.next()) {
        const QString where = q.value(0).toString() + QLatin1Char('/') + q.value(1).toString() +
                              QLatin1Char('/') + q.value(2).toString();
        QVERIFY2(canoSet.contains(q.value(0).toString()), qPrintable(where));
        QVERIFY2(codeSet.contains(q.value(3).toString()), qPrintable(where + QLatin1Char(' ') +
                                                                     q.value(3).toString()));
        const QString side = q.value(1).toString();
        QVERIFY2(side == QLatin1String("0") || side == QLatin1String("1"), qPrintable(where));
        const QString key = q.value(0).toString() + side;
        QCOMPARE(q.value(2).toInt(), lastSerial.value(key) + 1); // 1, 2, 3, ...
        lastSerial[key] = q.value(2).toInt();
        const QString noop = q.value(4).toString();
        QVERIFY2(noop.isEmpty() || QStringLiteral("+-*/").contains(noop), qPrintable(where));
    }

    for (const RuleFormula &f : formulas(headers, terms, accounts)) {
        QVERIFY2(!f.left.isEmpty() && !f.right.isEmpty(), qPrintable(f.cano));
        QVERIFY2(f.left.last().noop.isEmpty() && f.right.last().noop.isEmpty(), qPrintable(f.cano));
        for (qsizetype i = 0; i + 1 < f.left.size(); ++i)
            QVERIFY2(!f.left[i].noop.isEmpty(), qPrintable(f.cano));
        for (qsizetype i = 0; i + 1 < f.right.size(); ++i)
            QVERIFY2(!f.right[i].noop.isEmpty(), qPrintable(f.cano));
        QVERIFY2(QStringList({"=", ">", "<", ">=", "<=", "<>"}).contains(f.quop), qPrintable(f.cano));
        QVERIFY2(!f.remark.trimmed().isEmpty(), qPrintable(f.cano));
    }
}

void tst_ShippedData::formulasUseEveryOperatorAndComparison()
{
    // The shipped formulas show every kind of formula the check knows, and the
    // period marker, so the formula windows and the check have real examples.
    QStringList ops = column(QStringLiteral("select distinct noop from RuleNo2 where noop <> ''"));
    ops.sort();
    QCOMPARE(ops, QStringList({"*", "+", "-", "/"}));
    QStringList quops = column(QStringLiteral("select distinct quop from RuleNo1"));
    quops.sort();
    QCOMPARE(quops, QStringList({"<", "<=", "<>", "=", ">", ">="}));
    QVERIFY(!column(QStringLiteral("select cano from RuleNo2 where TCURR = '1'")).isEmpty());
}

void tst_ShippedData::institutionAndBranches()
{
    QSqlQuery q = query(QStringLiteral("select BANK_NO, BANK_NAME, BN_DATE, HSIEN_ID from BN01 order by rowid"));
    QVERIFY(q.next());
    const QString head = q.value(0).toString().trimmed();
    QCOMPARE(head.size(), 3);
    QVERIFY(q.value(1).toString().contains(QStringLiteral("範例")));
    QVERIFY(q.value(2).toDate().isValid());

    const QStringList counties = column(QStringLiteral("select HSIEN_ID from CD01"));
    QVERIFY(counties.contains(q.value(3).toString()));
    QStringList branches;
    while (q.next()) {
        const QString code = q.value(0).toString().trimmed();
        QCOMPARE(code.size(), 7);
        QVERIFY2(code.startsWith(head), qPrintable(code));
        QVERIFY2(counties.contains(q.value(3).toString()), qPrintable(code));
        QVERIFY(q.value(2).toDate().isValid());
        branches << code;
    }
    QCOMPARE(branches.size(), 4);
}

void tst_ShippedData::tablesThatStartEmpty()
{
    for (const char *name : {"Customer", "CACNONO", "CACNONO1", "CACNONO2", "CACNONO3"}) {
        QSqlQuery q = query(QStringLiteral("select count(*) from %1").arg(QString::fromLatin1(name)));
        QVERIFY2(q.next(), name);
        QVERIFY2(q.value(0).toInt() == 0, name);
    }
}

void tst_ShippedData::sampleMonthFormulasHold_data()
{
    QTest::addColumn<QString>("cano");
    for (const QString &cano : column(QStringLiteral("select cano from RuleNo1 order by cano")))
        QTest::newRow(qPrintable(cano)) << cano;
}

void tst_ShippedData::sampleMonthFormulasHold()
{
    QFETCH(QString, cano);

    // One amount per account, in the account order, numbered 1, 2, 3, ...
    QSqlQuery q = query(QStringLiteral("select ACC_CODE, AMT, SERIAL from MPBANK where M_YEAR = %1 and "
                                       "M_MONTH = %2 and BANK_CODE = '%3' order by SERIAL")
                            .arg(SampleYear).arg(SampleMonth).arg(m_bankNo));
    AmountLookup amounts;
    QStringList rowCodes;
    while (q.next()) {
        QCOMPARE(q.value(2).toInt(), int(rowCodes.size()) + 1);
        rowCodes << q.value(0).toString();
        amounts.add(q.value(0).toString(), q.value(1).toDouble());
    }
    QCOMPARE(rowCodes, column(QStringLiteral("select ACC_CODE from CACNO order by rowid")));

    // Judged by the checks' own reading and evaluator.
    FormulaSet set;
    QString error;
    QVERIFY2(set.load(FormulaTables::operating(), &error, QString::fromLatin1(Connection)), qPrintable(error));
    const auto it = std::find_if(set.formulas().cbegin(), set.formulas().cend(),
                                 [&](const Formula &f) { return f.cano == cano; });
    QVERIFY(it != set.formulas().cend());
    const std::optional<CheckResultRow> failing = FormulaEvaluator::judge(*it, amounts);
    QVERIFY2(!failing, qPrintable(failing ? failureText(*failing) : QString()));
}

void tst_ShippedData::sampleCountyFormulasHoldInEveryCounty()
{
    const QStringList counties = column(QStringLiteral("select HSIEN_ID from CD01 order by HSIEN_ID"));
    const QStringList accounts = column(QStringLiteral("select ACC_CODE from HCACNO order by ACC_CODE"));
    QHash<QString, AmountLookup> byCounty;
    QSqlQuery q = query(QStringLiteral("select HSIEN_ID, ACC_CODE, AMT from HMPBANK where M_YEAR = %1 "
                                       "and M_MONTH = %2 and BANK_CODE = '%3'")
                            .arg(SampleYear).arg(SampleMonth).arg(m_bankNo));
    int rows = 0;
    while (q.next()) {
        ++rows;
        byCounty[q.value(0).toString()].add(q.value(1).toString(), q.value(2).toDouble());
    }
    // The full grid: no county check lists a missing account.
    QCOMPARE(rows, int(counties.size() * accounts.size()));
    for (const QString &county : counties) {
        for (const QString &account : accounts)
            QVERIFY2(byCounty.value(county).contains(account), qPrintable(county + QLatin1Char(' ') + account));
    }

    FormulaSet set;
    QString error;
    QVERIFY2(set.load(FormulaTables::county(), &error, QString::fromLatin1(Connection)), qPrintable(error));
    QVERIFY(!set.formulas().isEmpty());
    for (const QString &county : counties) {
        for (const Formula &f : set.formulas()) {
            const std::optional<CheckResultRow> failing = FormulaEvaluator::judge(f, byCounty.value(county));
            QVERIFY2(!failing, qPrintable(failing ? county + QLatin1Char(' ') + failureText(*failing) : QString()));
        }
    }
}

void tst_ShippedData::sampleRowsOfTheOtherKinds()
{
    // The sample overdue ratios name the institution's own branches; the bills
    // rows carry codes of the lists the tabs offer.
    const QStringList branches = column(QStringLiteral("select BANK_NO from BN01 where length(BANK_NO) = 7"));
    const QStringList units = column(QStringLiteral("select BANK_CODE1 from EM03 where M_YEAR = %1 and "
                                                    "M_MONTH = %2 order by BANK_CODE1")
                                         .arg(SampleYear).arg(SampleMonth));
    if (!units.isEmpty())
        QCOMPARE(units, branches);

    QSqlQuery q8 = query(QStringLiteral("select FLAG1, FLAG2, FLAG3, FLAG4, RATE from EM08"));
    while (q8.next()) {
        QVERIFY(QStringList({"1", "2"}).contains(q8.value(0).toString()));
        QVERIFY(QStringList({"1", "2", "3", "4", "5"}).contains(q8.value(1).toString()));
        const int kind = q8.value(2).toString().toInt();
        QVERIFY(q8.value(2).toString().size() == 2 && kind >= 1 && kind <= 10);
        QVERIFY(QStringList({"1", "2", "3"}).contains(q8.value(3).toString()));
        QVERIFY(q8.value(4).toDouble() > 0 && q8.value(4).toDouble() < 100);
    }
    QSqlQuery q9 = query(QStringLiteral("select FLAG1, FLAG2, FLAG3 from EM09"));
    while (q9.next()) {
        QVERIFY(QStringList({"0", "1", "2", "3"}).contains(q9.value(0).toString()));
        QVERIFY(QStringList({"0", "1", "2"}).contains(q9.value(1).toString()));
        const int kind = q9.value(2).toString().toInt();
        QVERIFY(q9.value(2).toString().size() == 2 && kind >= 1 && kind <= 10);
    }
}

void tst_ShippedData::exampleFileMatchesTheSampleMonth()
{
    const QString name = QStringLiteral("B01") + codeRendering(m_bankNo) +
                         QStringLiteral("%1%2").arg(SampleYear, 3, 10, QLatin1Char('0'))
                             .arg(SampleMonth, 2, 10, QLatin1Char('0'));
    QCOMPARE(name.size(), 15);
    QFile file(QStringLiteral(VELQ8_EXAMPLES_DIR "/") + name);
    QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(file.fileName()));
    const QByteArray content = file.readAll();
    QVERIFY(content.endsWith("\r\n"));
    QList<QByteArray> lines = content.split('\n');
    QVERIFY(lines.takeLast().isEmpty());

    QSqlQuery q = query(QStringLiteral("select M_YEAR, M_MONTH, BANK_CODE, ACC_CODE, AMT from MPBANK "
                                       "where M_YEAR = %1 and M_MONTH = %2 and BANK_CODE = '%3' order by SERIAL")
                            .arg(SampleYear).arg(SampleMonth).arg(m_bankNo));
    int n = 0;
    while (q.next()) {
        QVERIFY2(n < lines.size(), "the file has fewer lines than the month has rows");
        QByteArray raw = lines.at(n++);
        QVERIFY2(raw.endsWith('\r'), raw.constData());
        raw.chop(1);
        QCOMPARE(raw.size(), 31);
        const QString line = QString::fromLatin1(raw);

        // Read by the layout.
        QCOMPARE(line.mid(0, 3).toInt(), q.value(0).toInt());
        QCOMPARE(line.mid(3, 2).toInt(), q.value(1).toInt());
        const QString bank = line.mid(5, 7);
        QCOMPARE(bank.mid(3, 4) == QLatin1String("0000") ? bank.left(3) : bank, q.value(2).toString());
        const QString code = q.value(3).toString();
        QCOMPARE(line.mid(12, 5), code.rightJustified(5, QLatin1Char('0')));
        const bool ratio = code.size() >= 5 && code.at(4) == QLatin1Char('p');
        const auto number = readNumber(line.mid(17, 14));
        QVERIFY2(number.has_value(), qPrintable(line));
        const Decimal4 stored = Decimal4::fromDouble(q.value(4).toDouble());
        QCOMPARE((ratio ? number->dividedBy(1000) : *number).raw(), stored.raw());

        // And written exactly as the export writes it: shortest text, zeros on the left.
        const Decimal4 written = ratio ? stored.multipliedBy(1000) : stored;
        QCOMPARE(line.mid(17, 14), written.toString().rightJustified(14, QLatin1Char('0')));
    }
    QCOMPARE(n, int(lines.size()));
    QVERIFY(n > 0);
}

QTEST_GUILESS_MAIN(tst_ShippedData)
#include "tst_shipped_data.moc"
