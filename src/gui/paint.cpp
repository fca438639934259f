#include "gui/paint.h"

#include <QLinearGradient>
#include <QPainter>
#include <QWidget>

namespace ruvia {

void tsPaintDesktop2(QWidget* window)
{
    QPainter p(window);
    const QColor base = window->palette().color(QPalette::Window);
    QLinearGradient g(0, 0, 0, window->height());
    g.setColorAt(0, base.lighter(106));
    g.setColorAt(1, base.darker(104));
    p.fillRect(window->rect(), g);
}

} // namespace ruvia
