#pragma once
// Shared drawing pieces: a seeded generator, landscapes, the upload badge and
// the hand-drawn "Ruvia" lettering (no fonts, so every machine draws the same).
#include <QColor>
#include <QImage>
#include <QPainter>
#include <QPainterPath>

namespace artwork {

// xorshift32: the same sequence everywhere, unlike the std distributions.
class Rng {
public:
    explicit Rng(quint32 seed) : m_state(seed ? seed : 0x9E3779B9u) {}
    quint32 next()
    {
        m_state ^= m_state << 13;
        m_state ^= m_state >> 17;
        m_state ^= m_state << 5;
        return m_state;
    }
    double unit() { return double(next() >> 8) / double(1u << 24); }
    double range(double lo, double hi) { return lo + (hi - lo) * unit(); }

private:
    quint32 m_state;
};

QImage newImage(int width, int height, QColor fill = Qt::transparent);
QColor mix(const QColor& a, const QColor& b, double t);
QColor withAlpha(QColor c, int alpha);

struct Scene {
    QColor skyTop;
    QColor skyBottom;
    QColor sun;          // sun or moon disc; invalid: none
    QPointF sunAt{0.72, 0.3}; // in fractions of the rectangle
    double sunSize = 0.11;    // radius in fractions of the height
    bool stars = false;
    bool aurora = false;
    QColor far;          // jagged mountains; invalid: none
    bool snow = false;
    QColor mid;          // rolling hills
    QColor near;
    QColor water;        // lake along the bottom; invalid: none
    QColor trees;        // a few pines on the near ground; invalid: none
    double horizon = 0.62; // in fractions of the height
    quint32 seed = 1;
};
void drawScene(QPainter& p, const QRectF& r, const Scene& s);

// Smooth hills through random heights around baseY, closed along the bottom of r.
QPainterPath hillPath(const QRectF& r, double baseY, double amplitude, int bumps, Rng& rng);
// Jagged peaks, closed along the bottom of r; snowCaps receives the caps.
QPainterPath mountainPath(const QRectF& r, double baseY, double height, int peaks, Rng& rng,
                          QPainterPath* snowCaps = nullptr);

// A round badge with an upward arrow: the mark of sending a picture.
void drawUploadBadge(QPainter& p, QPointF centre, double radius, const QColor& fill,
                     const QColor& ring);
// "Ruvia" in strokes, baseline at origin.y(); returns the width used.
double drawWordmark(QPainter& p, QPointF origin, double height, const QPen& pen);
// A photo print centred on r's centre and turned by angleDeg: white border (wider
// at the bottom for an instant print), a landscape inside, a soft shadow below.
struct Card {
    double border = 4;
    double bottomBorder = 4;
    double radius = 3;
    bool shadow = true;
    QColor paper = QColor(255, 255, 255);
};
void drawPhotoCard(QPainter& p, const QRectF& r, double angleDeg, const Scene& scene,
                   const Card& card);
// A soft blurred-looking shadow of a rounded rectangle.
void drawSoftShadow(QPainter& p, const QRectF& r, double radius, double spread, int alpha);

} // namespace artwork
