#pragma once
// Whole-file reads and writes. Every write is atomic: the new content goes to
// a temporary file beside the target and replaces it only once it is complete,
// so a failed or interrupted save leaves the previous file as it was.
#include <QByteArray>
#include <QFileDevice>
#include <QString>
#include <QStringList>

namespace ruvia {

struct WriteOptions {
    // Permissions of the written file; empty keeps those of the file it replaces
    // (or the defaults for a new one).
    QFileDevice::Permissions permissions = {};
    // Pushed to the disk before it replaces the old file. A file that can be
    // fetched again (a downloaded picture) may skip it: the replacement stays
    // atomic, only a power cut right after may lose it.
    bool syncToDisk = true;
};

class FileObject {
public:
    static bool readBytes(const QString& path, QByteArray& out, QString* error = nullptr);
    static bool writeBytes(const QString& path, const QByteArray& data, QString* error = nullptr,
                           const WriteOptions& options = {});
    // Text is UTF-8 on disk; a byte-order mark is skipped on read. Every
    // character, U+0000 included, survives the round trip.
    static bool readText(const QString& path, QString& out, QString* error = nullptr);
    static bool writeText(const QString& path, const QString& text, QString* error = nullptr,
                          const WriteOptions& options = {});
    // Copies source over target in pieces, so a large file is never held in
    // memory. Like every write it is atomic: a copy cut off (a full disk, a
    // read error) leaves no partial target, and an existing target intact.
    static bool copyFile(const QString& source, const QString& target, QString* error = nullptr);
};

// Removes in folder what interrupted saves of the named files left behind:
// the writer's temporary files, named after the file with a dot and six
// letters or digits ("Links.XML.a1B2c3"). Call it only while no one can be
// saving those files (the group lock, or the file's SaveLock). names may
// hold wildcards ("*.DAT"); letter case is ignored. Returns how many went.
int RemoveInterruptedSaves(const QString& folder, const QStringList& names);

// An advisory lock, among every running instance, on the saves of a file
// they share: "<path>.lock" is locked, never removed. The system drops the
// lock with its holder, so one left by a killed process never blocks.
class SaveLock {
public:
    explicit SaveLock(const QString& path, int timeoutMs = 5000);
    ~SaveLock();
    SaveLock(const SaveLock&) = delete;
    SaveLock& operator=(const SaveLock&) = delete;
    bool isHeld() const { return m_fd >= 0; }

private:
    int m_fd = -1;
};

} // namespace ruvia
