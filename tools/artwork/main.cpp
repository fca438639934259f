// ruvia-artwork OUTDIR [--contact-sheet FILE]
// Writes every icon, bitmap and picture of the program as NAME.png into
// OUTDIR, and the program icon once more as A_MAIN.svg. The contact sheet
// shows them all on one image, with the disguise assembled at two sizes, for
// judging the artwork by eye.
#include "artwork.h"
#include "draw.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>

#include <cstdio>

using namespace artwork;

namespace {

// The disguise as its control lays it out: frame and fills, corners on top.
QImage assemblePaint(const std::vector<Picture>& all, int w, int h)
{
    const auto find = [&](const char* name) {
        for (const Picture& pic : all)
            if (pic.name == QLatin1String(name))
                return pic.image;
        return QImage();
    };
    const QColor face(192, 192, 192), work(0, 128, 128), shadow(136, 121, 121), light(233, 233, 233);
    QImage out = newImage(w, h, face);
    QPainter p(&out);
    const auto box = [&](int x1, int y1, int x2, int y2, const QColor& c) {
        p.fillRect(QRect(QPoint(x1, y1), QPoint(x2, y2)), c);
    };
    box(58, 3, w - 3, h - 75, work);
    box(0, 1, w, 2, shadow);
    box(56, 1, 57, h, shadow);
    box(0, h - 74, w, h - 73, light);
    box(w - 2, 0, w - 1, h, light);
    box(0, h - 1, w, h - 1, light);
    box(0, h - 21, w, h - 21, shadow);
    box(0, h - 24, w, h - 24, light);
    box(0, h - 25, w, h - 25, shadow);
    const QImage tl = find("PAINT_TL"), bl = find("PAINT_BL"), br = find("PAINT_BR"), tr = find("PAINT_TR");
    p.drawImage(0, 0, tl);
    p.drawImage(0, h - bl.height(), bl);
    p.drawImage(w - br.width(), h - br.height(), br);
    p.drawImage(w - tr.width(), 0, tr);
    return out;
}

QImage contactSheet(const std::vector<Picture>& all)
{
    const int width = 1280;
    std::vector<QImage> tiles;
    for (const Picture& pic : all) {
        QImage img = pic.image;
        if (img.width() <= 32) // small glyphs also shown enlarged, pixels kept square
            tiles.push_back(img.scaled(img.size() * 4, Qt::KeepAspectRatio, Qt::FastTransformation));
        tiles.push_back(img);
    }
    tiles.push_back(assemblePaint(all, 494, 394));
    tiles.push_back(assemblePaint(all, 760, 470));

    // Shelf packing, first pass for the height.
    const auto layout = [&](QPainter* p) {
        int x = 8, y = 8, shelf = 0;
        for (const QImage& img : tiles) {
            if (x + img.width() + 8 > width) {
                x = 8;
                y += shelf + 8;
                shelf = 0;
            }
            if (p) {
                p->fillRect(QRect(x, y, img.width(), img.height()), QColor(255, 255, 255));
                for (int cy = 0; cy < img.height(); cy += 8)
                    for (int cx = (cy / 8) % 2 * 8; cx < img.width(); cx += 16)
                        p->fillRect(QRect(x + cx, y + cy, 8, 8), QColor(226, 226, 226));
                p->drawImage(x, y, img);
            }
            x += img.width() + 8;
            shelf = std::max(shelf, img.height());
        }
        return y + shelf + 8;
    };
    QImage sheet = newImage(width, layout(nullptr), QColor(70, 74, 82));
    QPainter p(&sheet);
    layout(&p);
    return sheet;
}

} // namespace

int main(int argc, char** argv)
{
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    QString sheetFile;
    const int sheetAt = int(args.indexOf(QStringLiteral("--contact-sheet")));
    if (sheetAt >= 0 && sheetAt + 1 < args.size()) {
        sheetFile = args.at(sheetAt + 1);
        args.remove(sheetAt, 2);
    }
    if (args.size() != 1) {
        std::fprintf(stderr, "usage: ruvia-artwork OUTDIR [--contact-sheet FILE]\n");
        return 2;
    }
    const QDir outDir(args.first());
    if (!outDir.mkpath(QStringLiteral("."))) {
        std::fprintf(stderr, "ruvia-artwork: cannot create %s\n", qPrintable(outDir.path()));
        return 1;
    }

    std::vector<Picture> all;
    addIcons(all);
    addPaintWindow(all);
    addAboutBoxPictures(all);
    addUploaderPictures(all);

    for (const Picture& pic : all) {
        const QString file = outDir.filePath(pic.name + QStringLiteral(".png"));
        if (!pic.image.convertToFormat(QImage::Format_ARGB32).save(file, "PNG")) {
            std::fprintf(stderr, "ruvia-artwork: cannot write %s\n", qPrintable(file));
            return 1;
        }
    }
    const QString svgFile = outDir.filePath(QStringLiteral("A_MAIN.svg"));
    if (!writeScalableAppIcon(svgFile)) {
        std::fprintf(stderr, "ruvia-artwork: cannot write %s\n", qPrintable(svgFile));
        return 1;
    }
    if (!sheetFile.isEmpty() && !contactSheet(all).save(sheetFile, "PNG")) {
        std::fprintf(stderr, "ruvia-artwork: cannot write %s\n", qPrintable(sheetFile));
        return 1;
    }
    return 0;
}
