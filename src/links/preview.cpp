#include "links/preview.h"

#include "base/linkbase.h"

#include <QFile>
#include <QImageReader>

namespace ruvia {

namespace {
// Far above any thumbnail the service makes, and decoded in a few
// milliseconds; a larger file or picture is not drawn.
constexpr qint64 kMaxFileBytes = 32 * 1024 * 1024;
constexpr qint64 kMaxPixels = 16 * 1024 * 1024;

// A JPEG decoder fills a cut-off file with grey and reports success, so the
// end-of-image marker is looked for near the end (some writers add a few
// bytes after it).
bool jpegComplete(QFile& file)
{
    constexpr qint64 kTail = 4096;
    const qint64 size = file.size();
    if (!file.seek(qMax<qint64>(0, size - kTail)))
        return false;
    const QByteArray tail = file.read(kTail);
    return tail.contains(QByteArrayLiteral("\xFF\xD9"));
}
} // namespace

Preview LoadPreviewFile(const QString& path)
{
    Preview p;
    QFile file(path);
    if (path.isEmpty() || !file.exists())
        return p;
    p.state = Preview::Broken;
    if (!file.open(QIODevice::ReadOnly) || file.size() == 0 || file.size() > kMaxFileBytes)
        return p;
    QImageReader reader(&file);
    reader.setDecideFormatFromContent(true);
    const QByteArray format = reader.format();
    if (format.isEmpty())
        return p;
    const QSize size = reader.size();
    if (size.isValid() && qint64(size.width()) * size.height() > kMaxPixels)
        return p;
    QImage image = reader.read();
    if (image.isNull())
        return p;
    if (format == "jpeg" && !jpegComplete(file))
        return p;
    p.state = Preview::Picture;
    p.image = std::move(image);
    return p;
}

Preview LoadPostPreview(const QString& postId)
{
    return LoadPreviewFile(GetThumbnailFileName(postId));
}

QPoint PreviewOrigin(QSize area, QSize picture)
{
    return {(area.width() - picture.width()) / 2, (area.height() - picture.height()) / 2};
}

} // namespace ruvia
