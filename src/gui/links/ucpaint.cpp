#include "gui/links/ucpaint.h"

#include "gui/resources.h"

#include <QLabel>
#include <QPainter>

namespace ruvia {

namespace {
const QColor kFace(192, 192, 192);
const QColor kWorkspace(0, 128, 128);
const QColor kShadow(136, 121, 121);
const QColor kLight(233, 233, 233);
} // namespace

ucPaint::ucPaint(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("ucpPaint"));
    setCursor(paintCursor());
    const char* names[4] = {"PAINT_TL", "PAINT_BL", "PAINT_BR", "PAINT_TR"};
    for (int i = 0; i < 4; ++i) {
        m_slices[i] = new QLabel(this);
        m_slices[i]->setObjectName(QStringLiteral("imgSlice%1").arg(i));
        m_slices[i]->setPixmap(resourcePicture(QString::fromLatin1(names[i])));
        m_slices[i]->setFixedSize(m_slices[i]->pixmap().size());
    }
    resize(designSize());
    placeCorners();
}

void ucPaint::placeCorners()
{
    const int w = width();
    const int h = height();
    m_slices[0]->move(0, 0);
    m_slices[1]->move(0, h - m_slices[1]->height());
    m_slices[2]->move(w - m_slices[2]->width(), h - m_slices[2]->height());
    m_slices[3]->move(w - m_slices[3]->width(), 0);
}

void ucPaint::resizeEvent(QResizeEvent* event)
{
    placeCorners();
    update();
    QWidget::resizeEvent(event);
}

void ucPaint::paintEvent(QPaintEvent*)
{
    const int w = width();
    const int h = height();
    QPainter p(this);
    auto box = [&p](int x1, int y1, int x2, int y2, const QColor& c) {
        p.fillRect(QRect(QPoint(x1, y1), QPoint(x2, y2)), c);
    };
    auto line = [&p](int x1, int y1, int x2, int y2, const QColor& c) {
        p.setPen(QPen(c, 0));
        p.drawLine(x1, y1, x2, y2);
    };
    box(0, 0, w, h, kFace);
    box(58, 3, w - 3, h - 75, kWorkspace);
    line(0, 1, w, 1, kShadow);
    line(0, 2, w, 2, kShadow);
    line(56, 1, 56, h, kShadow);
    line(57, 1, 57, h, kShadow);
    line(0, h - 74, w, h - 74, kLight);
    line(0, h - 73, w, h - 73, kLight);
    line(w - 1, 0, w - 1, h, kLight);
    line(w - 2, 0, w - 2, h, kLight);
    line(0, h - 1, w, h - 1, kLight);
    line(0, h - 21, w, h - 21, kShadow);
    line(0, h - 24, w, h - 24, kLight);
    line(0, h - 25, w, h - 25, kShadow);
}

} // namespace ruvia
