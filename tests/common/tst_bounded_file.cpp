#include "common/bounded_file.h"
#include "tests/support/files.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <sys/stat.h>

// Reading a file the user named: only a regular file within the limit is read,
// and what never ends (a device, a pipe) is refused before a byte is read.
class TstBoundedFile : public QObject
{
    Q_OBJECT
private slots:
    void onlyARegularFileWithinTheLimitIsRead_data();
    void onlyARegularFileWithinTheLimitIsRead();
};

using Fault = BoundedFile::Fault;
Q_DECLARE_METATYPE(BoundedFile::Fault)

void TstBoundedFile::onlyARegularFileWithinTheLimitIsRead_data()
{
    QTest::addColumn<QString>("what");   // what stands at the path
    QTest::addColumn<int>("size");       // bytes of a file written there
    QTest::addColumn<Fault>("fault");
    const int limit = 10;
    QTest::newRow("empty file") << "file" << 0 << Fault::None;
    QTest::newRow("exactly the limit") << "file" << limit << Fault::None;
    QTest::newRow("one byte over the limit") << "file" << limit + 1 << Fault::TooLarge;
    QTest::newRow("a link to a file") << "link" << 3 << Fault::None;
    QTest::newRow("nothing") << "none" << 0 << Fault::Missing;
    QTest::newRow("a folder") << "folder" << 0 << Fault::NotRegular;
    QTest::newRow("a device that never ends") << "/dev/zero" << 0 << Fault::NotRegular;
    QTest::newRow("a pipe nobody writes to") << "fifo" << 0 << Fault::NotRegular;
}

void TstBoundedFile::onlyARegularFileWithinTheLimitIsRead()
{
    QFETCH(QString, what);
    QFETCH(int, size);
    QFETCH(Fault, fault);
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("f"));
    const QByteArray bytes(size, 'x');
    QString path = file;
    if (what == u"file" || what == u"link")
        QVERIFY(writeFile(file, bytes));
    if (what == u"link") {
        path = dir.filePath(QStringLiteral("l"));
        QVERIFY(QFile::link(file, path));
    } else if (what == u"folder") {
        path = dir.path();
    } else if (what == u"fifo") {
        QCOMPARE(::mkfifo(QFile::encodeName(file).constData(), 0600), 0);
    } else if (what.startsWith(u'/')) {
        path = what;
    }

    const BoundedFile::Reading r = BoundedFile::read(path, 10);
    QCOMPARE(r.fault, fault);
    QCOMPARE(r.bytes, fault == Fault::None ? bytes : QByteArray());
    if (fault == Fault::TooLarge)
        QCOMPARE(r.size, qint64(size));
    if (fault == Fault::Missing)
        QCOMPARE(r.reason, qt_error_string(ENOENT));
}

QTEST_GUILESS_MAIN(TstBoundedFile)
#include "tst_bounded_file.moc"
