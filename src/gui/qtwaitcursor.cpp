#include "gui/qtwaitcursor.h"

#include "platform/waitcursor.h"

#include <QApplication>

namespace ruvia {

void InstallWaitCursor()
{
    setWaitCursorHandler([](bool show) {
        if (show)
            QApplication::setOverrideCursor(Qt::WaitCursor);
        else
            QApplication::restoreOverrideCursor();
    });
}

void RemoveWaitCursor() { setWaitCursorHandler({}); }

} // namespace ruvia
