#pragma once
// The links window's list of posts: the interface the rules drive, and the
// model that holds the item texts for a view. The model gives every row the
// same size, whose width is the list's horizontal extent, so a view of
// 100,000 posts lays out and scrolls without measuring each item.
#include "support/searchhost.h"

#include <QAbstractListModel>
#include <QList>
#include <QSize>
#include <QStringList>

class QFontMetrics;

namespace ruvia {

class PostList : public SearchList {
  public:
    // The selected rows in ascending (list) order.
    virtual QList<int> selectedRows() const;
    // The first visible row, -1 when the list is empty.
    virtual int topIndex() const = 0;
    // Scrolls the list so that index is the first visible row where it can be.
    virtual void setTopIndex(int index) = 0;
};

// The PostID of an item: its text up to the first blank.
QString PostIdOfItem(const QString& item);

// The width in pixels of the widest item, measured with three blanks after
// the text. Every item is estimated from its characters' advances and only the
// widest estimates are measured whole, so the figure costs one pass over the
// texts.
int WidestItemWidth(const QStringList& items, const QFontMetrics& metrics);

class PostListModel : public QAbstractListModel {
    Q_OBJECT
  public:
    explicit PostListModel(QObject* parent = nullptr);

    void setItems(QStringList items);
    void clear() { setItems({}); }
    const QStringList& items() const { return m_items; }
    QString itemText(int row) const { return m_items.value(row); }

    // The size every row reports; its width is the horizontal extent.
    void setItemSize(QSize size);
    QSize itemSize() const { return m_itemSize; }

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

  private:
    QStringList m_items;
    QSize m_itemSize;
};

} // namespace ruvia
