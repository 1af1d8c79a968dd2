#include "db/declaration_kind.h"
#include "interchange/export_engine.h"
#include "common/whole_file_writer.h"
#include "tests/support/database_test.h"
#include "tests/support/files.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <unistd.h>

using Kind = DeclarationKind;
using Outcome = ExportEngine::Outcome;

namespace {

const Kind &kind(Kind::Id id) { return Kind::get(id); }

// Every message the engine reported and every question it asked.
struct Recorder
{
    QList<ExportEngine::Message> messages;
    QStringList questions;
    QList<bool> answers;
    bool defaultAnswer = false;

    QStringList texts() const
    {
        QStringList t;
        for (const auto &m : messages)
            t << m.text;
        return t;
    }
    ExportEngine::Result run(ExportEngine::Request request)
    {
        attach(request);
        return ExportEngine::run(request);
    }
    void attach(ExportEngine::Request &request)
    {
        request.report = [this](const ExportEngine::Message &m) { messages.append(m); };
        request.confirmOverwrite = [this](const QString &entry) {
            questions.append(ExportEngine::overwriteQuestion(entry));
            return answers.isEmpty() ? defaultAnswer : answers.takeFirst();
        };
    }
};

} // namespace

class TstExportEngine : public DatabaseTest
{
    Q_OBJECT
private slots:
    void writesEveryKindToTheByte();
    void kindsGoInTheFixedOrder();
    void monthZeroWritesNothing();
    void existingFileIsAskedAbout();
    void existingFileIsKeptWithoutACallback_data();
    void existingFileIsKeptWithoutACallback();
    void valueThatDoesNotFitStopsTheExport();
    void codeWithABlankIsRefused_data();
    void codeWithABlankIsRefused();
    void unwritableFolderLeavesNothingBehind_data();
    void unwritableFolderLeavesNothingBehind();
    void failedWriteKeepsTheOlderFile_data();
    void failedWriteKeepsTheOlderFile();
    void fullDeviceGivesTheSystemsReason_data();
    void fullDeviceGivesTheSystemsReason();
    void leftoversOfAnImportAreRemoved();
    void temporariesOfAnInterruptedExportAreRemoved();
    void liveTemporariesOfAnotherRunAreKept_data();
    void liveTemporariesOfAnotherRunAreKept();
    void emptyChoiceIsRefused();

private:
    ExportEngine::Request request(const QList<Kind::Id> &ids, int year = 88, int month = 5);
    void fillMonth();
};

ExportEngine::Request TstExportEngine::request(const QList<Kind::Id> &ids, int year, int month)
{
    ExportEngine::Request r;
    r.period = Period{year, month};
    for (Kind::Id id : ids)
        r.kinds.append(&kind(id));
    r.directory = m_out->path();
    r.institutionCode = QStringLiteral("ABC");
    return r;
}

// One month (88/5) of every kind, for two institutions where the order shows.
void TstExportEngine::fillMonth()
{
    auto insert = [&](const QString &table, const QVariantMap &values) {
        QVERIFY2(m_db->insertRow(table, values), qPrintable(m_db->lastError()));
    };
    // MPBANK in stored order, not key order; another month must not show.
    insert("MPBANK", {{"M_YEAR", 88}, {"M_MONTH", 5}, {"BANK_CODE", "ABC"}, {"ACC_CODE", "21000"}, {"AMT", -1234.5}, {"SERIAL", 1}});
    insert("MPBANK", {{"M_YEAR", 88}, {"M_MONTH", 5}, {"BANK_CODE", "ABC"}, {"ACC_CODE", "1234p"}, {"AMT", 12.345}, {"SERIAL", 2}});
    insert("MPBANK", {{"M_YEAR", 88}, {"M_MONTH", 5}, {"BANK_CODE", "ABC"}, {"ACC_CODE", "11000"}, {"AMT", 0.0}, {"SERIAL", 3}});
    insert("MPBANK", {{"M_YEAR", 88}, {"M_MONTH", 6}, {"BANK_CODE", "ABC"}, {"ACC_CODE", "11000"}, {"AMT", 7.0}, {"SERIAL", 1}});
    // EM03 of two institutions: written by BANK_CODE1 descending.
    insert("EM03", {{"M_YEAR", 88}, {"M_MONTH", 5}, {"BANK_CODE", "ABC"}, {"BANK_CODE1", "ABC0011"}, {"M_RATE", 2.5}});
    insert("EM03", {{"M_YEAR", 88}, {"M_MONTH", 5}, {"BANK_CODE", "XYZ"}, {"BANK_CODE1", "XYZ0022"}, {"M_RATE", 0.125}});
    insert("EM03", {{"M_YEAR", 88}, {"M_MONTH", 5}, {"BANK_CODE", "ABC"}, {"BANK_CODE1", "ABC0033"}, {"M_RATE", 10.0}});
    insert("EM08", {{"BANK_CODE", "ABC"}, {"M_YEAR", 88}, {"M_MONTH", 5}, {"FLAG1", "1"}, {"FLAG2", "2"},
                    {"FLAG3", "10"}, {"FLAG4", "1"}, {"RATE", 2.5}});
    insert("EM09", {{"BANK_CODE", "ABC"}, {"M_YEAR", 88}, {"M_MONTH", 5}, {"FLAG1", "3"}, {"FLAG2", "1"},
                    {"FLAG3", "01"}, {"AMT", 42.0}, {"AMT1", 1234567.89}});
    insert("HMPBANK", {{"M_YEAR", 88}, {"M_MONTH", 5}, {"BANK_CODE", "ABC"}, {"HSIEN_ID", "A"}, {"ACC_CODE", "5100p"}, {"AMT", -0.5}});
    insert("HMPBANK", {{"M_YEAR", 88}, {"M_MONTH", 5}, {"BANK_CODE", "ABC"}, {"HSIEN_ID", "B"}, {"ACC_CODE", "51000"}, {"AMT", 99.25}});
}

void TstExportEngine::writesEveryKindToTheByte()
{
    fillMonth();
    Recorder rec;
    const ExportEngine::Result result = rec.run(request({Kind::B01, Kind::B02, Kind::B03, Kind::B04, Kind::B05}));
    QVERIFY(result.anyWritten);
    QVERIFY(!result.failed);
    QCOMPARE(rec.texts(), QStringList{"匯出作業完成!!!"});
    QCOMPARE(rec.messages.first().icon, ExportEngine::Message::Icon::Information);
    QVERIFY(rec.questions.isEmpty());

    const QString dir = m_out->path();
    QCOMPARE(contents(dir + "/B01ABC000008805"),
             QByteArray("08805ABC000021000" "0000000-1234.5\r\n"
                        "08805ABC00001234p" "00000000012345\r\n"
                        "08805ABC000011000" "00000000000000\r\n"));
    QCOMPARE(contents(dir + "/B02ABC000008805"),
             QByteArray("08805XYZ0000XYZ0022" "00125\r\n"
                        "08805ABC0000ABC0033" "10000\r\n"
                        "08805ABC0000ABC0011" "02500\r\n"));
    QCOMPARE(contents(dir + "/B03ABC000008805"), QByteArray("08805ABC00001210" "1" "0250\r\n"));
    QCOMPARE(contents(dir + "/B04ABC000008805"), QByteArray("08805ABC0000" "3101" "0000042" "00001234567.89\r\n"));
    QCOMPARE(contents(dir + "/B05ABC000008805"),
             QByteArray("08805ABC0000A5100p" "0000000000-500\r\n"
                        "08805ABC0000B51000" "00000000099.25\r\n"));
    QCOMPARE(filesIn(dir), QStringList({"B01ABC000008805", "B02ABC000008805", "B03ABC000008805",
                                        "B04ABC000008805", "B05ABC000008805"}));
    for (const Kind *k : Kind::all()) {
        QCOMPARE(result.of(*k).outcome, Outcome::Written);
        QCOMPARE(result.of(*k).entryPath, dir + "/" + k->code() + "ABC000008805");
    }
    QCOMPARE(result.of(kind(Kind::B02)).lines, 3);
}

void TstExportEngine::kindsGoInTheFixedOrder()
{
    // Only B03 and B01 have rows; the others report in between in the fixed order.
    QVERIFY(m_db->insertRow("EM08", {{"BANK_CODE", "ABC"}, {"M_YEAR", 88}, {"M_MONTH", 5}, {"FLAG1", "1"},
                                     {"FLAG2", "2"}, {"FLAG3", "10"}, {"FLAG4", "1"}, {"RATE", 2.5}}));
    QVERIFY(m_db->insertRow("MPBANK", {{"M_YEAR", 88}, {"M_MONTH", 5}, {"BANK_CODE", "ABC"}, {"ACC_CODE", "11000"},
                                       {"AMT", 1.0}, {"SERIAL", 1}}));
    QVERIFY(writeFile(m_out->filePath("B01ABC000008805"), "old"));
    QVERIFY(writeFile(m_out->filePath("B03ABC000008805"), "old"));
    Recorder rec{.defaultAnswer = true};
    rec.run(request({Kind::B04, Kind::B03, Kind::B05, Kind::B02, Kind::B01}));
    const QString dir = m_out->path();
    QCOMPARE(rec.questions, QStringList({dir + "/B01ABC000008805  檔案已存在是否確定覆蓋!!!",
                                         dir + "/B03ABC000008805  檔案已存在是否確定覆蓋!!!"}));
    QCOMPARE(rec.texts(), QStringList({"查無符合之各營業單位逾期放款比率資料!!!", "查無符合之銀行縣市別資料檔!!!",
                                       "查無符合之票券交易業務統計資料!!!", "匯出作業完成!!!"}));
    QCOMPARE(rec.messages.first().icon, ExportEngine::Message::Icon::None);
    QCOMPARE(rec.messages.first().outcome, Outcome::NoRows);
    QCOMPARE(rec.messages.first().entryPath, dir + "/B02ABC000008805");
}

void TstExportEngine::monthZeroWritesNothing()
{
    fillMonth();
    Recorder rec;
    const ExportEngine::Result result = rec.run(request({Kind::B01, Kind::B02, Kind::B03, Kind::B04, Kind::B05}, 88, 0));
    QVERIFY(!result.anyWritten);
    QCOMPARE(rec.texts(), QStringList({"查無符合之營運資料!!!", "查無符合之各營業單位逾期放款比率資料!!!",
                                       "查無符合之銀行縣市別資料檔!!!", "查無符合之票券利率業務統計檔資料!!!",
                                       "查無符合之票券交易業務統計資料!!!"}));
    QVERIFY(filesIn(m_out->path()).isEmpty());
    for (const Kind *k : Kind::all())
        QCOMPARE(result.of(*k).outcome, Outcome::NoRows);
}

void TstExportEngine::existingFileIsAskedAbout()
{
    fillMonth();
    const QString path = m_out->filePath("B03ABC000008805");
    QVERIFY(writeFile(path, "older content\r\n"));
    const QDateTime old = QDateTime::currentDateTime().addDays(-30);
    {
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadWrite));
        QVERIFY(f.setFileTime(old, QFileDevice::FileModificationTime));
    }

    // No: content and date unchanged, nothing written, no completion message.
    Recorder no;
    ExportEngine::Result result = no.run(request({Kind::B03}));
    QCOMPARE(no.questions, QStringList{path + "  檔案已存在是否確定覆蓋!!!"});
    QCOMPARE(result.of(kind(Kind::B03)).outcome, Outcome::Kept);
    QVERIFY(!result.anyWritten);
    QVERIFY(no.messages.isEmpty());
    QCOMPARE(contents(path), QByteArray("older content\r\n"));
    QCOMPARE(QFileInfo(path).lastModified().toSecsSinceEpoch(), old.toSecsSinceEpoch());

    // Yes: replaced.
    Recorder yes{.defaultAnswer = true};
    result = yes.run(request({Kind::B03}));
    QCOMPARE(result.of(kind(Kind::B03)).outcome, Outcome::Written);
    QCOMPARE(contents(path), QByteArray("08805ABC00001210" "1" "0250\r\n"));
    QVERIFY(QFileInfo(path).lastModified() > old);
    QCOMPARE(yes.texts(), QStringList{"匯出作業完成!!!"});
    QCOMPARE(filesIn(m_out->path()), QStringList{"B03ABC000008805"});
}

void TstExportEngine::existingFileIsKeptWithoutACallback_data()
{
    QTest::addColumn<int>("kind");
    for (const Kind *k : Kind::all())
        QTest::newRow(qPrintable(k->code())) << int(k->id());
}

// With no one to ask, an existing file is kept: the default answer is No.
void TstExportEngine::existingFileIsKeptWithoutACallback()
{
    QFETCH(int, kind);
    fillMonth();
    const Kind &k = ::kind(Kind::Id(kind));
    const QString path = m_out->filePath(k.code() + "ABC000008805");
    QVERIFY(writeFile(path, "older\r\n"));
    ExportEngine::Request r = request({k.id()});
    QList<ExportEngine::Message> messages;
    r.report = [&](const ExportEngine::Message &m) { messages.append(m); };
    const ExportEngine::Result result = ExportEngine::run(r);
    QCOMPARE(result.of(k).outcome, Outcome::Kept);
    QVERIFY(!result.anyWritten);
    QVERIFY(!result.failed);
    QVERIFY(messages.isEmpty());
    QCOMPARE(contents(path), QByteArray("older\r\n"));
    QCOMPARE(filesIn(m_out->path()), QStringList{k.code() + "ABC000008805"});
}

void TstExportEngine::valueThatDoesNotFitStopsTheExport()
{
    fillMonth();
    // An overdue ratio of 100 has six digits times 1000: B02 cannot be written.
    QVERIFY(m_db->insertRow("EM03", {{"M_YEAR", 88}, {"M_MONTH", 5}, {"BANK_CODE", "ABC"}, {"BANK_CODE1", "ABC0044"},
                                     {"M_RATE", 100.0}}));
    const QString b02 = m_out->filePath("B02ABC000008805");
    QVERIFY(writeFile(b02, "older B02\r\n"));
    Recorder rec{.defaultAnswer = true};
    const ExportEngine::Result result = rec.run(request({Kind::B01, Kind::B02, Kind::B03, Kind::B04, Kind::B05}));

    QVERIFY(result.failed);
    QCOMPARE(result.of(kind(Kind::B01)).outcome, Outcome::Written);
    QCOMPARE(result.of(kind(Kind::B02)).outcome, Outcome::Failed);
    // The kinds after it are not processed; no completion message.
    QCOMPARE(result.of(kind(Kind::B05)).outcome, Outcome::NotProcessed);
    QCOMPARE(result.of(kind(Kind::B03)).outcome, Outcome::NotProcessed);
    QCOMPARE(rec.texts(), QStringList{"各營業單位逾期放款比率檔匯出失敗!!!"});
    const ExportEngine::Message &m = rec.messages.first();
    QCOMPARE(m.icon, ExportEngine::Message::Icon::Warning);
    QCOMPARE(m.outcome, Outcome::Failed);
    QCOMPARE(m.entryPath, b02);
    QVERIFY2(m.detail.contains("ABC0044") && m.detail.contains("M_RATE"), qPrintable(m.detail));
    // Not asked: nothing would be written. The older file is as it was.
    QVERIFY(rec.questions.isEmpty());
    QCOMPARE(contents(b02), QByteArray("older B02\r\n"));
    QCOMPARE(filesIn(m_out->path()), QStringList({"B01ABC000008805", "B02ABC000008805"}));
}

void TstExportEngine::codeWithABlankIsRefused_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("code");
    QTest::addColumn<int>("row");   // in the order the lines are written
    QTest::newRow("account code") << int(Kind::B01) << "MPBANK" << "ACC_CODE" << "1 0" << 1;
    QTest::newRow("business unit") << int(Kind::B02) << "EM03" << "BANK_CODE1" << "AB C" << 3;
    QTest::newRow("bills flag") << int(Kind::B03) << "EM08" << "FLAG3" << " 1" << 1;
    QTest::newRow("county account") << int(Kind::B05) << "HMPBANK" << "ACC_CODE" << "51 00" << 1;
}

// A stored code with a blank before its last character ("1 0" would be written
// "001 0") could not be imported again: the kind is refused with its
// writing-failed message naming the row, and an older file is kept.
void TstExportEngine::codeWithABlankIsRefused()
{
    QFETCH(int, kind);
    QFETCH(QString, table);
    QFETCH(QString, field);
    QFETCH(QString, code);
    QFETCH(int, row);
    fillMonth();
    QVERIFY(m_db->exec(QStringLiteral("update %1 set %2 = '%3' where rowid = (select min(rowid) from %1)")
                           .arg(table, field, code)));
    const Kind &k = ::kind(Kind::Id(kind));
    const QString path = m_out->filePath(k.code() + "ABC000008805");
    QVERIFY(writeFile(path, "older\r\n"));
    Recorder rec{.defaultAnswer = true};
    const ExportEngine::Result result = rec.run(request({k.id()}));
    QCOMPARE(result.of(k).outcome, Outcome::Failed);
    QCOMPARE(rec.texts(), QStringList{k.writingFailedMessage()});
    const QString detail = rec.messages.first().detail;
    QVERIFY2(detail.startsWith(QStringLiteral("第 %1 筆資料 (").arg(row)) && detail.contains(field + u'=' + code),
             qPrintable(detail));
    QCOMPARE(contents(path), QByteArray("older\r\n"));
    QCOMPARE(filesIn(m_out->path()), QStringList{k.code() + "ABC000008805"});
}

void TstExportEngine::unwritableFolderLeavesNothingBehind_data()
{
    QTest::addColumn<QString>("relative");
    QTest::addColumn<bool>("underAFile");
    QTest::newRow("missing folder") << "missing/deeper" << false;
    // Tests run as root, for whom permissions do not stop a write: a folder
    // that would have to lie under a regular file cannot be created by anyone.
    QTest::newRow("folder under a regular file") << "plain-file/out" << true;
    QTest::newRow("read-only folder") << "read-only" << false;
}

void TstExportEngine::unwritableFolderLeavesNothingBehind()
{
    QFETCH(QString, relative);
    QFETCH(bool, underAFile);
    fillMonth();
    if (underAFile)
        QVERIFY(writeFile(m_out->filePath("plain-file"), "x"));
    if (relative == u"read-only") {
        if (geteuid() == 0)
            QSKIP("root writes into a read-only folder; the other rows cover the failure");
        QVERIFY(QDir(m_out->path()).mkdir(relative));
        QVERIFY(QFile::setPermissions(m_out->filePath(relative), QFile::ReadOwner | QFile::ExeOwner));
    }
    Recorder rec;
    auto r = request({Kind::B05, Kind::B01});
    r.directory = m_out->filePath(relative);
    rec.attach(r);
    const ExportEngine::Result result = ExportEngine::run(r);
    QVERIFY(result.failed);
    QVERIFY(!result.anyWritten);
    QCOMPARE(result.of(kind(Kind::B01)).outcome, Outcome::Failed);
    QCOMPARE(result.of(kind(Kind::B05)).outcome, Outcome::NotProcessed);
    QCOMPARE(rec.texts(), QStringList{"營運資料匯出失敗!!!"});
    QVERIFY(!rec.messages.first().detail.isEmpty());
    QCOMPARE(filesIn(m_out->path()), underAFile ? QStringList{"plain-file"} : QStringList());
    QCOMPARE(filesIn(r.directory), QStringList());
}

void TstExportEngine::failedWriteKeepsTheOlderFile_data()
{
    QTest::addColumn<int>("limit");
    QTest::addColumn<int>("extraRows");
    QTest::newRow("not a byte fits") << 0 << 0;
    QTest::newRow("small file cut short") << 40 << 0;
    // Large enough to be written past any buffer, in one call cut short.
    QTest::newRow("large file cut short") << 64 * 1024 << 6000;
}

// A write that fails half-way (here: the process may not write a file larger
// than the limit, as a full disk would refuse) leaves no partial file and the
// older file byte-identical, and says the system's reason whatever the size.
void TstExportEngine::failedWriteKeepsTheOlderFile()
{
    QFETCH(int, limit);
    QFETCH(int, extraRows);
    fillMonth();
    if (extraRows > 0) {
        QVERIFY(m_db->exec(QStringLiteral(
            "with recursive n(i) as (select 1 union all select i + 1 from n where i < %1) "
            "insert into MPBANK select 88, 5, 'ABC', cast(90000 + i as text), i * 1.5, i + 3 from n").arg(extraRows)));
    }
    const QString b01 = m_out->filePath("B01ABC000008805");
    const QByteArray older("older B01\r\n");
    QVERIFY(writeFile(b01, older));
    Recorder rec;
    rec.defaultAnswer = true;
    auto r = request({Kind::B01, Kind::B03});
    rec.attach(r);

    rlimit saved{};
    QCOMPARE(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = rlim_t(limit);
    QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
    const ExportEngine::Result result = ExportEngine::run(r);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);

    QCOMPARE(result.of(kind(Kind::B01)).outcome, Outcome::Failed);
    QCOMPARE(result.of(kind(Kind::B03)).outcome, Outcome::NotProcessed);
    QCOMPARE(rec.texts(), QStringList{"營運資料匯出失敗!!!"});
    const QString detail = rec.messages.first().detail;
    QCOMPARE(detail, b01 + QStringLiteral(": ") + qt_error_string(EFBIG));
    QCOMPARE(contents(b01), older);
    QCOMPARE(filesIn(m_out->path()), QStringList{"B01ABC000008805"});
}

void TstExportEngine::fullDeviceGivesTheSystemsReason_data()
{
    QTest::addColumn<int>("size");
    QTest::newRow("one line") << 33;
    QTest::newRow("a megabyte") << 1024 * 1024;
}

// A full disk refuses a small write and a large one alike; both say why.
void TstExportEngine::fullDeviceGivesTheSystemsReason()
{
    QFETCH(int, size);
    const int fd = ::open("/dev/full", O_WRONLY | O_CLOEXEC);
    if (fd < 0)
        QSKIP("no /dev/full");
    QString error;
    const bool written = WholeFileWriter::writeAll(fd, QByteArray(size, '0'), &error);
    ::close(fd);
    QVERIFY(!written);
    QCOMPARE(error, qt_error_string(ENOSPC));
}

void TstExportEngine::leftoversOfAnImportAreRemoved()
{
    fillMonth();
    const QString dir = m_out->path();
    // B01 will be written, B02 kept (No), B04 has no rows for this month 6;
    // B01 has one row in month 6.
    for (const char *name : {"B01ABC000008806.TXT", "b01abc000008806.sch", "B01ABC000008806.DAT",
                             "B02ABC000008806.Sch", "B04ABC000008806.txt", "B05ABC000008806.TXT"})
        QVERIFY(writeFile(dir + "/" + name, "leftover"));
    QVERIFY(m_db->insertRow("EM03", {{"M_YEAR", 88}, {"M_MONTH", 6}, {"BANK_CODE", "ABC"}, {"BANK_CODE1", "ABC0011"},
                                     {"M_RATE", 1.0}}));
    QVERIFY(writeFile(dir + "/B02ABC000008806", "kept"));
    Recorder rec;
    const ExportEngine::Result result = rec.run(request({Kind::B01, Kind::B02, Kind::B04}, 88, 6));
    QCOMPARE(result.of(kind(Kind::B01)).outcome, Outcome::Written);
    QCOMPARE(result.of(kind(Kind::B02)).outcome, Outcome::Kept);
    QCOMPARE(result.of(kind(Kind::B04)).outcome, Outcome::NoRows);
    // B05 was not chosen: its leftover stays; so does a file of another extension.
    QCOMPARE(filesIn(dir), QStringList({"B01ABC000008806", "B01ABC000008806.DAT", "B02ABC000008806",
                                        "B05ABC000008806.TXT"}));
    QCOMPARE(contents(dir + "/B02ABC000008806"), QByteArray("kept"));
}

// An export killed midway leaves its temporary beside the files; the next
// export into that folder removes every such temporary, whatever its kind, and
// nothing else.
void TstExportEngine::temporariesOfAnInterruptedExportAreRemoved()
{
    fillMonth();
    const QString dir = m_out->path();
    const QStringList stale{WholeFileWriter::temporaryPath("B01ABC000008805").toUpper(),
                            WholeFileWriter::temporaryPath("B04XYZ000011412")};
    const QStringList kept{"B05ABC000008805.vZpVnW", "notes.velq8-partial", "B01ABC000008805"};
    for (const QString &name : stale + kept)
        QVERIFY(writeFile(dir + "/" + name, "interrupted"));
    Recorder rec;
    const ExportEngine::Result result = rec.run(request({Kind::B03}));
    QCOMPARE(result.of(kind(Kind::B03)).outcome, Outcome::Written);
    QStringList expected = kept;
    expected << "B03ABC000008805";
    expected.sort();
    QCOMPARE(filesIn(dir), expected);

    // Nor is a temporary of the very file being written in the way.
    QVERIFY(writeFile(WholeFileWriter::temporaryPath(dir + "/B03ABC000008806"), "interrupted"));
    QVERIFY(m_db->exec("update EM08 set M_MONTH = 6"));
    QCOMPARE(rec.run(request({Kind::B03}, 88, 6)).of(kind(Kind::B03)).outcome, Outcome::Written);
    QCOMPARE(contents(dir + "/B03ABC000008806"), QByteArray("08806ABC00001210" "1" "0250\r\n"));
    QVERIFY(!QFile::exists(WholeFileWriter::temporaryPath(dir + "/B03ABC000008806")));
}

void TstExportEngine::liveTemporariesOfAnotherRunAreKept_data()
{
    QTest::addColumn<QString>("target");   // whose temporary: "other" file, or the "same" file
    QTest::addColumn<bool>("live");        // its run still holds it
    QTest::newRow("another file's, live") << "other" << true;
    QTest::newRow("another file's, its run gone") << "other" << false;
    QTest::newRow("the same file's, live") << "same" << true;
    QTest::newRow("the same file's, its run gone") << "same" << false;
}

// Two exports into one folder at once: a temporary another run is writing
// (it holds the temporary's lock, as every writing run does until it renames)
// is left alone, and the file it is for is not written over it; one whose run
// has ended (its lock went with it) is a leftover and removed.
void TstExportEngine::liveTemporariesOfAnotherRunAreKept()
{
    QFETCH(QString, target);
    QFETCH(bool, live);
    fillMonth();
    const QString dir = m_out->path();
    const QString temporary = WholeFileWriter::temporaryPath(
        dir + (target == u"same" ? "/B03ABC000008805" : "/B01ABC000008806"));
    QVERIFY(writeFile(temporary, "being written"));
    const int fd = ::open(QFile::encodeName(temporary).constData(), O_RDWR | O_CLOEXEC);
    QVERIFY(fd >= 0);
    QCOMPARE(::flock(fd, LOCK_EX | LOCK_NB), 0);
    if (!live)
        ::close(fd);

    Recorder rec;
    const ExportEngine::Result result = rec.run(request({Kind::B03}));
    if (live)
        ::close(fd);
    QCOMPARE(QFile::exists(temporary), live);
    if (live)
        QCOMPARE(contents(temporary), QByteArray("being written"));
    if (live && target == u"same") {
        QCOMPARE(result.of(kind(Kind::B03)).outcome, Outcome::Failed);
        QVERIFY2(rec.messages.last().detail.contains(WholeFileWriter::busyMessage()),
                 qPrintable(rec.messages.last().detail));
        QVERIFY(!QFile::exists(dir + "/B03ABC000008805"));
    } else {
        QCOMPARE(result.of(kind(Kind::B03)).outcome, Outcome::Written);
    }
}

void TstExportEngine::emptyChoiceIsRefused()
{
    Recorder rec;
    const ExportEngine::Result result = rec.run(request({}));
    QVERIFY(!result.anyWritten);
    QCOMPARE(rec.texts(), QStringList{"沒有選擇任何欲傳送的資料 !!!"});
    QCOMPARE(rec.messages.first().icon, ExportEngine::Message::Icon::Warning);
}

QTEST_GUILESS_MAIN(TstExportEngine)
#include "tst_export_engine.moc"
