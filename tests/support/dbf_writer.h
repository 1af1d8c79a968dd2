#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// Writes small dBASE III tables for the tests, as the old system kept its data:
// a 32-byte header (version 3, record count, header and record lengths), one
// 32-byte descriptor per field ended by 0x0D, fixed-length records starting with
// ' ' (or '*' when deleted), and the end-of-file byte 0x1A. Texts are written in
// Big5.
//
//     DbfWriter bn01 = DbfWriter::forTable("BN01");
//     bn01.record({"995", "範例銀行"}).record({"996", "已刪除"}, DbfWriter::Deleted);
//     QVERIFY(bn01.save(dir.filePath("BN01.DBF")));
class DbfWriter
{
public:
    enum Flag { Active, Deleted };

    // A field: C character, N numeric, F float, D date, L logical, or any other
    // type byte. A C field may be longer than 255 bytes (the high byte of its
    // length goes where numbers keep their decimals).
    DbfWriter &field(const QString &name, char type, int length, int decimals = 0);
    // The fields of a table of the database, in its order, as the old tables
    // declared them: text C of its width, small integers N(6), floats N(18,4),
    // dates D.
    static DbfWriter forTable(const QString &table);

    // One record, a value per field in order (missing values are blank), padded as
    // dBASE pads: characters and dates left-aligned, numbers right-aligned. A
    // value longer than its field is cut.
    DbfWriter &record(const QStringList &values, Flag flag = Active);
    // The same with each field's bytes as given (bytes that are not Big5).
    DbfWriter &rawRecord(const QList<QByteArray> &values, Flag flag = Active);
    // A record with any flag byte.
    DbfWriter &flaggedRecord(char flag, const QList<QByteArray> &values);

    QByteArray bytes() const;
    bool save(const QString &path) const;
    static bool save(const QString &path, const QByteArray &bytes);

private:
    struct Field
    {
        QByteArray name;
        char type;
        int length;
        int decimals;
    };
    QList<Field> m_fields;
    QList<QByteArray> m_records;
};
