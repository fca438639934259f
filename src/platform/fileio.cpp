#include "platform/fileio.h"

#include <QFile>
#include <QSaveFile>
#include <QTemporaryFile>

#include <cerrno>
#include <cstdio>
#include <cstring>

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
    out = QString::fromUtf8(bytes);
    return true;
}

bool FileObject::writeText(const QString& path, const QString& text, QString* error,
                           const WriteOptions& options)
{
    return writeBytes(path, text.toUtf8(), error, options);
}

} // namespace ruvia
