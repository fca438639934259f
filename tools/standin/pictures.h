#pragma once
// The six picture sizes the service hands out, made with QImage.
#include <QByteArray>
#include <QList>
#include <QString>

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

// Decodes data and makes the files. Data that is not a picture gives ok=false.
PictureSet makePictureSet(const QByteArray& data);
// A small picture drawn from the seed text, for sources the stand-in does not fetch.
PictureSet makeGeneratedPictureSet(const QString& seed);

} // namespace standin
