// The parts of the service client that judge texts: no server needed.
#include "scriptedprompter.h"
#include "testenv.h"

#include "platform/httprequest.h"
#include "service/postlookup.h"
#include "service/postsubmit.h"
#include "service/requestframe.h"

#include <QTest>

using namespace ruvia;

namespace {

const char kAuthReply[] = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<tumblr version=\"1.0\">\n"
    "  <user default-post-format=\"html\" can-upload-audio=\"1\"/>\n"
    "  <tumblelog title=\"Main Blog\" name=\"mainblog\" url=\"http://mainblog.tumblr.com/\" type=\"public\" is-primary=\"yes\"/>\n"
    "  <tumblelog title=\"Hidden\" private-id=\"1234567\" type=\"private\"/>\n"
    "  <tumblelog title=\"Side Blog\" name=\"sideblog\" url=\"http://sideblog.tumblr.com/\" type=\"public\" posts=\"\" queue-count=\"\"/>\n"
    "</tumblr>";

QByteArray blogs(const QByteArray& entries)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<tumblr version=\"1.0\"><user/>" + entries
        + "</tumblr>";
}

QByteArray postReply(const QByteArray& photoUrls, const QByteArray& version = "1.0")
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<tumblr"
        + (version.isNull() ? QByteArray() : " version=\"" + version + "\"")
        + "><tumblelog name=\"b\" title=\"B\">About</tumblelog><posts start=\"0\" total=\"9\">"
          "<post id=\"77\" url=\"http://b.tumblr.com/post/77\" "
          "url-with-slug=\"http://b.tumblr.com/post/77/a-slug\" type=\"photo\">"
          "<photo-caption>Cap</photo-caption>"
        + photoUrls + "<tag>t</tag></post></posts></tumblr>";
}

QByteArray photoUrl(const char* size)
{
    return QByteArray("<photo-url max-width=\"") + size + "\">http://1.media.tumblr.com/k_" + size
        + ".jpg</photo-url>";
}

QString url(const char* size)
{
    return QStringLiteral("http://1.media.tumblr.com/k_") + QLatin1String(size)
        + QStringLiteral(".jpg");
}

} // namespace

class TestServiceParse : public QObject {
    Q_OBJECT
    test::TempProfile profile;

private Q_SLOTS:
    void decodeReplyText_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("expected");
        QTest::newRow("one line") << QByteArray("Invalid credentials.") << QStringLiteral("Invalid credentials.");
        QTest::newRow("utf-8") << QByteArray("Caf\xc3\xa9 \xe2\x80\x94 bad") << QStringLiteral("Caf\u00e9 \u2014 bad");
        QTest::newRow("empty") << QByteArray() << QString();
        QTest::newRow("crlf") << QByteArray("first\r\nsecond") << QString();
        QTest::newRow("lone lf") << QByteArray("first\nsecond") << QString();
        QTest::newRow("lone cr") << QByteArray("first\rsecond") << QString();
        QTest::newRow("trailing lf") << QByteArray("Please select a photo to upload.\n") << QString();
        QTest::newRow("html page") << QByteArray("<html>\n<body>Error</body>\n</html>") << QString();
    }
    void decodeReplyText()
    {
        QFETCH(QByteArray, text);
        QFETCH(QString, expected);
        QCOMPARE(DecodeReplyText(text), expected);
    }

    void parseGroupList_data()
    {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<QString>("expected");
        QTest::newRow("service sample, private skipped")
            << QByteArray(kAuthReply)
            << QStringLiteral("Main Blog | mainblog.tumblr.com\r\nSide Blog | sideblog.tumblr.com");
        QTest::newRow("upper-case scheme and trailing slash")
            << blogs("<tumblelog title=\"T\" url=\"HTTP://Shout.tumblr.com/\" type=\"public\"/>")
            << QStringLiteral("T | Shout.tumblr.com");
        QTest::newRow("mixed-case scheme, no slash")
            << blogs("<tumblelog title=\"T\" url=\"hTTp://x.tumblr.com\" type=\"public\"/>")
            << QStringLiteral("T | x.tumblr.com");
        QTest::newRow("only one trailing slash goes")
            << blogs("<tumblelog title=\"T\" url=\"http://x.tumblr.com//\" type=\"public\"/>")
            << QStringLiteral("T | x.tumblr.com/");
        QTest::newRow("own domain")
            << blogs("<tumblelog title=\"Mine\" url=\"http://www.example.org/\" type=\"public\"/>")
            << QStringLiteral("Mine | www.example.org");
        QTest::newRow("no title starts with the separator")
            << blogs("<tumblelog url=\"http://a.tumblr.com/\" type=\"public\"/><tumblelog title=\"\" url=\"http://b.tumblr.com/\"/>")
            << QStringLiteral(" | a.tumblr.com\r\n | b.tumblr.com");
        QTest::newRow("private in any letter case")
            << blogs("<tumblelog title=\"P\" url=\"http://p.tumblr.com/\" type=\"PriVate\"/><tumblelog title=\"Q\" url=\"http://q.tumblr.com/\" type=\"public\"/>")
            << QStringLiteral("Q | q.tumblr.com");
        QTest::newRow("only private blogs")
            << blogs("<tumblelog title=\"P\" private-id=\"1\" type=\"private\"/><tumblelog title=\"R\" private-id=\"2\" type=\"private\"/>")
            << QString();
        QTest::newRow("url missing or only the scheme")
            << blogs("<tumblelog title=\"A\" type=\"public\"/><tumblelog title=\"B\" url=\"http:///\" type=\"public\"/><tumblelog title=\"C\" url=\"http://c.tumblr.com/\"/>")
            << QStringLiteral("C | c.tumblr.com");
        QTest::newRow("non-ascii title decoded once")
            << blogs("<tumblelog title=\"Caf\xc3\xa9 \xe2\x98\x95\" url=\"http://c.tumblr.com/\"/>")
            << QStringLiteral("Caf\u00e9 \u2615 | c.tumblr.com");
        QTest::newRow("no blogs at all") << blogs("") << QString();
    }
    void parseGroupList()
    {
        QFETCH(QByteArray, reply);
        QFETCH(QString, expected);
        test::ScriptedPrompter prompter;
        QString list = QStringLiteral("old");
        QVERIFY(ParseGroupList(reply, list));
        QCOMPARE(list, expected);
        QVERIFY(prompter.messages().isEmpty());
    }

    void parseGroupListRefusals_data()
    {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<bool>("reported");
        QTest::newRow("empty reply") << QByteArray() << false;
        QTest::newRow("not xml") << QByteArray("<html><body>Oops") << true;
        QTest::newRow("plain text") << QByteArray("Invalid credentials.") << true;
    }
    void parseGroupListRefusals()
    {
        QFETCH(QByteArray, reply);
        QFETCH(bool, reported);
        test::ScriptedPrompter prompter;
        QString list = QStringLiteral("Main Blog | mainblog.tumblr.com");
        QVERIFY(!ParseGroupList(reply, list));
        QCOMPARE(list, QStringLiteral("Main Blog | mainblog.tumblr.com"));
        if (reported) {
            QCOMPARE(prompter.texts(),
                     QStringList{QStringLiteral("XML from Tumblr recieved but it contains invalid data.")});
            QCOMPARE(prompter.last().icon(), int(MB_ICONCRITICAL));
        } else {
            QVERIFY(prompter.messages().isEmpty());
        }
    }

    void findLocationHeader_data()
    {
        QTest::addColumn<QString>("headers");
        QTest::addColumn<bool>("found");
        QTest::addColumn<QString>("location");
        const QString status = QStringLiteral("HTTP/1.1 301 Moved Permanently\r\n");
        QTest::newRow("last line with CR LF")
            << status + QStringLiteral("Server: x\r\nLocation: http://a.org/api/read?id=5\r\n")
            << true << QStringLiteral("http://a.org/api/read?id=5");
        QTest::newRow("last line without CR LF")
            << status + QStringLiteral("Server: x\r\nLocation: http://a.org/api/read?id=5")
            << false << QString();
        QTest::newRow("first header")
            << status + QStringLiteral("Location: http://b.org/x\r\nServer: x\r\n") << true
            << QStringLiteral("http://b.org/x");
        QTest::newRow("middle, blanks trimmed")
            << status + QStringLiteral("A: 1\r\nLocation:   http://c.org/y  \r\nB: 2\r\n") << true
            << QStringLiteral("http://c.org/y");
        QTest::newRow("first of two")
            << status + QStringLiteral("Location: http://1.org/\r\nLocation: http://2.org/\r\n")
            << true << QStringLiteral("http://1.org/");
        QTest::newRow("letter case matters")
            << status + QStringLiteral("location: http://d.org/\r\n") << false << QString();
        QTest::newRow("needs the blank")
            << status + QStringLiteral("Location:http://d.org/\r\n") << false << QString();
        QTest::newRow("not a header of its own")
            << status + QStringLiteral("Content-Location: http://d.org/\r\n") << false << QString();
        QTest::newRow("no headers") << status << false << QString();
        QTest::newRow("empty value") << status + QStringLiteral("Location: \r\n") << true << QString();
    }
    void findLocationHeader()
    {
        QFETCH(QString, headers);
        QFETCH(bool, found);
        QFETCH(QString, location);
        QString got = QStringLiteral("unchanged");
        QCOMPARE(FindLocationHeader(headers, got), found);
        if (found)
            QCOMPARE(got, location);
    }

    void parseURL_data()
    {
        QTest::addColumn<QString>("url");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QString>("host");
        QTest::addColumn<int>("port");
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("secure");
        QTest::newRow("plain") << QStringLiteral("http://www.example.org/api/read?id=5") << true
                               << QStringLiteral("www.example.org") << 80
                               << QStringLiteral("/api/read?id=5") << false;
        QTest::newRow("port and case") << QStringLiteral("HTTP://Blog.Example.org:8080/p") << true
                                       << QStringLiteral("Blog.Example.org") << 8080
                                       << QStringLiteral("/p") << false;
        QTest::newRow("https") << QStringLiteral("https://secure.example.org/api/read?id=5") << true
                               << QStringLiteral("secure.example.org") << 443
                               << QStringLiteral("/api/read?id=5") << true;
        QTest::newRow("https with port 80") << QStringLiteral("https://s.org:80/") << true
                                            << QStringLiteral("s.org") << 80 << QStringLiteral("/")
                                            << true;
        QTest::newRow("no path") << QStringLiteral("http://a.org") << true << QStringLiteral("a.org")
                                 << 80 << QStringLiteral("/") << false;
        QTest::newRow("query only") << QStringLiteral("http://a.org?id=1") << true
                                    << QStringLiteral("a.org") << 80 << QStringLiteral("/?id=1")
                                    << false;
        QTest::newRow("fragment dropped") << QStringLiteral("http://a.org/x#top") << true
                                          << QStringLiteral("a.org") << 80 << QStringLiteral("/x")
                                          << false;
        QTest::newRow("ipv6") << QStringLiteral("http://[::1]:8080/x") << true
                              << QStringLiteral("[::1]") << 8080 << QStringLiteral("/x") << false;
        QTest::newRow("blanks around") << QStringLiteral("  http://a.org/x \t") << true
                                       << QStringLiteral("a.org") << 80 << QStringLiteral("/x")
                                       << false;
        const QString none;
        QTest::newRow("relative") << QStringLiteral("/api/read?id=5") << false << none << 0 << none << false;
        QTest::newRow("no scheme") << QStringLiteral("a.org/x") << false << none << 0 << none << false;
        QTest::newRow("ftp") << QStringLiteral("ftp://a.org/x") << false << none << 0 << none << false;
        QTest::newRow("empty host") << QStringLiteral("http:///x") << false << none << 0 << none << false;
        QTest::newRow("user info") << QStringLiteral("http://u:p@a.org/") << false << none << 0 << none << false;
        QTest::newRow("port 0") << QStringLiteral("http://a.org:0/") << false << none << 0 << none << false;
        QTest::newRow("port too big") << QStringLiteral("http://a.org:65536/") << false << none << 0 << none << false;
        QTest::newRow("port not digits") << QStringLiteral("http://a.org:8o/") << false << none << 0 << none << false;
        QTest::newRow("empty port") << QStringLiteral("http://a.org:/") << false << none << 0 << none << false;
        QTest::newRow("blank inside") << QStringLiteral("http://a.org/a b") << false << none << 0 << none << false;
        QTest::newRow("header injection") << QStringLiteral("http://a.org/\r\nX: y") << false << none << 0 << none << false;
        QTest::newRow("backslash host") << QStringLiteral("http://a.org\\evil/") << false << none << 0 << none << false;
        QTest::newRow("empty") << QString() << false << none << 0 << none << false;
        QTest::newRow("two colons") << QStringLiteral("http://a:b:80/x") << false << none << 0 << none << false;
        QTest::newRow("two ports") << QStringLiteral("http://h:80:90/") << false << none << 0 << none << false;
        QTest::newRow("bare ipv6") << QStringLiteral("http://::1/") << false << none << 0 << none << false;
        QTest::newRow("text after ipv6") << QStringLiteral("http://[::1]x:80/") << false << none << 0 << none << false;
        QTest::newRow("not an ipv6") << QStringLiteral("http://[a.org]/") << false << none << 0 << none << false;
    }
    void parseURL()
    {
        QFETCH(QString, url);
        QFETCH(bool, ok);
        QString host = QStringLiteral("h0");
        int port = -1;
        QString path = QStringLiteral("p0");
        bool secure = false;
        QCOMPARE(HTTPRequest::ParseURL(url, host, port, path, &secure), ok);
        if (!ok) {
            QCOMPARE(host, QStringLiteral("h0"));
            QCOMPARE(port, -1);
            return;
        }
        QTEST(host, "host");
        QTEST(port, "port");
        QTEST(path, "path");
        QTEST(secure, "secure");
    }

    void parsePostReply_data()
    {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<QStringList>("fields");
        const QString post = QStringLiteral("http://b.tumblr.com/post/77");
        const QString slug = QStringLiteral("http://b.tumblr.com/post/77/a-slug");
        QTest::newRow("all six sizes")
            << postReply(photoUrl("1280") + photoUrl("500") + photoUrl("400") + photoUrl("250")
                         + photoUrl("100") + photoUrl("75"))
            << QStringList{url("1280"), url("500"), url("400"), url("250"), url("100"), url("75"), post, slug};
        QTest::newRow("sizes in another order")
            << postReply(photoUrl("75") + photoUrl("250") + photoUrl("1280") + photoUrl("100")
                         + photoUrl("400") + photoUrl("500"))
            << QStringList{url("1280"), url("500"), url("400"), url("250"), url("100"), url("75"), post, slug};
        QTest::newRow("500 and 75 only")
            << postReply(photoUrl("500") + photoUrl("75"))
            << QStringList{{}, url("500"), {}, {}, {}, url("75"), post, slug};
        QTest::newRow("unknown id: empty posts")
            << QByteArray("<?xml version=\"1.0\"?><tumblr version=\"1.0\"><tumblelog name=\"b\"/>"
                          "<posts start=\"0\" total=\"0\"/></tumblr>")
            << QStringList(8, QString());
    }
    void parsePostReply()
    {
        QFETCH(QByteArray, reply);
        QFETCH(QStringList, fields);
        test::ScriptedPrompter prompter;
        PostLinks links;
        links[PostLinks::Picture250] = QStringLiteral("stale");
        QCOMPARE(ParsePostReply(reply, links), int(LookupSuccess));
        QStringList got;
        for (int i = 0; i < PostLinks::FieldCount; ++i)
            got.append(links[i]);
        QCOMPARE(got, fields);
        QVERIFY(prompter.messages().isEmpty());
    }

    void parsePostReplyQuestions_data()
    {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<int>("answer");
        QTest::addColumn<int>("outcome");
        QTest::addColumn<QString>("prefix");
        const QString load = QStringLiteral("Can't load received XML data.\r\n\r\n");
        const QString version = QStringLiteral(
            "XML data was loaded but API version was not found. Looks like it was invalid XML or "
            "even XHTML (for example, from Privoxy).");
        const QByteArray xhtml = "<?xml version=\"1.0\"?><html xmlns=\"http://www.w3.org/1999/xhtml\">"
                                 "<head><title>Maintenance</title></head><body><p>Back soon</p></body></html>";
        QTest::newRow("not xml, abort") << QByteArray("<html><body>oops") << int(IDABORT) << 1 << load;
        QTest::newRow("not xml, retry") << QByteArray("not xml at all") << int(IDRETRY) << 3 << load;
        QTest::newRow("not xml, ignore") << QByteArray("<a></b>") << int(IDIGNORE) << 2 << load;
        QTest::newRow("empty, ignore") << QByteArray() << int(IDIGNORE) << 2 << load;
        QTest::newRow("xhtml, abort") << xhtml << int(IDABORT) << 1 << version;
        QTest::newRow("xhtml, retry") << xhtml << int(IDRETRY) << 3 << version;
        QTest::newRow("xhtml, ignore") << xhtml << int(IDIGNORE) << 2 << version;
        QTest::newRow("empty version")
            << postReply(photoUrl("500"), "") << int(IDIGNORE) << 2 << version;
        QTest::newRow("no version attribute")
            << postReply(photoUrl("500"), QByteArray()) << int(IDRETRY) << 3 << version;
    }
    void parsePostReplyQuestions()
    {
        QFETCH(QByteArray, reply);
        QFETCH(int, answer);
        QFETCH(int, outcome);
        QFETCH(QString, prefix);
        test::ScriptedPrompter prompter;
        prompter.queue(answer);
        PostLinks links;
        QCOMPARE(ParsePostReply(reply, links), outcome);
        QCOMPARE(prompter.messages().size(), 1);
        const Message m = prompter.last();
        QVERIFY2(m.text.startsWith(prefix), qPrintable(m.text));
        if (prefix.endsWith(QStringLiteral("\r\n\r\n")))
            QVERIFY2(m.text.size() > prefix.size(), "the parser's error text follows");
        else
            QCOMPARE(m.text, prefix);
        QCOMPARE(m.style, int(MB_ABORTRETRYIGNORE | MB_ICONCRITICAL));
        QVERIFY(links == PostLinks());
    }

    void postIdFromReply_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QString>("id");
        QTest::newRow("digits") << QByteArray("431830023") << QStringLiteral("431830023");
        QTest::newRow("blanks around") << QByteArray(" \t42\r\n") << QStringLiteral("42");
        QTest::newRow("empty") << QByteArray() << QString();
        QTest::newRow("blanks only") << QByteArray("  \r\n") << QString();
        QTest::newRow("letters") << QByteArray("abc") << QString();
        QTest::newRow("digits then text") << QByteArray("12a") << QString();
        QTest::newRow("blank inside") << QByteArray("12 34") << QString();
        QTest::newRow("sign") << QByteArray("-5") << QString();
        QTest::newRow("path") << QByteArray("../../x") << QString();
        QTest::newRow("xpath quote") << QByteArray("1\"]|//*[\"") << QString();
        QTest::newRow("arabic-indic digits") << QByteArray("\xd9\xa3\xd9\xa4") << QString();
    }
    void postIdFromReply()
    {
        QFETCH(QByteArray, body);
        QTEST(PostIdFromReply(body), "id");
    }

    void agentNamesProgramAndVersion()
    {
        QCOMPARE(HTTPRequest::GetAgentString(),
                 QStringLiteral("Ruvia/%1.%2.%3")
                     .arg(RUVIA_VERSION_MAJOR)
                     .arg(RUVIA_VERSION_MINOR)
                     .arg(RUVIA_VERSION_PATCH));
    }
};

QTEST_GUILESS_MAIN(TestServiceParse)
#include "test_serviceparse.moc"
