#include "gui/tbhooks.h"

#include "gui/windowhelper.h"

#include <QKeyEvent>
#include <QWidget>

namespace ruvia {

kzmTBHooks::kzmTBHooks(QObject* parent) : QObject(parent) {}
kzmTBHooks::~kzmTBHooks() { setTextBox(nullptr); }

void kzmTBHooks::setTextBox(QWidget* box)
{
    if (m_box)
        m_box->removeEventFilter(this);
    m_box = box;
    if (m_box)
        m_box->installEventFilter(this);
}

bool kzmTBHooks::eventFilter(QObject* watched, QEvent* event)
{
    if (!m_selectAll || watched != m_box)
        return false;
    if (event->type() == QEvent::ShortcutOverride || event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        const auto mods = key->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
        if (key->key() == Qt::Key_A && mods == Qt::ControlModifier) {
            if (event->type() == QEvent::KeyPress)
                tsHighlightText(m_box);
            // Taken here, so the box neither types it nor runs a shortcut.
            event->accept();
            return event->type() == QEvent::KeyPress;
        }
    }
    return false;
}

} // namespace ruvia
