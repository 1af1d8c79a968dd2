#include "interchange/declaration_format.h"
#include "db/declaration_kind.h"
#include "interchange/export_engine.h"
#include "interchange/record_reader.h"
#include "interchange/record_writer.h"
#include "interchange/schema_file.h"
#include "interchange/stored_amount.h"
#include "tests/interchange/declaration_test_helpers.h"

#include <QRandomGenerator>
#include <QTest>
#include <cmath>
#include <limits>

namespace {

// The row's values in the kind's field order, as the export reads them; a
// field the row lacks is left out.
QVariantList inFieldOrder(const QString &kind, const QVariantMap &values)
{
    QVariantList ordered;
    for (const DeclarationField &f : kindOf(kind).fields()) {
        if (values.contains(f.name))
            ordered.append(values.value(f.name));
    }
    return ordered;
}

} // namespace

class TstDeclarationFormat : public QObject
{
    Q_OBJECT
private slots:
    void kindsCarryTheirLayouts();
    void namesAndEntries_data();
    void namesAndEntries();
    void periodComesFromTheName();

    void writesTheDocumentedLines_data();
    void writesTheDocumentedLines();
    void refusesWhatDoesNotFit_data();
    void refusesWhatDoesNotFit();

    void roundTripsManyRows_data();
    void roundTripsManyRows();
    void storedAmountsConvertAsTheirText_data();
    void storedAmountsConvertAsTheirText();
};

void TstDeclarationFormat::kindsCarryTheirLayouts()
{
    QStringList codes;
    for (const Kind *k : Kind::exportOrder())
        codes << k->code();
    QCOMPARE(codes, QStringList({"B01", "B02", "B05", "B03", "B04"}));

    // Fields are contiguous from 0 and end exactly at the record length.
    const QList<int> lengths{31, 24, 21, 37, 32};
    for (const Kind *k : Kind::all()) {
        int at = 0;
        for (const DeclarationField &f : k->fields()) {
            QCOMPARE(f.offset, at);
            at += f.width;
        }
        QCOMPARE(at, k->recordLength());
        QCOMPARE(k->recordLength(), lengths.at(k->id()));
    }
    QCOMPARE(kindOf("B05").table(), QStringLiteral("HMPBANK"));
    QCOMPARE(kindOf("B02").name(), QStringLiteral("各營業單位逾期放款比率"));
    QCOMPARE(Kind::find(u"b01"), nullptr);
    QCOMPARE(Kind::find(u"B06"), nullptr);
}

void TstDeclarationFormat::namesAndEntries_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("code");
    QTest::addColumn<int>("year");
    QTest::addColumn<int>("month");
    QTest::addColumn<QString>("directory");
    QTest::addColumn<QString>("entry");
    QTest::newRow("three-character code, root") << "B01" << "ABC" << 88 << 5 << "/" << "/B01ABC000008805";
    QTest::newRow("subdirectory") << "B05" << "ABC" << 88 << 5 << "/OUT" << "/OUT/B05ABC000008805";
    QTest::newRow("trailing separator") << "B03" << "ABC" << 88 << 5 << "/OUT/" << "/OUT/B03ABC000008805";
    QTest::newRow("seven characters unchanged") << "B02" << "1234567" << 114 << 12 << "/d" << "/d/B021234567114" "12";
    QTest::newRow("trailing blanks not significant") << "B04" << "ABC    " << 7 << 1 << "/d" << "/d/B04ABC000000701";
    QTest::newRow("month 0") << "B01" << "ABC" << 88 << 0 << "/d" << "/d/B01ABC000008800";
}

void TstDeclarationFormat::namesAndEntries()
{
    QFETCH(QString, kind);
    QFETCH(QString, code);
    QFETCH(int, year);
    QFETCH(int, month);
    QFETCH(QString, directory);
    QFETCH(QString, entry);
    const QString base = DeclarationFormat::baseName(kindOf(kind), code, Period{year, month});
    QCOMPARE(base.size(), 15);
    QCOMPARE(ExportEngine::entryPath(directory, kindOf(kind), code, Period{year, month}), entry);
}

void TstDeclarationFormat::periodComesFromTheName()
{
    QCOMPARE(DeclarationFormat::periodFromBaseName(u"B01ABC000008805"), Period(Period{88, 5}));
    // Only characters 11 to 15 count, not the kind or the institution.
    QCOMPARE(DeclarationFormat::periodFromBaseName(u"XXXXXXXXXX11412"), Period(Period{114, 12}));
    QVERIFY(!DeclarationFormat::periodFromBaseName(u"B01ABC00000880").has_value());
    QVERIFY(!DeclarationFormat::periodFromBaseName(u"B01ABC00000 805").has_value());
}

void TstDeclarationFormat::writesTheDocumentedLines_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QVariantMap>("values");
    QTest::addColumn<QByteArray>("line");

    QTest::newRow("B01 ordinary account, negative") << "B01" << b01("ABC", "11000", -1234.5)
                                                    << QByteArray("08805" "ABC0000" "11000" "0000000-1234.5");
    QTest::newRow("B01 positive, four-character account") << "B01" << b01("ABC", "1234", 1234.5)
                                                          << QByteArray("08805" "ABC0000" "01234" "000000001234.5");
    QTest::newRow("B01 trailing blanks of stored codes are not significant")
        << "B01" << b01("ABC    ", "1234 ", 1.0) << QByteArray("08805" "ABC0000" "01234" "00000000000001");
    QTest::newRow("B01 zero") << "B01" << b01("ABC", "11000", 0.0) << QByteArray("08805" "ABC0000" "11000" "00000000000000");
    QTest::newRow("B01 empty amount is zero")
        << "B01" << b01("ABC", "11000", QVariant()) << QByteArray("08805" "ABC0000" "11000" "00000000000000");
    QTest::newRow("B01 -0.5") << "B01" << b01("ABC", "11000", -0.5) << QByteArray("08805" "ABC0000" "11000" "0000000000-0.5");
    QTest::newRow("B01 p account times 1000")
        << "B01" << b01("ABC", "1234p", 12.345) << QByteArray("08805" "ABC0000" "1234p" "00000000012345");
    QTest::newRow("B01 upper-case P is an ordinary account")
        << "B01" << b01("ABC", "1234P", 12.345) << QByteArray("08805" "ABC0000" "1234P" "0000000012.345");
    // As SQLite hands them: years and months as 64-bit integers.
    QTest::newRow("B01 year and month as 64-bit integers")
        << "B01" << row({{"M_YEAR", qlonglong(114)}, {"M_MONTH", qlonglong(12)}, {"BANK_CODE", "ABC"}, {"ACC_CODE", "11000"},
                         {"AMT", 1.25}})
        << QByteArray("11412" "ABC0000" "11000" "00000000001.25");
    QTest::newRow("B01 fraction without its trailing zeros")
        << "B01" << b01("ABC", "11000", 1.1) << QByteArray("08805" "ABC0000" "11000" "000000000001.1");
    QTest::newRow("B01 smallest negative amount")
        << "B01" << b01("ABC", "11000", -0.0001) << QByteArray("08805" "ABC0000" "11000" "0000000-0.0001");
    QTest::newRow("B01 widest whole amount")
        << "B01" << b01("ABC", "11000", 99999999999999.0) << QByteArray("08805" "ABC0000" "11000" "99999999999999");
    QTest::newRow("B01 p account keeps the fraction left after the factor")
        << "B01" << b01("ABC", "1234p", -0.0015) << QByteArray("08805" "ABC0000" "1234p" "0000000000-1.5");
    QTest::newRow("B01 amount taken at four decimals, ties to even")
        << "B01" << b01("ABC", "11000", 0.00015) << QByteArray("08805" "ABC0000" "11000" "000000000.0002");
    QTest::newRow("B02 rate 2.5 times 1000, seven-character codes")
        << "B02" << row({{"M_YEAR", 114}, {"M_MONTH", 12}, {"BANK_CODE", "1234567"}, {"BANK_CODE1", "1234568"}, {"M_RATE", 2.5}})
        << QByteArray("11412" "1234567" "1234568" "02500");
    QTest::newRow("B02 three-character branch code")
        << "B02" << row({{"M_YEAR", 114}, {"M_MONTH", 12}, {"BANK_CODE", "ABC"}, {"BANK_CODE1", "DEF"}, {"M_RATE", 99.999}})
        << QByteArray("11412" "ABC0000" "DEF0000" "99999");
    QTest::newRow("B02 one-digit year and month are padded with zeros")
        << "B02" << row({{"M_YEAR", 1}, {"M_MONTH", 1}, {"BANK_CODE", "ABC"}, {"BANK_CODE1", "DEF"}, {"M_RATE", 1.0}})
        << QByteArray("00101" "ABC0000" "DEF0000" "01000");
    QTest::newRow("B02 year 999 and month 12 fill their fields, a whole double as read from a grid")
        << "B02" << row({{"M_YEAR", 999.0}, {"M_MONTH", 12.0}, {"BANK_CODE", "ABC"}, {"BANK_CODE1", "DEF"}, {"M_RATE", 1.0}})
        << QByteArray("99912" "ABC0000" "DEF0000" "01000");
    QTest::newRow("B03 rate 2.5 times 100") << "B03" << b03("10", 2.5) << QByteArray("08805" "ABC0000" "1" "2" "10" "3" "0250");
    // A fraction whose leading zero would not fit is written without it, as the
    // reader takes it from a file.
    QTest::newRow("B03 negative rate below one fills the field without its zero")
        << "B03" << b03("10", -0.0078) << QByteArray("08805" "ABC0000" "1" "2" "10" "3" "-.78");
    QTest::newRow("B03 rate below one keeps its zero where it fits")
        << "B03" << b03("10", 0.0078) << QByteArray("08805" "ABC0000" "1" "2" "10" "3" "0.78");
    QTest::newRow("B04 count and amount") << "B04" << b04("1", "01", 123.0, -98765.4321)
                                          << QByteArray("08805" "ABC0000" "1" "2" "01" "0000123" "000-98765.4321");
    QTest::newRow("B04 short flag keeps its blank so the fields stay in place") << "B04" << b04("1", "1", 1.0, 2.0)
        << QByteArray("08805ABC0000" "12" "1 " "0000001" "00000000000002");
    QTest::newRow("B05 p account")
        << "B05" << row({{"M_YEAR", 88}, {"M_MONTH", 5}, {"BANK_CODE", "ABC"}, {"HSIEN_ID", "A"}, {"ACC_CODE", "1234p"},
                         {"AMT", -0.001}})
        << QByteArray("08805" "ABC0000" "A" "1234p" "000000000000-1");
    QTest::newRow("B05 four-character p code is decided on the written code")
        << "B05" << row({{"M_YEAR", 88}, {"M_MONTH", 5}, {"BANK_CODE", "ABC"}, {"HSIEN_ID", "A"}, {"ACC_CODE", "123p"},
                         {"AMT", 1.5}})
        << QByteArray("08805" "ABC0000" "A" "0123p" "00000000001500");
}

void TstDeclarationFormat::writesTheDocumentedLines()
{
    QFETCH(QString, kind);
    QFETCH(QVariantMap, values);
    QFETCH(QByteArray, line);
    const RecordWriter::Result r = RecordWriter(kindOf(kind)).write(values);
    QVERIFY2(r.ok(), qPrintable(r.field + QStringLiteral(": ") + r.error));
    QCOMPARE(r.line, line);
    QCOMPARE(r.line.size(), kindOf(kind).recordLength());
    // Rendered into a file's bytes: the same line after what stands there.
    QByteArray lines("earlier line\r\n");
    QVERIFY(RecordWriter(kindOf(kind)).appendTo(lines, inFieldOrder(kind, values)).ok());
    QCOMPARE(lines, QByteArray("earlier line\r\n") + line);
}

void TstDeclarationFormat::refusesWhatDoesNotFit_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QVariantMap>("values");
    QTest::addColumn<QString>("field");

    QTest::newRow("M_RATE of 100") << "B02" << b02("DEF", 100.0) << "M_RATE";
    QTest::newRow("M_RATE with a fourth decimal") << "B02" << b02("DEF", 1.2345) << "M_RATE";
    QTest::newRow("RATE of 100") << "B03" << b03("10", 100.0) << "RATE";
    QTest::newRow("count of eight digits") << "B04" << b04("1", "01", 10000000.0, 0.0) << "AMT";
    QTest::newRow("negative one character too long") << "B04" << b04("1", "01", -1000000.0, 0.0) << "AMT";
    QTest::newRow("flag wider than its field") << "B04" << b04("12", "01", 1.0, 0.0) << "FLAG1";
    QTest::newRow("amount of fifteen digits") << "B01" << b01("ABC", "11000", 100000000000000.0) << "AMT";
    QTest::newRow("amount with decimals too long") << "B01" << b01("ABC", "11000", -123456789.1234) << "AMT";
    QTest::newRow("p account overflowing after the factor") << "B01" << b01("ABC", "1234p", 100000000000.0) << "AMT";
    QTest::newRow("amount beyond the 64-bit range") << "B01" << b01("ABC", "1234p", 1e300) << "AMT";
    QTest::newRow("amount not a number") << "B01" << b01("ABC", "11000", std::nan("")) << "AMT";
    QTest::newRow("amount that is text") << "B01" << b01("ABC", "11000", "12,5") << "AMT";
    QTest::newRow("code of eight characters") << "B01" << b01("ABCDEFGH", "11000", 1.0) << "BANK_CODE";
    QTest::newRow("code not ASCII") << "B01" << b01(QStringLiteral("銀行"), "11000", 1.0) << "BANK_CODE";
    QTest::newRow("empty code") << "B01" << b01("", "11000", 1.0) << "BANK_CODE";
    QTest::newRow("account code of six characters") << "B01" << b01("ABC", "123456", 1.0) << "ACC_CODE";
    QTest::newRow("account code with a control character") << "B01" << b01("ABC", "12\t45", 1.0) << "ACC_CODE";
    // A blank before the last character would be read back as another code, or
    // refused: "1 0" would be written "001 0".
    QTest::newRow("account code with a blank inside") << "B01" << b01("ABC", "1 0", 1.0) << "ACC_CODE";
    QTest::newRow("institution code with a blank inside") << "B01" << b01("AB C", "11000", 1.0) << "BANK_CODE";
    QTest::newRow("business unit with a leading blank") << "B02" << b02(" ABC001", 1.0) << "BANK_CODE1";
    QTest::newRow("flag with a leading blank") << "B03" << b03(" 1", 1.0) << "FLAG3";
    QTest::newRow("year 1000") << "B01"
        << row({{"M_YEAR", 1000}, {"M_MONTH", 5}, {"BANK_CODE", "ABC"}, {"ACC_CODE", "11000"}, {"AMT", 1.0}})
        << "M_YEAR";
    QTest::newRow("month 13") << "B01"
        << row({{"M_YEAR", 88}, {"M_MONTH", 13}, {"BANK_CODE", "ABC"}, {"ACC_CODE", "11000"}, {"AMT", 1.0}})
        << "M_MONTH";
    QTest::newRow("year -1 as a 64-bit integer") << "B01"
        << row({{"M_YEAR", qlonglong(-1)}, {"M_MONTH", 5}, {"BANK_CODE", "ABC"}, {"ACC_CODE", "11000"}, {"AMT", 1.0}})
        << "M_YEAR";
    QTest::newRow("month 13 as a 64-bit integer") << "B01"
        << row({{"M_YEAR", 88}, {"M_MONTH", qlonglong(13)}, {"BANK_CODE", "ABC"}, {"ACC_CODE", "11000"}, {"AMT", 1.0}})
        << "M_MONTH";
    QTest::newRow("missing field") << "B01"
        << row({{"M_YEAR", 88}, {"M_MONTH", 5}, {"BANK_CODE", "ABC"}, {"AMT", 1.0}}) << "ACC_CODE";
}

void TstDeclarationFormat::refusesWhatDoesNotFit()
{
    QFETCH(QString, kind);
    QFETCH(QVariantMap, values);
    QFETCH(QString, field);
    const RecordWriter::Result r = RecordWriter(kindOf(kind)).write(values);
    QVERIFY(!r.ok());
    QVERIFY(r.line.isEmpty());
    QCOMPARE(r.field, field);
    // Refused while a file is rendered: the bytes before it stay as they were.
    const QVariantList ordered = inFieldOrder(kind, values);
    if (ordered.size() == kindOf(kind).fields().size()) {
        QByteArray lines("earlier line\r\n");
        const RecordWriter::Result appended = RecordWriter(kindOf(kind)).appendTo(lines, ordered);
        QCOMPARE(appended.field, field);
        QCOMPARE(lines, QByteArray("earlier line\r\n"));
    }
}

// Many generated rows per kind: negative, zero and fractional amounts, "p"
// accounts, codes of 3 and 7 characters. Each row is written, read back and
// compared; every line is exactly its record length and printable ASCII.
void TstDeclarationFormat::roundTripsManyRows_data()
{
    QTest::addColumn<QString>("kind");
    for (const Kind *k : Kind::all())
        QTest::newRow(qPrintable(k->code())) << k->code();
}

void TstDeclarationFormat::roundTripsManyRows()
{
    QFETCH(QString, kind);
    const Kind &k = kindOf(kind);
    QRandomGenerator rng(20240 + k.id());
    const QString alnum = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789");

    auto code = [&](int length) {
        QString s;
        for (int i = 0; i < length; ++i)
            s += alnum.at(rng.bounded(int(alnum.size())));
        return s;
    };
    auto institution = [&] {
        switch (rng.bounded(4)) {
        case 0: return code(3);
        case 1: return code(3) + QStringLiteral("0000");   // comes back as its first three
        default: return code(7);
        }
    };
    auto expectedInstitution = [](const QString &c) { return c.size() == 7 && c.endsWith(u"0000") ? c.left(3) : c; };
    // A Decimal4 amount of |raw| < limit, a multiple of `step`, with zeros and
    // negatives mixed in.
    auto amount = [&](qint64 limit, qint64 step, bool negatives) {
        switch (rng.bounded(6)) {
        case 0: return Decimal4();
        case 1: return Decimal4::fromRaw(step * rng.bounded(qint64(1), qint64(10)) * (negatives ? -1 : 1));
        default: {
            qint64 raw = rng.bounded(limit / step) * step;
            if (negatives && rng.bounded(2))
                raw = -raw;
            return Decimal4::fromRaw(raw);
        }
        }
    };

    const RecordWriter writer(k);
    for (int n = 1; n <= 3000; ++n) {
        QVariantMap values;
        QVariantMap expected;
        QHash<QString, Decimal4> numbers;
        values["M_YEAR"] = expected["M_YEAR"] = rng.bounded(1, 1000);
        values["M_MONTH"] = expected["M_MONTH"] = rng.bounded(1, 13);
        const QString bank = institution();
        values["BANK_CODE"] = bank;
        expected["BANK_CODE"] = expectedInstitution(bank);

        auto account = [&](const char *field) {
            QString acc = code(rng.bounded(4) == 0 ? 4 : 5);
            if (rng.bounded(3) == 0)
                acc[acc.size() - 1] = u'p';
            values[field] = acc;
            expected[field] = acc.rightJustified(5, u'0');
        };
        auto number = [&](const char *field, Decimal4 value) {
            values[field] = value.toDouble();
            numbers.insert(field, value);
        };
        auto flag = [&](const char *field, const QStringList &choices) {
            values[field] = expected[field] = choices.at(rng.bounded(int(choices.size())));
        };
        const QStringList flags3{"01", "02", "03", "04", "05", "06", "07", "08", "09", "10"};

        switch (k.id()) {
        case Kind::B01:
            account("ACC_CODE");
            number("AMT", amount(1'000'000'000'000, 1, true));   // up to 8 digits and 4 decimals
            break;
        case Kind::B02: {
            const QString branch = institution();
            values["BANK_CODE1"] = branch;
            expected["BANK_CODE1"] = expectedInstitution(branch);
            number("M_RATE", amount(1'000'000, 10, false));       // 0 to 99.999
            break;
        }
        case Kind::B03:
            flag("FLAG1", {"1", "2"});
            flag("FLAG2", {"1", "2", "3"});
            flag("FLAG3", flags3);
            flag("FLAG4", {"1", "2"});
            number("RATE", amount(1'000'000, 100, false));        // 0 to 99.99
            break;
        case Kind::B04:
            flag("FLAG1", {"1", "2", "3"});
            flag("FLAG2", {"1", "2"});
            flag("FLAG3", flags3);
            number("AMT", amount(100'000'000'000, 10'000, false)); // whole counts up to 7 digits
            number("AMT1", amount(1'000'000'000'000, 1, true));
            break;
        case Kind::B05:
            flag("HSIEN_ID", {"A", "B", "C", "Z"});
            account("ACC_CODE");
            number("AMT", amount(1'000'000'000'000, 1, true));
            break;
        }

        const RecordWriter::Result written = writer.write(values);
        QVERIFY2(written.ok(), qPrintable(QStringLiteral("row %1: %2 %3").arg(n).arg(written.field, written.error)));
        QCOMPARE(written.line.size(), k.recordLength());
        for (char c : written.line)
            QVERIFY(c >= 0x20 && c <= 0x7e);

        const RecordReader::Result read = RecordReader::read(k, written.line + "\r\n", n);
        QVERIFY2(read.ok(), qPrintable(read.error + QStringLiteral(" in ") + QString::fromLatin1(written.line)));
        for (auto it = expected.cbegin(); it != expected.cend(); ++it)
            QCOMPARE(read.values.value(it.key()).toString(), it.value().toString());
        for (auto it = numbers.cbegin(); it != numbers.cend(); ++it) {
            QCOMPARE(read.numbers.value(it.key()), it.value());
            QCOMPARE(read.values.value(it.key()).toDouble(), it.value().toDouble());
        }
        QCOMPARE(read.values.size(), k.fields().size());
    }
}

// The export converts every amount without a text where it can: the results
// must be those of the conversions through the text, at the edges of the plain
// range and at ties of the fifth decimal.
void TstDeclarationFormat::storedAmountsConvertAsTheirText_data()
{
    QTest::addColumn<double>("stored");
    QTest::newRow("zero") << 0.0;
    QTest::newRow("negative zero") << -0.0;
    QTest::newRow("a tenth") << 0.1;
    QTest::newRow("four decimals") << 12345.6789;
    QTest::newRow("negative four decimals") << -98765.4321;
    QTest::newRow("a tie of the fifth decimal") << 1.00005;
    QTest::newRow("below the fourth decimal") << 0.00004999;
    QTest::newRow("many decimals") << 1234567.123456789;
    QTest::newRow("just below the plain range") << 68719476735.9999;
    QTest::newRow("at the plain range") << 68719476736.0;
    QTest::newRow("beyond the plain range, decimals") << 123456789012.3456;
    QTest::newRow("beyond exact raw values") << 9.2e14;
    QTest::newRow("beyond Decimal4") << -1e300;
}

void TstDeclarationFormat::storedAmountsConvertAsTheirText()
{
    QFETCH(double, stored);
    const Decimal4 viaText = Decimal4::fromDouble(stored);
    QCOMPARE(StoredAmount::fromDouble(stored).raw(), viaText.raw());
    QCOMPARE(StoredAmount::toDouble(viaText), viaText.toDouble());
    const Decimal4 next = Decimal4::fromRaw(viaText.raw() == std::numeric_limits<qint64>::max() ? viaText.raw()
                                                                                             : viaText.raw() + 1);
    QCOMPARE(StoredAmount::toDouble(next), next.toDouble());
}

QTEST_GUILESS_MAIN(TstDeclarationFormat)
#include "tst_declaration_format.moc"
