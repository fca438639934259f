// What API v2 answers, read without the network: the picture sizes chosen
// by width, post ids kept as text, blogs, the post's parameter object, and
// which addresses a token may travel to.
#include "service/postsubmit.h"
#include "service/serviceconfig.h"
#include "service/v2parse.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QTest>

using namespace ruvia;

namespace {

QJsonArray mediaOf(const QList<int>& widths)
{
    QJsonArray media;
    for (int w : widths)
        media.append(QJsonObject{{QStringLiteral("url"), QStringLiteral("u%1").arg(w)},
                                 {QStringLiteral("width"), w}});
    return media;
}

// JSON written with single quotes, for readability.
QByteArray q(const char* text)
{
    return QByteArray(text).replace('\'', '"');
}

QJsonObject object(const QByteArray& text)
{
    return QJsonDocument::fromJson(text).object();
}

} // namespace

class TestV2Parse : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void widthRule_data()
    {
        QTest::addColumn<QList<int>>("widths");
        QTest::addColumn<int>("wanted");
        QTest::addColumn<QString>("url");
        QTest::newRow("exact") << QList<int>{1280, 640, 540, 500, 250, 75} << 500 << "u500";
        QTest::newRow("smallest wider") << QList<int>{1280, 640, 540} << 500 << "u540";
        QTest::newRow("wider, any order") << QList<int>{540, 1280, 640} << 400 << "u540";
        QTest::newRow("none wider: widest") << QList<int>{320, 160} << 1280 << "u320";
        QTest::newRow("75 exact among crops") << QList<int>{100, 75, 250} << 75 << "u75";
        QTest::newRow("no media") << QList<int>{} << 250 << "";
    }
    void widthRule()
    {
        QFETCH(QList<int>, widths);
        QFETCH(int, wanted);
        QFETCH(QString, url);
        QCOMPARE(PictureOfWidth(mediaOf(widths), wanted), url);
    }

    void postIds_data()
    {
        QTest::addColumn<QByteArray>("post");
        QTest::addColumn<QString>("id");
        QTest::newRow("id_string wins over a rounded number")
            << q("{'id':9007199254740993,'id_string':'9007199254740993'}")
            << "9007199254740993";
        QTest::newRow("string id") << q("{'id':'18446744073709551615'}")
                                   << "18446744073709551615";
        QTest::newRow("small number") << q("{'id':430120517}") << "430120517";
        QTest::newRow("number past 2^53 is not trusted") << q("{'id':9007199254740995}")
                                                           << "";
        QTest::newRow("not digits") << q("{'id':'12a'}") << "";
        QTest::newRow("none") << q("{}") << "";
    }
    void postIds()
    {
        QFETCH(QByteArray, post);
        QFETCH(QString, id);
        QCOMPARE(PostIdOf(object(post)), id);
    }

    void createdIdAndErrors()
    {
        QCOMPARE(CreatedPostId(q("{'meta':{'status':201},'response':{'id':'9007199254740993'}}")),
                 QStringLiteral("9007199254740993"));
        QJsonValue response;
        QList<V2Error> errors;
        QVERIFY(ParseV2Envelope(
            q("{'meta':{'status':403},'response':[],'errors':[{'title':'Forbidden','code':8004,'detail':'No more'}]}"),
            response, errors));
        QVERIFY(response.isArray());
        QCOMPARE(errors.size(), 1);
        QCOMPARE(errors[0].code, 8004);
        QCOMPARE(errors[0].detail, QStringLiteral("No more"));
        QVERIFY(!ParseV2Envelope("<html><body>403 Forbidden</body></html>", response, errors));
    }

    void userInfo()
    {
        QString name, error;
        QList<V2Blog> blogs;
        QVERIFY(ParseUserInfo(q("{'response':{'user':{'name':'mainblog','blogs':[{'name':'mainblog','title':'Main','url':'https://mainblog.tumblr.com/','uuid':'t:AAAAAAAAAAAAAAAAAAAAAA','primary':true},{'name':'nouuid','title':'X','url':'https://nouuid.tumblr.com/'},{'name':'own','title':'Own','url':'https://pictures.example.org/','uuid':'t:BBBBBBBBBBBBBBBBBBBBBB'}]}}}"),
                              name, blogs, &error));
        QCOMPARE(name, QStringLiteral("mainblog"));
        QCOMPARE(blogs.size(), 2);
        QCOMPARE(blogs[0].host, QStringLiteral("mainblog.tumblr.com"));
        QVERIFY(blogs[0].primary);
        QCOMPARE(blogs[1].host, QStringLiteral("pictures.example.org"));
        QVERIFY(!ParseUserInfo(q("{'response':[]}"), name, blogs, &error));
    }

    void postAddresses()
    {
        PostLinks links;
        QVERIFY(ParsePostObject(object(q("{'id':'77','post_url':'https://b.tumblr.com/post/77/a-slug','content':[{'type':'text','text':'c'},{'type':'image','media':[{'url':'w1280','width':1280},{'url':'w640','width':640},{'url':'w540','width':540},{'url':'w500','width':500},{'url':'w400','width':400},{'url':'w250','width':250},{'url':'w100','width':100},{'url':'w75','width':75}]}]}")),
                                QStringLiteral("b.tumblr.com"), links));
        QCOMPARE(links[PostLinks::Picture1280], QStringLiteral("w1280"));
        QCOMPARE(links[PostLinks::Picture500], QStringLiteral("w500"));
        QCOMPARE(links[PostLinks::Picture75], QStringLiteral("w75"));
        QCOMPARE(links[PostLinks::PostURL], QStringLiteral("https://b.tumblr.com/post/77"));
        QCOMPARE(links[PostLinks::PostURLSlug], QStringLiteral("https://b.tumblr.com/post/77/a-slug"));
        // No post_url: the blog's host and the id make the address.
        QVERIFY(ParsePostObject(object(q("{'id_string':'78'}")), QStringLiteral("b.tumblr.com"), links));
        QCOMPARE(links[PostLinks::PostURL], QStringLiteral("https://b.tumblr.com/post/78"));
        QVERIFY(!ParsePostObject(object(q("{'content':[]}")), QStringLiteral("b.tumblr.com"), links));
    }

    void parameters_data()
    {
        QTest::addColumn<int>("state");
        QTest::addColumn<QString>("publishOn");
        QTest::addColumn<QString>("sentState");
        QTest::addColumn<bool>("hasPublishOn");
        QTest::addColumn<bool>("refused");
        QTest::newRow("publish now") << int(StatePublishNow) << "" << "published" << false << false;
        QTest::newRow("queue") << int(StateQueue) << "" << "queue" << false << false;
        QTest::newRow("publish on") << int(StatePublishOn) << "2031-05-06 07:08" << "queue" << true << false;
        QTest::newRow("publish on, old code") << int(StatePublishOnOld) << "05/06/2031 7:08 PM" << "queue" << true << false;
        QTest::newRow("unreadable date") << int(StatePublishOn) << "next tuesday" << "" << false << true;
        QTest::newRow("draft") << int(StateDraft) << "" << "draft" << false << false;
        QTest::newRow("submission") << int(StateSubmission) << "" << "" << false << true;
        QTest::newRow("private") << int(StatePrivate) << "" << "private" << false << false;
    }
    void parameters()
    {
        QFETCH(int, state);
        QFETCH(QString, publishOn);
        QFETCH(QString, sentState);
        QFETCH(bool, hasPublishOn);
        QFETCH(bool, refused);
        PhotoPost post;
        post.state = state;
        post.publishOn = publishOn;
        post.caption = QStringLiteral("First line\r\n\r\nSecond line");
        post.tags = QStringLiteral(" cats, \"big dogs\" ");
        post.clickThroughUrl = QStringLiteral("https://example.org/x");
        post.altText = QStringLiteral(" A red circle on grey ");
        QString error;
        const QJsonObject p = PhotoPostParameters(post, QStringLiteral("img0"), QStringLiteral("image/png"), &error);
        QCOMPARE(p.isEmpty(), refused);
        QCOMPARE(error.isEmpty(), !refused);
        if (refused)
            return;
        QCOMPARE(p.value(QStringLiteral("state")).toString(), sentState);
        QCOMPARE(p.contains(QStringLiteral("publish_on")), hasPublishOn);
        if (hasPublishOn)
            QVERIFY(p.value(QStringLiteral("publish_on")).toString().startsWith(QStringLiteral("2031-05-0")));
        QCOMPARE(p.value(QStringLiteral("tags")).toString(), QStringLiteral("cats, \"big dogs\""));
        const QJsonArray content = p.value(QStringLiteral("content")).toArray();
        QCOMPARE(content.size(), 3);
        QCOMPARE(content[0].toObject().value(QStringLiteral("text")).toString(), QStringLiteral("First line"));
        QCOMPARE(content[1].toObject().value(QStringLiteral("text")).toString(), QStringLiteral("Second line"));
        const QJsonObject image = content[2].toObject();
        QCOMPARE(image.value(QStringLiteral("media")).toArray()[0].toObject().value(QStringLiteral("identifier")).toString(),
                 QStringLiteral("img0"));
        QCOMPARE(image.value(QStringLiteral("attribution")).toObject().value(QStringLiteral("url")).toString(),
                 QStringLiteral("https://example.org/x"));
        QCOMPARE(image.value(QStringLiteral("alt_text")).toString(), QStringLiteral("A red circle on grey"));
    }

    void publishDateIsUtc()
    {
        QCOMPARE(PublishDateToIso(QStringLiteral("2031-05-06T07:08:00+02:00")),
                 QStringLiteral("2031-05-06T05:08:00Z"));
        QCOMPARE(PublishDateToIso(QStringLiteral("")), QString());
    }

    void longCaptionIsSplitIntoBlocks()
    {
        PhotoPost post;
        post.caption = QString(5000, u'a');
        const QJsonArray content =
            PhotoPostParameters(post, QStringLiteral("img0"), QStringLiteral("image/png"), nullptr)
                .value(QStringLiteral("content"))
                .toArray();
        QCOMPARE(content.size(), 3);
        QCOMPARE(content[0].toObject().value(QStringLiteral("text")).toString().size(), 4096);
        QCOMPARE(content[1].toObject().value(QStringLiteral("text")).toString().size(), 904);
    }

    void safeAddresses_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<bool>("safe");
        QTest::newRow("https") << "https://api.tumblr.com" << true;
        QTest::newRow("https other port") << "https://api.example.org:8443/v2" << true;
        QTest::newRow("loopback v4") << "http://127.0.0.1:8080" << true;
        QTest::newRow("loopback range") << "http://127.3.4.5" << true;
        QTest::newRow("localhost") << "http://localhost:99" << true;
        QTest::newRow("loopback v6") << "http://[::1]:99" << true;
        QTest::newRow("plain remote") << "http://api.tumblr.com" << false;
        QTest::newRow("private range") << "http://192.168.1.2" << false;
        QTest::newRow("looks local") << "http://localhost.example.org" << false;
        QTest::newRow("other scheme") << "ftp://127.0.0.1" << false;
    }
    void safeAddresses()
    {
        QFETCH(QString, address);
        QFETCH(bool, safe);
        QString reason;
        QCOMPARE(IsSafeServiceAddress(address, &reason), safe);
        QCOMPARE(reason.isEmpty(), safe);
    }
};

QTEST_GUILESS_MAIN(TestV2Parse)
#include "test_v2parse.moc"
