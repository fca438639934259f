#include "platform/listselection.h"

#include <QTest>

using namespace ruvia;

namespace {
class FakeList : public ListSelection {
public:
    explicit FakeList(int n) : selected(n, false) {}
    int count() const override { return int(selected.size()); }
    bool isSelected(int i) const override { return selected.at(i); }
    void selectRange(int first, int last, bool select) override
    {
        ++calls;
        for (int i = first; i <= last; ++i)
            selected[i] = select;
    }
    QList<bool> selected;
    int calls = 0;
};
} // namespace

class TestListSelection : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void selectedItemsInOrder()
    {
        FakeList list(10);
        for (int i : {7, 1, 4})
            list.selected[i] = true;
        QList<int> items{99};
        QCOMPARE(LBGetSelItems(list, items), 3);
        QCOMPARE(items, QList<int>({1, 4, 7}));
        QCOMPARE(LBGetSelCount(list), 3);
        LBUnselectAll(list);
        QCOMPARE(list.calls, 1);
        QCOMPARE(LBGetSelItems(list, items), 0);
        QCOMPARE(items, QList<int>({1, 4, 7}));
    }

    void rangesAreClampedAndDoneInOneStep()
    {
        FakeList list(5);
        LBSelectRange(list, true, 3, 100);
        QCOMPARE(list.selected, QList<bool>({false, false, false, true, true}));
        LBSelectRange(list, false, 4, 4);
        LVSelectAll(list);
        QCOMPARE(LVGetSelectedCount(list), 5);
        FakeList empty(0);
        LVSelectAll(empty);
        LBUnselectAll(empty);
        QCOMPARE(empty.calls, 0);
    }

    void sortIgnoresCase()
    {
        QStringList l{QStringLiteral("b"), QStringLiteral("A"), QStringLiteral("a"), QStringLiteral("C")};
        SortStringList(l);
        QCOMPARE(l, QStringList({QStringLiteral("A"), QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("C")}));
    }
};

QTEST_GUILESS_MAIN(TestListSelection)
#include "test_listselection.moc"
