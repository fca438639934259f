// The four corners of the disguise: an empty painting program. The control
// that shows them paints a grey frame, a teal workspace and a few 3D lines
// between the corners; each corner repeats that frame at its own position so
// the joins are invisible at any window size.
#include "artwork.h"
#include "draw.h"

#include <QPolygon>

namespace artwork {
namespace {

const QColor kFace(192, 192, 192);
const QColor kWorkspace(0, 128, 128);
const QColor kShadow(136, 121, 121);
const QColor kLight(233, 233, 233);
const QColor kBlack(0, 0, 0);
const QColor kWhite(255, 255, 255);
const QColor kDark(96, 96, 96);
const QColor kNavy(0, 0, 128);

// A corner piece drawn in the coordinates of the whole control (w x h), the
// piece's top-left sitting at origin. Everything is pixel-exact: no smoothing.
class Piece {
public:
    Piece(int width, int height, QPoint origin, int w, int h)
        : image(newImage(width, height, kFace)), m_p(&image), m_w(w), m_h(h)
    {
        m_p.translate(-origin);
        frame();
    }

    QImage image;

    QImage take()
    {
        m_p.end();
        return image;
    }
    QPainter& painter() { return m_p; }

    // Inclusive corners, like the control's own filled boxes.
    void box(int x1, int y1, int x2, int y2, const QColor& c)
    {
        m_p.fillRect(QRect(QPoint(x1, y1), QPoint(x2, y2)), c);
    }
    void hline(int x1, int x2, int y, const QColor& c) { box(x1, y, x2, y, c); }
    void vline(int x, int y1, int y2, const QColor& c) { box(x, y1, x, y2, c); }

    void raised(int x, int y, int w, int h)
    {
        box(x, y, x + w - 1, y + h - 1, kFace);
        hline(x, x + w - 2, y, kWhite);
        vline(x, y, y + h - 2, kWhite);
        hline(x, x + w - 1, y + h - 1, kBlack);
        vline(x + w - 1, y, y + h - 1, kBlack);
        hline(x + 1, x + w - 2, y + h - 2, kShadow);
        vline(x + w - 2, y + 1, y + h - 2, kShadow);
    }
    void sunken(int x, int y, int w, int h, const QColor& fill)
    {
        box(x, y, x + w - 1, y + h - 1, fill);
        hline(x, x + w - 1, y, kShadow);
        vline(x, y, y + h - 1, kShadow);
        hline(x + 1, x + w - 2, y + 1, kBlack);
        vline(x + 1, y + 1, y + h - 2, kBlack);
        hline(x, x + w - 1, y + h - 1, kWhite);
        vline(x + w - 1, y, y + h - 1, kWhite);
    }
    // A pressed button: sunken, with the checked dither of a held-down tool.
    void pressed(int x, int y, int w, int h)
    {
        sunken(x, y, w, h, kFace);
        for (int yy = y + 2; yy < y + h - 1; ++yy)
            for (int xx = x + 2; xx < x + w - 1; ++xx)
                if ((xx + yy) % 2 == 0)
                    box(xx, yy, xx, yy, kWhite);
    }

private:
    void frame()
    {
        const int w = m_w, h = m_h;
        box(0, 0, w, h, kFace);
        box(58, 3, w - 3, h - 75, kWorkspace);
        hline(0, w, 1, kShadow);
        hline(0, w, 2, kShadow);
        vline(56, 1, h, kShadow);
        vline(57, 1, h, kShadow);
        hline(0, w, h - 74, kLight);
        hline(0, w, h - 73, kLight);
        vline(w - 1, 0, h, kLight);
        vline(w - 2, 0, h, kLight);
        hline(0, w, h - 1, kLight);
        hline(0, w, h - 21, kShadow);
        hline(0, w, h - 24, kLight);
        hline(0, w, h - 25, kShadow);
    }

    QPainter m_p;
    int m_w;
    int m_h;
};

// The sixteen tools, each drawn into a 16 x 16 cell at (x, y).
void drawTool(QPainter& p, int tool, int x, int y)
{
    p.save();
    p.translate(x, y);
    p.setRenderHint(QPainter::Antialiasing, false);
    const QPen thin(kBlack, 1);
    p.setPen(thin);
    p.setBrush(Qt::NoBrush);
    switch (tool) {
    case 0: { // free-form select
        QPen dotted(kBlack, 1, Qt::DotLine);
        p.setPen(dotted);
        const QPoint star[] = {{2, 6}, {7, 2}, {9, 6}, {14, 5}, {11, 10}, {13, 14}, {6, 12}, {2, 13}};
        p.drawPolygon(star, 8);
        break;
    }
    case 1: // select
        p.setPen(QPen(kBlack, 1, Qt::DotLine));
        p.drawRect(2, 3, 11, 9);
        break;
    case 2: { // eraser
        const QPoint top[] = {{3, 9}, {8, 4}, {13, 4}, {8, 9}};
        p.setBrush(kWhite);
        p.drawPolygon(top, 4);
        p.setBrush(QColor(255, 255, 0));
        p.drawRect(3, 9, 5, 4);
        const QPoint side[] = {{8, 9}, {13, 4}, {13, 8}, {8, 13}};
        p.setBrush(QColor(128, 128, 0));
        p.drawPolygon(side, 4);
        break;
    }
    case 3: { // fill with colour
        const QPoint bucket[] = {{3, 8}, {8, 3}, {13, 8}, {8, 13}};
        p.setBrush(kWhite);
        p.drawPolygon(bucket, 4);
        p.drawLine(8, 3, 5, 0);
        p.setPen(kNavy);
        p.setBrush(kNavy);
        p.drawRect(13, 9, 1, 4);
        p.drawLine(9, 4, 12, 7);
        break;
    }
    case 4: // pick colour
        p.setPen(QPen(kBlack, 2));
        p.drawLine(3, 13, 9, 7);
        p.setPen(thin);
        p.setBrush(kBlack);
        p.drawEllipse(9, 2, 4, 4);
        p.drawLine(8, 5, 11, 8);
        break;
    case 5: // magnifier
        p.setBrush(kWhite);
        p.drawEllipse(2, 1, 8, 8);
        p.setPen(QPen(kBlack, 2));
        p.drawLine(10, 10, 13, 13);
        break;
    case 6: { // pencil
        const QPoint body[] = {{2, 14}, {3, 11}, {11, 3}, {13, 5}, {5, 13}};
        p.setBrush(QColor(255, 255, 0));
        p.drawPolygon(body, 5);
        p.drawLine(3, 11, 5, 13);
        p.setBrush(kBlack);
        p.drawLine(2, 14, 3, 13);
        break;
    }
    case 7: // brush
        p.setPen(QPen(QColor(128, 64, 0), 2));
        p.drawLine(13, 2, 8, 7);
        p.setPen(thin);
        p.setBrush(kDark);
        p.drawRect(6, 7, 3, 3);
        p.setBrush(kBlack);
        p.drawEllipse(2, 9, 5, 5);
        break;
    case 8: // airbrush
        p.setBrush(kWhite);
        p.drawRect(8, 7, 5, 7);
        p.drawLine(8, 7, 6, 5);
        p.drawLine(12, 7, 12, 5);
        p.drawPoint(3, 2);
        p.drawPoint(5, 1);
        p.drawPoint(2, 4);
        p.drawPoint(4, 3);
        p.drawPoint(1, 1);
        p.drawPoint(3, 6);
        break;
    case 9: // text
        p.setPen(QPen(kBlack, 2));
        p.drawLine(3, 13, 7, 3);
        p.drawLine(8, 3, 12, 13);
        p.drawLine(5, 9, 10, 9);
        break;
    case 10: // line
        p.drawLine(2, 13, 13, 2);
        break;
    case 11: { // curve
        QPainterPath curve(QPointF(2, 12));
        curve.cubicTo(5, 0, 10, 16, 14, 3);
        p.drawPath(curve);
        break;
    }
    case 12: // rectangle
        p.drawRect(2, 4, 11, 8);
        break;
    case 13: { // polygon
        const QPoint poly[] = {{2, 12}, {4, 3}, {9, 7}, {13, 3}, {13, 13}};
        p.drawPolygon(poly, 5);
        break;
    }
    case 14: // ellipse
        p.drawEllipse(1, 4, 13, 8);
        break;
    case 15: // rounded rectangle
        p.drawRoundedRect(2, 4, 11, 8, 3, 3);
        break;
    }
    p.restore();
}

const QColor kPalette[2][14] = {
    {{0, 0, 0}, {128, 128, 128}, {128, 0, 0}, {128, 128, 0}, {0, 128, 0}, {0, 128, 128},
     {0, 0, 128}, {128, 0, 128}, {128, 128, 64}, {0, 64, 64}, {0, 128, 255}, {0, 64, 128},
     {64, 0, 255}, {128, 64, 0}},
    {{255, 255, 255}, {192, 192, 192}, {255, 0, 0}, {255, 255, 0}, {0, 255, 0}, {0, 255, 255},
     {0, 0, 255}, {255, 0, 255}, {255, 255, 128}, {0, 255, 128}, {128, 255, 255}, {128, 128, 255},
     {255, 0, 128}, {255, 128, 64}},
};

// A control big enough that the far edges never reach the piece being drawn.
constexpr int kFar = 2000;

QImage topLeft()
{
    Piece piece(168, 279, QPoint(0, 0), kFar, kFar);
    // Tool box: two columns of buttons, the pencil held down.
    for (int tool = 0; tool < 16; ++tool) {
        const int x = 3 + (tool % 2) * 25;
        const int y = 6 + (tool / 2) * 25;
        if (tool == 6)
            piece.pressed(x, y, 25, 25);
        else
            piece.raised(x, y, 25, 25);
        drawTool(piece.painter(), tool, x + 4 + (tool == 6), y + 4 + (tool == 6));
    }
    // Tool options: line widths, the thinnest chosen.
    piece.sunken(8, 212, 41, 62, kFace);
    for (int i = 0; i < 5; ++i) {
        const int y = 220 + i * 10;
        if (i == 0)
            piece.box(11, y - 3, 45, y + 3, kNavy);
        piece.box(14, y, 42, y + i, i == 0 ? kWhite : kBlack);
    }
    // The empty sheet with its resize handles.
    const QRect sheet(61, 6, 101, 143);
    piece.box(sheet.left(), sheet.top(), sheet.right(), sheet.bottom(), kWhite);
    const int midX = sheet.left() + sheet.width() / 2;
    const int midY = sheet.top() + sheet.height() / 2;
    for (const QPoint& at : {QPoint(sheet.right() + 1, midY - 1), QPoint(midX - 1, sheet.bottom() + 1),
                             QPoint(sheet.right() + 1, sheet.bottom() + 1)})
        piece.box(at.x(), at.y(), at.x() + 2, at.y() + 2, kNavy);
    return piece.take();
}

QImage topRight()
{
    Piece piece(52, 47, QPoint(kFar - 52, 0), kFar, kFar);
    return piece.take();
}

QImage bottomLeft()
{
    const int h = kFar;
    Piece piece(299, 76, QPoint(0, h - 76), kFar, h);
    const int top = h - 76;
    // The colour box runs the full width: no tool box edge below the workspace.
    piece.box(0, h - 72, 298, h - 26, kFace);
    piece.box(0, h - 23, 298, h - 22, kFace);
    piece.box(0, h - 20, 298, h - 2, kFace);
    piece.box(0, h - 21, 1, h - 21, kFace);
    // Current colours: black over white.
    piece.sunken(4, top + 10, 30, 34, kFace);
    piece.box(14, top + 23, 27, top + 36, kWhite);
    piece.box(8, top + 15, 21, top + 28, kWhite);
    piece.box(9, top + 16, 20, top + 27, kBlack);
    // The palette.
    for (int row = 0; row < 2; ++row)
        for (int col = 0; col < 14; ++col)
            piece.sunken(38 + col * 16, top + 11 + row * 16, 16, 16, kPalette[row][col]);
    // The status bar's first panel.
    piece.vline(2, h - 21, h - 2, kShadow);
    return piece.take();
}

QImage bottomRight()
{
    const int w = kFar, h = kFar;
    Piece piece(138, 76, QPoint(w - 138, h - 76), w, h);
    const int left = w - 138;
    // End of the first status panel, then two small panels for position and size.
    piece.vline(left + 20, h - 21, h - 2, kWhite);
    piece.box(left + 21, h - 21, left + 23, h - 2, kFace);
    for (int x : {left + 24, left + 72}) {
        piece.box(x, h - 21, x + 44, h - 2, kFace);
        piece.hline(x, x + 44, h - 21, kShadow);
        piece.vline(x, h - 21, h - 2, kShadow);
        piece.hline(x, x + 44, h - 2, kWhite);
        piece.vline(x + 44, h - 21, h - 2, kWhite);
    }
    piece.box(left + 117, h - 21, w - 3, h - 2, kFace);
    // Size grip: three pairs of diagonal ridges in the corner.
    for (int k = 0; k < 3; ++k) {
        const int off = 4 + k * 4;
        for (int i = 0; i <= off; ++i) {
            const int x = w - 3 - off + i;
            const int y = h - 2 - i;
            piece.box(x, y, x, y, kWhite);
            if (x + 1 <= w - 3)
                piece.box(x + 1, y, x + 1, y, kShadow);
            if (x + 2 <= w - 3)
                piece.box(x + 2, y, x + 2, y, kShadow);
        }
    }
    return piece.take();
}

} // namespace

void addPaintWindow(std::vector<Picture>& out)
{
    out.push_back({QStringLiteral("PAINT_TL"), topLeft()});
    out.push_back({QStringLiteral("PAINT_TR"), topRight()});
    out.push_back({QStringLiteral("PAINT_BL"), bottomLeft()});
    out.push_back({QStringLiteral("PAINT_BR"), bottomRight()});
}

} // namespace artwork
