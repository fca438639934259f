#pragma once
#include <QImage>
#include <QString>

#include <vector>

namespace artwork {

struct Picture {
    QString name; // file name without ".png"
    QImage image;
};

void addIcons(std::vector<Picture>& out);
void addPaintWindow(std::vector<Picture>& out);
void addAboutBoxPictures(std::vector<Picture>& out);
void addUploaderPictures(std::vector<Picture>& out);

} // namespace artwork
