// Creating photo posts through "/api/write", against the stand-in.
#include "scriptedprompter.h"
#include "servicefixture.h"
#include "standin.h"
#include "testenv.h"

#include "core/settings.h"
#include "service/postsubmit.h"

#include <QCryptographicHash>
#include <QJsonArray>

using namespace ruvia;
using test::json;

namespace {
const QString kEmail = QStringLiteral("a@b.c");
const QString kPassword = QStringLiteral("pw");
const QString kGroup = QStringLiteral("mainblog.tumblr.com");
} // namespace

class TestPostSubmit : public QObject {
    Q_OBJECT
    test::TempProfile profile;
    test::StandIn standin;
    QByteArray picture;

    struct Post {
        QString caption, tags, url;
        int state = StatePublishNow;
        QString publishOn;
        QByteArray data;
        QString source;
        QString group = kGroup;
        QString password = kPassword;
    };

    bool write(const Post& p, QString& id, IHTTPRequestCallback* callback = nullptr)
    {
        return WritePost(p.group, kEmail, p.password, p.caption, p.tags, p.url, p.state,
                         p.publishOn, p.data, p.source, callback, id);
    }

    QJsonObject lastWrite()
    {
        const QJsonArray writes = standin.requests(QStringLiteral("write"));
        return writes.isEmpty() ? QJsonObject() : writes.last().toObject();
    }

    static QString transportMessage() { return QStringLiteral("Can't send post."); }

    static QStringList names(std::initializer_list<const char*> list)
    {
        QStringList out;
        for (const char* n : list)
            out.append(QString::fromLatin1(n));
        return out;
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY2(standin.start({QStringLiteral("--account"), QStringLiteral("a@b.c:pw"),
                                QStringLiteral("--blog"), QStringLiteral("a@b.c:mainblog:Main Blog"),
                                QStringLiteral("--blog"), QStringLiteral("a@b.c:sideblog:Side Blog")}),
                 qPrintable(standin.errorOutput()));
        QVERIFY(test::pointProxyAt(standin.port()));
        // Every byte value, CR LF pairs and things that look like delimiters.
        for (int i = 0; i < 40000; ++i)
            picture.append(char((i * 7919) & 0xFF));
        picture += "\r\n--\r\n\r\n";
    }

    void init()
    {
        QVERIFY(standin.clearFaults());
        QVERIFY(standin.clearRequests());
    }

    void allFieldsInOrder()
    {
        test::ScriptedPrompter prompter;
        Post p;
        p.caption = QStringLiteral("Caf\u00e9 <b>\u2615</b>");
        p.tags = QStringLiteral("\u00fcber, \"two words\"");
        p.url = QStringLiteral("http://example.org/\u00e4?q=1");
        p.state = StatePublishNow;
        p.data = picture;
        QString id;
        QVERIFY(write(p, id));
        const QJsonObject r = lastWrite();
        QCOMPARE(r.value(QStringLiteral("target")).toString(), QStringLiteral("http://www.tumblr.com/api/write"));
        QCOMPARE(r.value(QStringLiteral("method")).toString(), QStringLiteral("POST"));
        QCOMPARE(test::StandIn::fieldNames(r),
                 names({"email", "password", "type", "caption", "click-through-url", "data",
                        "generator", "tags", "group", "state"}));
        QCOMPARE(test::StandIn::fieldBytes(r, QStringLiteral("email")), kEmail.toUtf8());
        QCOMPARE(test::StandIn::fieldBytes(r, QStringLiteral("password")), kPassword.toUtf8());
        QCOMPARE(test::StandIn::fieldBytes(r, QStringLiteral("type")), QByteArray("photo"));
        QCOMPARE(test::StandIn::fieldBytes(r, QStringLiteral("caption")),
                 QByteArray("Caf\xc3\xa9 <b>\xe2\x98\x95</b>"));
        QCOMPARE(test::StandIn::fieldBytes(r, QStringLiteral("tags")),
                 QByteArray("\xc3\xbc" "ber, \"two words\""));
        QCOMPARE(test::StandIn::fieldBytes(r, QStringLiteral("click-through-url")),
                 QByteArray("http://example.org/\xc3\xa4?q=1"));
        QCOMPARE(test::StandIn::fieldBytes(r, QStringLiteral("generator")),
                 HTTPRequest::GetAgentString().toUtf8());
        QCOMPARE(test::StandIn::fieldBytes(r, QStringLiteral("group")), kGroup.toUtf8());
        QCOMPARE(test::StandIn::fieldBytes(r, QStringLiteral("state")), QByteArray("published"));
        const QJsonObject data = test::StandIn::field(r, QStringLiteral("data"));
        QCOMPARE(data.value(QStringLiteral("size")).toInteger(), picture.size());
        QCOMPARE(data.value(QStringLiteral("sha256")).toString(),
                 QString::fromLatin1(QCryptographicHash::hash(picture, QCryptographicHash::Sha256).toHex()));

        const QJsonObject stored = standin.posts().last().toObject();
        QCOMPARE(id, stored.value(QStringLiteral("id")).toString());
        QCOMPARE(stored.value(QStringLiteral("caption")).toString(), p.caption);
        QCOMPARE(stored.value(QStringLiteral("linkUrl")).toString(), p.url);
        QVERIFY(prompter.messages().isEmpty());
    }

    void emptyOptionalFields()
    {
        test::ScriptedPrompter prompter;
        Post p;
        p.data = picture;
        p.group.clear();
        QString id;
        QVERIFY(write(p, id));
        const QJsonObject r = lastWrite();
        QCOMPARE(test::StandIn::fieldNames(r),
                 names({"email", "password", "type", "data", "generator", "tags", "state"}));
        const QJsonObject tags = test::StandIn::field(r, QStringLiteral("tags"));
        QCOMPARE(tags.value(QStringLiteral("size")).toInt(), 0);
    }

    void stateFields_data()
    {
        QTest::addColumn<int>("state");
        QTest::addColumn<QStringList>("fields");
        QTest::addColumn<QStringList>("values");
        QTest::addColumn<QString>("stored");
        const QString when = QStringLiteral("2030-01-01T13:34:00");
        QTest::newRow("0 publish now") << 0 << names({"state"}) << QStringList{QStringLiteral("published")} << QStringLiteral("published");
        QTest::newRow("1 queue") << 1 << names({"state"}) << QStringList{QStringLiteral("queue")} << QStringLiteral("queue");
        QTest::newRow("2 publish on") << 2 << names({"state", "publish-on"}) << QStringList{QStringLiteral("queue"), when} << QStringLiteral("queue");
        QTest::newRow("3 draft") << 3 << names({"state"}) << QStringList{QStringLiteral("draft")} << QStringLiteral("draft");
        QTest::newRow("4 submission") << 4 << names({"state"}) << QStringList{QStringLiteral("submission")} << QStringLiteral("submission");
        QTest::newRow("5 private") << 5 << names({"private"}) << QStringList{QStringLiteral("1")} << QStringLiteral("published");
        QTest::newRow("6 as 2") << 6 << names({"state", "publish-on"}) << QStringList{QStringLiteral("queue"), when} << QStringLiteral("queue");
    }
    void stateFields()
    {
        QFETCH(int, state);
        QFETCH(QStringList, fields);
        QFETCH(QStringList, values);
        QFETCH(QString, stored);
        test::ScriptedPrompter prompter;
        Post p;
        p.data = picture;
        p.state = state;
        p.publishOn = QStringLiteral("2030-01-01T13:34:00");
        QString id;
        QVERIFY2(write(p, id), qPrintable(prompter.texts().join(u'|')));
        const QJsonObject r = lastWrite();
        const QStringList all = test::StandIn::fieldNames(r);
        QCOMPARE(all.mid(all.indexOf(QStringLiteral("group")) + 1), fields);
        for (int i = 0; i < fields.size(); ++i)
            QCOMPARE(QString::fromUtf8(test::StandIn::fieldBytes(r, fields.at(i))), values.at(i));
        const QJsonObject post = standin.posts().last().toObject();
        QCOMPARE(post.value(QStringLiteral("state")).toString(), stored);
        QCOMPARE(post.value(QStringLiteral("private")).toBool(), state == StatePrivate);
        QVERIFY(prompter.messages().isEmpty());
    }

    void invalidStateWarnsAndStillPosts_data()
    {
        QTest::addColumn<int>("state");
        QTest::newRow("7") << 7;
        QTest::newRow("-1") << -1;
    }
    void invalidStateWarnsAndStillPosts()
    {
        QFETCH(int, state);
        test::ScriptedPrompter prompter;
        Post p;
        p.data = picture;
        p.state = state;
        QString id;
        QVERIFY(write(p, id));
        QCOMPARE(prompter.texts(), QStringList{QStringLiteral("Warning! Invalid post state!")});
        QCOMPARE(prompter.last().style, int(MB_ICONCRITICAL));
        const QStringList all = test::StandIn::fieldNames(lastWrite());
        QCOMPARE(all.last(), QStringLiteral("group"));
        QVERIFY(!id.isEmpty());
    }

    void sourceWinsOverData()
    {
        test::ScriptedPrompter prompter;
        Post p;
        p.data = picture;
        p.source = QStringLiteral("http://pictures.example.org/cat.jpg");
        QString id;
        QVERIFY(write(p, id));
        const QJsonObject r = lastWrite();
        QCOMPARE(test::StandIn::fieldNames(r),
                 names({"email", "password", "type", "source", "generator", "tags", "group", "state"}));
        QCOMPARE(test::StandIn::fieldBytes(r, QStringLiteral("source")), p.source.toUtf8());
        QCOMPARE(standin.posts().last().toObject().value(QStringLiteral("source")).toString(), p.source);
    }

    void failuresAreReported_data()
    {
        QTest::addColumn<QJsonObject>("fault");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("message");
        const QString prefix = QStringLiteral("Can't send post. ");
        const QString transport = QStringLiteral("Can't send post.");
        QTest::newRow("bad credentials") << QJsonObject() << QStringLiteral("wrong")
                                         << prefix + QStringLiteral("Your email address or password were incorrect.");
        QTest::newRow("200 is a failure") << json("{'endpoint':'write','kind':'body','status':200,'body':'12345'}")
                                          << kPassword << prefix + QStringLiteral("12345");
        QTest::newRow("one-line 400") << json("{'endpoint':'write','kind':'status','status':400,'body':'Please select a photo to upload.'}")
                                      << kPassword << prefix + QStringLiteral("Please select a photo to upload.");
        QTest::newRow("multi-line 400") << json("{'endpoint':'write','kind':'status','status':400,'body':'Bad date.\\nBad group.'}")
                                        << kPassword << prefix;
        QTest::newRow("html 500") << json("{'endpoint':'write','kind':'status','status':500,'html':true}")
                                  << kPassword << prefix;
        QTest::newRow("201 with an empty body") << json("{'endpoint':'write','kind':'status','status':201,'body':''}")
                                                << kPassword << prefix;
        QTest::newRow("201 with blanks only") << json("{'endpoint':'write','kind':'status','status':201,'body':'   '}")
                                              << kPassword << prefix + QStringLiteral("   ");
        QTest::newRow("201 with text") << json("{'endpoint':'write','kind':'status','status':201,'body':'../x'}")
                                       << kPassword << prefix + QStringLiteral("../x");
        QTest::newRow("201 with a quote") << json("{'endpoint':'write','kind':'status','status':201,'body':'5\\\"]'}")
                                          << kPassword << prefix + QStringLiteral("5\"]");
        QTest::newRow("dropped") << json("{'endpoint':'write','kind':'drop','always':true}") << kPassword << transport;
    }
    void failuresAreReported()
    {
        QFETCH(QJsonObject, fault);
        QFETCH(QString, password);
        QFETCH(QString, message);
        if (!fault.isEmpty())
            QVERIFY(standin.addFault(fault));
        test::ScriptedPrompter prompter;
        Post p;
        p.data = picture;
        p.password = password;
        QString id = QStringLiteral("stale");
        QVERIFY(!write(p, id));
        QVERIFY(id.isEmpty());
        QCOMPARE(prompter.messages().size(), 1);
        const Message m = prompter.last();
        QVERIFY2(m.text.startsWith(message + QStringLiteral("\r\n\r\n")), qPrintable(m.text));
        QVERIFY(m.text.size() > message.size() + 4);
        QCOMPARE(m.style, int(MB_ICONCRITICAL));
        // A connection closed before any answer is tried again by the network layer.
        if (message != transportMessage())
            QCOMPARE(standin.requests(QStringLiteral("write")).size(), 1);
    }

    void idWithBlanksAroundIsAccepted()
    {
        QVERIFY(standin.addFault(json("{'endpoint':'write','kind':'status','status':201,'body':' 4242 '}")));
        test::ScriptedPrompter prompter;
        Post p;
        p.data = picture;
        QString id;
        QVERIFY(write(p, id));
        QCOMPARE(id, QStringLiteral("4242"));
    }

    void cancelWhileSendingReports()
    {
        QVERIFY(standin.addFault(json("{'endpoint':'write','kind':'slow','readBytes':65536,'readDelayMs':50}")));
        test::ScriptedPrompter prompter;
        test::RecordingCallback cancel;
        cancel.cancelAfterSent = 1;
        Post p;
        p.data = QByteArray(4 * 1024 * 1024, 'p');
        QString id;
        QVERIFY(!write(p, id, &cancel));
        QCOMPARE(cancel.sent.size(), 1);
        QCOMPARE(prompter.messages().size(), 1);
        QVERIFY(prompter.last().text.startsWith(QStringLiteral("Can't send post.\r\n\r\n")));
        QVERIFY(standin.posts().isEmpty() || standin.posts().last().toObject().value(QStringLiteral("dataSha256")).toString()
                != QString::fromLatin1(QCryptographicHash::hash(p.data, QCryptographicHash::Sha256).toHex()));
    }

    void timeoutComesFromTheSettings()
    {
        QVERIFY(standin.addFault(json("{'endpoint':'write','kind':'delay','ms':5000}")));
        const qint32 saved = SET_Timeout;
        SET_Timeout = 300;
        test::ScriptedPrompter prompter;
        Post p;
        p.data = picture;
        QString id;
        const bool ok = write(p, id);
        SET_Timeout = saved;
        QVERIFY(!ok);
        QCOMPARE(prompter.messages().size(), 1);
        QVERIFY(prompter.last().text.startsWith(QStringLiteral("Can't send post.\r\n\r\n")));
    }
};

QTEST_GUILESS_MAIN(TestPostSubmit)
#include "test_postsubmit.moc"
