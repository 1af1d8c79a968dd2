#include "db/engine_message.h"
#include "db/field_kinds.h"
#include "db/named_placeholders.h"
#include "db/schema.h"
#include "db/statement_runner.h"
#include "db/update_applier.h"
#include "tests/support/engine_words.h"
#include "tests/support/database_test.h"

#include <QtTest>

// Writing a cache's changes: the parameters each statement binds, the order of
// deletes, modifies and inserts, the row each must find, the texts refused
// before anything is written, and all rows or none.
//
// The cases run on CD01 (HSIEN_ID text(1) key, HSIEN_NAME text(8)) holding
// A 臺北市 and B 新北市. A cache row is written "delete A", "modify A Z 名"
// (loaded as A, now Z 名) or "insert C 名"; "-" leaves a value unset.
class tst_UpdateApplier : public DatabaseTest
{
    Q_OBJECT

private slots:
    void init();

    void placeholders_data();
    void placeholders();
    void applies_data();
    void applies();
    void bindings_data();
    void bindings();
    void refusals_data();
    void refusals();
    void batchedInserts_data();
    void batchedInserts();
    void runnerValues_data();
    void runnerValues();
    void batchStoresAsOneRow_data();
    void batchStoresAsOneRow();
    void runnerOutcomes_data();
    void runnerOutcomes();
    void runnerWaitsBoundedWhenBusy();

private:
    QString stored() const;
};

namespace {

const QString Stored = QStringLiteral("A=臺北市;B=新北市");
const QHash<QString, QString> StoredName{{"A", "臺北市"}, {"B", "新北市"}, {"Q", "消失"}};

FieldKinds cd01Fields(const QStringList &read = {"HSIEN_ID", "HSIEN_NAME"})
{
    FieldKinds fields(read, QList<int>(read.size(), QMetaType::QString));
    fields.useTable(Schema::table("CD01"));
    return fields;
}

QVariant valueOf(const QString &word)
{
    return word == "-" ? QVariant() : QVariant(word);
}

// One row of the cache as its line says (see above), with the fields read.
CachedRow cacheRow(const QString &line, int fieldCount)
{
    const QStringList w = line.split(u' ');
    if (w.at(0) == "insert") {
        CachedRow row = CachedRow::inserted(fieldCount);
        row.restoreValues(QVariantList{valueOf(w.at(1)), valueOf(w.value(2, "-"))}.mid(0, fieldCount));
        return row;
    }
    // Loaded as the stored row of its key, then changed to the words after it.
    CachedRow row = CachedRow::loaded(QVariantList{w.at(1), StoredName.value(w.at(1))}.mid(0, fieldCount));
    if (w.size() > 2)
        row.restoreValues(QVariantList{valueOf(w.at(2)), valueOf(w.value(3, "-"))}.mid(0, fieldCount));
    row.settleAfterEdit();
    if (w.at(0) == "delete")
        row.markDeleted();
    return row;
}

QList<CachedRow> cacheRows(const QStringList &lines, int fieldCount = 2)
{
    QList<CachedRow> rows;
    for (const QString &line : lines)
        rows << cacheRow(line, fieldCount);
    return rows;
}

} // namespace

void tst_UpdateApplier::init()
{
    DatabaseTest::init();
    QVERIFY(m_db->insertRow("CD01", {{"HSIEN_ID", "A"}, {"HSIEN_NAME", "臺北市"}}));
    QVERIFY(m_db->insertRow("CD01", {{"HSIEN_ID", "B"}, {"HSIEN_NAME", "新北市"}}));
}

QString tst_UpdateApplier::stored() const
{
    return m_db->rowsText("select HSIEN_ID, HSIEN_NAME from CD01 order by HSIEN_ID");
}

void tst_UpdateApplier::placeholders_data()
{
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("each once, in order of first use") << "select :b, :a, :b" << QStringList{"b", "a"};
    QTest::newRow("letters, digits, underscores") << "where X = :OLD_M_YEAR1+1" << QStringList{"OLD_M_YEAR1"};
    QTest::newRow("not inside literals or quoted names")
        << "select ':a', \":b\", `:c`, [:d], :e" << QStringList{"e"};
    QTest::newRow("a doubled quote stays inside") << "select 'it''s :a', :b" << QStringList{"b"};
    QTest::newRow("a doubled bracket stays inside") << "select [x]]:y], :z" << QStringList{"z"};
    QTest::newRow("a cast is no placeholder") << "select x::text, :a" << QStringList{"a"};
    QTest::newRow("a colon at the end") << "select :" << QStringList{};
}

// in() names the placeholders; replaced() puts a text where each one stands
// ("<name>" here) and leaves everything else as it was.
void tst_UpdateApplier::placeholders()
{
    QFETCH(QString, sql);
    QFETCH(QStringList, expected);
    QCOMPARE(NamedPlaceholders::in(sql), expected);

    QString rebuilt = NamedPlaceholders::replaced(sql, [](const QString &name) { return u'<' + name + u'>'; });
    for (const QString &name : expected)
        rebuilt.replace(u'<' + name + u'>', u':' + name);
    QCOMPARE(rebuilt, sql);
}

// A statement run once with its values (on a server written into its text as
// the driver quotes them): every value comes back exactly, none is read as SQL
// or as another placeholder.
void tst_UpdateApplier::runnerValues_data()
{
    QTest::addColumn<QVariant>("name");
    QTest::addColumn<QVariant>("amount");

    QTest::newRow("a quote") << QVariant("it's") << QVariant(1.0);
    QTest::newRow("backslashes and a quote") << QVariant("a\\b\\'c") << QVariant(-0.5);
    QTest::newRow("a placeholder inside a value") << QVariant("臺北:NO :AMT") << QVariant(0.1);
    QTest::newRow("sixteen digits") << QVariant("x") << QVariant(1234567890123456.0);
    QTest::newRow("SQL in a value") << QVariant("'); delete from Customer; --") << QVariant(2.0);
    QTest::newRow("NULL") << QVariant() << QVariant();
}

void tst_UpdateApplier::runnerValues()
{
    QFETCH(QVariant, name);
    QFETCH(QVariant, amount);
    QString error;
    QCOMPARE(StatementRunner::run(m_db->connectionName(),
                                  "insert into Customer (CUST_NO, CUST_NAME) values (:NO, :NAME)",
                                  {{"NO", "C1"}, {"NAME", name}}, &error),
             1);
    QVERIFY2(error.isEmpty(), qPrintable(error));
    QCOMPARE(StatementRunner::run(m_db->connectionName(),
                                  "insert into MPBANK (M_YEAR, M_MONTH, BANK_CODE, ACC_CODE, AMT, SERIAL) "
                                  "values (:Y, 1, 'B', 'A', :AMT, 1)",
                                  {{"Y", 115}, {"AMT", amount}}, &error),
             1);

    QSqlQuery q(m_db->db());
    QVERIFY2(StatementRunner::select(q, m_db->connectionName(),
                                     "select CUST_NAME, (select AMT from MPBANK where M_YEAR = :Y) from Customer "
                                     "where CUST_NO = :NO",
                                     {{"NO", "C1"}, {"Y", 115}}, &error),
             qPrintable(error));
    QVERIFY(q.next());
    QCOMPARE(q.value(0).isNull(), name.isNull());
    if (!name.isNull())
        QCOMPARE(q.value(0).toString(), name.toString());
    QCOMPARE(q.value(1).isNull(), amount.isNull());
    QCOMPARE(q.value(1).toDouble(), amount.toDouble());
    QVERIFY(!q.next());
}

void tst_UpdateApplier::applies_data()
{
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<QStringList>("read");      // the fields the dataset read
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QString>("expected");      // stored rows, or a part of the error
    const QStringList both{"HSIEN_ID", "HSIEN_NAME"};

    QTest::newRow("nothing changed") << QStringList{"modify A A 臺北市"} << both << true << Stored;
    QTest::newRow("a delete by the loaded key") << QStringList{"delete A"} << both << true << "B=新北市";
    QTest::newRow("an edited row deleted by its loaded key") << QStringList{"delete A Z x"} << both << true
                                                             << "B=新北市";
    QTest::newRow("a modify moves a row to a new key") << QStringList{"modify A Z 臺北市"} << both << true
                                                       << "B=新北市;Z=臺北市";
    QTest::newRow("deletes run before modifies") << QStringList{"modify B A 新北市", "delete A"} << both << true
                                                 << "A=新北市";
    QTest::newRow("modifies run before inserts") << QStringList{"insert B 新縣", "modify B C 新北市"} << both << true
                                                 << "A=臺北市;B=新縣;C=新北市";
    QTest::newRow("an unset text is written as ''") << QStringList{"insert C -"} << both << true
                                                    << "A=臺北市;B=新北市;C=";
    QTest::newRow("a field not read keeps its stored value") << QStringList{"modify A Z"} << QStringList{"HSIEN_ID"}
                                                             << true << "B=新北市;Z=臺北市";
    QTest::newRow("a text of exactly the width") << QStringList{"modify B B 新北市政"} << both << true
                                                 << "A=臺北市;B=新北市政";
    QTest::newRow("a vanished row fails the modify") << QStringList{"modify Q R x"} << both << false
                                                     << "資料已被其他使用者異動，請重新查詢後再修改!!! (HSIEN_ID=Q)";
    QTest::newRow("a vanished row fails the delete") << QStringList{"delete A", "delete Q"} << both << false
                                                     << "資料已被其他使用者異動，請重新查詢後再刪除!!! (HSIEN_ID=Q)";
    QTest::newRow("a failing insert undoes the rows before it") << QStringList{"delete A", "insert B x"} << both
                                                                << false << EngineWords::repeatedKey();
    QTest::newRow("an insert one byte too wide") << QStringList{"delete A", "insert C 新北市政a"} << both << false
                                                 << "「HSIEN_NAME」超過 8 個位元組: 新北市政a";
    QTest::newRow("a modify one byte too wide") << QStringList{"delete A", "modify B B 新北市政a"} << both
                                                << false << "「HSIEN_NAME」超過 8 個位元組";
    QTest::newRow("a modified key too wide") << QStringList{"modify B BB 新北市"} << both << false
                                             << "「HSIEN_ID」超過 1 個位元組";
    QTest::newRow("a modify with a character Big5 lacks")
        << QStringList{"delete A", "modify B B 新\U0001F600"} << both << false << "「HSIEN_NAME」含有 Big5 無法表示的字元";
    QTest::newRow("a deleted row is not checked") << QStringList{"delete A 新北市政a 新北市政a"} << both << true
                                                  << "B=新北市";
}

void tst_UpdateApplier::applies()
{
    QFETCH(QStringList, rows);
    QFETCH(QStringList, read);
    QFETCH(bool, ok);
    QFETCH(QString, expected);
    const FieldKinds fields = cd01Fields(read);
    UpdateApplier applier("CVELQ", UpdateApplier::forTable(*Schema::table("CD01"), fields), fields, {});
    QCOMPARE(applier.apply(cacheRows(rows, int(read.size()))), ok);
    if (ok) {
        QVERIFY2(applier.error().isEmpty(), qPrintable(applier.error()));
        QCOMPARE(stored(), expected);
    } else {
        QVERIFY2(applier.error().contains(expected), qPrintable(applier.error()));
        QCOMPARE(stored(), Stored);   // all rows or none
    }
    QVERIFY(m_db->noTransactionOpen());
}

void tst_UpdateApplier::bindings_data()
{
    QTest::addColumn<QString>("values");    // of the insert statement
    QTest::addColumn<QString>("param");     // a parameter of the dataset, "NAME=value"
    QTest::addColumn<QString>("expected");  // the stored row C

    QTest::newRow("fields by name") << ":HSIEN_ID, :HSIEN_NAME" << "" << "C=中縣";
    QTest::newRow("names in any case") << ":hsien_id, :Hsien_Name" << "" << "C=中縣";
    QTest::newRow("a parameter of the dataset") << ":HSIEN_ID, :COUNTY" << "COUNTY=參數" << "C=參數";
    QTest::newRow("a field before a parameter") << ":HSIEN_ID, :HSIEN_NAME" << "HSIEN_NAME=參數" << "C=中縣";
    QTest::newRow("a name of nothing binds NULL") << ":HSIEN_ID, :NOTHING" << "" << "C=NULL";
    QTest::newRow("a placeholder inside a literal") << ":HSIEN_ID, ':HSIEN_NAME'" << "" << "C=:HSIEN_NAME";
    QTest::newRow("a placeholder used twice") << ":HSIEN_ID, :HSIEN_ID || :HSIEN_ID" << "" << "C=CC";
    QTest::newRow("OLD_ of no field is a parameter") << ":HSIEN_ID, :OLD_COUNTY" << "OLD_COUNTY=舊" << "C=舊";
}

void tst_UpdateApplier::bindings()
{
    QFETCH(QString, values);
    QFETCH(QString, param);
    QFETCH(QString, expected);
    const FieldKinds fields = cd01Fields();
    QHash<QString, QVariant> params;
    if (!param.isEmpty())
        params.insert(param.section(u'=', 0, 0), param.section(u'=', 1));
    const UpdateApplier::Statements statements{
        QStringLiteral("insert into CD01 (HSIEN_ID, HSIEN_NAME) values (%1)").arg(values), {}, {}};
    UpdateApplier applier("CVELQ", statements, fields, params);
    QVERIFY2(applier.apply(cacheRows({"insert C 中縣"})), qPrintable(applier.error()));
    QCOMPARE(stored(), Stored + ";" + expected);
}

void tst_UpdateApplier::refusals_data()
{
    QTest::addColumn<QString>("connection");
    QTest::addColumn<QString>("deleteSql");   // "" for the table's own
    QTest::addColumn<QString>("error");

    QTest::newRow("no statement for a kind of change") << "CVELQ" << " " << "沒有 delete 指令";
    QTest::newRow("a closed connection") << "nowhere" << "" << "資料庫連線 nowhere 未開啟";
    QTest::newRow("the engine's reason") << "CVELQ" << "delete from NO_TABLE" << EngineWords::missingTable();
}

void tst_UpdateApplier::refusals()
{
    QFETCH(QString, connection);
    QFETCH(QString, deleteSql);
    QFETCH(QString, error);
    const FieldKinds fields = cd01Fields();
    UpdateApplier::Statements statements = UpdateApplier::forTable(*Schema::table("CD01"), fields);
    if (!deleteSql.isEmpty())
        statements.deleteSql = deleteSql;
    UpdateApplier applier(connection, statements, fields, {});
    QVERIFY(!applier.apply(cacheRows({"insert C 中縣", "delete A"})));
    QVERIFY2(applier.error().contains(error), qPrintable(applier.error()));
    QCOMPARE(stored(), Stored);
    QVERIFY(m_db->noTransactionOpen());
}

// Single-byte keys other than the two stored, for the rows of the batches.
const QString Keys = QStringLiteral("CDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789");

void tst_UpdateApplier::batchedInserts_data()
{
    QTest::addColumn<int>("rows");          // inserted rows, keys from Keys, named n0, n1, ...
    QTest::addColumn<QString>("values");    // of the insert statement
    QTest::addColumn<int>("refusedAt");     // the row given the stored key B, or -1
    QTest::addColumn<int>("statements");    // sent when every row is written
    QTest::addColumn<QString>("lastName");  // then stored for the last row
    const int batch = UpdateApplier::InsertBatch;
    const QString byName = ":HSIEN_ID, :HSIEN_NAME";
    const QString last = QString("n%1").arg(batch);

    QTest::newRow("no row") << 0 << byName << -1 << 0 << "";
    QTest::newRow("one row") << 1 << byName << -1 << 1 << "n0";
    QTest::newRow("a whole batch") << batch << byName << -1 << 1 << QString("n%1").arg(batch - 1);
    QTest::newRow("a batch and one row") << batch + 1 << byName << -1 << 2 << last;
    QTest::newRow("a placeholder twice in a row") << batch + 1 << ":HSIEN_ID, :HSIEN_NAME || :HSIEN_ID" << -1 << 2
                                                  << last + Keys.at(batch);
    QTest::newRow("a quote: row by row") << 3 << ":HSIEN_ID, ':' || :HSIEN_NAME" << -1 << 3 << ":n2";
    QTest::newRow("a stored key mid-batch") << batch + 1 << byName << 30 << 0 << "";
    QTest::newRow("a stored key alone in the last batch") << batch + 1 << byName << batch << 0 << "";
}

void tst_UpdateApplier::batchedInserts()
{
    QFETCH(int, rows);
    QFETCH(QString, values);
    QFETCH(int, refusedAt);
    QFETCH(int, statements);
    QFETCH(QString, lastName);
    QVERIFY(rows <= Keys.size());
    QList<CachedRow> cache;
    for (int i = 0; i < rows; ++i)
        cache << cacheRow(QString("insert %1 n%2").arg(i == refusedAt ? QChar('B') : Keys.at(i)).arg(i), 2);
    const FieldKinds fields = cd01Fields();
    const UpdateApplier::Statements sql{"insert into CD01 (HSIEN_ID, HSIEN_NAME) values (" + values + ")", {}, {}};
    UpdateApplier applier("CVELQ", sql, fields, {});
    const quint64 before = UpdateApplier::statementsSent();
    QCOMPARE(applier.apply(cache), refusedAt < 0);
    if (refusedAt >= 0) {
        // The row that fails is named, and nothing is written.
        QVERIFY2(applier.error().contains(EngineWords::repeatedKey()), qPrintable(applier.error()));
        QVERIFY2(applier.error().endsWith("(HSIEN_ID=B)"), qPrintable(applier.error()));
        QCOMPARE(stored(), Stored);
        return;
    }
    QCOMPARE(UpdateApplier::statementsSent() - before, quint64(statements));
    QCOMPARE(m_db->scalar("select count(*) from CD01").toInt(), 2 + rows);
    if (rows > 0)
        QCOMPARE(m_db->scalar(QString("select HSIEN_NAME from CD01 where HSIEN_ID = '%1'").arg(Keys.at(rows - 1)))
                     .toString(),
                 lastName);
}

// A batch of inserts binds its values its own way on SQLite (straight to the
// engine): what it stores must be what a single row stores, value and type,
// in a column without a declared type, which keeps exactly what was bound.
void tst_UpdateApplier::batchStoresAsOneRow_data()
{
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<int>("kind");   // the field's type as the statement gives it

    QTest::newRow("text") << QVariant("臺北市 x") << int(QMetaType::QString);
    QTest::newRow("a character beyond 16 bits") << QVariant("\U00020000甲") << int(QMetaType::QString);
    QTest::newRow("an unset text") << QVariant() << int(QMetaType::QString);
    QTest::newRow("an empty text") << QVariant(QString("")) << int(QMetaType::QString);
    QTest::newRow("an integer") << QVariant(-7) << int(QMetaType::Int);
    QTest::newRow("a large integer") << QVariant(qlonglong(1) << 40) << int(QMetaType::LongLong);
    QTest::newRow("an amount") << QVariant(1234567890123.4567) << int(QMetaType::Double);
    QTest::newRow("an unset amount") << QVariant() << int(QMetaType::Double);
    QTest::newRow("a date") << QVariant(QDate(2026, 12, 9)) << int(QMetaType::QDate);
    QTest::newRow("a flag") << QVariant(true) << int(QMetaType::Bool);
}

void tst_UpdateApplier::batchStoresAsOneRow()
{
    if (TestDatabase::onServer())
        QSKIP("a server's batch binds through Qt as a single row does; its columns have types");
    QFETCH(QVariant, value);
    QFETCH(int, kind);
    QSqlQuery q(m_db->db());
    QVERIFY(q.exec("create table T (K text primary key, V)"));
    const FieldKinds fields({"K", "V"}, {int(QMetaType::QString), kind});
    const UpdateApplier::Statements sql{"insert into T (K, V) values (:K, :V)", {}, {}};
    auto row = [&](const QString &key) {
        CachedRow r = CachedRow::inserted(2);
        r.restoreValues({key, value});
        return r;
    };
    UpdateApplier batch("CVELQ", sql, fields, {});
    const quint64 before = UpdateApplier::statementsSent();
    QVERIFY2(batch.apply({row("a"), row("b")}), qPrintable(batch.error()));
    QCOMPARE(UpdateApplier::statementsSent() - before, quint64(1));   // one batch, not row by row again
    UpdateApplier single("CVELQ", sql, fields, {});
    QVERIFY2(single.apply({row("c")}), qPrintable(single.error()));

    QVERIFY(q.exec("select V, typeof(V) from T order by K"));
    QStringList stored;
    while (q.next())
        stored << q.value(1).toString() + ":" + q.value(0).toString();
    QCOMPARE(stored.size(), 3);
    QCOMPARE(stored.at(0), stored.at(2));
    QCOMPARE(stored.at(1), stored.at(2));
    if (kind == QMetaType::QString && !value.isNull())
        QCOMPARE(stored.at(2), "text:" + value.toString());
}

// A statement run once (StatementRunner, straight to the engine on SQLite):
// the rows it changed, or the engine's words and nothing changed.
void tst_UpdateApplier::runnerOutcomes_data()
{
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QVariantMap>("params");
    QTest::addColumn<int>("changed");       // -1: refused
    QTest::addColumn<QString>("words");     // in the message when refused
    QTest::addColumn<QString>("after");     // CD01 then

    QTest::newRow("every row") << "update CD01 set HSIEN_NAME = :N" << QVariantMap{{"N", "x"}} << 2 << ""
                               << "A=x;B=x";
    QTest::newRow("a parameter twice") << "update CD01 set HSIEN_NAME = :N || :N where HSIEN_ID = :K"
                                       << QVariantMap{{"N", "甲"}, {"K", "B"}} << 1 << "" << "A=臺北市;B=甲甲";
    QTest::newRow("no row") << "delete from CD01 where HSIEN_ID = :K" << QVariantMap{{"K", "Z"}} << 0 << ""
                            << Stored;
    QTest::newRow("a parameter not given is NULL") << "delete from CD01 where HSIEN_ID = :K or :K is null"
                                                   << QVariantMap{} << 2 << "" << "";
    QTest::newRow("a key stored already") << "insert into CD01 (HSIEN_ID, HSIEN_NAME) values (:K, 'x')"
                                          << QVariantMap{{"K", "A"}} << -1 << EngineWords::repeatedKey() << Stored;
    QTest::newRow("no such table") << "delete from NOSUCH" << QVariantMap{} << -1 << "NOSUCH" << Stored;
    if (!TestDatabase::onServer()) {
        // A server's simple protocol runs every statement of a text; SQLite's
        // driver runs one, and a text of two is refused rather than half run.
        QTest::newRow("two statements in one text") << "update CD01 set HSIEN_NAME = 'x'; delete from CD01"
                                                    << QVariantMap{} << -1 << "multiple statements" << Stored;
    }
}

void tst_UpdateApplier::runnerOutcomes()
{
    QFETCH(QString, sql);
    QFETCH(QVariantMap, params);
    QFETCH(int, changed);
    QFETCH(QString, words);
    QFETCH(QString, after);
    QString error;
    QCOMPARE(StatementRunner::run(m_db->connectionName(), sql, params, &error), changed);
    QVERIFY2(changed < 0 ? error.contains(words, Qt::CaseInsensitive) : error.isEmpty(), qPrintable(error));
    QCOMPARE(stored(), after);
}

// Another connection holds SQLite's write lock: a statement run once waits
// the connection's busy timeout, no longer, and says so in the system's words.
void tst_UpdateApplier::runnerWaitsBoundedWhenBusy()
{
    if (TestDatabase::onServer())
        QSKIP("holds SQLite's write lock on the file");
    const QString waiting = QStringLiteral("WAITING");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", waiting);
        db.setDatabaseName(m_db->path());
        db.setConnectOptions("QSQLITE_BUSY_TIMEOUT=300");
        QVERIFY(db.open());
    }
    QSqlQuery holder(m_db->db());
    QVERIFY(holder.exec("begin immediate"));
    QElapsedTimer clock;
    clock.start();
    QString error;
    QCOMPARE(StatementRunner::run(waiting, "delete from CD01", {}, &error), -1);
    QCOMPARE(error, EngineMessage::busy());
    QVERIFY2(clock.elapsed() >= 250 && clock.elapsed() < 3000, qPrintable(QString::number(clock.elapsed())));
    QVERIFY(holder.exec("commit"));
    QCOMPARE(StatementRunner::run(waiting, "delete from CD01", {}, &error), 2);
    QSqlDatabase::removeDatabase(waiting);
}

QTEST_GUILESS_MAIN(tst_UpdateApplier)
#include "tst_update_applier.moc"
