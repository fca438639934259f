#pragma once
// A plain list for the links rules: items, a selection and a current item.
#include "links/postlist.h"

#include <QSet>

namespace ruvia::test {

class TextList : public PostList {
  public:
    explicit TextList(QStringList items = {}) : m_items(std::move(items)) {}
    int count() const override { return int(m_items.size()); }
    bool isSelected(int index) const override { return m_selected.contains(index); }
    void selectRange(int first, int last, bool select) override
    {
        for (int i = first; i <= last; ++i)
            select ? void(m_selected.insert(i)) : void(m_selected.remove(i));
    }
    QString itemText(int index) const override { return m_items.value(index); }
    int currentIndex() const override { return m_current; }
    void setCurrentIndex(int index) override { m_current = index; }
    int topIndex() const override { return m_items.isEmpty() ? -1 : m_top; }
    void setTopIndex(int index) override { m_top = index; }

    QStringList m_items;
    QSet<int> m_selected;
    int m_current = -1;
    int m_top = 0;
};

} // namespace ruvia::test
