#include "links/linksrules.h"
#include "linksfixture.h"
#include "scriptedprompter.h"
#include "scriptedshell.h"
#include "testenv.h"
#include "textlist.h"

#include "base/linkbase.h"
#include "core/group.h"
#include "core/settings.h"
#include "platform/inifile.h"

#include <QFile>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QTest>

using namespace ruvia;

namespace {
QString enabledItems(const QList<MenuItemState>& items)
{
    QStringList on;
    for (const MenuItemState& i : items)
        if (i.enabled)
            on.append(QString::number(i.index));
    return on.join(u',');
}
} // namespace

class TestLinksRules : public QObject {
    Q_OBJECT
    test::TempProfile profile;

private Q_SLOTS:
    void initTestCase() { QVERIFY(test::OpenFreshGroup(QStringLiteral("rules.tumblr.com"))); }
    void cleanupTestCase() { test::CloseGroup(); }

    void postIdOfItem_data()
    {
        QTest::addColumn<QString>("item");
        QTest::addColumn<QString>("id");
        QTest::newRow("with file") << "123 :: a b.jpg" << "123";
        QTest::newRow("id alone") << "456" << "456";
        QTest::newRow("empty") << "" << "";
    }
    void postIdOfItem()
    {
        QFETCH(QString, item);
        QFETCH(QString, id);
        QCOMPARE(PostIdOfItem(item), id);
    }

    void selectionInfo_data()
    {
        QTest::addColumn<int>("current");
        QTest::addColumn<int>("selected");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("text");
        QTest::newRow("third of ten") << 2 << 1 << "a.jpg" << "3 / 10: a.jpg";
        QTest::newRow("untitled") << 0 << 1 << "" << "1 / 10: Untitled";
        QTest::newRow("several") << 4 << 3 << "" << "5 / 10: Selected 3 item(s)";
        QTest::newRow("none, no current") << -1 << 0 << "" << "0 / 10: No selection";
    }
    void selectionInfo()
    {
        QFETCH(int, current);
        QFETCH(int, selected);
        QFETCH(QString, file);
        QFETCH(QString, text);
        QCOMPARE(SelectionInfoText(current, 10, selected, file), text);
    }

    void pictureMenu_data()
    {
        QTest::addColumn<int>("n");
        QTest::addColumn<bool>("resolved");
        QTest::addColumn<QString>("enabled");
        QTest::addColumn<QString>("caption10");
        QTest::newRow("none") << 0 << false << "" << "Download thumbnail";
        QTest::newRow("one unresolved") << 1 << false << "50,52" << "Download thumbnail";
        QTest::newRow("one resolved") << 1 << true << "0,1,10,11,20,21,30,31,40,41,51,52"
                                      << "Download thumbnail";
        QTest::newRow("two") << 2 << false << "0,10,11,20,21,30,31,50,51,52" << "Download thumbnails";
    }
    void pictureMenu()
    {
        QFETCH(int, n);
        QFETCH(bool, resolved);
        QFETCH(QString, enabled);
        QFETCH(QString, caption10);
        const QList<MenuItemState> items = PictureMenuState(n, resolved);
        QCOMPARE(enabledItems(items), enabled);
        for (const MenuItemState& i : items) {
            if (i.index == miDownloadThumbnails)
                QCOMPARE(i.caption, caption10);
            if (i.index == miOpenPicture)
                QCOMPARE(i.caption, QStringLiteral("Open picture\tEnter"));
            if (i.index == miImportPicture)
                QCOMPARE(i.caption, QStringLiteral("Import picture...\tIns"));
            if (i.index == miDeletePictures)
                QCOMPARE(i.caption, n >= 2 ? QStringLiteral("Delete pictures") : QStringLiteral("Delete picture"));
        }
    }

    void enabling_data()
    {
        QTest::addColumn<bool>("enable");
        QTest::addColumn<bool>("busy");
        QTest::addColumn<bool>("content");
        QTest::addColumn<bool>("others");
        QTest::newRow("list with items") << true << false << true << true;
        QTest::newRow("empty list") << false << false << false << true;
        QTest::newRow("batch running") << false << true << false << false;
    }
    void enabling()
    {
        QFETCH(bool, enable);
        QFETCH(bool, busy);
        const ControlsEnabling e = EnableControls(enable, busy);
        QTEST(e.content, "content");
        QTEST(e.others, "others");
    }

    void keys_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("mods");
        QTest::addColumn<bool>("busy");
        QTest::addColumn<bool>("paintAllowed");
        QTest::addColumn<bool>("paintShown");
        QTest::addColumn<int>("action");
        const int none = Qt::NoModifier;
        QTest::newRow("esc while busy stops") << int(Qt::Key_Escape) << none << true << false << false << int(KeyAction::RequestStop);
        QTest::newRow("shift+esc while busy") << int(Qt::Key_Escape) << int(Qt::ShiftModifier) << true << true << false << int(KeyAction::Swallow);
        QTest::newRow("enter while busy") << int(Qt::Key_Return) << none << true << false << false << int(KeyAction::Swallow);
        QTest::newRow("esc closes") << int(Qt::Key_Escape) << none << false << false << false << int(KeyAction::Close);
        QTest::newRow("esc enters paint") << int(Qt::Key_Escape) << none << false << true << false << int(KeyAction::EnterPaint);
        QTest::newRow("esc in paint swallowed") << int(Qt::Key_Escape) << none << false << true << true << int(KeyAction::Swallow);
        QTest::newRow("f12 enters") << int(Qt::Key_F12) << none << false << true << false << int(KeyAction::EnterPaint);
        QTest::newRow("f12 leaves") << int(Qt::Key_F12) << none << false << true << true << int(KeyAction::LeavePaint);
        QTest::newRow("f12 without paint mode") << int(Qt::Key_F12) << none << false << false << false << int(KeyAction::None);
        QTest::newRow("shift+esc closes in paint") << int(Qt::Key_Escape) << int(Qt::ShiftModifier) << false << true << true << int(KeyAction::Close);
        QTest::newRow("letter in paint swallowed") << int(Qt::Key_A) << none << false << true << true << int(KeyAction::Swallow);
        QTest::newRow("enter opens") << int(Qt::Key_Return) << none << false << false << false << int(KeyAction::OpenPicture);
        QTest::newRow("keypad enter opens") << int(Qt::Key_Enter) << int(Qt::KeypadModifier) << false << false << false << int(KeyAction::OpenPicture);
        QTest::newRow("shift+enter") << int(Qt::Key_Return) << int(Qt::ShiftModifier) << false << false << false << int(KeyAction::None);
        QTest::newRow("ins imports") << int(Qt::Key_Insert) << none << false << false << false << int(KeyAction::ImportPicture);
        QTest::newRow("ctrl+a") << int(Qt::Key_A) << int(Qt::ControlModifier) << false << true << false << int(KeyAction::SelectAll);
        QTest::newRow("ctrl+shift+a") << int(Qt::Key_A) << int(Qt::ControlModifier | Qt::ShiftModifier) << false << false << false << int(KeyAction::None);
        QTest::newRow("f4 goes on") << int(Qt::Key_F4) << none << false << false << false << int(KeyAction::None);
    }
    void keys()
    {
        QFETCH(int, key);
        QFETCH(int, mods);
        QFETCH(bool, busy);
        QFETCH(bool, paintAllowed);
        QFETCH(bool, paintShown);
        QFETCH(int, action);
        QCOMPARE(int(LinksWindowKey(key, Qt::KeyboardModifiers(mods), {busy, paintAllowed, paintShown})),
                 action);
    }

    void listPosition()
    {
        const QString ini = profile.root() + QStringLiteral("/position.INI");
        test::TextList empty;
        SaveListPosition(empty, ini);
        QVERIFY(!QFile::exists(ini));
        QVERIFY(!LoadListPosition(empty, ini));

        test::TextList list({QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"), QStringLiteral("4")});
        // Nothing stored: the first item, no scrolling.
        list.m_top = -7;
        QVERIFY(LoadListPosition(list, ini));
        QCOMPARE(list.m_current, 0);
        QCOMPARE(list.m_selected, QSet<int>{0});
        QCOMPARE(list.m_top, -7);

        list.m_current = 2;
        list.m_top = 1;
        SaveListPosition(list, ini);
        QCOMPARE(tsReadLongFromINI(QStringLiteral("Post List"), QStringLiteral("Last Selected Index"), -1, ini), 2);
        QCOMPARE(tsReadLongFromINI(QStringLiteral("Post List"), QStringLiteral("Last Top Index"), -1, ini), 1);
        test::TextList back(list.m_items);
        QVERIFY(LoadListPosition(back, ini));
        QCOMPARE(back.m_current, 2);
        QCOMPARE(back.m_selected, QSet<int>{2});
        QCOMPARE(back.m_top, 1);

        // A position stored for a longer list is ignored.
        test::TextList shorter({QStringLiteral("1")});
        QVERIFY(LoadListPosition(shorter, ini));
        QCOMPARE(shorter.m_current, -1);
        QVERIFY(shorter.m_selected.isEmpty());
        QCOMPARE(shorter.m_top, 0);
    }

    void openPicture()
    {
        test::ScriptedShell desktop;
        test::AddPost(QStringLiteral("777"), QStringLiteral("x.jpg"), true);
        test::AddPost(QStringLiteral("778"), QStringLiteral("y.jpg"), false);
        {
            test::ScriptedPrompter prompter;
            OpenPicture(QStringLiteral("778"));
            QVERIFY(prompter.messages().isEmpty());
            OpenPicture(QStringLiteral("777"));
            QCOMPARE(prompter.texts(), QStringList{QStringLiteral(
                                           "Can't open picture. It's most likely you haven't downloaded it yet.")});
            QCOMPARE(prompter.last().icon(), int(MB_ICONCRITICAL));
            QVERIFY(desktop.opened.isEmpty());
        }
        const QString file = GetPictureFileName(QStringLiteral("777"));
        QVERIFY(file.endsWith(QStringLiteral("/777.1280.JPG")));
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("x");
        f.close();
        {
            test::ScriptedPrompter prompter;
            OpenPicture(QStringLiteral("777"));
            QCOMPARE(desktop.opened, QStringList{file});
            QVERIFY(prompter.messages().isEmpty());
            desktop.opens = false;
            OpenPicture(QStringLiteral("777"));
            QCOMPARE(prompter.texts(), QStringList{file + QStringLiteral(
                "\r\n\r\nCan't open picture file. File damaged or in unknown format.")});
        }
    }

    void userGuideIsFoundAndOpened()
    {
        const QString path = UserGuidePath();
        QVERIFY2(path.endsWith(QStringLiteral("/docs/user-guide.md")), qPrintable(path));
        test::ScriptedShell desktop;
        test::ScriptedPrompter prompter;
        OpenUserGuide();
        QCOMPARE(desktop.opened, QStringList{path});
        QVERIFY(prompter.messages().isEmpty());
    }

    void widestItemMatchesMeasuringEveryItem()
    {
        QStringList items;
        for (int i = 0; i < 500; ++i)
            items.append(QStringLiteral("%1 :: %2").arg(100000 + i * 37).arg(QString(i % 41 + 1, QChar(u"aWiM.é"[i % 6]))));
        const QFontMetrics fm(QFontDatabase::systemFont(QFontDatabase::GeneralFont));
        int exact = 0;
        for (const QString& s : items)
            exact = qMax(exact, fm.horizontalAdvance(s + QStringLiteral("   ")));
        QCOMPARE(WidestItemWidth(items, fm), exact);
        QCOMPARE(WidestItemWidth({}, fm), 0);
    }
};

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    TestLinksRules t;
    return QTest::qExec(&t, argc, argv);
}
#include "test_linksrules.moc"
