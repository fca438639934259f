// The v2 account against the stand-in on loopback: signing in through the
// browser, the blogs, a post made and read back, renewed and refused
// tokens, and every class of failure the service answers with.
#include "scriptedprompter.h"
#include "servicefixture.h"
#include "standin.h"
#include "testenv.h"
#include "uploadfixture.h"
#include "v2fixture.h"

#include "core/settings.h"
#include "platform/settingsstore.h"
#include "platform/fileio.h"
#include "service/postlookup.h"
#include "service/postsubmit.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QTcpSocket>

using namespace ruvia;
using test::json;

namespace {

class CancellingView : public ISignInView {
public:
    void ShowSignInWaiting(const QString& address, bool opened) override
    {
        shown = address;
        browserOpened = opened;
    }
    bool SignInCancelRequested() override { return cancel; }
    QString shown;
    bool browserOpened = false;
    bool cancel = false;
};

} // namespace

class TestV2Service : public QObject {
    Q_OBJECT
    test::TempProfile profile;
    test::StandIn standin;
    std::shared_ptr<FileSecretStore> secrets;
    ServiceConfig config;
    const QString blog = QStringLiteral("mainblog.tumblr.com");

    std::unique_ptr<V2Account> signedIn()
    {
        auto account = std::make_unique<V2Account>(config);
        test::BrowserShell browser;
        if (!account->SignIn(nullptr, nullptr, 20000))
            return {};
        return account;
    }
    QJsonArray requestsOf(const QString& endpoint) { return standin.requests(endpoint); }
    QString grantOf(const QJsonObject& request)
    {
        return test::StandIn::field(request, QStringLiteral("grant_type")).value(QStringLiteral("value")).toString();
    }
    QString uuid()
    {
        QList<GroupEntry> groups;
        auto account = std::make_unique<V2Account>(config);
        account->LoadStoredSignIn();
        account->ListGroups(nullptr, groups);
        return groups.value(0).id;
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY2(standin.start(test::v2StandInArgs()), qPrintable(standin.errorOutput()));
        secrets = test::useSecretFile(profile.configHome());
    }

    void init()
    {
        ResetSettingsToDefaults();
        SET_Timeout = 20000;
        config = test::v2Config(standin);
        QVERIFY(config.Save());
        QVERIFY(V2Account::SaveClientSecret(config.clientId, test::kV2Secret));
        QVERIFY(standin.clearFaults());
        QVERIFY(standin.clearRequests());
    }

    void signInEndToEnd()
    {
        test::ScriptedPrompter prompter;
        test::BrowserShell browser;
        V2Account account(config);
        QVERIFY(account.SignIn(nullptr, nullptr, 20000));
        QVERIFY2(prompter.messages().isEmpty(), qPrintable(prompter.texts().join(u'\n')));

        const QUrlQuery asked(QUrl(browser.opened.value(0)));
        QCOMPARE(asked.queryItemValue(QStringLiteral("client_id")), test::kV2Client);
        QCOMPARE(asked.queryItemValue(QStringLiteral("response_type")), QStringLiteral("code"));
        QCOMPARE(asked.queryItemValue(QStringLiteral("scope"), QUrl::FullyDecoded),
                 QStringLiteral("basic write offline_access"));
        QCOMPARE(asked.queryItemValue(QStringLiteral("redirect_uri"), QUrl::FullyDecoded), config.redirectAddress);
        QVERIFY(browser.lastState().size() >= 43);
        QTRY_COMPARE(browser.pages.size(), 1);
        QVERIFY(browser.pages[0].contains(QStringLiteral("close this window")));

        // The code went back with the secret and the same redirect address.
        const QJsonObject exchange = requestsOf(QStringLiteral("token")).at(0).toObject();
        QCOMPARE(grantOf(exchange), QStringLiteral("authorization_code"));
        QCOMPARE(test::StandIn::field(exchange, QStringLiteral("client_secret")).value(QStringLiteral("value")).toString(),
                 test::kV2Secret);
        QCOMPARE(test::StandIn::field(exchange, QStringLiteral("redirect_uri")).value(QStringLiteral("value")).toString(),
                 config.redirectAddress);

        QCOMPARE(account.DisplayName(), QStringLiteral("mainblog"));
        QList<GroupEntry> groups;
        QVERIFY(account.ListGroups(nullptr, groups));
        QCOMPARE(groups.size(), 1);
        QCOMPARE(groups[0].text, QStringLiteral("Main Blog | mainblog.tumblr.com"));
        QVERIFY(groups[0].id.startsWith(QStringLiteral("t:")));

        // The listener took its one answer and is gone.
        QTcpSocket late;
        late.connectToHost(QStringLiteral("127.0.0.1"), quint16(QUrl(config.redirectAddress).port()));
        QVERIFY(!late.waitForConnected(1000));

        // Kept owner-only in the secret file, never in the settings file.
        QCOMPARE(QFile::permissions(secrets->Path()) & 0x0777 & ~(QFile::ReadUser | QFile::WriteUser),
                 QFileDevice::Permissions());
        QCOMPARE(QFile::permissions(secrets->Path()) & (QFile::ReadGroup | QFile::ReadOther), QFileDevice::Permissions());
        QByteArray ini;
        QVERIFY(FileObject::readBytes(SettingsStore::filePath(), ini));
        QVERIFY(!ini.contains(account.Tokens().accessToken.toUtf8()));
        QVERIFY(!ini.contains(test::kV2Secret.toUtf8()));
        // A later session takes the sign-in up again.
        V2Account later(config);
        QVERIFY(later.LoadStoredSignIn());
        QCOMPARE(later.DisplayName(), QStringLiteral("mainblog"));
    }

    void signInRefused_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("message");
        QTest::newRow("denied") << "denied" << "did not allow Ruvia";
        QTest::newRow("wrong state") << "state" << "did not belong to this sign-in";
        QTest::newRow("no answer") << "silent" << "did not come back";
        QTest::newRow("no browser") << "nobrowser" << "did not come back";
        QTest::newRow("code refused") << "token" << "refused the sign-in";
        QTest::newRow("plain remote address") << "http" << "not an https address";
        QTest::newRow("no secret") << "secret" << "consumer key and secret";
    }
    void signInRefused()
    {
        QFETCH(QString, how);
        QFETCH(QString, message);
        test::ScriptedPrompter prompter;
        test::BrowserShell browser;
        const QString redirect = config.redirectAddress;
        if (how == QStringLiteral("denied") || how == QStringLiteral("state"))
            browser.answer = [&](const QString& url) {
                const QString state = how == QStringLiteral("state")
                    ? QStringLiteral("forged")
                    : QUrlQuery(QUrl(url)).queryItemValue(QStringLiteral("state"), QUrl::FullyDecoded);
                return redirect + QStringLiteral("?error=access_denied&state=") + state;
            };
        browser.follow = how != QStringLiteral("silent");
        browser.opens = how != QStringLiteral("nobrowser");
        if (how == QStringLiteral("token"))
            QVERIFY(standin.addFault(json("{'endpoint':'token','kind':'v2error','status':401}")));
        if (how == QStringLiteral("http"))
            config.signInAddress = QStringLiteral("http://www.tumblr.com");
        if (how == QStringLiteral("secret"))
            QVERIFY(V2Account::SaveClientSecret(config.clientId, QString()));
        CancellingView view;
        V2Account account(config);
        QVERIFY(!account.SignIn(&view, nullptr, 1500));
        QVERIFY(!account.IsSignedIn());
        QCOMPARE(prompter.messages().size(), 1);
        QVERIFY2(prompter.last().text.contains(message), qPrintable(prompter.last().text));
        if (how == QStringLiteral("nobrowser")) {
            // The address is there for the user to open by hand.
            QVERIFY(!view.browserOpened);
            QVERIFY(view.shown.contains(QStringLiteral("client_id=")));
        }
        if (how == QStringLiteral("http") || how == QStringLiteral("secret"))
            QVERIFY(browser.opened.isEmpty());
    }

    void signInCancelled()
    {
        test::ScriptedPrompter prompter;
        test::BrowserShell browser;
        browser.follow = false;
        CancellingView view;
        view.cancel = true;
        V2Account account(config);
        QElapsedTimer timer;
        timer.start();
        QVERIFY(!account.SignIn(&view, nullptr, 60000));
        QVERIFY(timer.elapsed() < 5000);
        QVERIFY(prompter.messages().isEmpty());
    }

    void postFileAndAddressReadBack()
    {
        test::ScriptedPrompter prompter;
        auto account = signedIn();
        QVERIFY(account);
        const QString group = uuid();
        PhotoPost post;
        post.caption = QStringLiteral("A harbour");
        post.tags = QStringLiteral("sea, boats");
        post.clickThroughUrl = QStringLiteral("https://example.org/harbour");
        post.data = test::pictureBytes(1600, 900, qRgb(40, 120, 200));
        post.fileName = QStringLiteral("harbour.jpg");
        QString id;
        bool unconfirmed = true;
        QVERIFY(account->WritePhotoPost(group, post, nullptr, id, &unconfirmed));
        QVERIFY(!unconfirmed);
        // Past 2^53, kept exactly as the service wrote it.
        QVERIFY(id.toULongLong() > (1ULL << 53));
        const QJsonObject stored = standin.posts().last().toObject();
        QCOMPARE(stored.value(QStringLiteral("id")).toString(), id);
        QCOMPARE(stored.value(QStringLiteral("caption")).toString(), post.caption);
        QCOMPARE(stored.value(QStringLiteral("linkUrl")).toString(), post.clickThroughUrl);
        QCOMPARE(stored.value(QStringLiteral("originalFileName")).toString(), post.fileName);
        QCOMPARE(stored.value(QStringLiteral("dataSha256")).toString(),
                 QString::fromLatin1(QCryptographicHash::hash(post.data, QCryptographicHash::Sha256).toHex()));
        const QJsonObject create = requestsOf(QStringLiteral("create")).at(0).toObject();
        QCOMPARE(test::StandIn::fieldNames(create), QStringList({QStringLiteral("json"), QStringLiteral("img0")}));

        PostLinks links;
        QCOMPARE(account->ReadPostLinks(group, id, nullptr, links), int(LookupSuccess));
        const QStringList sizes = PostLinks::Sizes();
        for (int i = 0; i < sizes.size(); ++i) {
            HTTPRequest picture;
            QString host, path;
            int port = 0;
            QVERIFY2(HTTPRequest::ParseURL(links[i], host, port, path), qPrintable(links[i]));
            QVERIFY(IsLoopbackHost(host));
            picture.SetReplyLimit(kPictureReplyLimit);
            QVERIFY(picture.Send(host, port, QStringLiteral("GET"), path, {}, {}, {}, 10000, {}, nullptr));
            QImage image;
            QVERIFY(image.loadFromData(picture.GetResponseBody()));
            // 1600 wide: each size is scaled to it; the 75 is a square.
            QCOMPARE(image.width(), sizes[i].toInt());
        }
        QVERIFY(links[PostLinks::PostURL].endsWith(QStringLiteral("/post/") + id));
        QVERIFY(links[PostLinks::PostURLSlug].startsWith(links[PostLinks::PostURL]));

        // A picture address is fetched, checked and posted like a file.
        PhotoPost byAddress;
        byAddress.source = links[PostLinks::Picture500];
        QString second;
        QVERIFY(account->WritePhotoPost(group, byAddress, nullptr, second, &unconfirmed));
        QVERIFY(second != id);
        QCOMPARE(standin.posts().last().toObject().value(QStringLiteral("width")).toInt(), 500);

        QList<NewestPost> newest;
        QString cursor;
        QCOMPARE(account->ListNewestPosts(group, QString(), cursor, QStringLiteral("x"), nullptr, newest),
                 int(LookupSuccess));
        QVERIFY(newest.size() >= 2);
        QCOMPARE(newest[0].id, second);
        QCOMPARE(newest[1].id, id);
        QCOMPARE(newest[1].linkUrl, post.clickThroughUrl);
        // Only a file at the posted size says what was posted: the 500-wide
        // picture is one, the 1600-wide one is offered scaled down only.
        QCOMPARE(newest[0].size.width(), 500);
        QVERIFY(!newest[1].size.isValid());
        QVERIFY2(prompter.messages().isEmpty(), qPrintable(prompter.texts().join(u'\n')));
    }

    void notAPictureAddressIsRefusedBeforePosting()
    {
        test::ScriptedPrompter prompter;
        auto account = signedIn();
        QVERIFY(account);
        PhotoPost post;
        post.source = standin.baseUrl() + QStringLiteral("/_standin/posts");
        QString id;
        bool unconfirmed = true;
        QVERIFY(!account->WritePhotoPost(uuid(), post, nullptr, id, &unconfirmed));
        QVERIFY(!unconfirmed);
        QVERIFY(prompter.last().text.contains(QStringLiteral("not a picture")));
        QCOMPARE(requestsOf(QStringLiteral("create")).size(), 0);
    }

    void expiredTokenIsRenewedOnce()
    {
        test::ScriptedPrompter prompter;
        auto account = signedIn();
        QVERIFY(account);
        const QString group = uuid();
        const QString oldRefresh = account->Tokens().refreshToken;
        QVERIFY(standin.clearRequests());
        // The service refuses the token before our clock says it ran out.
        standin.control("POST", QStringLiteral("/_standin/tokens/expire"));
        PhotoPost post;
        post.data = test::pictureBytes(300, 200, qRgb(40, 120, 200));
        QString id;
        QVERIFY(account->WritePhotoPost(group, post, nullptr, id));
        QCOMPARE(requestsOf(QStringLiteral("create")).size(), 2);
        QCOMPARE(requestsOf(QStringLiteral("token")).size(), 1);
        QCOMPARE(grantOf(requestsOf(QStringLiteral("token")).at(0).toObject()), QStringLiteral("refresh_token"));
        // The rotated pair is what the store holds now.
        V2Account stored(config);
        QVERIFY(stored.LoadStoredSignIn());
        QCOMPARE(stored.Tokens().accessToken, account->Tokens().accessToken);
        QVERIFY(stored.Tokens().refreshToken != oldRefresh);
        QVERIFY(prompter.messages().isEmpty());
    }

    void refusedRenewalAsksToSignInAgain()
    {
        test::ScriptedPrompter prompter;
        auto account = signedIn();
        QVERIFY(account);
        const QString group = uuid();
        standin.control("POST", QStringLiteral("/_standin/tokens/revoke"));
        QVERIFY(standin.clearRequests());
        const int before = int(standin.posts().size());
        PhotoPost post;
        post.data = test::pictureBytes(300, 200, qRgb(40, 120, 200));
        QString id;
        bool unconfirmed = true;
        QVERIFY(!account->WritePhotoPost(group, post, nullptr, id, &unconfirmed));
        QVERIFY(!unconfirmed);
        QCOMPARE(prompter.messages().size(), 1);
        QVERIFY(prompter.last().text.contains(QStringLiteral("sign in again")));
        QCOMPARE(requestsOf(QStringLiteral("token")).size(), 1);
        QCOMPARE(int(standin.posts().size()), before);
        QVERIFY(!account->IsSignedIn());
        QVERIFY(!V2Account(config).LoadStoredSignIn());
        // No loop: the next call asks nothing of the service.
        PostLinks links;
        QCOMPARE(account->ReadPostLinks(group, QStringLiteral("1"), nullptr, links), int(LookupAbort));
        QCOMPARE(requestsOf(QStringLiteral("token")).size(), 1);
    }

    void failedWrites_data()
    {
        QTest::addColumn<QByteArray>("fault");
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("unconfirmed");
        QTest::newRow("upload limit") << QByteArray("{'endpoint':'create','kind':'v2error','status':403,'code':8004,"
                                                    "'headers':{'X-Ratelimit-Perday-Reset':'7200'}}")
                                      << "daily limit of picture uploads" << false;
        QTest::newRow("post limit") << QByteArray("{'endpoint':'create','kind':'v2error','status':403,'code':8023}")
                                    << "daily limit of new posts" << false;
        QTest::newRow("queue full") << QByteArray("{'endpoint':'create','kind':'v2error','status':403,'code':8022}")
                                    << "queue on Tumblr is full" << false;
        QTest::newRow("rate limit") << QByteArray("{'endpoint':'create','kind':'v2error','status':429,"
                                                  "'headers':{'X-Ratelimit-Perhour-Reset':'120'}}")
                                    << "resets in about 2 minutes" << false;
        QTest::newRow("web page") << QByteArray("{'endpoint':'create','kind':'status','status':403,'html':true}")
                                  << "web page (HTTP 403) instead of data" << false;
        QTest::newRow("server error") << QByteArray("{'endpoint':'create','kind':'v2error','status':503}")
                                      << "HTTP 503" << true;
        QTest::newRow("bad media") << QByteArray("{'endpoint':'create','kind':'v2error','status':400,'code':8005,"
                                                 "'detail':'Sorry, we do not support this media format yet'}")
                                   << "error 8005" << false;
        QTest::newRow("dropped after posting") << QByteArray("{'endpoint':'create','kind':'drop','when':'reply'}")
                                               << "Can't send post." << true;
    }
    void failedWrites()
    {
        QFETCH(QByteArray, fault);
        QFETCH(QString, message);
        QFETCH(bool, unconfirmed);
        test::ScriptedPrompter prompter;
        auto account = signedIn();
        QVERIFY(account);
        const QString group = uuid();
        QVERIFY(standin.addFault(json(fault.constData())));
        PhotoPost post;
        post.data = test::pictureBytes(300, 200, qRgb(40, 120, 200));
        QString id;
        bool maybe = !unconfirmed;
        QVERIFY(!account->WritePhotoPost(group, post, nullptr, id, &maybe));
        QCOMPARE(maybe, unconfirmed);
        QVERIFY(id.isEmpty());
        QCOMPARE(prompter.messages().size(), 1);
        QVERIFY2(prompter.last().text.contains(message), qPrintable(prompter.last().text));
        // A refusal is never repeated behind the user's back.
        QCOMPARE(requestsOf(QStringLiteral("create")).size(), 1);
    }

    void missingPostIsAskedAbout()
    {
        test::ScriptedPrompter prompter;
        auto account = signedIn();
        QVERIFY(account);
        prompter.queue({IDRETRY, IDIGNORE});
        PostLinks links;
        QCOMPARE(account->ReadPostLinks(uuid(), QStringLiteral("12345"), nullptr, links), int(LookupIgnore));
        QCOMPARE(prompter.messages().size(), 2);
        QVERIFY(prompter.last().text.contains(QStringLiteral("HTTP 404")));
        QCOMPARE(prompter.last().buttons(), int(MB_ABORTRETRYIGNORE));
        QCOMPARE(requestsOf(QStringLiteral("post")).size(), 2);
    }

    void withoutASecretStoreAnOwnerOnlyFile()
    {
        // No desktop secret store answers at a bus that is not there.
        qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/bus");
        SetSecretStore(nullptr);
        QVERIFY(Secrets().Description().contains(FileSecretStore::DefaultPath()));
        QVERIFY(FileSecretStore::DefaultPath().startsWith(profile.configHome()));
        QVERIFY(V2Account::SaveClientSecret(config.clientId, test::kV2Secret));
        QCOMPARE(QFile::permissions(FileSecretStore::DefaultPath())
                     & ~(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser),
                 QFileDevice::Permissions());
        QCOMPARE(V2Account::ClientSecret(config.clientId), test::kV2Secret);
        SetSecretStore(secrets);
    }

    void aRenamedBlogKeepsItsFolder()
    {
        test::ScriptedPrompter prompter;
        auto account = signedIn();
        QVERIFY(account);
        const QString id = uuid();
        QByteArray body = "{\"uuid\":\"" + id.toUtf8() + "\",\"name\":\"newname\"}";
        int status = 0;
        standin.control("POST", QStringLiteral("/_standin/blogs/rename"), body, &status);
        QCOMPARE(status, 200);
        QList<GroupEntry> groups;
        QVERIFY(account->ListGroups(nullptr, groups));
        standin.control("POST", QStringLiteral("/_standin/blogs/rename"),
                        "{\"uuid\":\"" + id.toUtf8() + "\",\"name\":\"mainblog\"}", &status);
        QCOMPARE(groups.value(0).id, id);
        QCOMPARE(groups.value(0).text, QStringLiteral("Main Blog | mainblog.tumblr.com"));
    }

    void plainRemoteApiIsRefused()
    {
        test::ScriptedPrompter prompter;
        auto account = signedIn();
        QVERIFY(account);
        QVERIFY(standin.clearRequests());
        ServiceConfig remote = config;
        remote.apiAddress = QStringLiteral("http://api.tumblr.com");
        V2Account plain(remote);
        QList<GroupEntry> groups;
        QVERIFY(!plain.ListGroups(nullptr, groups));
        QVERIFY(prompter.last().text.contains(QStringLiteral("not an https address")));
        QCOMPARE(standin.requests().size(), 0);
    }
};

QTEST_GUILESS_MAIN(TestV2Service)
#include "test_v2service.moc"
