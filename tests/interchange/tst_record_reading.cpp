#include "interchange/declaration_file_check.h"
#include "interchange/declaration_format.h"
#include "db/declaration_kind.h"
#include "interchange/export_engine.h"
#include "interchange/record_reader.h"
#include "interchange/record_writer.h"
#include "interchange/schema_file.h"
#include "tests/interchange/declaration_test_helpers.h"

#include <QRandomGenerator>
#include <QTest>
#include <cmath>
#include <limits>

// Reading declaration lines and schema texts: the documented lines, rounding,
// malformed lines, schema texts and their refusals.
class TstRecordReading : public QObject
{
    Q_OBJECT
private slots:
    void readsTheDocumentedLines_data();
    void readsTheDocumentedLines();
    void numbersAreRoundedOnceHalfToEven_data();
    void numbersAreRoundedOnceHalfToEven();
    void refusesMalformedLines_data();
    void refusesMalformedLines();
    void ignoresWhatStandsBeyondTheLastField();
    void readingsAgreeWithRows_data();
    void readingsAgreeWithRows();

    void schemaTextIsExact_data();
    void schemaTextIsExact();
    void schemaReaderTakesOffsetsAndWidths();
    void schemaReaderRefusesBadSchemas_data();
    void schemaReaderRefusesBadSchemas();
};

void TstRecordReading::readsTheDocumentedLines_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QVariantMap>("values");

    QTest::newRow("B01 ABC0000 stored as ABC, negative")
        << "B01" << QByteArray("08805" "ABC0000" "11000" "0000000-1234.5") << b01("ABC", "11000", -1234.5);
    QTest::newRow("B01 -0.5 and a padded account code")
        << "B01" << QByteArray("08805" "ABC0000" "01234" "0000000000-0.5") << b01("ABC", "01234", -0.5);
    QTest::newRow("B01 p account divided by 1000")
        << "B01" << QByteArray("08805" "ABC0000" "1234p" "00000000012345") << b01("ABC", "1234p", 12.345);
    QTest::newRow("seven characters ending in 0000 come back as three")
        << "B02" << QByteArray("11412" "1230000" "1234000" "02500")
        << row({{"M_YEAR", 114}, {"M_MONTH", 12}, {"BANK_CODE", "123"}, {"BANK_CODE1", "1234000"}, {"M_RATE", 2.5}});
    QTest::newRow("B03 rate divided by 100")
        << "B03" << QByteArray("08805" "ABC0000" "1" "2" "10" "3" "0250") << b03("10", 2.5);
    QTest::newRow("B04 zeros")
        << "B04" << QByteArray("08805ABC0000" "12" "01" "0000000" "00000000000000") << b04("1", "01", 0.0, 0.0);
    QTest::newRow("B01 the last printable byte is read as it stands")
        << "B01" << QByteArray("08805" "ABC0000" "~~~~~" "00000000001234") << b01("ABC", "~~~~~", 1234.0);
    QTest::newRow("B05 with CR LF")
        << "B05" << QByteArray("08805" "ABC0000" "A" "1234p" "000000000000-1" "\r\n")
        << row({{"M_YEAR", 88}, {"M_MONTH", 5}, {"BANK_CODE", "ABC"}, {"HSIEN_ID", "A"}, {"ACC_CODE", "1234p"},
                {"AMT", -0.001}});
}

void TstRecordReading::readsTheDocumentedLines()
{
    QFETCH(QString, kind);
    QFETCH(QByteArray, line);
    QFETCH(QVariantMap, values);
    const RecordReader::Result r = RecordReader::read(kindOf(kind), line, 7);
    QVERIFY2(r.ok(), qPrintable(r.error));
    QCOMPARE(r.lineNo, 7);
    QCOMPARE(r.values.keys(), values.keys());
    for (auto it = values.cbegin(); it != values.cend(); ++it) {
        const QVariant got = r.values.value(it.key());
        if (kindOf(kind).field(it.key())->isNumber()) {
            QCOMPARE(r.numbers.value(it.key()), Decimal4::fromDouble(it.value().toDouble()));
            QCOMPARE(got.toDouble(), it.value().toDouble());
        } else {
            QCOMPARE(got.toString(), it.value().toString());
        }
    }
    QCOMPARE(r.values.value("M_YEAR").typeId(), QMetaType::Int);
}

void TstRecordReading::numbersAreRoundedOnceHalfToEven_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("factor");
    QTest::addColumn<qint64>("raw");
    QTest::newRow("leading zeros") << "00000001234.5" << 1 << qint64(12345000);
    QTest::newRow("fifth decimal tie down") << "0000000.00005" << 1 << qint64(0);
    QTest::newRow("fifth decimal tie up") << "0000000.00015" << 1 << qint64(2);
    QTest::newRow("thousands") << "00000000012345" << 1000 << qint64(123450);
    QTest::newRow("thousands tie to even") << "00000000000.15" << 1000 << qint64(2);
    // Rounded from the exact text: 0.14999 / 1000 is below the tie. Rounding the
    // text to four decimals first (0.1500) would give 0.0002.
    QTest::newRow("no double rounding") << "0000000.14999" << 1000 << qint64(1);
    QTest::newRow("hundreds") << "0250" << 100 << qint64(25000);
    QTest::newRow("negative after zeros") << "0000000-1234.5" << 1 << qint64(-12345000);
    QTest::newRow("negative thousands") << "000000000000-1" << 1000 << qint64(-10);
    QTest::newRow("negative zero") << "0000000000000-0" << 1 << qint64(0);
    QTest::newRow("largest count") << "9999999" << 1 << qint64(99999990000);
}

void TstRecordReading::numbersAreRoundedOnceHalfToEven()
{
    QFETCH(QString, text);
    QFETCH(int, factor);
    QFETCH(qint64, raw);
    const auto value = DeclarationFormat::readNumber(text, factor);
    QVERIFY(value.has_value());
    QCOMPARE(value->raw(), raw);
}

void TstRecordReading::refusesMalformedLines_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QString>("field");

    const QByteArray good("08805" "ABC0000" "11000" "0000000-1234.5");
    auto with = [&](int at, const QByteArray &text) { QByteArray l = good; l.replace(at, text.size(), text); return l; };
    QTest::newRow("one character short") << "B01" << good.left(30) << "";
    QTest::newRow("empty line") << "B01" << QByteArray() << "";
    QTest::newRow("letter in the amount") << "B01" << with(17, "0000000x1234.5") << "AMT";
    QTest::newRow("blank amount") << "B01" << with(17, "              ") << "AMT";
    QTest::newRow("plus sign") << "B01" << with(17, "000000+1234.50") << "AMT";
    QTest::newRow("digits before the minus") << "B01" << with(17, "0000001-1234.5") << "AMT";
    QTest::newRow("two minus signs") << "B01" << with(17, "000000--1234.5") << "AMT";
    QTest::newRow("minus and nothing after") << "B01" << with(17, "0000000000000-") << "AMT";
    QTest::newRow("two points") << "B01" << with(17, "0000001.234.50") << "AMT";
    QTest::newRow("Big5 bytes") << "B01" << with(12, "\xbb\xc8\xa6\xe6" "0") << "ACC_CODE";
    QTest::newRow("DEL in the last field") << "B01" << with(30, "\x7f") << "AMT";
    QTest::newRow("NUL in the first field") << "B01" << with(0, QByteArray("\0", 1)) << "M_YEAR";
    QTest::newRow("tab") << "B01" << with(5, "ABC\t000") << "BANK_CODE";
    QTest::newRow("year 000") << "B01" << with(0, "000") << "M_YEAR";
    QTest::newRow("year with a blank") << "B01" << with(0, " 88") << "M_YEAR";
    QTest::newRow("month 00") << "B01" << with(3, "00") << "M_MONTH";
    QTest::newRow("month 13") << "B01" << with(3, "13") << "M_MONTH";
    QTest::newRow("blank code") << "B01" << with(5, "       ") << "BANK_CODE";
    QTest::newRow("blank account") << "B01" << with(12, "     ") << "ACC_CODE";
    QTest::newRow("B03 letter in the rate") << "B03" << QByteArray("08805" "ABC0000" "1" "2" "10" "3" "02x0") << "RATE";
    QTest::newRow("B05 blank county") << "B05" << QByteArray("08805" "ABC0000" " " "1234p" "000000000000-1") << "HSIEN_ID";
}

void TstRecordReading::refusesMalformedLines()
{
    QFETCH(QString, kind);
    QFETCH(QByteArray, line);
    QFETCH(QString, field);
    const RecordReader::Result r = RecordReader::read(kindOf(kind), line, 42);
    QVERIFY(!r.ok());
    QVERIFY(r.values.isEmpty());
    QVERIFY(r.numbers.isEmpty());
    QCOMPARE(r.field, field);
    QCOMPARE(r.lineNo, 42);
    QVERIFY2(r.error.contains(u"第 42 行"), qPrintable(r.error));
    if (!field.isEmpty())
        QVERIFY2(r.error.contains(field), qPrintable(r.error));
}

void TstRecordReading::ignoresWhatStandsBeyondTheLastField()
{
    const RecordReader::Result r =
        RecordReader::read(kindOf("B01"), QByteArray("08805" "ABC0000" "11000" "0000000-1234.5" " \xa4\xa4 trailing"), 1);
    QVERIFY2(r.ok(), qPrintable(r.error));
    QCOMPARE(r.numbers.value("AMT").raw(), qint64(-12345000));
}

void TstRecordReading::schemaTextIsExact_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QByteArray>("fields");
    QTest::newRow("B01") << "B01"
                         << QByteArray("FIELD4=ACC_CODE,CHAR,05,00,12\r\nFIELD5=AMT,CHAR,14,00,17\r\n");
    QTest::newRow("B02") << "B02"
                         << QByteArray("FIELD4=BANK_CODE1,CHAR,07,00,12\r\nFIELD5=M_RATE,CHAR,05,00,19\r\n");
    QTest::newRow("B03") << "B03"
                         << QByteArray("FIELD4=FLAG1,CHAR,1,00,12\r\nFIELD5=FLAG2,CHAR,1,00,13\r\n"
                                       "FIELD6=FLAG3,CHAR,2,00,14\r\nFIELD7=FLAG4,CHAR,1,00,16\r\n"
                                       "FIELD8=RATE,CHAR,4,00,17\r\n");
    QTest::newRow("B04") << "B04"
                         << QByteArray("FIELD4=FLAG1,CHAR,01,00,12\r\nFIELD5=FLAG2,CHAR,01,00,13\r\n"
                                       "FIELD6=FLAG3,CHAR,2,00,14\r\nFIELD7=AMT,CHAR,7,00,16\r\n"
                                       "FIELD8=AMT1,CHAR,14,00,23\r\n");
    QTest::newRow("B05") << "B05"
                         << QByteArray("FIELD4=HSIEN_ID,CHAR,01,00,12\r\nFIELD5=ACC_CODE,CHAR,05,00,13\r\n"
                                       "FIELD6=AMT,CHAR,14,00,18\r\n");
}

void TstRecordReading::schemaTextIsExact()
{
    QFETCH(QString, kind);
    QFETCH(QByteArray, fields);
    const QByteArray expected = "[" + kind.toLatin1() + "ABC000008805]\r\nFILETYPE=FIXED\r\nCHARSET=ASCII\r\n"
                                "FIELD1=M_YEAR,CHAR,03,00,00\r\nFIELD2=M_MONTH,CHAR,02,00,03\r\n"
                                "FIELD3=BANK_CODE,CHAR,07,00,05\r\n"
                              + fields;
    QCOMPARE(SchemaFile::text(kind + "ABC000008805", kindOf(kind)), expected);

    // The reader gets the kind's own layout back from it.
    QString error;
    const auto layout = SchemaFile::parse(expected, kindOf(kind), &error);
    QVERIFY2(layout.has_value(), qPrintable(error));
    QCOMPARE(*layout, RecordReader::standardLayout(kindOf(kind)));
}

void TstRecordReading::schemaReaderTakesOffsetsAndWidths()
{
    // A schema that lists the fields in another order and lays the line out
    // differently: the reader follows it.
    const QByteArray schema = "[B01ABC000008805]\r\nFILETYPE=FIXED\r\nCHARSET=ASCII\r\n"
                              "FIELD1=AMT,CHAR,6,00,00\r\nFIELD2=ACC_CODE,CHAR,5,00,06\r\n"
                              "FIELD3=BANK_CODE,CHAR,3,00,11\r\nFIELD4=M_MONTH,CHAR,2,00,14\r\n"
                              "FIELD5=M_YEAR,CHAR,3,00,16\r\n";
    QString error;
    const auto layout = SchemaFile::parse(schema, kindOf("B01"), &error);
    QVERIFY2(layout.has_value(), qPrintable(error));
    const RecordReader reader(kindOf("B01"), *layout);
    QCOMPARE(reader.requiredLength(), 19);
    const RecordReader::Result r = reader.read("012345" "1234p" "XYZ" "07" "101", 3);
    QVERIFY2(r.ok(), qPrintable(r.error));
    QCOMPARE(r.values.value("M_YEAR").toInt(), 101);
    QCOMPARE(r.values.value("M_MONTH").toInt(), 7);
    QCOMPARE(r.values.value("BANK_CODE").toString(), QStringLiteral("XYZ"));
    QCOMPARE(r.numbers.value("AMT").raw(), qint64(123450));   // 12.345 of a "p" account

    // A schema may make a text field wider than its table column: such a value is refused.
    const QByteArray wide = "[B05X]\r\nFILETYPE=FIXED\r\nCHARSET=ASCII\r\n"
                            "FIELD1=M_YEAR,CHAR,03,00,00\r\nFIELD2=M_MONTH,CHAR,02,00,03\r\n"
                            "FIELD3=BANK_CODE,CHAR,07,00,05\r\nFIELD4=HSIEN_ID,CHAR,02,00,12\r\n"
                            "FIELD5=ACC_CODE,CHAR,05,00,14\r\nFIELD6=AMT,CHAR,14,00,19\r\n";
    const auto wideLayout = SchemaFile::parse(wide, kindOf("B05"), &error);
    QVERIFY2(wideLayout.has_value(), qPrintable(error));
    const RecordReader wideReader(kindOf("B05"), *wideLayout);
    QVERIFY(wideReader.read("08805ABC0000A 11000" "00000000000001", 1).ok());
    const RecordReader::Result refused = wideReader.read("08805ABC0000AB11000" "00000000000001", 2);
    QVERIFY(!refused.ok());
    QCOMPARE(refused.field, QStringLiteral("HSIEN_ID"));
}

void TstRecordReading::schemaReaderRefusesBadSchemas_data()
{
    QTest::addColumn<QByteArray>("schema");
    const QByteArray head = "[B02ABC000008805]\r\nFILETYPE=FIXED\r\nCHARSET=ASCII\r\n";
    const QByteArray first = "FIELD1=M_YEAR,CHAR,03,00,00\r\nFIELD2=M_MONTH,CHAR,02,00,03\r\n"
                             "FIELD3=BANK_CODE,CHAR,07,00,05\r\n";
    const QByteArray rest = "FIELD4=BANK_CODE1,CHAR,07,00,12\r\nFIELD5=M_RATE,CHAR,05,00,19\r\n";
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("no heading") << (head.mid(head.indexOf('\n') + 1) + first + rest);
    QTest::newRow("not fixed") << (QByteArray("[B]\r\nFILETYPE=DELIMITED\r\nCHARSET=ASCII\r\n") + first + rest);
    QTest::newRow("not ASCII") << (QByteArray("[B]\r\nFILETYPE=FIXED\r\nCHARSET=ANSI\r\n") + first + rest);
    QTest::newRow("missing field") << (head + first + "FIELD4=BANK_CODE1,CHAR,07,00,12\r\n");
    QTest::newRow("field of another kind") << (head + first + rest + "FIELD6=AMT,CHAR,14,00,24\r\n");
    QTest::newRow("repeated field") << (head + first + rest + "FIELD6=M_RATE,CHAR,05,00,19\r\n");
    QTest::newRow("numbering gap") << (head + first + "FIELD5=BANK_CODE1,CHAR,07,00,12\r\nFIELD6=M_RATE,CHAR,05,00,19\r\n");
    QTest::newRow("not CHAR") << (head + first + "FIELD4=BANK_CODE1,NUMBER,07,00,12\r\nFIELD5=M_RATE,CHAR,05,00,19\r\n");
    QTest::newRow("width zero") << (head + first + "FIELD4=BANK_CODE1,CHAR,00,00,12\r\nFIELD5=M_RATE,CHAR,05,00,19\r\n");
    QTest::newRow("offset not a number") << (head + first + "FIELD4=BANK_CODE1,CHAR,07,00,1x\r\nFIELD5=M_RATE,CHAR,05,00,19\r\n");
    QTest::newRow("too few parts") << (head + first + "FIELD4=BANK_CODE1,CHAR,07,12\r\nFIELD5=M_RATE,CHAR,05,00,19\r\n");
}

void TstRecordReading::schemaReaderRefusesBadSchemas()
{
    QFETCH(QByteArray, schema);
    QString error;
    QVERIFY(!SchemaFile::parse(schema, kindOf("B02"), &error).has_value());
    QVERIFY(!error.isEmpty());
}

// The export compares its file with the readings of the lines (texts viewing
// the bytes), the import stores rows of values: both of one file must be the
// same lines with the same values, skipped and refused lines alike.
void TstRecordReading::readingsAgreeWithRows_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("baseName");
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<int>("taken");

    const QString b01 = QStringLiteral("B01ABC000008805");
    QTest::newRow("codes, a thousands account, a negative amount") << "B01" << b01
        << QStringList{"08805ABC000011000000000001234.5",
                       "08805ABC0000A001p00000000002500",
                       "08805XYZ12342200000000000-12.75"} << 3;
    QTest::newRow("a blank institution and a repeated key are skipped") << "B01" << b01
        << QStringList{"08805ABC00001100000000000000001",
                       "08805       1100000000000000009",
                       "08805ABC00001100000000000000002",
                       "08805ABC00001200000000000000003"} << 2;
    QTest::newRow("a bad amount refuses the file") << "B01" << b01
        << QStringList{"08805ABC00001100000000000000001",
                       "08805ABC000012000000000000000x3"} << 0;
    QTest::newRow("units and rates") << "B02" << QStringLiteral("B02ABC000008805")
        << QStringList{"08805ABC0000UNIT00100125",
                       "08805ABC0000XYZ0000001.5"} << 2;
}

void TstRecordReading::readingsAgreeWithRows()
{
    QFETCH(QString, kind);
    QFETCH(QString, baseName);
    QFETCH(QStringList, lines);
    QFETCH(int, taken);
    const Kind &k = kindOf(kind);
    const QByteArray bytes = lines.join(QStringLiteral("\r\n")).toLatin1() + "\r\n";

    using Check = DeclarationFileCheck;
    const Check::Result rows = Check::check(k, baseName, bytes, Check::Content::Rows);
    const Check::Result readings = Check::check(k, baseName, bytes, Check::Content::Readings);
    QCOMPARE(readings.status, rows.status);
    QCOMPARE(readings.detail, rows.detail);
    QCOMPARE(readings.bankCode, rows.bankCode);
    QCOMPARE(rows.rows.size(), qsizetype(taken));
    QVERIFY(readings.rows.isEmpty());
    QCOMPARE(readings.readingLines.size(), rows.rows.size());
    QCOMPARE(readings.readings.size(), rows.rows.size() * k.fields().size());
    for (qsizetype i = 0; i < rows.rows.size(); ++i) {
        const Check::Row &row = rows.rows.at(i);
        QCOMPARE(readings.readingLines.at(i), row.lineNo);
        for (qsizetype f = 0; f < k.fields().size(); ++f) {
            const DeclarationField &field = k.fields().at(f);
            const FieldReading &reading = readings.readings.at(i * k.fields().size() + f);
            QCOMPARE(RecordReader::valueOf(field, reading), row.values.value(field.name));
            if (field.isNumber())
                QCOMPARE(reading.number, row.numbers.value(field.name));
        }
    }
}

QTEST_GUILESS_MAIN(TstRecordReading)
#include "tst_record_reading.moc"
