#include "gui/links/lstpictures.h"

#include "gui/listhelpers.h"

#include <QItemSelectionModel>
#include <QScrollBar>

#include <algorithm>
#include <vector>

namespace ruvia {

PicturesListView::PicturesListView(QWidget* parent) : QListView(parent), m_model(new PostListModel(this))
{
    setObjectName(QStringLiteral("lstPictures"));
    setModel(m_model);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setUniformItemSizes(true);
    setTextElideMode(Qt::ElideNone);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
}

void PicturesListView::setItems(QStringList items)
{
    const int extent = WidestItemWidth(items, fontMetrics());
    // The row height a plain list gives its text, so rows stay as compact.
    m_model->setItemSize(QSize(extent, fontMetrics().height() + 2));
    m_model->setItems(std::move(items));
    SetHorizontalExtent(this, extent);
}

int PicturesListView::count() const { return m_model->rowCount(); }

bool PicturesListView::isSelected(int index) const
{
    return selectionModel()->isSelected(m_model->index(index));
}

void PicturesListView::selectRange(int first, int last, bool select)
{
    if (first > last || first < 0 || last >= count())
        return;
    selectionModel()->select(QItemSelection(m_model->index(first), m_model->index(last)),
                             select ? QItemSelectionModel::Select : QItemSelectionModel::Deselect);
}

QString PicturesListView::itemText(int index) const { return m_model->itemText(index); }

int PicturesListView::currentIndex() const { return QListView::currentIndex().row(); }

void PicturesListView::setCurrentIndex(int index)
{
    const QModelIndex i = m_model->index(index);
    if (!i.isValid())
        return;
    selectionModel()->setCurrentIndex(i, QItemSelectionModel::NoUpdate);
    scrollTo(i);
}

int PicturesListView::topIndex() const
{
    if (count() == 0)
        return -1;
    const QModelIndex top = indexAt(QPoint(1, 1));
    return top.isValid() ? top.row() : verticalScrollBar()->value();
}

void PicturesListView::setTopIndex(int index)
{
    const QModelIndex i = m_model->index(index);
    if (i.isValid())
        scrollTo(i, QAbstractItemView::PositionAtTop);
}

QList<int> PicturesListView::selectedRows() const
{
    const QItemSelection ranges = selectionModel()->selection();
    QList<int> rows;
    if (ranges.size() == 1) {
        const QItemSelectionRange& r = ranges.first();
        rows.reserve(r.bottom() - r.top() + 1);
        for (int row = r.top(); row <= r.bottom(); ++row)
            rows.append(row);
        return rows;
    }
    // Ranges may overlap after Ctrl clicks; a mark per row keeps each once, in list order.
    std::vector<char> marked(size_t(count()), 0);
    for (const QItemSelectionRange& r : ranges)
        for (int row = std::max(0, r.top()); row <= r.bottom() && row < count(); ++row)
            marked[size_t(row)] = 1;
    for (int row = 0; row < count(); ++row)
        if (marked[size_t(row)])
            rows.append(row);
    return rows;
}

int PicturesListView::selectedCount() const
{
    const QItemSelection ranges = selectionModel()->selection();
    if (ranges.size() <= 1)
        return ranges.isEmpty() ? 0 : ranges.first().height();
    return int(selectedRows().size());
}

void PicturesListView::selectAllItems() { selectRange(0, count() - 1, true); }

} // namespace ruvia
