#pragma once
// The six picture sizes the service hands out, made with QImage.
#include <QByteArray>
#include <QList>
#include <QString>

class QImage;

namespace standin {

struct PictureFile {
    QString label; // "1280", "500", "400", "250", "100" or "75sq"
    QByteArray bytes;
};

struct PictureSet {
    bool ok = false;
    bool generated = false;
    int width = 0;  // of the picture as posted
    int height = 0;
    QString extension; // "jpg" or "png"
    QList<PictureFile> files; // the files that exist
    // For each of 1280, 500, 400, 250, 100, 75: the label of the file it uses.
    QList<QString> sizeLabels;
};

// The widths listed in a read reply, largest first.
const QList<int>& photoSizes();

// JPEG (quality 85) or PNG bytes of image, by extension "jpg" or "png".
QByteArray encodePicture(const QImage& image, const QString& extension);
// The labels of the files each listed size uses, for a picture this wide.
QList<QString> sizeLabelsFor(int width);
// Reads only the picture's head: format, size and labels, no files (ok=false
// when data is not a picture).
PictureSet probePicture(const QByteArray& data);
// Decodes data and makes the files. Data that is not a picture gives ok=false.
PictureSet makePictureSet(const QByteArray& data);
// A small picture drawn from the seed text, for sources the stand-in does not fetch.
PictureSet makeGeneratedPictureSet(const QString& seed);

} // namespace standin
