#include "platform/listselection.h"

#include <algorithm>

namespace ruvia {

int LBGetSelCount(const ListSelection& list)
{
    int n = 0;
    for (int i = 0; i < list.count(); ++i)
        n += list.isSelected(i) ? 1 : 0;
    return n;
}

int LBGetSelItems(const ListSelection& list, QList<int>& items)
{
    QList<int> found;
    for (int i = 0; i < list.count(); ++i)
        if (list.isSelected(i))
            found.append(i);
    if (!found.isEmpty())
        items = found;
    return int(found.size());
}

void LBUnselectAll(ListSelection& list)
{
    if (list.count() > 0)
        list.selectRange(0, list.count() - 1, false);
}

void LBSelectRange(ListSelection& list, bool select, int first, int last)
{
    if (first > last)
        std::swap(first, last);
    first = std::max(first, 0);
    last = std::min(last, list.count() - 1);
    if (first <= last)
        list.selectRange(first, last, select);
}

int LVGetSelectedCount(const ListSelection& list) { return LBGetSelCount(list); }
void LVUnselectAll(ListSelection& list) { LBUnselectAll(list); }
void LVSelectAll(ListSelection& list)
{
    if (list.count() > 0)
        list.selectRange(0, list.count() - 1, true);
}

void SortStringList(QStringList& list)
{
    std::stable_sort(list.begin(), list.end(), [](const QString& a, const QString& b) {
        return a.compare(b, Qt::CaseInsensitive) < 0;
    });
}

} // namespace ruvia
