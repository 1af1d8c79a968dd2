#include "db/cached_dataset.h"
#include "db/schema.h"
#include "tests/db/month_dataset_fixture.h"
#include "tests/support/engine_words.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QSqlQuery>
#include <QtTest>

// The dataset every tab, the import and the checks work on: rows in memory,
// changes cached until applied in one transaction, keyed on the old values.
class tst_CachedDataset : public MonthDatasetFixture
{
    Q_OBJECT

private slots:
    void init() { setUp(); }

    void openBindsNamedParameters();
    void openFailsWithEngineMessage();
    void cursorFlags();
    void editPostCancel();
    void setValuesAtOnce_data();
    void setValuesAtOnce();
    void droppedRowIsNotPostedByAViewMovingOff_data();
    void droppedRowIsNotPostedByAViewMovingOff();
    void appendAndUntouchedRows();
    void applyRunsDeletesModifiesInserts();
    void applyFindsRowsByOldKey();
    void failingApplyLeavesTableAndCache();
    void applyInsideCallersTransaction();
    void applyRefusesVanishedRowAndWideText();
    void applyRefusesUnstorableModifiedText_data();
    void applyRefusesUnstorableModifiedText();
    void modifyKeepsFieldsNotRead();
    void cancelUpdatesAndCommit();
    void commitWhileEditingKeepsTheTypedValue();
    void guards();
    void locate();
    void emptyRowsKeepsFields();
};

void tst_CachedDataset::openBindsNamedParameters()
{
    addMonth(115, 10, 3);
    addMonth(115, 11, 2);
    auto ds = monthDataset();
    QVERIFY2(ds->open(), qPrintable(ds->lastError()));
    QCOMPARE(ds->recordCount(), 3);
    QCOMPARE(ds->fieldNames(), (QStringList{"M_YEAR", "M_MONTH", "BANK_CODE", "ACC_CODE", "SERIAL", "ACCNAME", "AMT"}));
    QCOMPARE(ds->fieldIndex("AMT"), 6);
    QCOMPARE(ds->value(1, "ACCNAME").toString(), QString("11010  科目1"));
    QCOMPARE(ds->value(2, "AMT").toDouble(), 300.0);
    QCOMPARE(ds->value(2, ds->fieldIndex("amt")).toDouble(), 300.0);   // by index, found case-insensitively
    for (const auto &[row, field] : {std::pair{2, 7}, {2, -1}, {3, 6}, {-1, 6}})
        QVERIFY2(ds->value(row, field).isNull(), qPrintable(QStringLiteral("%1,%2").arg(row).arg(field)));

    // A parameter used twice, a colon inside a literal, a parameter the
    // statement does not name: only what occurs is bound.
    CachedDataset other;
    other.setSql("select ACC_CODE, ':seMM' as TAG from MPBANK where M_MONTH = :m + 8 and SERIAL <= :m order by rowid");
    other.setParam("m", 2);
    other.setParam("unused", 1);
    QVERIFY2(other.open(), qPrintable(other.lastError()));
    QCOMPARE(other.recordCount(), 2);
    QCOMPARE(other.value(0, "TAG").toString(), QString(":seMM"));

    // Reopening runs the statement again with the current parameters.
    ds->setParam("seMM", 11);
    QVERIFY(ds->open());
    QCOMPARE(ds->recordCount(), 2);
    ds->setSql("select * from CD01");   // a new statement closes the dataset
    QVERIFY(!ds->isOpen());
    QCOMPARE(ds->recordCount(), 0);
}

void tst_CachedDataset::openFailsWithEngineMessage()
{
    CachedDataset ds;
    ds.setSql("select * from NO_TABLE");
    QVERIFY(!ds.open());
    QVERIFY(ds.lastError().contains(EngineWords::missingTable()));
    QVERIFY(!ds.isOpen());
    CachedDataset nowhere("no connection");
    nowhere.setSql("select 1");
    QVERIFY(!nowhere.open());
    QVERIFY(!nowhere.lastError().isEmpty());
}

void tst_CachedDataset::cursorFlags()
{
    auto ds = openMonth(3);
    QVERIFY(ds->isOpen());
    QVERIFY(ds->bof() && !ds->eof());   // begin flag set when loaded
    QCOMPARE(ds->currentRow(), 0);
    QVERIFY(!ds->prior());
    QVERIFY(ds->bof());
    QVERIFY(ds->next());
    QVERIFY(!ds->bof() && !ds->eof());  // a successful step clears both
    QVERIFY(ds->last());
    QVERIFY(ds->eof() && !ds->bof());
    QVERIFY(!ds->next());
    QCOMPARE(ds->currentRow(), 2);
    QVERIFY(ds->moveTo(1));
    QVERIFY(!ds->bof() && !ds->eof());
    QVERIFY(!ds->moveTo(3));
    QCOMPARE(ds->currentRow(), 1);
    QVERIFY(ds->first());
    QVERIFY(ds->bof());

    // The usual loop visits every row once.
    QStringList codes;
    for (ds->first(); !ds->eof(); ds->next())
        codes << ds->value("ACC_CODE").toString();
    QCOMPARE(codes, (QStringList{"11000", "11010", "11020"}));

    ds->setParam("seMM", 12);
    QVERIFY(ds->open());
    QVERIFY(ds->isEmpty() && ds->bof() && ds->eof());
    QCOMPARE(ds->currentRow(), -1);
    QVERIFY(!ds->next() && !ds->first() && !ds->edit() && !ds->remove());
    QVERIFY(!ds->setValue("AMT", 1));
}

// A view on the row being removed moves its cursor off it while the model
// announces the removal; the dataset must not move then, or it would post the
// very row that is being dropped (a discarded new row would be saved).
void tst_CachedDataset::droppedRowIsNotPostedByAViewMovingOff_data()
{
    QTest::addColumn<bool>("byRemove");
    QTest::newRow("cancel of an appended row") << false;
    QTest::newRow("remove of an appended row") << true;
}

void tst_CachedDataset::droppedRowIsNotPostedByAViewMovingOff()
{
    QFETCH(bool, byRemove);
    auto ds = openMonth(2);
    QVERIFY(ds->isOpen());
    QVERIFY(ds->append());
    QVERIFY(ds->setValue("ACC_CODE", accountCode(5)));
    QVERIFY(ds->setValue("AMT", 9.0));
    bool moveRefused = false;
    connect(ds.get(), &QAbstractItemModel::rowsAboutToBeRemoved, this,
            [&] { moveRefused = !ds->moveTo(0); });
    if (byRemove)
        QVERIFY(ds->remove());
    else
        ds->cancel();
    QVERIFY(moveRefused);
    QCOMPARE(ds->recordCount(), 2);
    QCOMPARE(ds->state(), CachedDataset::State::Browse);
    QVERIFY(!ds->hasPendingUpdates());
    QVERIFY(ds->applyUpdates());
    QCOMPARE(m_db->count("MPBANK"), 2);
}

void tst_CachedDataset::editPostCancel()
{
    auto ds = openMonth(2);
    QVERIFY(ds->isOpen());
    QVERIFY(ds->setValue("AMT", 5.5));   // a browse row goes into editing
    QCOMPARE(ds->state(), CachedDataset::State::Edit);
    QCOMPARE(ds->originalValue("AMT").toDouble(), 100.0);
    ds->cancel();
    QCOMPARE(ds->state(), CachedDataset::State::Browse);
    QCOMPARE(ds->value("AMT").toDouble(), 100.0);
    QCOMPARE(ds->rowStatus(0), CachedDataset::RowStatus::Unmodified);
    QVERIFY(!ds->hasPendingUpdates());

    QVERIFY(ds->edit());
    QVERIFY(ds->setValue("AMT", "7"));   // numbers typed as text are numbers
    QCOMPARE(ds->value("AMT").typeId(), QMetaType::Double);
    QVERIFY(ds->post());
    QCOMPARE(ds->rowStatus(0), CachedDataset::RowStatus::Modified);
    QVERIFY(ds->hasPendingUpdates());
    // Putting the loaded value back is no change.
    QVERIFY(ds->setValue("AMT", 100));
    QVERIFY(ds->post());
    QCOMPARE(ds->rowStatus(0), CachedDataset::RowStatus::Unmodified);

    // A move posts the row in editing.
    QVERIFY(ds->setValue("AMT", 1));
    QVERIFY(ds->next());
    QCOMPARE(ds->state(), CachedDataset::State::Browse);
    QCOMPARE(ds->rowStatus(0), CachedDataset::RowStatus::Modified);
    QVERIFY(!ds->setValue("NO_FIELD", 1));
    QCOMPARE(stored(), QString("11000=100.0;11010=200.0"));   // nothing written yet
}

// Several fields set at once behave as each set alone: typed as the field,
// the row into editing, and nothing set at all when one name is no field.
void tst_CachedDataset::setValuesAtOnce_data()
{
    QTest::addColumn<QStringList>("fields");
    QTest::addColumn<QVariantList>("values");
    QTest::addColumn<bool>("set");
    QTest::addColumn<QString>("row");   // ACC_CODE=AMT of the current row afterwards

    QTest::newRow("two fields") << QStringList{"ACC_CODE", "AMT"} << QVariantList{"12000", "7"} << true << "12000=7";
    QTest::newRow("names in any case") << QStringList{"amt"} << QVariantList{2.5} << true << "11000=2.5";
    QTest::newRow("one name no field") << QStringList{"AMT", "NO_FIELD"} << QVariantList{1, 1} << false
                                       << "11000=100";
    QTest::newRow("fewer values than fields") << QStringList{"AMT", "ACC_CODE"} << QVariantList{1} << false
                                              << "11000=100";
}

void tst_CachedDataset::setValuesAtOnce()
{
    QFETCH(QStringList, fields);
    QFETCH(QVariantList, values);
    QFETCH(bool, set);
    QFETCH(QString, row);
    auto ds = openMonth(1);
    QVERIFY(ds->isOpen());
    QCOMPARE(ds->setValues(fields, values), set);
    QCOMPARE(ds->state(), set ? CachedDataset::State::Edit : CachedDataset::State::Browse);
    QCOMPARE(ds->value("ACC_CODE").toString().trimmed() + u'=' + QString::number(ds->value("AMT").toDouble()), row);
    if (set)
        QCOMPARE(ds->value("AMT").typeId(), QMetaType::Double);
}

void tst_CachedDataset::appendAndUntouchedRows()
{
    auto ds = openMonth(1);
    QVERIFY(ds->isOpen());
    QVERIFY(ds->append());
    QCOMPARE(ds->state(), CachedDataset::State::Insert);
    QCOMPARE(ds->currentRow(), 1);
    QCOMPARE(ds->recordCount(), 2);
    QVERIFY(ds->value("AMT").isNull());
    QVERIFY(!ds->hasPendingUpdates());   // nothing typed yet
    // Nothing typed into it: moving away drops it, as does cancel.
    QVERIFY(ds->first());
    QCOMPARE(ds->recordCount(), 1);
    QVERIFY(ds->append());
    ds->cancel();
    QCOMPARE(ds->recordCount(), 1);
    QCOMPARE(ds->currentRow(), 0);
    // A filled row stays, and removing an appended row forgets it entirely.
    QVERIFY(ds->append());
    QVERIFY(ds->setValue("ACC_CODE", "11010"));
    QVERIFY(ds->hasPendingUpdates());
    QVERIFY(ds->post());
    QCOMPARE(ds->rowStatus(1), CachedDataset::RowStatus::Inserted);
    QVERIFY(ds->remove());
    QCOMPARE(ds->recordCount(), 1);
    QVERIFY(!ds->hasPendingUpdates());
}

void tst_CachedDataset::applyRunsDeletesModifiesInserts()
{
    auto ds = openMonth(2);   // 11000 and 11010
    QVERIFY(ds->isOpen());
    // Each step only works after the one before it: the modified row takes the
    // deleted row's key, the new row takes the modified row's old key.
    QVERIFY(ds->remove());                       // 11000
    QVERIFY(ds->setValue("ACC_CODE", "11000"));   // 11010 -> 11000
    QVERIFY(ds->setValue("AMT", 1.25));
    QVERIFY(ds->append());
    for (auto [f, v] : std::initializer_list<std::pair<const char *, QVariant>>{
             {"M_YEAR", 115}, {"M_MONTH", 10}, {"BANK_CODE", "995"}, {"ACC_CODE", "11010"}, {"AMT", 9}, {"SERIAL", 3}})
        QVERIFY(ds->setValue(f, v));
    QVERIFY2(ds->applyUpdates(), qPrintable(ds->lastError()));
    QCOMPARE(ds->state(), CachedDataset::State::Browse);   // the appended row was posted
    QCOMPARE(stored(), QString("11000=1.25;11010=9.0"));
    // Applied but not committed: the cache still holds the changes.
    QVERIFY(ds->hasPendingUpdates());
    ds->commitUpdates();
    QVERIFY(!ds->hasPendingUpdates());
    QCOMPARE(ds->recordCount(), 2);
    QCOMPARE(ds->rowStatus(0), CachedDataset::RowStatus::Unmodified);
    // Applying a committed cache writes nothing more.
    QVERIFY(ds->applyUpdates());
    QCOMPARE(m_db->count("MPBANK"), 2);
}

void tst_CachedDataset::applyFindsRowsByOldKey()
{
    auto ds = openMonth(3);
    QVERIFY(ds->isOpen());
    QVERIFY(ds->moveTo(1));
    QVERIFY(ds->setValue("ACC_CODE", "11050"));
    QVERIFY(ds->post());
    QVERIFY(ds->applyUpdates());
    ds->commitUpdates();
    QCOMPARE(m_db->count("MPBANK"), 3);   // changed in place, not added
    QCOMPARE(m_db->count("MPBANK", "ACC_CODE = '11010'"), 0);
    // After the commit the new key is the old key of the next change.
    QVERIFY(ds->setValue("AMT", 42));
    QVERIFY(ds->applyUpdates());
    ds->commitUpdates();
    QCOMPARE(m_db->scalar("select AMT from MPBANK where ACC_CODE = '11050'").toDouble(), 42.0);
    // A deleted row goes by its loaded key even when it was edited first.
    QVERIFY(ds->setValue("ACC_CODE", "99999"));
    QVERIFY(ds->remove());
    QVERIFY(ds->applyUpdates());
    QCOMPARE(m_db->count("MPBANK"), 2);
    QCOMPARE(m_db->count("MPBANK", "ACC_CODE = '11050'"), 0);
}

void tst_CachedDataset::failingApplyLeavesTableAndCache()
{
    addMonth(115, 10, 3);
    QVERIFY(m_db->insertRow("MPBANK", {{"M_YEAR", 115}, {"M_MONTH", 10}, {"BANK_CODE", "995"},
                                       {"ACC_CODE", "11050"}, {"AMT", 1}, {"SERIAL", 9}}));
    auto ds = monthDataset();
    ds->setSql(ds->sql().replace("order by", "and a.SERIAL < 9 order by"));
    QVERIFY(ds->open());
    const QString before = stored();
    QVERIFY(ds->remove());                       // 11000
    QVERIFY(ds->setValue("AMT", 77));            // 11010
    QVERIFY(ds->post());
    QVERIFY(ds->append());
    for (auto [f, v] : std::initializer_list<std::pair<const char *, QVariant>>{
             {"M_YEAR", 115}, {"M_MONTH", 10}, {"BANK_CODE", "995"}, {"ACC_CODE", "11050"}, {"AMT", 5}, {"SERIAL", 4}})
        QVERIFY(ds->setValue(f, v));   // the key of a stored row the dataset did not load
    QVERIFY(ds->post());

    QVERIFY(!ds->applyUpdates());
    QVERIFY2(ds->lastError().contains(EngineWords::repeatedKey()), qPrintable(ds->lastError()));
    QCOMPARE(stored(), before);   // the delete and the modify were rolled back
    QVERIFY(m_db->noTransactionOpen());   // and no transaction is left open
    QCOMPARE(ds->recordCount(), 3);
    QCOMPARE(ds->rowStatus(0), CachedDataset::RowStatus::Modified);
    QCOMPARE(ds->rowStatus(2), CachedDataset::RowStatus::Inserted);
    QCOMPARE(ds->value(0, "AMT").toDouble(), 77.0);
    QVERIFY(ds->hasPendingUpdates());

    // Mended, the same cache applies.
    QVERIFY(ds->moveTo(2));
    QVERIFY(ds->setValue("ACC_CODE", "11040"));
    QVERIFY2(ds->applyUpdates(), qPrintable(ds->lastError()));
    QCOMPARE(stored(), QString("11010=77.0;11020=300.0;11040=5.0;11050=1.0"));
}

void tst_CachedDataset::applyInsideCallersTransaction()
{
    auto ds = openMonth(2);
    QVERIFY(ds->isOpen());
    QSqlDatabase db = m_db->db();

    // The caller's rollback takes the applied rows back with it.
    QVERIFY(db.transaction());
    QVERIFY(ds->remove());
    QVERIFY(ds->applyUpdates());
    QCOMPARE(m_db->count("MPBANK"), 1);
    QVERIFY(db.rollback());
    QCOMPARE(m_db->count("MPBANK"), 2);
    ds->cancelUpdates();

    // A failing apply undoes only its own rows; the caller decides the rest.
    QVERIFY(db.transaction());
    QVERIFY(m_db->exec("insert into CD01 (HSIEN_ID) values ('Q')"));
    QVERIFY(ds->moveTo(1));
    QVERIFY(ds->setValue("ACC_CODE", "11000"));   // the second row onto the first row's key
    QVERIFY(!ds->applyUpdates());
    QCOMPARE(m_db->count("MPBANK"), 2);
    QCOMPARE(m_db->count("CD01"), 1);
    QVERIFY(db.commit());
    QCOMPARE(m_db->count("CD01"), 1);
}

void tst_CachedDataset::applyRefusesVanishedRowAndWideText()
{
    auto ds = openMonth(2);
    QVERIFY(ds->isOpen());
    QVERIFY(ds->setValue("AMT", 3));
    QVERIFY(m_db->exec("delete from MPBANK where ACC_CODE = '11000'"));
    QVERIFY(!ds->applyUpdates());
    QVERIFY2(ds->lastError().contains("11000"), qPrintable(ds->lastError()));
    ds->cancelUpdates();

    // Text wider than its field is refused before anything is written.
    QVERIFY(ds->moveTo(1));
    QVERIFY(ds->remove());
    QVERIFY(ds->append());
    QVERIFY(ds->setValue("ACC_CODE", "1234567"));   // text(5)
    QVERIFY(ds->post());
    QVERIFY(!ds->applyUpdates());
    QVERIFY2(ds->lastError().contains("ACC_CODE"), qPrintable(ds->lastError()));
    QCOMPARE(m_db->count("MPBANK"), 1);

    // Unset text is written as '' (never NULL), so the row can be found again.
    CachedDataset cd01;
    cd01.setSql("select * from CD01");
    cd01.setUpdateTable("CD01");
    QVERIFY(cd01.open());
    QVERIFY(cd01.append());
    QVERIFY(cd01.setValue("HSIEN_ID", "Z"));
    QVERIFY(cd01.applyUpdates());
    cd01.commitUpdates();
    QCOMPARE(m_db->scalar("select typeof(HSIEN_NAME) from CD01").toString(), QString("text"));
    QVERIFY(cd01.setValue("HSIEN_NAME", "新縣"));
    QVERIFY2(cd01.applyUpdates(), qPrintable(cd01.lastError()));
    QCOMPARE(m_db->scalar("select HSIEN_NAME from CD01").toString(), QString("新縣"));
}

void tst_CachedDataset::applyRefusesUnstorableModifiedText_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("reason");

    QTest::newRow("a key one byte too wide") << "ACC_CODE" << "110101" << "「ACC_CODE」超過 5 個位元組";
    QTest::newRow("two-byte characters over the width") << "BANK_CODE" << "995銀行銀" << "「BANK_CODE」超過 7 個位元組";
    QTest::newRow("a character Big5 lacks") << "ACC_CODE" << "1101\U0001F600" << "「ACC_CODE」含有 Big5 無法表示的字元";
}

// A loaded row changed to a text its field cannot hold stops the whole apply
// before its first statement: a delete in the same cache is not run either.
void tst_CachedDataset::applyRefusesUnstorableModifiedText()
{
    QFETCH(QString, field);
    QFETCH(QString, value);
    QFETCH(QString, reason);
    auto ds = openMonth(3);
    QVERIFY(ds->isOpen());
    const QString before = stored();
    QVERIFY(ds->remove());                  // 11000
    QVERIFY(ds->setValue(field, value));   // 11010, not through the grid's own refusal
    QVERIFY(ds->post());

    QVERIFY(!ds->applyUpdates());
    QVERIFY2(ds->lastError().startsWith(reason), qPrintable(ds->lastError()));
    QCOMPARE(stored(), before);
    QVERIFY(m_db->noTransactionOpen());
    QCOMPARE(ds->recordCount(), 2);
    QCOMPARE(ds->rowStatus(0), CachedDataset::RowStatus::Modified);
    QCOMPARE(ds->value(0, field).toString(), value);
    QCOMPARE(ds->value(1, "ACC_CODE").toString(), QString("11020"));
}

// A dataset that reads only some fields of its table changes only those.
void tst_CachedDataset::modifyKeepsFieldsNotRead()
{
    QVERIFY(m_db->insertRow("CD01", {{"HSIEN_ID", "A"}, {"HSIEN_NAME", "臺北市"}}));
    CachedDataset ids;
    ids.setSql("select HSIEN_ID from CD01");
    ids.setUpdateTable("CD01");
    QVERIFY(ids.open());
    QVERIFY(ids.setValue("HSIEN_ID", "Z"));
    QVERIFY2(ids.applyUpdates(), qPrintable(ids.lastError()));
    QCOMPARE(m_db->scalar("select HSIEN_ID || '=' || coalesce(HSIEN_NAME, 'NULL') from CD01").toString(),
             QString("Z=臺北市"));
    QCOMPARE(ids.updateSql().modifySql, Schema::modifyStatement(*Schema::table("CD01")));
}

void tst_CachedDataset::cancelUpdatesAndCommit()
{
    auto ds = openMonth(3);
    QVERIFY(ds->isOpen());
    QVERIFY(ds->setValue("AMT", 1));
    QVERIFY(ds->next());
    QVERIFY(ds->remove());
    QVERIFY(ds->append());
    QVERIFY(ds->setValue("ACC_CODE", "11050"));
    QCOMPARE(ds->recordCount(), 3);
    ds->cancelUpdates();
    QCOMPARE(ds->state(), CachedDataset::State::Browse);
    QCOMPARE(ds->recordCount(), 3);
    QCOMPARE(ds->value(0, "AMT").toDouble(), 100.0);
    QCOMPARE(ds->value(1, "ACC_CODE").toString(), QString("11010"));
    QVERIFY(!ds->hasPendingUpdates());

    // After a commit, cancelling goes back to the committed rows.
    QVERIFY(ds->moveTo(2));
    QVERIFY(ds->remove());
    QVERIFY(ds->applyUpdates());
    ds->commitUpdates();
    QVERIFY(ds->first());
    QVERIFY(ds->setValue("AMT", 2));
    ds->cancelUpdates();
    QCOMPARE(ds->recordCount(), 2);
    QCOMPARE(ds->value(0, "AMT").toDouble(), 100.0);
    QVERIFY(!ds->hasPendingUpdates());
    QCOMPARE(stored(), QString("11000=100.0;11010=200.0"));
}

void tst_CachedDataset::commitWhileEditingKeepsTheTypedValue()
{
    auto ds = openMonth(1);   // 11000 = 100
    QVERIFY(ds->isOpen());
    QVERIFY(ds->edit());
    QVERIFY(ds->setValue("AMT", 9));
    QVERIFY(ds->post());
    QVERIFY(ds->edit());
    QVERIFY(ds->setValue("AMT", 1));
    // The 9 becomes the row as committed; the 1 being typed is not lost.
    ds->commitUpdates();
    QCOMPARE(ds->state(), CachedDataset::State::Edit);
    QVERIFY(ds->post());
    QCOMPARE(ds->value("AMT").toDouble(), 1.0);
    QCOMPARE(ds->originalValue("AMT").toDouble(), 9.0);
    QCOMPARE(ds->rowStatus(0), CachedDataset::RowStatus::Modified);
    ds->cancelUpdates();
    QCOMPARE(ds->value("AMT").toDouble(), 9.0);
}

void tst_CachedDataset::guards()
{
    auto ds = openMonth(3);
    QVERIFY(ds->isOpen());
    int postAsked = 0;
    bool allowPost = false;
    bool allowScroll = true;
    ds->beforePost = [&] { ++postAsked; return allowPost; };
    ds->beforeScroll = [&] { return allowScroll; };

    QVERIFY(ds->setValue("AMT", 5));
    QVERIFY(!ds->post());
    QCOMPARE(ds->state(), CachedDataset::State::Edit);
    QVERIFY(!ds->next());                  // the move needs a post first
    QCOMPARE(ds->currentRow(), 0);
    QVERIFY(!ds->applyUpdates());
    QCOMPARE(m_db->count("MPBANK", "AMT = 5"), 0);
    QCOMPARE(ds->state(), CachedDataset::State::Edit);
    QCOMPARE(postAsked, 3);

    allowPost = true;
    allowScroll = false;
    QVERIFY(ds->post());
    QVERIFY(!ds->next());
    QVERIFY(!ds->last());
    QVERIFY(!ds->moveTo(2));
    QVERIFY(!ds->append());
    QVERIFY(!ds->locate({"ACC_CODE"}, {"11020"}));
    QCOMPARE(ds->currentRow(), 0);
    QCOMPARE(ds->recordCount(), 3);
    QVERIFY(ds->moveTo(0));              // staying on the row is no move
    // Editing, removing and applying are no moves.
    QVERIFY(ds->setValue("AMT", 6));
    QVERIFY(ds->applyUpdates());
    QCOMPARE(m_db->count("MPBANK", "AMT = 6"), 1);
}

void tst_CachedDataset::locate()
{
    addMonth(115, 10, 5);
    addMonth(115, 9, 2);
    CachedDataset ds;
    ds.setSql("select * from MPBANK order by M_MONTH desc, SERIAL");
    ds.setUpdateTable("MPBANK");
    QVERIFY(ds.open());
    const QStringList key{"M_YEAR", "m_month", "ACC_CODE"};
    QVERIFY(ds.locate(key, {115, 9, "11010"}));
    QCOMPARE(ds.currentRow(), 6);
    QVERIFY(!ds.bof() && !ds.eof());
    // Numbers by value, text without trailing blanks; a miss does not move.
    QVERIFY(ds.locate(key, {115.0, qlonglong(10), "11020  "}));
    QCOMPARE(ds.currentRow(), 2);
    QVERIFY(!ds.locate(key, {115, 9, "11020"}));
    QCOMPARE(ds.currentRow(), 2);
    QVERIFY(!ds.locate(key, {115, 10}));
    QVERIFY(!ds.locate({"NO_FIELD"}, {1}));
    QCOMPARE(ds.indexOf({"ACC_CODE"}, {"11000"}), 0);   // the first match in row order

    // The look-up follows the cache: changed, appended and removed rows.
    QVERIFY(ds.setValue("ACC_CODE", "19990"));
    QVERIFY(ds.post());
    QCOMPARE(ds.indexOf(key, {115, 10, "11020"}), -1);
    QCOMPARE(ds.indexOf(key, {115, 10, "19990"}), 2);
    QVERIFY(ds.append());
    QVERIFY(ds.setValue("M_YEAR", 116));
    QVERIFY(ds.setValue("M_MONTH", 1));
    QVERIFY(ds.setValue("ACC_CODE", "11000"));
    QCOMPARE(ds.indexOf(key, {116, 1, "11000"}), 7);
    QVERIFY(ds.first());
    QVERIFY(ds.remove());
    QCOMPARE(ds.indexOf({"ACC_CODE"}, {"11000"}), 4);   // the month 9 row now comes first
    ds.cancelUpdates();
    QCOMPARE(ds.indexOf(key, {115, 10, "11020"}), 2);
    QCOMPARE(ds.indexOf(key, {116, 1, "11000"}), -1);
}

void tst_CachedDataset::emptyRowsKeepsFields()
{
    addMonth(115, 10, 2);
    auto ds = monthDataset();
    QVERIFY(!ds->emptyRows());
    QVERIFY(ds->open());
    QVERIFY(ds->setValue("AMT", 3));
    QVERIFY(ds->emptyRows());
    QVERIFY(ds->isOpen() && ds->isEmpty() && !ds->hasPendingUpdates());
    QCOMPARE(ds->fieldIndex("ACCNAME"), 5);
    QVERIFY(ds->append());
    QVERIFY(ds->setValue("ACCNAME", "computed"));
    ds->close();
    QCOMPARE(ds->fieldIndex("AMT"), 6);   // fields and columns stay for the grid
    QCOMPARE(ds->columnCount(), 7);
    QCOMPARE(m_db->count("MPBANK"), 2);
}
QTEST_GUILESS_MAIN(tst_CachedDataset)
#include "tst_cached_dataset.moc"
