// The stand-in's API v2 and OAuth 2 sign-in, spoken to over loopback as a
// client reaching it directly would.
#include "rawhttp.h"
#include "standin.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QImage>
#include <QJsonDocument>
#include <QRegularExpression>
#include <QTcpSocket>
#include <QTest>
#include <QTimeZone>
#include <QUrlQuery>

using namespace Qt::StringLiterals;
using ruvia::test::StandIn;

namespace {

const QString kRedirect = u"http://127.0.0.1:8123/callback"_s;
const QByteArray& kBoundary = ruvia::test::kFormBoundary;


using Part = ruvia::test::FormField;
using ruvia::test::Reply;
using ruvia::test::readReply;
using ruvia::test::waitForBytes;
using ruvia::test::multipart;
using ruvia::test::urlEncoded;


QByteArray picture(int width, int height, const char* format)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, qRgb(x % 256, y % 256, (x * y) % 256));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

Reply exchange(quint16 port, const QByteArray& raw)
{
    Reply reply;
    QTcpSocket socket;
    socket.connectToHost(u"127.0.0.1"_s, port);
    if (!socket.waitForConnected(5000))
        return reply;
    socket.write(raw);
    QByteArray buffer;
    return readReply(socket, buffer);
}

QString queryValue(const QByteArray& location, const QString& name)
{
    return QUrlQuery(QUrl::fromEncoded(location)).queryItemValue(name, QUrl::FullyDecoded);
}

} // namespace

class TestStandInV2 : public QObject {
    Q_OBJECT

  private:
    StandIn m_standin;
    QString m_access;
    QString m_mainUuid;

    Reply send(const QByteArray& method, const QByteArray& target, const QByteArray& body = {},
               const QByteArray& contentType = {}, const QString& token = {},
               StandIn* to = nullptr)
    {
        StandIn& s = to ? *to : m_standin;
        QByteArray r = method + ' ' + target +
                       " HTTP/1.1\r\nHost: 127.0.0.1:" + QByteArray::number(s.port()) +
                       "\r\nConnection: close\r\n";
        if (!token.isEmpty())
            r += "Authorization: Bearer " + token.toLatin1() + "\r\n";
        if (!contentType.isEmpty())
            r += "Content-Type: " + contentType + "\r\n";
        if (method == "POST")
            r += "Content-Length: " + QByteArray::number(body.size()) + "\r\n";
        return exchange(s.port(), r + "\r\n" + body);
    }
    Reply get(const QByteArray& target, const QString& token)
    {
        return send("GET", target, {}, {}, token);
    }

    Reply tokenRequest(const QList<Part>& fields, bool asMultipart, StandIn* to = nullptr)
    {
        return asMultipart ? send("POST", "/v2/oauth2/token", multipart(fields),
                                  "multipart/form-data; boundary=" + kBoundary, {}, to)
                           : send("POST", "/v2/oauth2/token", urlEncoded(fields),
                                  "application/x-www-form-urlencoded", {}, to);
    }

    QByteArray authorizeTarget(const QString& state = u"st8"_s,
                               const QString& scope = u"basic write offline_access"_s)
    {
        QUrlQuery q;
        q.addQueryItem(u"client_id"_s, u"app"_s);
        q.addQueryItem(u"response_type"_s, u"code"_s);
        q.addQueryItem(u"scope"_s, scope);
        q.addQueryItem(u"state"_s, state);
        q.addQueryItem(u"redirect_uri"_s, kRedirect);
        return "/oauth2/authorize?" + q.toString(QUrl::FullyEncoded).toLatin1();
    }

    // A code from the auto-approving sign-in page.
    QString newCode()
    {
        const Reply r = send("GET", authorizeTarget());
        return r.status == 302 ? queryValue(r.header("Location"), u"code"_s) : QString();
    }

    QJsonObject exchangeCode(const QString& code, StandIn* to = nullptr)
    {
        return tokenRequest({{"grant_type", "authorization_code"},
                             {"code", code.toLatin1()},
                             {"client_id", "app"},
                             {"client_secret", "s3cret"},
                             {"redirect_uri", kRedirect.toLatin1()}},
                            true, to)
            .json();
    }

    Reply refresh(const QString& refreshToken)
    {
        return tokenRequest({{"grant_type", "refresh_token"},
                             {"refresh_token", refreshToken.toLatin1()},
                             {"client_id", "app"},
                             {"client_secret", "s3cret"}},
                            false);
    }

    Reply create(const QByteArray& blog, const QJsonObject& params, const QList<Part>& files,
                 const QString& token = {})
    {
        QList<Part> parts{
            {"json", QJsonDocument(params).toJson(QJsonDocument::Compact), {}, "application/json"}};
        parts += files;
        return send("POST", "/v2/blog/" + blog + "/posts", multipart(parts),
                    "multipart/form-data; boundary=" + kBoundary,
                    token.isEmpty() ? m_access : token);
    }

    static QJsonObject photoParams(const QString& state = u"published"_s)
    {
        return {{u"content"_s,
                 QJsonArray{QJsonObject{{u"type"_s, u"text"_s}, {u"text"_s, u"Harbour at dawn"_s}},
                            QJsonObject{{u"type"_s, u"image"_s},
                                        {u"media"_s,
                                         QJsonArray{QJsonObject{{u"type"_s, u"image/png"_s},
                                                                {u"identifier"_s, u"img0"_s}}}}}}},
                {u"state"_s, state}};
    }

    QString createPhoto(const QByteArray& blog, const QJsonObject& params)
    {
        const Reply r =
            create(blog, params, {{"img0", picture(120, 90, "PNG"), "p.png", "image/png"}});
        return r.status == 201 ? r.response().value(u"id"_s).toString() : QString();
    }

  private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY2(m_standin.start({u"--account"_s, u"me@example.com:pw"_s, u"--blog"_s,
                                  u"me@example.com:mainblog:Main Blog"_s, u"--blog"_s,
                                  u"me@example.com:sideblog:Side Blog"_s, u"--account"_s,
                                  u"other@example.com:pw"_s, u"--blog"_s,
                                  u"other@example.com:otherblog:Other"_s, u"--client"_s,
                                  u"app:s3cret"_s, u"--auto-approve-as"_s, u"me@example.com"_s,
                                  u"--token-lifetime"_s, u"3600"_s}),
                 qPrintable(m_standin.errorOutput()));
        const QJsonObject token = exchangeCode(newCode());
        m_access = token.value(u"access_token"_s).toString();
        QVERIFY(!m_access.isEmpty());
        const QJsonArray blogs = get("/v2/user/info", m_access)
                                     .response()
                                     .value(u"user"_s)
                                     .toObject()
                                     .value(u"blogs"_s)
                                     .toArray();
        m_mainUuid = blogs.first().toObject().value(u"uuid"_s).toString();
        QVERIFY(!m_mainUuid.isEmpty());
    }

    void init()
    {
        QVERIFY(m_standin.clearFaults());
        QVERIFY(m_standin.clearRequests());
    }

    void signInAndRefreshRotation()
    {
        const Reply authorize = send("GET", authorizeTarget(u"a b&c"_s));
        QCOMPARE(authorize.status, 302);
        const QByteArray location = authorize.header("Location");
        QVERIFY2(location.startsWith(kRedirect.toLatin1() + '?'), location.constData());
        QCOMPARE(queryValue(location, u"state"_s), u"a b&c"_s);
        const QString code = queryValue(location, u"code"_s);
        QVERIFY(!code.isEmpty());

        const Reply first = tokenRequest({{"grant_type", "authorization_code"},
                                          {"code", code.toLatin1()},
                                          {"client_id", "app"},
                                          {"client_secret", "s3cret"},
                                          {"redirect_uri", kRedirect.toLatin1()}},
                                         true);
        QCOMPARE(first.status, 200);
        QVERIFY(first.header("Content-Type").startsWith("application/json"));
        const QJsonObject t1 = first.json();
        QCOMPARE(t1.value(u"token_type"_s).toString(), u"bearer"_s);
        QCOMPARE(t1.value(u"expires_in"_s).toInt(), 3600);
        QCOMPARE(t1.value(u"scope"_s).toString(), u"basic write offline_access"_s);
        QCOMPARE(t1.value(u"id_token"_s), QJsonValue(false));
        const QString refresh1 = t1.value(u"refresh_token"_s).toString();
        QVERIFY(!refresh1.isEmpty());

        const Reply reused = tokenRequest({{"grant_type", "authorization_code"},
                                           {"code", code.toLatin1()},
                                           {"client_id", "app"},
                                           {"client_secret", "s3cret"},
                                           {"redirect_uri", kRedirect.toLatin1()}},
                                          false);
        QCOMPARE(reused.status, 401);
        QCOMPARE(reused.json().value(u"error"_s).toString(), u"invalid_grant"_s);

        const Reply second = refresh(refresh1);
        QCOMPARE(second.status, 200);
        const QString access2 = second.json().value(u"access_token"_s).toString();
        const QString refresh2 = second.json().value(u"refresh_token"_s).toString();
        QVERIFY(!access2.isEmpty() && access2 != t1.value(u"access_token"_s).toString());
        QVERIFY(!refresh2.isEmpty() && refresh2 != refresh1);

        const Reply stale = refresh(refresh1);
        QCOMPARE(stale.status, 401);
        QCOMPARE(stale.json().value(u"error"_s).toString(), u"invalid_grant"_s);
        QCOMPARE(get("/v2/user/info", access2).status, 200);
        QCOMPARE(get("/v2/user/info", t1.value(u"access_token"_s).toString()).status, 200);
        QCOMPARE(refresh(refresh2).status, 200);
    }

    void tokenErrors_data()
    {
        QTest::addColumn<QList<QByteArray>>("fields"); // name=value; CODE is a fresh code
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("error");
        const QByteArray redirect = "redirect_uri=" + kRedirect.toLatin1();
        QTest::newRow("wrong secret")
            << QList<QByteArray>{"grant_type=authorization_code", "code=CODE", "client_id=app",
                                 "client_secret=nope", redirect}
            << 401 << u"invalid_client"_s;
        QTest::newRow("unknown client")
            << QList<QByteArray>{"grant_type=authorization_code", "code=CODE", "client_id=who",
                                 "client_secret=s3cret", redirect}
            << 401 << u"invalid_client"_s;
        QTest::newRow("redirect differs")
            << QList<QByteArray>{"grant_type=authorization_code", "code=CODE", "client_id=app",
                                 "client_secret=s3cret",
                                 "redirect_uri=http://127.0.0.1:8124/callback"}
            << 401 << u"invalid_grant"_s;
        QTest::newRow("redirect left out")
            << QList<QByteArray>{"grant_type=authorization_code", "code=CODE", "client_id=app",
                                 "client_secret=s3cret"}
            << 401 << u"invalid_grant"_s;
        QTest::newRow("made-up code")
            << QList<QByteArray>{"grant_type=authorization_code", "code=abc", "client_id=app",
                                 "client_secret=s3cret", redirect}
            << 401 << u"invalid_grant"_s;
        QTest::newRow("made-up refresh token")
            << QList<QByteArray>{"grant_type=refresh_token", "refresh_token=abc", "client_id=app",
                                 "client_secret=s3cret"}
            << 401 << u"invalid_grant"_s;
        QTest::newRow("no code") << QList<QByteArray>{"grant_type=authorization_code",
                                                      "client_id=app", "client_secret=s3cret",
                                                      redirect}
                                 << 400 << u"invalid_request"_s;
        QTest::newRow("no secret") << QList<QByteArray>{"grant_type=authorization_code",
                                                        "code=CODE", "client_id=app", redirect}
                                   << 400 << u"invalid_request"_s;
        QTest::newRow("password grant")
            << QList<QByteArray>{"grant_type=password", "client_id=app", "client_secret=s3cret"}
            << 400 << u"unsupported_grant_type"_s;
    }
    void tokenErrors()
    {
        QFETCH(QList<QByteArray>, fields);
        QFETCH(int, status);
        QFETCH(QString, error);
        const QString code = newCode();
        QList<Part> parts;
        for (const QByteArray& f : fields) {
            const qsizetype eq = f.indexOf('=');
            parts.append({f.left(eq), f.mid(eq + 1) == "CODE" ? code.toLatin1() : f.mid(eq + 1)});
        }
        const Reply r = tokenRequest(parts, true);
        QCOMPARE(r.status, status);
        QCOMPARE(r.json().value(u"error"_s).toString(), error);
        QVERIFY(!r.json().value(u"error_description"_s).toString().isEmpty());
        QVERIFY(!r.json().contains(u"access_token"_s));
    }

    void authorizeRefusals_data()
    {
        QTest::addColumn<QByteArray>("query");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("error"); // in the redirect; empty for a 400 page
        const QByteArray redirect = "&redirect_uri=" + QUrl::toPercentEncoding(kRedirect);
        QTest::newRow("unknown client")
            << "client_id=x&response_type=code&scope=basic&state=s" + redirect << 400 << QString();
        QTest::newRow("implicit grant")
            << "client_id=app&response_type=token&scope=basic&state=s" + redirect << 400
            << QString();
        QTest::newRow("no redirect")
            << QByteArray("client_id=app&response_type=code&scope=basic&state=s") << 400
            << QString();
        QTest::newRow("outside redirect")
            << QByteArray("client_id=app&response_type=code&scope=basic&state=s&redirect_uri=http%"
                          "3A%2F%2Fexample.org%2Fcb")
            << 400 << QString();
        QTest::newRow("custom scheme") << QByteArray("client_id=app&response_type=code&scope=basic&"
                                                     "state=s&redirect_uri=ruvia%3A%2F%2Fcb")
                                       << 400 << QString();
        QTest::newRow("no state") << "client_id=app&response_type=code&scope=basic" + redirect
                                  << 302 << u"invalid_request"_s;
        QTest::newRow("no scope") << "client_id=app&response_type=code&state=s" + redirect << 302
                                  << u"invalid_request"_s;
    }
    void authorizeRefusals()
    {
        QFETCH(QByteArray, query);
        QFETCH(int, status);
        QFETCH(QString, error);
        const Reply r = send("GET", "/oauth2/authorize?" + query);
        QCOMPARE(r.status, status);
        if (status == 400) {
            QVERIFY(r.header("Location").isEmpty());
            QVERIFY(r.header("Content-Type").startsWith("text/html"));
            return;
        }
        const QByteArray location = r.header("Location");
        QVERIFY(location.startsWith(kRedirect.toLatin1()));
        QCOMPARE(queryValue(location, u"error"_s), error);
        QVERIFY(queryValue(location, u"code"_s).isEmpty());
        QCOMPARE(queryValue(location, u"state"_s), query.contains("state=s") ? u"s"_s : QString());
    }

    // Without --auto-approve the user picks an account and a decision on a page.
    void signInPage()
    {
        StandIn s;
        QVERIFY(s.start({u"--account"_s, u"me@example.com:pw"_s, u"--blog"_s,
                         u"me@example.com:mainblog:Main"_s, u"--account"_s,
                         u"other@example.com:pw"_s, u"--blog"_s,
                         u"other@example.com:otherblog:Other"_s, u"--client"_s, u"app:s3cret"_s}));
        const Reply page = send("GET", authorizeTarget(u"p1"_s), {}, {}, {}, &s);
        QCOMPARE(page.status, 200);
        QVERIFY(page.body.contains("Allow Ruvia to use your account?"));
        QVERIFY(page.body.contains("method=\"POST\" action=\"/oauth2/authorize\""));
        QVERIFY(page.body.contains("<select name=\"account\">"));
        QVERIFY(page.body.contains("value=\"other@example.com\""));
        QVERIFY(page.body.contains("name=\"state\" value=\"p1\""));
        QVERIFY(page.body.contains("name=\"decision\" value=\"deny\""));

        const QList<Part> form{{"client_id", "app"},
                               {"response_type", "code"},
                               {"scope", "basic write"},
                               {"state", "p1"},
                               {"redirect_uri", kRedirect.toLatin1()}};
        const Reply denied = send(
            "POST", "/oauth2/authorize",
            urlEncoded(form + QList<Part>{{"account", "me@example.com"}, {"decision", "deny"}}),
            "application/x-www-form-urlencoded", {}, &s);
        QCOMPARE(denied.status, 302);
        QCOMPARE(queryValue(denied.header("Location"), u"error"_s), u"access_denied"_s);
        QCOMPARE(queryValue(denied.header("Location"), u"state"_s), u"p1"_s);

        const Reply allowed = send(
            "POST", "/oauth2/authorize",
            urlEncoded(form + QList<Part>{{"account", "other@example.com"}, {"decision", "allow"}}),
            "application/x-www-form-urlencoded", {}, &s);
        QCOMPARE(allowed.status, 302);
        QCOMPARE(queryValue(allowed.header("Location"), u"state"_s), u"p1"_s);
        const QJsonObject token =
            exchangeCode(queryValue(allowed.header("Location"), u"code"_s), &s);
        QVERIFY2(!token.contains(u"refresh_token"_s), "no offline_access, no refresh token");
        const Reply info =
            send("GET", "/v2/user/info", {}, {}, token.value(u"access_token"_s).toString(), &s);
        QCOMPARE(info.response().value(u"user"_s).toObject().value(u"name"_s).toString(),
                 u"otherblog"_s);
    }

    // The demo account signs in with the demo client, and its drawn pictures
    // are offered at the sizes they are drawn at.
    void demoAccount()
    {
        StandIn demo;
        QVERIFY(demo.start({u"--demo"_s, u"--auto-approve"_s}));
        QUrlQuery q(QString::fromLatin1(authorizeTarget().mid(18)));
        q.removeAllQueryItems(u"client_id"_s);
        q.addQueryItem(u"client_id"_s, u"demo-client"_s);
        const Reply code =
            send("GET", "/oauth2/authorize?" + q.toString(QUrl::FullyEncoded).toLatin1(), {}, {},
                 {}, &demo);
        QCOMPARE(code.status, 302);
        const Reply token =
            tokenRequest({{"grant_type", "authorization_code"},
                          {"code", queryValue(code.header("Location"), u"code"_s).toLatin1()},
                          {"client_id", "demo-client"},
                          {"client_secret", "demo-secret"},
                          {"redirect_uri", kRedirect.toLatin1()}},
                         false, &demo);
        QCOMPARE(token.status, 200);
        const Reply list = send("GET", "/v2/blog/demoblog/posts?limit=3", {}, {},
                                token.json().value(u"access_token"_s).toString(), &demo);
        QCOMPARE(list.response().value(u"total_posts"_s).toInt(), 41);
        for (const QJsonValue& post : list.response().value(u"posts"_s).toArray())
            for (const QJsonValue& v : post.toObject()
                                           .value(u"content"_s)
                                           .toArray()
                                           .last()
                                           .toObject()
                                           .value(u"media"_s)
                                           .toArray()) {
                const QJsonObject m = v.toObject();
                const Reply file = send("GET", QUrl(m.value(u"url"_s).toString()).path().toLatin1(),
                                        {}, {}, {}, &demo);
                QCOMPARE(QImage::fromData(file.body).size(),
                         QSize(m.value(u"width"_s).toInt(), m.value(u"height"_s).toInt()));
            }
    }

    void userInfoAndUuids()
    {
        const Reply r = get("/v2/user/info", m_access);
        QCOMPARE(r.status, 200);
        QCOMPARE(r.json().value(u"meta"_s).toObject().value(u"status"_s).toInt(), 200);
        const QJsonObject user = r.response().value(u"user"_s).toObject();
        QCOMPARE(user.value(u"name"_s).toString(), u"mainblog"_s);
        const QJsonArray blogs = user.value(u"blogs"_s).toArray();
        QCOMPARE(blogs.size(), 2);
        const QJsonObject main = blogs.at(0).toObject();
        const QJsonObject side = blogs.at(1).toObject();
        QCOMPARE(main.value(u"url"_s).toString(), u"https://mainblog.tumblr.com/"_s);
        QCOMPARE(main.value(u"primary"_s), QJsonValue(true));
        QCOMPARE(side.value(u"primary"_s), QJsonValue(false));
        QCOMPARE(side.value(u"type"_s).toString(), u"public"_s);
        const QRegularExpression uuid(u"^t:[A-Za-z0-9_-]{22}$"_s);
        QVERIFY(uuid.match(main.value(u"uuid"_s).toString()).hasMatch());
        QVERIFY(main.value(u"uuid"_s) != side.value(u"uuid"_s));

        // The same on another start, and taken from the account when given.
        StandIn again;
        QVERIFY(again.start({u"--account"_s, u"x@example.com:pw"_s, u"--blog"_s,
                             u"x@example.com:mainblog:Elsewhere"_s, u"--client"_s, u"app:s3cret"_s,
                             u"--auto-approve"_s}));
        QVERIFY(again.addAccount(QJsonObject{
            {u"email"_s, u"x@example.com"_s},
            {u"blogs"_s, QJsonArray{QJsonObject{{u"name"_s, u"given"_s},
                                                {u"uuid"_s, u"t:AAAAAAAAAAAAAAAAAAAAAA"_s}}}}}));
        const Reply code = send("GET", authorizeTarget(), {}, {}, {}, &again);
        const QString token = exchangeCode(queryValue(code.header("Location"), u"code"_s), &again)
                                  .value(u"access_token"_s)
                                  .toString();
        const QJsonArray otherBlogs = send("GET", "/v2/user/info", {}, {}, token, &again)
                                          .response()
                                          .value(u"user"_s)
                                          .toObject()
                                          .value(u"blogs"_s)
                                          .toArray();
        QCOMPARE(otherBlogs.at(0).toObject().value(u"uuid"_s), main.value(u"uuid"_s));
        QCOMPARE(otherBlogs.at(1).toObject().value(u"uuid"_s).toString(),
                 u"t:AAAAAAAAAAAAAAAAAAAAAA"_s);
    }

    void blogIdentifiers_data()
    {
        QTest::addColumn<QByteArray>("target");
        QTest::addColumn<int>("status");
        QTest::newRow("name") << QByteArray("/v2/blog/mainblog/posts") << 200;
        QTest::newRow("host") << QByteArray("/v2/blog/mainblog.tumblr.com/posts") << 200;
        QTest::newRow("uuid") << QByteArray("/v2/blog/UUID/posts") << 200;
        QTest::newRow("unknown") << QByteArray("/v2/blog/nosuchblog/posts") << 404;
        QTest::newRow("another's queue") << QByteArray("/v2/blog/otherblog/posts/queue") << 404;
        QTest::newRow("another's drafts") << QByteArray("/v2/blog/otherblog/posts/draft") << 404;
    }
    void blogIdentifiers()
    {
        QFETCH(QByteArray, target);
        QFETCH(int, status);
        target.replace("UUID", QUrl::toPercentEncoding(m_mainUuid));
        const Reply r = get(target, m_access);
        QCOMPARE(r.status, status);
        QCOMPARE(r.json().value(u"meta"_s).toObject().value(u"status"_s).toInt(), status);
        if (status == 200) {
            QCOMPARE(r.response().value(u"blog"_s).toObject().value(u"uuid"_s).toString(),
                     m_mainUuid);
        } else {
            QVERIFY(r.json().value(u"response"_s).isArray());
            QCOMPARE(r.error().value(u"title"_s).toString(), u"Not Found"_s);
        }
    }

    void renameKeepsUuid()
    {
        const QString id = createPhoto("sideblog", photoParams());
        QVERIFY(!id.isEmpty());
        const QJsonObject side = get("/v2/user/info", m_access)
                                     .response()
                                     .value(u"user"_s)
                                     .toObject()
                                     .value(u"blogs"_s)
                                     .toArray()
                                     .at(1)
                                     .toObject();
        int status = 0;
        m_standin.control("POST", u"/_standin/blogs/rename"_s,
                          QJsonDocument(QJsonObject{{u"uuid"_s, side.value(u"uuid"_s)},
                                                    {u"name"_s, u"sideblog2"_s}})
                              .toJson(),
                          &status);
        QCOMPARE(status, 200);
        const QByteArray uuid = QUrl::toPercentEncoding(side.value(u"uuid"_s).toString());
        const Reply read = get("/v2/blog/" + uuid + "/posts/" + id.toLatin1(), m_access);
        QCOMPARE(read.status, 200);
        QCOMPARE(read.response().value(u"blog_name"_s).toString(), u"sideblog2"_s);
        QCOMPARE(get("/v2/blog/sideblog/posts", m_access).status, 404);
        m_standin.control("POST", u"/_standin/blogs/rename"_s,
                          QJsonDocument(QJsonObject{{u"uuid"_s, side.value(u"uuid"_s)},
                                                    {u"name"_s, u"sideblog"_s}})
                              .toJson(),
                          &status);
        QCOMPARE(status, 200);
    }

    void createAndReadBack_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<QByteArray>("format");
        QTest::newRow("wider than 1280, PNG") << 1600 << 1000 << QByteArray("PNG");
        QTest::newRow("wider than 1280, JPEG") << 1999 << 1333 << QByteArray("JPEG");
        QTest::newRow("small JPEG") << 300 << 200 << QByteArray("JPEG");
    }
    void createAndReadBack()
    {
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(QByteArray, format);
        const QByteArray bytes = picture(width, height, format);
        QJsonObject params = photoParams();
        QJsonArray content = params.value(u"content"_s).toArray();
        QJsonObject image = content.at(1).toObject();
        image.insert(u"attribution"_s, QJsonObject{{u"type"_s, u"link"_s},
                                                   {u"url"_s, u"https://example.org/where"_s}});
        content.replace(1, image);
        content.append(QJsonObject{{u"type"_s, u"text"_s}, {u"text"_s, u"second line"_s}});
        params.insert(u"content"_s, content);
        params.insert(u"tags"_s, u"sea, dawn ,boats"_s);
        const Reply r = create(m_mainUuid.toLatin1(), params,
                               {{"img0", bytes, "IMG 1.pic", "image/" + format.toLower()}});
        QCOMPARE(r.status, 201);
        QCOMPARE(r.json().value(u"meta"_s).toObject().value(u"msg"_s).toString(), u"Created"_s);
        QVERIFY2(r.response().value(u"id"_s).isString(), r.body.constData());
        QCOMPARE(r.response().value(u"state"_s).toString(), u"published"_s);
        const QString id = r.response().value(u"id"_s).toString();
        const qint64 number = id.toLongLong();
        QVERIFY(number > (qint64(1) << 53));
        QVERIFY2(qint64(double(number)) != number, "a double would keep this id intact");

        const Reply read = get("/v2/blog/mainblog/posts/" + id.toLatin1(), m_access);
        QCOMPARE(read.status, 200);
        const QJsonObject post = read.response();
        QCOMPARE(post.value(u"id"_s).toString(), id);
        QCOMPARE(post.value(u"id_string"_s).toString(), id);
        QCOMPARE(post.value(u"tumblelog_uuid"_s).toString(), m_mainUuid);
        QCOMPARE(post.value(u"post_url"_s).toString(),
                 u"https://mainblog.tumblr.com/post/%1/harbour-at-dawn-second-line"_s.arg(id));
        QCOMPARE(post.value(u"tags"_s).toVariant().toStringList(),
                 (QStringList{u"sea"_s, u"dawn"_s, u"boats"_s}));
        const QJsonArray blocks = post.value(u"content"_s).toArray();
        QCOMPARE(blocks.size(), 3);
        QCOMPARE(blocks.at(1).toObject().value(u"text"_s).toString(), u"second line"_s);
        const QJsonObject block = blocks.at(2).toObject();
        QCOMPARE(block.value(u"attribution"_s).toObject().value(u"url"_s).toString(),
                 u"https://example.org/where"_s);

        // Every width offered names a file of the size it claims, served by the stand-in.
        const QJsonArray media = block.value(u"media"_s).toArray();
        QCOMPARE(media.size(), 8);
        QCOMPARE(media.at(0).toObject().value(u"has_original_dimensions"_s).toBool(),
                 width <= 1280);
        QSet<int> distinctWidths;
        int previous = INT_MAX;
        for (const QJsonValue& v : media) {
            const QJsonObject m = v.toObject();
            const QUrl url(m.value(u"url"_s).toString());
            QCOMPARE(url.scheme(), u"http"_s);
            QCOMPARE(url.host(), u"127.0.0.1"_s);
            QCOMPARE(url.port(), int(m_standin.port()));
            QCOMPARE(m.value(u"type"_s).toString(),
                     u"image/"_s + QString::fromLatin1(format.toLower()));
            const int w = m.value(u"width"_s).toInt();
            QVERIFY(w <= previous);
            previous = w;
            distinctWidths.insert(w);
            const Reply file = get(url.path(QUrl::FullyEncoded).toLatin1(), {});
            QCOMPARE(file.status, 200);
            QCOMPARE(QImage::fromData(file.body).size(), QSize(w, m.value(u"height"_s).toInt()));
        }
        if (width > 1280)
            QCOMPARE(distinctWidths, (QSet<int>{1280, 640, 540, 500, 400, 250, 100, 75}));
        else
            QCOMPARE(distinctWidths, (QSet<int>{300, 250, 100, 75}));

        const QJsonObject stored = m_standin.posts().last().toObject();
        QCOMPARE(stored.value(u"id"_s).toString(), id);
        QCOMPARE(stored.value(u"state"_s).toString(), u"published"_s);
        QCOMPARE(stored.value(u"caption"_s).toString(), u"Harbour at dawn\nsecond line"_s);
        QCOMPARE(stored.value(u"linkUrl"_s).toString(), u"https://example.org/where"_s);
        QCOMPARE(stored.value(u"originalFileName"_s).toString(), u"IMG 1.pic"_s);
        QCOMPARE(stored.value(u"dataSha256"_s).toString(),
                 QString::fromLatin1(
                     QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex()));
        const QJsonArray log = m_standin.requests(u"create"_s);
        QCOMPARE(log.size(), 1);
        QCOMPARE(log.first().toObject().value(u"postId"_s).toString(), id);
        QCOMPARE(StandIn::fieldNames(log.first().toObject()), (QStringList{u"json"_s, u"img0"_s}));
    }

    void createFromJsonBody()
    {
        // Reuses a picture the stand-in already serves: no upload.
        const QString first = createPhoto("mainblog", photoParams());
        const QJsonArray media = get("/v2/blog/mainblog/posts/" + first.toLatin1(), m_access)
                                     .response()
                                     .value(u"content"_s)
                                     .toArray()
                                     .last()
                                     .toObject()
                                     .value(u"media"_s)
                                     .toArray();
        const QJsonObject params{
            {u"content"_s,
             QJsonArray{QJsonObject{
                 {u"type"_s, u"image"_s},
                 {u"media"_s, QJsonObject{{u"url"_s, media.first().toObject().value(u"url"_s)}}}}}},
            {u"state"_s, u"draft"_s}};
        const Reply r = send("POST", "/v2/blog/mainblog/posts", QJsonDocument(params).toJson(),
                             "application/json", m_access);
        QCOMPARE(r.status, 201);
        QCOMPARE(r.response().value(u"state"_s).toString(), u"draft"_s);
        QCOMPARE(m_standin.posts().last().toObject().value(u"width"_s).toInt(), 120);
    }

    void createErrors_data()
    {
        QTest::addColumn<QByteArray>("blog");
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<QByteArray>("partName");
        QTest::addColumn<QByteArray>("partBytes");
        QTest::addColumn<int>("status");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("detailHas");
        const QByteArray png = picture(40, 30, "PNG");
        const QByteArray image =
            "{\"type\":\"image\",\"media\":[{\"type\":\"image/png\",\"identifier\":\"img0\"}]}";
        auto params = [&](const QByteArray& extra) {
            return "{\"content\":[" + image + "]" + extra + "}";
        };
        QTest::newRow("not JSON") << QByteArray("mainblog") << QByteArray("{content:")
                                  << QByteArray("img0") << png << 400 << 8001 << QString();
        QTest::newRow("no image block")
            << QByteArray("mainblog")
            << QByteArray("{\"content\":[{\"type\":\"text\",\"text\":\"hi\"}]}")
            << QByteArray("img0") << png << 400 << 8001 << QString();
        QTest::newRow("identifier without part")
            << QByteArray("mainblog") << params({}) << QByteArray("img1") << png << 400 << 8001
            << u"img0"_s;
        QTest::newRow("outside media url")
            << QByteArray("mainblog")
            << QByteArray("{\"content\":[{\"type\":\"image\",\"media\":[{\"url\":\"https://"
                          "example.org/a.jpg\"}]}]}")
            << QByteArray("img0") << png << 400 << 8001 << QString();
        QTest::newRow("not a picture")
            << QByteArray("mainblog") << params({}) << QByteArray("img0")
            << QByteArray("RIFF....WAVEfmt ") << 400 << 8005 << u"media format"_s;
        QTest::newRow("submission") << QByteArray("mainblog") << params(",\"state\":\"submission\"")
                                    << QByteArray("img0") << png << 400 << 0 << u"submission"_s;
        QTest::newRow("unapproved") << QByteArray("mainblog") << params(",\"state\":\"unapproved\"")
                                    << QByteArray("img0") << png << 400 << 0 << u"unapproved"_s;
        QTest::newRow("unreadable publish_on")
            << QByteArray("mainblog")
            << params(",\"state\":\"queue\",\"publish_on\":\"next tuesday\"") << QByteArray("img0")
            << png << 400 << 0 << u"publish_on"_s;
        QTest::newRow("another's blog") << QByteArray("otherblog") << params({})
                                        << QByteArray("img0") << png << 403 << 0 << QString();
    }
    void createErrors()
    {
        QFETCH(QByteArray, blog);
        QFETCH(QByteArray, json);
        QFETCH(QByteArray, partName);
        QFETCH(QByteArray, partBytes);
        QFETCH(int, status);
        QFETCH(int, code);
        QFETCH(QString, detailHas);
        const qsizetype before = m_standin.posts().size();
        const QByteArray body = multipart(
            {{"json", json, {}, "application/json"}, {partName, partBytes, "x.png", "image/png"}});
        const Reply r = send("POST", "/v2/blog/" + blog + "/posts", body,
                             "multipart/form-data; boundary=" + kBoundary, m_access);
        QCOMPARE(r.status, status);
        QCOMPARE(r.json().value(u"meta"_s).toObject().value(u"status"_s).toInt(), status);
        QVERIFY(r.json().value(u"response"_s).isArray());
        QCOMPARE(r.error().value(u"code"_s).toInt(), code);
        QVERIFY2(r.error().value(u"detail"_s).toString().contains(detailHas), r.body.constData());
        QCOMPARE(m_standin.posts().size(), before);
    }

    void listsAndNumericIds()
    {
        QVERIFY(m_standin.addAccount(
            QJsonObject{{u"email"_s, u"me@example.com"_s},
                        {u"password"_s, u"pw"_s},
                        {u"blogs"_s, QJsonArray{QJsonObject{{u"name"_s, u"listblog"_s}}}}}));
        const QString older = createPhoto("listblog", photoParams());
        QJsonObject backdated = photoParams(u"private"_s);
        backdated.insert(u"date"_s, u"2020-05-01T10:00:00Z"_s);
        const QString oldest = createPhoto("listblog", backdated);
        QTest::qWait(1100); // a second apart: newest first is by time
        const QString newer = createPhoto("listblog", photoParams(u"private"_s));
        QJsonObject scheduled = photoParams(u"queue"_s);
        scheduled.insert(u"publish_on"_s, u"2031-01-02T03:04:05Z"_s);
        const QString queued = createPhoto("listblog", scheduled);
        const QString draft = createPhoto("listblog", photoParams(u"draft"_s));
        QVERIFY(!older.isEmpty() && !oldest.isEmpty() && !newer.isEmpty() && !queued.isEmpty() &&
                !draft.isEmpty());

        const Reply list = get("/v2/blog/listblog/posts?npf=true", m_access);
        QCOMPARE(list.status, 200);
        QCOMPARE(list.response().value(u"total_posts"_s).toInt(), 3);
        QStringList ids;
        const QRegularExpression literal(u"\"id\":(\\d+)[,}]"_s);
        for (auto it = literal.globalMatch(QString::fromUtf8(list.body)); it.hasNext();)
            ids.append(it.next().captured(1));
        QCOMPARE(ids, (QStringList{newer, older, oldest}));
        const QJsonArray posts = list.response().value(u"posts"_s).toArray();
        QCOMPARE(posts.at(0).toObject().value(u"state"_s).toString(), u"private"_s);
        QCOMPARE(posts.at(1).toObject().value(u"id_string"_s).toString(), older);

        const Reply page = get("/v2/blog/listblog/posts?limit=1&offset=1", m_access);
        QCOMPARE(page.response().value(u"posts"_s).toArray().size(), 1);
        QCOMPARE(page.response()
                     .value(u"posts"_s)
                     .toArray()
                     .first()
                     .toObject()
                     .value(u"id_string"_s)
                     .toString(),
                 older);

        const QJsonArray queue =
            get("/v2/blog/listblog/posts/queue", m_access).response().value(u"posts"_s).toArray();
        QCOMPARE(queue.size(), 1);
        const QJsonObject q = queue.first().toObject();
        QCOMPARE(q.value(u"id_string"_s).toString(), queued);
        QCOMPARE(q.value(u"state"_s).toString(), u"queued"_s);
        QCOMPARE(q.value(u"queued_state"_s).toString(), u"scheduled"_s);
        QCOMPARE(QDateTime::fromString(q.value(u"publish_on"_s).toString(), Qt::ISODate),
                 QDateTime(QDate(2031, 1, 2), QTime(3, 4, 5), QTimeZone::utc()));

        const Reply drafts = get("/v2/blog/listblog/posts/draft", m_access);
        QCOMPARE(drafts.response().value(u"posts"_s).toArray().size(), 1);
        const Reply noneBefore =
            get("/v2/blog/listblog/posts/draft?before_id=" + draft.toLatin1(), m_access);
        QCOMPARE(noneBefore.response().value(u"posts"_s).toArray().size(), 0);
        QCOMPARE(get("/v2/blog/listblog/posts/" + draft.toLatin1(), m_access).status, 200);
    }

    void refusedTokens_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("none") << u"none"_s;
        QTest::newRow("made up") << u"made up"_s;
        QTest::newRow("expired") << u"expired"_s;
        QTest::newRow("revoked") << u"revoked"_s;
    }
    void refusedTokens()
    {
        QFETCH(QString, how);
        const QJsonObject tokens = exchangeCode(newCode());
        QString access = tokens.value(u"access_token"_s).toString();
        int status = 0;
        if (how == u"none")
            access.clear();
        else if (how == u"made up")
            access = u"x"_s + access;
        else
            m_standin.control("POST",
                              how == u"expired" ? u"/_standin/tokens/expire"_s
                                                : u"/_standin/tokens/revoke"_s,
                              {}, &status);
        const Reply r = get("/v2/blog/mainblog/posts", access);
        QCOMPARE(r.status, 401);
        QCOMPARE(r.json().value(u"meta"_s).toObject().value(u"status"_s).toInt(), 401);
        QVERIFY(r.json().value(u"response"_s).isArray());
        QVERIFY(!r.error().value(u"detail"_s).toString().isEmpty());
        if (how == u"expired" || how == u"revoked") {
            // Expiry leaves the refresh token good; revocation does not.
            const Reply renewed = refresh(tokens.value(u"refresh_token"_s).toString());
            QCOMPARE(renewed.status, how == u"expired" ? 200 : 401);
            if (how == u"expired")
                QCOMPARE(
                    get("/v2/user/info", renewed.json().value(u"access_token"_s).toString()).status,
                    200);
            m_access = exchangeCode(newCode()).value(u"access_token"_s).toString();
        }
    }

    void faults_data()
    {
        QTest::addColumn<QByteArray>("fault");
        QTest::addColumn<int>("status");
        QTest::addColumn<int>("code");
        QTest::addColumn<QByteArray>("header");
        QTest::addColumn<QByteArray>("contentType");
        QTest::newRow("uploads used up")
            << QByteArray("{\"endpoint\":\"create\",\"kind\":\"v2error\",\"status\":403,\"code\":"
                          "8004,\"detail\":\"No more media uploads allowed today\"}")
            << 403 << 8004 << QByteArray() << QByteArray("application/json");
        QTest::newRow("rate limited")
            << QByteArray("{\"endpoint\":\"create\",\"kind\":\"v2error\",\"status\":429,\"title\":"
                          "\"Limit Exceeded\",\"headers\":{\"X-Ratelimit-Perhour-Reset\":\"120\"}}")
            << 429 << 0 << QByteArray("X-Ratelimit-Perhour-Reset: 120")
            << QByteArray("application/json");
        QTest::newRow("nginx page")
            << QByteArray("{\"endpoint\":\"create\",\"kind\":\"status\",\"status\":403,\"html\":"
                          "true,\"headers\":{\"X-Edge\":\"1\"}}")
            << 403 << -1 << QByteArray("X-Edge: 1") << QByteArray("text/html");
    }
    void faults()
    {
        QFETCH(QByteArray, fault);
        QFETCH(int, status);
        QFETCH(int, code);
        QFETCH(QByteArray, header);
        QFETCH(QByteArray, contentType);
        QVERIFY(m_standin.addFault(QJsonDocument::fromJson(fault).object()));
        const qsizetype before = m_standin.posts().size();
        const Reply r = create("mainblog", photoParams(),
                               {{"img0", picture(40, 30, "PNG"), "p.png", "image/png"}});
        QCOMPARE(r.status, status);
        QVERIFY(r.header("Content-Type").startsWith(contentType));
        if (!header.isEmpty()) {
            const qsizetype colon = header.indexOf(':');
            QCOMPARE(r.header(header.left(colon)), header.mid(colon + 2));
        }
        if (code >= 0) {
            QVERIFY(r.json().value(u"response"_s).isArray());
            QCOMPARE(r.error().value(u"code"_s).toInt(), code);
            if (status == 429)
                QCOMPARE(r.error().value(u"title"_s).toString(), u"Limit Exceeded"_s);
        }
        QCOMPARE(m_standin.posts().size(), before);
        QCOMPARE(m_standin.requests(u"create"_s).first().toObject().value(u"fault"_s).toString(),
                 QJsonDocument::fromJson(fault).object().value(u"kind"_s).toString());
        QCOMPARE(create("mainblog", photoParams(),
                        {{"img0", picture(40, 30, "PNG"), "p.png", "image/png"}})
                     .status,
                 201);
    }

    void tokenFault()
    {
        QVERIFY(m_standin.addFault(QJsonObject{
            {u"endpoint"_s, u"token"_s}, {u"kind"_s, u"v2error"_s}, {u"status"_s, 401}}));
        const QString code = newCode();
        const Reply r = tokenRequest({{"grant_type", "authorization_code"},
                                      {"code", code.toLatin1()},
                                      {"client_id", "app"},
                                      {"client_secret", "s3cret"},
                                      {"redirect_uri", kRedirect.toLatin1()}},
                                     true);
        QCOMPARE(r.status, 401);
        QCOMPARE(r.json().value(u"meta"_s).toObject().value(u"status"_s).toInt(), 401);
        QVERIFY2(!exchangeCode(code).contains(u"error"_s), "a faulted request spends no code");
    }

    // The post is made, and the connection closes without a reply.
    void createReplyLost()
    {
        QVERIFY(m_standin.addFault(QJsonObject{
            {u"endpoint"_s, u"create"_s}, {u"kind"_s, u"drop"_s}, {u"when"_s, u"reply"_s}}));
        const qsizetype before = m_standin.posts().size();
        const Reply r = create("mainblog", photoParams(),
                               {{"img0", picture(40, 30, "PNG"), "p.png", "image/png"}});
        QVERIFY(!r.ok);
        const QJsonArray posts = m_standin.posts();
        QCOMPARE(posts.size(), before + 1);
        QCOMPARE(m_standin.requests(u"create"_s).first().toObject().value(u"postId"_s),
                 posts.last().toObject().value(u"id"_s));
    }
};

QTEST_GUILESS_MAIN(TestStandInV2)
#include "test_standin_v2.moc"
