#pragma once
// The list of posts of the links window: a view over PostListModel with
// extended selection, rows of one size and the list operations the rules
// use. Selections are read from the selection model's ranges, so selecting
// all of 100,000 posts costs one range, not 100,000 items.
#include "links/postlist.h"

#include <QListView>

namespace ruvia {

class PicturesListView : public QListView, public PostList {
    Q_OBJECT
  public:
    explicit PicturesListView(QWidget* parent = nullptr);

    PostListModel* postModel() const { return m_model; }
    // Replaces the items and sets the horizontal extent to the widest one.
    void setItems(QStringList items);

    int count() const override;
    bool isSelected(int index) const override;
    void selectRange(int first, int last, bool select) override;
    QString itemText(int index) const override;
    int currentIndex() const override;
    void setCurrentIndex(int index) override;
    int topIndex() const override;
    void setTopIndex(int index) override;
    QList<int> selectedRows() const override;
    int selectedCount() const;
    void selectAllItems();

  private:
    PostListModel* m_model;
};

} // namespace ruvia
