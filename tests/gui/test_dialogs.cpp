#include "guitest.h"
#include "scriptedprompter.h"
#include "testenv.h"

#include "core/group.h"
#include "core/settings.h"
#include "gui/frmhistory.h"
#include "gui/frmoverview.h"
#include "gui/frmproxy.h"
#include "gui/frmsettings.h"
#include "gui/tbhooks.h"
#include "gui/toolbarproxy.h"
#include "platform/fileio.h"
#include "platform/inifile.h"
#include "platform/paths.h"
#include "platform/textutil.h"
#include "support/history.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QKeyEvent>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>
#include <QTreeWidget>

using namespace ruvia;
using ruvia::test::child;
using ruvia::test::onNextModal;

namespace {
const QString kMain = QStringLiteral("Main Blog | mainblog.tumblr.com");
const QString kSide = QStringLiteral("Side | sideblog.tumblr.com");
const QString kThird = QStringLiteral("Third | third.tumblr.com");

void writeStatistics(const QString& entry, qint32 sent, qint32 received)
{
    const QString file = tsBuildFileName(GetGroupDataPath(entry), QStringLiteral("Settings.INI"));
    QDir().mkpath(GetGroupDataPath(entry));
    QVERIFY(tsWriteLongToINI(QStringLiteral("Statistics"), QStringLiteral("Total sent bytes"), sent, file));
    QVERIFY(tsWriteLongToINI(QStringLiteral("Statistics"), QStringLiteral("Total received bytes"), received, file));
}

void writeUploads(const QString& entry, int items)
{
    QString xml = QStringLiteral("<?xml version=\"1.0\" encoding=\"utf-8\"?><Uploads>");
    for (int i = 0; i < items; ++i)
        xml += QStringLiteral("<UploadItem FileName=\"%1.jpg\"/>").arg(i);
    xml += QStringLiteral("</Uploads>");
    QDir().mkpath(GetGroupDataPath(entry));
    QVERIFY(FileObject::writeText(tsBuildFileName(GetGroupDataPath(entry), QStringLiteral("Uploads.XML")), xml));
}

class FakeToolBar : public IToolBarComponent {
public:
    explicit FakeToolBar(QStringList* log) : m_log(log) {}
    void ShowToolBar() override { m_log->append(QStringLiteral("show")); }
    void MarkForm(quintptr) override { m_log->append(QStringLiteral("mark")); }
    void UnMarkForm(quintptr) override { m_log->append(QStringLiteral("unmark")); }

private:
    QStringList* m_log;
};
} // namespace

class TestDialogs : public QObject {
    Q_OBJECT
    test::TempProfile profile;

    CHistory history(const QStringList& entries)
    {
        CHistory h;
        for (const QString& e : entries)
            h.Add(e);
        return h;
    }

private Q_SLOTS:
    void historyPickerAcceptsCancelsAndRefusesClose_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<bool>("taken");
        QTest::newRow("ok on second entry") << "ok" << true;
        QTest::newRow("double-click") << "double-click" << true;
        QTest::newRow("enter") << "enter" << true;
        QTest::newRow("cancel") << "cancel" << false;
        QTest::newRow("escape") << "escape" << false;
        QTest::newRow("close box") << "close" << false;
    }
    void historyPickerAcceptsCancelsAndRefusesClose()
    {
        QFETCH(QString, how);
        QFETCH(bool, taken);
        QWidget window;
        auto* box = new QLineEdit(QStringLiteral("typed"), &window);
        auto* other = new QLineEdit(&window);
        window.show();
        other->setFocus();
        const CHistory h = history({QStringLiteral("first@x.org"), QStringLiteral("second@x.org")});
        bool wasHiddenNotDeleted = false;
        onNextModal([&](QWidget* modal) {
            auto* list = child<QListWidget>(modal, "lstHistory");
            QCOMPARE(list->count(), 2);
            QCOMPARE(list->currentRow(), 0);
            list->setCurrentRow(1);
            if (how == u"ok")
                child<QPushButton>(modal, "cmdOk")->click();
            else if (how == u"double-click")
                Q_EMIT list->itemDoubleClicked(list->item(1));
            else if (how == u"enter")
                QTest::keyClick(modal, Qt::Key_Return);
            else if (how == u"cancel")
                child<QPushButton>(modal, "cmdCancel")->click();
            else if (how == u"escape")
                QTest::keyClick(modal, Qt::Key_Escape);
            else {
                QPointer<QWidget> guard(modal);
                modal->close();
                wasHiddenNotDeleted = guard && !guard->isVisible();
            }
        });
        QCOMPARE(ShowHistoryDialog(h, box), taken);
        QCOMPARE(box->text(), taken ? QStringLiteral("second@x.org") : QStringLiteral("typed"));
        if (taken)
            QCOMPARE(window.focusWidget(), box);
        if (how == u"close")
            QVERIFY(wasHiddenNotDeleted);
    }

    void emptyHistoryIsNotShown()
    {
        test::ScriptedPrompter prompter;
        QLineEdit box(QStringLiteral("kept"));
        QVERIFY(!ShowHistoryDialog(CHistory(), &box));
        QCOMPARE(prompter.texts(), QStringList{QStringLiteral("History empty.")});
        QCOMPARE(prompter.last().icon(), int(MB_ICONINFORMATION));
        QCOMPARE(box.text(), QStringLiteral("kept"));
    }

    void settingsMinimums_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("value");
        QTest::addColumn<int>("page");
        QTest::addColumn<QString>("message");
        QTest::newRow("timeout 0") << "txtTimeout" << "0" << 0 << "Invalid value. Minimum possible value is 1.";
        QTest::newRow("timeout text") << "txtTimeout" << "abc" << 0 << "Invalid value. Minimum possible value is 1.";
        QTest::newRow("max selection 1") << "txtMaxGroupSelection" << "1" << 1 << "Invalid value. Minimum possible value is 2.";
        QTest::newRow("hourglass 0") << "txtHourglassThreshold" << "0" << 1 << "Invalid value. Minimum possible value is 1.";
        QTest::newRow("hourglass 1 accepted") << "txtHourglassThreshold" << "1" << -1 << "";
        QTest::newRow("max selection 2 accepted") << "txtMaxGroupSelection" << " 2 " << -1 << "";
    }
    void settingsMinimums()
    {
        QFETCH(QString, field);
        QFETCH(QString, value);
        QFETCH(int, page);
        QFETCH(QString, message);
        ResetSettingsToDefaults();
        SaveSettings();
        test::ScriptedPrompter prompter;
        frmSettings dialog;
        dialog.show();
        auto* tabs = child<QTabWidget>(&dialog, "vsiMain");
        QCOMPARE(tabs->currentIndex(), 0);
        tabs->setCurrentIndex(3);
        auto* edit = child<QLineEdit>(&dialog, qPrintable(field));
        edit->setText(value);
        child<QCheckBox>(&dialog, "chkPaintMode")->setChecked(true);
        child<QPushButton>(&dialog, "cmdOk")->click();
        if (page < 0) {
            QVERIFY(prompter.messages().isEmpty());
            QCOMPARE(dialog.result(), int(QDialog::Accepted));
            QVERIFY(SET_PaintMode);
            LoadSettings();
            QVERIFY(SET_PaintMode);
            QCOMPARE(field == u"txtHourglassThreshold" ? SET_HourglassThreshold : SET_MaxGroupSelection,
                     value.trimmed().toInt());
            return;
        }
        QCOMPARE(prompter.texts(), QStringList{message});
        QCOMPARE(prompter.last().icon(), int(MB_ICONCRITICAL));
        QCOMPARE(tabs->currentIndex(), page);
        QVERIFY(dialog.isVisible());
        QVERIFY(!SET_PaintMode);
        LoadSettings();
        QVERIFY(!SET_PaintMode);
    }

    void settingsCancelChangesNothing()
    {
        ResetSettingsToDefaults();
        SET_Timeout = 1234;
        SaveSettings();
        frmSettings dialog;
        dialog.show();
        QCOMPARE(child<QLineEdit>(&dialog, "txtTimeout")->text(), QStringLiteral("1234"));
        QVERIFY(child<QCheckBox>(&dialog, "chkUploading_ResolvePosts")->isChecked());
        child<QCheckBox>(&dialog, "chkUploading_ResolvePosts")->setChecked(false);
        child<QLineEdit>(&dialog, "txtTimeout")->setText(QStringLiteral("99"));
        child<QPushButton>(&dialog, "cmdCancel")->click();
        QVERIFY(SET_ResolvePosts);
        QCOMPARE(SET_Timeout, 1234);
        LoadSettings();
        QVERIFY(SET_ResolvePosts);
        QCOMPARE(SET_Timeout, 1234);
    }

    void totalStatisticsRowsAndGrandTotal()
    {
        writeStatistics(kMain, 2147483647, 2147483647);
        writeStatistics(kSide, 0, 0);
        writeStatistics(kThird, 2147483647, 1000);
        QComboBox groups;
        groups.addItems({kMain, kSide, kThird});
        frmTotalStatistics window;
        window.ShowStatistics(&groups);
        QTreeWidget* list = child<QTreeWidget>(&window, "lvUploads");
        QCOMPARE(list->headerItem()->text(0), QStringLiteral("Group name"));
        QCOMPARE(list->headerItem()->text(3), QStringLiteral("Total"));
        QCOMPARE(list->topLevelItemCount(), 3);
        QCOMPARE(list->topLevelItem(0)->text(0), kMain);
        QCOMPARE(list->topLevelItem(0)->text(3), tsFormatByteSizeEx(2.0 * 2147483647.0));
        QCOMPARE(list->topLevelItem(1)->text(0), kThird);
        QTreeWidgetItem* total = list->topLevelItem(2);
        QCOMPARE(total->text(0), QStringLiteral("*** Grand total"));
        QCOMPARE(total->text(1), tsFormatByteSizeEx(2.0 * 2147483647.0));
        QCOMPARE(total->text(2), tsFormatByteSizeEx(2147483647.0 + 1000.0));
        QCOMPARE(total->text(3), tsFormatByteSizeEx(3.0 * 2147483647.0 + 1000.0));
        for (int c = 0; c < 4; ++c) {
            QVERIFY(total->font(c).bold());
            QCOMPARE(total->foreground(c).color(), QColor(255, 0, 0));
        }
    }

    void emptyGroupListShowsOnlyGrandTotal()
    {
        QComboBox groups;
        frmTotalStatistics stats;
        stats.ShowStatistics(&groups);
        QCOMPARE(stats.list()->topLevelItemCount(), 1);
        QCOMPARE(stats.list()->topLevelItem(0)->text(1), tsFormatByteSizeEx(0));
        frmUploadsCheck uploads;
        uploads.ShowUploads(&groups);
        QCOMPARE(uploads.list()->topLevelItemCount(), 0);
    }

    void activeUploadsRowsAndChoosing_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<int>("chosen");
        QTest::newRow("enter") << "enter" << 2;
        QTest::newRow("ctrl+enter does nothing, escape") << "ctrl-enter-escape" << -1;
        QTest::newRow("double-click") << "double-click" << 2;
        QTest::newRow("close box") << "close" << -1;
    }
    void activeUploadsRowsAndChoosing()
    {
        QFETCH(QString, how);
        QFETCH(int, chosen);
        writeUploads(kMain, 0);
        writeUploads(kThird, 3);
        QDir().mkpath(GetGroupDataPath(kSide));
        FileObject::writeText(tsBuildFileName(GetGroupDataPath(kSide), QStringLiteral("Uploads.XML")),
                              QStringLiteral("<Uploads><UploadItem>"));
        QComboBox groups;
        groups.addItems({kMain, kSide, kThird});
        frmUploadsCheck window;
        window.ShowUploads(&groups);
        QTreeWidget* list = window.list();
        QCOMPARE(list->topLevelItemCount(), 1);
        QCOMPARE(list->topLevelItem(0)->text(0), kThird);
        QCOMPARE(list->topLevelItem(0)->text(1), QStringLiteral("3"));
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        list->setCurrentItem(list->topLevelItem(0));
        if (how == u"enter") {
            QTest::keyClick(list, Qt::Key_Return);
        } else if (how == u"ctrl-enter-escape") {
            QTest::keyClick(list, Qt::Key_Return, Qt::ControlModifier);
            QVERIFY(window.isVisible());
            QTest::keyClick(list, Qt::Key_Escape);
        } else if (how == u"double-click") {
            const QPoint empty = list->viewport()->rect().bottomLeft() - QPoint(-5, 5);
            QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, empty);
            QVERIFY(window.isVisible());
            const QPoint row = list->visualItemRect(list->topLevelItem(0)).center();
            QTest::mousePress(list->viewport(), Qt::LeftButton, {}, row);
            QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, row);
        } else {
            window.close();
        }
        QVERIFY(!window.isVisible());
        QCOMPARE(window.Chosen(), chosen);
    }

    void proxyDialogStoresItsSection()
    {
        ProxySettings start;
        start.Save();
        onNextModal([](QWidget* modal) {
            child<QCheckBox>(modal, "chkEnabled")->setChecked(true);
            child<QLineEdit>(modal, "txtHost")->setText(QStringLiteral("proxy.local"));
            child<QLineEdit>(modal, "txtPort")->setText(QStringLiteral("3128"));
            child<QLineEdit>(modal, "txtUserName")->setText(QStringLiteral("me"));
            child<QPushButton>(modal, "cmdOk")->click();
        });
        ShowProxyDialog(nullptr);
        ProxySettings back;
        back.Load();
        QVERIFY(back.enabled);
        QCOMPARE(back.host, QStringLiteral("proxy.local"));
        QCOMPARE(back.port, 3128);
        QCOMPARE(back.userName, QStringLiteral("me"));
    }

    void ctrlASelectsAllInHookedBoxes()
    {
        // A box that leaves Ctrl+A to its owner, so only the hook can select
        // all, and that records every key that still reaches it.
        class PlainBox : public QPlainTextEdit {
          public:
            QList<int> keys;
          protected:
            void keyPressEvent(QKeyEvent* e) override
            {
                if (e->key() != Qt::Key_Control && e->key() != Qt::Key_Shift && e->key() != Qt::Key_Alt)
                    keys.append(e->key());
                if (e->key() == Qt::Key_A && (e->modifiers() & Qt::ControlModifier))
                    return;
                QPlainTextEdit::keyPressEvent(e);
            }
        };
        PlainBox box;
        box.setPlainText(QStringLiteral("caption text"));
        box.show();
        box.setFocus();
        auto caretAt = [&box](int pos) {
            QTextCursor c = box.textCursor();
            c.setPosition(pos);
            box.setTextCursor(c);
        };
        // Without the hook initialised the box behaves as its own.
        kzmTBHooks hook;
        hook.setTextBox(&box);
        caretAt(3);
        QTest::keyClick(&box, Qt::Key_A, Qt::ControlModifier);
        QVERIFY(!box.textCursor().hasSelection());
        QCOMPARE(box.keys, QList<int>{Qt::Key_A});

        hook.InitSelectAllHook();
        box.keys.clear();
        for (auto mods : {Qt::ControlModifier | Qt::ShiftModifier, Qt::KeyboardModifiers(Qt::AltModifier)}) {
            caretAt(3);
            QTest::keyClick(&box, Qt::Key_A, mods);
            QVERIFY(box.textCursor().selectedText() != QStringLiteral("caption text"));
        }
        QCOMPARE(box.keys.size(), 2);
        box.setPlainText(QStringLiteral("caption text"));
        caretAt(3);
        QTest::keyClick(&box, Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(box.textCursor().selectedText(), QStringLiteral("caption text"));
        QCOMPARE(box.toPlainText(), QStringLiteral("caption text"));
        // The hook took the key: the box never saw it.
        QCOMPARE(box.keys.size(), 2);
        hook.setTextBox(nullptr);
        QVERIFY(!hook.TextBox());
    }

    void toolBarCallsAreHarmlessWithoutComponent()
    {
        QStringList log;
        // A component that is registered but cannot be created, then none at all.
        for (bool registered : {true, false}) {
            DisconnectToolBar();
            RegisterToolBarFactory(registered ? ToolBarFactory([] { return std::unique_ptr<IToolBarComponent>(); })
                                              : ToolBarFactory());
            test::ScriptedPrompter prompter;
            ConnectToolBar();
            {
                frmSettings dialog;
                dialog.show();
                MarkToolBarForm(&dialog);
                UnMarkToolBarForm(&dialog);
            }
            QVERIFY(prompter.messages().isEmpty());
            // Later registration does not reach a proxy that has already given up.
            RegisterToolBarFactory([&log] { return std::make_unique<FakeToolBar>(&log); });
            QWidget w;
            MarkToolBarForm(&w);
            QVERIFY(log.isEmpty());
        }

        DisconnectToolBar();
        RegisterToolBarFactory([&log] { return std::make_unique<FakeToolBar>(&log); });
        ConnectToolBar();
        {
            test::ScriptedPrompter prompter;
            frmSettings dialog;
            MarkToolBarForm(&dialog);
            UnMarkToolBarForm(&dialog);
            QVERIFY(prompter.messages().isEmpty());
        }
        QCOMPARE(log, QStringList({QStringLiteral("show"), QStringLiteral("mark"), QStringLiteral("unmark")}));
        DisconnectToolBar();
        RegisterToolBarFactory(nullptr);
    }

    void overviewsAreCentred()
    {
        frmTotalStatistics window;
        const QRect screen = window.screen()->availableGeometry();
        QVERIFY(qAbs(window.frameGeometry().center().x() - screen.center().x()) <= 1);
        QVERIFY(qAbs(window.frameGeometry().center().y() - screen.center().y()) <= 1);
    }
};

QTEST_MAIN(TestDialogs)
#include "test_dialogs.moc"
