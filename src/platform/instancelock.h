#pragma once
// A lock by name, system-wide for the user: a second process asking for the
// same name is refused while the first holds it. The lock dies with its
// holder: one left behind by a killed process is taken over.
#include <QString>

#include <memory>

class QLockFile;

namespace ruvia {

class InstanceLock {
public:
    InstanceLock();
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    bool Acquire(const QString& name);
    void Release();
    bool isHeld() const;
    // The folder that holds the lock files.
    static QString lockFolder();
    static QString lockFileFor(const QString& name);

private:
    std::unique_ptr<QLockFile> m_lock;
};

} // namespace ruvia
