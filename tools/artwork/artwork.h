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
// The program icon as SVG, for the icon theme's scalable size.
bool writeScalableAppIcon(const QString& file);

} // namespace artwork
