#include "demo.h"

#include "pictures.h"

#include "artwork/draw.h"

#include <QCryptographicHash>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <cmath>
#include <numbers>
#include <vector>

using namespace Qt::StringLiterals;
using artwork::mix;
using artwork::Rng;
using artwork::withAlpha;

namespace standin {

namespace {

enum class Kind {
    Landscape, // artwork::drawScene with one of the palettes below
    Harbour,
    City,
    Meadow,
    Dunes,
    Grid,
    Shapes,
    Rings,
    Chevrons,
    Hexagons,
    Dots,
    Waves,
    Bubbles,
    Curve,
};

struct Row {
    const char* blog;
    Kind kind;
    int variant;
    const char* fileName;
    const char* caption;
    const char* tags;
    int width;
    int height;
    int daysAgo;
};

// Oldest first. Sizes vary on purpose: wider than 1280 (six different files),
// in between, and smaller than a thumbnail.
const Row kRows[] = {
    {"demoblog", Kind::Landscape, 0, "alpine-morning.jpg", "Morning light over the ridge",
     "mountains, morning, landscape", 2048, 1365, 212},
    {"demoblog", Kind::Rings, 0, "IMG_2041.JPG", "Ripples", "pattern, circles", 1200, 1200, 207},
    {"demoblog", Kind::Harbour, 0, "sunset-harbour.jpg", "Sunset over the old harbour",
     "sunset, harbour, sea, boats", 1600, 1067, 203},
    {"demoblog", Kind::Grid, 0, "composition-no-3.png",
     "Composition in <i>red, yellow and blue</i>", "geometric, art, primary colours", 900, 900,
     198},
    {"demoblog", Kind::Landscape, 1, "aurora-over-the-fjord.jpg", "Aurora over the fjord",
     "night, aurora, stars", 1920, 1080, 194},
    {"demoside", Kind::Meadow, 1, "garden-corner.jpg", "Garden corner", "garden, flowers", 800,
     600, 191},
    {"demoblog", Kind::Bubbles, 0, "bokeh_lights.jpg", "Bokeh", "lights, abstract", 800, 533, 188},
    {"demoblog", Kind::City, 0, "DSC_0147.JPG", "City at dusk", "city, skyline, dusk", 1280, 720,
     183},
    {"demoblog", Kind::Dunes, 0, "dunes-at-noon.jpg", "Dunes at noon", "desert, sand, dunes", 1500,
     844, 177},
    {"demoblog", Kind::Meadow, 0, "meadow.jpg", "The meadow behind the house",
     "flowers, meadow, summer", 1024, 768, 171},
    {"demoblog", Kind::Shapes, 0, "shapes-study-02.png", "Shapes study #2",
     "geometric, shapes, bauhaus", 640, 800, 166},
    {"demoblog", Kind::Curve, 0, "spirograph.png", "Spirograph", "curves, abstract", 700, 700, 160},
    {"demoblog", Kind::Landscape, 2, "misty-pines.jpg", "Misty pines", "forest, fog, trees", 1080,
     1350, 156},
    {"demoblog", Kind::Landscape, 3, "IMG_2188.JPG", "Last light", "mountains, dusk", 1440, 960,
     151},
    {"demoside", Kind::City, 2, "street-corner.jpg", "Street corner", "city, street", 640, 480,
     148},
    {"demoblog", Kind::Chevrons, 0, "chevrons.png", "Chevrons", "pattern, zigzag", 500, 500, 146},
    {"demoblog", Kind::Harbour, 1, "lighthouse-point.jpg", "Lighthouse point",
     "sea, lighthouse, coast", 1280, 853, 141},
    {"demoblog", Kind::Landscape, 4, "full-moon.jpg", "Full moon rising", "moon, night", 1000, 667,
     137},
    {"demoblog", Kind::City, 1, "night-skyline.jpg", "Skyline, late", "city, night, lights", 2400,
     1000, 132},
    {"demoblog", Kind::Bubbles, 1, "soap-bubbles.jpg", "Soap bubbles", "bubbles, colour", 600, 400,
     128},
    {"demoblog", Kind::Grid, 1, "grid-study.png", "Grid study", "geometric, grid", 400, 300, 123},
    {"demoblog", Kind::Dunes, 1, "desert-evening.jpg", "Evening in the desert", "desert, sunset",
     1280, 800, 118},
    {"demoblog", Kind::Meadow, 2, "poppies_field.jpg", "Poppies", "flowers, red, summer", 960, 640,
     114},
    {"demoblog", Kind::Hexagons, 0, "honeycomb.png", "Honeycomb", "pattern, hexagons", 800, 600,
     109},
    {"demoside", Kind::Curve, 2, "doodle.png", "Doodle", "curves, doodle", 320, 320, 106},
    {"demoblog", Kind::Landscape, 5, "autumn-woods.jpg", "Autumn woods", "forest, autumn", 1200,
     800, 103},
    {"demoblog", Kind::Curve, 1, "lissajous-3-4.png", "Lissajous 3:4", "curves, maths", 600, 600,
     98},
    {"demoblog", Kind::Landscape, 6, "lake-reflection.jpg", "Still lake",
     "lake, mountains, reflection", 1800, 1200, 92},
    {"demoblog", Kind::Shapes, 1, "circles-and-lines.jpg", "Circles and lines",
     "geometric, minimal", 1000, 1000, 87},
    {"demoblog", Kind::Harbour, 2, "boats-at-anchor.jpg", "Boats at anchor", "boats, harbour",
     1100, 733, 82},
    {"demoblog", Kind::Rings, 1, "avatar-draft.png", "Avatar draft", "small, icon", 180, 180, 78},
    {"demoblog", Kind::Landscape, 7, "IMG_3302.JPG", "Stars over the hill",
     "stars, night, long exposure", 1600, 1200, 73},
    {"demoblog", Kind::City, 2, "rooftops.jpg", "Rooftops", "city, rooftops", 900, 600, 68},
    {"demoblog", Kind::Dots, 0, "polka.png", "Polka dots", "pattern, dots", 300, 300, 63},
    {"demoblog", Kind::Dunes, 2, "IMG_3417.JPG", "Wind ripples", "sand, texture", 1280, 960, 57},
    {"demoside", Kind::Landscape, 7, "comet.jpg", "A comet, maybe", "night, sky", 1280, 720, 52},
    {"demoblog", Kind::Landscape, 8, "spring-hills.jpg", "Spring hills", "hills, spring, green",
     1366, 768, 47},
    {"demoblog", Kind::Bubbles, 2, "gradient-orbs.png", "Gradient orbs", "abstract, gradient",
     1024, 512, 41},
    {"demoblog", Kind::Landscape, 9, "winter-pines.jpg", "First snow", "forest, snow, winter", 1000,
     1250, 36},
    {"demoblog", Kind::Grid, 2, "DSCF0921.JPG", "Tiles on the station wall", "geometric, tiles",
     2000, 1333, 30},
    {"demoblog", Kind::Curve, 2, "rosette.png", "Rosette", "curves, pattern", 450, 450, 25},
    {"demoblog", Kind::Landscape, 10, "IMG_4012.JPG", "Valley view", "mountains, valley", 1280,
     853, 19},
    {"demoblog", Kind::Harbour, 3, "pier-at-dawn.jpg", "Pier at dawn", "pier, dawn, sea", 2560,
     1440, 13},
    {"demoblog", Kind::Waves, 0, "waves-pattern.png", "Waves", "pattern, waves", 160, 120, 8},
    {"demoblog", Kind::Meadow, 3, "sunflowers.jpg", "Sunflowers by the road",
     "flowers, sunflowers, summer", 1280, 960, 4},
};
constexpr int kRowCount = int(sizeof(kRows) / sizeof(kRows[0]));

// Well below the ids the stand-in hands out for new posts (431830000 on).
constexpr qint64 kFirstId = 430120517;

// All drawing is in a frame 400 units high, scaled to the file's size, so
// every size of a picture shows the same scene.
constexpr double kFrame = 400;
constexpr double kPi = std::numbers::pi;

QColor hsv(double hue, double s, double v, int alpha = 255)
{
    return QColor::fromHsvF(float(std::fmod(hue + 1.0, 1.0)), float(s), float(v), alpha / 255.f);
}

void sky(QPainter& p, const QRectF& r, std::initializer_list<QColor> stops, double end = 1.0)
{
    QLinearGradient g(r.topLeft(), QPointF(r.left(), r.top() + r.height() * end));
    int i = 0;
    for (const QColor& c : stops)
        g.setColorAt(double(i++) / (int(stops.size()) - 1), c);
    p.fillRect(r, g);
}

void sun(QPainter& p, QPointF c, double radius, const QColor& color)
{
    QRadialGradient glow(c, radius * 3);
    glow.setColorAt(0, withAlpha(color, 150));
    glow.setColorAt(0.4, withAlpha(color, 45));
    glow.setColorAt(1, withAlpha(color, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(glow);
    p.drawEllipse(c, radius * 3, radius * 3);
    p.setBrush(color);
    p.drawEllipse(c, radius, radius);
}

artwork::Scene landscapeScene(int variant, quint32 seed)
{
    artwork::Scene s;
    s.seed = seed;
    switch (variant) {
    case 0: // alpine morning
        s.skyTop = QColor(86, 140, 222);
        s.skyBottom = QColor(250, 214, 170);
        s.sun = QColor(255, 236, 170);
        s.sunAt = {0.2, 0.34};
        s.far = QColor(120, 130, 190);
        s.snow = true;
        s.mid = QColor(88, 150, 96);
        s.near = QColor(50, 112, 70);
        s.trees = QColor(28, 74, 46);
        break;
    case 1: // aurora
        s.skyTop = QColor(6, 18, 40);
        s.skyBottom = QColor(24, 66, 96);
        s.stars = true;
        s.aurora = true;
        s.far = QColor(22, 52, 70);
        s.snow = true;
        s.water = QColor(16, 44, 66);
        s.near = QColor(10, 26, 36);
        break;
    case 2: // misty pines
        s.skyTop = QColor(176, 196, 204);
        s.skyBottom = QColor(236, 240, 236);
        s.sun = QColor(255, 252, 236);
        s.sunAt = {0.66, 0.22};
        s.far = QColor(150, 172, 170);
        s.mid = QColor(104, 136, 128);
        s.near = QColor(60, 92, 80);
        s.trees = QColor(34, 62, 52);
        s.horizon = 0.55;
        break;
    case 3: // last light
        s.skyTop = QColor(58, 40, 110);
        s.skyBottom = QColor(255, 138, 92);
        s.sun = QColor(255, 214, 140);
        s.sunAt = {0.58, 0.6};
        s.far = QColor(120, 62, 110);
        s.mid = QColor(84, 44, 92);
        s.near = QColor(46, 28, 64);
        break;
    case 4: // full moon
        s.skyTop = QColor(14, 20, 54);
        s.skyBottom = QColor(70, 74, 140);
        s.sun = QColor(252, 246, 220);
        s.sunAt = {0.3, 0.3};
        s.sunSize = 0.14;
        s.stars = true;
        s.mid = QColor(36, 40, 82);
        s.near = QColor(20, 22, 48);
        s.trees = QColor(12, 14, 30);
        break;
    case 5: // autumn woods
        s.skyTop = QColor(238, 170, 110);
        s.skyBottom = QColor(255, 232, 196);
        s.sun = QColor(255, 244, 214);
        s.sunAt = {0.8, 0.25};
        s.far = QColor(176, 108, 78);
        s.mid = QColor(210, 110, 40);
        s.near = QColor(150, 64, 30);
        s.trees = QColor(120, 48, 24);
        break;
    case 6: // still lake
        s.skyTop = QColor(64, 150, 226);
        s.skyBottom = QColor(214, 238, 255);
        s.sun = QColor(255, 250, 210);
        s.sunAt = {0.7, 0.2};
        s.far = QColor(96, 116, 170);
        s.snow = true;
        s.mid = QColor(70, 130, 90);
        s.water = QColor(40, 104, 170);
        s.near = QColor(44, 96, 62);
        break;
    case 7: // stars over the hill
        s.skyTop = QColor(2, 4, 20);
        s.skyBottom = QColor(40, 30, 84);
        s.stars = true;
        s.mid = QColor(24, 20, 46);
        s.near = QColor(8, 8, 20);
        s.horizon = 0.72;
        break;
    case 8: // spring hills
        s.skyTop = QColor(150, 214, 255);
        s.skyBottom = QColor(244, 252, 236);
        s.sun = QColor(255, 236, 130);
        s.sunAt = {0.22, 0.26};
        s.mid = QColor(150, 212, 100);
        s.near = QColor(84, 176, 84);
        s.trees = QColor(40, 120, 60);
        break;
    case 9: // first snow
        s.skyTop = QColor(150, 176, 214);
        s.skyBottom = QColor(232, 238, 246);
        s.far = QColor(140, 160, 196);
        s.snow = true;
        s.mid = QColor(228, 234, 244);
        s.near = QColor(206, 216, 234);
        s.trees = QColor(40, 70, 76);
        break;
    default: // valley view
        s.skyTop = QColor(110, 170, 236);
        s.skyBottom = QColor(228, 240, 252);
        s.sun = QColor(255, 230, 120);
        s.sunAt = {0.45, 0.18};
        s.far = QColor(132, 150, 184);
        s.snow = true;
        s.mid = QColor(120, 176, 80);
        s.near = QColor(76, 136, 56);
        s.horizon = 0.58;
        break;
    }
    return s;
}

void drawHarbour(QPainter& p, const QRectF& r, int variant, Rng& rng)
{
    artwork::Scene s;
    s.seed = rng.next();
    s.horizon = 0.56;
    switch (variant) {
    case 0: // sunset
        s.skyTop = QColor(120, 60, 130);
        s.skyBottom = QColor(255, 170, 100);
        s.sun = QColor(255, 220, 150);
        s.sunAt = {0.5, 0.5};
        s.water = QColor(90, 60, 110);
        s.near = QColor(50, 30, 50);
        break;
    case 1: // lighthouse, bright day
        s.skyTop = QColor(70, 160, 235);
        s.skyBottom = QColor(210, 236, 255);
        s.sun = QColor(255, 240, 170);
        s.sunAt = {0.75, 0.2};
        s.water = QColor(20, 110, 170);
        s.near = QColor(110, 140, 80);
        break;
    case 2: // overcast
        s.skyTop = QColor(120, 136, 150);
        s.skyBottom = QColor(212, 218, 222);
        s.water = QColor(70, 96, 112);
        s.near = QColor(80, 86, 80);
        break;
    default: // dawn
        s.skyTop = QColor(60, 90, 170);
        s.skyBottom = QColor(255, 200, 180);
        s.sun = QColor(255, 236, 200);
        s.sunAt = {0.3, 0.52};
        s.water = QColor(70, 100, 160);
        break;
    }
    artwork::drawScene(p, r, s);
    const double horizon = r.height() * s.horizon + r.height() * 0.14;
    p.setPen(Qt::NoPen);
    if (variant == 1) { // a lighthouse on the headland
        const double x = r.width() * 0.16;
        const double foot = r.height() * 0.8;
        QPainterPath tower;
        tower.moveTo(x - 14, foot);
        tower.lineTo(x - 9, foot - 120);
        tower.lineTo(x + 9, foot - 120);
        tower.lineTo(x + 14, foot);
        tower.closeSubpath();
        p.setBrush(QColor(245, 245, 240));
        p.drawPath(tower);
        p.setBrush(QColor(210, 40, 40));
        for (int band = 0; band < 3; ++band) {
            QPainterPath stripe;
            stripe.addRect(QRectF(x - 20, foot - 100 + band * 36, 40, 16));
            p.drawPath(tower.intersected(stripe));
        }
        p.setBrush(QColor(60, 60, 60));
        p.drawRect(QRectF(x - 11, foot - 136, 22, 16));
        p.setBrush(QColor(255, 240, 150));
        p.drawRect(QRectF(x - 7, foot - 133, 14, 10));
    }
    if (variant == 3) { // a pier out into the water
        p.setBrush(QColor(60, 44, 40));
        p.drawRect(QRectF(0, r.height() * 0.78, r.width() * 0.55, 8));
        for (double x = 10; x < r.width() * 0.55; x += 28)
            p.drawRect(QRectF(x, r.height() * 0.78, 5, r.height() * 0.22));
    }
    const int boats = 3 + int(rng.next() % 4);
    for (int i = 0; i < boats; ++i) {
        const double y = horizon + rng.range(0.05, 0.8) * (r.height() - horizon);
        const double size = 10 + 40 * (y - horizon) / (r.height() - horizon);
        const double x = rng.range(0.3, 0.95) * r.width();
        QPainterPath hull;
        hull.moveTo(x - size, y - size * 0.25);
        hull.lineTo(x + size, y - size * 0.25);
        hull.lineTo(x + size * 0.7, y);
        hull.lineTo(x - size * 0.7, y);
        hull.closeSubpath();
        p.setBrush(variant == 0 ? QColor(40, 20, 30) : hsv(rng.unit(), 0.6, 0.5));
        p.drawPath(hull);
        p.setBrush(QColor(60, 50, 40));
        p.drawRect(QRectF(x - size * 0.03, y - size * 1.6, size * 0.06, size * 1.35));
        QPainterPath sail;
        sail.moveTo(x + size * 0.06, y - size * 1.55);
        sail.lineTo(x + size * 0.8, y - size * 0.35);
        sail.lineTo(x + size * 0.06, y - size * 0.35);
        sail.closeSubpath();
        p.setBrush(variant == 0 ? QColor(255, 210, 170) : QColor(250, 248, 240));
        p.drawPath(sail);
    }
}

void drawCity(QPainter& p, const QRectF& r, int variant, Rng& rng)
{
    const bool night = variant == 1;
    if (variant == 0)
        sky(p, r, {QColor(40, 40, 110), QColor(200, 90, 120), QColor(255, 180, 110)}, 0.8);
    else if (night)
        sky(p, r, {QColor(4, 6, 24), QColor(24, 30, 70)}, 0.8);
    else
        sky(p, r, {QColor(90, 170, 240), QColor(210, 236, 255)}, 0.8);
    if (variant == 0)
        sun(p, QPointF(r.width() * 0.7, r.height() * 0.62), 26, QColor(255, 210, 140));
    if (night) {
        p.setBrush(QColor(255, 255, 240, 180));
        for (int i = 0; i < 120; ++i)
            p.drawEllipse(QPointF(rng.range(0, r.width()), rng.range(0, r.height() * 0.4)), 0.8,
                          0.8);
    }
    const double ground = r.height() * (variant == 2 ? 1.0 : 0.82);
    for (int layer = 0; layer < 2; ++layer) {
        double x = -10;
        while (x < r.width()) {
            const double w = rng.range(22, 60);
            const double h = rng.range(0.2, layer == 0 ? 0.55 : 0.7) * r.height();
            const QRectF b(x, ground - h, w, h);
            QColor body = night ? QColor(14, 16, 30) : variant == 0 ? QColor(60, 40, 70)
                                                                    : hsv(rng.unit() * 0.15 + 0.05,
                                                                          0.35, 0.75);
            if (layer == 0)
                body = mix(body, night ? QColor(40, 44, 80) : QColor(200, 200, 230), 0.45);
            p.setBrush(body);
            p.drawRect(b);
            if (layer == 1) {
                for (double wy = b.top() + 6; wy < ground - 8; wy += 10)
                    for (double wx = b.left() + 4; wx < b.right() - 5; wx += 8) {
                        const bool lit = rng.unit() < (night ? 0.45 : 0.25);
                        if (!lit && !night && variant == 2)
                            continue;
                        p.setBrush(lit ? (night || variant == 0 ? QColor(255, 214, 110)
                                                                : QColor(230, 240, 255))
                                       : mix(body, QColor(0, 0, 0), 0.3));
                        p.drawRect(QRectF(wx, wy, 4, 5));
                    }
            }
            x += w + rng.range(0, 8);
        }
    }
    if (ground < r.height()) { // the river in front
        QLinearGradient g(0, ground, 0, r.height());
        g.setColorAt(0, night ? QColor(20, 24, 50) : QColor(90, 60, 100));
        g.setColorAt(1, night ? QColor(6, 8, 20) : QColor(40, 26, 60));
        p.fillRect(QRectF(0, ground, r.width(), r.height() - ground), g);
        p.setBrush(QColor(255, 214, 110, 120));
        for (int i = 0; i < 40; ++i)
            p.drawRect(QRectF(rng.range(0, r.width()), rng.range(ground + 4, r.height()),
                              rng.range(6, 26), 1.5));
    }
}

void drawMeadow(QPainter& p, const QRectF& r, int variant, Rng& rng)
{
    artwork::Scene s;
    s.seed = rng.next();
    s.skyTop = QColor(100, 170, 240);
    s.skyBottom = QColor(230, 244, 255);
    s.sun = QColor(255, 240, 150);
    s.sunAt = {rng.range(0.15, 0.85), 0.2};
    s.mid = QColor(120, 190, 90);
    s.near = QColor(70, 150, 60);
    s.horizon = 0.5;
    if (variant == 3) {
        s.skyTop = QColor(60, 140, 230);
        s.near = QColor(90, 140, 50);
    }
    artwork::drawScene(p, r, s);
    if (variant != 1) { // a tree on the hill
        const double x = r.width() * rng.range(0.6, 0.85);
        const double foot = r.height() * 0.62;
        p.setBrush(QColor(90, 60, 40));
        p.drawRect(QRectF(x - 4, foot - 50, 8, 50));
        p.setBrush(QColor(40, 110, 50));
        for (int i = 0; i < 6; ++i)
            p.drawEllipse(QPointF(x + rng.range(-22, 22), foot - 60 + rng.range(-18, 14)),
                          rng.range(14, 24), rng.range(12, 20));
    }
    const QColor petals[] = {QColor(240, 60, 60), QColor(255, 220, 60), QColor(250, 250, 250),
                             QColor(200, 120, 230), QColor(255, 150, 60)};
    const int count = int(r.width() * 0.5);
    for (int i = 0; i < count; ++i) {
        const double t = rng.unit();
        const double y = r.height() * (0.62 + 0.38 * t * t);
        const double x = rng.range(0, r.width());
        const double size = 1.2 + 7 * t * t;
        QColor c = petals[rng.next() % 5];
        if (variant == 2)
            c = rng.unit() < 0.8 ? QColor(220, 30, 30) : c;
        if (variant == 3) {
            c = QColor(250, 200, 30);
            p.setBrush(c);
            for (int k = 0; k < 8; ++k) {
                const double a = k * kPi / 4;
                p.drawEllipse(QPointF(x + std::cos(a) * size * 1.4, y + std::sin(a) * size * 1.4),
                              size * 0.8, size * 0.8);
            }
            p.setBrush(QColor(90, 50, 20));
            p.drawEllipse(QPointF(x, y), size, size);
            continue;
        }
        p.setBrush(c);
        p.drawEllipse(QPointF(x, y), size, size * 0.8);
        p.setBrush(QColor(250, 200, 40));
        p.drawEllipse(QPointF(x, y), size * 0.3, size * 0.3);
    }
}

void drawDunes(QPainter& p, const QRectF& r, int variant, Rng& rng)
{
    if (variant == 1) {
        sky(p, r, {QColor(70, 40, 110), QColor(240, 110, 80), QColor(255, 200, 120)}, 0.6);
        sun(p, QPointF(r.width() * 0.4, r.height() * 0.48), 22, QColor(255, 220, 150));
    } else {
        sky(p, r, {QColor(70, 150, 230), QColor(220, 236, 250)}, 0.6);
        sun(p, QPointF(r.width() * 0.75, r.height() * 0.16), 18, QColor(255, 252, 230));
    }
    const QColor far = variant == 1 ? QColor(200, 110, 90) : QColor(236, 190, 130);
    const QColor near = variant == 1 ? QColor(120, 50, 50) : QColor(196, 120, 60);
    const int layers = variant == 2 ? 6 : 4;
    const double top = variant == 2 ? 0.15 : 0.5;
    for (int i = 0; i < layers; ++i) {
        const double t = double(i) / (layers - 1);
        const double base = r.height() * (top + (0.95 - top) * t);
        const QPainterPath dune = artwork::hillPath(r, base, r.height() * 0.06, 3, rng);
        QLinearGradient g(r.left(), 0, r.right(), 0);
        g.setColorAt(0, mix(far, near, t).lighter(120));
        g.setColorAt(1, mix(far, near, t).darker(120));
        p.setBrush(g);
        p.drawPath(dune);
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(withAlpha(mix(far, near, t).darker(140), 110), 1.2));
        for (int k = 1; k < 5; ++k)
            p.drawPath(dune.translated(0, k * r.height() * 0.018 * (1 + t)));
        p.setPen(Qt::NoPen);
    }
}

// Rectangles split at random with thick black lines, in the primaries.
void drawGrid(QPainter& p, const QRectF& r, int variant, Rng& rng)
{
    std::vector<QColor> palette;
    if (variant == 2) // glazed tiles
        palette = {QColor(20, 90, 140), QColor(40, 150, 170), QColor(240, 240, 230),
                   QColor(220, 170, 60), QColor(30, 60, 100)};
    else
        palette = {QColor(245, 242, 230), QColor(245, 242, 230), QColor(245, 242, 230),
                   QColor(210, 30, 30),   QColor(250, 210, 30),  QColor(30, 60, 160)};
    if (variant == 1)
        palette.push_back(QColor(20, 20, 20));
    std::vector<QRectF> cells{r};
    for (int round = 0; round < (variant == 2 ? 40 : 11); ++round) {
        const size_t i = rng.next() % cells.size();
        const QRectF c = cells[i];
        if (c.width() < 30 || c.height() < 30)
            continue;
        const bool vertical = c.width() > c.height() ? rng.unit() < 0.75 : rng.unit() < 0.25;
        const double f = rng.range(0.25, 0.75);
        cells.erase(cells.begin() + long(i));
        if (vertical) {
            cells.emplace_back(c.left(), c.top(), c.width() * f, c.height());
            cells.emplace_back(c.left() + c.width() * f, c.top(), c.width() * (1 - f), c.height());
        } else {
            cells.emplace_back(c.left(), c.top(), c.width(), c.height() * f);
            cells.emplace_back(c.left(), c.top() + c.height() * f, c.width(), c.height() * (1 - f));
        }
    }
    p.setPen(QPen(variant == 2 ? QColor(236, 232, 220) : QColor(16, 16, 16), variant == 2 ? 4 : 8,
                  Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    for (const QRectF& c : cells) {
        p.setBrush(palette[rng.next() % palette.size()]);
        p.drawRect(c);
    }
    p.setPen(Qt::NoPen);
}

void drawShapes(QPainter& p, const QRectF& r, int variant, Rng& rng)
{
    const QColor ground = variant == 0 ? QColor(240, 230, 210) : QColor(30, 40, 60);
    p.fillRect(r, ground);
    const QColor palette[] = {QColor(230, 170, 40), QColor(30, 140, 140), QColor(240, 100, 80),
                              QColor(40, 60, 120), QColor(20, 20, 20), QColor(200, 200, 190)};
    for (int i = 0; i < 9; ++i) {
        QColor c = palette[rng.next() % 6];
        if (c == ground)
            c = palette[0];
        p.setBrush(withAlpha(c, variant == 0 ? 255 : 200));
        const QPointF at(rng.range(0.1, 0.9) * r.width(), rng.range(0.1, 0.9) * r.height());
        const double size = rng.range(30, 130);
        switch (rng.next() % 4) {
        case 0:
            p.drawEllipse(at, size, size);
            break;
        case 1:
            p.drawPie(QRectF(at.x() - size, at.y() - size, 2 * size, 2 * size),
                      int(rng.next() % 4) * 90 * 16, 180 * 16);
            break;
        case 2: {
            QPainterPath tri(at + QPointF(0, -size));
            tri.lineTo(at + QPointF(size, size * 0.7));
            tri.lineTo(at + QPointF(-size, size * 0.7));
            tri.closeSubpath();
            p.drawPath(tri);
            break;
        }
        default:
            p.save();
            p.translate(at);
            p.rotate(rng.range(-40, 40));
            p.drawRect(QRectF(-size, -size * 0.15, 2 * size, size * 0.3));
            p.restore();
        }
    }
    p.setPen(QPen(variant == 0 ? QColor(20, 20, 20) : QColor(240, 230, 210), 3));
    for (int i = 0; i < 3; ++i)
        p.drawLine(QPointF(rng.range(0, r.width()), 0), QPointF(rng.range(0, r.width()), r.height()));
    p.setPen(Qt::NoPen);
}

void drawRings(QPainter& p, const QRectF& r, int variant, Rng& rng)
{
    const double hue = variant == 0 ? 0.55 : 0.02;
    const QPointF centre(r.width() * rng.range(0.3, 0.7), r.height() * rng.range(0.3, 0.7));
    const double step = variant == 0 ? 14 : 22;
    const double reach = std::hypot(r.width(), r.height());
    for (int i = int(reach / step); i >= 0; --i) {
        p.setBrush(hsv(hue + i * 0.025, 0.55 + 0.35 * (i % 2), 0.95 - 0.25 * (i % 3) / 2.0));
        p.drawEllipse(centre, i * step + step, i * step + step);
    }
}

void drawChevrons(QPainter& p, const QRectF& r, int, Rng& rng)
{
    const QColor colors[] = {QColor(30, 40, 70), QColor(240, 90, 70), QColor(250, 200, 80),
                             QColor(240, 236, 226), QColor(60, 150, 160)};
    const double band = 36;
    const double zig = 40;
    const int offset = int(rng.next() % 5);
    for (int row = -1; row * band < r.height() + band; ++row) {
        QPainterPath path;
        const double y = row * band;
        path.moveTo(-zig, y);
        for (double x = -zig; x <= r.width() + zig; x += 2 * zig) {
            path.lineTo(x + zig, y + zig * 0.6);
            path.lineTo(x + 2 * zig, y);
        }
        path.lineTo(r.width() + 2 * zig, y + band);
        for (double x = r.width() + zig; x >= -zig; x -= 2 * zig) {
            path.lineTo(x, y + band + zig * 0.6);
            path.lineTo(x - zig, y + band);
        }
        path.closeSubpath();
        p.setBrush(colors[(row + offset + 5) % 5]);
        p.drawPath(path);
    }
}

void drawHexagons(QPainter& p, const QRectF& r, int, Rng& rng)
{
    p.fillRect(r, QColor(60, 40, 20));
    const double side = 24;
    const double w = std::sqrt(3.0) * side;
    QPolygonF hex;
    for (int k = 0; k < 6; ++k) {
        const double a = kPi / 6 + k * kPi / 3;
        hex << QPointF(std::cos(a), std::sin(a)) * (side - 1.5);
    }
    for (int row = 0; row * side * 1.5 < r.height() + side; ++row)
        for (int col = -1; col * w < r.width() + w; ++col) {
            const QPointF c(col * w + (row % 2) * w / 2, row * side * 1.5);
            const double t = (c.x() + c.y()) / (r.width() + r.height());
            p.setBrush(hsv(0.08 + 0.06 * t + rng.range(-0.015, 0.015), 0.85,
                           0.75 + 0.25 * rng.unit()));
            p.drawPolygon(hex.translated(c));
        }
}

void drawDots(QPainter& p, const QRectF& r, int, Rng& rng)
{
    p.fillRect(r, QColor(20, 110, 120));
    const double step = 30;
    const double phase = rng.range(0, 6);
    for (double y = step / 2; y < r.height(); y += step)
        for (double x = step / 2; x < r.width(); x += step) {
            const double size = 5 + 7 * (0.5 + 0.5 * std::sin(phase + x * 0.02 + y * 0.03));
            p.setBrush(hsv(0.1 + 0.9 * x / r.width(), 0.6, 1.0));
            p.drawEllipse(QPointF(x, y), size, size);
        }
}

void drawWaves(QPainter& p, const QRectF& r, int, Rng& rng)
{
    const double band = 26;
    const double freq = rng.range(0.02, 0.04);
    for (int i = -1; i * band < r.height() + band; ++i) {
        QPainterPath path;
        auto y = [&](double x, int k) { return k * band + 12 * std::sin(freq * x + k * 0.7); };
        path.moveTo(0, y(0, i));
        for (double x = 0; x <= r.width() + 4; x += 4)
            path.lineTo(x, y(x, i));
        for (double x = r.width() + 4; x >= 0; x -= 4)
            path.lineTo(x, y(x, i + 1) + 1);
        path.closeSubpath();
        p.setBrush(hsv(0.5 + 0.04 * (i % 4), 0.7, 0.5 + 0.12 * ((i + 8) % 4)));
        p.drawPath(path);
    }
}

void drawBubbles(QPainter& p, const QRectF& r, int variant, Rng& rng)
{
    QLinearGradient g(r.topLeft(), r.bottomRight());
    const double hue = variant == 0 ? 0.7 : variant == 1 ? 0.5 : 0.9;
    g.setColorAt(0, hsv(hue, 0.8, variant == 0 ? 0.15 : 0.6));
    g.setColorAt(1, hsv(hue + 0.2, 0.7, variant == 0 ? 0.35 : 0.9));
    p.fillRect(r, g);
    const int count = variant == 2 ? 14 : 60;
    for (int i = 0; i < count; ++i) {
        const QPointF c(rng.range(0, r.width()), rng.range(0, r.height()));
        const double radius = variant == 2 ? rng.range(40, 120) : rng.range(8, 45);
        const QColor tint = hsv(hue + rng.range(-0.2, 0.2), variant == 1 ? 0.3 : 0.6, 1.0);
        QRadialGradient b(c - QPointF(radius * 0.3, radius * 0.3), radius * 1.3);
        b.setColorAt(0, withAlpha(QColor(255, 255, 255), variant == 1 ? 160 : 90));
        b.setColorAt(0.5, withAlpha(tint, 110));
        b.setColorAt(1, withAlpha(tint, variant == 1 ? 30 : 0));
        p.setBrush(b);
        p.drawEllipse(c, radius, radius);
    }
}

// Spirograph, Lissajous figure or rosette, its colour running along the curve.
void drawCurve(QPainter& p, const QRectF& r, int variant, Rng& rng)
{
    QRadialGradient bg(r.center(), r.height() * 0.8);
    bg.setColorAt(0, variant == 1 ? QColor(250, 246, 236) : QColor(30, 24, 60));
    bg.setColorAt(1, variant == 1 ? QColor(220, 210, 190) : QColor(6, 4, 16));
    p.fillRect(r, bg);
    const QPointF c = r.center();
    const double scale = r.height() * 0.42;
    const int big = 5 + int(rng.next() % 4);
    const int small = 2 + int(rng.next() % 3);
    const double hue = rng.unit();
    auto at = [&](double t) {
        switch (variant) {
        case 0: { // hypotrochoid
            const double R = big, q = small, d = q * 1.6;
            return QPointF((R - q) * std::cos(t) + d * std::cos((R - q) / q * t),
                           (R - q) * std::sin(t) - d * std::sin((R - q) / q * t)) /
                   (R - q + d);
        }
        case 1:
            return QPointF(std::sin(3 * t + kPi / 2), std::sin(4 * t));
        default: {
            const double k = double(big) / small;
            return QPointF(std::cos(k * t) * std::cos(t), std::cos(k * t) * std::sin(t));
        }
        }
    };
    const int steps = 1400;
    const double turns = variant == 1 ? 2 * kPi : 2 * kPi * small;
    QPointF prev = c + at(0) * scale;
    for (int i = 1; i <= steps; ++i) {
        const QPointF next = c + at(turns * i / steps) * scale;
        p.setPen(QPen(hsv(hue + double(i) / steps, 0.8, variant == 1 ? 0.6 : 1.0), 2.2,
                      Qt::SolidLine, Qt::RoundCap));
        p.drawLine(prev, next);
        prev = next;
    }
    p.setPen(Qt::NoPen);
}

QImage drawPicture(int index, QSize size)
{
    const Row& row = kRows[index];
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::black);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.scale(double(size.width()) / (kFrame * row.width / row.height), size.height() / kFrame);
    const QRectF r(0, 0, kFrame * row.width / row.height, kFrame);
    Rng rng(quint32(index) * 2654435761u + 977u);
    switch (row.kind) {
    case Kind::Landscape:
        artwork::drawScene(p, r, landscapeScene(row.variant, rng.next()));
        break;
    case Kind::Harbour:
        drawHarbour(p, r, row.variant, rng);
        break;
    case Kind::City:
        drawCity(p, r, row.variant, rng);
        break;
    case Kind::Meadow:
        drawMeadow(p, r, row.variant, rng);
        break;
    case Kind::Dunes:
        drawDunes(p, r, row.variant, rng);
        break;
    case Kind::Grid:
        drawGrid(p, r, row.variant, rng);
        break;
    case Kind::Shapes:
        drawShapes(p, r, row.variant, rng);
        break;
    case Kind::Rings:
        drawRings(p, r, row.variant, rng);
        break;
    case Kind::Chevrons:
        drawChevrons(p, r, row.variant, rng);
        break;
    case Kind::Hexagons:
        drawHexagons(p, r, row.variant, rng);
        break;
    case Kind::Dots:
        drawDots(p, r, row.variant, rng);
        break;
    case Kind::Waves:
        drawWaves(p, r, row.variant, rng);
        break;
    case Kind::Bubbles:
        drawBubbles(p, r, row.variant, rng);
        break;
    case Kind::Curve:
        drawCurve(p, r, row.variant, rng);
        break;
    }
    return image;
}

QString stableKey(int index)
{
    static const char letters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    const QByteArray hash = QCryptographicHash::hash("ruvia demo post " + QByteArray::number(index),
                                                     QCryptographicHash::Sha1);
    QString key = QChar(u'a' + quint8(hash[0]) % 26);
    for (int i = 1; i < 16; ++i)
        key += QLatin1Char(letters[quint8(hash[i]) % 62]);
    return key;
}

} // namespace

const QList<DemoPost>& demoPosts()
{
    static const QList<DemoPost> posts = [] {
        QList<DemoPost> list;
        qint64 id = kFirstId;
        for (int i = 0; i < kRowCount; ++i) {
            const Row& row = kRows[i];
            DemoPost post;
            post.blog = QString::fromLatin1(row.blog);
            post.id = QString::number(id);
            post.key = stableKey(i);
            post.originalFileName = QString::fromUtf8(row.fileName);
            post.caption = QString::fromUtf8(row.caption);
            for (const QString& tag : QString::fromUtf8(row.tags).split(u','))
                post.tags.append(tag.trimmed());
            post.width = row.width;
            post.height = row.height;
            post.extension = post.originalFileName.endsWith(u".png"_s, Qt::CaseInsensitive)
                                 ? u"png"_s
                                 : u"jpg"_s;
            post.daysAgo = row.daysAgo;
            post.hour = 7 + (i * 5) % 14;
            list.append(post);
            id += 2100 + (i * 7919) % 4300;
        }
        return list;
    }();
    return posts;
}

int demoIndexOf(const QString& id)
{
    const QList<DemoPost>& posts = demoPosts();
    for (int i = 0; i < posts.size(); ++i)
        if (posts.at(i).id == id)
            return i;
    return -1;
}

QByteArray demoPictureFile(int index, const QString& label)
{
    if (index < 0 || index >= kRowCount)
        return {};
    const DemoPost& post = demoPosts().at(index);
    const int w = post.width;
    const int h = post.height;
    if (!sizeLabelsFor(w).contains(label))
        return {};
    if (label == u"75sq") {
        // The middle square, its short side brought down to 75 (never up).
        const int shortSide = qMin(w, h);
        const double f = shortSide > 75 ? 75.0 / shortSide : 1.0;
        const QSize drawn(w <= h ? qMin(w, 75) : qMax(1, qRound(w * f)),
                          h < w ? qMin(h, 75) : qMax(1, qRound(h * f)));
        const int side = qMin(drawn.width(), drawn.height());
        const QImage square = drawPicture(index, drawn)
                                  .copy((drawn.width() - side) / 2, (drawn.height() - side) / 2,
                                        side, side);
        return encodePicture(square, post.extension);
    }
    const int width = qMin(label.toInt(), w);
    const int height = qMax(1, int((qint64(h) * width + w / 2) / w));
    return encodePicture(drawPicture(index, QSize(width, height)), post.extension);
}

} // namespace standin
