// The program icon, the painting program's icon and pointer, and the check-box glyphs.
#include "artwork.h"
#include "draw.h"

#include <QLinearGradient>
#include <QRadialGradient>
#include <QSvgGenerator>

namespace artwork {
namespace {

const QColor kIconTop(54, 200, 214);
const QColor kIconBottom(84, 88, 226);
const QColor kBadge(255, 150, 56);

// Drawn on a 256-unit grid whose main edges fall on multiples of 16, so the
// 16 and 32 pixel sizes keep sharp edges. The print's picture is cut to its
// frame by path intersection rather than a clip: the scalable copy is written
// through QSvgGenerator, which does not keep clips.
void paintAppIcon(QPainter& p, bool small)
{
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);

    const QRectF tile(16, 16, 224, 224);
    QLinearGradient bg(tile.topLeft(), tile.bottomRight());
    bg.setColorAt(0, kIconTop);
    bg.setColorAt(1, kIconBottom);
    p.setBrush(bg);
    const double corner = small ? 40 : 52;
    p.drawRoundedRect(tile, corner, corner);
    if (!small) { // a soft sheen across the upper half
        QLinearGradient sheen(0, 16, 0, 128);
        sheen.setColorAt(0, QColor(255, 255, 255, 46));
        sheen.setColorAt(1, QColor(255, 255, 255, 0));
        p.setBrush(sheen);
        p.drawRoundedRect(tile.adjusted(4, 4, -4, -112), corner - 4, corner - 4);
    }

    // The photo print.
    const QRectF print(48, 64, 144, 112);
    if (!small)
        drawSoftShadow(p, print.translated(0, 6), 12, 10, 60);
    p.setBrush(QColor(255, 255, 255));
    p.drawRoundedRect(print, small ? 8 : 14, small ? 8 : 14);
    const QRectF inner = print.adjusted(16, 16, -16, -16);
    QPainterPath frame;
    frame.addRoundedRect(inner, 4, 4);
    const auto fill = [&](const QPainterPath& path, const QBrush& brush) {
        p.fillPath(path.intersected(frame), brush);
    };
    QLinearGradient sky(inner.topLeft(), inner.bottomLeft());
    sky.setColorAt(0, QColor(196, 232, 255));
    sky.setColorAt(1, QColor(236, 248, 255));
    p.fillPath(frame, sky);
    QPainterPath sun;
    sun.addEllipse(QPointF(inner.left() + 82, inner.top() + 22), small ? 14 : 12, small ? 14 : 12);
    fill(sun, QColor(255, 196, 64));
    QPainterPath back;
    back.moveTo(inner.left() + 30, inner.bottom());
    back.lineTo(inner.left() + 78, inner.top() + 34);
    back.lineTo(inner.right() + 10, inner.bottom());
    back.closeSubpath();
    fill(back, QColor(92, 150, 226));
    QPainterPath front;
    front.moveTo(inner.left() - 8, inner.bottom());
    front.lineTo(inner.left() + 34, inner.top() + 20);
    front.lineTo(inner.left() + 78, inner.bottom());
    front.closeSubpath();
    fill(front, QColor(56, 96, 200));
    if (!small) {
        QPainterPath cap;
        cap.moveTo(inner.left() + 34, inner.top() + 20);
        cap.lineTo(inner.left() + 46, inner.top() + 36);
        cap.lineTo(inner.left() + 38, inner.top() + 32);
        cap.lineTo(inner.left() + 32, inner.top() + 38);
        cap.lineTo(inner.left() + 26, inner.top() + 32);
        cap.closeSubpath();
        fill(cap, QColor(255, 255, 255));
    }
}

// The upload badge, ringed in the tile's colour where it overlaps the print.
const QColor kBadgeRing = mix(kIconTop, kIconBottom, 0.8);

QImage appIcon(int size)
{
    QImage image = newImage(size, size);
    QPainter p(&image);
    p.scale(size / 256.0, size / 256.0);
    paintAppIcon(p, size <= 32);
    if (size > 16) {
        drawUploadBadge(p, QPointF(184, 184), size <= 32 ? 48 : 44, kBadge, kBadgeRing);
        return image;
    }
    // At 16 pixels a smoothed arrow turns to mush: disc smoothed, arrow set pixel by pixel.
    p.setBrush(kBadgeRing);
    p.drawEllipse(QPointF(184, 184), 68, 68);
    p.setBrush(kBadge);
    p.drawEllipse(QPointF(184, 184), 60, 60);
    p.resetTransform();
    p.setRenderHint(QPainter::Antialiasing, false);
    const QColor white(255, 255, 255);
    p.fillRect(QRect(11, 9, 1, 1), white);
    p.fillRect(QRect(10, 10, 3, 1), white);
    p.fillRect(QRect(9, 11, 5, 1), white);
    p.fillRect(QRect(11, 12, 1, 3), white);
    return image;
}

// The 16 pixel palette, set by hand: smoothing leaves nothing readable at this size.
QImage paintIconSmall()
{
    static const char* const rows[16] = {
        "...............h",
        "..............hd",
        ".............hd.",
        "....OOOOOOO.hd..",
        "..OOWWWWWWWhdO..",
        ".OWRRWWYYWffWWO.",
        ".OWRRWWYYffWWWO.",
        "OWWWWWWWttWGGWO.",
        "OWWOOWWWtWWGGWO.",
        "OWO..OWWWWWWWWO.",
        "OWO..OWWWWWBBWO.",
        "OWWOOWWWWWWBBWO.",
        ".OWWWWPPWWWWWO..",
        "..OOWWPPWWWOO...",
        "....OOOOOOO.....",
        "................",
    };
    QImage image = newImage(16, 16);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            QColor c;
            switch (rows[y][x]) {
            case 'O': c = QColor(120, 78, 32); break;
            case 'W': c = QColor(238, 200, 140); break;
            case 'R': c = QColor(228, 40, 40); break;
            case 'Y': c = QColor(255, 210, 0); break;
            case 'G': c = QColor(40, 170, 60); break;
            case 'B': c = QColor(30, 90, 230); break;
            case 'P': c = QColor(150, 50, 190); break;
            case 'h': c = QColor(200, 44, 32); break;
            case 'd': c = QColor(120, 20, 14); break;
            case 'f': c = QColor(150, 150, 164); break;
            case 't': c = QColor(20, 60, 180); break;
            default: continue;
            }
            image.setPixelColor(x, y, c);
        }
    return image;
}

// A painter's palette with dabs of paint and a brush across it.
QImage paintIcon(int size)
{
    if (size == 16)
        return paintIconSmall();
    QImage image = newImage(size, size);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 32.0, size / 32.0);
    const double line = size <= 16 ? 2.0 : 1.0;

    QPainterPath palette;
    palette.moveTo(16, 5);
    palette.cubicTo(26, 5, 31, 11, 30.5, 17);
    palette.cubicTo(30, 23, 24, 28, 17, 28);
    palette.cubicTo(12, 28, 11, 24, 8, 24);
    palette.cubicTo(4, 24, 1.5, 21, 1.5, 16);
    palette.cubicTo(1.5, 9, 8, 5, 16, 5);
    palette.closeSubpath();
    QPainterPath hole;
    hole.addEllipse(QPointF(9, 18.5), 2.6, 2.3);
    palette = palette.subtracted(hole);
    QLinearGradient wood(0, 5, 0, 28);
    wood.setColorAt(0, QColor(246, 216, 160));
    wood.setColorAt(1, QColor(214, 166, 98));
    p.setBrush(wood);
    p.setPen(QPen(QColor(120, 78, 32), line));
    p.drawPath(palette);

    p.setPen(Qt::NoPen);
    const struct { double x, y; QColor c; } dabs[] = {
        {9, 11, QColor(228, 40, 40)},   {15.5, 9.5, QColor(255, 210, 0)},
        {22, 11, QColor(40, 170, 60)},  {25.5, 17.5, QColor(30, 90, 230)},
        {21, 23, QColor(150, 50, 190)},
    };
    for (const auto& d : dabs) {
        p.setBrush(d.c);
        p.drawEllipse(QPointF(d.x, d.y), size <= 16 ? 3.0 : 2.6, size <= 16 ? 3.0 : 2.4);
    }

    // The brush, from the upper right down into the palette.
    p.save();
    p.translate(16.5, 15.5);
    p.rotate(-48);
    p.setPen(QPen(QColor(60, 30, 10), line * 0.8));
    p.setBrush(QColor(190, 40, 30));
    p.drawRoundedRect(QRectF(3, -1.6, 15, 3.2), 1.4, 1.4);      // handle
    p.setBrush(QColor(200, 200, 210));
    p.drawRect(QRectF(-1.5, -1.9, 4.5, 3.8));                  // ferrule
    QPainterPath tip;
    tip.moveTo(-1.5, -1.9);
    tip.cubicTo(-4, -1.9, -6, -0.6, -7.5, 0);
    tip.cubicTo(-6, 0.6, -4, 1.9, -1.5, 1.9);
    tip.closeSubpath();
    p.setBrush(QColor(30, 90, 230));
    p.drawPath(tip);
    p.restore();
    return image;
}

// Hot spot: the tip of the pencil, at (1, 30).
QImage paintCursor()
{
    QImage image = newImage(32, 32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.translate(1.5, 30.5);
    p.rotate(-45);
    // Along +x from the tip: graphite, sharpened wood, painted body, band, eraser.
    const double half = 3.5;
    QPainterPath outline;
    outline.moveTo(0, 0);
    outline.lineTo(8, -half);
    outline.lineTo(32, -half);
    outline.arcTo(QRectF(30, -half, 4, 2 * half), 90, -180);
    outline.lineTo(8, half);
    outline.closeSubpath();

    p.setPen(QPen(QColor(255, 255, 255), 3.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPath(outline); // a white halo so the pointer shows on the dark workspace
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(240, 200, 140));
    p.drawPath(outline);
    p.setBrush(QColor(255, 200, 40));
    p.drawRect(QRectF(8, -half, 17, 2 * half));
    p.setBrush(QColor(230, 160, 20));
    p.drawRect(QRectF(8, 0.6, 17, half - 0.6));
    p.setBrush(QColor(170, 170, 180));
    p.drawRect(QRectF(25, -half, 4, 2 * half));
    p.setBrush(QColor(240, 130, 150));
    QPainterPath eraser;
    eraser.moveTo(29, -half);
    eraser.lineTo(32, -half);
    eraser.arcTo(QRectF(30, -half, 4, 2 * half), 90, -180);
    eraser.lineTo(29, half);
    eraser.closeSubpath();
    p.drawPath(eraser);
    QPainterPath lead;
    lead.moveTo(0, 0);
    lead.lineTo(3.2, -1.4);
    lead.lineTo(3.2, 1.4);
    lead.closeSubpath();
    p.setBrush(QColor(30, 30, 30));
    p.drawPath(lead);
    p.setPen(QPen(QColor(0, 0, 0), 1.1, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPath(outline);
    return image;
}

QImage checkBox(bool checked)
{
    QImage image = newImage(16, 16);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF box(1.5, 1.5, 13, 13);
    QLinearGradient g(0, 1, 0, 15);
    if (checked) {
        g.setColorAt(0, QColor(84, 150, 240));
        g.setColorAt(1, QColor(38, 104, 206));
        p.setPen(QPen(QColor(28, 82, 170), 1));
    } else {
        g.setColorAt(0, QColor(255, 255, 255));
        g.setColorAt(1, QColor(226, 232, 240));
        p.setPen(QPen(QColor(104, 116, 132), 1));
    }
    p.setBrush(g);
    p.drawRoundedRect(box, 2.5, 2.5);
    if (checked) {
        p.setPen(QPen(QColor(255, 255, 255), 2.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(Qt::NoBrush);
        const QPointF tick[] = {{4.5, 8.2}, {7.0, 10.8}, {11.6, 5.2}};
        p.drawPolyline(tick, 3);
    }
    return image;
}

} // namespace

void addIcons(std::vector<Picture>& out)
{
    for (int size : {16, 32, 48, 64, 128, 256})
        out.push_back({QStringLiteral("A_MAIN_%1").arg(size), appIcon(size)});
    for (int size : {16, 32})
        out.push_back({QStringLiteral("PAINT_%1").arg(size), paintIcon(size)});
    out.push_back({QStringLiteral("PAINT_CURSOR"), paintCursor()});
    out.push_back({QStringLiteral("IDB_CHECKBOX_ON"), checkBox(true)});
    out.push_back({QStringLiteral("IDB_CHECKBOX_OFF"), checkBox(false)});
}

bool writeScalableAppIcon(const QString& file)
{
    QSvgGenerator svg;
    svg.setFileName(file);
    svg.setSize(QSize(256, 256));
    svg.setViewBox(QRect(0, 0, 256, 256));
    svg.setTitle(QStringLiteral("Ruvia"));
    QPainter p;
    if (!p.begin(&svg))
        return false;
    paintAppIcon(p, false);
    drawUploadBadge(p, QPointF(184, 184), 44, kBadge, kBadgeRing);
    return p.end();
}

} // namespace artwork
