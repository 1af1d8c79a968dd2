#include "db/bills_codes.h"
#include "db/cached_dataset.h"
#include "db/declaration_kind.h"
#include "tests/support/test_database.h"

#include <QTest>
#include <memory>

using Kind = DeclarationKind;
using Repeats = DeclarationImport::Repeats;

namespace {

// "SERIAL<-line", "ACCNAME<-ACC_CODE in names", "MFLAG1<-FLAG1 in codes": an
// added field in a form a test row can spell.
QString describe(const AddedField &f)
{
    switch (f.source) {
    case AddedField::Source::LineNumber: return f.field + QStringLiteral("<-line");
    case AddedField::Source::ReferenceName: return f.field + QStringLiteral("<-%1 in names").arg(f.codeField);
    case AddedField::Source::BillsCodeLabel: return f.field + QStringLiteral("<-%1 in codes").arg(f.codeField);
    }
    return {};
}

} // namespace

// The registry: what the import of each kind runs and how it treats a file's
// rows, checked against the tables themselves, and the bills code labels.
class TstDeclarationKind : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void importRulesOfEveryKind_data();
    void importRulesOfEveryKind();
    void billsCodeLabels_data();
    void billsCodeLabels();

private:
    std::unique_ptr<TestDatabase> m_db;
};

// One month (88/5) of every kind for two institutions, one row of another month,
// and the reference rows the tab statements join, so that a statement meant to
// select nothing would show a row if its condition were wrong.
void TstDeclarationKind::initTestCase()
{
    m_db = std::make_unique<TestDatabase>(TestDatabase::Content::Empty);
    QVERIFY2(m_db->isValid(), qPrintable(m_db->lastError()));
    QVERIFY(m_db->exec({
             "insert into BN01 (BANK_NO, BANK_NAME) values ('ABC', 'A'), ('ABC0011', 'A1'), ('XYZ', 'X')",
             "insert into CACNO (ACC_CODE, ACC_NAME) values ('11000', 'cash')",
             "insert into HCACNO (ACC_CODE, ACC_NAME) values ('51000', 'deposits')",
             "insert into CD01 (HSIEN_ID, HSIEN_NAME) values ('A', 'north')",
             "insert into MPBANK values (88, 5, 'ABC', '11000', 1, 1), (88, 5, 'XYZ', '11000', 2, 1), "
             "(88, 4, 'ABC', '11000', 3, 1)",
             "insert into EM03 values (88, 5, 'ABC', 'ABC0011', 1.5), (88, 5, 'ABC', 'XYZ', 2), "
             "(88, 5, 'XYZ', 'ABC0011', 2.5)",
             "insert into EM08 (BANK_CODE, M_YEAR, M_MONTH, FLAG1, FLAG2, FLAG3, FLAG4, RATE) values "
             "('ABC', 88, 5, '1', '1', '01', '1', 2.5), ('XYZ', 88, 5, '1', '1', '01', '1', 2.5)",
             "insert into EM09 (BANK_CODE, M_YEAR, M_MONTH, FLAG1, FLAG2, FLAG3, AMT, AMT1) values "
             "('ABC', 88, 5, '0', '0', '01', 1, 2), ('XYZ', 88, 4, '0', '0', '01', 1, 2)",
             "insert into HMPBANK values (88, 5, 'ABC', 'A', '51000', 1), (88, 5, 'XYZ', 'A', '51000', 2)",
         }));
}

void TstDeclarationKind::importRulesOfEveryKind_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QStringList>("key");             // after BANK_CODE, M_YEAR, M_MONTH
    QTest::addColumn<bool>("firstLineWins");
    QTest::addColumn<QStringList>("periodParams");    // year, month of the stored statement
    QTest::addColumn<QStringList>("added");
    QTest::addColumn<int>("storedOfABC");             // rows of ABC in 88/5

    QTest::newRow("B01") << int(Kind::B01) << QStringList{"ACC_CODE"} << true << QStringList{"seYYY", "seMM"}
                         << QStringList{"SERIAL<-line", "ACCNAME<-ACC_CODE in names"} << 1;
    QTest::newRow("B02") << int(Kind::B02) << QStringList{"BANK_CODE1"} << false << QStringList{"seYYY4", "seMM4"}
                         << QStringList{"BANK_NAME<-BANK_CODE1 in names"} << 2;
    QTest::newRow("B03") << int(Kind::B03) << QStringList{"FLAG1", "FLAG2", "FLAG3", "FLAG4"} << false
                         << QStringList{"seYYY9", "seMM9"}
                         << QStringList{"MFLAG1<-FLAG1 in codes", "MFLAG2<-FLAG2 in codes", "MFLAG3<-FLAG3 in codes",
                                        "MFLAG4<-FLAG4 in codes"}
                         << 1;
    // Trading has three flags: no MFLAG4.
    QTest::newRow("B04") << int(Kind::B04) << QStringList{"FLAG1", "FLAG2", "FLAG3"} << false
                         << QStringList{"seYYY2", "seMM2"}
                         << QStringList{"MFLAG1<-FLAG1 in codes", "MFLAG2<-FLAG2 in codes", "MFLAG3<-FLAG3 in codes"}
                         << 1;
    QTest::newRow("B05") << int(Kind::B05) << QStringList{"HSIEN_ID", "ACC_CODE"} << true << QStringList{"seYYY", "seMM"}
                         << QStringList{"HSIENNAME<-HSIEN_ID in names", "ACCNAME<-ACC_CODE in names"} << 1;
}

void TstDeclarationKind::importRulesOfEveryKind()
{
    QFETCH(int, kind);
    QFETCH(QStringList, key);
    QFETCH(bool, firstLineWins);
    QFETCH(QStringList, periodParams);
    QFETCH(QStringList, added);
    QFETCH(int, storedOfABC);
    const Kind &k = Kind::get(Kind::Id(kind));
    const DeclarationImport &rule = k.importRule();

    QCOMPARE(rule.keyFields, QStringList({"BANK_CODE", "M_YEAR", "M_MONTH"}) + key);
    for (const QString &field : rule.keyFields)
        QVERIFY2(k.field(field), qPrintable(field));   // every key field is in the file
    QCOMPARE(rule.repeats == Repeats::FirstLineWins, firstLineWins);
    QCOMPARE(rule.institutionParam, QStringLiteral("BANK_CODE"));
    QCOMPARE(QStringList({rule.yearParam, rule.monthParam}), periodParams);
    QStringList described;
    for (const AddedField &f : rule.addedFields)
        described << describe(f);
    QCOMPARE(described, added);

    // The target statement selects nothing but has every field the import sets.
    CachedDataset target;
    target.setSql(rule.targetStatement);
    for (auto it = rule.targetParams.constBegin(); it != rule.targetParams.constEnd(); ++it)
        target.setParam(it.key(), it.value());
    QVERIFY2(target.open(), qPrintable(target.lastError()));
    QCOMPARE(target.recordCount(), 0);
    for (const DeclarationField &f : k.fields())
        QVERIFY2(target.fieldIndex(f.name) >= 0, qPrintable(f.name));
    for (const AddedField &f : rule.addedFields)
        QVERIFY2(target.fieldIndex(f.field) >= 0, qPrintable(f.field));

    // The stored statement finds exactly the institution's month, with its key.
    CachedDataset stored;
    stored.setSql(rule.storedStatement);
    stored.setParam(rule.institutionParam, QStringLiteral("ABC"));
    stored.setParam(rule.yearParam, 88);
    stored.setParam(rule.monthParam, 5);
    QVERIFY2(stored.open(), qPrintable(stored.lastError()));
    QCOMPARE(stored.recordCount(), storedOfABC);
    for (int row = 0; row < stored.recordCount(); ++row) {
        QCOMPARE(stored.value(row, "BANK_CODE").toString(), QStringLiteral("ABC"));
        QCOMPARE(stored.value(row, "M_MONTH").toInt(), 5);
    }
    for (const QString &field : rule.keyFields)
        QVERIFY2(stored.fieldIndex(field) >= 0, qPrintable(field));
}

void TstDeclarationKind::billsCodeLabels_data()
{
    using List = BillsCodes::List;
    QTest::addColumn<int>("list");
    QTest::addColumn<QString>("flag");
    QTest::addColumn<QString>("label");
    QTest::newRow("rate market 1") << int(List::RateMarket) << "1" << "1-初級市場";
    QTest::newRow("rate market 0 is not listed") << int(List::RateMarket) << "0" << "";
    QTest::newRow("rate term 5") << int(List::RateTerm) << "5" << "5-十二個月期";
    QTest::newRow("rate term 6 is not listed") << int(List::RateTerm) << "6" << "";
    QTest::newRow("bill kind 01 read as 1") << int(List::BillKind) << "01" << "01-商業本票";
    QTest::newRow("bill kind 10") << int(List::BillKind) << "10" << "10-公司債";
    QTest::newRow("bill kind 11 is not listed") << int(List::BillKind) << "11" << "";
    QTest::newRow("rate kind with blanks") << int(List::RateKind) << " 3 " << "3-最低";
    QTest::newRow("trade range 0") << int(List::TradeRange) << "0" << "0-初級市場";
    QTest::newRow("trade range 3") << int(List::TradeRange) << "3" << "3-餘額(公司持有數)";
    QTest::newRow("trade range not a number") << int(List::TradeRange) << "x" << "";
    QTest::newRow("trade direction 2") << int(List::TradeDirection) << "2" << "2-其他";
    QTest::newRow("trade direction signed") << int(List::TradeDirection) << "+1" << "";
    QTest::newRow("empty flag") << int(List::TradeDirection) << "" << "";
}

void TstDeclarationKind::billsCodeLabels()
{
    QFETCH(int, list);
    QFETCH(QString, flag);
    QFETCH(QString, label);
    QCOMPARE(BillsCodes::label(BillsCodes::List(list), flag), label);
}

QTEST_GUILESS_MAIN(TstDeclarationKind)
#include "tst_declaration_kind.moc"
