#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QCoreApplication>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

// What the fuzz targets share. Each target defines LLVMFuzzerTestOneInput; the
// clang build links it with libFuzzer (scripts/fuzz.sh), the ordinary build with
// replay_main.cpp, which feeds it every file of its seed corpus (CTest).
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);

namespace Fuzz {

// The readers use Qt's text codecs and file classes, some of which look for the
// application object: one is made on the first input and kept.
inline void ensureApplication()
{
    static int argc = 1;
    static char name[] = "velq8-fuzz";
    static char *argv[] = {name, nullptr};
    static QCoreApplication *app = QCoreApplication::instance() ? nullptr : new QCoreApplication(argc, argv);
    (void)app;
}

// A broken promise of a reader: printed and aborted, so libFuzzer keeps the input
// and the replay fails.
[[noreturn]] inline void fail(const char *what, const QString &detail = {})
{
    std::fprintf(stderr, "fuzz fault: %s %s\n", what, qPrintable(detail));
    std::abort();
}

inline void require(bool condition, const char *what, const QString &detail = {})
{
    if (!condition)
        fail(what, detail);
}

// An input of the form "NAME\nBYTES": the first line names the file (kept to
// printable ASCII without '/', at most 64 characters: a name of a folder entry),
// the rest is the file. Without a line break, the whole input is the file and
// `fallback` its name.
struct NamedFile
{
    QString name;
    QByteArrayView bytes;
};

inline NamedFile namedFile(QByteArrayView input, const QString &fallback)
{
    const qsizetype end = input.indexOf('\n');
    if (end < 0)
        return {fallback, input};
    QString name;
    for (const char c : input.first(end)) {
        if (c > 0x20 && c < 0x7f && c != '/' && name.size() < 64)
            name += QLatin1Char(c);
    }
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String(".."))
        name = fallback;
    return {name, input.sliced(end + 1)};
}

} // namespace Fuzz
