// Runs every file of the seed corpus through its target, in the normal build:
//   fuzz_replay <corpus folder> [target]
// A target that breaks a promise aborts, and the run with it.
#include "fuzzsupport.h"

#include <QDir>
#include <QFile>
#include <QList>

#include <cstdio>
#include <utility>

int main(int argc, char** argv)
{
    using namespace ruvia::fuzz;
    if (argc < 2) {
        std::fprintf(stderr, "usage: fuzz_replay <corpus folder> [target]\n");
        return 2;
    }
    setUp();
    const QString root = QString::fromLocal8Bit(argv[1]);
    int failures = 0;
    for (const auto& [name, entry] : targets()) {
        if (argc > 2 && qstrcmp(argv[2], name) != 0)
            continue;
        const QDir dir(root + u'/' + QString::fromLatin1(name));
        const QStringList files = dir.entryList(QDir::Files, QDir::Name);
        if (files.isEmpty()) {
            std::fprintf(stderr, "%s: no seeds in %s\n", name, qPrintable(dir.path()));
            ++failures;
            continue;
        }
        for (const QString& file : files) {
            QFile f(dir.filePath(file));
            if (!f.open(QIODevice::ReadOnly)) {
                ++failures;
                continue;
            }
            const QByteArray bytes = f.readAll();
            entry(reinterpret_cast<const uint8_t*>(bytes.constData()), size_t(bytes.size()));
        }
        std::printf("%s: %lld inputs\n", name, qlonglong(files.size()));
    }
    return failures == 0 ? 0 : 1;
}
