#include "testenv.h"

#include "platform/log.h"

#include <QCoreApplication>
#include <QDir>

#include <functional>
#include <unistd.h>

namespace ruvia::test {

TempProfile::TempProfile()
{
    QDir().mkpath(dataHome());
    QDir().mkpath(configHome());
    qputenv("XDG_DATA_HOME", dataHome().toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", configHome().toLocal8Bit());
    qputenv("XDG_DOCUMENTS_DIR", (m_dir.path() + QStringLiteral("/documents")).toLocal8Bit());
    setLogFilePath(m_dir.path() + QStringLiteral("/test.log"));
}

bool runUnprivileged(const std::function<bool()>& fn)
{
    if (geteuid() != 0)
        return fn();
    constexpr uid_t nobody = 65534;
    if (setegid(nobody) != 0 || seteuid(nobody) != 0)
        return fn();
    const bool result = fn();
    if (seteuid(0) != 0 || setegid(0) != 0)
        qFatal("could not restore root privileges");
    return result;
}

QString binDir()
{
    const QString env = qEnvironmentVariable("RUVIA_BIN_DIR");
    return env.isEmpty() ? QCoreApplication::applicationDirPath() : env;
}

} // namespace ruvia::test
