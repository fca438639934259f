#include "links/slots.h"
#include "linksfixture.h"
#include "testenv.h"

#include "base/linkbase.h"
#include "platform/waitcursor.h"

#include <QTest>

using namespace ruvia;

namespace {
QList<SlotTemplate> templatesWith(const QList<int>& hidden = {})
{
    QList<SlotTemplate> slots = SlotTemplates(LoadTemplates());
    for (int i : hidden)
        slots[i].visible = false;
    return slots;
}

QStringList itemsOf(const QStringList& ids)
{
    QStringList items;
    for (const QString& id : ids)
        items.append(id + QStringLiteral(" :: ") + GetOriginalFileName(id));
    return items;
}
} // namespace

class TestSlots : public QObject {
    Q_OBJECT
    test::TempProfile profile;
    QStringList m_ids;
    QStringList m_items;
    QList<bool> m_waits;

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(test::OpenFreshGroup(QStringLiteral("slots.tumblr.com")));
        m_ids = test::AddPosts(25, 500);
        test::AddPost(QStringLiteral("9001"), QStringLiteral("raw.jpg"), false);
        m_ids.append(QStringLiteral("9001"));
        m_items = itemsOf(m_ids);
        setWaitCursorHandler([this](bool on) { m_waits.append(on); });
    }
    void cleanupTestCase()
    {
        setWaitCursorHandler({});
        test::CloseGroup();
    }
    void init() { m_waits.clear(); }

    void noSelectionEmptiesEverySlotHiddenOnesToo()
    {
        const SlotFill fill = FillSlots(m_items, {}, templatesWith({3}), 20, 10);
        QCOMPARE(fill.set, QList<bool>(10, true));
        QCOMPARE(fill.texts, QStringList(10, QString()));
    }

    void singleUnresolvedAndTooManyShowTheirNoticeInVisibleSlots_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("notice");
        QTest::newRow("single unresolved") << -1 << kSlotNotResolved;
        QTest::newRow("21 with the limit 20") << 21 << kSlotTooMany;
    }
    void singleUnresolvedAndTooManyShowTheirNoticeInVisibleSlots()
    {
        QFETCH(int, count);
        QFETCH(QString, notice);
        QList<int> rows;
        if (count < 0)
            rows = {int(m_ids.size()) - 1};
        else
            for (int i = 0; i < count; ++i)
                rows.append(i);
        const SlotFill fill = FillSlots(m_items, rows, templatesWith({2, 7}), 20, 10);
        for (int i = 0; i < 10; ++i) {
            const bool hidden = i == 2 || i == 7;
            QCOMPARE(fill.set.at(i), !hidden);
            QCOMPARE(fill.texts.at(i), hidden ? QString() : notice);
        }
        QVERIFY(m_waits.isEmpty());
    }

    void resolvedPostsConcatenateInListOrderUnresolvedSkipped()
    {
        const QList<int> rows = {0, 3, int(m_ids.size()) - 1};
        const SlotFill fill = FillSlots(m_items, rows, templatesWith(), 20, 10);
        const QString body = GetDefaultTemplateBody(1);
        QCOMPARE(fill.texts.at(1), ExpandTemplate(m_ids.at(0), body) + ExpandTemplate(m_ids.at(3), body));
        QCOMPARE(fill.texts.at(1), SampleLinks1280(m_ids.at(0)) + u' ' + SampleLinks1280(m_ids.at(3)) + u' ');
        QVERIFY(!fill.texts.join(QString()).contains(QStringLiteral("***")));
    }

    void hourglassAboveTheThresholdOnly_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<bool>("wait");
        QTest::newRow("at threshold") << 10 << false;
        QTest::newRow("above") << 11 << true;
    }
    void hourglassAboveTheThresholdOnly()
    {
        QFETCH(int, count);
        QFETCH(bool, wait);
        QList<int> rows;
        for (int i = 0; i < count; ++i)
            rows.append(i);
        const QList<bool> expected = wait ? QList<bool>{true, false} : QList<bool>{};
        FillSlots(m_items, rows, templatesWith(), 20, 10);
        QCOMPARE(m_waits, expected);
        m_waits.clear();
        CopyAllText(m_items, rows, GetDefaultTemplateBody(0), 10);
        QCOMPARE(m_waits, expected);
    }

    void copyAllHasNoLimit()
    {
        QList<int> rows;
        for (int i = 0; i < 21; ++i)
            rows.append(i);
        const QString text = CopyAllText(m_items, rows, GetDefaultTemplateBody(0), 100);
        QString expected;
        for (int i = 0; i < 21; ++i)
            expected += ExpandTemplate(m_ids.at(i), GetDefaultTemplateBody(0));
        QCOMPARE(text, expected);
        QCOMPARE(text.count(QStringLiteral("http://")), 21);
    }

    void twoLinksOfOnePostIdBothShowTheFirstOnesLinks()
    {
        AddLink(m_ids.at(0), QStringLiteral("again.jpg"), QStringLiteral("someone"));
        const QStringList items = GetLinksList();
        QCOMPARE(items.count(m_ids.at(0) + QStringLiteral(" :: again.jpg")), 1);
        const int second = int(items.size()) - 1;
        const SlotFill fill = FillSlots(items, {0, second}, templatesWith(), 20, 10);
        const QString one = ExpandTemplate(m_ids.at(0), GetDefaultTemplateBody(9));
        QCOMPARE(one, QStringLiteral("tester@workstation "));
        QCOMPARE(fill.texts.at(9), one + one);
    }

  private:
    static QString SampleLinks1280(const QString& id) { return test::SampleLinks(id)[PostLinks::Picture1280]; }
};

QTEST_GUILESS_MAIN(TestSlots)
#include "test_slots.moc"
