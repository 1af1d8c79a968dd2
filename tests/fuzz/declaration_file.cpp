// A whole declaration file as the import, the export's read-back and
// `velq8-cli verify` check it (DeclarationFileCheck::check), from memory. The
// input is "NAME\nBYTES" (fuzz_support.h): the name gives the period and, by its
// first three characters, the kind; a name of no kind takes one by its length.
#include "tests/fuzz/fuzz_support.h"

#include "db/declaration_kind.h"
#include "interchange/declaration_file_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    Fuzz::ensureApplication();
    const QByteArrayView input(reinterpret_cast<const char *>(data), qsizetype(size));
    const Fuzz::NamedFile file = Fuzz::namedFile(input, QStringLiteral("B01995000011510"));
    const auto &kinds = DeclarationKind::all();
    const DeclarationKind *kind = DeclarationKind::find(file.name.left(3).toUpper());
    if (!kind)
        kind = kinds.at(file.name.size() % kinds.size());

    const DeclarationFileCheck::Result result = DeclarationFileCheck::check(*kind, file.name, file.bytes);
    if (!result.ok()) {
        // A refusal says why, and takes nothing.
        Fuzz::require(!result.detail.isEmpty(), "a refused file without a message");
        Fuzz::require(result.rows.isEmpty(), "a refused file with rows", result.detail);
        return 0;
    }
    // What is taken are lines of the file, in file order, each read whole.
    int previous = 0;
    for (const DeclarationFileCheck::Row &row : result.rows) {
        Fuzz::require(row.lineNo > previous && row.lineNo <= result.lines, "a row out of the file's lines");
        Fuzz::require(row.values.size() == kind->fields().size(), "a row without every field");
        previous = row.lineNo;
    }
    return 0;
}
