#pragma once

// The fixture of the import tests: a database of its own with every reference
// table and one month (88/5) of every kind, a folder for the files, and helpers
// to write, export and compare. The three import test classes derive from it.

#include "ui/messages.h"
#include "db/cached_dataset.h"
#include "db/table_cursor.h"
#include "interchange/declaration_format.h"
#include "db/declaration_kind.h"
#include "db/dialect.h"
#include "interchange/export_engine.h"
#include "interchange/ui/import_dialog.h"
#include "interchange/import_engine.h"
#include "interchange/record_reader.h"
#include "interchange/record_writer.h"
#include "tests/support/fake_shell.h"
#include "tests/support/database_test.h"
#include "tests/support/files.h"
#include "tests/support/refused_insert.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRandomGenerator>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>
#include <optional>
namespace import_fixture {

using Kind = DeclarationKind;
using Status = ImportEngine::Status;

const Kind &kindOf(Kind::Id id) { return Kind::get(id); }

// The shared fake shell as the import tests want it: a fixed institution, and
// not in browse mode, so the import's setting of the mode shows.
struct ImportShell : FakeShell
{
    ImportShell()
    {
        bankCode = QStringLiteral("ABC");
        bankName = QStringLiteral("範例銀行");
        mode = EditMode::Modify;
        todayValue = QDate(1999, 5, 15);
        open();
    }
};

QByteArray crlf(const QList<QByteArray> &lines)
{
    QByteArray out;
    for (const QByteArray &l : lines)
        out += l + "\r\n";
    return out;
}

// A B01 line: year, month, institution, account, amount text (right-aligned).
QByteArray b01(const char *period, const char *bank, const char *account, const char *amount)
{
    return QByteArray(period) + QByteArray(bank).leftJustified(7, ' ') + QByteArray(account)
         + QByteArray(amount).rightJustified(14, '0');
}

} // namespace import_fixture

using namespace import_fixture;

// Derived classes set up with `void init() { setUp(); }`.
class ImportFixture : public DatabaseTest
{
protected:
    // Writes a file of the test folder by name; its path.
    QString writeFile(const QString &name, const QByteArray &bytes)
    {
        const QString path = m_out->filePath(name);
        if (!::writeFile(path, bytes))
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }
    static QByteArray bytesOf(const QString &path) { return contents(path); }
    QStringList folderListing() const { return filesIn(m_out->path()); }
    // Every row of a table in stored order, with its stored-order number first:
    // "exactly as it was". The fields follow as the table defines them (a
    // server table's own stored-order column is not repeated among them).
    QStringList dump(const QString &table) { return storedRows(table, false); }
    // The same, numbered 1, 2, ... in stored order: the order a table emptied
    // and filled again holds, whatever numbers the engine gave its rows.
    QStringList dumpInOrder(const QString &table) { return storedRows(table, true); }
    // The rows of a month, without rowid, sorted: what is stored, not where.
    // Field names in capitals, as the tables define them, on either engine.
    QStringList monthRows(const QString &table, int year, int month)
    {
        QStringList rows;
        QSqlQuery q(m_db->db());
        q.exec(QStringLiteral("select * from %1 where M_YEAR = %2 and M_MONTH = %3").arg(table).arg(year).arg(month));
        while (q.next()) {
            QStringList values;
            for (int i = 0; i < q.record().count(); ++i) {
                if (!Dialect::isStoredOrderColumn(q.record().fieldName(i)))
                    values << q.record().fieldName(i).toUpper() + u'=' + q.value(i).toString();
            }
            rows << values.join(u'|');
        }
        rows.sort();
        return rows;
    }

    // Without an answer no callback is given: the engine's default decides.
    ImportEngine::Result runImport(const QString &path, Kind::Id id, CachedDataset &target,
                                   std::optional<bool> answer = {}, int *asked = nullptr)
    {
        ImportEngine::Request request;
        request.file = path;
        request.kind = &kindOf(id);
        request.target = &target;
        if (answer) {
            request.confirmReplace = [=] {
                if (asked)
                    ++*asked;
                return *answer;
            };
        }
        return ImportEngine::run(request);
    }

    void fillFixture()
    {
        const bool ok = m_db->exec({
                 "insert into BN01 (BANK_NO, BANK_NAME) values ('ABC', '範例銀行'), ('ABC0011', '第一分行'), "
                 "('ABC0022', '第二分行')",
                 "insert into CACNO (ACC_CODE, ACC_NAME) values ('11000', '現金'), ('11500', '存放央行'), "
                 "('1234p', '逾放比率')",
                 "insert into CD01 (HSIEN_ID, HSIEN_NAME) values ('A', '臺北市'), ('B', '臺中市')",
                 "insert into HCACNO (ACC_CODE, ACC_NAME) values ('H0001', '存款'), ('H0002', '放款')",
                 // The last one is of another month: never touched.
                 "insert into MPBANK (M_YEAR, M_MONTH, BANK_CODE, ACC_CODE, AMT, SERIAL) values "
                 "(88, 5, 'ABC', '11000', 1234.5, 1), (88, 5, 'ABC', '11500', -0.5, 2), "
                 "(88, 5, 'ABC', '1234p', 12.345, 3), (88, 4, 'ABC', '11000', 1.0, 1)",
                 "insert into EM03 (M_YEAR, M_MONTH, BANK_CODE, BANK_CODE1, M_RATE) values "
                 "(88, 5, 'ABC', 'ABC0011', 2.5), (88, 5, 'ABC', 'ABC0022', 1.25)",
                 "insert into EM08 (BANK_CODE, M_YEAR, M_MONTH, FLAG1, FLAG2, FLAG3, FLAG4, RATE) values "
                 "('ABC', 88, 5, '1', '1', '01', '1', 2.5), ('ABC', 88, 5, '2', '5', '09', '3', 1.75)",
                 "insert into EM09 (BANK_CODE, M_YEAR, M_MONTH, FLAG1, FLAG2, FLAG3, AMT, AMT1) values "
                 "('ABC', 88, 5, '0', '0', '01', 3.0, 123456.5), ('ABC', 88, 5, '3', '2', '10', 7.0, -5.0)",
                 "insert into HMPBANK (M_YEAR, M_MONTH, BANK_CODE, HSIEN_ID, ACC_CODE, AMT) values "
                 "(88, 5, 'ABC', 'A', 'H0001', 100.0), (88, 5, 'ABC', 'A', 'H0002', 200.25), "
                 "(88, 5, 'ABC', 'B', 'H0001', -3.0)"});
        if (!ok)
            qFatal("fixture: %s", qPrintable(m_db->lastError()));
    }

    // Exports 88/5 of every kind into the test folder; the paths by kind.
    QHash<int, QString> exportMonth()
    {
        ExportEngine::Request request;
        request.period = Period{88, 5};
        request.kinds = Kind::all();
        request.directory = m_out->path();
        request.institutionCode = QStringLiteral("ABC");
        request.confirmOverwrite = [](const QString &) { return true; };
        request.report = [](const ExportEngine::Message &) {};
        const ExportEngine::Result result = ExportEngine::run(request);
        QHash<int, QString> paths;
        for (const Kind *k : Kind::all()) {
            const auto r = result.of(*k);
            if (r.outcome == ExportEngine::Outcome::Written)
                paths.insert(k->id(), r.entryPath);
        }
        return paths;
    }

    void setUp()
    {
        DatabaseTest::init();
        fillFixture();
    }

private:
    QStringList storedRows(const QString &table, bool renumbered)
    {
        QStringList rows;
        QSqlQuery q(m_db->db());
        if (!q.exec(QStringLiteral("select rowid, * from %1 order by rowid").arg(table)))
            return {QStringLiteral("<query failed>")};
        int number = 0;
        while (q.next()) {
            QStringList values{renumbered ? QString::number(++number) : q.value(0).toString()};
            for (int i = 1; i < q.record().count(); ++i) {
                if (!Dialect::isStoredOrderColumn(q.record().fieldName(i)))
                    values << q.value(i).toString();
            }
            rows << values.join(u'|');
        }
        return rows;
    }
};
