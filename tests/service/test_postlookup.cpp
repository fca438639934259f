// Reading a post back, with its recovery rules, against the stand-in.
#include "scriptedprompter.h"
#include "servicefixture.h"
#include "standin.h"
#include "testenv.h"

#include "platform/fileio.h"
#include "platform/log.h"
#include "platform/prompter.h"
#include "service/postlookup.h"
#include "service/postsubmit.h"

#include <QJsonArray>
#include <QRandomGenerator>

using namespace ruvia;
using test::json;

namespace {
const QString kBlog = QStringLiteral("mainblog.tumblr.com");
const QString kEmail = QStringLiteral("a@b.c");
const QString kPassword = QStringLiteral("pw");
const QString kCantDownload = QStringLiteral("Can't download blog's XML file.\r\n\r\n");
const QString kCantDummy = QStringLiteral(
    "Can't download blog's XML file (it's dummy request after HTTP 408 error).\r\n\r\n");
const QString kIncorrect = QStringLiteral("Incorrect response received from server.");
const QString k408Warning =
    QStringLiteral("HTTP 408 was detected. Trying to send dummy GET request.");
const QString k408Again =
    QStringLiteral("HTTP 408 was detected again. Dummy request doesn't help at all.");
} // namespace

class TestPostLookup : public QObject {
    Q_OBJECT
    test::TempProfile profile;
    test::StandIn standin;
    QString postId;
    QJsonObject post;

    int read(QByteArray& reply, IHTTPRequestCallback* callback = nullptr)
    {
        return ReadPost(kBlog, kEmail, kPassword, postId, callback, reply);
    }

    // Method and target of each read request, in order.
    QStringList readsSeen()
    {
        QStringList out;
        for (const QJsonValue& v : standin.requests(QStringLiteral("read"))) {
            const QJsonObject r = v.toObject();
            out.append(r.value(QStringLiteral("method")).toString() + u' '
                       + r.value(QStringLiteral("target")).toString());
        }
        return out;
    }

    QString readTarget(const QString& host = kBlog) const
    {
        return QStringLiteral("POST http://") + host + QStringLiteral("/api/read?id=") + postId;
    }
    QString dummyTarget() const { return QStringLiteral("GET http://") + kBlog + QStringLiteral("/api/read"); }

    static QString logText()
    {
        QString text;
        FileObject::readText(logFilePath(), text);
        return text;
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY2(standin.start({QStringLiteral("--account"), QStringLiteral("a@b.c:pw"),
                                QStringLiteral("--blog"), QStringLiteral("a@b.c:mainblog:Main Blog")}),
                 qPrintable(standin.errorOutput()));
        QVERIFY(test::pointProxyAt(standin.port()));
        // The stand-in makes a picture of its own for bytes that are none.
        const QByteArray png = "not really a picture";
        test::ScriptedPrompter prompter;
        QVERIFY(WritePost(kBlog, kEmail, kPassword, QStringLiteral("Cap"), QStringLiteral("t"), {},
                          StatePublishNow, {}, png, {}, nullptr, postId));
        post = standin.posts().last().toObject();
        QCOMPARE(post.value(QStringLiteral("id")).toString(), postId);
    }

    void init()
    {
        QVERIFY(standin.clearFaults());
        QVERIFY(standin.clearRequests());
        QFile::remove(logFilePath());
    }

    void readsAndParsesAPost()
    {
        test::ScriptedPrompter prompter;
        test::RecordingIndicator indicator;
        QByteArray reply = "stale";
        QCOMPARE(read(reply), int(LookupSuccess));
        QVERIFY(reply.startsWith("<?xml"));
        QVERIFY(!reply.endsWith('\n'));
        PostLinks links;
        QCOMPARE(ParsePostReply(reply, links), int(LookupSuccess));
        const QJsonObject urls = post.value(QStringLiteral("urls")).toObject();
        const QStringList sizes = PostLinks::Sizes();
        for (int i = 0; i < sizes.size(); ++i)
            QCOMPARE(links[i], urls.value(sizes.at(i)).toString());
        QVERIFY(links[PostLinks::PostURL].endsWith(QStringLiteral("/post/") + postId));
        QVERIFY(links[PostLinks::PostURLSlug].startsWith(links[PostLinks::PostURL]));
        QVERIFY(prompter.messages().isEmpty());
        QVERIFY(indicator.states.isEmpty());

        const QJsonArray log = standin.requests();
        QCOMPARE(log.size(), 1);
        const QJsonObject r = log.first().toObject();
        QCOMPARE(readsSeen(), QStringList{readTarget()});
        QCOMPARE(test::StandIn::fieldNames(r),
                 QStringList({QStringLiteral("email"), QStringLiteral("password"),
                              QStringLiteral("generator"), QStringLiteral("filter"),
                              QStringLiteral("type")}));
        QCOMPARE(test::StandIn::fieldBytes(r, QStringLiteral("generator")),
                 QByteArray("Tolvane - Ruvia 1.0.0"));
        QCOMPARE(test::StandIn::fieldBytes(r, QStringLiteral("filter")), QByteArray("text"));
        QCOMPARE(test::StandIn::fieldBytes(r, QStringLiteral("type")), QByteArray("photo"));
        QCOMPARE(test::StandIn::fieldBytes(r, QStringLiteral("email")), kEmail.toUtf8());
    }

    void emptyPostIdSendsNothing()
    {
        test::ScriptedPrompter prompter;
        QByteArray reply = "stale";
        QCOMPARE(ReadPost(kBlog, kEmail, kPassword, QString(), nullptr, reply), int(LookupIgnore));
        QVERIFY(reply.isEmpty());
        QVERIFY(standin.requests().isEmpty());
    }

    void unknownIdIsAFailedRead_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<int>("outcome");
        QTest::newRow("ignore") << int(IDIGNORE) << int(LookupIgnore);
        QTest::newRow("abort") << int(IDABORT) << int(LookupAbort);
    }
    void unknownIdIsAFailedRead()
    {
        QFETCH(int, answer);
        QFETCH(int, outcome);
        test::ScriptedPrompter prompter;
        prompter.queue(answer);
        QByteArray reply;
        QCOMPARE(ReadPost(kBlog, kEmail, kPassword, QStringLiteral("999999999"), nullptr, reply), outcome);
        QVERIFY(reply.isEmpty());
        QCOMPARE(prompter.messages().size(), 1);
        QVERIFY(prompter.last().text.startsWith(QStringLiteral("Can't download blog's XML file.\r\n\r\n")));
        QVERIFY(prompter.last().text.contains(QStringLiteral("404")));
    }

    void redirectChainIsFollowed_data()
    {
        QTest::addColumn<QString>("position");
        QTest::newRow("Location first") << QStringLiteral("first");
        QTest::newRow("Location in the middle") << QStringLiteral("middle");
        QTest::newRow("Location last") << QStringLiteral("last");
    }
    void redirectChainIsFollowed()
    {
        QFETCH(QString, position);
        QJsonObject first = json("{'endpoint':'read','kind':'redirect'}");
        first.insert(QStringLiteral("host"), kBlog);
        first.insert(QStringLiteral("position"), position);
        first.insert(QStringLiteral("location"),
                     QStringLiteral("http://www.example.org/api/read?id=") + postId);
        QJsonObject second = json("{'endpoint':'read','kind':'redirect','host':'www.example.org'}");
        second.insert(QStringLiteral("position"), position);
        second.insert(QStringLiteral("location"),
                      QStringLiteral("HTTP://Blog.Example.net:8080/api/read?id=") + postId);
        QVERIFY(standin.addFault(first));
        QVERIFY(standin.addFault(second));
        test::ScriptedPrompter prompter;
        QByteArray reply;
        QCOMPARE(read(reply), int(LookupSuccess));
        PostLinks links;
        QCOMPARE(ParsePostReply(reply, links), int(LookupSuccess));
        QVERIFY(!links[PostLinks::Picture250].isEmpty());
        QCOMPARE(readsSeen(),
                 QStringList({readTarget(), readTarget(QStringLiteral("www.example.org")),
                              readTarget(QStringLiteral("blog.example.net:8080"))}));
        QVERIFY(prompter.messages().isEmpty());
    }

    void redirectLoopEnds()
    {
        QJsonObject loop = json("{'endpoint':'read','kind':'redirect','always':true}");
        loop.insert(QStringLiteral("location"), QStringLiteral("http://loop.example.org/api/read?id=") + postId);
        QVERIFY(standin.addFault(loop));
        test::ScriptedPrompter prompter;
        QByteArray reply;
        QCOMPARE(read(reply), int(LookupIgnore));
        QVERIFY(reply.isEmpty());
        QCOMPARE(prompter.texts(), QStringList{kIncorrect});
        QCOMPARE(prompter.last().style, int(MB_ICONCRITICAL));
        QCOMPARE(readsSeen().size(), 1 + kMaxRedirects);
    }

    void unusableRedirects_data()
    {
        QTest::addColumn<QJsonObject>("fault");
        QTest::addColumn<bool>("indicated");
        QTest::newRow("no Location") << json("{'endpoint':'read','kind':'redirect'}") << false;
        QTest::newRow("lower-case header name")
            << json("{'endpoint':'read','kind':'redirect','headerName':'location','location':'http://x.example.org/api/read?id=1'}")
            << false;
        QTest::newRow("relative Location")
            << json("{'endpoint':'read','kind':'redirect','location':'/api/read?id=1'}") << true;
        QTest::newRow("other scheme")
            << json("{'endpoint':'read','kind':'redirect','location':'ftp://x.example.org/a'}") << true;
        QTest::newRow("bad port")
            << json("{'endpoint':'read','kind':'redirect','location':'http://x.example.org:99999/a'}") << true;
    }
    void unusableRedirects()
    {
        QFETCH(QJsonObject, fault);
        QFETCH(bool, indicated);
        QVERIFY(standin.addFault(fault));
        test::ScriptedPrompter prompter;
        test::RecordingIndicator indicator;
        QByteArray reply;
        QCOMPARE(read(reply), int(LookupIgnore));
        QCOMPARE(prompter.texts(), QStringList{kIncorrect});
        QCOMPARE(indicator.states, indicated ? QList<int>{2} : QList<int>{});
        QCOMPARE(readsSeen().size(), 1);
    }

    void redirectToHttpsIsNotSentAsPlainHttp()
    {
        QJsonObject f = json("{'endpoint':'read','kind':'redirect'}");
        f.insert(QStringLiteral("location"), QStringLiteral("https://secure.example.org/api/read?id=") + postId);
        QVERIFY(standin.addFault(f));
        test::ScriptedPrompter prompter;
        prompter.queue(IDIGNORE);
        QByteArray reply;
        QCOMPARE(read(reply), int(LookupIgnore));
        // The stand-in speaks no TLS, so the secure exchange (a CONNECT through
        // the proxy) fails; what matters is that nothing went to port 443 in the clear.
        QCOMPARE(standin.requests().size(), 1);
        for (const QJsonValue& v : standin.requests()) {
            const QJsonObject r = v.toObject();
            const QString target = r.value(QStringLiteral("target")).toString();
            QVERIFY2(!target.startsWith(QStringLiteral("http://secure.example.org")), qPrintable(target));
        }
        QCOMPARE(prompter.messages().size(), 1);
        QVERIFY(prompter.last().text.startsWith(kCantDownload));
    }

    void status408SendsOneDummyThenReadsAgain()
    {
        QVERIFY(standin.addFault(json("{'endpoint':'read','kind':'status','status':408}")));
        test::ScriptedPrompter prompter;
        test::RecordingIndicator indicator;
        QByteArray reply;
        QCOMPARE(read(reply), int(LookupSuccess));
        QVERIFY(reply.contains("<post "));
        QCOMPARE(readsSeen(), QStringList({readTarget(), dummyTarget(), readTarget()}));
        const QJsonObject dummy = standin.requests(QStringLiteral("read")).at(1).toObject();
        QCOMPARE(dummy.value(QStringLiteral("bodySize")).toInt(), 0);
        QVERIFY(prompter.messages().isEmpty());
        QCOMPARE(indicator.states, QList<int>{1});
        QVERIFY(logText().contains(k408Warning));
        QVERIFY(!logText().contains(k408Again));
    }

    void dummyGoesToTheBlogNotTheRedirectTarget()
    {
        QJsonObject f = json("{'endpoint':'read','kind':'redirect','count':1}");
        f.insert(QStringLiteral("location"), QStringLiteral("http://www.example.org/api/read?id=") + postId);
        QVERIFY(standin.addFault(f));
        QVERIFY(standin.addFault(json("{'endpoint':'read','kind':'status','status':408,'host':'www.example.org'}")));
        test::ScriptedPrompter prompter;
        QByteArray reply;
        QCOMPARE(read(reply), int(LookupSuccess));
        QCOMPARE(readsSeen(), QStringList({readTarget(), readTarget(QStringLiteral("www.example.org")),
                                           dummyTarget(), readTarget(QStringLiteral("www.example.org"))}));
    }

    void second408GoesStraightToTheQuestion_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<int>("outcome");
        QTest::newRow("abort") << int(IDABORT) << int(LookupAbort);
        QTest::newRow("ignore") << int(IDIGNORE) << int(LookupIgnore);
        QTest::newRow("retry") << int(IDRETRY) << int(LookupSuccess);
    }
    void second408GoesStraightToTheQuestion()
    {
        QFETCH(int, answer);
        QFETCH(int, outcome);
        QVERIFY(standin.addFault(json("{'endpoint':'read','kind':'status','status':408,'host':'mainblog.tumblr.com','count':1}")));
        QVERIFY(standin.addFault(json("{'endpoint':'read','kind':'body','status':200,'body':'ok','count':1}")));
        QVERIFY(standin.addFault(json("{'endpoint':'read','kind':'status','status':408,'count':1}")));
        test::ScriptedPrompter prompter;
        prompter.queue(answer);
        test::RecordingIndicator indicator;
        QByteArray reply;
        QCOMPARE(read(reply), outcome);
        QCOMPARE(prompter.messages().size(), 1);
        QVERIFY2(prompter.last().text.startsWith(kCantDownload + QStringLiteral("HTTP/1.1 408")),
                 qPrintable(prompter.last().text));
        QCOMPARE(prompter.last().style, int(MB_ABORTRETRYIGNORE | MB_ICONCRITICAL));
        QStringList expected{readTarget(), dummyTarget(), readTarget()};
        if (answer == IDRETRY)
            expected.append(readTarget());
        QCOMPARE(readsSeen(), expected);
        QCOMPARE(indicator.states, QList<int>({1, 1}));
        QVERIFY(logText().contains(k408Warning));
        QVERIFY(logText().contains(k408Again));
        QCOMPARE(reply.isEmpty(), answer != IDRETRY);
    }

    void failedDummyAsksItsOwnQuestion_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<int>("outcome");
        QTest::addColumn<int>("reads");
        QTest::newRow("abort") << int(IDABORT) << int(LookupAbort) << 2;
        QTest::newRow("ignore") << int(IDIGNORE) << int(LookupIgnore) << 2;
        QTest::newRow("retry") << int(IDRETRY) << int(LookupSuccess) << 4;
    }
    void failedDummyAsksItsOwnQuestion()
    {
        QFETCH(int, answer);
        QFETCH(int, outcome);
        QFETCH(int, reads);
        QVERIFY(standin.addFault(json("{'endpoint':'read','kind':'status','status':408,'count':1}")));
        QVERIFY(standin.addFault(json("{'endpoint':'read','kind':'status','status':503,'count':1}")));
        test::ScriptedPrompter prompter;
        prompter.queue(answer);
        test::RecordingIndicator indicator;
        QByteArray reply;
        QCOMPARE(read(reply), outcome);
        QCOMPARE(prompter.messages().size(), 1);
        QVERIFY2(prompter.last().text.startsWith(kCantDummy + QStringLiteral("HTTP/1.1 503")),
                 qPrintable(prompter.last().text));
        QCOMPARE(readsSeen().size(), reads);
        if (answer == IDRETRY)
            QCOMPARE(readsSeen(), QStringList({readTarget(), dummyTarget(), dummyTarget(), readTarget()}));
        QCOMPARE(indicator.states, QList<int>({1, 1}));
    }

    void failedReadAsks_data()
    {
        QTest::addColumn<QJsonObject>("fault");
        QTest::addColumn<int>("answer");
        QTest::addColumn<int>("outcome");
        const QJsonObject down = json("{'endpoint':'read','kind':'status','status':503,'html':true,'always':true}");
        const QJsonObject drop = json("{'endpoint':'read','kind':'drop','always':true}");
        const QJsonObject missing = json("{'endpoint':'read','kind':'status','status':404,'body':'Not found.','always':true}");
        QTest::newRow("503 abort") << down << int(IDABORT) << int(LookupAbort);
        QTest::newRow("503 retry") << down << int(IDRETRY) << int(LookupSuccess);
        QTest::newRow("503 ignore") << down << int(IDIGNORE) << int(LookupIgnore);
        QTest::newRow("404 ignore") << missing << int(IDIGNORE) << int(LookupIgnore);
        QTest::newRow("dropped abort") << drop << int(IDABORT) << int(LookupAbort);
        QTest::newRow("dropped retry") << drop << int(IDRETRY) << int(LookupSuccess);
    }
    void failedReadAsks()
    {
        QFETCH(QJsonObject, fault);
        QFETCH(int, answer);
        QFETCH(int, outcome);
        QVERIFY(standin.addFault(fault));
        test::HookedPrompter prompter;
        int readsBeforeQuestion = 0;
        prompter.onAsk = [&] {
            readsBeforeQuestion = int(readsSeen().size());
            standin.clearFaults();
        };
        prompter.queue(answer);
        test::RecordingIndicator indicator;
        QByteArray reply;
        QCOMPARE(read(reply), outcome);
        QCOMPARE(prompter.messages().size(), 1);
        const QString text = prompter.last().text;
        QVERIFY2(text.startsWith(kCantDownload) && text.size() > kCantDownload.size(), qPrintable(text));
        QCOMPARE(indicator.states, QList<int>{1});
        QVERIFY(readsBeforeQuestion >= 1);
        QCOMPARE(readsSeen().size(), readsBeforeQuestion + (answer == IDRETRY ? 1 : 0));
        QCOMPARE(reply.isEmpty(), outcome != LookupSuccess);
    }

    void cancelThroughTheCallbackEndsSilently()
    {
        QVERIFY(standin.addFault(json("{'endpoint':'read','kind':'slow','chunkBytes':64,'chunkDelayMs':100}")));
        test::ScriptedPrompter prompter;
        test::RecordingIndicator indicator;
        test::RecordingCallback cancel;
        cancel.cancelAfterReceived = 1;
        QByteArray reply;
        QCOMPARE(read(reply, &cancel), int(LookupAbort));
        QVERIFY(prompter.messages().isEmpty());
        QVERIFY(indicator.states.isEmpty());
        QCOMPARE(cancel.received.size(), 1);
        QVERIFY(reply.isEmpty());
    }

    void emptyReplyAsksRetryOrCancel()
    {
        QVERIFY(standin.addFault(json("{'endpoint':'read','kind':'empty','count':1}")));
        QVERIFY(standin.addFault(json("{'endpoint':'read','kind':'body','body':'  \\r\\n\\t ','count':1}")));
        test::ScriptedPrompter prompter;
        prompter.queue({IDRETRY, IDRETRY});
        QByteArray reply;
        QCOMPARE(read(reply), int(LookupSuccess));
        QVERIFY(reply.contains("<post "));
        QCOMPARE(prompter.texts(),
                 QStringList(2, QStringLiteral("Request was successful but not data received.")));
        QCOMPARE(prompter.last().style, int(MB_RETRYCANCEL | MB_ICONCRITICAL));
        QCOMPARE(readsSeen().size(), 3);

        QVERIFY(standin.clearRequests());
        QVERIFY(standin.addFault(json("{'endpoint':'read','kind':'empty','count':1}")));
        prompter.clear();
        prompter.queue(IDCANCEL);
        reply = "stale";
        QCOMPARE(read(reply), int(LookupSuccess));
        QVERIFY(reply.isEmpty());
        QCOMPARE(readsSeen().size(), 1);
    }

    void badRepliesReachTheParser_data()
    {
        QTest::addColumn<QJsonObject>("fault");
        QTest::addColumn<QString>("question");
        QTest::newRow("not xml") << json("{'endpoint':'read','kind':'nonxml'}")
                                 << QStringLiteral("Can't load received XML data.\r\n\r\n");
        QTest::newRow("maintenance page") << json("{'endpoint':'read','kind':'maintenance'}")
                                          << QStringLiteral("XML data was loaded but API version was not found. Looks like it was invalid XML or even XHTML (for example, from Privoxy).");
    }
    void badRepliesReachTheParser()
    {
        QFETCH(QJsonObject, fault);
        QFETCH(QString, question);
        QVERIFY(standin.addFault(fault));
        test::ScriptedPrompter prompter;
        QByteArray reply;
        QCOMPARE(read(reply), int(LookupSuccess));
        prompter.queue(IDRETRY);
        PostLinks links;
        QCOMPARE(ParsePostReply(reply, links), int(LookupRetry));
        QVERIFY(prompter.last().text.startsWith(question));
        // The caller reads again, and the fault is gone.
        QCOMPARE(read(reply), int(LookupSuccess));
        QCOMPARE(ParsePostReply(reply, links), int(LookupSuccess));
        QVERIFY(!links[PostLinks::Picture1280].isEmpty());
    }

    void replyWithTwoSizesOnly()
    {
        QVERIFY(standin.addFault(json("{'endpoint':'read','kind':'sizes','sizes':[500,75]}")));
        test::ScriptedPrompter prompter;
        QByteArray reply;
        QCOMPARE(read(reply), int(LookupSuccess));
        PostLinks links;
        QCOMPARE(ParsePostReply(reply, links), int(LookupSuccess));
        const QJsonObject urls = post.value(QStringLiteral("urls")).toObject();
        QCOMPARE(links[PostLinks::Picture500], urls.value(QStringLiteral("500")).toString());
        QCOMPARE(links[PostLinks::Picture75], urls.value(QStringLiteral("75")).toString());
        for (int i : {PostLinks::Picture1280, PostLinks::Picture400, PostLinks::Picture250, PostLinks::Picture100})
            QVERIFY(links[i].isEmpty());
        QVERIFY(!links[PostLinks::PostURL].isEmpty());
        QVERIFY(prompter.messages().isEmpty());
    }

    void indicatorOnlyWhenTheUploadWindowIsOpen()
    {
        // Without a registered indicator the lookup still runs its course.
        QVERIFY(UploadStatusIndicator() == nullptr);
        QVERIFY(standin.addFault(json("{'endpoint':'read','kind':'status','status':500}")));
        test::ScriptedPrompter prompter;
        prompter.queue(IDIGNORE);
        QByteArray reply;
        QCOMPARE(read(reply), int(LookupIgnore));
    }
};

QTEST_GUILESS_MAIN(TestPostLookup)
#include "test_postlookup.moc"
