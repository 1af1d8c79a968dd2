#include "common/big5_text.h"
#include "common/number_picture.h"
#include "common/period.h"

#include <QTest>

class TstTextAndNumbers : public QObject
{
    Q_OBJECT
private slots:
    void big5CountsBytes();
    void big5KnowsWhatItCannotHold();
    void big5CutsNeverSplitACharacter();
    void picturesFormatAsTheGridsShow_data();
    void picturesFormatAsTheGridsShow();
    void amountEntryAcceptsOnlyNumbers_data();
    void amountEntryAcceptsOnlyNumbers();
    void periodFromDateAndClamping();
};

void TstTextAndNumbers::big5CountsBytes()
{
    QCOMPARE(Big5Text::byteLength(u"ABC"), 3);
    QCOMPARE(Big5Text::byteLength(u"臺北市"), 6);
    QCOMPARE(Big5Text::byteLength(u"A  臺北市"), 9);
    QVERIFY(Big5Text::fits(u"臺北市", 6));
    QVERIFY(!Big5Text::fits(u"臺北市", 5));
    QCOMPARE(Big5Text::encode(u"臺").size(), 2);
    QCOMPARE(Big5Text::decode(Big5Text::encode(u"營運資料明細檔")), QString("營運資料明細檔"));
}

void TstTextAndNumbers::big5KnowsWhatItCannotHold()
{
    QVERIFY(Big5Text::canEncode(u"營運科目 ABC-123"));
    QVERIFY(!Big5Text::canEncode(u"台湾")); // simplified 湾 has no Big5 code
    QVERIFY(!Big5Text::canEncode(QString::fromUtf8("\xF0\x9F\x98\x80"))); // emoji
    QVERIFY(!Big5Text::canEncode(u"é"));
}

void TstTextAndNumbers::big5CutsNeverSplitACharacter()
{
    QCOMPARE(Big5Text::cut(u"臺北市", 5), QString("臺北"));
    QCOMPARE(Big5Text::cut(u"A臺北", 2), QString("A"));
    QCOMPARE(Big5Text::cut(u"A臺北", 3), QString("A臺"));
    QCOMPARE(Big5Text::cut(u"ABC", 0), QString());
    QCOMPARE(Big5Text::padRight(u"臺A", 6), QString("臺A   "));
    QCOMPARE(Big5Text::byteLength(Big5Text::padRight(u"臺北市臺北市", 7)), 7);
}

void TstTextAndNumbers::picturesFormatAsTheGridsShow_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("picture");
    QTest::addColumn<QString>("text");
    QTest::newRow("grouped amount") << 1234567.5 << ",#.###" << "1,234,567.5";
    QTest::newRow("zero is empty") << 0.0 << ",#.###" << "";
    QTest::newRow("rounds to zero is empty") << 0.0004 << ",#.###" << "";
    QTest::newRow("fraction keeps its zero") << 0.5 << ",#.###" << "0.5";
    QTest::newRow("negative grouped") << -1234.125 << ",#.###" << "-1,234.125";
    QTest::newRow("three decimals half up") << 2.0005 << "#.###" << "2.001";
    QTest::newRow("edit picture has no groups") << 1234567.25 << "#.###" << "1234567.25";
    QTest::newRow("two decimals") << 1.255 << "#.##" << "1.26";
    QTest::newRow("whole grouped") << 1234567.6 << ",#" << "1,234,568";
    QTest::newRow("whole") << 1234.4 << "#" << "1234";
    QTest::newRow("report column") << 123456789.0 << "#,###,###,###,###,###" << "123,456,789";
    QTest::newRow("report zero") << 0.0 << "#,###,###,###,###,###" << "";
    QTest::newRow("hundreds no comma") << 999.0 << ",#" << "999";
    QTest::newRow("thousand") << 1000.0 << ",#" << "1,000";
    QTest::newRow("carry") << 999.9996 << ",#.###" << "1,000";
    // Negative values shown as zero carry no minus; a negative zero is zero.
    QTest::newRow("negative zero is empty") << -0.0 << ",#.###" << "";
    QTest::newRow("negative zero forced decimals") << -0.0 << "#.000" << "0.000";
    QTest::newRow("negative rounds to zero forced") << -0.0004 << "#.000" << "0.000";
    QTest::newRow("negative rounds to zero grouped") << -0.004 << ",#.00" << "0.00";
    QTest::newRow("negative rounds away from zero") << -0.0005 << "#.000" << "-0.001";
}

void TstTextAndNumbers::picturesFormatAsTheGridsShow()
{
    QFETCH(double, value);
    QFETCH(QString, picture);
    QFETCH(QString, text);
    QCOMPARE(NumberPicture::format(value, picture), text);
}

void TstTextAndNumbers::amountEntryAcceptsOnlyNumbers_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<double>("value");
    QTest::newRow("digits") << "1234" << true << 1234.0;
    QTest::newRow("decimal") << "12.345" << true << 12.345;
    QTest::newRow("negative") << "-0.5" << true << -0.5;
    QTest::newRow("empty is zero") << "" << true << 0.0;
    QTest::newRow("blanks around") << " 7 " << true << 7.0;
    QTest::newRow("letters") << "12a" << false << 0.0;
    QTest::newRow("two points") << "1.2.3" << false << 0.0;
    QTest::newRow("minus inside") << "1-2" << false << 0.0;
    QTest::newRow("minus only") << "-" << false << 0.0;
    QTest::newRow("commas") << "1,234" << false << 0.0;
    QTest::newRow("exponent") << "1e3" << false << 0.0;
    QTest::newRow("plus") << "+5" << false << 0.0;
}

void TstTextAndNumbers::amountEntryAcceptsOnlyNumbers()
{
    QFETCH(QString, text);
    QFETCH(bool, ok);
    QFETCH(double, value);
    double parsed = -99;
    QCOMPARE(NumberPicture::parseAmount(text, &parsed), ok);
    if (ok)
        QCOMPARE(parsed, value);
    else
        QCOMPARE(parsed, -99.0);
}

void TstTextAndNumbers::periodFromDateAndClamping()
{
    const Period p = Period::fromDate(QDate(2026, 1, 15));
    QCOMPARE(p.year, 115);
    QCOMPARE(p.month, 1);
    QCOMPARE(Period::clampYear(1234), 999);
    QCOMPARE(Period::clampMonth(15), 12);
    QCOMPARE(Period::clampMonth(-1), 0);
    QCOMPARE((Period{88, 5}.yearText()), QString("088"));
    QCOMPARE((Period{88, 5}.monthText()), QString("05"));
    QVERIFY(!(Period{115, 0}.isComplete()));
}

QTEST_GUILESS_MAIN(TstTextAndNumbers)
#include "tst_text_and_numbers.moc"
