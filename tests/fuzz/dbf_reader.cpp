// An old dBASE table as `velq8-cli migrate` reads it: the reader opens the file
// (written to a temporary file, since it reads from disk), the mapping matches
// its fields against every table of the schema, and each record's fields are
// converted as text, small integer, number and date. Whatever the file holds, a
// record handed out has the header's length and every field lies inside it.
#include "tests/fuzz/fuzz_support.h"

#include "db/schema.h"
#include "migration/dbf_reader.h"
#include "migration/field_conversion.h"
#include "migration/field_mapping.h"

#include <QDir>

#include <unistd.h>

namespace {

// In memory where there is a tmpfs: on disk a file a run is ten times slower.
QString scratchFile()
{
    const QDir shm(QStringLiteral("/dev/shm"));
    return (shm.exists() ? shm : QDir::temp()).filePath(QStringLiteral("velq8-fuzz-dbf-%1.dbf").arg(qint64(getpid())));
}

void writeScratch(const QString &path, const uint8_t *data, size_t size)
{
    FILE *f = std::fopen(QFile::encodeName(path).constData(), "wb");
    if (!f || std::fwrite(data, 1, size, f) != size || std::fclose(f) != 0)
        Fuzz::fail("cannot write the scratch file", path);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    Fuzz::ensureApplication();
    static const QString path = scratchFile();
    writeScratch(path, data, size);
    // Removed again whatever the reading gives: nothing is left in the folder.
    const struct Removal { ~Removal() { QFile::remove(path); } } removal;

    DbfReader reader;
    QString error;
    if (!reader.open(path, &error)) {
        Fuzz::require(!error.isEmpty(), "a table refused without a message");
        return 0;
    }
    int lastField = 0;
    for (const DbfField &f : reader.fields()) {
        Fuzz::require(f.length > 0 && f.offset >= 1, "a field of no bytes", f.name);
        lastField = f.offset + f.length;
    }
    Fuzz::require(lastField == reader.recordLength(), "fields beyond the record");

    for (const TableDef &table : Schema::tables()) {
        FieldMapping mapping;
        QString why;
        FieldMapping::build(table, reader.fields(), &mapping, &why);
    }

    const FieldDef targets[] = {
        {QStringLiteral("T"), FieldType::Text, 40},
        {QStringLiteral("S"), FieldType::SmallInt, 0},
        {QStringLiteral("F"), FieldType::Float, 0},
        {QStringLiteral("D"), FieldType::Date, 0},
    };
    DbfRecord record;
    int records = 0;
    while (reader.next(&record, &error)) {
        Fuzz::require(record.bytes.size() == reader.recordLength(), "a record of another length");
        Fuzz::require(record.number == ++records, "records numbered out of order");
        for (const DbfField &f : reader.fields()) {
            const QByteArray bytes = record.field(f);
            Fuzz::require(bytes.size() == f.length, "a field cut by its record", f.name);
            for (const FieldDef &target : targets) {
                const FieldConversion::Result r = FieldConversion::convert(bytes, f, target);
                Fuzz::require(r.refusal.isEmpty() || r.value.isNull(), "a refused field with a value", f.name);
            }
        }
    }
    Fuzz::require(records >= reader.recordCount() || !error.isEmpty(), "counted records not handed out");
    return 0;
}
