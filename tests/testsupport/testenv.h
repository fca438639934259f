#pragma once
// A private profile for a test process: the XDG data and config folders point
// into a temporary folder, so no test touches the user's real settings.
#include <QString>
#include <QTemporaryDir>

#include <functional>

namespace ruvia::test {

class TempProfile {
public:
    TempProfile();
    QString root() const { return m_dir.path(); }
    QString dataHome() const { return m_dir.path() + QStringLiteral("/data"); }
    QString configHome() const { return m_dir.path() + QStringLiteral("/config"); }

private:
    QTemporaryDir m_dir;
};

// Runs fn with the effective user id dropped to an unprivileged one when the
// test runs as root, so file permissions are enforced. Returns fn's result.
bool runUnprivileged(const std::function<bool()>& fn);
// The folder that holds the built binaries (RUVIA_BIN_DIR, else beside the test).
QString binDir();

} // namespace ruvia::test
