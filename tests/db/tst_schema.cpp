#include "db/schema.h"
#include "tests/support/engine_words.h"
#include "tests/support/test_database.h"

#include <QSqlQuery>
#include <QtTest>

// The declaration tables as the rest of the program and the declaration files
// rely on them: fields in order with type and Big5 width, and the key.
class tst_Schema : public QObject
{
    Q_OBJECT

private slots:
    void layout_data();
    void layout();
    void createdTablesMatchLayout();
    void repeatedKeyRefused();
    void keylessResultTableTakesRepeats();
    void columnTypesRefuseWrongValues();
    void genericStatementsOfMpbank();
    void genericStatementsWriteByOldKey();
};

namespace {

QString describe(const TableDef &t)
{
    QStringList parts;
    for (const FieldDef &f : t.fields) {
        switch (f.type) {
        case FieldType::SmallInt: parts << f.name + QStringLiteral(" S"); break;
        case FieldType::Float: parts << f.name + QStringLiteral(" F"); break;
        case FieldType::Date: parts << f.name + QStringLiteral(" D"); break;
        case FieldType::Text: parts << QStringLiteral("%1 T%2").arg(f.name).arg(f.width); break;
        }
    }
    return parts.join(QStringLiteral(", ")) + QStringLiteral(" | ") + t.key.join(u',');
}

} // namespace

void tst_Schema::layout_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("expected");
    const QString rule1 = QStringLiteral("acc_type T1, cano T3, quop T2, remark T40 | cano");
    const QString rule2 = QStringLiteral("acc_type T1, cano T3, left_flag T1, nserial S, acc_code T5, noop T1, TCURR T1 | cano,left_flag,nserial");
    const QString accounts = QStringLiteral("ACC_CODE T5, ACC_NAME T40, ACC_B_NAME T20, UACNO T5, DACNO T5 | ACC_CODE");
    const QList<std::pair<const char *, QString>> rows{
        {"MPBANK", QStringLiteral("M_YEAR S, M_MONTH S, BANK_CODE T7, ACC_CODE T5, AMT F, SERIAL S | M_YEAR,M_MONTH,BANK_CODE,ACC_CODE")},
        {"EM03", QStringLiteral("M_YEAR S, M_MONTH S, BANK_CODE T7, BANK_CODE1 T7, M_RATE F | M_YEAR,M_MONTH,BANK_CODE,BANK_CODE1")},
        {"EM08", QStringLiteral("BANK_CODE T7, M_YEAR S, M_MONTH S, FLAG1 T1, FLAG2 T1, FLAG3 T2, FLAG4 T1, RATE F | BANK_CODE,M_YEAR,M_MONTH,FLAG1,FLAG2,FLAG3,FLAG4")},
        {"EM09", QStringLiteral("BANK_CODE T7, M_YEAR S, M_MONTH S, FLAG1 T1, FLAG2 T1, FLAG3 T2, AMT F, AMT1 F | BANK_CODE,M_YEAR,M_MONTH,FLAG1,FLAG2,FLAG3")},
        {"HMPBANK", QStringLiteral("M_YEAR S, M_MONTH S, BANK_CODE T7, HSIEN_ID T1, ACC_CODE T5, AMT F | M_YEAR,M_MONTH,BANK_CODE,HSIEN_ID,ACC_CODE")},
        {"BN01", QStringLiteral("BANK_NO T7, BANK_NAME T30, BN_DATE D, BN_ADDRESS T60, BN_TYPE T1, BANK_TYPE T1, ADD_USER T5, ADD_DEPT T3, ADD_DATE D, HSIEN_ID T1, AREA_ID T3, BANK_B_NAM T10, EMAIL T30, SMTPHOST T30, POP3HOST T30, ACCOUNT T20, PASSWORD T20 | BANK_NO")},
        {"CACNO", accounts},
        {"HCACNO", accounts},
        {"CD01", QStringLiteral("HSIEN_ID T1, HSIEN_NAME T8 | HSIEN_ID")},
        {"Customer", QStringLiteral("CUST_NO T10, CUST_NAME T40 | CUST_NO")},
        {"RuleNo1", rule1},
        {"RuleNo2", rule2},
        {"HRuleNo1", rule1},
        {"HRuleNo2", rule2},
        {"CACNONO", QStringLiteral("CANO T3, REMARK T40 | CANO")},
        {"CACNONO1", QStringLiteral("CANO T3, ACC_CODE T5, NOOP T1, QUOP T2, ACCNAME T47 | CANO,ACC_CODE")},
        {"CACNONO2", QStringLiteral("CANO T3, ACC_CODE T5, NOOP T1, ACCNAME T47 | CANO,ACC_CODE")},
        {"CACNONO3", QStringLiteral("REMARK T120, MONEY1 F, MONEY2 F | ")},
    };
    for (const auto &[name, expected] : rows)
        QTest::newRow(name) << QString::fromLatin1(name) << expected;
}

void tst_Schema::layout()
{
    QFETCH(QString, table);
    QFETCH(QString, expected);
    const TableDef *t = Schema::table(table.toLower());   // looked up without regard to case
    QVERIFY(t);
    QCOMPARE(t->name, table);                              // but named as written
    QCOMPARE(describe(*t), expected);
    QCOMPARE(Schema::tables().size(), 21);   // with the three record tables
}

namespace {

// A table as the engine stored it: its columns ("NAME TYPE", in order), its key
// fields in key order and its name as the engine lists it. Names fold to lower
// case on the server, so there the test compares them so folded.
struct StoredLayout
{
    QStringList columns;
    QStringList key;
    QString name;
};

StoredLayout storedLayout(TestDatabase &db, const QString &table)
{
    StoredLayout layout;
    QSqlQuery q(db.db());
    if (!TestDatabase::onServer()) {
        if (!q.exec(QStringLiteral("pragma table_info(%1)").arg(table)))
            return layout;
        QMap<int, QString> keyOrder;
        while (q.next()) {
            layout.columns << q.value(1).toString() + u' ' + q.value(2).toString();
            if (q.value(5).toInt() > 0)
                keyOrder.insert(q.value(5).toInt(), q.value(1).toString());
        }
        layout.key = keyOrder.values();
        layout.name = db.scalar(QStringLiteral("select name from sqlite_master where type='table' and name='%1'")
                                    .arg(table)).toString();
        return layout;
    }
    const QString lower = table.toLower();
    if (!q.exec(QStringLiteral("select column_name, data_type from information_schema.columns "
                               "where table_schema = current_schema() and table_name = '%1' order by ordinal_position")
                    .arg(lower)))
        return layout;
    while (q.next())
        layout.columns << q.value(0).toString() + u' ' + q.value(1).toString();
    if (!q.exec(QStringLiteral("select k.column_name from information_schema.table_constraints c "
                               "join information_schema.key_column_usage k on k.constraint_name = c.constraint_name "
                               "and k.table_schema = c.table_schema and k.table_name = c.table_name "
                               "where c.table_schema = current_schema() and c.table_name = '%1' "
                               "and c.constraint_type = 'PRIMARY KEY' order by k.ordinal_position")
                    .arg(lower)))
        return layout;
    while (q.next())
        layout.key << q.value(0).toString();
    layout.name = db.scalar(QStringLiteral("select table_name from information_schema.tables "
                                           "where table_schema = current_schema() and table_name = '%1'")
                                .arg(lower)).toString();
    return layout;
}

} // namespace

void tst_Schema::createdTablesMatchLayout()
{
    TestDatabase db(TestDatabase::Content::Empty);
    QVERIFY2(db.isValid(), qPrintable(db.lastError()));
    const bool server = TestDatabase::onServer();
    // The column type each kind of field gets: SQLite's affinity, the server's type.
    auto typeOf = [server](FieldType type) -> QString {
        switch (type) {
        case FieldType::SmallInt: return server ? "smallint" : "INTEGER";
        case FieldType::Float: return server ? "double precision" : "REAL";
        case FieldType::Date: return server ? "text" : "TEXT";
        case FieldType::Text: return server ? "character" : "TEXT";
        }
        return {};
    };
    auto named = [server](const QString &name) { return server ? name.toLower() : name; };
    for (const TableDef &t : Schema::tables()) {
        const StoredLayout stored = storedLayout(db, t.name);
        QStringList expected, key;
        for (const FieldDef &f : t.fields)
            expected << named(f.name) + u' ' + typeOf(f.type);
        if (server)
            expected << QStringLiteral("rowid bigint");   // the stored order, after the fields
        for (const QString &k : t.key)
            key << named(k);
        QCOMPARE(stored.columns, expected);
        QCOMPARE(stored.key, key);
        QCOMPARE(stored.name, named(t.name));
    }
}

void tst_Schema::repeatedKeyRefused()
{
    TestDatabase db(TestDatabase::Content::Empty);
    QVERIFY2(db.isValid(), qPrintable(db.lastError()));
    const QVariantMap row{{"M_YEAR", 115}, {"M_MONTH", 10}, {"BANK_CODE", "995"}, {"ACC_CODE", "11000"}, {"AMT", 1.5}};
    QVERIFY(db.insertRow("MPBANK", row));
    QVERIFY(!db.insertRow("MPBANK", row));
    QVERIFY(db.lastError().contains(EngineWords::repeatedKey()));
    // Trailing blanks are not significant in text keys.
    QVariantMap blanks = row;
    blanks["ACC_CODE"] = "11000 ";
    QVERIFY(!db.insertRow("MPBANK", blanks));
    // Another month is another key.
    QVariantMap other = row;
    other["M_MONTH"] = 11;
    QVERIFY(db.insertRow("MPBANK", other));

    QVERIFY(db.insertRow("RuleNo2", {{"cano", "001"}, {"left_flag", "0"}, {"nserial", 1}, {"acc_code", "11000"}}));
    QVERIFY(db.insertRow("RuleNo2", {{"cano", "001"}, {"left_flag", "1"}, {"nserial", 1}, {"acc_code", "11000"}}));
    QVERIFY(!db.insertRow("RuleNo2", {{"cano", "001"}, {"left_flag", "0"}, {"nserial", 1}, {"acc_code", "12000"}}));
    // A condition with "=" finds the key written with blanks, as a join does.
    QCOMPARE(db.count("MPBANK", "ACC_CODE = '11000   '"), 2);
}

void tst_Schema::keylessResultTableTakesRepeats()
{
    TestDatabase db(TestDatabase::Content::Empty);
    QVERIFY2(db.isValid(), qPrintable(db.lastError()));
    QVERIFY(db.insertRow("CACNONO3", {{"REMARK", "x"}, {"MONEY1", 1.0}}));
    QVERIFY(db.insertRow("CACNONO3", {{"REMARK", "x"}, {"MONEY1", 1.0}}));
    QCOMPARE(db.count("CACNONO3"), 2);
}

void tst_Schema::columnTypesRefuseWrongValues()
{
    TestDatabase db(TestDatabase::Content::Empty);
    QVERIFY2(db.isValid(), qPrintable(db.lastError()));
    auto mp = [](const QVariant &year, const QVariant &amt) {
        return QVariantMap{{"M_YEAR", year}, {"M_MONTH", 1}, {"BANK_CODE", "995"}, {"ACC_CODE", "1"}, {"AMT", amt}};
    };
    QVERIFY(!db.insertRow("MPBANK", mp(40000, 1)));      // beyond a small integer
    QVERIFY(!db.insertRow("MPBANK", mp("abc", 1)));
    // The server rounds a fraction bound for a small integer, as its own
    // assignment does; the program binds only whole numbers there.
    if (!TestDatabase::onServer())
        QVERIFY(!db.insertRow("MPBANK", mp(1.5, 1)));
    QVERIFY(!db.insertRow("MPBANK", mp(115, "abc")));
    QVERIFY(db.insertRow("MPBANK", mp("115", "2.5")));   // numbers written as text are numbers
    QCOMPARE(db.scalar("select typeof(M_YEAR) || ',' || typeof(AMT) from MPBANK").toString(), QString("integer,real"));
    QVERIFY(!db.insertRow("BN01", {{"BANK_NO", "1"}, {"BN_DATE", "2020-13-01"}}));
    QVERIFY(!db.insertRow("BN01", {{"BANK_NO", "1"}, {"BN_DATE", "2020/01/01"}}));
    QVERIFY(db.insertRow("BN01", {{"BANK_NO", "1"}, {"BN_DATE", "2020-02-29"}}));
}

void tst_Schema::genericStatementsOfMpbank()
{
    const TableDef *t = Schema::table("MPBANK");
    QVERIFY(t);
    QCOMPARE(Schema::insertStatement(*t),
             QString("insert into MPBANK (M_YEAR, M_MONTH, BANK_CODE, ACC_CODE, AMT, SERIAL) "
                     "values (:M_YEAR, :M_MONTH, :BANK_CODE, :ACC_CODE, :AMT, :SERIAL)"));
    QCOMPARE(Schema::modifyStatement(*t),
             QString("update MPBANK set M_YEAR = :M_YEAR, M_MONTH = :M_MONTH, BANK_CODE = :BANK_CODE, "
                     "ACC_CODE = :ACC_CODE, AMT = :AMT, SERIAL = :SERIAL where M_YEAR = :OLD_M_YEAR and "
                     "M_MONTH = :OLD_M_MONTH and BANK_CODE = :OLD_BANK_CODE and ACC_CODE = :OLD_ACC_CODE and "
                     "AMT is not distinct from :OLD_AMT and SERIAL is not distinct from :OLD_SERIAL"));
    QCOMPARE(Schema::deleteStatement(*t),
             QString("delete from MPBANK where M_YEAR = :OLD_M_YEAR and M_MONTH = :OLD_M_MONTH and "
                     "BANK_CODE = :OLD_BANK_CODE and ACC_CODE = :OLD_ACC_CODE and "
                     "AMT is not distinct from :OLD_AMT and SERIAL is not distinct from :OLD_SERIAL"));
    // The keyless result table is never found by an empty condition.
    QVERIFY(Schema::deleteStatement(*Schema::table("CACNONO3"))
                .contains("where coalesce(REMARK, '') = :OLD_REMARK and MONEY1 is not distinct from :OLD_MONEY1"));
}

void tst_Schema::genericStatementsWriteByOldKey()
{
    TestDatabase db(TestDatabase::Content::Empty);
    QVERIFY2(db.isValid(), qPrintable(db.lastError()));
    QVERIFY(db.insertRow("CD01", {{"HSIEN_ID", "A"}, {"HSIEN_NAME", "甲"}}));
    QVERIFY(db.insertRow("CD01", {{"HSIEN_ID", "B"}, {"HSIEN_NAME", "乙"}}));
    const TableDef *t = Schema::table("CD01");
    QSqlQuery q(db.db());
    QVERIFY(q.prepare(Schema::modifyStatement(*t)));
    q.bindValue(":HSIEN_ID", "C");
    q.bindValue(":HSIEN_NAME", "丙");
    q.bindValue(":OLD_HSIEN_ID", "A");
    q.bindValue(":OLD_HSIEN_NAME", "甲");
    QVERIFY(q.exec());
    QCOMPARE(q.numRowsAffected(), 1);
    QVERIFY(q.prepare(Schema::deleteStatement(*t)));
    q.bindValue(":OLD_HSIEN_ID", "B");
    q.bindValue(":OLD_HSIEN_NAME", "乙");
    QVERIFY(q.exec());
    QCOMPARE(db.scalar("select group_concat(HSIEN_ID || HSIEN_NAME) from CD01").toString(), QString("C丙"));
}

QTEST_GUILESS_MAIN(tst_Schema)
#include "tst_schema.moc"
