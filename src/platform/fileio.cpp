#include "platform/fileio.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QStringDecoder>
#include <QTemporaryFile>
#include <QThread>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace ruvia {

namespace {
void setError(QString* error, const QString& text)
{
    if (error)
        *error = text;
}
} // namespace

bool FileObject::readBytes(const QString& path, QByteArray& out, QString* error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        setError(error, file.errorString());
        return false;
    }
    out = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        setError(error, file.errorString());
        return false;
    }
    return true;
}

namespace {
// The same steps as QSaveFile without its sync: a temporary file beside the
// target, renamed over it once complete.
bool writeUnsynced(const QString& path, const QByteArray& data, QString* error,
                   const WriteOptions& options)
{
    QTemporaryFile file(path + QStringLiteral(".XXXXXX"));
    if (!file.open()) {
        setError(error, file.errorString());
        return false;
    }
    const QFileDevice::Permissions keep =
        options.permissions ? options.permissions
                            : (QFile::exists(path) ? QFile::permissions(path)
                                                   : QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                         QFileDevice::ReadGroup | QFileDevice::ReadOther);
    if (!file.setPermissions(keep) || file.write(data) != data.size() || !file.flush()) {
        setError(error, file.errorString());
        return false;
    }
    if (std::rename(QFile::encodeName(file.fileName()).constData(), QFile::encodeName(path).constData()) != 0) {
        setError(error, QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    file.setAutoRemove(false);
    return true;
}
} // namespace

bool FileObject::writeBytes(const QString& path, const QByteArray& data, QString* error,
                            const WriteOptions& options)
{
    if (!options.syncToDisk)
        return writeUnsynced(path, data, error, options);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        setError(error, file.errorString());
        return false;
    }
    if (options.permissions && !file.setPermissions(options.permissions)) {
        setError(error, file.errorString());
        file.cancelWriting();
        return false;
    }
    if (file.write(data) != data.size()) {
        setError(error, file.errorString());
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        setError(error, file.errorString());
        return false;
    }
    return true;
}

bool FileObject::copyFile(const QString& source, const QString& target, QString* error)
{
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly)) {
        setError(error, in.errorString());
        return false;
    }
    QSaveFile out(target);
    if (!out.open(QIODevice::WriteOnly)) {
        setError(error, out.errorString());
        return false;
    }
    QByteArray chunk(1024 * 1024, Qt::Uninitialized);
    for (;;) {
        const qint64 n = in.read(chunk.data(), chunk.size());
        if (n < 0) {
            setError(error, in.errorString());
            out.cancelWriting();
            return false;
        }
        if (n == 0)
            break;
        if (out.write(chunk.constData(), n) != n) {
            setError(error, out.errorString());
            out.cancelWriting();
            return false;
        }
    }
    if (!out.commit()) {
        setError(error, out.errorString());
        return false;
    }
    return true;
}

bool FileObject::readText(const QString& path, QString& out, QString* error)
{
    QByteArray bytes;
    if (!readBytes(path, bytes, error))
        return false;
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes.remove(0, 3);
    // Only that one mark goes: a U+FEFF after it is text.
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom);
    out = decoder.decode(bytes);
    return true;
}

bool FileObject::writeText(const QString& path, const QString& text, QString* error,
                           const WriteOptions& options)
{
    // Reading skips one byte-order mark: a text that begins with U+FEFF gets
    // one written before it, so that character comes back.
    const QByteArray bytes = text.toUtf8();
    return writeBytes(path, text.startsWith(QChar(0xFEFF)) ? "\xEF\xBB\xBF" + bytes : bytes, error,
                      options);
}

int RemoveInterruptedSaves(const QString& folder, const QStringList& names)
{
    // QSaveFile writes "<name>.XXXXXX" beside the file (or links its unnamed
    // temporary file there just before the rename), six letters or digits.
    QStringList filters;
    for (const QString& name : names)
        filters.append(name + QStringLiteral(".??????"));
    int removed = 0;
    QDir dir(folder);
    for (const QString& entry : dir.entryList(filters, QDir::Files | QDir::Hidden | QDir::System)) {
        bool tail = true;
        for (QChar c : QStringView(entry).last(6))
            tail = tail && c.unicode() < 128 && c.isLetterOrNumber();
        if (tail && dir.remove(entry))
            ++removed;
    }
    return removed;
}

SaveLock::SaveLock(const QString& path, int timeoutMs)
{
    const QByteArray name = QFile::encodeName(path + QStringLiteral(".lock"));
    const int fd = ::open(name.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
        return;
    const QDeadlineTimer deadline(timeoutMs);
    while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        if ((errno != EWOULDBLOCK && errno != EINTR) || deadline.hasExpired()) {
            ::close(fd);
            return;
        }
        QThread::msleep(5);
    }
    m_fd = fd;
}

SaveLock::~SaveLock()
{
    if (m_fd >= 0)
        ::close(m_fd); // closing drops the lock
}

} // namespace ruvia
