// Authentication and the group list, end to end against the stand-in.
#include "scriptedprompter.h"
#include "servicefixture.h"
#include "standin.h"
#include "testenv.h"

#include "service/requestframe.h"

#include <QJsonArray>

using namespace ruvia;
using test::json;

class TestAuthenticate : public QObject {
    Q_OBJECT
    test::TempProfile profile;
    test::StandIn standin;

    static QString email() { return QStringLiteral("a@b.c"); }
    static QString password() { return QStringLiteral("s3cret"); }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY2(standin.start({QStringLiteral("--account"), QStringLiteral("a@b.c:s3cret"),
                                QStringLiteral("--blog"), QStringLiteral("a@b.c:mainblog:Main Blog"),
                                QStringLiteral("--blog"), QStringLiteral("a@b.c:hidden:Hidden:private"),
                                QStringLiteral("--blog"), QStringLiteral("a@b.c:untitled:"),
                                QStringLiteral("--blog"), QStringLiteral("a@b.c:side:Caf\u00e9 Side"),
                                QStringLiteral("--account"), QStringLiteral("p@b.c:pw"),
                                QStringLiteral("--blog"), QStringLiteral("p@b.c:secret:Secret:private")}),
                 qPrintable(standin.errorOutput()));
        QVERIFY(test::pointProxyAt(standin.port()));
    }

    void init()
    {
        QVERIFY(standin.clearFaults());
        QVERIFY(standin.clearRequests());
    }

    void groupListOfAnAccount()
    {
        test::ScriptedPrompter prompter;
        const QByteArray reply = Authenticate(email(), password(), nullptr);
        QVERIFY2(!reply.isEmpty(), qPrintable(prompter.texts().join(u'|')));
        QString list;
        QVERIFY(ParseGroupList(reply, list));
        QCOMPARE(list, QStringLiteral("Main Blog | mainblog.tumblr.com\r\n | untitled.tumblr.com\r\n"
                                      "Caf\u00e9 Side | side.tumblr.com"));
        QVERIFY(prompter.messages().isEmpty());

        const QJsonArray log = standin.requests();
        QCOMPARE(log.size(), 1);
        const QJsonObject r = log.first().toObject();
        QCOMPARE(r.value(QStringLiteral("endpoint")).toString(), QStringLiteral("authenticate"));
        QCOMPARE(r.value(QStringLiteral("method")).toString(), QStringLiteral("POST"));
        QCOMPARE(r.value(QStringLiteral("target")).toString(),
                 QStringLiteral("http://www.tumblr.com/api/authenticate"));
        QCOMPARE(test::StandIn::fieldNames(r),
                 QStringList({QStringLiteral("email"), QStringLiteral("password"), QStringLiteral("generator")}));
        QCOMPARE(test::StandIn::fieldBytes(r, QStringLiteral("email")), QByteArray("a@b.c"));
        QCOMPARE(test::StandIn::fieldBytes(r, QStringLiteral("password")), QByteArray("s3cret"));
        QCOMPARE(test::StandIn::fieldBytes(r, QStringLiteral("generator")),
                 HTTPRequest::GetAgentString().toUtf8());
    }

    void onlyPrivateBlogsGiveAnEmptyList()
    {
        test::ScriptedPrompter prompter;
        const QByteArray reply = Authenticate(QStringLiteral("p@b.c"), QStringLiteral("pw"), nullptr);
        QVERIFY(reply.contains("private"));
        QString list = QStringLiteral("old");
        QVERIFY(ParseGroupList(reply, list));
        QCOMPARE(list, QString());
    }

    void failuresAreReported_data()
    {
        QTest::addColumn<QJsonObject>("fault");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("message");
        const QString prefix = QStringLiteral("Can't authenticate on Tumblr. ");
        const QString transport = QStringLiteral("Can't authenicate on Tumblr.");
        QTest::newRow("bad credentials") << QJsonObject() << QStringLiteral("wrong")
                                         << prefix + QStringLiteral("Invalid credentials.");
        QTest::newRow("one-line 500") << json("{'endpoint':'authenticate','kind':'status','status':500,'body':'Something broke.'}")
                                      << password() << prefix + QStringLiteral("Something broke.");
        QTest::newRow("utf-8 one-line 403") << json("{'endpoint':'authenticate','kind':'status','status':403,'body':'Caf\u00e9 ferm\u00e9.'}")
                                            << password() << prefix + QStringLiteral("Caf\u00e9 ferm\u00e9.");
        QTest::newRow("html 503") << json("{'endpoint':'authenticate','kind':'status','status':503,'html':true}")
                                  << password() << prefix;
        QTest::newRow("multi-line text 400") << json("{'endpoint':'authenticate','kind':'status','status':400,'body':'First.\\nSecond.'}")
                                             << password() << prefix;
        QTest::newRow("200 is the only success") << json("{'endpoint':'authenticate','kind':'body','status':201,'body':'x'}")
                                                 << password() << prefix + QStringLiteral("x");
        QTest::newRow("redirect is not followed") << json("{'endpoint':'authenticate','kind':'redirect','location':'http://www.tumblr.com/api/authenticate'}")
                                                  << password() << prefix;
        QTest::newRow("dropped connection") << json("{'endpoint':'authenticate','kind':'drop','always':true}")
                                            << password() << transport;
        QTest::newRow("dropped before the body") << json("{'endpoint':'authenticate','kind':'drop','when':'headers','always':true}")
                                                 << password() << transport;
    }
    void failuresAreReported()
    {
        QFETCH(QJsonObject, fault);
        QFETCH(QString, password);
        QFETCH(QString, message);
        if (!fault.isEmpty())
            QVERIFY(standin.addFault(fault));
        test::ScriptedPrompter prompter;
        QCOMPARE(Authenticate(email(), password, nullptr), QByteArray());
        QCOMPARE(prompter.messages().size(), 1);
        const Message m = prompter.last();
        QVERIFY2(m.text.startsWith(message + QStringLiteral("\r\n\r\n")), qPrintable(m.text));
        // The request's details follow: a status line, or the transport's error text.
        const QString details = m.text.mid(message.size() + 4);
        QVERIFY(!details.isEmpty());
        if (message.startsWith(QStringLiteral("Can't authenticate")))
            QVERIFY2(details.startsWith(QStringLiteral("HTTP/1.1 ")), qPrintable(details));
        QCOMPARE(m.style, int(MB_ICONCRITICAL));
        // A connection closed before any answer is tried again by the network layer.
        if (!message.startsWith(QStringLiteral("Can't authenicate")))
            QCOMPARE(standin.requests(QStringLiteral("authenticate")).size(), 1);
    }

    void failedReplyLeavesTheListAlone()
    {
        test::ScriptedPrompter prompter;
        QString list = QStringLiteral("Main Blog | mainblog.tumblr.com");
        QVERIFY(!ParseGroupList(Authenticate(email(), QStringLiteral("wrong"), nullptr), list));
        QCOMPARE(list, QStringLiteral("Main Blog | mainblog.tumblr.com"));
        QCOMPARE(prompter.messages().size(), 1);
    }

    void unreadableReplyIsReported_data()
    {
        QTest::addColumn<QJsonObject>("fault");
        QTest::newRow("not xml") << json("{'endpoint':'authenticate','kind':'nonxml'}");
        QTest::newRow("plain text") << json("{'endpoint':'authenticate','kind':'body','body':'hello'}");
    }
    void unreadableReplyIsReported()
    {
        QFETCH(QJsonObject, fault);
        QVERIFY(standin.addFault(fault));
        test::ScriptedPrompter prompter;
        QString list = QStringLiteral("before");
        QVERIFY(!ParseGroupList(Authenticate(email(), password(), nullptr), list));
        QCOMPARE(list, QStringLiteral("before"));
        QCOMPARE(prompter.texts(),
                 QStringList{QStringLiteral("XML from Tumblr recieved but it contains invalid data.")});
    }

    void hostsOfOtherShapes()
    {
        QVERIFY(standin.addFault(json(
            "{'endpoint':'authenticate','kind':'body','contentType':'text/xml','body':"
            "'<?xml version=\\'1.0\\'?><tumblr version=\\'1.0\\'><user/>"
            "<tumblelog title=\\'Loud\\' url=\\'HTTP://Loud.tumblr.com/\\' type=\\'public\\'/>"
            "<tumblelog title=\\'Own\\' url=\\'http://www.example.org/\\' type=\\'public\\'/>"
            "<tumblelog title=\\'Gone\\' url=\\'\\' type=\\'public\\'/></tumblr>'}")));
        test::ScriptedPrompter prompter;
        QString list;
        QVERIFY(ParseGroupList(Authenticate(email(), password(), nullptr), list));
        QCOMPARE(list, QStringLiteral("Loud | Loud.tumblr.com\r\nOwn | www.example.org"));
    }

    void cancelDuringGetStopsTheTransfer()
    {
        QVERIFY(standin.addFault(json("{'endpoint':'authenticate','kind':'slow','chunkBytes':32,'chunkDelayMs':100}")));
        test::ScriptedPrompter prompter;
        test::RecordingCallback cancel;
        cancel.cancelAfterReceived = 1;
        QCOMPARE(Authenticate(email(), password(), &cancel), QByteArray());
        QCOMPARE(cancel.received.size(), 1);
        QCOMPARE(prompter.messages().size(), 1);
        QVERIFY(prompter.last().text.startsWith(QStringLiteral("Can't authenicate on Tumblr.\r\n\r\n")));
    }
};

QTEST_GUILESS_MAIN(TestAuthenticate)
#include "test_authenticate.moc"
