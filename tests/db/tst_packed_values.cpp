#include "db/cached_row.h"
#include "db/packed_values.h"

#include <QDate>
#include <cmath>
#include <QtTest>

// A loaded row held compactly must give back every value exactly as it was read:
// its type, a typed null (a NULL column binds NULL again) and a null text told
// from an empty one; a value of a type it does not pack keeps the row a list.
class tst_PackedValues : public QObject
{
    Q_OBJECT

private slots:
    void roundTrip_data();
    void roundTrip();
    void rowsShareTexts();
    void editLeavesOriginal();
};

void tst_PackedValues::roundTrip_data()
{
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<bool>("compact");
    QTest::newRow("invalid") << QVariant() << true;
    QTest::newRow("NULL text column") << QVariant(QMetaType::fromType<QString>()) << true;
    QTest::newRow("NULL number column") << QVariant(QMetaType::fromType<double>()) << true;
    QTest::newRow("null text") << QVariant(QString()) << true;
    QTest::newRow("empty text") << QVariant(QStringLiteral("")) << true;
    QTest::newRow("Big5 text with blanks") << QVariant(QStringLiteral("H0001  縣市科目 ")) << true;
    QTest::newRow("int min") << QVariant(std::numeric_limits<int>::min()) << true;
    QTest::newRow("uint max") << QVariant(std::numeric_limits<uint>::max()) << true;
    QTest::newRow("longlong min") << QVariant(std::numeric_limits<qlonglong>::min()) << true;
    QTest::newRow("ulonglong max") << QVariant(std::numeric_limits<qulonglong>::max()) << true;
    QTest::newRow("double -0.1") << QVariant(-0.1) << true;
    QTest::newRow("double largest") << QVariant(std::numeric_limits<double>::max()) << true;
    QTest::newRow("bool") << QVariant(true) << true;
    QTest::newRow("date stays a list") << QVariant(QDate(2026, 3, 5)) << false;
    QTest::newRow("NULL date column stays a list") << QVariant(QMetaType::fromType<QDate>()) << false;
    QTest::newRow("NULL bool column") << QVariant(QMetaType::fromType<bool>()) << true;
    // Numbers held in four bytes where an int holds them exactly, in eight otherwise.
    QTest::newRow("whole amount") << QVariant(1234567.0) << true;
    QTest::newRow("double -0.0 keeps its sign") << QVariant(-0.0) << true;
    QTest::newRow("double just past int") << QVariant(2147483648.0) << true;
    QTest::newRow("double just below int") << QVariant(-2147483649.0) << true;
    QTest::newRow("longlong int min") << QVariant(qlonglong(std::numeric_limits<int>::min())) << true;
    QTest::newRow("longlong just past int") << QVariant(qlonglong(std::numeric_limits<int>::max()) + 1) << true;
    QTest::newRow("ulonglong small") << QVariant(qulonglong(7)) << true;
    QTest::newRow("ulonglong just past int") << QVariant(qulonglong(std::numeric_limits<int>::max()) + 1) << true;
}

void tst_PackedValues::roundTrip()
{
    QFETCH(QVariant, value);
    QFETCH(bool, compact);
    const QExplicitlySharedDataPointer<TextPool> pool(new TextPool);
    const QVariantList values{QStringLiteral("995"), value, 7};
    const PackedValues packed(values, pool.data());
    QCOMPARE(packed.isCompact(), compact);
    QCOMPARE(packed.size(), 3);
    const QVariant back = packed.at(1);
    QCOMPARE(back.metaType(), value.metaType());
    QCOMPARE(back.isNull(), value.isNull());
    QCOMPARE(back, value);
    if (value.metaType() == QMetaType::fromType<QString>())
        QCOMPARE(back.toString().isNull(), value.toString().isNull());
    if (value.metaType() == QMetaType::fromType<double>())
        QCOMPARE(std::signbit(back.toDouble()), std::signbit(value.toDouble()));
    QCOMPARE(packed.toList(), values);
    QCOMPARE(packed.at(3), QVariant());
    QCOMPARE(packed.at(-1), QVariant());
}

void tst_PackedValues::rowsShareTexts()
{
    const QExplicitlySharedDataPointer<TextPool> pool(new TextPool);
    QList<CachedRow> rows;
    for (int i = 0; i < 100; ++i)
        rows << CachedRow::loaded({QStringLiteral("995"), QStringLiteral("A  台北市"), i}, *pool);
    QCOMPARE(pool->size(), 2);
    QCOMPARE(rows.at(99).value(1), QVariant(QStringLiteral("A  台北市")));
    QCOMPARE(rows.at(42).value(2), QVariant(42));
}

void tst_PackedValues::editLeavesOriginal()
{
    QList<CachedRow> rows;
    {
        // The pool outlives its load: the rows hold it.
        const QExplicitlySharedDataPointer<TextPool> pool(new TextPool);
        rows << CachedRow::loaded({QStringLiteral("11000"), 12.5}, *pool);
    }
    CachedRow &row = rows[0];
    row.setValue(1, 0.0);
    row.settleAfterEdit();
    QCOMPARE(row.status(), CachedRow::Status::Modified);
    QCOMPARE(row.originalValue(0), QVariant(QStringLiteral("11000")));
    QCOMPARE(row.originalValue(1), QVariant(12.5));
    row.setValue(1, 12.5);
    row.settleAfterEdit();
    QCOMPARE(row.status(), CachedRow::Status::Unmodified);
}

QTEST_GUILESS_MAIN(tst_PackedValues)
#include "tst_packed_values.moc"
