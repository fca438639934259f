#pragma once
// What the fuzz targets share. Each target is one function over the bytes of
// an input. Built for libFuzzer (with clang, RUVIA_FUZZ_ONLY naming the
// target) each target is a binary of its own; in the normal build they all
// link into fuzz_replay, which runs the seed corpus in corpus/<name>/
// through them.
#include <QByteArray>
#include <QList>
#include <QString>

#include <cstddef>
#include <cstdint>

namespace ruvia::fuzz {

// Once per process: a Qt application object, a prompter that takes every
// question's default button without a word, and a private profile.
void setUp();
// A folder of the private profile for files a target writes.
QString scratchFolder();
[[noreturn]] void fault(const char* what, const char* file, int line);

using Entry = int (*)(const uint8_t*, size_t);
struct Registration {
    Registration(const char* name, Entry entry);
};
struct Target {
    const char* name;
    Entry entry;
};
QList<Target>& targets();

} // namespace ruvia::fuzz

// A broken promise of the code under test: a crash the fuzzer reports.
#define FUZZ_CHECK(condition)                                                                      \
    do {                                                                                           \
        if (!(condition))                                                                          \
            ruvia::fuzz::fault(#condition, __FILE__, __LINE__);                                    \
    } while (0)

// Defines a target and enters it in the list of targets. A libFuzzer binary
// runs the one named by RUVIA_FUZZ_ONLY; fuzz_replay runs each in turn.
#define RUVIA_FUZZ_TARGET(name)                                                                    \
    static int fuzz_##name(const uint8_t* data, size_t size);                                      \
    static const ruvia::fuzz::Registration registered_##name(#name, fuzz_##name);                  \
    static int fuzz_##name(const uint8_t* data, size_t size)

inline QByteArray fuzzBytes(const uint8_t* data, size_t size)
{
    return QByteArray(reinterpret_cast<const char*>(data), qsizetype(size));
}
