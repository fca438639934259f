#include "linksfixture.h"

#include "base/linkbase.h"
#include "core/group.h"
#include "platform/fileio.h"

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QPainter>

namespace ruvia::test {

bool OpenFreshGroup(const QString& host)
{
    const QString entry = host + QStringLiteral(" | ") + host;
    if (!OpenGroupFolders(entry))
        return false;
    QFile::remove(SET_DataPath + QStringLiteral("/Links.XML"));
    return OpenLinksBase();
}

void CloseGroup()
{
    ReleaseGroupLock();
    ForgetGroupValues();
}

PostLinks SampleLinks(const QString& postId, const QString& ext)
{
    PostLinks l;
    const QStringList sizes = PostLinks::Sizes();
    for (int s = 0; s < sizes.size(); ++s)
        l[s] = QStringLiteral("http://%1.media.tumblr.com/tumblr_k%2o1_%3.%4")
                   .arg(QString::number(s + 1), postId, sizes.at(s), ext);
    l[PostLinks::PostURL] = QStringLiteral("http://test.tumblr.com/post/") + postId;
    l[PostLinks::PostURLSlug] = QStringLiteral("http://test.tumblr.com/post/%1/picture-%1").arg(postId);
    return l;
}

void AddPost(const QString& postId, const QString& fileName, bool resolved, const QString& userName)
{
    AddLink(postId, fileName, userName);
    if (resolved)
        ResolveLink(postId, SampleLinks(postId));
}

QStringList AddPosts(int count, qint64 first)
{
    QStringList ids;
    for (int i = 0; i < count; ++i) {
        const QString id = QString::number(first + i);
        AddPost(id, QStringLiteral("IMG_%1.JPG").arg(i), true);
        ids.append(id);
    }
    return ids;
}

bool WriteThumbnailBytes(const QString& postId, const QByteArray& bytes)
{
    const QString file = GetThumbnailFileName(postId);
    return !file.isEmpty() && FileObject::writeBytes(file, bytes);
}

bool WriteThumbnail(const QString& postId, const QColor& color)
{
    QImage image(250, 188, QImage::Format_RGB32);
    image.fill(color);
    QPainter p(&image);
    p.setPen(Qt::white);
    p.drawText(image.rect(), Qt::AlignCenter, postId);
    p.end();
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    return image.save(&buffer, "JPG") && WriteThumbnailBytes(postId, bytes);
}

bool LoadDurableBase(xhXMLDocument& out)
{
    return OpenLinksBase() && FoldLinksBase() && out.Load(LinksBasePath());
}

} // namespace ruvia::test
