#include "common/decimal4.h"

#include <QTest>

class TstDecimal4 : public QObject
{
    Q_OBJECT
private slots:
    void parsesPlainDecimals_data();
    void parsesPlainDecimals();
    void refusesWhatIsNotANumber_data();
    void refusesWhatIsNotANumber();
    void roundsTiesToEvenOnEveryStep();
    void divisionRoundsAndTreatsZeroAsZero();
    void doublesAreTakenAtTheirTypedValue();
    void leftToRightChainsStayExact();
    void largeAmountsBecomeTheirNearestDouble_data();
    void largeAmountsBecomeTheirNearestDouble();
    void textIsPlainAndShort_data();
    void textIsPlainAndShort();
};

void TstDecimal4::parsesPlainDecimals_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<qint64>("raw");
    QTest::newRow("whole") << "12" << qint64(120000);
    QTest::newRow("leading zeros") << "00000001234.5" << qint64(12345000);
    QTest::newRow("negative") << "-0.5" << qint64(-5000);
    QTest::newRow("fraction only") << ".25" << qint64(2500);
    QTest::newRow("fifth decimal tie to even down") << "0.00005" << qint64(0);
    QTest::newRow("fifth decimal tie to even up") << "0.00015" << qint64(2);
    QTest::newRow("above tie rounds up") << "0.000051" << qint64(1);
    QTest::newRow("below tie rounds down") << "0.0000499" << qint64(0);
    QTest::newRow("negative tie") << "-0.00035" << qint64(-4);
    QTest::newRow("carry into whole") << "0.99995" << qint64(10000);
    QTest::newRow("fourteen digits") << "99999999999999" << qint64(999999999999990000);
}

void TstDecimal4::parsesPlainDecimals()
{
    QFETCH(QString, text);
    QFETCH(qint64, raw);
    const auto value = Decimal4::parse(text);
    QVERIFY(value.has_value());
    QCOMPARE(value->raw(), raw);
}

void TstDecimal4::refusesWhatIsNotANumber_data()
{
    QTest::addColumn<QString>("text");
    for (const char *bad : {"", "-", ".", "1.2.3", "12a", " 12", "1e5", "1,000", "--1", "１２",
                            "9999999999999999999999"})
        QTest::newRow(bad) << QString::fromUtf8(bad);
}

void TstDecimal4::refusesWhatIsNotANumber()
{
    QFETCH(QString, text);
    QVERIFY(!Decimal4::parse(text).has_value());
}

void TstDecimal4::roundsTiesToEvenOnEveryStep()
{
    const Decimal4 half = *Decimal4::parse(u"0.5");
    QCOMPARE((Decimal4::fromRaw(1) * half).raw(), 0);   // 0.00005 -> 0.0000
    QCOMPARE((Decimal4::fromRaw(3) * half).raw(), 2);   // 0.00015 -> 0.0002
    QCOMPARE((Decimal4::fromRaw(-3) * half).raw(), -2);
    QCOMPARE((Decimal4::fromRaw(5) * half).raw(), 2);   // 0.00025 -> 0.0002
    QCOMPARE(Decimal4::fromRaw(5).dividedBy(2).raw(), 2);
    QCOMPARE(Decimal4::fromRaw(7).dividedBy(2).raw(), 4);
}

void TstDecimal4::divisionRoundsAndTreatsZeroAsZero()
{
    const Decimal4 one = Decimal4::fromInt(1);
    const Decimal4 three = Decimal4::fromInt(3);
    QCOMPARE((one / three).raw(), 3333);
    QCOMPARE((Decimal4::fromInt(2) / three).raw(), 6667);
    QCOMPARE((-Decimal4::fromInt(2) / three).raw(), -6667);
    QCOMPARE((one / Decimal4()).raw(), 0);
    QCOMPARE((Decimal4::fromInt(70) / Decimal4::fromInt(20)).toString(), QString("3.5"));
}

void TstDecimal4::doublesAreTakenAtTheirTypedValue()
{
    // 0.00015 is stored as 0.000149999...; as typed it is a tie and rounds to even.
    QCOMPARE(Decimal4::fromDouble(0.00015).raw(), 2);
    QCOMPARE(Decimal4::fromDouble(0.00025).raw(), 2);
    QCOMPARE(Decimal4::fromDouble(1234.5).raw(), 12345000);
    QCOMPARE(Decimal4::fromDouble(-0.1).raw(), -1000);
    QCOMPARE(Decimal4::fromDouble(0.3333).raw(), 3333);
    QCOMPARE(Decimal4::fromDouble(12.345).toDouble(), 12.345);
    QCOMPARE(Decimal4::fromDouble(0.0).raw(), 0);
}

void TstDecimal4::leftToRightChainsStayExact()
{
    // (100 + 30) - 20 and (100 - 30) / 20, each step rounded.
    const Decimal4 x = Decimal4::fromInt(100), y = Decimal4::fromInt(30), z = Decimal4::fromInt(20);
    QCOMPARE(((x + y) - z).toString(), QString("110"));
    QCOMPARE(((x - y) / z).toString(), QString("3.5"));
    QVERIFY(Decimal4::fromRaw(3333) == Decimal4::fromInt(1) / Decimal4::fromInt(3));
    QVERIFY(Decimal4::fromRaw(1) > Decimal4());
}

// Amounts whose raw value is beyond 2^53 (from about 900 billion): the double
// is the one nearest to the amount, so it goes back to the same amount, as an
// amount read from a file and stored goes back into the file on export.
void TstDecimal4::largeAmountsBecomeTheirNearestDouble_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("nearest");
    QTest::newRow("just below 2^53 raw") << "900719925474.0992" << 900719925474.0992;
    QTest::newRow("fourteen digits") << "16105451412123" << 16105451412123.0;
    QTest::newRow("fourteen digits, negative") << "-16105451412123" << -16105451412123.0;
    QTest::newRow("thirteen digits and a tenth") << "9999999999999.9" << 9999999999999.9;
    QTest::newRow("trillions with cents") << "3000000000000.25" << 3000000000000.25;
}

void TstDecimal4::largeAmountsBecomeTheirNearestDouble()
{
    QFETCH(QString, text);
    QFETCH(double, nearest);
    const auto amount = Decimal4::parse(text);
    QVERIFY(amount);
    QCOMPARE(amount->toDouble(), nearest);
    QCOMPARE(Decimal4::fromDouble(amount->toDouble()), *amount);
}

void TstDecimal4::textIsPlainAndShort_data()
{
    QTest::addColumn<qint64>("raw");
    QTest::addColumn<QString>("text");
    QTest::newRow("zero") << qint64(0) << "0";
    QTest::newRow("third") << qint64(3333) << "0.3333";
    QTest::newRow("negative") << qint64(-125000) << "-12.5";
    QTest::newRow("tiny negative") << qint64(-1) << "-0.0001";
    QTest::newRow("large") << qint64(123456789012340000) << "12345678901234";
}

void TstDecimal4::textIsPlainAndShort()
{
    QFETCH(qint64, raw);
    QFETCH(QString, text);
    QCOMPARE(Decimal4::fromRaw(raw).toString(), text);
}

QTEST_GUILESS_MAIN(TstDecimal4)
#include "tst_decimal4.moc"
