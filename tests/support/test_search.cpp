#include "scriptedprompter.h"
#include "testenv.h"

#include "support/like.h"
#include "support/searchhost.h"

#include <QSet>
#include <QTest>

using namespace ruvia;

namespace {

class FakeList : public SearchList {
  public:
    explicit FakeList(QStringList items, int current = -1)
        : items(std::move(items)), current(current)
    {
    }
    int count() const override { return int(items.size()); }
    bool isSelected(int index) const override { return selected.contains(index); }
    void selectRange(int first, int last, bool select) override
    {
        for (int i = qMax(0, first); i <= qMin(last, count() - 1); ++i) {
            if (select)
                selected.insert(i);
            else
                selected.remove(i);
        }
    }
    QString itemText(int index) const override { return items.at(index); }
    int currentIndex() const override { return current; }
    void setCurrentIndex(int index) override { current = index; }

    QStringList items;
    int current;
    QSet<int> selected;
};

SearchRequest req(const QString& text, qint32 type, bool cs = false)
{
    return {text, type, cs};
}

} // namespace

class TestSearch : public QObject {
    Q_OBJECT
    test::TempProfile profile;

  private Q_SLOTS:
    void masks_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("mask");
        QTest::addColumn<bool>("textResult");
        QTest::addColumn<bool>("binaryResult");
        const auto row = [](const char* name, const char16_t* text, const char16_t* mask, bool t,
                            bool b) {
            QTest::newRow(name) << QString::fromUtf16(text) << QString::fromUtf16(mask) << t << b;
        };
        row("star suffix", u"a.jpg", u"*.jpg", true, true);
        row("whole item", u"a.jpg.bak", u"*.jpg", false, false);
        row("case of literal", u"A.JPG", u"*.jpg", true, false);
        row("two digits", u"img01.png", u"img##*", true, true);
        row("letter for digit", u"imgA1.png", u"img##*", false, false);
        row("non-ascii digit", u"\u0665", u"#", false, false);
        row("negated range", u"abc", u"[!a-c]*", false, false);
        row("negated range other", u"xbc", u"[!a-c]*", true, true);
        row("range", u"b", u"[a-c]", true, true);
        row("range other case", u"B", u"[a-c]", true, false);
        row("upper range", u"b", u"[A-C]", true, false);
        row("list", u"e", u"[aeiou]", true, true);
        row("list miss", u"x", u"[aeiou]", false, false);
        row("bracket in list", u"[", u"[[]", true, true);
        row("question in list", u"?", u"[?]", true, true);
        row("question in list is literal", u"a", u"[?]", false, false);
        row("hash in list", u"#", u"[#]", true, true);
        row("hash in list is literal", u"5", u"[#]", false, false);
        row("star in list", u"*", u"[*]", true, true);
        row("star in list is literal", u"xy", u"[*]", false, false);
        row("hyphen last", u"-", u"[a-]", true, true);
        row("hyphen first", u"-", u"[-a]", true, true);
        row("hyphen first not range", u"0", u"[-a]", false, false);
        row("negated bang", u"!", u"[!!]", false, false);
        row("negated bang other", u"a", u"[!!]", true, true);
        row("bang outside", u"!x", u"!x", true, true);
        row("closing bracket outside", u"x]", u"x]", true, true);
        row("empty list", u"ab", u"a[]b", true, true);
        row("unclosed bracket", u"[abc", u"[abc", false, false);
        row("reversed range", u"b", u"[c-a]", false, false);
        row("empty both", u"", u"", true, true);
        row("empty mask", u"a", u"", false, false);
        row("star on empty", u"", u"*", true, true);
        row("question on empty", u"", u"?", false, false);
        row("question", u"abc", u"a?c", true, true);
        row("question needs one", u"ac", u"a?c", false, false);
        row("backtracking", u"abcabd", u"*abd", true, true);
        row("stars", u"aXbXc", u"*X*X*", true, true);
        row("stars short", u"aa", u"a*a*a", false, false);
        row("stars exact", u"aaa", u"a*a*a", true, true);
        row("regex chars literal", u"a.+(b)", u"a.+(b)", true, true);
        row("regex dot literal", u"axb", u"a.b", false, false);
        row("cyrillic case", u"ФОТО.jpg", u"фото*", true, false);
        row("link item", u"1234567 :: IMG_0001.JPG", u"#* :: img_####.jpg", true, false);
    }
    void masks()
    {
        QFETCH(QString, text);
        QFETCH(QString, mask);
        QFETCH(bool, textResult);
        QFETCH(bool, binaryResult);
        QCOMPARE(modLike_Text(text, mask), textResult);
        QCOMPARE(modLike_Binary(text, mask), binaryResult);
    }

    void searchKinds_data()
    {
        QTest::addColumn<QStringList>("items");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("type");
        QTest::addColumn<bool>("cs");
        QTest::addColumn<QList<int>>("found"); // every match, walking with find next
        const QStringList cats = {QStringLiteral("Cat.jpg"), QStringLiteral("dog.png"),
                                  QStringLiteral("concatenate")};
        QTest::newRow("simple") << cats << "cat" << 0 << false << QList<int>{0, 2};
        QTest::newRow("simple case") << cats << "cat" << 0 << true << QList<int>{2};
        QTest::newRow("simple blanks kept") << cats << " cat" << 0 << false << QList<int>{};
        const QStringList files = {QStringLiteral("a.jpg"),     QStringLiteral("a.jpg.bak"),
                                   QStringLiteral("img01.png"), QStringLiteral("imgA1.png"),
                                   QStringLiteral("abc"),       QStringLiteral("my img12.png")};
        QTest::newRow("mask jpg") << files << "*.jpg" << 1 << false << QList<int>{0};
        QTest::newRow("mask digits") << files << "img##*" << 1 << false << QList<int>{2};
        QTest::newRow("mask negated") << files << "[!a-c]*" << 1 << false << QList<int>{2, 3, 5};
        QTest::newRow("mask case") << files << "IMG*" << 1 << true << QList<int>{};
        QTest::newRow("mask no case") << files << "IMG*" << 1 << false << QList<int>{2, 3};
        QTest::newRow("regex anywhere") << files << "img\\d+" << 2 << false << QList<int>{2, 5};
        QTest::newRow("regex anchored") << files << "^img\\d" << 2 << false << QList<int>{2};
        QTest::newRow("regex case") << files << "IMG\\d" << 2 << true << QList<int>{};
        QTest::newRow("regex no case") << files << "IMG\\d" << 2 << false << QList<int>{2, 5};
        QTest::newRow("regex invalid") << files << "img(" << 2 << false << QList<int>{};
        QTest::newRow("regex end") << files << "\\.png$" << 2 << false << QList<int>{2, 3, 5};
    }
    void searchKinds()
    {
        QFETCH(QStringList, items);
        QFETCH(QString, text);
        QFETCH(int, type);
        QFETCH(bool, cs);
        QFETCH(QList<int>, found);
        test::ScriptedPrompter prompter;
        FakeList list(items);
        int asked = 0;
        CSearchHost host([&] {
            ++asked;
            return req(text, type, cs);
        });
        QList<int> got;
        for (int step = 0; step <= found.size(); ++step) {
            if (host.SearchText(list, step > 0))
                got.append(list.current);
        }
        QCOMPARE(got, found);
        QCOMPARE(asked, 1);
        // The walk ends at the last item: one "Nothing found." and no wrap.
        QCOMPARE(prompter.texts(), QStringList{QStringLiteral("Nothing found.")});
        QCOMPARE(prompter.last().icon(), int(MB_ICONINFORMATION));
    }

    void foundItemBecomesOnlySelection()
    {
        test::ScriptedPrompter prompter;
        FakeList list(
            {QStringLiteral("x"), QStringLiteral("a1"), QStringLiteral("b"), QStringLiteral("a2")},
            1);
        list.selected = {0, 1, 2};
        CSearchHost host([] { return req(QStringLiteral("a"), SearchSimple); });
        QVERIFY(host.SearchText(list, false));
        QCOMPARE(list.current, 3);
        QCOMPARE(list.selected, QSet<int>{3});
        QVERIFY(prompter.messages().isEmpty());

        // On the last match, find next reports nothing although item 1 matches;
        // the selection stays as it was.
        QVERIFY(!host.SearchText(list, true));
        QCOMPARE(list.current, 3);
        QCOMPARE(list.selected, QSet<int>{3});
        QCOMPARE(prompter.texts(), QStringList{QStringLiteral("Nothing found.")});
    }

    void noCurrentItemStartsAtFirst()
    {
        FakeList list({QStringLiteral("a"), QStringLiteral("a")}, -1);
        CSearchHost host([] { return req(QStringLiteral("A"), SearchSimple); });
        QVERIFY(host.SearchText(list, true)); // find next with nothing stored asks
        QCOMPARE(list.current, 0);
        FakeList empty({});
        test::ScriptedPrompter prompter;
        QVERIFY(!host.SearchText(empty, true));
        QCOMPARE(prompter.texts(), QStringList{QStringLiteral("Nothing found.")});
    }

    void askingAndTheStoredSearch()
    {
        test::ScriptedPrompter prompter;
        FakeList list({QStringLiteral("one"), QStringLiteral("two"), QStringLiteral("three")}, -1);
        QList<SearchRequest> answers = {req(QStringLiteral("T"), SearchSimple, true),
                                        req(QStringLiteral("t"), SearchSimple, false),
                                        SearchRequest{}, req(QStringLiteral("o"), SearchSimple)};
        int asked = 0;
        CSearchHost host([&] {
            ++asked;
            return answers.takeFirst();
        });

        // A confirmed search that finds nothing is still stored.
        QVERIFY(!host.SearchText(list, false));
        QCOMPARE(host.StoredSearch().text, QStringLiteral("T"));
        QVERIFY(host.StoredSearch().caseSensitive);
        // "Find..." always asks.
        QVERIFY(host.SearchText(list, false));
        QCOMPARE(list.current, 1);
        QCOMPARE(asked, 2);
        // "Find next" repeats without asking.
        QVERIFY(host.SearchText(list, true));
        QCOMPARE(list.current, 2);
        QCOMPARE(asked, 2);
        // A cancelled dialog: no search, no message, the stored search stays.
        prompter.clear();
        QVERIFY(!host.SearchText(list, false));
        QCOMPARE(asked, 3);
        QVERIFY(prompter.messages().isEmpty());
        QCOMPARE(host.StoredSearch().text, QStringLiteral("t"));
        QCOMPARE(list.current, 2);
        list.current = 0;
        QVERIFY(host.SearchText(list, true));
        QCOMPARE(list.current, 1);
        QCOMPARE(asked, 3);
    }

    void unknownTypeFindsNothing()
    {
        FakeList list({QStringLiteral("a")});
        QCOMPARE(FindNextItem(list, req(QStringLiteral("a"), 3), -1), -1);
        QCOMPARE(FindNextItem(list, req(QStringLiteral("a"), SearchSimple), -1), 0);
    }
};

QTEST_GUILESS_MAIN(TestSearch)
#include "test_search.moc"
