#include "pictures.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QImage>
#include <QImageReader>

using namespace Qt::StringLiterals;

namespace standin {

namespace {
constexpr int kLargest = 1280;
constexpr int kSquare = 75;

// The smallest listed width that holds the whole picture unscaled (0 when
// the picture is wider than the largest size); the larger sizes point at it.
int wholeSizeFor(int width)
{
    for (int s : {100, 250, 400, 500, kLargest})
        if (s >= width)
            return s;
    return 0;
}

void buildFiles(PictureSet& set, const QImage& decoded, const QByteArray& original)
{
    const int w = set.width;
    const int whole = wholeSizeFor(w);
    QImage current = decoded;
    QImage forSquare = decoded;
    for (int s : {kLargest, 500, 400, 250, 100}) {
        if (s > w && s != whole)
            continue;
        QByteArray bytes;
        if (s == whole) {
            bytes = original.isEmpty() ? encodePicture(current, set.extension) : original;
        } else {
            if (current.width() != s)
                current = current.scaledToWidth(s, Qt::SmoothTransformation);
            bytes = encodePicture(current, set.extension);
        }
        if (qMin(current.width(), current.height()) >= kSquare)
            forSquare = current;
        set.files.append({QString::number(s), bytes});
    }
    const int side = qMin(forSquare.width(), forSquare.height());
    QImage square = forSquare.copy((forSquare.width() - side) / 2, (forSquare.height() - side) / 2,
                                   side, side);
    if (side > kSquare)
        square = square.scaled(kSquare, kSquare, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    set.files.append({u"75sq"_s, encodePicture(square, set.extension)});
    set.sizeLabels = sizeLabelsFor(w);
    set.ok = true;
}
} // namespace

QByteArray encodePicture(const QImage& image, const QString& extension)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (extension == u"png")
        image.save(&buffer, "PNG");
    else
        image.convertToFormat(QImage::Format_RGB32).save(&buffer, "JPEG", 85);
    return bytes;
}

const QList<int>& photoSizes()
{
    static const QList<int> sizes{kLargest, 500, 400, 250, 100, kSquare};
    return sizes;
}

QList<QString> sizeLabelsFor(int width)
{
    const int whole = wholeSizeFor(width);
    QList<QString> labels;
    for (int s : photoSizes()) {
        if (s == kSquare)
            labels.append(u"75sq"_s);
        else if (whole != 0 && s > whole)
            labels.append(QString::number(whole));
        else
            labels.append(QString::number(s));
    }
    return labels;
}

PictureSet probePicture(const QByteArray& data)
{
    PictureSet set;
    QBuffer buffer;
    buffer.setData(data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    const QByteArray format = reader.format();
    const QSize size = reader.size();
    if (format.isEmpty() || !size.isValid() || size.isEmpty())
        return set;
    set.extension = (format == "png" || format == "gif") ? u"png"_s : u"jpg"_s;
    set.width = size.width();
    set.height = size.height();
    set.sizeLabels = sizeLabelsFor(set.width);
    set.ok = true;
    return set;
}

PictureSet makePictureSet(const QByteArray& data)
{
    PictureSet set;
    QBuffer buffer;
    buffer.setData(data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    const QByteArray format = reader.format();
    if (format.isEmpty())
        return set;
    set.extension = (format == "png" || format == "gif") ? u"png"_s : u"jpg"_s;
    const QSize size = reader.size();
    if (size.isValid() && size.width() > kLargest &&
        reader.supportsOption(QImageIOHandler::ScaledSize))
        reader.setScaledSize(
            QSize(kLargest, qMax(1, int(qint64(size.height()) * kLargest / size.width()))));
    const QImage image = reader.read();
    if (image.isNull())
        return set;
    set.width = size.isValid() ? size.width() : image.width();
    set.height = size.isValid() ? size.height() : image.height();
    QImage decoded = image;
    if (decoded.width() > kLargest)
        decoded = decoded.scaledToWidth(kLargest, Qt::SmoothTransformation);
    // A picture that fits is handed back as posted, byte for byte.
    const bool keepOriginal = set.width <= kLargest && (format == "png" || format == "jpeg");
    buildFiles(set, decoded, keepOriginal ? data : QByteArray());
    return set;
}

PictureSet makeGeneratedPictureSet(const QString& seed)
{
    const QByteArray hash = QCryptographicHash::hash(seed.toUtf8(), QCryptographicHash::Sha1);
    QImage image(320, 240, QImage::Format_RGB32);
    const QRgb a = qRgb(quint8(hash[0]), quint8(hash[1]), quint8(hash[2]));
    const QRgb b = qRgb(quint8(hash[3]), quint8(hash[4]), quint8(hash[5]));
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x)
            line[x] = ((x / 40 + y / 40) % 2) ? a : b;
    }
    PictureSet set;
    set.generated = true;
    set.extension = u"jpg"_s;
    set.width = image.width();
    set.height = image.height();
    buildFiles(set, image, QByteArray());
    return set;
}

} // namespace standin
