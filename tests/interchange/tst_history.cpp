#include "tests/interchange/import_fixture.h"
#include "tests/support/cli_process.h"

#include "db/change_list.h"
#include "db/change_operation.h"
#include "db/chunked_delete.h"
#include "db/export_record.h"
#include "db/named_placeholders.h"
#include "db/record_save.h"
#include "db/change_pack.h"
#include "db/change_values.h"
#include "db/schema.h"

#include <QCryptographicHash>

// The records the database keeps of its own work: every export, and every
// change of declaration rows (keyed, imported, a month deleted) with the key
// and the values before and after, written in the change's own transaction.
class TestHistory : public ImportFixture
{
    Q_OBJECT

    // The month's history as lines: operation, key, old values, new values.
    QStringList history(int year = 88, int month = 5)
    {
        QList<ChangeEntry> entries;
        QString error;
        if (!ChangeEntry::ofMonth(m_db->connectionName(), year, month, {}, &entries, &error))
            return {error};
        QStringList lines;
        for (const ChangeEntry &e : entries)
            lines << QStringList{ChangeOperation::words(e.operation), e.describeKey(), e.describeOld(),
                                 e.describeNew()}.join(u'|');
        return lines;
    }
    int operations() { return m_db->count(QStringLiteral("CHANGE_LOG")); }

    static QString key(const char *account) { return QStringLiteral("M_YEAR=88 M_MONTH=5 BANK_CODE=ABC ACC_CODE=") + account; }

    enum Edit { ModifyAmount, Append, AppendOddInstitution, Remove, ModifyKey, ModifyUnchanged, ChangedBehindItsBack, CallerRollsBack };

private slots:
    void init() { setUp(); }

    void keyedSave_data()
    {
        QTest::addColumn<int>("edit");
        QTest::addColumn<bool>("saved");
        QTest::addColumn<QStringList>("expected");
        const QString k11000 = key("11000");
        QTest::newRow("amount modified") << int(ModifyAmount) << true
                                         << QStringList{"鍵入|" + k11000 + "|AMT=1234.5 SERIAL=1|AMT=99 SERIAL=1"};
        QTest::newRow("row appended") << int(Append) << true
                                      << QStringList{"鍵入|" + key("H0001") + "||AMT=7.25 SERIAL=4"};
        // The operation is the institution's as its code reads trimmed; the
        // row's own key keeps the leading blank.
        QTest::newRow("row appended, its institution with a leading blank")
            << int(AppendOddInstitution) << true
            << QStringList{"鍵入|M_YEAR=88 M_MONTH=5 BANK_CODE= ABC ACC_CODE=H0001||AMT=7.25 SERIAL=4"};
        QTest::newRow("row deleted") << int(Remove) << true
                                     << QStringList{"鍵入|" + key("11500") + "|AMT=-0.5 SERIAL=2|"};
        QTest::newRow("key modified: one row goes, one comes")
            << int(ModifyKey) << true
            << QStringList{"鍵入|" + key("1234p") + "|AMT=12.345 SERIAL=3|", "鍵入|" + key("H0002") + "||AMT=12.345 SERIAL=3"};
        QTest::newRow("modified back to its values: no change") << int(ModifyUnchanged) << true << QStringList{};
        QTest::newRow("refused save leaves no record") << int(ChangedBehindItsBack) << false << QStringList{};
        QTest::newRow("caller's rollback takes the record too") << int(CallerRollsBack) << true << QStringList{};
    }
    void keyedSave()
    {
        QFETCH(int, edit);
        QFETCH(bool, saved);
        QFETCH(QStringList, expected);
        CachedDataset rows(m_db->connectionName());
        rows.setSql(QStringLiteral("select * from MPBANK where M_YEAR = 88 and M_MONTH = 5 order by ACC_CODE"));
        rows.setUpdateTable(QStringLiteral("MPBANK"));
        QVERIFY(rows.open());
        const auto at = [&](const char *account) {
            return rows.locate({QStringLiteral("ACC_CODE")}, {QString::fromLatin1(account)});
        };
        switch (Edit(edit)) {
        case ModifyAmount:
        case ChangedBehindItsBack:
        case CallerRollsBack:
            QVERIFY(at("11000") && rows.setValue(QStringLiteral("AMT"), 99.0) && rows.post());
            break;
        case Append:
        case AppendOddInstitution:
            QVERIFY(rows.append());
            for (const auto &[field, value] : QList<std::pair<QString, QVariant>>{
                     {"M_YEAR", 88}, {"M_MONTH", 5}, {"BANK_CODE", edit == Append ? "ABC" : " ABC"},
                     {"ACC_CODE", "H0001"}, {"AMT", 7.25},
                     {"SERIAL", 4}})
                QVERIFY(rows.setValue(field, value));
            QVERIFY(rows.post());
            break;
        case Remove: QVERIFY(at("11500") && rows.remove()); break;
        case ModifyKey: QVERIFY(at("1234p") && rows.setValue(QStringLiteral("ACC_CODE"), QStringLiteral("H0002")) && rows.post()); break;
        case ModifyUnchanged:
            QVERIFY(at("11000") && rows.setValue(QStringLiteral("AMT"), 5.0) && rows.post());
            QVERIFY(rows.setValue(QStringLiteral("AMT"), 1234.5) && rows.post());
            break;
        }
        if (edit == ChangedBehindItsBack)
            QVERIFY(m_db->exec(QStringLiteral("update MPBANK set AMT = 1 where ACC_CODE = '11000' and M_MONTH = 5")));
        if (edit == CallerRollsBack)
            QVERIFY(m_db->db().transaction());
        QCOMPARE(RecordSave(rows).run(), saved);
        if (edit == CallerRollsBack)
            QVERIFY(m_db->db().rollback());
        QCOMPARE(history(), expected);
        QCOMPARE(operations(), expected.isEmpty() ? 0 : 1);
    }

    // A row's key and values read the same whether the history took them
    // from the rows in memory (a keyed save) or from the table by a statement
    // (an import, a month deleted): else a row's history would lose half.
    void encodingAgreesOnBothSides_data()
    {
        QTest::addColumn<QString>("account");   // as stored
        QTest::addColumn<QVariant>("amount");
        QTest::addColumn<QString>("values");    // as the history shows them
        QTest::newRow("plain") << "11000" << QVariant(1234.5) << "AMT=1234.5 SERIAL=1";
        QTest::newRow("trailing blanks of a key text") << "110  " << QVariant(3.0) << "AMT=3 SERIAL=1";
        QTest::newRow("no amount") << "11001" << QVariant(QMetaType(QMetaType::Double)) << "AMT= SERIAL=1";
        QTest::newRow("four places, negative") << "11002" << QVariant(-0.0001) << "AMT=-0.0001 SERIAL=1";
        // Fifteen significant digits: what the engines' text of a stored number keeps.
        QTest::newRow("large amount") << "11003" << QVariant(92233720368.4775) << "AMT=92233720368.4775 SERIAL=1";
        // Beyond fifteen: the statement's text must keep the last digit too.
        QTest::newRow("sixteen digits, four places") << "11004" << QVariant(123456789012.3456)
                                                     << "AMT=123456789012.3456 SERIAL=1";
        QTest::newRow("sixteen digits, whole") << "11005" << QVariant(1234567890123456.0)
                                               << "AMT=1234567890123456 SERIAL=1";
    }
    void encodingAgreesOnBothSides()
    {
        QFETCH(QString, account);
        QFETCH(QVariant, amount);
        QFETCH(QString, values);
        const TableDef &table = *Schema::table(QStringLiteral("MPBANK"));
        const QVariantMap row{{"M_YEAR", 90}, {"M_MONTH", 1}, {"BANK_CODE", "ABC"}, {"ACC_CODE", account},
                              {"AMT", amount}, {"SERIAL", 1}};
        QVERIFY(m_db->insertRow(QStringLiteral("MPBANK"), row));
        const auto lookup = [&](const QString &field) { return row.value(field); };
        // The row's line as a month operation packs it from the table (the row
        // about to go): its key as a save writes it from memory, its values
        // read back alike.
        ChangeOperation deleted(m_db->connectionName(), ChangeOperation::Kind::MonthDeleted,
                                DeclarationKind::get(DeclarationKind::B01), "ABC", 90, 1);
        QString error;
        QVERIFY2(deleted.addStoredRows("t", "from MPBANK t where M_YEAR = :Y", {{"Y", 90}}, true, &error),
                 qPrintable(error));
        const QList<ChangePack::Row> read =
            ChangePack::rows(m_db->scalar(QStringLiteral("select ROWS_TEXT from CHANGE_ROW")).toString());
        QCOMPARE(read.size(), 1);
        // The line leaves out the operation's month and institution; read
        // back, the key is whole again.
        QCOMPARE(read.first().key, account.trimmed());
        QCOMPARE(deleted.lineKey().whole(read.first().key), ChangeValues::keyOf(table, lookup));
        QCOMPARE(ChangeValues::describe(table, false, read.first().oldValues), values);
        QVERIFY(read.first().newValues.isNull());
        QCOMPARE(ChangeValues::describe(table, false, ChangeValues::valuesOf(table, lookup)), values);
    }

    // An import that replaces a month is one operation: the month's rows as
    // they were, then the file's rows as stored.
    void importReplacingAMonth()
    {
        const QString file = writeFile(QStringLiteral("B01ABC000008805"),
                                       crlf({b01("08805", "ABC0000", "11000", "1"),
                                             b01("08805", "ABC0000", "1234p", "12.345")}));
        CachedDataset target(m_db->connectionName());
        QVERIFY(runImport(file, Kind::B01, target, true).ok());
        QCOMPARE(operations(), 1);
        QCOMPARE(m_db->scalar(QStringLiteral("select OPERATION || ' ' || BANK_CODE from CHANGE_LOG")).toString(),
                 QStringLiteral("I ABC"));
        QCOMPARE(m_db->scalar(QStringLiteral("select ROWS_CHANGED from CHANGE_LOG")).toDouble(), 5.0);
        QCOMPARE(history(), (QStringList{"匯入|" + key("11000") + "|AMT=1234.5 SERIAL=1|",
                                         "匯入|" + key("11000") + "||AMT=1 SERIAL=1",
                                         "匯入|" + key("11500") + "|AMT=-0.5 SERIAL=2|",
                                         "匯入|" + key("1234p") + "|AMT=12.345 SERIAL=3|",
                                         "匯入|" + key("1234p") + "||AMT=0.0123 SERIAL=2"}));
        // The row's own history finds it by the key the tab computes.
        QList<ChangeEntry> ofRow;
        QString error;
        QVERIFY(ChangeEntry::ofRow(m_db->connectionName(), QStringLiteral("B01"),
                                   QStringList{"88", "5", "ABC", "11000"}.join(QChar(0x1f)), &ofRow, &error));
        QCOMPARE(ofRow.size(), 2);
        // Declined: nothing written, nothing recorded.
        CachedDataset again(m_db->connectionName());
        QCOMPARE(runImport(file, Kind::B01, again, false).status, Status::Declined);
        QCOMPARE(operations(), 1);
    }

    void monthDeleted_data()
    {
        QTest::addColumn<int>("expectedRows");   // told to the delete
        QTest::addColumn<int>("operations");
        QTest::newRow("the month as read") << 3 << 1;
        QTest::newRow("another count: refused, rolled back, no record") << 2 << 0;
    }
    void monthDeleted()
    {
        QFETCH(int, expectedRows);
        QFETCH(int, operations);
        const Kind &kind = kindOf(Kind::B01);
        ChunkedDelete whole;
        whole.table = kind.table();
        whole.rowidStatement = kind.tabQuery().rowidStatement(true, true);
        for (const QString &name : NamedPlaceholders::in(whole.rowidStatement))
            whole.params.insert(name, name == kind.tabQuery().yearParam    ? QVariant(88)
                                      : name == kind.tabQuery().monthParam ? QVariant(5)
                                                                           : QVariant(QStringLiteral("ABC")));
        whole.expectedRows = expectedRows;
        ChangeOperation history(m_db->connectionName(), ChangeOperation::Kind::MonthDeleted, kind, "ABC", 88, 5);
        whole.history = &history;
        QVERIFY(m_db->db().transaction());
        QString error;
        const bool ok = whole.run(&error);
        QVERIFY(ok ? m_db->db().commit() : m_db->db().rollback());
        QCOMPARE(this->operations(), operations);
        QCOMPARE(this->history().size(), 3 * operations);
        if (operations)
            QCOMPARE(this->history().first(), "刪除整月|" + key("11000") + "|AMT=1234.5 SERIAL=1|");
        QCOMPARE(m_db->count(QStringLiteral("MPBANK"), QStringLiteral("M_MONTH = 5")), 3 - 3 * operations);
    }

    // Each file written is on record with the fingerprint of its bytes.
    void exportRecorded()
    {
        const QHash<int, QString> paths = exportMonth();
        QCOMPARE(paths.size(), 5);
        QList<ExportRecord> records;
        QString error;
        QVERIFY(ExportRecord::list(m_db->connectionName(), 88, 5, &records, &error));
        QCOMPARE(records.size(), 5);
        for (const ExportRecord &r : records) {
            const QString path = QDir(r.folder).filePath(r.fileName);
            QCOMPARE(path, paths.value(Kind::find(r.kind)->id()));
            QCOMPARE(r.sha256, QString::fromLatin1(QCryptographicHash::hash(bytesOf(path), QCryptographicHash::Sha256).toHex()));
            QCOMPARE(r.bankCode, QStringLiteral("ABC"));
            QVERIFY(QRegularExpression(QStringLiteral("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d$")).match(r.doneAt).hasMatch());
            QVERIFY(r.doneBy.contains(u'@'));
        }
        QCOMPARE(records.first().kind, QStringLiteral("B04"));   // newest first: written last
        QVERIFY(ExportRecord::list(m_db->connectionName(), 88, 4, &records, &error));
        QVERIFY(records.isEmpty());
    }
    // A record that cannot be kept stops the file before it takes its name.
    void exportWithoutItsRecordIsRefused()
    {
        QVERIFY(m_db->exec(QStringLiteral("drop table EXPORT_LOG")));
        QVERIFY(exportMonth().isEmpty());
        QVERIFY(folderListing().isEmpty());
    }

    void commandLines_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("status");
        QTest::addColumn<QStringList>("lineStarts");   // each output line starts so (after the first column for changes)
        QTest::newRow("exports of the month") << QStringList{"history", "exports", "--year", "88", "--month", "5"} << 0
                                              << QStringList{"B04", "B03", "B05", "B02", "B01"};
        QTest::newRow("exports of another month") << QStringList{"history", "exports", "--year", "88", "--month", "4"}
                                                  << 0 << QStringList{};
        QTest::newRow("changes of an account") << QStringList{"history", "changes", "--year", "88", "--month", "5",
                                                              "--account", "11000"}
                                               << 0 << QStringList{"鍵入"};
        QTest::newRow("changes of another kind") << QStringList{"history", "changes", "--year", "88", "--month", "5",
                                                                "--kind", "B05"}
                                                 << 0 << QStringList{};
        QTest::newRow("no list named") << QStringList{"history"} << 2 << QStringList{};
        QTest::newRow("unknown list") << QStringList{"history", "sent"} << 2 << QStringList{};
        QTest::newRow("changes without a month") << QStringList{"history", "changes", "--year", "88"} << 2 << QStringList{};
        QTest::newRow("month 13") << QStringList{"history", "changes", "--year", "88", "--month", "13"} << 2 << QStringList{};
        QTest::newRow("unknown kind") << QStringList{"history", "changes", "--year", "88", "--month", "5", "--kind", "B06"}
                                      << 2 << QStringList{};
        QTest::newRow("stray argument") << QStringList{"history", "exports", "x"} << 2 << QStringList{};
    }
    void commandLines()
    {
        QFETCH(QStringList, args);
        QFETCH(int, status);
        QFETCH(QStringList, lineStarts);
        exportMonth();
        CachedDataset rows(m_db->connectionName());
        rows.setSql(QStringLiteral("select * from MPBANK where M_YEAR = 88 and M_MONTH = 5 order by ACC_CODE"));
        rows.setUpdateTable(QStringLiteral("MPBANK"));
        QVERIFY(rows.open() && rows.locate({"ACC_CODE"}, {"11000"}) && rows.setValue("AMT", 2.0) && rows.post());
        QVERIFY(rows.locate({"ACC_CODE"}, {"11500"}) && rows.setValue("AMT", 3.0) && rows.post());
        QVERIFY(RecordSave(rows).run());
        const CliProcess run = velq8(m_db->path(), args);
        QCOMPARE(run.status, status);
        const QStringList lines = run.out.split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), lineStarts.size());
        for (int i = 0; i < lines.size(); ++i) {
            const QStringList fields = lines.at(i).split(u'\t');
            QCOMPARE(fields.at(args.at(1) == QLatin1String("exports") ? 2 : 3), lineStarts.at(i));
        }
        if (status == 2)
            QVERIFY(!run.err.isEmpty());
    }

    // Started without a login's environment (a service, a scheduled job), a
    // desk still records who it is: the account the program runs as.
    void whoWithoutALoginsEnvironment()
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char *name : {"USER", "LOGNAME", "USERNAME"})
            environment.remove(QString::fromLatin1(name));
        const CliProcess run = velq8({"--database", m_db->path(), "export", "--year", "88", "--month", "5", "--kinds",
                                      "B01", "--dir", m_out->path()},
                                     environment);
        QVERIFY2(run.status == 0, qPrintable(run.err));
        const QString who = m_db->scalar(QStringLiteral("select DONE_BY from EXPORT_LOG")).toString();
        QVERIFY2(who.contains(u'@') && !who.startsWith(u'?'), qPrintable(who));
    }

    // verify, with a database at hand, names the export of a file on record.
    void verifyNamesTheExport()
    {
        const QString exported = exportMonth().value(Kind::B01);
        const QString unknown = writeFile(QStringLiteral("B01ABC000008805.TXT"),
                                          crlf({b01("08805", "ABC0000", "11000", "1")}));
        const CliProcess run = velq8(m_db->path(), {QStringLiteral("verify"), exported, unknown});
        QCOMPARE(run.status, 0);
        const QStringList lines = run.out.split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 4);
        QVERIFY2(QRegularExpression(exported + QStringLiteral("\t匯出於 \\d{4}-\\d\\d-\\d\\d\t.+@.+$")).match(lines.at(1)).hasMatch(),
                 qPrintable(lines.at(1)));
        QCOMPARE(lines.at(3), unknown + QStringLiteral("\t查無相符的匯出紀錄"));
        // Without a database the lines are as they always were.
        const CliProcess bare = velq8(m_out->filePath("none.sqlite"), {QStringLiteral("verify"), exported});
        QCOMPARE(bare.status, 0);
        QCOMPARE(bare.out.count(u'\n'), 1);
    }
};

QTEST_MAIN(TestHistory)
#include "tst_history.moc"
