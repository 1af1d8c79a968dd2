#include "common/big5_text.h"
#include "migration/field_conversion.h"

#include <QTest>

// What the bytes of an old field become in a field of the new table, or why the
// record is refused.
class TstFieldConversion : public QObject
{
    Q_OBJECT
private slots:
    void convert_data();
    void convert();
    void aRefusedTextLeavesTheNextOneReadable();
};

namespace {

FieldDef target(FieldType type, int width = 0) { return {QStringLiteral("F"), type, width}; }

} // namespace

void TstFieldConversion::convert_data()
{
    QTest::addColumn<QString>("dbfType");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("width");
    QTest::addColumn<QVariant>("value");     // invalid: NULL
    QTest::addColumn<QString>("refusal");    // empty: none
    const int text = int(FieldType::Text), small = int(FieldType::SmallInt), flt = int(FieldType::Float),
              date = int(FieldType::Date);
    const QVariant null;
    const QByteArray name = Big5Text::encode(u"範例銀行");

    QTest::newRow("Big5 text, padding dropped") << "C" << name + "   " << text << 30 << QVariant("範例銀行") << "";
    QTest::newRow("leading blanks kept") << "C" << QByteArray("  AB  ") << text << 7 << QVariant("  AB") << "";
    QTest::newRow("NUL padding dropped") << "C" << QByteArray("AB\0\0", 4) << text << 7 << QVariant("AB") << "";
    QTest::newRow("user-defined character kept") << "C" << QByteArray("\xFA\x40") << text << 2
                                                 << QVariant(QString(QChar(0xE000))) << "";
    QTest::newRow("cut in a character") << "C" << QByteArray("AB\xA4 ") << text << 7 << null
                                        << "F 的文字無法以 Big5 解碼 (41 42 A4)";
    QTest::newRow("second byte out of range") << "C" << QByteArray("\xA4\x20X") << text << 7 << null
                                              << "無法以 Big5 解碼";
    QTest::newRow("exactly the width") << "C" << Big5Text::encode(u"中文A") << text << 5 << QVariant("中文A") << "";
    QTest::newRow("one byte too wide") << "C" << Big5Text::encode(u"中文字") << text << 5 << null
                                       << "F 寬 6 位元組，超過欄寬 5: 中文字";
    QTest::newRow("number into text") << "N" << QByteArray("  995") << text << 7 << QVariant("995") << "";

    QTest::newRow("decimals") << "N" << QByteArray("  -1234.567") << flt << 0 << QVariant(-1234.567) << "";
    QTest::newRow("exponent") << "F" << QByteArray(" 1.5E+03") << flt << 0 << QVariant(1500.0) << "";
    QTest::newRow("blank number") << "N" << QByteArray("     ") << flt << 0 << null << "";
    QTest::newRow("overflow stars") << "N" << QByteArray("*****") << flt << 0 << null << "F 不是數值: *****";
    QTest::newRow("grouping comma") << "C" << QByteArray("1,000") << flt << 0 << null << "不是數值";
    QTest::newRow("small int 32767") << "N" << QByteArray("32767") << small << 0 << QVariant(32767) << "";
    QTest::newRow("small int 32768") << "N" << QByteArray("32768") << small << 0 << null
                                     << "F 超出 -32768 至 32767: 32768";
    QTest::newRow("small int -32768") << "N" << QByteArray("-32768") << small << 0 << QVariant(-32768) << "";
    QTest::newRow("small int -32769") << "N" << QByteArray("-32769") << small << 0 << null << "超出";
    QTest::newRow("whole with decimals") << "N" << QByteArray("115.00") << small << 0 << QVariant(115) << "";
    QTest::newRow("fraction into small int") << "N" << QByteArray("  1.5") << small << 0 << null << "F 不是整數: 1.5";

    QTest::newRow("leap day") << "D" << QByteArray("20240229") << date << 0 << QVariant("2024-02-29") << "";
    QTest::newRow("no such day") << "D" << QByteArray("20230229") << date << 0 << null
                                 << "F 不是有效日期: 20230229";
    QTest::newRow("blank date") << "D" << QByteArray("        ") << date << 0 << null << "";
    QTest::newRow("zero date") << "D" << QByteArray("00000000") << date << 0 << null << "";
    QTest::newRow("seven digits") << "D" << QByteArray("2024022 ") << date << 0 << null << "不是有效日期";
}

void TstFieldConversion::convert()
{
    QFETCH(QString, dbfType);
    QFETCH(QByteArray, bytes);
    QFETCH(int, type);
    QFETCH(int, width);
    QFETCH(QVariant, value);
    QFETCH(QString, refusal);
    DbfField source;
    source.type = dbfType.at(0).toLatin1();
    source.length = int(bytes.size());
    const FieldConversion::Result r = FieldConversion::convert(bytes, source, target(FieldType(type), width));
    QVERIFY2(refusal.isEmpty() ? r.refusal.isEmpty() : r.refusal.contains(refusal), qPrintable(r.refusal));
    if (!value.isValid()) {
        QVERIFY2(!r.value.isValid(), qPrintable(r.value.toString()));
        return;
    }
    QCOMPARE(r.value.typeId(), value.typeId());
    QCOMPARE(r.value, value);
}

// A text Big5 cannot decode must not refuse the texts after it, and a blank
// text is the empty text (the database driver writes a null QString as NULL).
void TstFieldConversion::aRefusedTextLeavesTheNextOneReadable()
{
    DbfField source;
    const FieldDef name = target(FieldType::Text, 30);
    QVERIFY(!FieldConversion::convert("\xA4", source, name).refusal.isEmpty());
    const FieldConversion::Result good = FieldConversion::convert(Big5Text::encode(u"範例 "), source, name);
    QCOMPARE(good.refusal, QString());
    QCOMPARE(good.value.toString(), QString("範例"));
    const QVariant blank = FieldConversion::convert("    ", source, name).value;
    QVERIFY(!blank.toString().isNull());
    QVERIFY(!FieldConversion::absentValue(name).toString().isNull());
    QVERIFY(!FieldConversion::absentValue(target(FieldType::Float)).isValid());
}

QTEST_GUILESS_MAIN(TstFieldConversion)
#include "tst_field_conversion.moc"
