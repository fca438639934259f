#include "guitest.h"
#include "lockholder.h"
#include "scriptedprompter.h"
#include "standin.h"
#include "testenv.h"

#include "base/linkbase.h"
#include "core/group.h"
#include "core/password.h"
#include "gui/frmgroupselector.h"
#include "gui/links/frmpictureslist.h"
#include "gui/links/lstpictures.h"
#include "platform/fileio.h"
#include "platform/paths.h"
#include "platform/proxysettings.h"
#include "platform/inifile.h"
#include "platform/settingsstore.h"
#include "support/statistics.h"

#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonObject>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>

using namespace ruvia;
using ruvia::test::child;
using ruvia::test::onNextModal;

namespace {
const QString kDemoMain = QStringLiteral("Demo Blog | demoblog.tumblr.com");
const QString kDemoSide = QStringLiteral("Demo Side Blog | demoside.tumblr.com");
const QString kCantAuthenticate = QStringLiteral("Can't authenicate on Tumblr.");

frmPicturesList* openLinksWindow() { return test::visibleWindow<frmPicturesList>(); }
} // namespace

class TestLogin : public QObject {
    Q_OBJECT
    test::TempProfile profile;
    test::StandIn standin;

    void storeState(const QString& email, const QString& password, const QStringList& groups,
                    const QString& last)
    {
        SettingsStore::writeText(QString(), QStringLiteral("E-Mail"), email);
        SettingsStore::writeText(QString(), QStringLiteral("Password"), EncodePassword(password));
        SettingsStore::writeText(QString(), QStringLiteral("Groups"), groups.join(QStringLiteral("\r\n")));
        SettingsStore::writeText(QString(), QStringLiteral("Last Group"), last);
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY2(standin.start({QStringLiteral("--demo")}), qPrintable(standin.errorOutput()));
        ProxySettings proxy;
        proxy.enabled = true;
        proxy.host = test::StandIn::host();
        proxy.port = standin.port();
        QVERIFY(proxy.Save());
    }

    void init()
    {
        standin.clearFaults();
        storeState(QString(), QString(), {}, QString());
    }

    void cleanup()
    {
        if (frmPicturesList* links = openLinksWindow())
            links->close();
        ReleaseGroupLock();
    }

    void enablingRules()
    {
        frmGroupSelector w;
        w.show();
        auto* get = child<QPushButton>(&w, "cmdGetGroups");
        auto* proceed = child<QPushButton>(&w, "cmdPostsList");
        auto* uploads = child<QPushButton>(&w, "cmdUploadsCheck");
        auto* stats = child<QPushButton>(&w, "cmdTotalStatistics");
        QCOMPARE(child<QPushButton>(&w, "cmdCancel")->text(), QStringLiteral("Exit"));
        QVERIFY(!get->isEnabled() && !proceed->isEnabled());
        QVERIFY(!uploads->isEnabled());
        QVERIFY(stats->isEnabled());
        child<QLineEdit>(&w, "txtEMail")->setText(QStringLiteral("demo@example.com"));
        QVERIFY(!get->isEnabled());
        child<QLineEdit>(&w, "txtPassword")->setText(QStringLiteral("demo"));
        QVERIFY(get->isEnabled());
        QVERIFY(!proceed->isEnabled());
        child<QComboBox>(&w, "cboGroup")->setEditText(QStringLiteral("x | x.tumblr.com"));
        QVERIFY(proceed->isEnabled());
        child<QLineEdit>(&w, "txtPassword")->clear();
        QVERIFY(!get->isEnabled() && !proceed->isEnabled());
    }

    void rememberedStateAndStaleLastGroup()
    {
        storeState(QStringLiteral("demo@example.com"), QStringLiteral("pässword"),
                   {kDemoMain, QStringLiteral("  "), kDemoSide}, QStringLiteral("Gone | gone.tumblr.com"));
        {
            frmGroupSelector w;
            auto* groups = child<QComboBox>(&w, "cboGroup");
            QCOMPARE(groups->count(), 2);
            QCOMPARE(groups->currentIndex(), 0);
            QCOMPARE(child<QLineEdit>(&w, "txtPassword")->text(), QStringLiteral("pässword"));
            QVERIFY(child<QPushButton>(&w, "cmdUploadsCheck")->isEnabled());
            groups->setCurrentIndex(1);
            w.show();
            w.close();
        }
        QCOMPARE(SettingsStore::readText(QString(), QStringLiteral("Last Group")), kDemoSide);
        QCOMPARE(DecodePassword(SettingsStore::readText(QString(), QStringLiteral("Password"))),
                 QStringLiteral("pässword"));
        QCOMPARE(SettingsStore::readText(QString(), QStringLiteral("Groups")),
                 kDemoMain + QStringLiteral("\r\n") + kDemoSide);
        // Matched without regard to case, as a combo box looks it up.
        SettingsStore::writeText(QString(), QStringLiteral("Last Group"), kDemoSide.toUpper());
        frmGroupSelector again;
        QCOMPARE(child<QComboBox>(&again, "cboGroup")->currentIndex(), 1);
    }

    void getFillsTheGroupBox()
    {
        test::ScriptedPrompter prompter;
        storeState(QStringLiteral("demo@example.com"), QStringLiteral("demo"), {}, QString());
        frmGroupSelector w;
        w.show();
        child<QPushButton>(&w, "cmdGetGroups")->click();
        auto* groups = child<QComboBox>(&w, "cboGroup");
        QCOMPARE(groups->count(), 2);
        QCOMPARE(groups->itemText(0), kDemoMain);
        QCOMPARE(groups->itemText(1), kDemoSide);
        QCOMPARE(groups->currentIndex(), 0);
        QVERIFY(prompter.messages().isEmpty());
        QVERIFY(!w.InProgress());
        QCOMPARE(QApplication::focusWidget() == groups || groups->isAncestorOf(QApplication::focusWidget()), true);
    }

    void escapeDuringGetStopsItAndNextGetRuns()
    {
        test::ScriptedPrompter prompter;
        storeState(QStringLiteral("demo@example.com"), QStringLiteral("demo"), {}, QString());
        QVERIFY(standin.addFault(QJsonObject{{QStringLiteral("endpoint"), QStringLiteral("authenticate")},
                                             {QStringLiteral("kind"), QStringLiteral("slow")},
                                             {QStringLiteral("chunkBytes"), 32},
                                             {QStringLiteral("chunkDelayMs"), 150}}));
        frmGroupSelector w;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        bool busySeen = false;
        QTimer::singleShot(400, &w, [&] {
            busySeen = w.InProgress() &&
                       child<QPushButton>(&w, "cmdCancel")->text() == QStringLiteral("Cancel") &&
                       !child<QLineEdit>(&w, "txtEMail")->isEnabled() &&
                       !child<QPushButton>(&w, "cmdTotalStatistics")->isEnabled();
            QTest::keyClick(&w, Qt::Key_Escape);
        });
        QElapsedTimer clock;
        clock.start();
        child<QPushButton>(&w, "cmdGetGroups")->click();
        QVERIFY(busySeen);
        QVERIFY(clock.elapsed() < 5000);
        QVERIFY(w.isVisible());
        QVERIFY(!w.InProgress());
        QCOMPARE(child<QComboBox>(&w, "cboGroup")->count(), 0);
        QCOMPARE(prompter.messages().size(), 1);
        QVERIFY(prompter.last().text.startsWith(kCantAuthenticate));

        child<QPushButton>(&w, "cmdGetGroups")->click();
        QCOMPARE(child<QComboBox>(&w, "cboGroup")->count(), 2);
        QCOMPARE(prompter.messages().size(), 1);
    }

    void proceedOpensTheGroupAndClosingReturns()
    {
        test::ScriptedPrompter prompter;
        storeState(QStringLiteral("demo@example.com"), QStringLiteral("demo"), {kDemoMain, kDemoSide}, kDemoSide);
        frmGroupSelector w;
        w.show();
        child<QPushButton>(&w, "cmdPostsList")->click();
        QVERIFY(prompter.messages().isEmpty());
        frmPicturesList* links = openLinksWindow();
        QVERIFY(links);
        QCOMPARE(links->windowTitle(), QStringLiteral("Ruvia :: Links :: demoside.tumblr.com"));
        QVERIFY(!w.isVisible());
        QCOMPARE(SET_GroupName, QStringLiteral("demoside.tumblr.com"));
        QCOMPARE(SET_EMail, QStringLiteral("demo@example.com"));
        QVERIFY(QFile::exists(GetGroupDataPath(kDemoSide) + QStringLiteral("/Links.XML")));
        QVERIFY(IsGroupLockHeld());
        // The group knows which kind of account opened it.
        QCOMPARE(tsReadStringFromINI(QStringLiteral("Service"), QStringLiteral("Account Kind"), {},
                                     GetGroupDataPath(kDemoSide) + QStringLiteral("/Settings.INI")),
                 QStringLiteral("API v1"));
        links->Statistics()->AddSentBytes(10);
        // Added in memory only: the close must write it.
        AddLink(QStringLiteral("4242"), QStringLiteral("kept.jpg"), QStringLiteral("me"));
        links->FillList();
        links->list()->setCurrentIndex(0);
        links->close();
        QVERIFY(w.isVisible());
        QVERIFY(!IsGroupLockHeld());
        QString saved;
        QVERIFY(FileObject::readText(GetGroupDataPath(kDemoSide) + QStringLiteral("/Links.XML"), saved));
        QVERIFY(saved.contains(QStringLiteral("PostID=\"4242\"")));
        QCOMPARE(tsReadLongFromINI(QStringLiteral("Post List"), QStringLiteral("Last Selected Index"), -1,
                                   GetGroupDataPath(kDemoSide) + QStringLiteral("/Settings.INI")),
                 0);
        QTRY_VERIFY(child<QComboBox>(&w, "cboGroup")->hasFocus() ||
                    child<QComboBox>(&w, "cboGroup")->isAncestorOf(QApplication::focusWidget()));
        QCOMPARE(tsReadLongFromINI(QStringLiteral("Statistics"), QStringLiteral("Total sent bytes"), 0,
                                   GetGroupDataPath(kDemoSide) + QStringLiteral("/Settings.INI")),
                 10);
    }

    void proceedFailures()
    {
        storeState(QStringLiteral("demo@example.com"), QStringLiteral("demo"), {kDemoMain}, kDemoMain);
        frmGroupSelector w;
        w.show();
        {
            // The lock held by another running program.
            test::ScriptedPrompter prompter;
            test::LockHolder other;
            QVERIFY(other.start(GroupLockName(QStringLiteral("demoblog.tumblr.com"))));
            child<QPushButton>(&w, "cmdPostsList")->click();
            QCOMPARE(prompter.messages().size(), 1);
            QVERIFY(prompter.last().text.startsWith(QStringLiteral("Can't open this group because")));
            QVERIFY(w.isVisible());
            QVERIFY(!openLinksWindow());
        }
        {
            // A file where the data folder should be.
            test::ScriptedPrompter prompter;
            QDir(GetGroupDataPath(kDemoMain)).removeRecursively();
            QFile blocker(GetGroupDataPath(kDemoMain));
            QVERIFY(blocker.open(QIODevice::WriteOnly));
            blocker.close();
            child<QPushButton>(&w, "cmdPostsList")->click();
            QFile::remove(GetGroupDataPath(kDemoMain));
            QCOMPARE(prompter.texts(), QStringList{GetGroupDataPath(kDemoMain) +
                                                   QStringLiteral("\r\n\r\nCan't create or open data folder.")});
            QVERIFY(w.isVisible());
            QVERIFY(!openLinksWindow());
        }
    }

    void choosingInActiveUploadsOpensTheGroup()
    {
        test::ScriptedPrompter prompter;
        storeState(QStringLiteral("demo@example.com"), QStringLiteral("demo"), {kDemoMain, kDemoSide}, kDemoMain);
        QDir().mkpath(GetGroupDataPath(kDemoSide));
        QVERIFY(FileObject::writeText(GetGroupDataPath(kDemoSide) + QStringLiteral("/Uploads.XML"),
                                      QStringLiteral("<Uploads><UploadItem/><UploadItem/></Uploads>")));
        frmGroupSelector w;
        w.show();
        onNextModal([](QWidget* modal) {
            QCOMPARE(modal->objectName(), QStringLiteral("frmUploadsCheck"));
            auto* list = child<QTreeWidget>(modal, "lvUploads");
            QCOMPARE(list->topLevelItemCount(), 1);
            QCOMPARE(list->topLevelItem(0)->text(1), QStringLiteral("2"));
            list->setCurrentItem(list->topLevelItem(0));
            QTest::keyClick(list, Qt::Key_Return);
        });
        QTest::keyClick(&w, Qt::Key_F6);
        QVERIFY(openLinksWindow());
        QCOMPARE(SET_GroupName, QStringLiteral("demoside.tumblr.com"));
        QCOMPARE(child<QComboBox>(&w, "cboGroup")->currentText(), kDemoSide);
        QVERIFY(!w.isVisible());
    }
};

int main(int argc, char** argv)
{
    if (const int rc = test::runLockHolder(argc, argv); rc >= 0)
        return rc;
    QApplication app(argc, argv);
    TestLogin test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_login.moc"
