#include "db/cached_dataset.h"
#include "tests/db/month_dataset_fixture.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QtTest>

// The dataset as the grids see it: a table model with titles, pictures,
// read-only columns, refusals that name the column, and model signals that
// stay consistent (one reset while controls are disabled).
class tst_CachedDatasetModel : public MonthDatasetFixture
{
    Q_OBJECT

private slots:
    void init() { setUp(); }

    void modelTextAndEditing();
    void modelSignals();
};


void tst_CachedDatasetModel::modelTextAndEditing()
{
    QVERIFY(m_db->insertRow("MPBANK", {{"M_YEAR", 115}, {"M_MONTH", 10}, {"BANK_CODE", "995"},
                                       {"ACC_CODE", "11000"}, {"AMT", 1234567.8916}, {"SERIAL", 1}}));
    QVERIFY(m_db->insertRow("MPBANK", {{"M_YEAR", 115}, {"M_MONTH", 10}, {"BANK_CODE", "995"},
                                       {"ACC_CODE", "11010"}, {"AMT", 0.0}, {"SERIAL", 2}}));
    auto ds = monthDataset();
    QVERIFY(ds->open());
    ds->setColumns({"M_YEAR", "M_MONTH", "ACCNAME", "AMT"});
    ds->setColumnTitle("ACCNAME", "科目名稱");
    ds->setColumnFormat("AMT", ",#.###", "#.###");
    ds->setAllColumnsReadOnly(true);
    ds->setColumnReadOnly("AMT", false);
    QCOMPARE(ds->columnCount(), 4);
    QCOMPARE(ds->headerData(2, Qt::Horizontal).toString(), QString("科目名稱"));
    QCOMPARE(ds->headerData(3, Qt::Horizontal).toString(), QString("AMT"));
    QCOMPARE(ds->data(ds->index(0, 3)).toString(), QString("1,234,567.892"));
    QCOMPARE(ds->data(ds->index(0, 3), Qt::EditRole).toString(), QString("1234567.892"));
    QCOMPARE(ds->data(ds->index(1, 3)).toString(), QString());   // a zero amount is an empty cell
    QCOMPARE(ds->data(ds->index(0, 0)).toString(), QString("115"));
    QCOMPARE(ds->data(ds->index(0, 3), Qt::TextAlignmentRole).toInt(), int(Qt::AlignRight | Qt::AlignVCenter));
    QCOMPARE(ds->data(ds->index(0, 2), Qt::TextAlignmentRole).toInt(), int(Qt::AlignLeft | Qt::AlignVCenter));
    QVERIFY(!(ds->flags(ds->index(0, 2)) & Qt::ItemIsEditable));
    QVERIFY(ds->flags(ds->index(0, 3)) & Qt::ItemIsEditable);

    // Only numbers go into a number cell; the cell keeps its value otherwise.
    for (const char *bad : {"abc", "1.2.3", "12a", "--1"}) {
        QVERIFY2(!ds->setData(ds->index(1, 3), QString(bad)), bad);
        QCOMPARE(ds->value(1, "AMT").toDouble(), 0.0);
        QVERIFY2(ds->lastError().contains(QLatin1String(bad)), qPrintable(ds->lastError()));
    }
    QCOMPARE(ds->state(), CachedDataset::State::Browse);
    QVERIFY(!ds->setData(ds->index(1, 2), "x"));   // read-only column
    QVERIFY(ds->setData(ds->index(1, 3), "-1234.5"));
    QCOMPARE(ds->currentRow(), 1);                 // typing into a row makes it current
    QCOMPARE(ds->value(1, "AMT").toDouble(), -1234.5);
    QVERIFY(ds->setData(ds->index(1, 3), ""));    // an emptied cell reads as 0
    QCOMPARE(ds->value(1, "AMT").toDouble(), 0.0);

    // Text cells refuse what their field cannot hold.
    CachedDataset accounts;
    accounts.setSql("select * from CACNO");
    accounts.setUpdateTable("CACNO");
    QVERIFY(accounts.open());
    const QModelIndex name = accounts.index(0, accounts.fieldIndex("ACC_NAME"));
    QVERIFY(accounts.setData(name, QString(20, QChar(0x6578))));    // 40 bytes
    QVERIFY(!accounts.setData(name, QString(21, QChar(0x6578))));   // 42 bytes
    QVERIFY2(accounts.lastError().startsWith(QStringLiteral("「ACC_NAME」超過 40 個位元組")),
             qPrintable(accounts.lastError()));
    QVERIFY(!accounts.setData(name, QString::fromUtf8("\xF0\x9F\x98\x80")));   // an emoji: no Big5 code
    QVERIFY(accounts.lastError().contains(QStringLiteral("Big5")));
    QCOMPARE(accounts.value(0, "ACC_NAME").toString(), QString(20, QChar(0x6578)));
    QVERIFY(!accounts.setData(accounts.index(0, 0), "123456"));
    QVERIFY(!accounts.setData(accounts.index(0, 0), "1", Qt::ToolTipRole));
}

void tst_CachedDatasetModel::modelSignals()
{
    addMonth(115, 10, 3);
    auto ds = monthDataset();
    QAbstractItemModelTester tester(ds.get(), QAbstractItemModelTester::FailureReportingMode::QtTest);
    QSignalSpy resets(ds.get(), &QAbstractItemModel::modelReset);
    QSignalSpy inserted(ds.get(), &QAbstractItemModel::rowsInserted);
    QSignalSpy removed(ds.get(), &QAbstractItemModel::rowsRemoved);
    QSignalSpy changed(ds.get(), &QAbstractItemModel::dataChanged);
    QSignalSpy current(ds.get(), &CachedDataset::currentRowChanged);

    QVERIFY(ds->open());
    QCOMPARE(resets.size(), 1);
    QCOMPARE(current.size(), 1);
    QVERIFY(ds->setValue("AMT", 1));
    QCOMPARE(changed.size(), 1);
    QCOMPARE(changed.last().at(0).toModelIndex(), ds->index(0, 6));
    QVERIFY(ds->append());
    QCOMPARE(inserted.size(), 1);
    QVERIFY(ds->setValue("ACC_CODE", "11050"));
    QVERIFY(ds->moveTo(1));
    QVERIFY(ds->remove());
    QCOMPARE(removed.size(), 1);
    QVERIFY(ds->last());
    QVERIFY(ds->remove());   // an appended row goes for good
    QCOMPARE(removed.size(), 2);
    QVERIFY(ds->append());
    ds->cancel();
    QCOMPARE(removed.size(), 3);

    // With controls disabled a loop of changes shows as one reset at the end.
    resets.clear();
    inserted.clear();
    changed.clear();
    current.clear();
    ds->disableControls();
    ds->disableControls();
    for (int i = 0; i < 50; ++i) {
        QVERIFY(ds->append());
        QVERIFY(ds->setValue("ACC_CODE", QString::number(20000 + i)));
    }
    QVERIFY(ds->first());
    QVERIFY(ds->remove());
    ds->enableControls();
    QCOMPARE(resets.size(), 0);
    ds->enableControls();
    QCOMPARE(resets.size(), 1);
    QCOMPARE(inserted.size(), 0);
    QCOMPARE(changed.size(), 0);
    QCOMPARE(current.size(), 1);
    QCOMPARE(current.last().at(0).toInt(), 0);
    QCOMPARE(ds->rowCount(), 51);

    ds->cancelUpdates();
    QCOMPARE(ds->rowCount(), 3);
    ds->close();
    QCOMPARE(ds->rowCount(), 0);
    QCOMPARE(resets.size(), 3);
}

QTEST_GUILESS_MAIN(tst_CachedDatasetModel)
#include "tst_cached_dataset_model.moc"
