#include "guitest.h"
#include "linksfixture.h"
#include "scriptedprompter.h"
#include "scriptedshell.h"
#include "testenv.h"

#include "base/linkbase.h"
#include "base/templates.h"
#include "core/group.h"
#include "core/settings.h"
#include "gui/links/frmpictureslist.h"
#include "gui/links/frmuserguide.h"
#include "gui/links/lstpictures.h"
#include "gui/links/picpreview.h"
#include "gui/ucinfotoolbar.h"
#include "links/slots.h"
#include "platform/inifile.h"
#include "platform/settingsstore.h"

#include <QAction>
#include <QCheckBox>
#include <QContextMenuEvent>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTextBrowser>

using namespace ruvia;
using ruvia::test::child;
using ruvia::test::onNextModal;

namespace {
const QString kHost = QStringLiteral("links.tumblr.com");

QAction* action(QWidget* w, const QString& name)
{
    auto* a = w->findChild<QAction*>(name);
    if (!a)
        qWarning("no action %s", qPrintable(name));
    return a;
}

QString slotText(QWidget* w, int i)
{
    return child<QLineEdit>(w, qPrintable(QStringLiteral("txtSlot%1").arg(i)))->text();
}

// Where anything but black was drawn.
QRect inkBox(const QImage& image)
{
    QRect box;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) != qRgb(0, 0, 0))
                box |= QRect(x, y, 1, 1);
    return box;
}

// Waits for the delayed click to have run.
void settle() { QTest::qWait(120); }

void select(PicturesListView* list, const QList<int>& rows)
{
    list->selectionModel()->clearSelection();
    list->setCurrentIndex(rows.first());
    for (int r : rows)
        list->selectRange(r, r, true);
}
} // namespace

class TestLinksWindow : public QObject {
    Q_OBJECT
    test::TempProfile profile;
    QStringList m_ids;
    QPointer<frmPicturesList> m_window;

    frmPicturesList* open()
    {
        m_window = new frmPicturesList(nullptr);
        m_window->show();
        if (!QTest::qWaitForWindowExposed(m_window))
            qWarning("links window not exposed");
        settle();
        return m_window;
    }

    // Ten posts, "a.jpg" the third; the last two unresolved; thumbnails for the first three.
    void tenPosts()
    {
        m_ids = test::AddPosts(8, 1000);
        ResolveLink(m_ids.at(2), test::SampleLinks(m_ids.at(2)));
        LinksDocument().Root().last_child().attribute("OriginalFileName").set_value("IMG_7.JPG");
        test::AddPost(QStringLiteral("2001"), QStringLiteral("raw-1.jpg"), false);
        test::AddPost(QStringLiteral("2002"), QString(), false);
        m_ids << QStringLiteral("2001") << QStringLiteral("2002");
        SetNodeAttribute(FindLink(m_ids.at(2)), QStringLiteral("OriginalFileName"), QStringLiteral("a.jpg"));
        for (int i = 0; i < 3; ++i)
            QVERIFY(test::WriteThumbnail(m_ids.at(i)));
        QVERIFY(SaveLinksBase());
    }

private Q_SLOTS:
    void init()
    {
        ResetSettingsToDefaults();
        // Each test starts from the classic size, whatever the one before left.
        SettingsStore::writeText(QStringLiteral("Pictures List"), QStringLiteral("Window placement"), QString());
        SaveTemplates({});
        QVERIFY(test::OpenFreshGroup(kHost));
        QFile::remove(GetGroupSettingsFile());
    }
    void cleanup()
    {
        if (m_window) {
            m_window->setInProgress(false);
            m_window->close();
        }
        QTRY_VERIFY(!m_window);
        test::CloseGroup();
    }

    void emptyBase()
    {
        test::ScriptedPrompter prompter;
        frmPicturesList* w = open();
        QCOMPARE(w->windowTitle(), QStringLiteral("Ruvia :: Links :: ") + kHost);
        QCOMPARE(w->list()->count(), 0);
        QVERIFY(!action(w, QStringLiteral("mnuMain0"))->isEnabled());
        QVERIFY(!action(w, QStringLiteral("mnuMain1"))->isEnabled());
        for (int i = 2; i < 5; ++i)
            QVERIFY(action(w, QStringLiteral("mnuMain%1").arg(i))->isEnabled());
        QVERIFY(!w->list()->isEnabled());
        QVERIFY(!child<QLineEdit>(w, "txtSlot0")->isEnabled());
        // Nothing was ever selected, so the strip keeps its first text.
        QCOMPARE(child<ucInfoToolBar>(w, "itbMainInfo")->ListInfo(), QStringLiteral("-----"));
        w->close();
        IniFile ini;
        ini.load(GetGroupSettingsFile());
        QVERIFY(!ini.contains(QStringLiteral("Post List"), QStringLiteral("Last Selected Index")));
        QVERIFY(prompter.messages().isEmpty());
    }

    void menusHaveTheirCaptionsShortcutsAndPlaces()
    {
        tenPosts();
        frmPicturesList* w = open();
        const struct {
            const char* name;
            const char* caption;
            QKeySequence shortcut;
        } items[] = {
            {"mnuPictureMain0", "Open picture\tEnter", {}},
            {"mnuPictureMain41", "Import picture...\tIns", {}},
            {"mnuPictureMain52", "Delete links", {}},
            {"mnuSearch0", "Find...", QKeySequence(Qt::CTRL | Qt::Key_F)},
            {"mnuSearch1", "Find next", QKeySequence(Qt::CTRL | Qt::Key_G)},
            {"mnuBase1", "Upload pictures...", QKeySequence(Qt::Key_F6)},
            {"mnuBase5", "Add post by ID...", {}},
            {"mnuBase21", "Import synchronization file...", QKeySequence(Qt::Key_F3)},
            {"mnuBase23", "Export synchronization file...", QKeySequence(Qt::Key_F2)},
            {"mnuSettings1", "Templates...", {}},
            {"mnuSettings6", "Resize preview", QKeySequence(Qt::CTRL | Qt::Key_L)},
            {"mnuSettings11", "Global settings...", {}},
            {"mnuHelp0", "Contents", QKeySequence(Qt::Key_F1)},
            {"mnuHelp2", "Statistics...", QKeySequence(Qt::CTRL | Qt::Key_I)},
            {"mnuHelp4", "About...", QKeySequence(Qt::SHIFT | Qt::Key_F1)},
        };
        for (const auto& i : items) {
            QAction* a = action(w, QString::fromLatin1(i.name));
            QVERIFY2(a, i.name);
            QCOMPARE(a->text(), QString::fromUtf8(i.caption));
            QCOMPARE(a->shortcut(), i.shortcut);
        }
        for (const char* separator : {"mnuPictureMain2", "mnuPictureMain12", "mnuPictureMain42",
                                      "mnuBase20", "mnuSettings5", "mnuSettings10", "mnuHelp1", "mnuHelp3"})
            QVERIFY2(action(w, QString::fromLatin1(separator))->isSeparator(), separator);
        for (int i : {21, 22, 23})
            QVERIFY(!action(w, QStringLiteral("mnuBase%1").arg(i))->isEnabled());
        // Help at the right end of the bar, the other menus from the left.
        auto* help = child<QMenuBar>(w, "mnuMainRight");
        QVERIFY(help->isVisible());
        QVERIFY(help->geometry().right() >= w->menuBar()->width() - 8);
        QVERIFY(help->geometry().left() > w->menuBar()->actionGeometry(action(w, QStringLiteral("mnuMain3"))).right());
    }

    void infoTextPreviewAndSlotsFollowTheSelection()
    {
        tenPosts();
        QVERIFY(test::WriteThumbnailBytes(m_ids.at(1), QByteArray("<html>proxy error</html>")));
        frmPicturesList* w = open();
        auto* list = w->list();
        auto* info = child<ucInfoToolBar>(w, "itbMainInfo");
        auto* preview = child<PicturePreview>(w, "picPreview");
        QCOMPARE(list->count(), 10);
        QCOMPARE(list->itemText(9), QStringLiteral("2002"));
        // Nothing stored: the first post is current and selected.
        QCOMPARE(list->currentIndex(), 0);
        QCOMPARE(int(preview->preview().state), int(Preview::Picture));

        select(list, {2});
        settle();
        QCOMPARE(info->ListInfoLabel(), QStringLiteral("Selection:"));
        QCOMPARE(info->ListInfo(), QStringLiteral("3 / 10: a.jpg"));
        QCOMPARE(slotText(w, 0), ExpandTemplate(m_ids.at(2), GetDefaultTemplateBody(0)));
        QVERIFY(slotText(w, 0).startsWith(QStringLiteral("http://test.tumblr.com/post/")));
        QCOMPARE(int(preview->preview().state), int(Preview::Picture));

        select(list, {1});
        settle();
        QCOMPARE(int(preview->preview().state), int(Preview::Broken));
        QCOMPARE(preview->grab().toImage().pixelColor(5, 5), QColor(255, 0, 0));
        select(list, {4});
        settle();
        QCOMPARE(int(preview->preview().state), int(Preview::Empty));
        QCOMPARE(preview->grab().toImage().pixelColor(5, 5), QColor(0, 0, 0));
        QVERIFY(preview->ShowsNoThumbnail());
        QVERIFY(!inkBox(preview->grab().toImage()).isEmpty());

        select(list, {9});
        settle();
        QCOMPARE(info->ListInfo(), QStringLiteral("10 / 10: Untitled"));
        for (int i = 0; i < 10; ++i)
            QCOMPARE(slotText(w, i), kSlotNotResolved);
        Q_EMIT child<QMenu>(w, "mnuPictureMain")->aboutToShow();
        for (int index : {0, 1, 10, 11, 20, 21, 30, 31, 40, 41, 51})
            QVERIFY(!action(w, QStringLiteral("mnuPictureMain%1").arg(index))->isEnabled());
        QVERIFY(action(w, QStringLiteral("mnuPictureMain50"))->isEnabled());
        QVERIFY(action(w, QStringLiteral("mnuPictureMain52"))->isEnabled());

        // One resolved, one not: only the resolved post's text, without a mark.
        select(list, {3, 8});
        settle();
        QCOMPARE(info->ListInfo(), QStringLiteral("4 / 10: Selected 2 item(s)"));
        QCOMPARE(slotText(w, 1), ExpandTemplate(m_ids.at(3), GetDefaultTemplateBody(1)));
        Q_EMIT child<QMenu>(w, "mnuPictureMain")->aboutToShow();
        QCOMPARE(action(w, QStringLiteral("mnuPictureMain11"))->text(), QStringLiteral("Download pictures"));
        QVERIFY(!action(w, QStringLiteral("mnuPictureMain1"))->isEnabled());
    }

    void previewSaysWhenAPostHasNoThumbnail()
    {
        PicturePreview preview;
        preview.resize(272, 229);
        preview.setPreview({}, true);
        const QRect ink = inkBox(preview.grab().toImage());
        QVERIFY(!ink.isEmpty());
        QVERIFY2(qAbs(ink.center().x() - 136) <= 2 && qAbs(ink.center().y() - 114) <= 2,
                 qPrintable(QStringLiteral("%1,%2").arg(ink.center().x()).arg(ink.center().y())));
        QVERIFY(ink.width() < 200);
        // Quiet: grey, never brighter than mid-grey.
        const QImage shot = preview.grab().toImage();
        for (int y = ink.top(); y <= ink.bottom(); ++y)
            for (int x = ink.left(); x <= ink.right(); ++x)
                QVERIFY(qGray(shot.pixel(x, y)) <= 128);

        // No post: plain black; a damaged file: plain red, whoever it belongs to.
        preview.setPreview({}, false);
        QVERIFY(inkBox(preview.grab().toImage()).isEmpty());
        QVERIFY(!preview.ShowsNoThumbnail());
        preview.setPreview({Preview::Broken, {}}, true);
        QVERIFY(!preview.ShowsNoThumbnail());
        const QImage broken = preview.grab().toImage();
        QCOMPARE(broken.pixelColor(136, 114), QColor(255, 0, 0));
        QCOMPARE(broken.pixelColor(5, 5), QColor(255, 0, 0));
    }

    void slotRightClickCopiesWithoutTheFocus_data()
    {
        QTest::addColumn<bool>("emptySlot");
        QTest::addColumn<int>("selectFirst");
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<QString>("copied");
        QTest::newRow("unfocused slot: its whole text") << false << -1 << true << QString();
        QTest::newRow("empty slot: nothing to copy") << true << -1 << false << QString();
        QTest::newRow("focused slot with part selected") << false << 7 << true << QStringLiteral("http://");
    }
    void slotRightClickCopiesWithoutTheFocus()
    {
        QFETCH(bool, emptySlot);
        QFETCH(int, selectFirst);
        QFETCH(bool, enabled);
        QFETCH(QString, copied);
        tenPosts();
        test::ScriptedShell desktop;
        frmPicturesList* w = open();
        select(w->list(), {2});
        settle();
        auto* slot = child<QLineEdit>(w, "txtSlot0");
        const QString whole = slot->text();
        QVERIFY(whole.startsWith(QStringLiteral("http://")));
        if (copied.isEmpty())
            copied = whole;
        if (emptySlot)
            slot->clear();
        w->list()->setFocus();
        if (selectFirst > 0) {
            slot->setFocus();
            QTRY_VERIFY(slot->hasSelectedText());
            slot->setSelection(0, selectFirst);
        }
        bool copyEnabled = !enabled;
        QTimer::singleShot(100, [&] {
            QWidget* popup = QApplication::activePopupWidget();
            QAction* copy = popup ? popup->findChild<QAction*>(QStringLiteral("mnuSlotCopy")) : nullptr;
            if (copy) {
                copyEnabled = copy->isEnabled();
                if (copyEnabled)
                    copy->trigger();
            }
            if (popup)
                popup->close();
        });
        QContextMenuEvent click(QContextMenuEvent::Mouse, slot->rect().center(), slot->mapToGlobal(slot->rect().center()));
        QApplication::sendEvent(slot, &click);
        QCOMPARE(copyEnabled, enabled);
        QCOMPARE(desktop.clipboardWrites, enabled ? 1 : 0);
        if (enabled)
            QCOMPARE(desktop.clipboard, copied);
    }

    void tooManySelectedAndF4CopiesThemAll()
    {
        test::AddPosts(25, 5000);
        SaveLinksBase();
        test::ScriptedShell desktop;
        frmPicturesList* w = open();
        auto* list = w->list();
        QList<int> rows;
        for (int i = 0; i < 21; ++i)
            rows.append(i);
        select(list, rows);
        settle();
        for (int i = 0; i < 10; ++i)
            QCOMPARE(slotText(w, i), kSlotTooMany);
        auto* slot = child<QLineEdit>(w, "txtSlot4");
        slot->setFocus();
        QTest::keyClick(slot, Qt::Key_F4);
        QString expected;
        for (int r : rows)
            expected += ExpandTemplate(PostIdOfItem(list->itemText(r)), GetDefaultTemplateBody(4));
        QCOMPARE(desktop.clipboard, expected);
        QCOMPARE(desktop.clipboard.count(QStringLiteral("[/URL]")), 21);

        // Ctrl+A in a slot selects every post and is handled as a click.
        QTest::keyClick(slot, Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(list->selectedCount(), 25);
        settle();
        QCOMPARE(child<ucInfoToolBar>(w, "itbMainInfo")->ListInfo().section(u':', 1).trimmed(),
                 QStringLiteral("Selected 25 item(s)"));

        // No selection: the clipboard gets an empty text.
        list->selectionModel()->clearSelection();
        QTest::keyClick(slot, Qt::Key_F4);
        QCOMPARE(desktop.clipboard, QString());
        QCOMPARE(desktop.clipboardWrites, 2);
    }

    void quickClicksUpdateOnceAfterTheDelay()
    {
        tenPosts();
        frmPicturesList* w = open();
        auto* list = w->list();
        auto* info = child<ucInfoToolBar>(w, "itbMainInfo");
        QSignalSpy changes(child<QLineEdit>(w, "txtSlot0"), &QLineEdit::textChanged);
        for (int r : {1, 2, 3, 4, 5}) {
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(list->postModel()->index(r)).center());
        }
        QCOMPARE(changes.count(), 0);
        QVERIFY(!info->ListInfo().startsWith(QStringLiteral("6 /")));
        settle();
        QCOMPARE(changes.count(), 1);
        QVERIFY(info->ListInfo().startsWith(QStringLiteral("6 / 10")));
    }

    void slotsAreReadOnlyAndForwardListKeys()
    {
        tenPosts();
        frmPicturesList* w = open();
        auto* list = w->list();
        select(list, {2});
        settle();
        auto* slot = child<QLineEdit>(w, "txtSlot3");
        const QString text = slot->text();
        slot->setFocus();
        QApplication::processEvents();
        QCOMPARE(slot->selectedText(), text);
        QTest::keyClicks(slot, QStringLiteral("typed"));
        QTest::keyClick(slot, Qt::Key_Backspace);
        QCOMPARE(slot->text(), text);
        QTest::keyClick(slot, Qt::Key_Down);
        QCOMPARE(list->currentIndex(), 3);
        QVERIFY(slot->hasFocus());
        settle();
        // The new text is selected whole again, ready to copy.
        QCOMPARE(slot->text(), ExpandTemplate(m_ids.at(3), GetDefaultTemplateBody(3)));
        QCOMPARE(slot->selectedText(), slot->text());
        QTest::keyClick(slot, Qt::Key_Up);
        QCOMPARE(list->currentIndex(), 2);
    }

    void rightClickKeepsAMultiSelection()
    {
        tenPosts();
        frmPicturesList* w = open();
        auto* list = w->list();
        select(list, {1, 2, 3});
        settle();
        auto closePopup = [] {
            QTimer::singleShot(100, [] {
                if (QWidget* popup = QApplication::activePopupWidget())
                    popup->close();
            });
        };
        closePopup();
        Q_EMIT list->customContextMenuRequested(list->visualRect(list->postModel()->index(2)).center());
        QCOMPARE(list->selectedRows(), (QList<int>{1, 2, 3}));
        closePopup();
        Q_EMIT list->customContextMenuRequested(list->visualRect(list->postModel()->index(6)).center());
        QCOMPARE(list->selectedRows(), QList<int>{6});
        QCOMPARE(list->currentIndex(), 6);
    }

    void escapeAndCloseDuringABatchRequestTheStop()
    {
        tenPosts();
        frmPicturesList* w = open();
        w->setInProgress(true);
        QVERIFY(child<QWidget>(w, "pnlProgress")->isVisible());
        QVERIFY(!w->list()->isEnabled());
        QVERIFY(!action(w, QStringLiteral("mnuMain2"))->isEnabled());
        QTest::keyClick(w->list(), Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(w->list()->selectedCount(), 1);
        QTest::keyClick(w->list(), Qt::Key_Escape);
        QVERIFY(w->CancelRequested());
        QVERIFY(w->isVisible());
        w->setCancelRequest(false);
        QVERIFY(!w->close());
        QVERIFY(w->CancelRequested());
        QVERIFY(w->isVisible());
        // The transfer callback abandons the exchange on the request.
        bool cancel = false;
        w->BlockReceived(100, 100, 1000, cancel);
        QVERIFY(cancel);
        QVERIFY(child<QLabel>(w, "lblProgress")->text().startsWith(QStringLiteral("Received ")));
        w->setInProgress(false);
        QVERIFY(!child<QWidget>(w, "pnlProgress")->isVisible());
        QVERIFY(w->list()->isEnabled());
    }

    void bigPreviewLayouts()
    {
        tenPosts();
        frmPicturesList* w = open();
        auto* list = w->list();
        auto* preview = child<QWidget>(w, "picPreview");
        QVERIFY(w->BigPreview());
        QCOMPARE(list->height(), 3060 / 15);
        QCOMPARE(preview->height(), 3435 / 15);
        const int top = list->y();
        QTest::keyClick(list, Qt::Key_L, Qt::ControlModifier);
        QVERIFY(!w->BigPreview());
        QCOMPARE(list->height(), 1170 / 15);
        QCOMPARE(preview->height(), 5325 / 15);
        QCOMPARE(list->y(), top);
        QCOMPARE(preview->y(), list->y() + list->height() + 4);
        QTest::mouseClick(preview, Qt::MiddleButton);
        QVERIFY(w->BigPreview());
        w->setInProgress(true);
        w->setBigPreview(false);
        QVERIFY(w->BigPreview());
        w->setInProgress(false);
    }

    void paintMode()
    {
        tenPosts();
        SET_PaintMode = true;
        frmPicturesList* w = open();
        const QString caption = w->windowTitle();
        auto* slot = child<QLineEdit>(w, "txtSlot2");
        slot->setFocus();
        QTest::keyClick(slot, Qt::Key_Escape);
        QVERIFY(w->PaintModeShown());
        QCOMPARE(w->windowTitle(), QStringLiteral("Безымянный - Paint"));
        QVERIFY(child<QWidget>(w, "ucpPaint")->isVisible());
        QCOMPARE(child<QWidget>(w, "ucpPaint")->geometry(), w->centralWidget()->rect());
        QVERIFY(!action(w, QStringLiteral("mnuMain0"))->isVisible());
        QVERIFY(!child<QMenuBar>(w, "mnuMainRight")->isVisible());
        for (int i = 0; i < 6; ++i)
            QVERIFY(action(w, QStringLiteral("mnuPaintMode%1").arg(i))->isVisible());
        QCOMPARE(action(w, QStringLiteral("mnuPaintMode4"))->text(), QStringLiteral("Colors"));
        QVERIFY(!w->list()->isEnabled());
        // Every other key is swallowed, shortcuts included.
        QTest::keyClick(w, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(w, Qt::Key_L, Qt::ControlModifier);
        QVERIFY(w->BigPreview());
        QCOMPARE(w->list()->selectedCount(), 1);
        QTest::keyClick(w, Qt::Key_Escape);
        QVERIFY(w->PaintModeShown());
        QTest::keyClick(w, Qt::Key_F12);
        QVERIFY(!w->PaintModeShown());
        QCOMPARE(w->windowTitle(), caption);
        QVERIFY(action(w, QStringLiteral("mnuMain0"))->isVisible());
        QVERIFY(!action(w, QStringLiteral("mnuPaintMode0"))->isVisible());
        QVERIFY(child<QMenuBar>(w, "mnuMainRight")->isVisible());
        QVERIFY(w->list()->isEnabled());
        QVERIFY(slot->hasFocus());
        QTest::keyClick(w, Qt::Key_F12);
        QVERIFY(w->PaintModeShown());
        QTest::keyClick(w, Qt::Key_Escape, Qt::ShiftModifier);
        QTRY_VERIFY(!m_window);
    }

    void escapeClosesWithoutPaintMode()
    {
        tenPosts();
        frmPicturesList* w = open();
        QTest::keyClick(w->list(), Qt::Key_F12);
        QVERIFY(!w->PaintModeShown());
        QTest::keyClick(w->list(), Qt::Key_Escape);
        QTRY_VERIFY(!m_window);
    }

    void enterOpensThePicture()
    {
        tenPosts();
        test::ScriptedShell desktop;
        frmPicturesList* w = open();
        select(w->list(), {0});
        settle();
        test::ScriptedPrompter prompter;
        QTest::keyClick(w->list(), Qt::Key_Return);
        QCOMPARE(prompter.texts(), QStringList{QStringLiteral(
                                       "Can't open picture. It's most likely you haven't downloaded it yet.")});
        QVERIFY(test::WriteThumbnail(m_ids.at(0)));
        QFile::copy(GetThumbnailFileName(m_ids.at(0)), GetPictureFileName(m_ids.at(0)));
        QTest::mouseDClick(child<QWidget>(w, "picPreview"), Qt::LeftButton);
        QCOMPARE(desktop.opened, QStringList{GetPictureFileName(m_ids.at(0))});
        QCOMPARE(prompter.messages().size(), 1);
    }

    void listPositionIsKeptInTheGroupSettings()
    {
        test::AddPosts(300, 7000);
        SaveLinksBase();
        frmPicturesList* w = open();
        w->list()->setTopIndex(100);
        select(w->list(), {120});
        const int top = w->list()->topIndex();
        QVERIFY(top >= 90);
        w->close();
        QCOMPARE(tsReadLongFromINI(QStringLiteral("Post List"), QStringLiteral("Last Selected Index"), -1,
                                   GetGroupSettingsFile()),
                 120);
        QCOMPARE(tsReadLongFromINI(QStringLiteral("Post List"), QStringLiteral("Last Top Index"), -1,
                                   GetGroupSettingsFile()),
                 top);
        QVERIFY(!IsGroupLockHeld());
        QVERIFY(OpenGroupFolders(kHost + QStringLiteral(" | ") + kHost));
        QVERIFY(OpenLinksBase());
        w = open();
        QCOMPARE(w->list()->currentIndex(), 120);
        QCOMPARE(w->list()->selectedRows(), QList<int>{120});
        QCOMPARE(w->list()->topIndex(), top);
    }

    void growsIntoTheSlotsAndRemembersItsPlacement()
    {
        tenPosts();
        frmPicturesList* w = open();
        auto* list = w->list();
        auto* preview = child<QWidget>(w, "picPreview");
        auto* slot = child<QLineEdit>(w, "txtSlot0");
        auto* tag = child<QLabel>(w, "lblTag0");
        const QSize classic = w->size();
        const QRect listAt = list->geometry();
        const QRect slotAt = slot->geometry();
        const int previewHeight = preview->height();
        QCOMPARE(slotAt.width(), 5280 / 15);
        QVERIFY(w->maximumWidth() > classic.width());

        w->resize(classic + QSize(300, 90));
        QTRY_COMPARE(slot->width(), slotAt.width() + 300);
        QCOMPARE(tag->width(), slot->width());
        QCOMPARE(slot->x(), slotAt.x());
        QCOMPARE(list->geometry(), listAt);
        QCOMPARE(preview->width(), listAt.width());
        QCOMPARE(preview->height(), previewHeight + 90);
        QCOMPARE(child<ucInfoToolBar>(w, "itbMainInfo")->width(), w->centralWidget()->width());
        // The other preview layout in the grown window: the list shrinks, the preview fills the rest.
        const int bottom = preview->geometry().bottom();
        QTest::keyClick(list, Qt::Key_L, Qt::ControlModifier);
        QCOMPARE(list->height(), 1170 / 15);
        QCOMPARE(preview->geometry().bottom(), bottom);
        QCOMPARE(preview->y(), list->y() + list->height() + 4);

        // Never smaller than the classic layout.
        w->resize(200, 150);
        QCOMPARE(w->size(), classic);
        w->resize(classic + QSize(300, 90));
        QTRY_COMPARE(slot->width(), slotAt.width() + 300);
        const QRect placed = w->geometry();
        w->close();
        QTRY_VERIFY(!m_window);

        QVERIFY(OpenGroupFolders(kHost + QStringLiteral(" | ") + kHost));
        QVERIFY(OpenLinksBase());
        w = open();
        QCOMPARE(w->size(), placed.size());
        QCOMPARE(child<QLineEdit>(w, "txtSlot0")->width(), slotAt.width() + 300);
        QCOMPARE(w->list()->geometry(), listAt);
        WindowPlacement stored;
        QVERIFY(SettingsStore::LoadWindowPlacement(QStringLiteral("Pictures List"),
                                                   QStringLiteral("Window placement"), stored));
        QCOMPARE(stored.rect.size(), placed.size());
        QVERIFY(!stored.maximized);
    }

    void opensMaximizedWhenLeftSo()
    {
        tenPosts();
        QVERIFY(SettingsStore::SaveWindowPlacement(QStringLiteral("Pictures List"), QStringLiteral("Window placement"),
                                                   {QRect(40, 30, 900, 600), true}));
        frmPicturesList* w = open();
        QVERIFY(w->isMaximized());
        QCOMPARE(w->normalGeometry().size(), QSize(900, 600));
    }

    void baseDialogRefillsTheListWhenTheBaseGrew()
    {
        tenPosts();
        SET_HidePreview = true;
        frmPicturesList* w = open();
        auto* preview = child<PicturePreview>(w, "picPreview");
        QCOMPARE(int(preview->preview().state), int(Preview::Picture));
        int shownDuring = -1;
        w->RunBaseDialog([&] {
            shownDuring = preview->preview().state;
            AddLink(QStringLiteral("31337"), QStringLiteral("new.jpg"), QStringLiteral("me"));
        });
        QCOMPARE(shownDuring, int(Preview::Empty));
        QCOMPARE(int(preview->preview().state), int(Preview::Picture));
        QCOMPARE(w->list()->count(), 11);
        QCOMPARE(w->list()->itemText(10), QStringLiteral("31337 :: new.jpg"));
        QVERIFY(w->list()->hasFocus());
        w->RunBaseDialog([] {});
        QCOMPARE(w->list()->count(), 11);
    }

    void uploadRunShowsTheNewestPost()
    {
        test::AddPosts(60, 1000);
        QVERIFY(SaveLinksBase());
        frmPicturesList* w = open();
        auto* list = w->list();
        select(list, {3, 4});
        settle();
        onNextModal([](QWidget* uploader) {
            QCOMPARE(uploader->objectName(), QStringLiteral("frmUploader"));
            AddLink(QStringLiteral("900001"), QStringLiteral("first.jpg"), QStringLiteral("me"));
            AddLink(QStringLiteral("900002"), QStringLiteral("newest.jpg"), QStringLiteral("me"));
            uploader->close();
        });
        action(w, QStringLiteral("mnuBase1"))->trigger();
        QCOMPARE(list->count(), 62);
        QCOMPARE(list->currentIndex(), 61);
        QCOMPARE(list->selectedRows(), QList<int>{61});
        QVERIFY(list->topIndex() > 0);
        QCOMPARE(child<ucInfoToolBar>(w, "itbMainInfo")->ListInfo(), QStringLiteral("62 / 62: newest.jpg"));
        QCOMPARE(slotText(w, 0), kSlotNotResolved);
        QVERIFY(child<PicturePreview>(w, "picPreview")->ShowsNoThumbnail());
        settle();
        QCOMPARE(list->selectedRows(), QList<int>{61});

        // Nothing uploaded: the selection stays as it was.
        select(list, {5});
        settle();
        onNextModal([](QWidget* uploader) { uploader->close(); });
        action(w, QStringLiteral("mnuBase1"))->trigger();
        QCOMPARE(list->selectedRows(), QList<int>{5});
    }

    void findDialogFirstUseAndEachKind_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("caseSensitive");
        QTest::addColumn<int>("found");
        QTest::newRow("simple") << 0 << "a.JPG" << false << 2;
        QTest::newRow("simple, case") << 0 << "a.JPG" << true << -1;
        QTest::newRow("mask") << 1 << "*raw-#.jpg" << false << 8;
        QTest::newRow("regular expression") << 2 << "^100[4] ::" << true << 4;
    }
    void findDialogFirstUseAndEachKind()
    {
        QFETCH(int, type);
        QFETCH(QString, text);
        QFETCH(bool, caseSensitive);
        QFETCH(int, found);
        tenPosts();
        QFile::remove(SET_DataPath + QStringLiteral("/Search History.DAT"));
        test::ScriptedPrompter prompter;
        frmPicturesList* w = open();
        select(w->list(), {0});
        bool firstUseOk = false;
        onNextModal([&](QWidget* find) {
            auto* what = child<QComboBox>(find, "cboSearchWhat");
            auto* ok = child<QPushButton>(find, "cmdOk");
            firstUseOk = find->windowTitle() == u"Find" && what->currentText().isEmpty() &&
                         child<QRadioButton>(find, "optSearchType0")->isChecked() &&
                         !child<QCheckBox>(find, "chkCaseSensitive")->isChecked() && !ok->isEnabled();
            what->setEditText(text);
            child<QRadioButton>(find, qPrintable(QStringLiteral("optSearchType%1").arg(type)))->setChecked(true);
            child<QCheckBox>(find, "chkCaseSensitive")->setChecked(caseSensitive);
            QVERIFY(ok->isEnabled());
            ok->click();
        });
        QTest::keyClick(w->list(), Qt::Key_F, Qt::ControlModifier);
        QVERIFY(firstUseOk);
        if (found < 0) {
            QCOMPARE(prompter.texts(), QStringList{QStringLiteral("Nothing found.")});
            QCOMPARE(w->list()->selectedRows(), QList<int>{0});
        } else {
            QVERIFY(prompter.messages().isEmpty());
            QCOMPARE(w->list()->currentIndex(), found);
            QCOMPARE(w->list()->selectedRows(), QList<int>{found});
            // Find next goes on from there without asking, and stops at the end.
            w->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(w));
            QTest::keyClick(w->list(), Qt::Key_G, Qt::ControlModifier);
            QCOMPARE(prompter.texts(), QStringList{QStringLiteral("Nothing found.")});
        }
        QCOMPARE(tsReadLongFromINI(QStringLiteral("Search Settings"), QStringLiteral("Search Type"), -1,
                                   GetGroupSettingsFile()),
                 type);
    }

    void helpMenu()
    {
        tenPosts();
        test::ScriptedShell desktop;
        test::ScriptedPrompter prompter;
        frmPicturesList* w = open();
        QTest::keyClick(w->list(), Qt::Key_F1);
        QPointer<frmUserGuide> guide = frmUserGuide::Instance();
        QVERIFY(guide);
        QVERIFY(QTest::qWaitForWindowExposed(guide));
        QVERIFY(guide->browser()->toPlainText().startsWith(QStringLiteral("Ruvia user guide")));
        QVERIFY(desktop.opened.isEmpty());
        // F1 again brings back the same window, not a second one.
        w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w));
        QTest::keyClick(w->list(), Qt::Key_F1);
        QCOMPARE(frmUserGuide::Instance(), guide.data());
        const QWidgetList windows = QApplication::topLevelWidgets();
        QCOMPARE(std::count_if(windows.begin(), windows.end(),
                               [](QWidget* t) { return t->objectName() == u"frmUserGuide"; }),
                 1);
        QVERIFY(prompter.messages().isEmpty());
        guide->close();
        QTRY_VERIFY(!guide);
        QTest::keyClick(w->list(), Qt::Key_I, Qt::ControlModifier);
        QCOMPARE(prompter.messages().size(), 1);
        QVERIFY(prompter.last().text.startsWith(QStringLiteral("Traffic usage statistics\r\n")));
        QString aboutName;
        onNextModal([&](QWidget* about) {
            aboutName = about->objectName();
            static_cast<QDialog*>(about)->accept();
        });
        QTest::keyClick(w->list(), Qt::Key_F1, Qt::ShiftModifier);
        QCOMPARE(aboutName, QStringLiteral("frmAbout"));
    }

    void deleteLinksIsInert()
    {
        tenPosts();
        test::ScriptedPrompter prompter;
        frmPicturesList* w = open();
        select(w->list(), {0, 1});
        Q_EMIT child<QMenu>(w, "mnuPictureMain")->aboutToShow();
        QVERIFY(action(w, QStringLiteral("mnuPictureMain52"))->isEnabled());
        action(w, QStringLiteral("mnuPictureMain52"))->trigger();
        QVERIFY(prompter.messages().isEmpty());
        QCOMPARE(GetLinksCount(), 10);
        QCOMPARE(w->list()->count(), 10);
    }
};

QTEST_MAIN(TestLinksWindow)
#include "test_linkswindow.moc"
