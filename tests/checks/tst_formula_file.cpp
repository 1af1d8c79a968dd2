#include "checks/formula_import.h"
#include "tests/support/cli_process.h"
#include "tests/support/files.h"
#include "tests/support/test_database.h"
#include "tests/support/refused_insert.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <csignal>
#include <sys/resource.h>

// The formula file: export and import of a formula set, each refusal named by
// its line, the one transaction, and velq8-cli formulas as a user runs it.
class TstFormulaFile : public QObject
{
    Q_OBJECT
private slots:
    void roundTripGivesTheSameTables_data();
    void roundTripGivesTheSameTables();
    void eachFaultIsNamedByItsLine_data();
    void eachFaultIsNamedByItsLine();
    void aFileCutShortIsRefused_data();
    void aFileCutShortIsRefused();
    void aRefusedReplaceLeavesTheStoredSet();
    void commandExitStatuses_data();
    void commandExitStatuses();
    void exportIsWrittenWholeOrNotAtAll_data();
    void exportIsWrittenWholeOrNotAtAll();
    void theNextCheckUsesTheLoadedFormulas();
};

namespace {

// Accounts 10000, 20000, 30000 and one clean formula 001: 10000+20000 = 30000.
const QStringList CleanLines{"# a comment", "RuleNo1\t1\t001\t=\t甲", "RuleNo2\t1\t001\t0\t1\t10000\t+\t",
                             "RuleNo2\t1\t001\t0\t2\t20000\t\t", "RuleNo2\t1\t001\t1\t1\t30000\t\t1"};

// The accounts of CleanLines and a stored formula 777 with `terms` of its two
// terms (10000 on the left, 20000 on the right).
bool storedSet(TestDatabase &db, int terms)
{
    bool ok = db.isValid();
    for (const char *code : {"10000", "20000", "30000"})
        ok = ok && db.insertRow("CACNO", {{"ACC_CODE", code}, {"ACC_NAME", "科目"}});
    ok = ok && db.insertRow("RuleNo1", {{"cano", "777"}, {"quop", "="}});
    for (int i = 0; i < terms; ++i)
        ok = ok && db.insertRow("RuleNo2", {{"cano", "777"}, {"left_flag", QString::number(i)}, {"nserial", 1},
                                            {"acc_code", i == 0 ? "10000" : "20000"}});
    return ok;
}

QString formulaFile(const QTemporaryDir &dir, const QByteArray &bytes)
{
    const QString path = dir.filePath(QStringLiteral("formulas.tsv"));
    return writeFile(path, bytes) ? path : QString();
}

const QString EndLine = QStringLiteral("# 公式檔結束");

// A whole file: the lines, then the end line every file written ends with.
QByteArray linesOf(const QStringList &lines) { return (lines + QStringList{EndLine}).join(u'\n').toUtf8() + '\n'; }

QStringList faultTexts(const FormulaImport &import)
{
    QStringList seen;
    for (const FormulaFileFault &fault : import.faults())
        seen << fault.text();
    return seen;
}

} // namespace

void TstFormulaFile::roundTripGivesTheSameTables_data()
{
    QTest::addColumn<bool>("county");
    QTest::newRow("operating") << false;
    QTest::newRow("county") << true;
}

void TstFormulaFile::roundTripGivesTheSameTables()
{
    QFETCH(bool, county);
    const FormulaTables tables = county ? FormulaTables::county() : FormulaTables::operating();
    TestDatabase db;
    QVERIFY2(db.isValid(), qPrintable(db.lastError()));
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("set.tsv"));

    FormulaRows before;
    QString error;
    QVERIFY(FormulaStore::read(tables, &before, &error));
    QVERIFY(!before.headers.isEmpty() && !before.terms.isEmpty());
    FormulaRows written;
    QVERIFY2(FormulaExport::write(tables, path, &written, &error), qPrintable(error));
    QCOMPARE(written, before);

    // Whatever is stored meanwhile, the import puts the file's set back.
    QVERIFY(db.exec(QStringLiteral("delete from %1 where left_flag = '1'").arg(tables.termTable)));
    FormulaImport import(tables);
    QVERIFY2(import.prepare(path), qPrintable(import.faultText()));
    QCOMPARE(import.formulaCount(), before.headers.size());
    QVERIFY2(import.replace(), qPrintable(import.errorText()));
    FormulaRows after;
    QVERIFY(FormulaStore::read(tables, &after, &error));
    QCOMPARE(after, before);
}

void TstFormulaFile::eachFaultIsNamedByItsLine_data()
{
    QTest::addColumn<QStringList>("extra");      // lines after the clean ones (from line 6)
    QTest::addColumn<QStringList>("faults");     // expected fault texts, in line order

    const QString term002 = "RuleNo2\t1\t002\t0\t1\t10000\t\t";   // a left term of formula 002
    const QString jia20(20, QChar(0x7532));
    QTest::newRow("clean, remark of exactly 40 bytes") << QStringList{"RuleNo1\t1\t002\t<>\t" + jia20, term002}
                                                       << QStringList{};
    QTest::newRow("remark of 41 bytes") << QStringList{"RuleNo1\t1\t002\t=\tx" + jia20, term002}
                                        << QStringList{"第 6 行: 欄位 remark 超過 40 個位元組: x" + jia20};
    QTest::newRow("unknown comparison") << QStringList{"RuleNo1\t1\t002\t=>\t", term002}
                                        << QStringList{"第 6 行: 比較符號「=>」不是 =、>、<、>=、<=、<> 之一"};
    QTest::newRow("empty comparison") << QStringList{"RuleNo1\t1\t002\t\t", term002}
                                      << QStringList{"第 6 行: 比較符號「」不是 =、>、<、>=、<=、<> 之一"};
    QTest::newRow("unknown operator") << QStringList{"RuleNo2\t1\t001\t1\t2\t20000\t%\t"}
                                      << QStringList{"第 6 行: 運算式「%」不是 +、-、*、/ 或空白"};
    QTest::newRow("account not in CACNO") << QStringList{"RuleNo2\t1\t001\t1\t2\t99999\t\t"}
                                          << QStringList{"第 6 行: 科目代碼「99999」不在 CACNO"};
    QTest::newRow("formula without left terms")
        << QStringList{"RuleNo1\t1\t002\t=\t", "RuleNo2\t1\t002\t1\t1\t10000\t\t"}
        << QStringList{"第 6 行: 公式 002 沒有左式項目"};
    QTest::newRow("repeated cano") << QStringList{"RuleNo1\t1\t001\t>\t"}
                                   << QStringList{"第 6 行: 公式編號 001 重複 (第 2 行已有)"};
    QTest::newRow("repeated cano, side and nserial") << QStringList{"RuleNo2\t1\t001\t0\t2\t30000\t\t"}
                                                     << QStringList{"第 6 行: 公式 001 左式第 2 項重複 (第 4 行已有)"};
    QTest::newRow("term of no formula") << QStringList{"RuleNo2\t1\t009\t0\t1\t10000\t\t"}
                                        << QStringList{"第 6 行: 公式編號 009 沒有 RuleNo1 的資料列"};
    QTest::newRow("side neither 0 nor 1, nserial not a number")
        << QStringList{"RuleNo2\t1\t001\t2\t3\t10000\t\t", "RuleNo2\t1\t001\t0\tx\t10000\t\t"}
        << QStringList{"第 6 行: left_flag「2」應為 0 (左式) 或 1 (右式)", "第 7 行: nserial「x」不是 -32768 至 32767 的整數"};
    QTest::newRow("missing field") << QStringList{"RuleNo2\t1\t001\t1\t2\t20000\t"}
                                   << QStringList{"第 6 行: RuleNo2 應有 8 欄, 實有 7 欄"};
    QTest::newRow("a row of the other set") << QStringList{"HRuleNo1\t1\t002\t=\t"}
                                            << QStringList{"第 6 行: 不是 RuleNo1 或 RuleNo2 的資料列: HRuleNo1"};
    // A control character is named by its field, and that field's other checks
    // are not run on it.
    QTest::newRow("CR inside a remark") << QStringList{"RuleNo1\t1\t002\t=\t甲\r乙", term002}
                                        << QStringList{"第 6 行: 欄位 remark 含有控制字元 (U+000D)"};
    QTest::newRow("NUL in a remark") << QStringList{"RuleNo1\t1\t002\t=\t甲" + QString(QChar(0)), term002}
                                     << QStringList{"第 6 行: 欄位 remark 含有控制字元 (U+0000)"};
    QTest::newRow("escape in an account code") << QStringList{"RuleNo2\t1\t001\t1\t2\t2000\x1b" "0\t\t"}
                                               << QStringList{"第 6 行: 欄位 acc_code 含有控制字元 (U+001B)"};
    QTest::newRow("vertical tab a trim would take from a cano")
        << QStringList{"RuleNo2\t1\t001\v\t1\t2\t20000\t\t"}
        << QStringList{"第 6 行: 欄位 cano 含有控制字元 (U+000B)"};
    QTest::newRow("DEL in the operator, C1 in TCURR") << QStringList{"RuleNo2\t1\t001\t1\t2\t20000\t\x7f\t\u0085"}
                                                    << QStringList{"第 6 行: 欄位 noop 含有控制字元 (U+007F)",
                                                                   "第 6 行: 欄位 TCURR 含有控制字元 (U+0085)"};
    QTest::newRow("NUL after the table name") << QStringList{"RuleNo1" + QString(QChar(0)) + "\t1\t002\t=\t"}
                                              << QStringList{"第 6 行: 欄位 資料表名稱 含有控制字元 (U+0000)"};
}

void TstFormulaFile::eachFaultIsNamedByItsLine()
{
    QFETCH(QStringList, extra);
    QFETCH(QStringList, faults);
    TestDatabase db(TestDatabase::Content::Empty);
    QVERIFY2(storedSet(db, 0), qPrintable(db.lastError()));
    QTemporaryDir dir;

    FormulaImport import(FormulaTables::operating());
    const bool clean = import.prepare(formulaFile(dir, linesOf(CleanLines + extra)));
    QCOMPARE(faultTexts(import), faults);
    QCOMPARE(clean, faults.isEmpty());
    if (!clean) {
        QVERIFY(!import.replace());   // nothing prepared, nothing written
        QCOMPARE(db.scalar(QStringLiteral("select cano from RuleNo1")).toString(), QStringLiteral("777"));
    }
}

void TstFormulaFile::aFileCutShortIsRefused_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QStringList>("faults");
    const QString cut = QStringLiteral("公式檔不完整: 沒有結束行「# 公式檔結束」, 檔案可能被截斷");
    const QByteArray clean = linesOf(CleanLines);
    const QByteArray withoutEnd = clean.left(clean.indexOf("# 公式檔結束"));
    QTest::newRow("whole") << clean << QStringList{};
    QTest::newRow("end line with trailing blanks, CR LF")
        << QByteArray(clean).replace("結束\n", "結束  \r\n") << QStringList{};
    // Every formula read is whole, yet the file is refused.
    QTest::newRow("cut at a line end") << withoutEnd << QStringList{cut};
    QTest::newRow("cut within the end line") << clean.chopped(4) << QStringList{cut};
    QTest::newRow("cut within a term") << withoutEnd.chopped(6)
                                       << QStringList{cut, "第 5 行: RuleNo2 應有 8 欄, 實有 6 欄"};
    QTest::newRow("a row after the end line") << clean + "RuleNo1\t1\t002\t=\t\n"
                                              << QStringList{"第 7 行: 資料列在公式檔結束行 (第 6 行) 之後"};
}

// A file cut short (a full disk, a copy stopped midway) is refused even when
// every line it still holds is a whole row.
void TstFormulaFile::aFileCutShortIsRefused()
{
    QFETCH(QByteArray, content);
    QFETCH(QStringList, faults);
    TestDatabase db(TestDatabase::Content::Empty);
    QVERIFY2(storedSet(db, 0), qPrintable(db.lastError()));
    QTemporaryDir dir;
    FormulaImport import(FormulaTables::operating());
    QCOMPARE(import.prepare(formulaFile(dir, content)), faults.isEmpty());
    QCOMPARE(faultTexts(import), faults);
}

void TstFormulaFile::aRefusedReplaceLeavesTheStoredSet()
{
    TestDatabase db(TestDatabase::Content::Empty);
    QVERIFY2(storedSet(db, 1), qPrintable(db.lastError()));
    // The engine refuses the file's last term: the headers and terms written
    // before it are undone with it.
    QVERIFY(refuseInserts(db, QStringLiteral("RuleNo2"), QStringLiteral("new.acc_code = '30000'"),
                          QStringLiteral("refused")));
    QTemporaryDir dir;
    FormulaImport import(FormulaTables::operating());
    QVERIFY(import.prepare(formulaFile(dir, linesOf(CleanLines))));
    QVERIFY(!import.replace());
    QVERIFY2(import.errorText().contains(QStringLiteral("refused")), qPrintable(import.errorText()));
    QCOMPARE(db.count(QStringLiteral("RuleNo1")), 1);
    QCOMPARE(db.count(QStringLiteral("RuleNo2"), QStringLiteral("cano = '777'")), 1);
    QCOMPARE(db.count(QStringLiteral("RuleNo2")), 1);
}

void TstFormulaFile::commandExitStatuses_data()
{
    QTest::addColumn<QStringList>("args");        // FILE stands for the formula file
    QTest::addColumn<QByteArray>("content");      // written to FILE first, unless empty
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("said");            // in stdout (status 0) or stderr

    const QByteArray clean = linesOf(CleanLines);
    QTest::newRow("export") << QStringList{"export", "--set", "operating", "--file", "FILE"} << QByteArray()
                            << 0 << QStringLiteral("已寫入 RuleNo1 1 筆, RuleNo2 2 筆: ");
    QTest::newRow("import clean") << QStringList{"import", "--set", "operating", "--file", "FILE"} << clean
                                  << 0 << QStringLiteral("已載入 RuleNo1 1 筆, RuleNo2 3 筆");
    QTest::newRow("import with a BOM and CR LF")
        << QStringList{"import", "--set", "operating", "--file", "FILE"}
        << QByteArray("\xEF\xBB\xBF") + QByteArray(clean).replace("\n", "\r\n") << 0 << QStringLiteral("已載入");
    QTest::newRow("import refused") << QStringList{"import", "--set", "operating", "--file", "FILE"}
                                    << linesOf(CleanLines + QStringList{"RuleNo1\t1\t002\t=\t"}) << 2
                                    << QStringLiteral("formulas.tsv: 第 6 行: 公式 002 沒有左式項目");
    QTest::newRow("import of another set's file")
        << QStringList{"import", "--set", "county", "--file", "FILE"} << clean << 2
        << QStringLiteral("第 2 行: 不是 HRuleNo1 或 HRuleNo2 的資料列: RuleNo1");
    QTest::newRow("import, not UTF-8") << QStringList{"import", "--set", "operating", "--file", "FILE"}
                                       << QByteArray("RuleNo1\t1\t001\t=\t\xB9\xC1\xFF\n") << 2
                                       << QStringLiteral("公式檔不是 UTF-8 文字");
    QTest::newRow("import of an empty file") << QStringList{"import", "--set", "operating", "--file", "FILE"}
                                             << QByteArray("# nothing\n# 公式檔結束\n") << 2
                                             << QStringLiteral("公式檔沒有任何公式");
    QTest::newRow("import of no file") << QStringList{"import", "--set", "operating", "--file", "none.tsv"}
                                       << QByteArray() << 2 << QStringLiteral("無法讀取公式檔");
    // Neither a device that never ends nor a folder is read.
    QTest::newRow("import of a device") << QStringList{"import", "--set", "operating", "--file", "/dev/zero"}
                                        << QByteArray() << 2 << QStringLiteral("/dev/zero: 不是一般檔案");
    QTest::newRow("import of a folder") << QStringList{"import", "--set", "operating", "--file", "DIR"}
                                        << QByteArray() << 2 << QStringLiteral("不是一般檔案");
    QTest::newRow("unknown set") << QStringList{"export", "--set", "all", "--file", "FILE"} << QByteArray() << 2
                                 << QStringLiteral("unknown set: all");
    QTest::newRow("no file") << QStringList{"export", "--set", "county"} << QByteArray() << 2
                             << QStringLiteral("--file F is needed");
    QTest::newRow("no action") << QStringList{"--set", "county"} << QByteArray() << 2
                               << QStringLiteral("unknown action");
}

void TstFormulaFile::commandExitStatuses()
{
    QFETCH(QStringList, args);
    QFETCH(QByteArray, content);
    QFETCH(int, status);
    QFETCH(QString, said);
    TestDatabase db(TestDatabase::Content::Empty);
    QVERIFY2(storedSet(db, 2), qPrintable(db.lastError()));
    QTemporaryDir dir;
    const QString file = content.isEmpty() ? dir.filePath(QStringLiteral("formulas.tsv")) : formulaFile(dir, content);
    args.replaceInStrings(QStringLiteral("FILE"), file);
    args.replaceInStrings(QStringLiteral("none.tsv"), dir.filePath(QStringLiteral("none.tsv")));
    args.replaceInStrings(QStringLiteral("DIR"), dir.path());

    const CliProcess run = velq8(db.path(), QStringList{QStringLiteral("formulas")} + args);
    QCOMPARE(run.status, status);
    QVERIFY2((status == 0 ? run.out : run.err).contains(said), qPrintable(run.out + run.err));
    // Refused: the stored set is untouched.
    if (status != 0)
        QCOMPARE(db.count(QStringLiteral("RuleNo2"), QStringLiteral("cano = '777'")), 2);
}

void TstFormulaFile::exportIsWrittenWholeOrNotAtAll_data()
{
    QTest::addColumn<QString>("before");     // at the name first: "older" file, "link", "stale" temporary
    QTest::addColumn<qint64>("sizeLimit");   // RLIMIT_FSIZE of the command, 0 for none
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("said");
    QTest::newRow("a short write keeps the older file") << "older" << qint64(64) << 2
                                                        << "無法寫入公式檔 FILE: " + qt_error_string(EFBIG);
    QTest::newRow("a link at the name is replaced, not followed") << "link" << qint64(0) << 0 << "已寫入";
    QTest::newRow("a killed export's temporary is replaced") << "stale" << qint64(0) << 0 << "已寫入";
}

// The export, as a user runs it, under a file-size limit or over what an earlier
// run or someone else left at the name.
void TstFormulaFile::exportIsWrittenWholeOrNotAtAll()
{
    QFETCH(QString, before);
    QFETCH(qint64, sizeLimit);
    QFETCH(int, status);
    QFETCH(QString, said);
    TestDatabase db(TestDatabase::Content::Empty);
    QVERIFY2(storedSet(db, 2), qPrintable(db.lastError()));
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("f.tsv"));
    const QString elsewhere = dir.filePath(QStringLiteral("elsewhere"));
    const QByteArray older("older\n");
    QVERIFY(writeFile(before == u"link" ? elsewhere : before == u"stale" ? file + ".velq8-part" : file, older));
    if (before == u"link")
        QVERIFY(QFile::link(elsewhere, file));

    QProcess p;
    p.setChildProcessModifier([sizeLimit] {
        if (sizeLimit <= 0)
            return;
        std::signal(SIGXFSZ, SIG_IGN);   // a write past the limit fails instead of killing
        const rlimit limit{rlim_t(sizeLimit), rlim_t(sizeLimit)};
        setrlimit(RLIMIT_FSIZE, &limit);
    });
    p.start(QStringLiteral(VELQ8_CLI),
            {"--database", db.path(), "formulas", "export", "--set", "operating", "--file", file});
    QVERIFY(p.waitForFinished(60000));
    const QString out = QString::fromUtf8(p.readAllStandardOutput());
    const QString err = QString::fromUtf8(p.readAllStandardError());
    QCOMPARE(p.exitStatus(), QProcess::NormalExit);
    QCOMPARE(p.exitCode(), status);
    QVERIFY2((status == 0 ? out : err).contains(QString(said).replace(QStringLiteral("FILE"), file)),
             qPrintable(out + err));

    // Nothing half written stands anywhere; the name holds the older file or a
    // whole new one, which imports as the stored set.
    const QStringList left = before == u"link" ? QStringList{"elsewhere", "f.tsv"} : QStringList{"f.tsv"};
    QCOMPARE(filesIn(dir.path()), left);
    if (before == u"link")
        QCOMPARE(contents(elsewhere), older);
    if (status != 0) {
        QCOMPARE(contents(file), older);
        return;
    }
    QVERIFY(!QFileInfo(file).isSymLink());
    FormulaImport import(FormulaTables::operating());
    QVERIFY2(import.prepare(file), qPrintable(import.faultText()));
    QCOMPARE(import.termCount(), 2);
}

void TstFormulaFile::theNextCheckUsesTheLoadedFormulas()
{
    TestDatabase db;
    QVERIFY2(db.isValid(), qPrintable(db.lastError()));
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("operating.tsv"));
    const QStringList month{QStringLiteral("check"), QStringLiteral("--year"), QStringLiteral("115"),
                            QStringLiteral("--month"), QStringLiteral("10")};
    QCOMPARE(velq8(db.path(), month).status, 0);   // the sample month holds

    QCOMPARE(velq8(db.path(), {"formulas", "export", "--set", "operating", "--file", file}).status, 0);
    QString text = QString::fromUtf8(contents(file));
    // The revision: formula 001 now asks its two equal sides to differ.
    const QString header = QStringLiteral("RuleNo1\t1\t001\t=\t");
    QVERIFY(text.contains(header));
    text.replace(header, QStringLiteral("RuleNo1\t1\t001\t<>\t"));
    QVERIFY(writeFile(file, text.toUtf8()));
    QCOMPARE(velq8(db.path(), {"formulas", "import", "--set", "operating", "--file", file}).status, 0);

    const CliProcess check = velq8(db.path(), month);
    QCOMPARE(check.status, 1);
    QVERIFY2(check.out.startsWith(QStringLiteral("11000+")) && check.out.contains(QStringLiteral("<>19999")),
             qPrintable(check.out));
}

QTEST_GUILESS_MAIN(TstFormulaFile)
#include "tst_formula_file.moc"
