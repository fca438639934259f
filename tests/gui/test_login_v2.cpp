// The login window with the browser sign-in, against the stand-in's API v2
// on loopback: choose the kind, sign in, Get, Proceed, post from the upload
// window and find the posts in the links window; sign out; no browser.
#include "guitest.h"
#include "scriptedfiledialogs.h"
#include "scriptedprompter.h"
#include "standin.h"
#include "testenv.h"
#include "uploadfixture.h"
#include "v2fixture.h"

#include "core/group.h"
#include "gui/frmgroupselector.h"
#include "gui/links/frmpictureslist.h"
#include "gui/links/lstpictures.h"
#include "gui/upload/frmuploader.h"
#include "platform/settingsstore.h"
#include "service/account.h"

#include <QComboBox>
#include <QJsonArray>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QTreeView>

#include <memory>

using namespace ruvia;
using test::child;

namespace {

frmPicturesList* openLinksWindow() { return test::visibleWindow<frmPicturesList>(); }

} // namespace

class TestLoginV2 : public QObject {
    Q_OBJECT
    test::TempProfile profile;
    test::StandIn standin;
    ServiceConfig config;

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY2(standin.start(test::v2StandInArgs()), qPrintable(standin.errorOutput()));
        test::useSecretFile(profile.configHome());
        config = test::v2Config(standin);
        QVERIFY(config.Save());
        QVERIFY(V2Account::SaveClientSecret(config.clientId, test::kV2Secret));
    }

    void cleanup()
    {
        if (frmPicturesList* links = openLinksWindow())
            links->close();
        V2Account(config).SignOut();
    }

    void aNewProfileSignsInWithTheBrowser()
    {
        frmGroupSelector w;
        w.show();
        QCOMPARE(child<QComboBox>(&w, "cboAccountKind")->currentText(),
                 QStringLiteral("Tumblr (sign in with the browser)"));
        QVERIFY(!child<QLineEdit>(&w, "txtEMail")->isVisible());
        QVERIFY(!child<QLineEdit>(&w, "txtPassword")->isVisible());
        QVERIFY(child<QPushButton>(&w, "cmdSignIn")->isVisible());
        // Not signed in: nothing to get, nowhere to proceed.
        QVERIFY(!child<QPushButton>(&w, "cmdGetGroups")->isEnabled());
        QVERIFY(!child<QPushButton>(&w, "cmdSignOut")->isEnabled());
        // The other kind, remembered.
        child<QComboBox>(&w, "cboAccountKind")->setCurrentIndex(1);
        QVERIFY(child<QLineEdit>(&w, "txtEMail")->isVisible());
        QVERIFY(!child<QPushButton>(&w, "cmdSignIn")->isVisible());
        w.close();
        frmGroupSelector again;
        QCOMPARE(child<QComboBox>(&again, "cboAccountKind")->currentIndex(), 1);
        child<QComboBox>(&again, "cboAccountKind")->setCurrentIndex(0);
        again.close();
    }

    void signInGetProceedAndPost()
    {
        test::ScriptedPrompter prompter;
        test::ScriptedFileDialogs dialogs;
        test::BrowserShell browser;
        const QString pictures = profile.root() + QStringLiteral("/Pictures");
        QVERIFY(test::writeFile(pictures + QStringLiteral("/one.jpg"), test::pictureBytes(640, 480, qRgb(30, 120, 220))));
        QVERIFY(test::writeFile(pictures + QStringLiteral("/two.jpg"), test::pictureBytes(480, 640, qRgb(220, 120, 30))));

        auto login = std::make_unique<frmGroupSelector>();
        login->show();
        child<QPushButton>(login.get(), "cmdSignIn")->click();
        QCOMPARE(child<QLineEdit>(login.get(), "txtAccountName")->text(), QStringLiteral("mainblog"));
        // Signing in lists the blogs at once.
        QCOMPARE(login->groupBox()->currentText(), QStringLiteral("Main Blog | mainblog.tumblr.com"));
        QVERIFY(child<QPushButton>(login.get(), "cmdSignOut")->isEnabled());
        child<QPushButton>(login.get(), "cmdPostsList")->click();
        frmPicturesList* links = openLinksWindow();
        QVERIFY(links);
        QCOMPARE(CurrentAccount().Kind(), AccountKind::V2);
        QVERIFY(SET_GroupId.startsWith(QStringLiteral("t:")));
        QCOMPARE(SET_EMail, QStringLiteral("mainblog"));

        test::onNextModal([&](QWidget* modal) {
            auto* w = qobject_cast<frmUploader*>(modal);
            QVERIFY(w);
            auto* tasks = child<QTreeView>(w, "lvTasks");
            child<QPlainTextEdit>(w, "txtCaption")->setPlainText(QStringLiteral("First"));
            dialogs.queue(pictures + QStringLiteral("/one.jpg"));
            QTest::keyClick(tasks, Qt::Key_Insert);
            child<QPlainTextEdit>(w, "txtCaption")->setPlainText(QStringLiteral("Second"));
            dialogs.queue(pictures + QStringLiteral("/two.jpg"));
            QTest::keyClick(tasks, Qt::Key_Insert);
            child<QPushButton>(w, "cmdUpload")->click();
            QCOMPARE(w->List().count(), 0);
            QTest::keyClick(w, Qt::Key_Escape);
        });
        links->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(links));
        QTest::keyClick(links->list(), Qt::Key_F6);
        QCOMPARE(prompter.texts(), QStringList{QStringLiteral("All done ^_^v")});

        QCOMPARE(links->list()->count(), 2);
        links->list()->selectionModel()->clearSelection();
        links->list()->setCurrentIndex(1);
        links->list()->selectRange(1, 1, true);
        // The slots fill from the post as it was read back.
        const QString id = standin.posts().last().toObject().value(QStringLiteral("id")).toString();
        QVERIFY(links->list()->itemText(1).startsWith(id + QStringLiteral(" :: two.jpg")));
        QTRY_COMPARE(child<QLineEdit>(links, "txtSlot0")->text().trimmed(),
                     QStringLiteral("https://mainblog.tumblr.com/post/%1/second").arg(id));
        links->close();
        QVERIFY(login->isVisible());
    }

    void signOutForgetsTheSignIn()
    {
        test::ScriptedPrompter prompter;
        test::BrowserShell browser;
        frmGroupSelector w;
        w.show();
        child<QPushButton>(&w, "cmdSignIn")->click();
        QVERIFY(V2Account(config).LoadStoredSignIn());
        child<QPushButton>(&w, "cmdSignOut")->click();
        QVERIFY(!V2Account(config).LoadStoredSignIn());
        QVERIFY(child<QLineEdit>(&w, "txtAccountName")->text().isEmpty());
        QVERIFY(!child<QPushButton>(&w, "cmdGetGroups")->isEnabled());
        QVERIFY(!child<QPushButton>(&w, "cmdPostsList")->isEnabled());
    }

    void withoutABrowserTheAddressIsShown()
    {
        test::ScriptedPrompter prompter;
        test::BrowserShell browser;
        browser.opens = false;
        frmGroupSelector w;
        w.show();
        QString shown;
        bool busy = false;
        QTimer::singleShot(300, &w, [&] {
            shown = child<QLineEdit>(&w, "txtSignInAddress")->isVisible()
                ? child<QLineEdit>(&w, "txtSignInAddress")->text()
                : QString();
            busy = !child<QComboBox>(&w, "cboAccountKind")->isEnabled();
            child<QPushButton>(&w, "cmdCancel")->click();
        });
        child<QPushButton>(&w, "cmdSignIn")->click();
        QVERIFY(busy);
        QVERIFY2(shown.startsWith(config.AuthorizeAddress() + u'?'), qPrintable(shown));
        QVERIFY(shown.contains(QStringLiteral("client_id=") + test::kV2Client));
        // Cancelled: no message, not signed in, the window idle again.
        QVERIFY(prompter.messages().isEmpty());
        QVERIFY(child<QLineEdit>(&w, "txtAccountName")->text().isEmpty());
        QVERIFY(child<QComboBox>(&w, "cboAccountKind")->isEnabled());
    }
};

QTEST_MAIN(TestLoginV2)
#include "test_login_v2.moc"
