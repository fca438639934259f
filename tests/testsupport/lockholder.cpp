#include "lockholder.h"

#include "platform/instancelock.h"

#include <QCoreApplication>

#include <cstdio>
#include <cstring>

namespace ruvia::test {

bool LockHolder::start(const QString& name)
{
    m_process.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--hold-lock"), name});
    if (!m_process.waitForStarted() || !m_process.waitForReadyRead(10000))
        return false;
    return m_process.readAll().startsWith("locked");
}

void LockHolder::kill()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.kill();
    m_process.waitForFinished();
}

int runLockHolder(int argc, char** argv)
{
    if (argc != 3 || std::strcmp(argv[1], "--hold-lock") != 0)
        return -1;
    QCoreApplication app(argc, argv);
    InstanceLock lock;
    if (!lock.Acquire(QString::fromLocal8Bit(argv[2]))) {
        std::puts("refused");
        return 2;
    }
    std::puts("locked");
    std::fflush(stdout);
    while (std::getchar() != EOF) {
    }
    return 0;
}

} // namespace ruvia::test
