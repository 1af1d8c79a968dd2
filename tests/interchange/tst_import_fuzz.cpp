#include "interchange/declaration_file_check.h"
#include "tests/interchange/import_fixture.h"

// Mutated and random lines: the reader and the engine refuse or read, never
// crash, and a refusal changes nothing.
class TestImportFuzz : public ImportFixture
{
    Q_OBJECT

private slots:
    void init() { setUp(); }

    // The record reader, as the import takes lines, over thousands of mutated
    // lines of every kind: it never crashes, and a line it accepts holds every
    // field in printable ASCII and renders back to a line that reads the same
    // values (the same numbers exactly).
    void recordReaderFuzz()
    {
        QRandomGenerator rng(0x5eed1);
        const QByteArray alphabet("0123456789-. +ApZ0000");
        QHash<int, QList<QVariantMap>> seeds;
        auto row = [](std::initializer_list<std::pair<const char *, QVariant>> values) {
            QVariantMap m;
            for (const auto &[k, v] : values)
                m.insert(QString::fromLatin1(k), v);
            return m;
        };
        seeds[Kind::B01] = {row({{"M_YEAR", 88}, {"M_MONTH", 5}, {"BANK_CODE", "ABC"}, {"ACC_CODE", "11000"}, {"AMT", -1234.5}}),
                            row({{"M_YEAR", 115}, {"M_MONTH", 12}, {"BANK_CODE", "9950011"}, {"ACC_CODE", "1234p"}, {"AMT", 12.345}})};
        seeds[Kind::B02] = {row({{"M_YEAR", 88}, {"M_MONTH", 5}, {"BANK_CODE", "ABC"}, {"BANK_CODE1", "ABC0011"}, {"M_RATE", 2.5}})};
        seeds[Kind::B03] = {row({{"M_YEAR", 88}, {"M_MONTH", 5}, {"BANK_CODE", "ABC"}, {"FLAG1", "1"}, {"FLAG2", "2"},
                                 {"FLAG3", "09"}, {"FLAG4", "3"}, {"RATE", 2.5}})};
        seeds[Kind::B04] = {row({{"M_YEAR", 88}, {"M_MONTH", 5}, {"BANK_CODE", "ABC"}, {"FLAG1", "0"}, {"FLAG2", "1"},
                                 {"FLAG3", "10"}, {"AMT", 7}, {"AMT1", -123456.25}})};
        seeds[Kind::B05] = {row({{"M_YEAR", 88}, {"M_MONTH", 5}, {"BANK_CODE", "ABC"}, {"HSIEN_ID", "A"},
                                 {"ACC_CODE", "H0001"}, {"AMT", 0.0001}})};

        int accepted = 0;
        int refused = 0;
        for (const Kind *kind : Kind::all()) {
            const RecordReader reader(*kind);
            const RecordWriter writer(*kind);
            QList<QByteArray> seedLines;
            for (const QVariantMap &values : seeds.value(kind->id())) {
                const auto w = writer.write(values);
                QVERIFY2(w.ok(), qPrintable(w.error));
                seedLines << w.line;
            }
            for (int i = 0; i < 4000; ++i) {
                QByteArray line = seedLines.at(int(rng.bounded(quint32(seedLines.size()))));
                const int edits = 1 + int(rng.bounded(3u));
                for (int e = 0; e < edits; ++e) {
                    const int pos = int(rng.bounded(quint32(line.size() + 1)));
                    const char c = alphabet.at(int(rng.bounded(quint32(alphabet.size()))));
                    switch (rng.bounded(6u)) {
                    case 0:
                    case 1:
                        if (pos < line.size())
                            line[pos] = c;
                        break;
                    case 2:
                        if (pos < line.size())
                            line[pos] = char(rng.bounded(256u));
                        break;
                    case 3:
                        line.remove(pos, 1);
                        break;
                    case 4:
                        line.insert(pos, c);
                        break;
                    case 5:
                        line.truncate(pos);
                        break;
                    }
                }
                const RecordReader::Result r = DeclarationFileCheck::readRecord(reader, line, 7);
                if (!r.ok()) {
                    ++refused;
                    QVERIFY(r.values.isEmpty());
                    QVERIFY2(r.error.contains(QStringLiteral("第 7 行")), qPrintable(r.error));
                    continue;
                }
                ++accepted;
                const QByteArray shown = line.toPercentEncoding(" -.");
                QVERIFY2(line.size() >= reader.requiredLength(), shown.constData());
                for (int k = 0; k < reader.requiredLength(); ++k) {
                    const auto b = static_cast<unsigned char>(line.at(k));
                    QVERIFY2(b >= 0x20 && b <= 0x7e, shown.constData());
                }
                QCOMPARE(r.values.size(), kind->fields().size());
                const auto w = writer.write(r.values);
                QVERIFY2(w.ok(), qPrintable(QString::fromLatin1(shown) + u' ' + w.error));
                const RecordReader::Result again = DeclarationFileCheck::readRecord(reader, w.line, 7);
                QVERIFY2(again.ok(), qPrintable(QString::fromLatin1(shown) + u' ' + again.error));
                for (const DeclarationField &f : kind->fields()) {
                    if (f.rendering == DeclarationField::Rendering::InstitutionCode) {
                        // The format pads codes with "0", so "ABC000" (read from
                        // "ABC000 ") and "ABC" are one code in a file: compare the
                        // code as a file holds it.
                        QCOMPARE(DeclarationFormat::institutionText(again.values.value(f.name).toString()),
                                 DeclarationFormat::institutionText(r.values.value(f.name).toString()));
                    } else if (f.isNumber()) {
                        QVERIFY2(again.numbers.value(f.name) == r.numbers.value(f.name), shown.constData());
                    } else {
                        QVERIFY2(again.values.value(f.name) == r.values.value(f.name),
                                 qPrintable(QString::fromLatin1(shown) + u' ' + f.name));
                    }
                }
            }
        }
        // The generator reaches both sides of the reader.
        QVERIFY2(accepted > 1000 && refused > 1000, qPrintable(QStringLiteral("%1/%2").arg(accepted).arg(refused)));
    }

    // Whole mutated files through the engine on a stored month: whatever the
    // outcome, a file that is not imported changes nothing, and the file is
    // never changed.
    void engineFuzz()
    {
        QRandomGenerator rng(0xf11e5);
        const QByteArray base = crlf({b01("08805", "ABC0000", "11000", "7"), b01("08805", "ABC0000", "11500", "-0.5"),
                                      b01("08805", "ABC0000", "1234p", "12345")});
        const QByteArray alphabet("0123456789-. pA\r\n\xb5");
        // Speed only: hundreds of commits (the test server does not sync anyway).
        if (!TestDatabase::onServer())
            QVERIFY(m_db->exec("pragma synchronous = off"));
        for (int i = 0; i < 300; ++i) {
            QByteArray bytes = base;
            const int edits = 1 + int(rng.bounded(3u));
            for (int e = 0; e < edits; ++e) {
                const int pos = int(rng.bounded(quint32(bytes.size())));
                const char c = alphabet.at(int(rng.bounded(quint32(alphabet.size()))));
                switch (rng.bounded(3u)) {
                case 0: bytes[pos] = c; break;
                case 1: bytes.remove(pos, 1); break;
                case 2: bytes.insert(pos, c); break;
                }
            }
            const QString path = writeFile(QStringLiteral("B01ABC000008805"), bytes);
            QVERIFY(m_db->exec("delete from MPBANK where M_MONTH = 5"));
            QVERIFY(m_db->exec("insert into MPBANK values (88, 5, 'ABC', '11000', 1, 1), (88, 5, 'ABC', '11500', 2, 2), "
                               "(88, 5, 'ABC', '1234p', 3, 3)"));
            const int monthBefore = 3;
            const QStringList before = dump("MPBANK");
            CachedDataset target;
            const auto result = runImport(path, Kind::B01, target, true);
            QCOMPARE(bytesOf(path), bytes);
            QCOMPARE(folderListing(), QStringList({"B01ABC000008805"}));
            if (result.ok()) {
                // A mutated code may give lines of two institutions: only the
                // stored rows of the last line's institution are replaced.
                QCOMPARE(m_db->count("MPBANK", "M_YEAR = 88 and M_MONTH = 5"),
                         monthBefore - (result.replaced ? result.storedRows : 0) + result.rowsRead);
            } else {
                // A line of another institution may collide with the stored
                // month of ABC: the engine refuses, the table stays.
                QVERIFY2(result.status == Status::FormatError || result.status == Status::MonthMismatch
                             || result.status == Status::DatabaseError,
                         qPrintable(result.detail));
                QCOMPARE(dump("MPBANK"), before);
            }
        }
    }
};

QTEST_MAIN(TestImportFuzz)
#include "tst_import_fuzz.moc"
