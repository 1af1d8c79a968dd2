#include "tests/support/cli_process.h"
#include "tests/support/files.h"

#include <QDirIterator>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>
#include <QXmlStreamReader>

// What the Debian package puts on a machine. Without VELQ8_DEB the tree is the
// one `cmake --install` makes of this build under a temporary /usr; with it, the
// package's own files (dpkg-deb -x) and control fields.
class TstPackage : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void installsExactlyItsFiles_data();
    void installsExactlyItsFiles();
    void packageOwnsItsFilesAsRoot();
    void controlFields_data();
    void controlFields();
    void dependsOnWhatItLoads_data();
    void dependsOnWhatItLoads();
    void desktopEntry_data();
    void desktopEntry();
    void desktopEntryNamesTheInstalledProgramAndIcon();
    void iconIsASquareSvg();
    void manualPageDocumentsEveryCommandAndOption();
    void manualPagesFitATerminal_data();
    void manualPagesFitATerminal();

private:
    QString file(const QString &path) const { return m_root.filePath(path); }
    QByteArray control(const QString &field) const;
    QString manualPage(const QString &name) const;

    QTemporaryDir m_root;
    QString m_deb;   // the package checked, or empty for the installed build
};

namespace {

struct Installed
{
    const char *path;
    bool executable;
};

// Every file the package installs; anything else (the bench, the libraries, the
// tests) must stay out of it.
const Installed Files[] = {
    {"usr/bin/velq8", true},
    {"usr/bin/velq8-cli", true},
    {"usr/share/applications/velq8.desktop", false},
    {"usr/share/icons/hicolor/scalable/apps/velq8.svg", false},
    {"usr/share/man/man1/velq8.1.gz", false},
    {"usr/share/man/man1/velq8-cli.1.gz", false},
};

CliProcess run(const QString &program, const QStringList &args)
{
    return CliProcess::run(program, args);
}

// Display columns of a rendered line: CJK and full-width forms take two.
int columns(const QString &line)
{
    int width = 0;
    for (const QChar c : line) {
        const ushort u = c.unicode();
        const bool wide = (u >= 0x1100 && u <= 0x115F) || (u >= 0x2E80 && u <= 0xA4CF) ||
                          (u >= 0xAC00 && u <= 0xD7A3) || (u >= 0xF900 && u <= 0xFAFF) ||
                          (u >= 0xFE30 && u <= 0xFE4F) || (u >= 0xFF00 && u <= 0xFF60) ||
                          (u >= 0xFFE0 && u <= 0xFFE6);
        width += wide ? 2 : 1;
    }
    return width;
}

bool hasChinese(const QString &text)
{
    return text.contains(QRegularExpression(QStringLiteral("\\p{Han}")));
}

bool big5Representable(const QString &text)
{
    QStringEncoder encoder("Big5");
    const QByteArray bytes = encoder.encode(text);
    QStringDecoder decoder("Big5");
    return !encoder.hasError() && QString(decoder.decode(bytes)) == text;
}

} // namespace

void TstPackage::initTestCase()
{
    QVERIFY(m_root.isValid());
    m_deb = qEnvironmentVariable("VELQ8_DEB");
    if (!m_deb.isEmpty()) {
        const CliProcess x = run(QStringLiteral("dpkg-deb"), {QStringLiteral("-x"), m_deb, m_root.path()});
        QVERIFY2(x.status == 0, qPrintable(x.err));
        return;
    }
    const CliProcess install = run(QStringLiteral(VELQ8_CMAKE),
                                   {QStringLiteral("--install"), QStringLiteral(VELQ8_BUILD_DIR),
                                    QStringLiteral("--prefix"), file(QStringLiteral("usr"))});
    QVERIFY2(install.status == 0, qPrintable(install.err));
}

void TstPackage::installsExactlyItsFiles_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("executable");
    for (const Installed &f : Files)
        QTest::newRow(f.path) << QString::fromLatin1(f.path) << f.executable;
    QTest::newRow("nothing else") << QString() << false;
}

void TstPackage::installsExactlyItsFiles()
{
    QFETCH(QString, path);
    QFETCH(bool, executable);
    if (path.isEmpty()) {
        QStringList found;
        QDirIterator it(m_root.path(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (it.hasNext())
            found << QDir(m_root.path()).relativeFilePath(it.next());
        QStringList expected;
        for (const Installed &f : Files)
            expected << QString::fromLatin1(f.path);
        found.sort();
        expected.sort();
        QCOMPARE(found, expected);
        return;
    }
    const QFileInfo info(file(path));
    QVERIFY2(info.isFile(), qPrintable(path));
    QCOMPARE(info.isExecutable(), executable);
    QVERIFY(info.size() > 0);
}

// dpkg-deb -c: every entry owned by root, programs 0755, the rest 0644.
void TstPackage::packageOwnsItsFilesAsRoot()
{
    if (m_deb.isEmpty())
        QSKIP("no package given (VELQ8_DEB)");
    const CliProcess list = run(QStringLiteral("dpkg-deb"), {QStringLiteral("-c"), m_deb});
    QVERIFY2(list.status == 0, qPrintable(list.err));
    int files = 0;
    for (const QString &line : list.out.split(u'\n', Qt::SkipEmptyParts)) {
        const QStringList f = line.split(u' ', Qt::SkipEmptyParts);
        QVERIFY2(f.size() >= 6, qPrintable(line));
        QCOMPARE(f.at(1), QStringLiteral("root/root"));
        if (f.at(0).startsWith(u'-')) {
            ++files;
            const bool program = f.last().startsWith(QLatin1String("./usr/bin/"));
            QCOMPARE(f.at(0), program ? QStringLiteral("-rwxr-xr-x") : QStringLiteral("-rw-r--r--"));
        }
    }
    QCOMPARE(files, int(std::size(Files)));
}

QByteArray TstPackage::control(const QString &field) const
{
    const CliProcess f = run(QStringLiteral("dpkg-deb"), {QStringLiteral("-f"), m_deb, field});
    return f.status == 0 ? f.out.trimmed().toUtf8() : QByteArray("<dpkg-deb failed>");
}

void TstPackage::controlFields_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("value");
    const QString arch = run(QStringLiteral("dpkg"), {QStringLiteral("--print-architecture")}).out.trimmed();
    QTest::newRow("Package") << "Package" << "velq8";
    QTest::newRow("Version") << "Version" << VELQ8_VERSION;
    QTest::newRow("Architecture") << "Architecture" << arch;
    QTest::newRow("file name") << QString() << QStringLiteral("velq8_%1_%2.deb").arg(VELQ8_VERSION, arch);
}

void TstPackage::controlFields()
{
    QFETCH(QString, field);
    QFETCH(QString, value);
    if (m_deb.isEmpty())
        QSKIP("no package given (VELQ8_DEB)");
    if (field.isEmpty())
        QCOMPARE(QFileInfo(m_deb).fileName(), value);
    else
        QCOMPARE(QString::fromUtf8(control(field)), value);
}

void TstPackage::dependsOnWhatItLoads_data()
{
    QTest::addColumn<QString>("package");
    // Found by dpkg-shlibdeps in the programs...
    for (const char *p : {"libqt6core6", "libqt6gui6", "libqt6widgets6", "libqt6sql6", "libqt6printsupport6",
                          "libxlsxwriter4", "libstdc++6", "libc6"})
        QTest::newRow(p) << p;
    // ...and what they load at run time, which it cannot see.
    for (const char *p : {"libqt6sql6-sqlite", "fonts-arphic-ukai", "fonts-arphic-uming", "qt6-translations-l10n"})
        QTest::newRow(p) << p;
}

void TstPackage::dependsOnWhatItLoads()
{
    QFETCH(QString, package);
    if (m_deb.isEmpty())
        QSKIP("no package given (VELQ8_DEB)");
    // "libqt6core6 (>= 6.4.0), libc6 (>= 2.34), a | b": the names alone.
    QStringList names;
    for (const QString &alternative : QString::fromUtf8(control(QStringLiteral("Depends"))).split(
             QRegularExpression(QStringLiteral("[,|]"))))
        names << alternative.section(u'(', 0, 0).section(u':', 0, 0).trimmed();
    QVERIFY2(names.contains(package), qPrintable(names.join(u' ')));
}

void TstPackage::desktopEntry_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");   // empty: any Traditional Chinese text
    QTest::newRow("Type") << "Type" << "Application";
    QTest::newRow("Exec") << "Exec" << "velq8";
    QTest::newRow("Icon") << "Icon" << "velq8";
    QTest::newRow("Terminal") << "Terminal" << "false";
    QTest::newRow("Categories") << "Categories" << "Office;Finance;";
    QTest::newRow("Name[zh_TW]") << "Name[zh_TW]" << QString();
    QTest::newRow("GenericName[zh_TW]") << "GenericName[zh_TW]" << QString();
    QTest::newRow("Comment[zh_TW]") << "Comment[zh_TW]" << QString();
}

void TstPackage::desktopEntry()
{
    QFETCH(QString, key);
    QFETCH(QString, value);
    const QStringList lines = QString::fromUtf8(contents(file("usr/share/applications/velq8.desktop"))).split(u'\n');
    QCOMPARE(lines.value(0), QStringLiteral("[Desktop Entry]"));
    const QStringList found = lines.filter(QRegularExpression(u'^' + QRegularExpression::escape(key) + u'='));
    QCOMPARE(found.size(), 1);
    const QString text = found.first().section(u'=', 1);
    if (value.isEmpty()) {
        QVERIFY2(hasChinese(text) && big5Representable(text), qPrintable(text));
    } else {
        QCOMPARE(text, value);
    }
}

// The menu starts what the package installed, with the icon it installed.
void TstPackage::desktopEntryNamesTheInstalledProgramAndIcon()
{
    const QString entry = QString::fromUtf8(contents(file("usr/share/applications/velq8.desktop")));
    const QString exec = entry.section(QStringLiteral("\nExec="), 1).section(u'\n', 0, 0).section(u' ', 0, 0);
    const QString icon = entry.section(QStringLiteral("\nIcon="), 1).section(u'\n', 0, 0);
    QVERIFY(QFileInfo(file("usr/bin/" + exec)).isExecutable());
    QVERIFY(QFileInfo::exists(file("usr/share/icons/hicolor/scalable/apps/" + icon + ".svg")));
}

void TstPackage::iconIsASquareSvg()
{
    QXmlStreamReader xml(contents(file("usr/share/icons/hicolor/scalable/apps/velq8.svg")));
    QVERIFY(xml.readNextStartElement());
    QCOMPARE(xml.name(), QStringLiteral("svg"));
    const QStringList box = xml.attributes().value(QStringLiteral("viewBox")).toString().split(u' ');
    QCOMPARE(box.size(), 4);
    QCOMPARE(box.at(2), box.at(3));
    while (!xml.atEnd())
        xml.readNext();
    QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
}

QString TstPackage::manualPage(const QString &name) const
{
    const CliProcess page = run(QStringLiteral("gzip"), {QStringLiteral("-dc"), file("usr/share/man/man1/" + name)});
    return page.status == 0 ? page.out : QStringLiteral("<not gzip>");
}

// Every command and option the installed velq8-cli lists in its help has its
// entry in the manual page: a command added without one fails here.
void TstPackage::manualPageDocumentsEveryCommandAndOption()
{
    const QString page = manualPage(QStringLiteral("velq8-cli.1.gz"));
    QVERIFY(page.startsWith(QLatin1String(".\\\"")));
    const CliProcess help = run(file("usr/bin/velq8-cli"), {QStringLiteral("--help")});
    QCOMPARE(help.status, 0);
    const QRegularExpression usage(QStringLiteral("^  ([a-z]+)( .*)?$"));
    const QRegularExpression option(QStringLiteral("--[a-z]+"));
    QStringList commands;
    for (const QString &line : help.out.split(u'\n')) {
        const auto m = usage.match(line);
        if (!m.hasMatch())
            continue;
        commands << m.captured(1);
        QVERIFY2(page.contains(QRegularExpression(QStringLiteral("\n\\.BI? \"?") + m.captured(1) + QStringLiteral("[ \"\n]"))),
                 qPrintable(m.captured(1)));
        for (auto it = option.globalMatch(line); it.hasNext();) {
            const QString name = it.next().captured();
            QVERIFY2(page.contains(QString(name).replace(u'-', QStringLiteral("\\-"))), qPrintable(name));
        }
    }
    QVERIFY2(commands.size() >= 8, qPrintable(help.out));
}

void TstPackage::manualPagesFitATerminal_data()
{
    QTest::addColumn<QString>("page");
    QTest::newRow("velq8") << "velq8.1.gz";
    QTest::newRow("velq8-cli") << "velq8-cli.1.gz";
}

// Rendered 80 columns wide, as man shows it: no warning from groff and no line
// wider than the terminal (Chinese breaks only where the page lets it).
void TstPackage::manualPagesFitATerminal()
{
    QFETCH(QString, page);
    if (QStandardPaths::findExecutable(QStringLiteral("man")).isEmpty())
        QSKIP("man is not installed");
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("MANWIDTH"), QStringLiteral("80"));
    env.insert(QStringLiteral("LANG"), QStringLiteral("C.UTF-8"));
    const CliProcess shown = CliProcess::run(QStringLiteral("man"), {QStringLiteral("-l"), file("usr/share/man/man1/" + page)},
                                             env);
    QCOMPARE(shown.status, 0);
    QCOMPARE(shown.err, QString());
    QVERIFY(hasChinese(shown.out));
    for (const QString &line : shown.out.split(u'\n'))
        QVERIFY2(columns(line) <= 80, qPrintable(line));
}

QTEST_GUILESS_MAIN(TstPackage)
#include "tst_package.moc"
