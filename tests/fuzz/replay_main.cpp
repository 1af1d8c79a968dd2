// The replay of a seed corpus without libFuzzer: every file named on the command
// line, or found in a folder named there, goes once through the target's
// LLVMFuzzerTestOneInput. A fault aborts (the target's checks, or the sanitizers
// in build-sanitize/), which fails the test.
#include "tests/fuzz/fuzz_support.h"

#include <QDirIterator>
#include <QFile>
#include <QStringList>

#include <algorithm>

int main(int argc, char *argv[])
{
    QStringList files;
    for (int i = 1; i < argc; ++i) {
        const QString arg = QString::fromLocal8Bit(argv[i]);
        QDirIterator it(arg, QDir::Files, QDirIterator::Subdirectories);
        if (!it.hasNext() && QFile::exists(arg))
            files << arg;
        while (it.hasNext())
            files << it.next();
    }
    std::sort(files.begin(), files.end());
    if (files.isEmpty()) {
        std::fprintf(stderr, "no corpus files given\n");
        return 2;
    }
    for (const QString &path : files) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "%s: cannot read\n", qPrintable(path));
            return 2;
        }
        const QByteArray bytes = file.readAll();
        std::fprintf(stderr, "%s (%lld bytes)\n", qPrintable(path), static_cast<long long>(bytes.size()));
        LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t *>(bytes.constData()), size_t(bytes.size()));
    }
    std::printf("%lld corpus files replayed\n", static_cast<long long>(files.size()));
    return 0;
}
