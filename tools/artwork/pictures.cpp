// The about-box scenes and the upload window's ten small pictures.
#include "artwork.h"
#include "draw.h"

#include <QRadialGradient>

#include <cmath>

namespace artwork {
namespace {

Scene landscape(int kind, quint32 seed)
{
    Scene s;
    s.seed = seed;
    switch (kind % 10) {
    case 0: // summer day
        s.skyTop = QColor(104, 166, 236);
        s.skyBottom = QColor(206, 232, 255);
        s.sun = QColor(255, 220, 90);
        s.far = QColor(122, 142, 196);
        s.snow = true;
        s.mid = QColor(96, 174, 104);
        s.near = QColor(62, 142, 82);
        break;
    case 1: // sunset
        s.skyTop = QColor(236, 110, 96);
        s.skyBottom = QColor(255, 204, 136);
        s.sun = QColor(255, 240, 190);
        s.sunAt = {0.35, 0.55};
        s.far = QColor(156, 84, 124);
        s.mid = QColor(112, 62, 112);
        s.near = QColor(72, 42, 92);
        break;
    case 2: // night
        s.skyTop = QColor(18, 22, 58);
        s.skyBottom = QColor(62, 62, 124);
        s.sun = QColor(250, 244, 214);
        s.sunAt = {0.74, 0.24};
        s.stars = true;
        s.far = QColor(44, 48, 96);
        s.mid = QColor(32, 36, 74);
        s.near = QColor(22, 24, 52);
        break;
    case 3: // forest
        s.skyTop = QColor(150, 214, 226);
        s.skyBottom = QColor(232, 246, 236);
        s.sun = QColor(255, 248, 214);
        s.far = QColor(84, 134, 114);
        s.mid = QColor(52, 114, 74);
        s.near = QColor(30, 82, 52);
        s.trees = QColor(24, 70, 44);
        break;
    case 4: // winter
        s.skyTop = QColor(160, 192, 232);
        s.skyBottom = QColor(232, 240, 250);
        s.sun = QColor(255, 255, 236);
        s.far = QColor(132, 154, 194);
        s.snow = true;
        s.mid = QColor(226, 234, 246);
        s.near = QColor(200, 212, 232);
        break;
    case 5: // desert
        s.skyTop = QColor(246, 180, 112);
        s.skyBottom = QColor(255, 230, 184);
        s.sun = QColor(255, 250, 226);
        s.sunAt = {0.3, 0.32};
        s.far = QColor(206, 126, 88);
        s.mid = QColor(228, 158, 98);
        s.near = QColor(196, 116, 68);
        break;
    case 6: // sea
        s.skyTop = QColor(112, 194, 240);
        s.skyBottom = QColor(222, 242, 255);
        s.sun = QColor(255, 228, 120);
        s.sunAt = {0.62, 0.3};
        s.horizon = 0.5;
        s.water = QColor(38, 122, 194);
        s.near = QColor(240, 218, 160);
        break;
    case 7: // autumn
        s.skyTop = QColor(244, 196, 150);
        s.skyBottom = QColor(255, 238, 208);
        s.sun = QColor(255, 246, 220);
        s.far = QColor(170, 110, 84);
        s.mid = QColor(212, 122, 52);
        s.near = QColor(160, 70, 40);
        break;
    case 8: // spring
        s.skyTop = QColor(170, 222, 255);
        s.skyBottom = QColor(240, 252, 240);
        s.sun = QColor(255, 236, 140);
        s.sunAt = {0.25, 0.28};
        s.far = QColor(150, 196, 222);
        s.mid = QColor(142, 208, 112);
        s.near = QColor(92, 178, 92);
        break;
    case 9: // polar night
        s.skyTop = QColor(10, 28, 50);
        s.skyBottom = QColor(30, 70, 92);
        s.stars = true;
        s.aurora = true;
        s.far = QColor(26, 56, 70);
        s.snow = true;
        s.mid = QColor(18, 44, 56);
        s.near = QColor(12, 32, 42);
        break;
    }
    return s;
}

// Dots along a path, thinning out towards its end.
void dottedTrail(QPainter& p, const QPainterPath& path, const QColor& c, double size, int count)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    for (int i = 0; i < count; ++i) {
        const double t = double(i) / (count - 1);
        p.setBrush(withAlpha(c, int(220 - 140 * t)));
        const double r = size * (1.0 - 0.4 * t);
        p.drawEllipse(path.pointAtPercent(t), r, r);
    }
    p.restore();
}

void wordmark(QPainter& p, const QColor& c, bool shadow)
{
    const QPointF at(16, 184);
    if (shadow)
        drawWordmark(p, at + QPointF(0.8, 1.2), 20,
                     QPen(QColor(0, 0, 0, 70), 3.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    drawWordmark(p, at, 20, QPen(c, 3.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
}

// Prints rising from a valley at dawn towards the sky.
QImage aboutRising()
{
    QImage image = newImage(320, 200);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    Scene s;
    s.seed = 4711;
    s.skyTop = QColor(72, 86, 186);
    s.skyBottom = QColor(255, 190, 158);
    s.sun = QColor(255, 228, 160);
    s.sunAt = {0.22, 0.56};
    s.sunSize = 0.1;
    s.horizon = 0.66;
    s.far = QColor(124, 104, 172);
    s.mid = QColor(90, 78, 150);
    s.near = QColor(56, 52, 112);
    drawScene(p, QRectF(0, 0, 320, 200), s);

    QPainterPath trail(QPointF(122, 176));
    trail.cubicTo(150, 150, 150, 120, 178, 112);
    trail.cubicTo(220, 100, 230, 70, 268, 52);
    dottedTrail(p, trail, QColor(255, 255, 255), 1.7, 22);

    Card card;
    card.border = 4;
    card.bottomBorder = 11;
    card.radius = 2.5;
    drawPhotoCard(p, QRectF(150, 112, 44, 50), -9, landscape(6, 11), card);
    drawPhotoCard(p, QRectF(192, 70, 54, 60), 5, landscape(3, 12), card);
    card.border = 5;
    card.bottomBorder = 14;
    drawPhotoCard(p, QRectF(236, 18, 64, 72), -4, landscape(1, 13), card);
    drawUploadBadge(p, QPointF(296, 24), 11, QColor(255, 150, 56), QColor(255, 255, 255));
    wordmark(p, QColor(255, 255, 255, 235), true);
    return image;
}

void bokeh(QPainter& p, Rng& rng, int count, const QRectF& area)
{
    const QColor tints[] = {QColor(255, 190, 110), QColor(255, 120, 170), QColor(110, 220, 230),
                            QColor(190, 150, 255)};
    p.save();
    for (int i = 0; i < count; ++i) {
        const QPointF c(area.left() + rng.range(0, area.width()), area.top() + rng.range(0, area.height()));
        const double r = rng.range(4, 20);
        const QColor tint = tints[rng.next() % 4];
        QRadialGradient g(c, r);
        g.setColorAt(0, withAlpha(tint, int(rng.range(25, 60))));
        g.setColorAt(0.85, withAlpha(tint, int(rng.range(45, 85))));
        g.setColorAt(1, withAlpha(tint, 0));
        p.setPen(Qt::NoPen);
        p.setBrush(g);
        p.drawEllipse(c, r, r);
    }
    p.restore();
}

// A camera in the evening with city lights out of focus behind it.
QImage aboutCamera()
{
    QImage image = newImage(320, 200);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QRadialGradient bg(QPointF(170, 80), 240);
    bg.setColorAt(0, QColor(84, 62, 140));
    bg.setColorAt(1, QColor(20, 20, 52));
    p.fillRect(image.rect(), bg);
    Rng rng(2024);
    bokeh(p, rng, 34, QRectF(0, 0, 320, 200));

    // A fresh print sliding out behind the camera.
    Card card;
    card.border = 4;
    card.bottomBorder = 12;
    drawPhotoCard(p, QRectF(206, 26, 56, 64), 14, landscape(8, 21), card);

    const QRectF body(86, 68, 150, 94);
    drawSoftShadow(p, body.translated(0, 8), 16, 10, 90);
    p.setPen(Qt::NoPen);
    QLinearGradient top(0, 50, 0, 100);
    top.setColorAt(0, QColor(246, 246, 250));
    top.setColorAt(1, QColor(200, 204, 216));
    p.setBrush(top);
    p.drawRoundedRect(QRectF(116, 52, 56, 26), 6, 6);           // prism hump
    p.setBrush(QColor(60, 64, 80));
    p.drawRoundedRect(QRectF(132, 57, 24, 10), 3, 3);           // viewfinder
    p.setBrush(QColor(232, 72, 72));
    p.drawRoundedRect(QRectF(196, 60, 18, 10), 3, 3);           // shutter button
    p.setBrush(top);
    p.drawRoundedRect(body, 16, 16);
    QLinearGradient band(0, body.top() + 26, 0, body.bottom() - 14);
    band.setColorAt(0, QColor(58, 60, 76));
    band.setColorAt(1, QColor(38, 40, 54));
    p.setBrush(band);
    p.drawRect(QRectF(body.left(), body.top() + 26, body.width(), body.height() - 44));
    p.setBrush(QColor(255, 252, 230));
    p.drawRoundedRect(QRectF(body.right() - 34, body.top() + 8, 24, 12), 3, 3); // flash

    const QPointF lens(161, 118);
    p.setBrush(QColor(34, 36, 46));
    p.drawEllipse(lens, 40, 40);
    QLinearGradient ring(lens.x(), lens.y() - 34, lens.x(), lens.y() + 34);
    ring.setColorAt(0, QColor(236, 238, 244));
    ring.setColorAt(1, QColor(140, 146, 162));
    p.setBrush(ring);
    p.drawEllipse(lens, 34, 34);
    p.setBrush(QColor(20, 22, 30));
    p.drawEllipse(lens, 28, 28);
    QRadialGradient glass(lens + QPointF(-6, -8), 26);
    glass.setColorAt(0, QColor(90, 130, 210));
    glass.setColorAt(0.6, QColor(34, 44, 110));
    glass.setColorAt(1, QColor(10, 12, 30));
    p.setBrush(glass);
    p.drawEllipse(lens, 22, 22);
    p.setBrush(QColor(255, 255, 255, 170));
    p.drawEllipse(lens + QPointF(-9, -9), 5, 3.5);
    p.setBrush(QColor(255, 255, 255, 80));
    p.drawEllipse(lens + QPointF(8, 9), 2.5, 2.5);

    wordmark(p, QColor(255, 255, 255, 235), false);
    return image;
}

// Prints drying on a line under a summer sky.
QImage aboutGallery()
{
    QImage image = newImage(320, 200);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    Scene s;
    s.seed = 99;
    s.skyTop = QColor(132, 200, 240);
    s.skyBottom = QColor(236, 248, 236);
    s.horizon = 0.8;
    s.mid = QColor(136, 200, 120);
    s.near = QColor(96, 170, 96);
    drawScene(p, QRectF(0, 0, 320, 200), s);

    Rng rng(31337);
    p.setPen(Qt::NoPen);
    for (int cloud = 0; cloud < 3; ++cloud) {
        const QPointF c(40 + cloud * 110 + rng.range(-10, 10), 24 + rng.range(0, 14));
        p.setBrush(QColor(255, 255, 255, 200));
        for (int puff = 0; puff < 5; ++puff) {
            const double r = rng.range(8, 14);
            p.drawEllipse(c + QPointF(puff * 9 - 18, rng.range(-4, 3)), r * 1.2, r);
        }
    }

    const auto lineY = [](double x) {
        const double t = x / 320.0;
        return 44 + 36 * 4 * t * (1 - t) - 6 * t;
    };
    QPainterPath rope(QPointF(-4, lineY(-4)));
    for (int x = 0; x <= 324; x += 4)
        rope.lineTo(x, lineY(x));
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(110, 84, 60), 1.4));
    p.drawPath(rope);

    const int kinds[] = {6, 2, 4, 5, 7};
    const double angles[] = {-6, 4, -2, 7, -5};
    Card card;
    card.border = 3.5;
    card.bottomBorder = 9;
    for (int i = 0; i < 5; ++i) {
        const double x = 38 + i * 61;
        const double y = lineY(x);
        const QRectF r(x - 24, y - 2, 48, 56);
        drawPhotoCard(p, r, angles[i], landscape(kinds[i], 40 + i), card);
        p.setPen(QPen(QColor(120, 84, 44), 0.8));
        p.setBrush(QColor(214, 170, 112));
        p.drawRoundedRect(QRectF(x - 3, y - 6, 6, 12), 1.5, 1.5);
    }
    wordmark(p, QColor(36, 70, 120, 230), false);
    return image;
}

// One motif in ten moods: a print on its way up, with the send badge. Three
// poses take turns: a print over another, a print with the badge raised at
// its corner, and a fanned stack.
QImage uploader(int index)
{
    const QColor badges[10] = {
        QColor(255, 146, 48), QColor(240, 84, 140), QColor(64, 180, 96),  QColor(140, 92, 220),
        QColor(48, 132, 236), QColor(24, 170, 170), QColor(230, 70, 60),  QColor(240, 180, 20),
        QColor(92, 96, 214),  QColor(40, 190, 140),
    };
    const double angles[10] = {-8, 6, -4, 10, -12, 3, -6, 8, -2, 12};
    QImage image = newImage(96, 96);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    Card card;
    card.border = 4;
    card.bottomBorder = 4;
    card.radius = 4;
    Card back = card;
    back.paper = QColor(236, 240, 246);
    const double angle = angles[index];
    const Scene scene = landscape(index, 100 + index);
    switch (index % 3) {
    case 0: { // a print over another, badge below right
        const QPointF c(44, 45);
        drawPhotoCard(p, QRectF(c.x() - 28, c.y() - 24, 56, 48), -angle * 1.6,
                      landscape(index + 3, 500 + index), back);
        drawPhotoCard(p, QRectF(c.x() - 30, c.y() - 25, 60, 50), angle, scene, card);
        drawUploadBadge(p, QPointF(72, 70), 15, badges[index], QColor(255, 255, 255));
        break;
    }
    case 1: { // one print, lower, the badge rising from its upper corner
        const QPointF c(44, 52);
        drawPhotoCard(p, QRectF(c.x() - 32, c.y() - 26, 64, 52), angle, scene, card);
        drawUploadBadge(p, QPointF(72, 24), 15, badges[index], QColor(255, 255, 255));
        break;
    }
    default: { // a fanned stack of three
        const QPointF c(44, 48);
        for (int k = -1; k <= 1; ++k) {
            const QRectF r(c.x() - 27 + k * 6, c.y() - 23, 54, 46);
            drawPhotoCard(p, r, angle + k * 12, k == 1 ? scene : landscape(index + 4 + k, 600 + k),
                          k == 1 ? card : back);
        }
        drawUploadBadge(p, QPointF(72, 70), 15, badges[index], QColor(255, 255, 255));
        break;
    }
    }
    return image;
}

} // namespace

void addAboutBoxPictures(std::vector<Picture>& out)
{
    out.push_back({QStringLiteral("RUVIA_ABOUT_BOX_0000"), aboutRising()});
    out.push_back({QStringLiteral("RUVIA_ABOUT_BOX_0001"), aboutCamera()});
    out.push_back({QStringLiteral("RUVIA_ABOUT_BOX_0002"), aboutGallery()});
}

void addUploaderPictures(std::vector<Picture>& out)
{
    for (int i = 0; i < 10; ++i)
        out.push_back({QStringLiteral("RUVIA_UPLOADER_%1").arg(i, 4, 10, QLatin1Char('0')), uploader(i)});
}

} // namespace artwork
