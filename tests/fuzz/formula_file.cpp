// A formula file (FormulaFile::read) against the account codes shipped in data/.
// The first byte picks the set (operating or county), the rest is the file. A
// clean file is written again (FormulaFile::write) and must read clean, to the
// same rows: a revision loaded from a file can be handed on as a file.
#include "tests/fuzz/fuzz_support.h"

#include "checks/formula_file.h"

#include <QFile>
#include <QSet>

#include <algorithm>

namespace {

// The first column of a shipped account table, without its comment lines and
// its heading: the codes a formula may name.
QSet<QString> shippedCodes(const QString &table)
{
    QSet<QString> codes;
    QFile file(QStringLiteral(VELQ8_DATA_DIR "/%1.tsv").arg(table));
    if (!file.open(QIODevice::ReadOnly))
        Fuzz::fail("cannot read the shipped accounts", file.fileName());
    const QList<QByteArray> lines = file.readAll().split('\n');
    for (const QByteArray &line : lines) {
        const QByteArray code = line.left(line.indexOf('\t')).trimmed();
        if (!code.isEmpty() && !code.startsWith('#') && code != "ACC_CODE")
            codes.insert(QString::fromUtf8(code));
    }
    return codes;
}

// Rows in key order: a file holds them in any order, a file written in its own.
FormulaRows sorted(FormulaRows rows)
{
    std::sort(rows.headers.begin(), rows.headers.end(),
              [](const auto &a, const auto &b) { return a.cano < b.cano; });
    std::sort(rows.terms.begin(), rows.terms.end(), [](const auto &a, const auto &b) {
        return std::tie(a.cano, a.leftFlag, a.nserial) < std::tie(b.cano, b.leftFlag, b.nserial);
    });
    return rows;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    Fuzz::ensureApplication();
    static const QSet<QString> operatingCodes = shippedCodes(QStringLiteral("CACNO"));
    static const QSet<QString> countyCodes = shippedCodes(QStringLiteral("HCACNO"));
    if (size == 0)
        return 0;
    const bool county = data[0] & 1;
    const FormulaTables tables = county ? FormulaTables::county() : FormulaTables::operating();
    const QSet<QString> &codes = county ? countyCodes : operatingCodes;
    const QByteArray bytes(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1));

    const FormulaFile::Reading reading = FormulaFile::read(bytes, tables, codes);
    for (const FormulaFileFault &fault : reading.faults)
        Fuzz::require(!fault.message.isEmpty() && fault.line >= 0, "a fault without a message", fault.text());
    if (!reading.isClean())
        return 0;
    Fuzz::require(!reading.rows.headers.isEmpty(), "a clean file without a formula");

    QString text;
    QString error;
    Fuzz::require(FormulaFile::write(tables, reading.rows, &text, &error), "clean rows cannot be written", error);
    const FormulaFile::Reading again = FormulaFile::read(text.toUtf8(), tables, codes);
    Fuzz::require(again.isClean(), "a file written from clean rows is refused",
                  again.faults.isEmpty() ? QString() : again.faults.first().text());
    Fuzz::require(sorted(again.rows) == sorted(reading.rows), "rows changed on the way back");
    return 0;
}
