#include "gui/listhelpers.h"

#include "links/postlist.h"
#include "support/history.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QGuiApplication>
#include <QListView>
#include <QScreen>

namespace ruvia {

void FillComboBox(const CHistory& history, QComboBox* box)
{
    if (!box)
        return;
    box->addItems(history.Entries());
    if (box->count() > 0)
        box->setCurrentIndex(0);
}

bool SetHorizontalExtent(QWidget* control, int width)
{
    if (auto* combo = qobject_cast<QComboBox*>(control)) {
        const QScreen* screen = combo->screen() ? combo->screen() : QGuiApplication::primaryScreen();
        const int limit = screen ? screen->availableGeometry().width() : width;
        combo->view()->setMinimumWidth(qMin(width, limit));
        return true;
    }
    if (auto* list = qobject_cast<QListView*>(control)) {
        auto* model = qobject_cast<PostListModel*>(list->model());
        if (!model)
            return false;
        const int rowHeight = model->itemSize().isValid() ? model->itemSize().height()
                                                          : list->fontMetrics().height() + 2;
        model->setItemSize(QSize(width, rowHeight));
        return true;
    }
    return false;
}

} // namespace ruvia
