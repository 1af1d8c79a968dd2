#include "db/lookup_index.h"
#include "db/lookup_key.h"

#include <QtTest>

// The look-up hashes of a row cache: exact matches by value, one hash per
// field list, kept up to date as rows change instead of rebuilt.
class tst_LookupIndex : public QObject
{
    Q_OBJECT

private slots:
    void matches_data();
    void matches();
    void followsChanges_data();
    void followsChanges();
};

namespace {

enum Field { Code, Year, Amount };

// Storage rows 0..4: code, year, amount.
QList<CachedRow> sampleRows()
{
    return {CachedRow::loaded({"A", 115, 1.0}), CachedRow::loaded({"B  ", 115, 2.0}),
            CachedRow::loaded({"A", 116, 88.0}), CachedRow::loaded({"A", 115, 3.0}),
            CachedRow::loaded({QVariant(), qlonglong(115), 4.5})};
}

// What the hash must answer: a plain scan with the same keys.
QList<int> scan(const QList<CachedRow> &rows, const QList<int> &fields, const QVariantList &values)
{
    QList<int> out;
    for (int s = 0; s < rows.size(); ++s) {
        QVariantList key;
        for (int f : fields)
            key << rows.at(s).value(f);
        if (LookupKey::of(key) == LookupKey::of(values))
            out << s;
    }
    return out;
}

} // namespace

void tst_LookupIndex::matches_data()
{
    QTest::addColumn<QList<int>>("fields");
    QTest::addColumn<QVariantList>("values");
    QTest::addColumn<QList<int>>("expected");

    QTest::newRow("every match, ascending") << QList<int>{Code} << QVariantList{"A"} << QList<int>{0, 2, 3};
    QTest::newRow("text without trailing blanks") << QList<int>{Code} << QVariantList{"B"} << QList<int>{1};
    QTest::newRow("blanks in the value too") << QList<int>{Code} << QVariantList{"B    "} << QList<int>{1};
    QTest::newRow("an integer by value") << QList<int>{Year} << QVariantList{115.0} << QList<int>{0, 1, 3, 4};
    QTest::newRow("a float by value") << QList<int>{Amount} << QVariantList{88} << QList<int>{2};
    QTest::newRow("two fields") << QList<int>{Code, Year} << QVariantList{"A", 115} << QList<int>{0, 3};
    QTest::newRow("fields in another order") << QList<int>{Year, Code} << QVariantList{115, "A"} << QList<int>{0, 3};
    QTest::newRow("NULL matches NULL") << QList<int>{Code} << QVariantList{QVariant()} << QList<int>{4};
    QTest::newRow("an empty text is no NULL") << QList<int>{Code} << QVariantList{""} << QList<int>{};
    QTest::newRow("parts do not run together") << QList<int>{Code, Year} << QVariantList{"A1", 15} << QList<int>{};
    QTest::newRow("a miss") << QList<int>{Code} << QVariantList{"Z"} << QList<int>{};
    QTest::newRow("fewer values than fields") << QList<int>{Code, Year} << QVariantList{"A"} << QList<int>{};
    QTest::newRow("no fields") << QList<int>{} << QVariantList{} << QList<int>{};
}

void tst_LookupIndex::matches()
{
    QFETCH(QList<int>, fields);
    QFETCH(QVariantList, values);
    QFETCH(QList<int>, expected);
    const QList<CachedRow> rows = sampleRows();
    LookupIndex index;
    QCOMPARE(index.matches(fields, values, rows), expected);
    // Asked again, the same hash answers: none is built twice.
    const int hashes = index.hashCount();
    QCOMPARE(index.matches(fields, values, rows), expected);
    QCOMPARE(index.hashCount(), hashes);
    QCOMPARE(hashes, fields.isEmpty() || fields.size() != values.size() ? 0 : 1);
    index.clear();
    QVERIFY(index.isEmpty());
}

void tst_LookupIndex::followsChanges_data()
{
    QTest::addColumn<int>("storage");            // the row changed; the row count appends one
    QTest::addColumn<QVariantList>("after");     // its values after the change
    QTest::addColumn<QVariantList>("codeYear");  // looked up by code and year
    QTest::addColumn<QList<int>>("expected");

    QTest::newRow("a row leaves its old key") << 0 << QVariantList{"C", 115, 1.0} << QVariantList{"A", 115}
                                              << QList<int>{3};
    QTest::newRow("a row takes a new key") << 0 << QVariantList{"C", 115, 1.0} << QVariantList{"C", 115}
                                           << QList<int>{0};
    QTest::newRow("a row joins a key in storage order") << 1 << QVariantList{"A", 115, 2.0}
                                                        << QVariantList{"A", 115} << QList<int>{0, 1, 3};
    QTest::newRow("the last row of a key goes") << 2 << QVariantList{"A", 117, 88.0} << QVariantList{"A", 116}
                                                << QList<int>{};
    QTest::newRow("a change outside the fields keeps the key") << 3 << QVariantList{"A", 115, 9.0}
                                                               << QVariantList{"A", 115} << QList<int>{0, 3};
    QTest::newRow("a number of another type is no change") << 3 << QVariantList{"A  ", 115.0, 3.0}
                                                           << QVariantList{"A", 115} << QList<int>{0, 3};
    QTest::newRow("an appended row comes last") << 5 << QVariantList{"A", 115, 0.0} << QVariantList{"A", 115}
                                                << QList<int>{0, 3, 5};
    QTest::newRow("an appended empty row") << 5 << QVariantList(3) << QVariantList{QVariant(), QVariant()}
                                           << QList<int>{5};
}

void tst_LookupIndex::followsChanges()
{
    QFETCH(int, storage);
    QFETCH(QVariantList, after);
    QFETCH(QVariantList, codeYear);
    QFETCH(QList<int>, expected);
    QList<CachedRow> rows = sampleRows();
    LookupIndex index;
    // Two field lists hashed before the change: both must follow it.
    index.matches({Code, Year}, {"A", 115}, rows);
    index.matches({Year}, {115}, rows);
    QCOMPARE(index.hashCount(), 2);

    if (storage == rows.size()) {
        rows << CachedRow::loaded(after);
        index.rowAppended(storage, after);
    } else {
        const QVariantList before = rows.at(storage).values();
        rows[storage].restoreValues(after);
        index.rowChanged(storage, before, after);
    }
    QCOMPARE(index.matches({Code, Year}, codeYear, rows), expected);
    for (const QVariant &year : {115, 116, 117})
        QCOMPARE(index.matches({Year}, {year}, rows), scan(rows, {Year}, {year}));
    QCOMPARE(index.hashCount(), 2);   // followed, not rebuilt
}

QTEST_GUILESS_MAIN(tst_LookupIndex)
#include "tst_lookup_index.moc"
