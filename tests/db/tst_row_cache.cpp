#include "db/row_cache.h"

#include <QtTest>

// The rows of a dataset with their cached changes: statuses, visible rows, the
// edit of one row, commit and revert, and look-ups that follow every change.
// Each case is a short script run on three loaded rows (code, amount)
// A 1, B 2, C 3:
//   edit R | append | set R code|amt V | post | cancel | remove R | commit | revert
class tst_RowCache : public QObject
{
    Q_OBJECT

private slots:
    void statuses_data();
    void statuses();
    void find_data();
    void find();
};

namespace {

enum Field { Code, Amount };

RowCache loadedCache()
{
    RowCache cache;
    cache.load({{"A", 1.0}, {"B", 2.0}, {"C", 3.0}});
    return cache;
}

void run(RowCache &cache, const QString &script)
{
    for (const QString &step : script.split(u';', Qt::SkipEmptyParts)) {
        const QStringList w = step.simplified().split(u' ');
        const int row = w.value(1).toInt();
        if (w.at(0) == "edit")
            QVERIFY(cache.beginEdit(row));
        else if (w.at(0) == "append")
            cache.append(2);
        else if (w.at(0) == "set")
            QVERIFY(cache.setValue(row, w.at(2) == "code" ? Code : Amount,
                                   w.at(2) == "code" ? QVariant(w.at(3)) : QVariant(w.at(3).toDouble())));
        else if (w.at(0) == "post")
            cache.postEdit();
        else if (w.at(0) == "cancel")
            cache.cancelEdit();
        else if (w.at(0) == "remove")
            cache.removeRow(row);
        else if (w.at(0) == "commit")
            cache.commit();
        else if (w.at(0) == "revert")
            cache.revert();
        else
            QFAIL(qPrintable("unknown step " + step));
    }
}

// Every row in storage order as code and amount ("-" for NULL), followed by
// M, I or D unless it is unmodified: "A1 B9M C3D".
QString storage(const RowCache &cache)
{
    QStringList out;
    for (const CachedRow &row : cache.storage()) {
        QString text;
        for (const QVariant &v : row.values())
            text += v.isValid() ? v.toString() : QStringLiteral("-");
        switch (row.status()) {
        case CachedRow::Status::Unmodified: break;
        case CachedRow::Status::Modified: text += u'M'; break;
        case CachedRow::Status::Inserted: text += u'I'; break;
        case CachedRow::Status::Deleted: text += u'D'; break;
        }
        out << text;
    }
    return out.join(u' ');
}

} // namespace

void tst_RowCache::statuses_data()
{
    QTest::addColumn<QString>("script");
    QTest::addColumn<QString>("expected");   // storage() after the script
    QTest::addColumn<bool>("pending");

    QTest::newRow("loaded rows are unmodified") << "" << "A1 B2 C3" << false;
    QTest::newRow("a posted edit modifies") << "edit 1; set 1 amt 9; post" << "A1 B9M C3" << true;
    QTest::newRow("an edit back to the loaded value is none")
        << "edit 1; set 1 amt 9; post; edit 1; set 1 amt 2; post" << "A1 B2 C3" << false;
    QTest::newRow("a row in editing counts once set") << "edit 1; set 1 amt 9" << "A1 B9 C3" << true;
    QTest::newRow("a row in editing with nothing set") << "edit 1" << "A1 B2 C3" << false;
    QTest::newRow("cancel gives the values back") << "edit 1; set 1 amt 9; cancel" << "A1 B2 C3" << false;
    QTest::newRow("cancel keeps an earlier posted edit")
        << "edit 1; set 1 amt 9; post; edit 1; set 1 amt 5; cancel" << "A1 B9M C3" << true;
    QTest::newRow("an untouched appended row is no change") << "append" << "A1 B2 C3 --I" << false;
    QTest::newRow("a cancelled append leaves nothing") << "append; set 3 amt 4; cancel" << "A1 B2 C3" << false;
    QTest::newRow("an appended row edited again stays inserted")
        << "append; set 3 amt 4; post; edit 3; set 3 amt 6; post" << "A1 B2 C3 -6I" << true;
    QTest::newRow("a removed row stays as deleted") << "remove 0" << "A1D B2 C3" << true;
    QTest::newRow("a row removed in editing goes as loaded") << "edit 1; set 1 amt 9; remove 1" << "A1 B2D C3"
                                                              << true;
    QTest::newRow("a removed appended row is forgotten") << "append; set 3 amt 4; post; remove 3" << "A1 B2 C3"
                                                          << false;
    QTest::newRow("an appended row removed in editing") << "append; set 3 amt 4; remove 3" << "A1 B2 C3" << false;
    QTest::newRow("rows after a deleted one renumber") << "remove 0; edit 0; set 0 amt 9; post" << "A1D B9M C3"
                                                        << true;
    QTest::newRow("commit drops deleted rows, settles the rest")
        << "remove 0; edit 0; set 0 amt 9; post; append; set 2 amt 7; post; commit" << "B9 C3 -7" << false;
    QTest::newRow("revert goes back to the loaded rows")
        << "edit 0; set 0 amt 9; post; remove 1; append; set 2 amt 4; revert" << "A1 B2 C3" << false;
    QTest::newRow("revert goes back to the last commit")
        << "edit 0; set 0 amt 9; post; commit; edit 1; set 1 amt 8; post; remove 2; revert" << "A9 B2 C3" << false;
    QTest::newRow("commit keeps the edit of a row in editing")
        << "edit 0; set 0 amt 9; post; edit 0; set 0 amt 5; commit; post" << "A5M B2 C3" << true;
    QTest::newRow("whose committed form is its last posted one")
        << "edit 0; set 0 amt 9; post; edit 0; set 0 amt 5; commit; revert" << "A9 B2 C3" << false;
    QTest::newRow("commit keeps an appended row in editing")
        << "remove 0; append; set 2 amt 4; commit" << "B2 C3 -4I" << true;
    QTest::newRow("which is not committed") << "append; set 3 amt 4; commit; revert" << "A1 B2 C3" << false;
    QTest::newRow("cancel after a commit drops the appended row")
        << "remove 0; append; set 2 amt 4; commit; cancel" << "B2 C3" << false;
}

void tst_RowCache::statuses()
{
    QFETCH(QString, script);
    QFETCH(QString, expected);
    QFETCH(bool, pending);
    RowCache cache = loadedCache();
    run(cache, script);
    QCOMPARE(storage(cache), expected);
    QCOMPARE(cache.hasChanges(), pending);
    // The visible rows are the rows not deleted, in storage order.
    QCOMPARE(cache.count(), int(cache.storageCount() - expected.count(u'D')));
    for (int row = 0; row < cache.count(); ++row) {
        QVERIFY(!cache.at(row).isDeleted());
        QCOMPARE(cache.rowOf(cache.storageOf(row)), row);
    }
    QCOMPARE(cache.storageOf(cache.count()), -1);
}

void tst_RowCache::find_data()
{
    QTest::addColumn<QString>("script");
    QTest::addColumn<QString>("code");
    QTest::addColumn<int>("expected");   // visible row, -1 for none

    QTest::newRow("a loaded row") << "" << "B" << 1;
    QTest::newRow("a miss") << "" << "Z" << -1;
    QTest::newRow("the first of equal rows") << "edit 2; set 2 code A; post" << "A" << 0;
    QTest::newRow("a changed row leaves its old code") << "edit 0; set 0 code Z" << "A" << -1;
    QTest::newRow("and is found under its new one") << "edit 0; set 0 code Z" << "Z" << 0;
    QTest::newRow("a cancelled edit restores the code") << "edit 0; set 0 code Z; cancel" << "A" << 0;
    QTest::newRow("a deleted row is passed over") << "remove 1" << "B" << -1;
    QTest::newRow("after a deleted one rows renumber") << "remove 0" << "C" << 1;
    QTest::newRow("a deleted row behind a visible one") << "edit 0; set 0 code B; post; remove 1" << "B" << 0;
    QTest::newRow("an appended row") << "append; set 3 code D" << "D" << 3;
    QTest::newRow("a cancelled append") << "append; set 3 code D; cancel" << "D" << -1;
    QTest::newRow("a removed appended row") << "append; set 3 code D; post; remove 3" << "D" << -1;
    QTest::newRow("a row after a removed appended row") << "append; set 3 code D; post; append; set 4 code E; "
                                                           "post; remove 3" << "E" << 3;
    QTest::newRow("revert") << "edit 0; set 0 code Z; post; revert" << "A" << 0;
    QTest::newRow("commit that drops a row") << "remove 0; commit; append; set 2 code A" << "A" << 2;
}

void tst_RowCache::find()
{
    QFETCH(QString, script);
    QFETCH(QString, code);
    QFETCH(int, expected);
    RowCache cache = loadedCache();
    QCOMPARE(cache.find({Code}, {"A"}), 0);   // hashes the codes before the script runs
    run(cache, script);
    QCOMPARE(cache.find({Code}, {code}), expected);
}

QTEST_GUILESS_MAIN(tst_RowCache)
#include "tst_row_cache.moc"
