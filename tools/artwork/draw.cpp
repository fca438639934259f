#include "draw.h"

#include <QLinearGradient>
#include <QRadialGradient>

#include <algorithm>
#include <cmath>
#include <vector>

namespace artwork {

QImage newImage(int width, int height, QColor fill)
{
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(fill);
    return image;
}

QColor mix(const QColor& a, const QColor& b, double t)
{
    const auto lerp = [t](int x, int y) { return int(std::lround(x + (y - x) * t)); };
    return QColor(lerp(a.red(), b.red()), lerp(a.green(), b.green()), lerp(a.blue(), b.blue()),
                  lerp(a.alpha(), b.alpha()));
}

QColor withAlpha(QColor c, int alpha)
{
    c.setAlpha(alpha);
    return c;
}

namespace {

// Catmull-Rom through the points, as cubic Bezier segments.
void smoothThrough(QPainterPath& path, const std::vector<QPointF>& pts)
{
    path.lineTo(pts.front());
    for (size_t i = 0; i + 1 < pts.size(); ++i) {
        const QPointF p0 = pts[i == 0 ? 0 : i - 1];
        const QPointF p1 = pts[i];
        const QPointF p2 = pts[i + 1];
        const QPointF p3 = pts[std::min(i + 2, pts.size() - 1)];
        path.cubicTo(p1 + (p2 - p0) / 6.0, p2 - (p3 - p1) / 6.0, p2);
    }
}

} // namespace

QPainterPath hillPath(const QRectF& r, double baseY, double amplitude, int bumps, Rng& rng)
{
    std::vector<QPointF> pts;
    const double step = r.width() / bumps;
    for (int i = 0; i <= bumps; ++i) {
        const double x = r.left() + i * step + (i > 0 && i < bumps ? rng.range(-0.2, 0.2) * step : 0);
        pts.emplace_back(x, baseY + rng.range(-amplitude, amplitude));
    }
    pts.front().rx() -= 1;
    pts.back().rx() += 1;
    QPainterPath path(QPointF(pts.front().x(), r.bottom() + 1));
    smoothThrough(path, pts);
    path.lineTo(pts.back().x(), r.bottom() + 1);
    path.closeSubpath();
    return path;
}

QPainterPath mountainPath(const QRectF& r, double baseY, double height, int peaks, Rng& rng,
                          QPainterPath* snowCaps)
{
    std::vector<QPointF> pts;
    const double step = r.width() / peaks;
    pts.emplace_back(r.left() - 1, baseY - rng.range(0.1, 0.4) * height);
    for (int i = 0; i < peaks; ++i) {
        const double x0 = r.left() + i * step;
        pts.emplace_back(x0 + step * rng.range(0.35, 0.65), baseY - height * rng.range(0.6, 1.0));
        if (i + 1 < peaks)
            pts.emplace_back(x0 + step * rng.range(0.9, 1.1), baseY - height * rng.range(0.1, 0.35));
    }
    pts.emplace_back(r.right() + 1, baseY - rng.range(0.1, 0.4) * height);

    QPainterPath path(QPointF(r.left() - 1, r.bottom() + 1));
    for (const QPointF& pt : pts)
        path.lineTo(pt);
    path.lineTo(r.right() + 1, r.bottom() + 1);
    path.closeSubpath();

    if (snowCaps) {
        for (size_t i = 1; i + 1 < pts.size(); i += 2) {
            const QPointF peak = pts[i];
            const QPointF left = pts[i - 1];
            const QPointF right = pts[i + 1];
            const double t = 0.32;
            const QPointF l = peak + (left - peak) * t;
            const QPointF rr = peak + (right - peak) * t;
            QPainterPath cap(peak);
            cap.lineTo(rr);
            cap.lineTo(peak + (rr - peak) * 0.55 + QPointF(0, (rr.y() - peak.y()) * 0.35));
            cap.lineTo((l + rr) / 2 + QPointF(0, (rr.y() - peak.y()) * 0.05));
            cap.lineTo(peak + (l - peak) * 0.6 + QPointF(0, (l.y() - peak.y()) * 0.3));
            cap.lineTo(l);
            cap.closeSubpath();
            snowCaps->addPath(cap);
        }
    }
    return path;
}

void drawScene(QPainter& p, const QRectF& r, const Scene& s)
{
    Rng rng(s.seed);
    p.save();
    p.setClipRect(r, Qt::IntersectClip);
    p.setPen(Qt::NoPen);

    QLinearGradient sky(r.topLeft(), r.bottomLeft());
    sky.setColorAt(0, s.skyTop);
    sky.setColorAt(s.horizon, s.skyBottom);
    sky.setColorAt(1, s.skyBottom);
    p.fillRect(r, sky);

    const double h = r.height();
    const double w = r.width();
    if (s.stars) {
        const int count = int(w * h * s.horizon / 260);
        for (int i = 0; i < count; ++i) {
            const QPointF at(r.left() + rng.range(0, w), r.top() + rng.range(0, h * s.horizon * 0.9));
            const double size = rng.range(0.3, 1.0) * std::max(1.0, h / 160);
            p.setBrush(QColor(255, 255, 240, int(rng.range(90, 230))));
            p.drawEllipse(at, size, size);
        }
    }
    if (s.aurora) { // curtains of light: a wavy band fading out above and below
        for (int band = 0; band < 2; ++band) {
            const double y0 = r.top() + h * (0.12 + band * 0.12);
            const double thick = h * (0.16 - band * 0.04);
            std::vector<QPointF> crest;
            for (int k = 0; k <= 5; ++k)
                crest.emplace_back(r.left() - 2 + (w + 4) * k / 5, y0 + rng.range(-0.07, 0.07) * h);
            QPainterPath curtain(crest.front());
            smoothThrough(curtain, crest);
            for (auto it = crest.rbegin(); it != crest.rend(); ++it)
                curtain.lineTo(*it + QPointF(0, thick));
            curtain.closeSubpath();
            QLinearGradient g(0, y0 - 0.07 * h, 0, y0 + thick + 0.07 * h);
            const QColor c = band == 0 ? QColor(110, 250, 190) : QColor(150, 230, 255);
            g.setColorAt(0, withAlpha(c, 0));
            g.setColorAt(0.45, withAlpha(c, 120));
            g.setColorAt(1, withAlpha(c, 0));
            p.setBrush(g);
            p.drawPath(curtain);
        }
    }
    if (s.sun.isValid()) {
        const QPointF c(r.left() + w * s.sunAt.x(), r.top() + h * s.sunAt.y());
        const double rad = h * s.sunSize;
        QRadialGradient glow(c, rad * 3.2);
        glow.setColorAt(0, withAlpha(s.sun, 150));
        glow.setColorAt(0.35, withAlpha(s.sun, 50));
        glow.setColorAt(1, withAlpha(s.sun, 0));
        p.setBrush(glow);
        p.drawEllipse(c, rad * 3.2, rad * 3.2);
        p.setBrush(s.sun);
        p.drawEllipse(c, rad, rad);
        if (s.stars) { // a moon: the shadowed part in the sky's colour
            p.setBrush(mix(s.skyTop, s.skyBottom, s.sunAt.y()));
            p.drawEllipse(c + QPointF(rad * 0.45, -rad * 0.25), rad * 0.85, rad * 0.85);
        }
    }

    const double horizonY = r.top() + h * s.horizon;
    if (s.far.isValid()) {
        QPainterPath caps;
        const QPainterPath m =
            mountainPath(r, horizonY, h * 0.34, std::max(2, int(w / (h * 0.55))), rng, s.snow ? &caps : nullptr);
        QLinearGradient g(0, horizonY - h * 0.34, 0, horizonY);
        g.setColorAt(0, s.far.lighter(112));
        g.setColorAt(1, s.far);
        p.setBrush(g);
        p.drawPath(m);
        if (s.snow) {
            // Clipped, not intersected: the caps share vertices and edges with the
            // range, and the path intersection then covers whole mountains.
            p.save();
            p.setClipPath(m, Qt::IntersectClip);
            p.setBrush(mix(QColor(255, 255, 255), s.far, 0.12));
            p.drawPath(caps);
            p.restore();
        }
    }
    if (s.mid.isValid()) {
        const QPainterPath hill = hillPath(r, horizonY + h * 0.07, h * 0.055, 3, rng);
        QLinearGradient g(0, horizonY, 0, r.bottom());
        g.setColorAt(0, s.mid.lighter(110));
        g.setColorAt(1, s.mid.darker(115));
        p.setBrush(g);
        p.drawPath(hill);
    }
    if (s.water.isValid()) {
        const double top = horizonY + h * 0.14;
        QLinearGradient g(0, top, 0, r.bottom());
        g.setColorAt(0, s.water.lighter(115));
        g.setColorAt(1, s.water.darker(120));
        p.fillRect(QRectF(r.left(), top, w, r.bottom() - top), g);
        const QColor glint = s.sun.isValid() ? s.sun : QColor(255, 255, 255);
        const double sunX = r.left() + w * s.sunAt.x();
        for (int i = 0; i < 6; ++i) {
            const double y = top + (r.bottom() - top) * (0.12 + i * 0.14);
            const double half = w * (0.09 - i * 0.01) * rng.range(0.7, 1.2);
            p.setBrush(withAlpha(glint, 150 - i * 18));
            p.drawRoundedRect(QRectF(sunX - half, y, 2 * half, std::max(1.0, h * 0.012)), 1, 1);
        }
    }
    if (s.near.isValid()) {
        const QPainterPath hill = s.water.isValid()
                                      ? hillPath(QRectF(r.left(), r.top(), w * 0.45, h),
                                                 r.bottom() - h * 0.1, h * 0.05, 2, rng)
                                      : hillPath(r, horizonY + h * 0.22, h * 0.05, 2, rng);
        QLinearGradient g(0, horizonY + h * 0.15, 0, r.bottom());
        g.setColorAt(0, s.near.lighter(108));
        g.setColorAt(1, s.near.darker(118));
        p.setBrush(g);
        p.drawPath(hill);
    }
    if (s.trees.isValid()) {
        const int count = std::max(4, int(w / (h * 0.09)));
        for (int i = 0; i < count; ++i) {
            const double x = r.left() + w * (i + rng.range(0.1, 0.9)) / count;
            const double foot = r.bottom() - h * rng.range(0.02, 0.16);
            const double tall = h * rng.range(0.16, 0.26);
            const double half = tall * 0.28;
            p.setBrush(mix(s.trees, QColor(0, 0, 0), rng.range(0, 0.25)));
            QPainterPath pine;
            for (int tier = 0; tier < 3; ++tier) {
                const double top = foot - tall + tier * tall * 0.26;
                const double base = top + tall * 0.42;
                const double spread = half * (0.6 + 0.25 * tier);
                pine.moveTo(x, top);
                pine.lineTo(x + spread, base);
                pine.lineTo(x - spread, base);
                pine.closeSubpath();
            }
            pine.addRect(QRectF(x - tall * 0.03, foot - tall * 0.1, tall * 0.06, tall * 0.1));
            pine.setFillRule(Qt::WindingFill);
            p.drawPath(pine);
        }
    }
    p.restore();
}

void drawUploadBadge(QPainter& p, QPointF c, double radius, const QColor& fill, const QColor& ring)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    if (ring.isValid()) {
        p.setBrush(ring);
        p.drawEllipse(c, radius * 1.16, radius * 1.16);
    }
    QLinearGradient g(c.x(), c.y() - radius, c.x(), c.y() + radius);
    g.setColorAt(0, fill.lighter(118));
    g.setColorAt(1, fill.darker(108));
    p.setBrush(g);
    p.drawEllipse(c, radius, radius);

    const double r = radius;
    QPainterPath arrow;
    arrow.moveTo(c + QPointF(0, -0.56 * r));
    arrow.lineTo(c + QPointF(0.46 * r, -0.06 * r));
    arrow.lineTo(c + QPointF(0.16 * r, -0.06 * r));
    arrow.lineTo(c + QPointF(0.16 * r, 0.52 * r));
    arrow.lineTo(c + QPointF(-0.16 * r, 0.52 * r));
    arrow.lineTo(c + QPointF(-0.16 * r, -0.06 * r));
    arrow.lineTo(c + QPointF(-0.46 * r, -0.06 * r));
    arrow.closeSubpath();
    p.setBrush(QColor(255, 255, 255));
    p.setPen(QPen(QColor(255, 255, 255), r * 0.08, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(arrow);
    p.restore();
}

double drawWordmark(QPainter& p, QPointF o, double height, const QPen& pen)
{
    const double u = height / 10.0;
    const auto at = [&](double x, double y) { return o + QPointF(x * u, y * u); };
    QPainterPath path;
    double x = 0;
    // R
    path.moveTo(at(x, 0));
    path.lineTo(at(x, -10));
    path.lineTo(at(x + 3.4, -10));
    path.cubicTo(at(x + 6.6, -10), at(x + 6.6, -4.8), at(x + 3.4, -4.8));
    path.lineTo(at(x, -4.8));
    path.moveTo(at(x + 3.0, -4.8));
    path.lineTo(at(x + 6.2, 0));
    x += 8.6;
    // u
    path.moveTo(at(x, -6.6));
    path.lineTo(at(x, -2.6));
    path.cubicTo(at(x, 0.9), at(x + 4.6, 0.9), at(x + 4.6, -2.6));
    path.moveTo(at(x + 4.6, -6.6));
    path.lineTo(at(x + 4.6, 0));
    x += 7.2;
    // v
    path.moveTo(at(x, -6.6));
    path.lineTo(at(x + 2.5, 0));
    path.lineTo(at(x + 5.0, -6.6));
    x += 7.4;
    // i
    const double dotX = x;
    path.moveTo(at(x, -6.6));
    path.lineTo(at(x, 0));
    x += 2.6;
    // a
    path.addEllipse(QRectF(at(x, -6.6), at(x + 4.8, 0.1)));
    path.moveTo(at(x + 4.8, -6.6));
    path.lineTo(at(x + 4.8, 0));
    x += 4.8;

    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(Qt::NoBrush);
    p.setPen(pen);
    p.drawPath(path);
    // the dot of the i
    p.setPen(Qt::NoPen);
    p.setBrush(pen.color());
    p.drawEllipse(at(dotX, -9.3), pen.widthF() * 0.62, pen.widthF() * 0.62);
    p.restore();
    return x * u + pen.widthF();
}

void drawSoftShadow(QPainter& p, const QRectF& r, double radius, double spread, int alpha)
{
    p.save();
    p.setPen(Qt::NoPen);
    const int steps = 6;
    for (int i = steps; i >= 1; --i) {
        const double grow = spread * i / steps;
        p.setBrush(QColor(0, 0, 0, alpha / steps));
        p.drawRoundedRect(r.adjusted(-grow, -grow, grow, grow), radius + grow, radius + grow);
    }
    p.restore();
}

void drawPhotoCard(QPainter& p, const QRectF& r, double angleDeg, const Scene& scene,
                   const Card& card)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.translate(r.center());
    p.rotate(angleDeg);
    const QRectF box(-r.width() / 2, -r.height() / 2, r.width(), r.height());
    if (card.shadow)
        drawSoftShadow(p, box.translated(0, r.height() * 0.03), card.radius,
                       std::max(1.5, r.width() * 0.04), 90);
    p.setPen(QPen(QColor(0, 0, 0, 40), std::max(0.6, r.width() / 120)));
    p.setBrush(card.paper);
    p.drawRoundedRect(box, card.radius, card.radius);
    const QRectF inner = box.adjusted(card.border, card.border, -card.border, -card.bottomBorder);
    QPainterPath clip;
    clip.addRoundedRect(inner, card.radius * 0.4, card.radius * 0.4);
    p.setClipPath(clip, Qt::IntersectClip);
    drawScene(p, inner, scene);
    p.restore();
}

} // namespace artwork
