#pragma once
// Selection helpers over any list with multiple selection. Windows wrap their
// list widget in a ListSelection; the helpers hold the rules.
#include <QList>
#include <QStringList>

namespace ruvia {

class ListSelection {
public:
    virtual ~ListSelection() = default;
    virtual int count() const = 0;
    virtual bool isSelected(int index) const = 0;
    // Selects or unselects first..last (clamped to the list) in one step.
    virtual void selectRange(int first, int last, bool select) = 0;
};

int LBGetSelCount(const ListSelection& list);
// Count n of selected items; when n > 0 items becomes their indexes in
// ascending order, when n = 0 it is left as it was.
int LBGetSelItems(const ListSelection& list, QList<int>& items);
void LBUnselectAll(ListSelection& list);
void LBSelectRange(ListSelection& list, bool select, int first, int last);
int LVGetSelectedCount(const ListSelection& list);
void LVUnselectAll(ListSelection& list);
void LVSelectAll(ListSelection& list);

// Sorts case-insensitively; equal texts keep their order.
void SortStringList(QStringList& list);

} // namespace ruvia
