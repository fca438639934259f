#pragma once
// What the upload tests share: a fresh group folder with its link base, and
// files to queue.
#include "base/linkbase.h"
#include "core/group.h"
#include "core/settings.h"
#include "platform/fileio.h"
#include "platform/paths.h"

#include <QBuffer>
#include <QDir>
#include <QImage>
#include <QPainter>
#include <QTest>

#include <csignal>
#include <sys/resource.h>

namespace ruvia::test {

inline const QString kTestGroup = QStringLiteral("mainblog.tumblr.com");
inline const QString kTestEmail = QStringLiteral("a@b.c");
inline const QString kTestPassword = QStringLiteral("pw");

// A new, empty group folder under root, opened as the current group.
inline bool openFreshGroup(const QString& root, const QString& group = kTestGroup)
{
    SET_GroupName = group;
    SET_DataPath = root + u'/' + group;
    SET_UploadsPath = SET_DataPath + QStringLiteral("/Uploads");
    SET_EMail = kTestEmail;
    SET_Password = kTestPassword;
    QDir(SET_DataPath).removeRecursively();
    return QDir().mkpath(SET_DataPath) && OpenLinksBase();
}

inline bool writeFile(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(tsGetFilePath(path));
    return FileObject::writeBytes(path, bytes);
}

// Bytes that are no picture: the stand-in posts a picture of its own for them.
inline QByteArray someBytes(int size, int seed = 1)
{
    QByteArray b(size, Qt::Uninitialized);
    for (int i = 0; i < size; ++i)
        b[i] = char((i * 131 + seed * 7919) & 0xFF);
    return b;
}

// A real picture (format "JPG" or "PNG"), so the stand-in keeps it as posted.
inline QByteArray pictureBytes(int width, int height, QRgb colour, const char* format = "JPG")
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(colour);
    QPainter(&image).drawEllipse(2, 2, width - 4, height - 4);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

// Every entry of a folder, hidden ones included.
inline QStringList entriesOf(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System |
                                  QDir::NoDotAndDotDot);
}

inline QByteArray readAll(const QString& path)
{
    QByteArray bytes;
    FileObject::readBytes(path, bytes);
    return bytes;
}

// Lowers the largest file this process may write, as a full disk would.
class FileSizeLimit {
public:
    FileSizeLimit()
    {
        std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &m_old);
    }
    ~FileSizeLimit() { lift(); }
    void set(rlim_t bytes)
    {
        rlimit limit = m_old;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    void lift() { setrlimit(RLIMIT_FSIZE, &m_old); }

private:
    rlimit m_old{};
};

} // namespace ruvia::test
