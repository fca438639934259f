#include "gui/keys.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QWidget>

namespace ruvia {

void SendKeyPress(QWidget* widget, int key, const QString& text)
{
    if (!widget)
        return;
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QCoreApplication::sendEvent(widget, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QCoreApplication::sendEvent(widget, &release);
}

} // namespace ruvia
