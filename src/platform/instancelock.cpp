#include "platform/instancelock.h"

#include <QDir>
#include <QLockFile>
#include <QStandardPaths>

#include <unistd.h>

namespace ruvia {

InstanceLock::InstanceLock() = default;
InstanceLock::~InstanceLock() { Release(); }

QString InstanceLock::lockFolder()
{
    // Not the runtime folder: it is not set for every session, and the lock
    // must be the same for every process of the user.
    return QDir::tempPath() + QStringLiteral("/ruvia-locks-%1").arg(getuid());
}

QString InstanceLock::lockFileFor(const QString& name)
{
    // The name may come from a hand-edited settings file: keep only safe characters.
    QString safe;
    for (QChar c : name) {
        const bool plain = c.unicode() < 128 && (c.isLetterOrNumber() || c == u'-' ||
                                                  c == u'_' || c == u'{' || c == u'}' || c == u'.');
        safe += plain ? QString(c) : QStringLiteral("%%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
    }
    if (safe.startsWith(u'.'))
        safe.replace(0, 1, QStringLiteral("%002e"));
    return lockFolder() + u'/' + safe + QStringLiteral(".lock");
}

bool InstanceLock::Acquire(const QString& name)
{
    Release();
    QDir().mkpath(lockFolder());
    QFile::setPermissions(lockFolder(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    auto lock = std::make_unique<QLockFile>(lockFileFor(name));
    // A group stays open for hours: never treat a live holder's lock as stale
    // by age. A dead holder's lock is still taken over (its process is gone).
    lock->setStaleLockTime(0);
    if (!lock->tryLock(0))
        return false;
    m_lock = std::move(lock);
    return true;
}

void InstanceLock::Release()
{
    if (m_lock)
        m_lock->unlock();
    m_lock.reset();
}

bool InstanceLock::isHeld() const { return m_lock && m_lock->isLocked(); }

} // namespace ruvia
