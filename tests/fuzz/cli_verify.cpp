// `velq8-cli verify FILE` as the command runs it, in process: the command's own
// source (cli/verify_command.cpp) is built into the target, and its registrar
// hands the run function here instead of to the command table of cli/main.cpp
// (which holds main() and so cannot be linked). The input is "NAME\nBYTES"
// (fuzz_support.h), written as a file of that name in a private folder: the
// command takes the kind from the name, loads the file from disk, checks it and
// prints its line. Options are refused before any file is read, so the file's
// name is the only argument worth varying.
#include "tests/fuzz/fuzz_support.h"

#include "cli/cli_command.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>

namespace {

CliCommand::Run verifyRun = nullptr;

} // namespace

CliCommand::Registrar::Registrar(CliCommand command)
{
    if (command.name == QLatin1String("verify"))
        verifyRun = command.run;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    Fuzz::ensureApplication();
    static QTemporaryDir folder;
    Fuzz::require(folder.isValid() && verifyRun, "no folder or no verify command");
    const QByteArrayView input(reinterpret_cast<const char *>(data), qsizetype(size));
    const Fuzz::NamedFile named = Fuzz::namedFile(input, QStringLiteral("B01995000011510"));
    // Joined by hand: QDir::filePath() takes a name starting with ":" for a
    // path of Qt's resources.
    const QString path = folder.path() + u'/' + named.name;
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(named.bytes.data(), named.bytes.size()) != named.bytes.size())
            Fuzz::fail("cannot write the scratch file", path);
    }

    QString outText;
    QString errText;
    QTextStream out(&outText);
    QTextStream err(&errText);
    CliContext context{QString(), out, err};
    const int status = verifyRun(context, {path});
    out.flush();
    err.flush();
    QFile::remove(path);

    // The contract: 0 with one line on standard output and nothing on standard
    // error, or 2 with the reason on standard error and nothing on standard output.
    if (status == 0) {
        Fuzz::require(errText.isEmpty() && outText.count(u'\n') == 1 && outText.startsWith(path + u'\t'),
                      "verify passed a file without its one line", outText + errText);
    } else {
        Fuzz::require(status == 2 && outText.isEmpty() && errText.startsWith(path + QStringLiteral(": ")),
                      "verify refused a file without saying why", outText + errText);
    }
    return 0;
}
