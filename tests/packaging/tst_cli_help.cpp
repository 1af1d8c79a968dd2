#include "tests/support/cli_process.h"

#include <QRegularExpression>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QTest>

// velq8-cli's help as a user reads it: Traditional Chinese first, the English
// after it, going where it always went with the exit status it always had.
class TstCliHelp : public QObject
{
    Q_OBJECT
private slots:
    void goesWhereItAlwaysWent_data();
    void goesWhereItAlwaysWent();
    void everyCommandIsExplainedInChineseFirst_data();
    void everyCommandIsExplainedInChineseFirst();
    void everyListedCommandHasChinese();
    void keepsTheEnglishLines_data();
    void keepsTheEnglishLines();
    void isBig5Representable();
};

namespace {

bool hasChinese(const QString &text)
{
    return text.contains(QRegularExpression(QStringLiteral("\\p{Han}")));
}

// The lines of one command's entry: its usage line, then the lines indented by
// six blanks under it.
QStringList entry(const QString &help, const QString &command)
{
    QStringList lines = help.split(u'\n');
    const auto at = lines.indexOf(QRegularExpression(QStringLiteral("^  ") + command + QStringLiteral("( .*)?$")));
    if (at < 0)
        return {};
    QStringList out{lines.at(at)};
    for (auto i = at + 1; i < lines.size() && lines.at(i).startsWith(QLatin1String("      ")); ++i)
        out << lines.at(i);
    return out;
}

const char *const Commands[] = {"init", "migrate", "export", "verify", "import", "check", "report", "formulas", "history", "copy"};

} // namespace

void TstCliHelp::goesWhereItAlwaysWent_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("status");
    QTest::addColumn<bool>("toStandardOutput");
    QTest::addColumn<QString>("errorFirst");   // what precedes the help on standard error
    QTest::newRow("--help") << QStringList{"--help"} << 0 << true << QString();
    QTest::newRow("-h") << QStringList{"-h"} << 0 << true << QString();
    QTest::newRow("--help after a command") << QStringList{"export", "--help"} << 0 << true << QString();
    QTest::newRow("nothing") << QStringList{} << 2 << false << QString();
    QTest::newRow("only a database") << QStringList{"--database", "x.sqlite"} << 2 << false << QString();
    QTest::newRow("unknown command") << QStringList{"frobnicate"} << 2 << false
                                     << QStringLiteral("unknown command: frobnicate\n\n");
}

void TstCliHelp::goesWhereItAlwaysWent()
{
    QFETCH(QStringList, args);
    QFETCH(int, status);
    QFETCH(bool, toStandardOutput);
    QFETCH(QString, errorFirst);
    const CliProcess run = velq8(args);
    QCOMPARE(run.status, status);
    const QString help = toStandardOutput ? run.out : run.err.mid(errorFirst.size());
    QCOMPARE((toStandardOutput ? run.err : run.out), QString());
    QVERIFY(run.err.startsWith(errorFirst));
    QVERIFY2(help.startsWith(QStringLiteral("velq8-cli：Velqora<VELQ8> 申報資料庫的批次作業。\n")), qPrintable(help));
    QVERIFY(help.endsWith(QStringLiteral("Exit status: 0 done, 1 nothing done, 2 failure or wrong input.\n")));
}

void TstCliHelp::everyCommandIsExplainedInChineseFirst_data()
{
    QTest::addColumn<QString>("command");
    for (const char *c : Commands)
        QTest::newRow(c) << c;
}

// Under the usage line the Chinese text comes first, then the English one the
// command gives (a line with no Chinese in it).
void TstCliHelp::everyCommandIsExplainedInChineseFirst()
{
    QFETCH(QString, command);
    const QStringList lines = entry(velq8({"--help"}).out, command);
    QVERIFY2(lines.size() >= 3, qPrintable(command));
    QVERIFY2(!hasChinese(lines.at(0).section(u'[', 0, 0)), qPrintable(lines.at(0)));   // the command line as it was
    QVERIFY2(hasChinese(lines.at(1)), qPrintable(lines.at(1)));
    const auto english = lines.indexOf(QRegularExpression(QStringLiteral("^      [A-Z][^\\p{Han}]*$")));
    QVERIFY2(english > 1, qPrintable(lines.join(u'\n')));
}

// A command added to velq8-cli without its Chinese text fails here, whatever
// its name.
void TstCliHelp::everyListedCommandHasChinese()
{
    const QString help = velq8({"--help"}).out;
    const QRegularExpression usage(QStringLiteral("^  ([a-z]+)( .*)?$"), QRegularExpression::MultilineOption);
    int listed = 0;
    for (auto it = usage.globalMatch(help); it.hasNext(); ++listed) {
        const QStringList lines = entry(help, it.next().captured(1));
        QVERIFY2(lines.size() >= 2 && hasChinese(lines.at(1)), qPrintable(lines.join(u'\n')));
    }
    QCOMPARE(listed, int(std::size(Commands)));
}

void TstCliHelp::keepsTheEnglishLines_data()
{
    QTest::addColumn<QString>("line");
    QTest::newRow("title") << "velq8-cli: batch work on the Velqora<VELQ8> declaration database.";
    QTest::newRow("usage") << "Usage: velq8-cli [--database FILE] COMMAND [options]";
    QTest::newRow("--database") << "                   the database file to work on; without it, the file the";
    QTest::newRow("--help") << "                   this text";
    QTest::newRow("exit status") << "Exit status: 0 done, 1 nothing done, 2 failure or wrong input.";
}

void TstCliHelp::keepsTheEnglishLines()
{
    QFETCH(QString, line);
    QVERIFY(velq8({"--help"}).out.split(u'\n').contains(line));
}

// Every line of the help but the database's path (the user's own folder) is
// Traditional Chinese a Big5 terminal can show.
void TstCliHelp::isBig5Representable()
{
    QString help = velq8({"--help"}).out;
    help.remove(QRegularExpression(QStringLiteral("^ {19}/.*\n"), QRegularExpression::MultilineOption));
    QStringEncoder encoder("Big5");
    const QByteArray bytes = encoder.encode(help);
    QVERIFY(!encoder.hasError());
    QStringDecoder decoder("Big5");
    QCOMPARE(QString(decoder.decode(bytes)), help);
}

QTEST_GUILESS_MAIN(TstCliHelp)
#include "tst_cli_help.moc"
