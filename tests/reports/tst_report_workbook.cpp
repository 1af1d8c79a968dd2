#include "reports/sheet_names.h"
#include "reports/workbook_number_format.h"
#include "reports/workbook_report_writer.h"
#include "tests/reports/workbook_reader.h"
#include "tests/support/files.h"
#include "tests/support/test_database.h"

#include <QTemporaryDir>
#include <QTest>

// The reports written as workbooks and read back as a spreadsheet reads them:
// which cell holds what, a number or a text, in which number format.
class TstReportWorkbook : public QObject
{
    Q_OBJECT
public:
    // One expected cell: "C6" of the first sheet, or "連江縣!C7" of a named one.
    struct Cell
    {
        QString ref;
        bool number;
        QString value;
        QString format = {};
    };

private slots:
    void reportsReadBack_data();
    void reportsReadBack();
    void commandLine_data();
    void commandLine();
    void sheetNames_data();
    void sheetNames();
    void numberFormats_data();
    void numberFormats();
    void failedWriteKeepsTheOlderFile_data();
    void failedWriteKeepsTheOlderFile();
};

Q_DECLARE_METATYPE(QList<TstReportWorkbook::Cell>)

namespace {

const QString Whole = QStringLiteral("#,##0;-#,##0;");
const QString Decimals = QStringLiteral("#,##0.###;-#,##0.###;");

TstReportWorkbook::Cell text(const char *ref, const QString &value)
{
    return {QString::fromUtf8(ref), false, value};
}

TstReportWorkbook::Cell number(const char *ref, const char *value, const QString &format = {})
{
    return {QString::fromUtf8(ref), true, QString::fromLatin1(value), format};
}

CliProcess cli(const QString &database, const QStringList &args)
{
    return velq8(database, QStringList{QStringLiteral("report")} + args);
}

} // namespace

void TstReportWorkbook::reportsReadBack_data()
{
    QTest::addColumn<QString>("change");   // a statement run on the sample month 115/10 first
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QStringList>("sheets");
    QTest::addColumn<QList<Cell>>("cells");
    const QStringList month{"--year", "115", "--month", "10", "--date", "2026-03-05"};
    const QString bank = QStringLiteral("總機構名稱:範例商業銀行（示範用）");
    const QString printed = QStringLiteral("製表日期:2026/03/05");
    const QString title = QStringLiteral("營運資料明細表");

    // Title block, an empty row, the headings on row 5, the rows from row 6.
    // The account code stays a text; 12,345,678.5 in 萬元 is 1234.56785, printed 1,234.568.
    QTest::newRow("operating detail in 萬元")
        << "" << QStringList{"operating-detail", "--unit", "萬元"} + month << QStringList{title}
        << QList<Cell>{text("A1", title), text("A2", bank), text("C2", printed),
                       text("A3", QStringLiteral("資料基期:115年 10月")), text("C3", QStringLiteral("單位金額:萬元")),
                       text("A5", QStringLiteral("科目代碼")), text("C5", QStringLiteral("金           額")),
                       text("A6", QStringLiteral("11000")), text("B6", QStringLiteral("現金及約當現金")),
                       number("C6", "1234.56785", Decimals), number("C9", "890.1234", Decimals)};
    // A whole figure has no lone decimal point; zero is a number the format shows empty.
    QTest::newRow("operating detail in 元, a zero amount")
        << "UPDATE MPBANK SET AMT = 0 WHERE ACC_CODE = '11000'" << QStringList{"operating-detail"} + month
        << QStringList{title}
        << QList<Cell>{text("C3", QStringLiteral("單位金額:元")), number("C6", "0", Whole),
                       number("C7", "45678901.25", Decimals), number("C9", "8901234", Whole)};
    // A sheet per county, named after it, the county under the title block.
    QStringList counties;
    for (const char *name : {"臺北市", "臺中市", "基隆市", "臺南市", "高雄市", "新北市", "宜蘭縣", "桃園市", "嘉義市",
                             "新竹縣", "苗栗縣", "南投縣", "彰化縣", "新竹市", "雲林縣", "嘉義縣", "屏東縣", "花蓮縣",
                             "臺東縣", "金門縣", "澎湖縣", "連江縣"})
        counties << QString::fromUtf8(name);
    QTest::newRow("county detail in 百萬元, every county")
        << "" << QStringList{"county-detail", "--unit", "百萬元"} + month << counties
        << QList<Cell>{text("A1", QStringLiteral("銀行縣市別營運資料明細表")), text("C3", QStringLiteral("單位金額:百萬元")),
                       text("A4", QStringLiteral("臺北市")), text("A6", QStringLiteral("科目代碼")),
                       text("A7", QStringLiteral("10000")), number("C7", "37.065002", Whole)};
    QTest::newRow("county detail of one county")
        << "" << QStringList{"county-detail", "--county", "C"} + month << QStringList{"基隆市"}
        << QList<Cell>{text("A4", QStringLiteral("基隆市")), text("C3", QStringLiteral("單位金額:元"))};
    // The check reports: institution, date and period; a failed formula's two sides as numbers.
    QTest::newRow("county check")
        << "UPDATE HMPBANK SET AMT = AMT + 1 WHERE ACC_CODE = '10000' AND HSIEN_ID = 'Z'"
        << QStringList{"county-check"} + month << QStringList{"銀行縣市別營運資料檢核表"}
        << QList<Cell>{text("A2", printed), text("C2", QStringLiteral("115年 10月")),
                       text("B4", QStringLiteral("左式金額")),
                       text("A5", QStringLiteral("Z  連江縣資料有誤   10100+10200+10300+10400=10000")),
                       number("B5", "1301902", Whole), number("C5", "1301903", Whole)};
    // Plain numbers (ratios, rates) in the general format; counts and amounts in their pictures.
    QTest::newRow("overdue ratios, two columns")
        << "" << QStringList{"overdue-ratio"} + month << QStringList{"各營業單位逾期放款超過 3%  明細表"}
        << QList<Cell>{text("A2", bank), text("B2", printed), text("B5", QStringLiteral("逾  放  比  率")),
                       text("A6", QStringLiteral("9950033   範例商業銀行高雄分行")), number("B6", "2.05"),
                       number("B9", "0.375")};
    QTest::newRow("bills rates") << "" << QStringList{"bills-rate"} + month << QStringList{"兼營票券利率業務統計表"}
                                 << QList<Cell>{number("E6", "1.95"), number("E11", "1.66")};
    QTest::newRow("bills trading")
        << "" << QStringList{"bills-trading"} + month << QStringList{"兼營票券交易業務統計表"}
        << QList<Cell>{number("D6", "12", Whole), number("E6", "1500000", Whole),
                       number("E7", "2875000.5", Decimals)};
}

void TstReportWorkbook::reportsReadBack()
{
    QFETCH(QString, change);
    QFETCH(QStringList, args);
    QFETCH(QStringList, sheets);
    QFETCH(QList<Cell>, cells);
    TestDatabase db;
    QVERIFY(db.isValid());
    if (!change.isEmpty())
        QVERIFY(db.exec(change));
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("報表.xlsx"));
    const CliProcess run = cli(db.path(), args + QStringList{"--xlsx", file});
    QCOMPARE(run.status, 0);
    QCOMPARE(run.out, QStringLiteral("%1: %2 工作表\n").arg(file).arg(sheets.size()));

    const WorkbookReader workbook(file);
    QVERIFY2(workbook.isValid(), "unzip could not read the workbook");
    QCOMPARE(workbook.sheetNames(), sheets);
    for (const Cell &expected : cells) {
        const QString sheet = expected.ref.contains(u'!') ? expected.ref.section(u'!', 0, 0) : sheets.first();
        const QString ref = expected.ref.section(u'!', -1);
        const WorkbookReader::Cell cell = workbook.cells(int(sheets.indexOf(sheet))).value(ref);
        const QString where = sheet + u'!' + ref + QStringLiteral(": ") + cell.value;
        QVERIFY2(cell.number == expected.number, qPrintable(where));
        if (expected.number) {
            QVERIFY2(qFuzzyCompare(cell.value.toDouble(), expected.value.toDouble()), qPrintable(where));
            QCOMPARE(cell.format, expected.format);
        } else {
            QCOMPARE(cell.value, expected.value);
        }
    }
}

void TstReportWorkbook::commandLine_data()
{
    QTest::addColumn<QStringList>("args");    // "{dir}" is an empty folder
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("said");        // on standard output for 0, else on standard error
    QTest::addColumn<QStringList>("files");   // left in the folder besides its folder "sub"
    const QStringList detail{"operating-detail", "--year", "115", "--month", "10"};
    QTest::newRow("workbook and PDF at once")
        << detail + QStringList{"--pdf", "{dir}/a.pdf", "--xlsx", "{dir}/a.xlsx"} << 0
        << "{dir}/a.pdf: 2 頁\n{dir}/a.xlsx: 1 工作表\n" << QStringList{"a.pdf", "a.xlsx"};
    QTest::newRow("nothing to print: no workbook")
        << QStringList{"operating-detail", "--year", "115", "--month", "9", "--xlsx", "{dir}/a.xlsx"} << 1
        << "查無符合資料理!!" << QStringList{};
    QTest::newRow("one file named twice") << detail + QStringList{"--pdf", "{dir}/a", "--xlsx", "{dir}/../{name}/a"}
                                          << 2 << "same file" << QStringList{};
    QTest::newRow("an empty file name") << detail + QStringList{"--xlsx", ""} << 2 << "--xlsx FILE"
                                        << QStringList{};
    QTest::newRow("a folder that does not exist")
        << detail + QStringList{"--xlsx", "{dir}/none/a.xlsx"} << 2 << "無法寫入檔案" << QStringList{};
    // The file name is a folder: the rename fails, the folder stays, no temporary is left.
    QTest::newRow("a folder of the name") << detail + QStringList{"--xlsx", "{dir}/sub"} << 2 << "無法寫入檔案"
                                          << QStringList{};
}

void TstReportWorkbook::commandLine()
{
    QFETCH(QStringList, args);
    QFETCH(int, status);
    QFETCH(QString, said);
    QFETCH(QStringList, files);
    TestDatabase db;
    QVERIFY(db.isValid());
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("sub/inner")));
    args.replaceInStrings(QStringLiteral("{name}"), QFileInfo(dir.path()).fileName());
    args.replaceInStrings(QStringLiteral("{dir}"), dir.path());
    said.replace(QStringLiteral("{dir}"), dir.path());
    const CliProcess run = cli(db.path(), args);
    QCOMPARE(run.status, status);
    QVERIFY2((status == 0 ? run.out : run.err).contains(said), qPrintable(run.out + run.err));
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             files + QStringList{"sub"});
}

void TstReportWorkbook::sheetNames_data()
{
    QTest::addColumn<QStringList>("wanted");
    QTest::addColumn<QStringList>("names");
    const QString long40 = QString(40, u'縣');
    QTest::newRow("as they are") << QStringList{"臺北市", "連江縣"} << QStringList{"臺北市", "連江縣"};
    QTest::newRow("31 characters at most") << QStringList{long40} << QStringList{QString(31, u'縣')};
    QTest::newRow("characters a sheet name refuses")
        << QStringList{"a[b]c:d*e?f/g\\h", "x\ty"} << QStringList{"a_b_c_d_e_f_g_h", "x_y"};
    QTest::newRow("apostrophes at the ends") << QStringList{"'a'b'"} << QStringList{"a'b"};
    QTest::newRow("empty, or blanks") << QStringList{"", "  ", "'"} << QStringList{"工作表", "工作表(2)", "工作表(3)"};
    QTest::newRow("a name the spreadsheet keeps") << QStringList{"history"} << QStringList{"history_"};
    QTest::newRow("the same name in another case") << QStringList{"Ab", "aB"} << QStringList{"Ab", "aB(2)"};
    // Two long names alike in their first 31 characters: the second is cut further for its number.
    QTest::newRow("long names alike")
        << QStringList{long40, long40 + "x"} << QStringList{QString(31, u'縣'), QString(28, u'縣') + "(2)"};
    // A character outside the BMP is two units: never cut in half.
    QTest::newRow("a pair of units at the cut")
        << QStringList{QString(30, u'a') + QString::fromUtf8("𠀀") + "b"} << QStringList{QString(30, u'a')};
}

void TstReportWorkbook::sheetNames()
{
    QFETCH(QStringList, wanted);
    QFETCH(QStringList, names);
    SheetNames taken;
    QStringList made;
    for (const QString &name : wanted)
        made << taken.take(name);
    QCOMPARE(made, names);
}

void TstReportWorkbook::numberFormats_data()
{
    QTest::addColumn<QString>("picture");
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("format");
    QTest::newRow(",# whole") << ",#" << 1234.0 << Whole;
    QTest::newRow(",# of a fraction: still whole") << ",#" << 1234.5 << Whole;
    QTest::newRow(",#.### of a fraction") << ",#.###" << 1234.5 << Decimals;
    QTest::newRow(",#.### whole") << ",#.###" << 1234.0 << Whole;
    // Printed "1,234": decimals beyond the picture's do not count.
    QTest::newRow(",#.### of a fraction it rounds away") << ",#.###" << 1234.0004 << Whole;
    QTest::newRow("#.## without groups") << "#.##" << 0.5 << "0.##;-0.##;";
    QTest::newRow("report columns") << "#,###,###,###,###,###" << 37.065002 << Whole;
    // Decimals always printed, zero too: no empty section.
    QTest::newRow("#.00 of zero") << "#.00" << 0.0 << "0.00";
    QTest::newRow("no picture: general") << "" << 2.05 << "";
}

void TstReportWorkbook::numberFormats()
{
    QFETCH(QString, picture);
    QFETCH(double, value);
    QFETCH(QString, format);
    QCOMPARE(WorkbookNumberFormat::of(picture, value), format);
}

void TstReportWorkbook::failedWriteKeepsTheOlderFile_data()
{
    QTest::addColumn<QString>("target");   // in the test's folder, which holds "old.xlsx" and "sub/inner"
    QTest::addColumn<bool>("written");
    QTest::addColumn<QStringList>("files");
    QTest::newRow("over an older file") << "old.xlsx" << true << QStringList{"old.xlsx", "sub"};
    QTest::newRow("a folder of the name") << "sub" << false << QStringList{"old.xlsx", "sub"};
    QTest::newRow("a folder that does not exist") << "none/a.xlsx" << false << QStringList{"old.xlsx", "sub"};
}

void TstReportWorkbook::failedWriteKeepsTheOlderFile()
{
    QFETCH(QString, target);
    QFETCH(bool, written);
    QFETCH(QStringList, files);
    QTemporaryDir dir;
    QVERIFY(writeFile(dir.filePath(QStringLiteral("old.xlsx")), "older"));
    QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("sub/inner")));
    ReportDefinition definition;
    definition.title = QStringLiteral("營運資料明細表");
    definition.columns = {{QStringLiteral("科目代碼"), 30}, {QStringLiteral("金額"), 60}};
    const QList<ReportRow> rows{{{QStringLiteral("11000"), QStringLiteral("1")}, {}, {QVariant(), 1.0}}};

    QString error;
    int sheets = 0;
    QCOMPARE(WorkbookReportWriter::write(definition, rows, dir.filePath(target), &error, &sheets), written);
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), files);
    if (written) {
        QCOMPARE(sheets, 1);
        QVERIFY(contents(dir.filePath(QStringLiteral("old.xlsx"))).startsWith("PK"));
    } else {
        QVERIFY2(error.startsWith(QStringLiteral("無法寫入檔案 ") + dir.filePath(target)), qPrintable(error));
        QCOMPARE(contents(dir.filePath(QStringLiteral("old.xlsx"))), QByteArray("older"));
    }
}

QTEST_GUILESS_MAIN(TstReportWorkbook)
#include "tst_report_workbook.moc"
