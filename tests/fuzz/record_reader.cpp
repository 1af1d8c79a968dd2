// One line of a declaration file through the record reader, as the import takes
// it (DeclarationFileCheck::readRecord). The first byte picks the kind, the rest
// is the line. A line it takes is written back by the record writer and must
// read the same again: what the import stores, the export can write.
#include "tests/fuzz/fuzz_support.h"

#include "db/declaration_kind.h"
#include "interchange/declaration_file_check.h"
#include "interchange/declaration_format.h"
#include "interchange/record_reader.h"
#include "interchange/record_writer.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    Fuzz::ensureApplication();
    if (size == 0)
        return 0;
    const auto &kinds = DeclarationKind::all();
    const DeclarationKind &kind = *kinds.at(data[0] % kinds.size());
    const QByteArrayView line(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1));

    const RecordReader reader(kind);
    const RecordReader::Result read = DeclarationFileCheck::readRecord(reader, line, 7);
    if (!read.ok()) {
        Fuzz::require(read.values.isEmpty() && read.numbers.isEmpty(), "a refused line half read", read.error);
        Fuzz::require(read.error.startsWith(QStringLiteral("第 7 行")), "a refusal without its line", read.error);
        return 0;
    }
    Fuzz::require(read.values.size() == kind.fields().size(), "a line taken without every field");

    const RecordWriter::Result written = RecordWriter(kind).write(read.values);
    Fuzz::require(written.ok(), "a line read cannot be written back", written.error);
    const RecordReader::Result again = DeclarationFileCheck::readRecord(reader, written.line, 7);
    Fuzz::require(again.ok(), "a line written back is refused", again.error);
    for (const DeclarationField &f : kind.fields()) {
        if (f.rendering == DeclarationField::Rendering::InstitutionCode) {
            // Codes are padded with "0" in a file: "ABC000" and "ABC" are one code.
            Fuzz::require(DeclarationFormat::institutionText(again.values.value(f.name).toString())
                              == DeclarationFormat::institutionText(read.values.value(f.name).toString()),
                          "an institution code changed on the way back", f.name);
        } else if (f.isNumber()) {
            Fuzz::require(again.numbers.value(f.name) == read.numbers.value(f.name),
                          "a number changed on the way back", f.name);
        } else {
            Fuzz::require(again.values.value(f.name) == read.values.value(f.name),
                          "a value changed on the way back", f.name);
        }
    }
    return 0;
}
