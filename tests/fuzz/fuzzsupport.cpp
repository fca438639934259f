#include "fuzzsupport.h"

#include "platform/log.h"
#include "platform/prompter.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>

namespace ruvia::fuzz {

namespace {
class QuietPrompter : public Prompter {
public:
    int ask(const Message& m) override { return m.defaultAnswer(); }
};

// In memory where the system has it: saves sync their files, and a target
// that saves on every input must not wait for a disk.
QString profileTemplate()
{
    const QString shm = QStringLiteral("/dev/shm");
    return (QFileInfo(shm).isWritable() ? shm : QDir::tempPath()) + QStringLiteral("/ruvia-fuzz-XXXXXX");
}

struct Environment {
    QTemporaryDir profile{profileTemplate()};
    QuietPrompter prompter;
};

Environment& environment()
{
    static int argc = 1;
    static char name[] = "ruvia-fuzz";
    static char* argv[] = {name, nullptr};
    static QCoreApplication* app =
        QCoreApplication::instance() ? nullptr : new QCoreApplication(argc, argv);
    Q_UNUSED(app);
    static Environment* env = [] {
        auto* e = new Environment;
        qputenv("XDG_DATA_HOME", (e->profile.path() + QStringLiteral("/data")).toLocal8Bit());
        qputenv("XDG_CONFIG_HOME", (e->profile.path() + QStringLiteral("/config")).toLocal8Bit());
        QDir().mkpath(e->profile.path() + QStringLiteral("/scratch"));
        setLogFilePath(e->profile.path() + QStringLiteral("/fuzz.log"));
        setPrompter(&e->prompter);
        return e;
    }();
    return *env;
}
} // namespace

void setUp()
{
    environment();
}

QString scratchFolder()
{
    return environment().profile.path() + QStringLiteral("/scratch");
}

QList<Target>& targets()
{
    static QList<Target> all;
    return all;
}

Registration::Registration(const char* name, Entry entry)
{
    targets().append({name, entry});
}

void fault(const char* what, const char* file, int line)
{
    std::fprintf(stderr, "%s:%d: broken: %s\n", file, line, what);
    std::abort();
}

} // namespace ruvia::fuzz

#ifdef RUVIA_FUZZ_ONLY
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const ruvia::fuzz::Entry entry = [] {
        for (const ruvia::fuzz::Target& t : ruvia::fuzz::targets())
            if (qstrcmp(t.name, RUVIA_FUZZ_ONLY) == 0)
                return t.entry;
        ruvia::fuzz::fault("no such target: " RUVIA_FUZZ_ONLY, __FILE__, __LINE__);
    }();
    return entry(data, size);
}
#endif
