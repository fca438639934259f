#include "../service/servicefixture.h"
#include "guitest.h"
#include "linksfixture.h"
#include "scriptedprompter.h"
#include "testenv.h"

#include "base/linkbase.h"
#include "base/templates.h"
#include "core/group.h"
#include "core/settings.h"
#include "gui/links/frmaddpostbyid.h"
#include "gui/links/frmcustomizetemplates.h"
#include "gui/links/frmpictureslist.h"
#include "gui/links/lstpictures.h"
#include "links/slots.h"
#include "links/templateeditor.h"
#include "platform/fileio.h"
#include "platform/textutil.h"
#include "service/postsubmit.h"
#include "support/statistics.h"

#include <QAction>
#include <QBuffer>
#include <QDialog>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>

using namespace ruvia;
using ruvia::test::child;
using ruvia::test::json;
using ruvia::test::onNextModal;

namespace {
const QString kEmail = QStringLiteral("dialogs@example.com");
const QString kPassword = QStringLiteral("pw");
const QString kBlog = QStringLiteral("dialogsblog.tumblr.com");

QAction* action(QWidget* w, const char* name) { return w->findChild<QAction*>(QString::fromLatin1(name)); }
} // namespace

class TestLinksDialogs : public QObject {
    Q_OBJECT
    test::TempProfile profile;
    test::StandIn standin;
    QPointer<frmPicturesList> m_window;

    frmPicturesList* openWindow()
    {
        m_window = new frmPicturesList(nullptr);
        m_window->show();
        if (!QTest::qWaitForWindowExposed(m_window))
            qWarning("links window not exposed");
        return m_window;
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY2(standin.start({QStringLiteral("--account"), kEmail + u':' + kPassword, QStringLiteral("--blog"),
                                kEmail + QStringLiteral(":dialogsblog:Dialogs")}),
                 qPrintable(standin.errorOutput()));
    }
    void init()
    {
        QFile::remove(profile.configHome() + QStringLiteral("/Corvanel Studios/Ruvia.ini"));
        ResetSettingsToDefaults();
        QVERIFY(test::pointProxyAt(standin.port()));
        standin.clearFaults();
        QVERIFY(test::OpenFreshGroup(kBlog));
        QFile::remove(SET_DataPath + QStringLiteral("/Uploads.XML"));
        SET_EMail = kEmail;
        SET_Password = kPassword;
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

    void addPostDefaults_data()
    {
        QTest::addColumn<QString>("uploads");
        QTest::addColumn<bool>("atto");
        QTest::addColumn<QString>("fileName");
        QTest::newRow("selected item") << "<Uploads><UploadItem><OriginalFileName>a.jpg</OriginalFileName></UploadItem>"
                                          "<UploadItem Selected='True'><OriginalFileName>b c.png</OriginalFileName></UploadItem></Uploads>"
                                       << true << "b c.png";
        QTest::newRow("none selected") << "<Uploads><UploadItem><OriginalFileName>a.jpg</OriginalFileName></UploadItem></Uploads>"
                                       << false << "";
        QTest::newRow("damaged list") << "<Uploads><UploadItem Selected='True'>" << true << "";
        QTest::newRow("no list") << "" << false << "";
    }
    void addPostDefaults()
    {
        QFETCH(QString, uploads);
        QFETCH(bool, atto);
        QFETCH(QString, fileName);
        if (!uploads.isEmpty())
            QVERIFY(FileObject::writeText(SET_DataPath + QStringLiteral("/Uploads.XML"), uploads));
        SET_AttoFormat = atto;
        test::ScriptedPrompter prompter;
        frmAddPostByID dialog;
        QCOMPARE(child<QLineEdit>(&dialog, "txtOriginalFileName")->text(), fileName);
        QCOMPARE(child<QLineEdit>(&dialog, "txtUploadedBy")->text(), tsGetFullUserName(atto));
        QVERIFY(child<QLineEdit>(&dialog, "txtUploadedBy")->text().contains(atto ? u'@' : u'\\'));
        QVERIFY(prompter.messages().isEmpty());
    }

    void addPostChecksTheId_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("stored");
        QTest::newRow("blanks around") << "  4711 " << "4711";
        QTest::newRow("empty") << "   " << "";
        QTest::newRow("minus") << "-5" << "";
        QTest::newRow("point") << "1.5" << "";
        QTest::newRow("letter") << "12a" << "";
    }
    void addPostChecksTheId()
    {
        QFETCH(QString, typed);
        QFETCH(QString, stored);
        test::ScriptedPrompter prompter;
        frmAddPostByID dialog;
        dialog.show();
        auto* id = child<QLineEdit>(&dialog, "txtPostID");
        id->setText(typed);
        child<QLineEdit>(&dialog, "txtOriginalFileName")->setText(QStringLiteral("mine.jpg"));
        child<QPushButton>(&dialog, "cmdOk")->click();
        if (stored.isEmpty()) {
            QCOMPARE(prompter.texts(), QStringList{QStringLiteral("Post ID must be combination of numbers!")});
            QVERIFY(dialog.isVisible());
            QCOMPARE(dialog.result(), 0);
            QCOMPARE(GetLinksCount(), 0);
            QTRY_VERIFY(id->hasFocus());
        } else {
            QVERIFY(prompter.messages().isEmpty());
            QCOMPARE(id->text(), stored);
            QCOMPARE(dialog.result(), int(QDialog::Accepted));
            QCOMPARE(GetLinksList(), QStringList{stored + QStringLiteral(" :: mine.jpg")});
            QVERIFY(!IsLinkResolved(stored));
            // Not written yet: the links window saves it later.
            QString onDisk;
            FileObject::readText(LinksBasePath(), onDisk);
            QVERIFY(!onDisk.contains(stored));
        }
    }

    void addedPostAppearsInTheListEvenWhenKnown()
    {
        test::AddPost(QStringLiteral("77"), QStringLiteral("first.jpg"), true);
        frmPicturesList* w = openWindow();
        QCOMPARE(w->list()->count(), 1);
        onNextModal([](QWidget* dialog) {
            child<QLineEdit>(dialog, "txtPostID")->setText(QStringLiteral("77"));
            child<QLineEdit>(dialog, "txtOriginalFileName")->setText(QStringLiteral("second.jpg"));
            child<QPushButton>(dialog, "cmdOk")->click();
        });
        action(w, "mnuBase5")->trigger();
        QCOMPARE(w->list()->count(), 2);
        QCOMPARE(w->list()->itemText(1), QStringLiteral("77 :: second.jpg"));
        QCOMPARE(GetLinksCount(), 2);
    }

    void templateEditorWorkingCopyRevertAndCancel()
    {
        test::ScriptedPrompter prompter;
        frmCustomizeTemplates dialog(nullptr);
        dialog.show();
        auto* list = child<QListWidget>(&dialog, "lstSlots");
        auto* title = child<QLineEdit>(&dialog, "txtTemplateTitle");
        auto* body = child<QPlainTextEdit>(&dialog, "txtTemplateBody");
        QCOMPARE(list->count(), 10);
        QCOMPARE(list->item(9)->text(), QStringLiteral("Template #10"));
        QCOMPARE(list->currentRow(), 0);
        QCOMPARE(title->text(), GetDefaultTemplateTitle(0));
        list->setCurrentRow(3);
        title->setText(QStringLiteral("Edited three"));
        list->item(6)->setCheckState(Qt::Unchecked);
        list->setCurrentRow(5);
        QCOMPARE(title->text(), GetDefaultTemplateTitle(5));
        QCOMPARE(body->toPlainText(), GetDefaultTemplateBody(5));
        list->setCurrentRow(3);
        QCOMPARE(title->text(), QStringLiteral("Edited three"));

        child<QPushButton>(&dialog, "cmdRevert")->click();
        QCOMPARE(list->currentRow(), 3);
        QCOMPARE(title->text(), GetDefaultTemplateTitle(3));
        QCOMPARE(list->item(6)->checkState(), Qt::Checked);
        title->setText(QStringLiteral("Changed again"));
        child<QPushButton>(&dialog, "cmdCancel")->click();
        QCOMPARE(LoadTemplate(3).title, GetDefaultTemplateTitle(3));
        QVERIFY(!SettingsStore::readText(QStringLiteral("Templates"), QStringLiteral("Title 3")).contains(u"again"));
        QVERIFY(prompter.messages().isEmpty());
    }

    void templateEditorKeys()
    {
        test::ScriptedPrompter prompter;
        frmCustomizeTemplates dialog(nullptr);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        auto* body = child<QPlainTextEdit>(&dialog, "txtTemplateBody");
        body->setFocus();
        body->moveCursor(QTextCursor::End);
        QTest::keyClick(body, Qt::Key_Return);
        QVERIFY(dialog.isVisible());
        QCOMPARE(body->toPlainText(), GetDefaultTemplateBody(0) + u'\n');
        QTest::keyClick(body, Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(body->textCursor().selectedText(), body->toPlainText().replace(u'\n', QChar::ParagraphSeparator));
        QTest::keyClick(body, Qt::Key_F1);
        QCOMPARE(prompter.texts(), QStringList{TemplateMasksHelp()});
        QCOMPARE(prompter.last().icon(), int(MB_ICONINFORMATION));
        QVERIFY(TemplateMasksHelp().endsWith(QStringLiteral(
            "\r\n\r\n• %PICTURE_URL_1280%, %PICTURE_URL_500%, %PICTURE_URL_400%, %PICTURE_URL_250%, "
            "%PICTURE_URL_100%, %PICTURE_URL_75% - URLs of different size variants of picture on server.")));
        auto* title = child<QLineEdit>(&dialog, "txtTemplateTitle");
        title->setFocus();
        QTest::keyClick(title, Qt::Key_Return);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(LoadTemplate(0).body, GetDefaultTemplateBody(0) + u'\n');
    }

    void uncheckingTemplateZeroRegroupsTheSlots()
    {
        test::AddPosts(3);
        SET_GroupVisibleSlots = true;
        frmPicturesList* w = openWindow();
        const int row0 = child<QLineEdit>(w, "txtSlot0")->y();
        onNextModal([](QWidget* dialog) {
            child<QListWidget>(dialog, "lstSlots")->item(0)->setCheckState(Qt::Unchecked);
            child<QPushButton>(dialog, "cmdOk")->click();
        });
        action(w, "mnuSettings1")->trigger();
        QVERIFY(!child<QLineEdit>(w, "txtSlot0")->isVisible());
        QVERIFY(!child<QLabel>(w, "lblTag0")->isVisible());
        QCOMPARE(child<QLineEdit>(w, "txtSlot1")->y(), row0);
        QVERIFY(!LoadTemplate(0).enabled);
    }

    void batchesFromTheMenuAndTheirStop()
    {
        // Three posts on the blog, unresolved in the base.
        QStringList ids;
        for (int i = 0; i < 3; ++i) {
            QImage image(800, 600, QImage::Format_RGB32);
            image.fill(QColor::fromHsv(i * 90, 200, 220));
            QByteArray bytes;
            QBuffer b(&bytes);
            b.open(QIODevice::WriteOnly);
            image.save(&b, "JPG", 95);
            QString id;
            QVERIFY(WritePost(kBlog, kEmail, kPassword, QString(), QString(), QString(), StatePublishNow, QString(),
                              bytes, QString(), nullptr, id));
            AddLink(id, QStringLiteral("p%1.jpg").arg(i), QStringLiteral("me"));
            ids.append(id);
        }
        test::ScriptedPrompter prompter;
        frmPicturesList* w = openWindow();
        auto* list = w->list();
        list->selectAllItems();
        bool busySeen = false;
        QTimer::singleShot(0, w, [&] { busySeen = w->InProgress() && !list->isEnabled(); });
        action(w, "mnuPictureMain50")->trigger();
        QVERIFY(busySeen);
        QVERIFY(!w->InProgress());
        for (const QString& id : ids)
            QVERIFY(IsLinkResolved(id));
        QCOMPARE(list->selectedRows(), QList<int>{2});
        QTRY_COMPARE(child<QLineEdit>(w, "txtSlot1")->text(), GetPictureURL(ids.at(2)) + u' ');
        QVERIFY(w->Statistics()->CurrentReceivedBytes > 0);

        // Esc and the close box stop a slow download; the window stays.
        for (bool closeBox : {false, true}) {
            QVERIFY(standin.addFault(json("{'endpoint':'picture','kind':'slow','chunkBytes':256,'chunkDelayMs':30,'always':true}")));
            list->selectAllItems();
            QTimer::singleShot(300, w, [&] {
                if (closeBox)
                    w->close();
                else
                    QTest::keyClick(list, Qt::Key_Escape);
            });
            action(w, "mnuPictureMain11")->trigger();
            QVERIFY(w->isVisible());
            QVERIFY(!w->InProgress());
            QVERIFY(!QFile::exists(GetPictureFileName(ids.at(0))));
            QCOMPARE(list->selectedRows(), (QList<int>{0, 1, 2}));
            standin.clearFaults();
        }
        QVERIFY(prompter.messages().isEmpty());
    }
};

QTEST_MAIN(TestLinksDialogs)
#include "test_linksdialogs.moc"
