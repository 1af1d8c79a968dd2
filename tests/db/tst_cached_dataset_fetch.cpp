#include "db/cached_dataset.h"
#include "db/write_transaction.h"

#include "tests/db/month_dataset_fixture.h"

// A result read in parts: whatever a tab does while rows are still unread sees
// every row, in order, once; a save or a discard loses nothing.
class tst_CachedDatasetFetch : public MonthDatasetFixture
{
    Q_OBJECT

private slots:
    void init() { setUp(); }
    void cleanup() { MonthDatasetFixture::cleanup(); }
    void readsWhatEachStepNeeds_data();
    void readsWhatEachStepNeeds();
    void saveAndDiscardAfterPartialRead_data();
    void saveAndDiscardAfterPartialRead();

private:
    // The month of six accounts read `fetchSize` rows at a time.
    std::unique_ptr<CachedDataset> openInParts(int fetchSize = 2)
    {
        addMonth(115, 10, 6);
        auto ds = monthDataset();
        ds->setFetchSize(fetchSize);
        ds->setFirstReadMs(0);
        ds->open();
        return ds;
    }
};

void tst_CachedDatasetFetch::readsWhatEachStepNeeds_data()
{
    QTest::addColumn<int>("fetchSize");
    QTest::addColumn<QString>("step");
    QTest::addColumn<int>("read");      // rows read after the step
    QTest::addColumn<int>("current");

    QTest::newRow("open reads the first part") << 2 << "" << 2 << 0;
    QTest::newRow("a part as large as the result") << 6 << "" << 6 << 0;
    QTest::newRow("a part larger than the result") << 7 << "" << 6 << 0;
    QTest::newRow("a short result read whole in the first read's time") << 2 << "reopenWithTime" << 6 << 0;
    QTest::newRow("isEmpty reads nothing more") << 2 << "isEmpty" << 2 << 0;
    QTest::newRow("the grid scrolls") << 2 << "fetchMore" << 4 << 0;
    QTest::newRow("next past the part read") << 2 << "next2" << 4 << 2;
    QTest::newRow("moveTo a row not read") << 2 << "moveTo4" << 5 << 4;
    QTest::newRow("record count") << 2 << "recordCount" << 6 << 0;
    QTest::newRow("last") << 2 << "last" << 6 << 5;
    QTest::newRow("locate a row not read") << 2 << "locate" << 6 << 5;
    QTest::newRow("append after every row") << 2 << "append" << 7 << 6;
    QTest::newRow("remove the only row read") << 1 << "remove" << 1 << 0;
    QTest::newRow("the event loop reads the rest") << 2 << "eventLoop" << 6 << 0;
    QTest::newRow("closed while reading, opened again") << 2 << "closeOpen" << 2 << 0;
    QTest::newRow("a value of a row not read") << 2 << "value5" << 6 << 0;
    QTest::newRow("a writer starts on the connection") << 2 << "write" << 6 << 0;
}

void tst_CachedDatasetFetch::readsWhatEachStepNeeds()
{
    QFETCH(int, fetchSize);
    QFETCH(QString, step);
    QFETCH(int, read);
    QFETCH(int, current);
    auto ds = openInParts(fetchSize);
    if (step == "reopenWithTime") {
        ds->setFirstReadMs(100);
        QVERIFY(ds->open());
        QVERIFY(!ds->isFetching());
    } else if (step == "isEmpty")
        QVERIFY(!ds->isEmpty());
    else if (step == "fetchMore")
        ds->fetchMore({});
    else if (step == "next2")
        QVERIFY(ds->next() && ds->next());
    else if (step == "moveTo4")
        QVERIFY(ds->moveTo(4));
    else if (step == "recordCount")
        QCOMPARE(ds->recordCount(), 6);
    else if (step == "last")
        QVERIFY(ds->last());
    else if (step == "locate")
        QVERIFY(ds->locate({"ACC_CODE"}, {accountCode(5)}));
    else if (step == "append")
        QVERIFY(ds->append());
    else if (step == "remove")
        QVERIFY(ds->remove());
    else if (step == "eventLoop")
        QTRY_VERIFY(!ds->isFetching());
    else if (step == "closeOpen") {
        ds->close();
        QVERIFY(!ds->isFetching());
        QCOMPARE(ds->rowCount(), 0);
        CachedDataset::fetchAllOn(ds->connectionName());   // a writer finds nothing left reading
        QVERIFY(ds->open());
    } else if (step == "write") {
        WriteTransaction write(QSqlDatabase::database(ds->connectionName()));
        QVERIFY2(write.isActive(), qPrintable(write.error()));
    } else if (step == "value5")
        QCOMPARE(ds->value(5, "ACC_CODE").toString(), accountCode(5));
    // Whatever was read first, the rest follows in order, each row once.
    const int removed = step == "remove" ? 1 : 0;
    const int appended = step == "append" ? 1 : 0;
    // The server's driver hands over a whole result at once, so there the
    // dataset reads every row on open and the step changes only what it holds.
    if (TestDatabase::onServer())
        read = 6 - removed + appended;
    QCOMPARE(ds->fetchedCount(), read);
    QCOMPARE(ds->rowCount(), read);
    QCOMPARE(ds->currentRow(), current);

    QCOMPARE(ds->recordCount(), 6 - removed + appended);
    QVERIFY(!ds->isFetching());
    for (int row = 0; row < 6 - removed; ++row)
        QCOMPARE(ds->value(row, "ACC_CODE").toString(), accountCode(row + removed));
}

void tst_CachedDatasetFetch::saveAndDiscardAfterPartialRead_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<bool>("save");
    QTest::addColumn<QString>("storedAfter");

    const QString asLoaded = "11000=100.0;11010=200.0;11020=300.0;11030=400.0;11040=500.0;11050=600.0";
    QTest::newRow("edit, save") << "edit" << true
                                << "11000=7.0;11010=200.0;11020=300.0;11030=400.0;11040=500.0;11050=600.0";
    QTest::newRow("edit, discard") << "edit" << false << asLoaded;
    QTest::newRow("remove, save") << "remove" << true
                                  << "11010=200.0;11020=300.0;11030=400.0;11040=500.0;11050=600.0";
    QTest::newRow("remove, discard") << "remove" << false << asLoaded;
}

void tst_CachedDatasetFetch::saveAndDiscardAfterPartialRead()
{
    QFETCH(QString, change);
    QFETCH(bool, save);
    QFETCH(QString, storedAfter);
    auto ds = openInParts();
    // A second tab on the same month, also part read, while the first saves.
    auto other = monthDataset();
    other->setFetchSize(2);
    other->setFirstReadMs(0);
    QVERIFY(other->open());

    if (change == "edit")
        QVERIFY(ds->setValue("AMT", 7));
    else
        QVERIFY(ds->remove());
    if (save) {
        QVERIFY2(ds->applyUpdates(), qPrintable(ds->lastError()));
        ds->commitUpdates();
        // Nothing of the connection was still reading while the tables changed.
        QVERIFY(!other->isFetching());
    } else {
        ds->cancelUpdates();
    }
    QCOMPARE(stored(), storedAfter);
    QCOMPARE(other->recordCount(), 6);   // read before the write: the rows as they were
    const int rows = storedAfter.count(';') + 1;
    QCOMPARE(ds->recordCount(), rows);
    for (int row = 0; row < rows; ++row)
        QVERIFY(storedAfter.contains(ds->value(row, "ACC_CODE").toString() + '='
                                     + QString::number(ds->value(row, "AMT").toDouble(), 'f', 1)));
    QVERIFY(!ds->hasPendingUpdates());
}

QTEST_MAIN(tst_CachedDatasetFetch)
#include "tst_cached_dataset_fetch.moc"
