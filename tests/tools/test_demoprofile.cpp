// ruvia-demoprofile against the stand-in, into a temporary profile: what the
// login window and the links window will find there.
#include "standin.h"
#include "testenv.h"

#include "base/linkbase.h"
#include "core/group.h"
#include "core/password.h"
#include "platform/proxysettings.h"
#include "platform/settingsstore.h"
#include "platform/textutil.h"
#include "support/history.h"
#include "upload/batchfolder.h"
#include "upload/batchurls.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace ruvia;

namespace {
const QString kEntry = QStringLiteral("Demo Blog | demoblog.tumblr.com");
const QString kSideEntry = QStringLiteral("Demo Side Blog | demoside.tumblr.com");
} // namespace

class TestDemoProfile : public QObject {
    Q_OBJECT
    test::TempProfile profile;
    test::StandIn standin;
    QJsonArray posts; // of demoblog, oldest first

    int runTool(const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment())
    {
        QProcess tool;
        tool.setProcessEnvironment(env);
        tool.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        tool.start(test::binDir() + QStringLiteral("/ruvia-demoprofile"),
                   {QStringLiteral("--port"), QString::number(standin.port())});
        if (!tool.waitForFinished(60000))
            return -1;
        return tool.exitStatus() == QProcess::NormalExit ? tool.exitCode() : -1;
    }

private Q_SLOTS:
    void initTestCase()
    {
        // Group locks live in the temporary folder and are machine-wide: a
        // folder of this test's own keeps them apart from the other tests'
        // locks of the demo group. The tool inherits it.
        const QString locks = profile.root() + QStringLiteral("/tmp");
        QVERIFY(QDir().mkpath(locks));
        qputenv("TMPDIR", locks.toLocal8Bit());
        QCOMPARE(QDir::tempPath(), locks);
        QVERIFY2(standin.start({QStringLiteral("--demo")}), qPrintable(standin.errorOutput()));
        for (const QJsonValue& v : standin.posts())
            if (v.toObject().value(QStringLiteral("blog")).toString() == QStringLiteral("demoblog"))
                posts.append(v);
        QVERIFY(posts.size() > 30);
        // Made twice: the second run replaces what the first made.
        QCOMPARE(runTool(), 0);
        QCOMPARE(runTool(), 0);
    }

    void loginWindowIsFilledIn()
    {
        QCOMPARE(SettingsStore::readText(QString(), QStringLiteral("E-Mail")),
                 QStringLiteral("demo@example.com"));
        QCOMPARE(DecodePassword(SettingsStore::readText(QString(), QStringLiteral("Password"))),
                 QStringLiteral("demo"));
        QCOMPARE(SettingsStore::readText(QString(), QStringLiteral("Groups")),
                 kEntry + QStringLiteral("\r\n") + kSideEntry);
        QCOMPARE(SettingsStore::readText(QString(), QStringLiteral("Last Group")), kEntry);
        ProxySettings proxy;
        proxy.Load();
        QVERIFY(proxy.isActive());
        QCOMPARE(proxy.host, QStringLiteral("127.0.0.1"));
        QCOMPARE(proxy.port, int(standin.port()));
        CHistory emails;
        emails.InitFileName(QString(), QStringLiteral("E-Mail History.DAT"));
        emails.LoadHistory();
        QCOMPARE(emails.Entries(), QStringList{QStringLiteral("demo@example.com")});
    }

    // The batch windows open on a folder of pictures and on addresses, one line of which is refused.
    void batchWindowsHaveSomethingToShow()
    {
        QVERIFY(OpenGroupFolders(kEntry));
        CBatchFolder batch;
        const QString folder = batch.Load();
        QCOMPARE(folder, profile.dataHome() + QStringLiteral("/Demo pictures"));
        QVERIFY(batch.SetCurrentPath(folder));
        QCOMPARE(batch.Files().size(), 6);
        for (const QString& name : batch.Files())
            QVERIFY2(!QImage(folder + u'/' + name).isNull(), qPrintable(name));
        const BatchUrlLines lines = SplitBatchUrls(LoadBatchUrlsText());
        QCOMPARE(lines.valid.size(), 3);
        QVERIFY(!lines.rejected.isEmpty());
        ReleaseGroupLock();
    }

    // Opened as "Proceed" opens it: the tool has let go of the group's lock.
    void linksBaseHoldsTheBlog()
    {
        QVERIFY(OpenGroupFolders(kEntry));
        QVERIFY(OpenLinksBase());
        QCOMPARE(GetLinksCount(), int(posts.size()));
        int resolved = 0;
        int thumbnails = 0;
        int pictures = 0;
        int ownName = 0;
        for (int i = 0; i < posts.size(); ++i) {
            const QJsonObject post = posts.at(i).toObject();
            const QString id = post.value(QStringLiteral("id")).toString();
            const QString name = post.value(QStringLiteral("originalFileName")).toString();
            QCOMPARE(GetLinksList().at(i), id + QStringLiteral(" :: ") + name);
            ownName += LinkAttribute(FindLink(id), "UserName") == tsGetFullUserName(true);
            if (!IsLinkResolved(id)) {
                QVERIFY(GetThumbnailURL(id).isEmpty());
                continue;
            }
            ++resolved;
            const QJsonObject urls = post.value(QStringLiteral("urls")).toObject();
            QCOMPARE(GetThumbnailURL(id), urls.value(QStringLiteral("250")).toString());
            QCOMPARE(GetPictureURL(id), urls.value(QStringLiteral("1280")).toString());
            QVERIFY(GetPostURL(id).endsWith(post.value(QStringLiteral("slug")).toString()));
            const int width = post.value(QStringLiteral("width")).toInt();
            if (QFile::exists(GetThumbnailFileName(id))) {
                const QImage thumbnail(GetThumbnailFileName(id));
                QVERIFY2(!thumbnail.isNull(), qPrintable(GetThumbnailFileName(id)));
                QCOMPARE(thumbnail.width(), qMin(250, width));
                ++thumbnails;
            }
            if (QFile::exists(GetPictureFileName(id))) {
                QCOMPARE(QImage(GetPictureFileName(id)).width(), qMin(1280, width));
                ++pictures;
            }
        }
        const int unresolved = int(posts.size()) - resolved;
        QVERIFY2(unresolved >= 3 && unresolved <= 8, qPrintable(QString::number(unresolved)));
        const int missing = resolved - thumbnails;
        QVERIFY2(missing >= 1 && missing <= 2, qPrintable(QString::number(missing)));
        QVERIFY(pictures >= 2 && pictures < resolved);
        QVERIFY(ownName > posts.size() / 2 && ownName < posts.size());
        ReleaseGroupLock();
    }

    void refusesTheUsersOwnProfile()
    {
        QTemporaryDir home;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HOME"), home.path());
        env.remove(QStringLiteral("XDG_CONFIG_HOME"));
        QCOMPARE(runTool(env), 2);
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.path() + QStringLiteral("/.config"));
        env.insert(QStringLiteral("XDG_DATA_HOME"), home.path() + QStringLiteral("/elsewhere"));
        QCOMPARE(runTool(env), 2);
        QCOMPARE(QDir(home.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
                 QStringList());
    }
};

QTEST_GUILESS_MAIN(TestDemoProfile)
#include "test_demoprofile.moc"
