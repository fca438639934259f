#pragma once
// Another process of the program holding a named lock: the test binary runs
// itself with "--hold-lock NAME". Test binaries that use it start with
// RUVIA_LOCK_HOLDER_MAIN(argc, argv) in their main().
#include <QProcess>
#include <QString>

namespace ruvia::test {

class LockHolder {
public:
    ~LockHolder() { kill(); }
    // True once the other process holds the lock; false when it was refused.
    bool start(const QString& name);
    // Ends the process without letting it release anything.
    void kill();

private:
    QProcess m_process;
};

// When argv asks for it, holds the lock until killed or until stdin closes
// and returns the exit code; otherwise returns -1.
int runLockHolder(int argc, char** argv);

} // namespace ruvia::test
