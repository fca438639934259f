// The stand-in service seen from outside: raw HTTP over loopback, as a
// client behind an HTTP proxy would talk to it.
#include "platform/xmldocument.h"
#include "rawhttp.h"
#include "standin.h"
#include "testenv.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QHttpMultiPart>
#include <QImage>
#include <QJsonDocument>
#include <QNetworkAccessManager>
#include <QNetworkInterface>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/socket.h>

using namespace Qt::StringLiterals;
using ruvia::xhXMLDocument;
using ruvia::test::StandIn;

namespace {

const QByteArray kEmail = "me@example.com";
const QByteArray kPassword = "secret";

using Field = ruvia::test::FormField;
using ruvia::test::Reply;
using ruvia::test::readReply;
using ruvia::test::waitForBytes;
using ruvia::test::multipart;
using ruvia::test::urlEncoded;


QByteArray makePicture(int width, int height, const char* format = "PNG")
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, qRgb(x % 256, y % 256, (x + y) % 256));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

QSize pictureSize(const QByteArray& bytes)
{
    return QImage::fromData(bytes).size();
}

const QByteArray& kBoundary = ruvia::test::kFormBoundary;

// A request in proxy form (absolute target), as a client behind a proxy sends it.
QByteArray request(const QByteArray& method, const QByteArray& url, const QByteArray& body = {},
                   const QByteArray& contentType = {}, const QByteArray& extraHeaders = {})
{
    const QByteArray host = QUrl::fromEncoded(url).host().toLatin1();
    QByteArray r = method + ' ' + url + " HTTP/1.1\r\nHost: " + host + "\r\n" + extraHeaders;
    if (!contentType.isEmpty())
        r += "Content-Type: " + contentType + "\r\n";
    if (!body.isEmpty() || method == "POST")
        r += "Content-Length: " + QByteArray::number(body.size()) + "\r\n";
    return r + "\r\n" + body;
}

QByteArray postMultipart(const QByteArray& url, const QList<Field>& fields)
{
    return request("POST", url, multipart(fields), "multipart/form-data; boundary=" + kBoundary);
}



Reply exchange(quint16 port, const QByteArray& raw)
{
    QTcpSocket socket;
    socket.connectToHost(u"127.0.0.1"_s, port);
    if (!socket.waitForConnected(5000))
        return {};
    socket.write(raw);
    QByteArray buffer;
    return readReply(socket, buffer);
}

QString xmlText(const QByteArray& xml, const QString& xpath)
{
    xhXMLDocument doc;
    if (!doc.LoadXML(xml))
        return u"<not xml>"_s;
    return doc.GetText(xpath);
}

// A figure of /proc/<pid>/status, in kB (-1 when the process is gone).
qint64 procStatusKb(qint64 pid, const QByteArray& field)
{
    QFile status(u"/proc/%1/status"_s.arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(field + ':'))
            return line.mid(field.size() + 1).trimmed().split(' ').first().toLongLong();
    return -1;
}

// True once the process has ended (gone, or a zombie nobody reaps yet).
bool waitForEnd(qint64 pid, int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    do {
        QFile stat(u"/proc/%1/stat"_s.arg(pid));
        if (!stat.open(QIODevice::ReadOnly))
            return true;
        const QByteArray text = stat.readAll();
        if (text.mid(text.lastIndexOf(')') + 2, 1) == "Z")
            return true;
        QTest::qWait(50);
    } while (timer.elapsed() < timeoutMs);
    return false;
}

// Everything the server sends until it closes the connection (or timeoutMs).
QByteArray readToEnd(QTcpSocket& socket, int timeoutMs = 5000)
{
    QByteArray got;
    QElapsedTimer timer;
    timer.start();
    while (socket.state() == QAbstractSocket::ConnectedState && timer.elapsed() < timeoutMs) {
        socket.waitForReadyRead(int(qMax<qint64>(1, timeoutMs - timer.elapsed())));
        got += socket.readAll();
    }
    return got + socket.readAll();
}

} // namespace

class TestStandIn : public QObject {
    Q_OBJECT

private:
    StandIn m_standin;
    QString m_postId;

    QList<Field> writeFields(const QByteArray& picture) const
    {
        return {{"email", kEmail},
                {"password", kPassword},
                {"type", "photo"},
                {"caption", "Caf\xc3\xa9 <b>bold</b>"},
                {"click-through-url", "http://click.example.org/"},
                {"data", picture, "p.png", "image/png"},
                {"generator", "Tolvane - Ruvia 1.0"},
                {"tags", "first tag, \"second, with comma\""}};
    }
    Reply post(const QByteArray& raw) { return exchange(m_standin.port(), raw); }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY2(m_standin.start({u"--account"_s, u"me@example.com:secret"_s, u"--blog"_s,
                                  u"me@example.com:mainblog:Main Blog"_s, u"--blog"_s,
                                  u"me@example.com:sideblog:Side Blog"_s, u"--blog"_s,
                                  u"me@example.com:hidden:Hidden:private"_s}),
                 qPrintable(m_standin.errorOutput()));
        const Reply r = post(postMultipart("http://www.tumblr.com/api/write",
                                           writeFields(makePicture(1600, 1000))));
        QCOMPARE(r.status, 201);
        m_postId = QString::fromLatin1(r.body);
    }

    void init()
    {
        QVERIFY(m_standin.clearFaults());
        QVERIFY(m_standin.clearRequests());
    }

    void authenticate_data()
    {
        QTest::addColumn<QByteArray>("password");
        QTest::addColumn<bool>("multipartForm");
        QTest::addColumn<int>("status");
        QTest::newRow("multipart") << kPassword << true << 200;
        QTest::newRow("url-encoded") << kPassword << false << 200;
        QTest::newRow("bad password") << QByteArray("wrong") << true << 403;
    }
    void authenticate()
    {
        QFETCH(QByteArray, password);
        QFETCH(bool, multipartForm);
        QFETCH(int, status);
        const QList<Field> fields{{"email", kEmail}, {"password", password}, {"generator", "x"}};
        const QByteArray url = "http://www.tumblr.com/api/authenticate";
        const Reply r = post(multipartForm ? postMultipart(url, fields)
                                           : request("POST", url, urlEncoded(fields),
                                                     "application/x-www-form-urlencoded"));
        QCOMPARE(r.status, status);
        if (status != 200) {
            QVERIFY(!r.body.isEmpty());
            QVERIFY(!r.body.contains('\n'));
            return;
        }
        QVERIFY(r.header("Content-Type").startsWith("text/xml"));
        xhXMLDocument doc;
        QVERIFY(doc.LoadXML(r.body));
        QCOMPARE(doc.GetText(u"/tumblr/@version"_s), u"1.0"_s);
        QVERIFY(doc.SelectSingleNode(u"/tumblr/user/@can-upload-video"_s));
        QCOMPARE(doc.SelectNodes(u"/tumblr/tumblelog"_s).size(), size_t(3));
        QCOMPARE(doc.GetText(u"/tumblr/tumblelog[1]/@url"_s), u"http://mainblog.tumblr.com/"_s);
        QCOMPARE(doc.GetText(u"/tumblr/tumblelog[1]/@is-primary"_s), u"yes"_s);
        QCOMPARE(doc.GetText(u"/tumblr/tumblelog[2]/@title"_s), u"Side Blog"_s);
        QVERIFY(!doc.SelectSingleNode(u"/tumblr/tumblelog[2]/@is-primary"_s));
        QCOMPARE(doc.GetText(u"/tumblr/tumblelog[3]/@type"_s), u"private"_s);
        QVERIFY(!doc.GetText(u"/tumblr/tumblelog[3]/@private-id"_s).isEmpty());
        QVERIFY(!doc.SelectSingleNode(u"/tumblr/tumblelog[3]/@url"_s));
        QVERIFY(!doc.SelectSingleNode(u"/tumblr/tumblelog[3]/@name"_s));
    }

    // The post made in initTestCase, read back on its blog and every size fetched.
    void writeThenReadBack()
    {
        QVERIFY(QRegularExpression(u"^[0-9]+$"_s).match(m_postId).hasMatch());
        const Reply r = post(postMultipart(
            "http://mainblog.tumblr.com/api/read?id=" + m_postId.toLatin1(),
            {{"email", kEmail}, {"password", kPassword}, {"filter", "text"}, {"type", "photo"}}));
        QCOMPARE(r.status, 200);
        xhXMLDocument doc;
        QVERIFY(doc.LoadXML(r.body));
        QCOMPARE(doc.GetText(u"/tumblr/@version"_s), u"1.0"_s);
        QCOMPARE(doc.GetText(u"/tumblr/tumblelog/@name"_s), u"mainblog"_s);
        const QString url = u"http://mainblog.tumblr.com/post/"_s + m_postId;
        QCOMPARE(doc.GetText(u"/tumblr/posts/post/@id"_s), m_postId);
        QCOMPARE(doc.GetText(u"/tumblr/posts/post/@url"_s), url);
        QCOMPARE(doc.GetText(u"/tumblr/posts/post/@url-with-slug"_s), url + u"/caf-bold"_s);
        QCOMPARE(doc.GetText(u"/tumblr/posts/post/@type"_s), u"photo"_s);
        QCOMPARE(doc.GetText(u"/tumblr/posts/post/@width"_s), u"1600"_s);
        QCOMPARE(doc.GetText(u"/tumblr/posts/post/@height"_s), u"1000"_s);
        QVERIFY(QRegularExpression(u"^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d GMT$"_s)
                    .match(doc.GetText(u"/tumblr/posts/post/@date-gmt"_s))
                    .hasMatch());
        QVERIFY(!doc.GetText(u"/tumblr/posts/post/@unix-timestamp"_s).isEmpty());
        QVERIFY(!doc.GetText(u"/tumblr/posts/post/@reblog-key"_s).isEmpty());
        QCOMPARE(doc.GetText(u"/tumblr/posts/post/photo-caption"_s), u"Caf\u00e9 bold"_s);
        QCOMPARE(doc.GetText(u"/tumblr/posts/post/photo-link-url"_s),
                 u"http://click.example.org/"_s);
        const auto tags = doc.SelectNodes(u"/tumblr/posts/post/tag"_s);
        QCOMPARE(tags.size(), size_t(2));
        QCOMPARE(xhXMLDocument::NodeText(tags[1]), u"second, with comma"_s);
        // Six sizes in order, then the tags.
        QStringList order;
        for (const auto& n : doc.SelectNodes(u"/tumblr/posts/post/*"_s))
            order << ruvia::fromU8(n.node().name()) +
                         ruvia::fromU8(n.node().attribute("max-width").value());
        QCOMPARE(order, QStringList({u"photo-caption"_s, u"photo-link-url"_s,
                                     u"photo-url1280"_s, u"photo-url500"_s, u"photo-url400"_s,
                                     u"photo-url250"_s, u"photo-url100"_s, u"photo-url75"_s,
                                     u"tag"_s, u"tag"_s}));
        const QList<QSize> expected{{1280, 800}, {500, 312}, {400, 250},
                                    {250, 156},  {100, 62},  {75, 75}};
        for (int i = 0; i < 6; ++i) {
            const QByteArray pictureUrl =
                xhXMLDocument::NodeText(doc.SelectNodes(u"/tumblr/posts/post/photo-url"_s)[i])
                    .toLatin1();
            QVERIFY2(QRegularExpression(u"^http://\\d+\\.media\\.tumblr\\.com/tumblr_\\w+o1_"
                                        "(1280|500|400|250|100|75sq)\\.png$"_s)
                         .match(QString::fromLatin1(pictureUrl))
                         .hasMatch(),
                     pictureUrl.constData());
            const Reply picture = post(request("GET", pictureUrl));
            QCOMPARE(picture.status, 200);
            QCOMPARE(picture.header("Content-Type"), QByteArray("image/png"));
            const QSize size = pictureSize(picture.body);
            QCOMPARE(size.width(), expected.at(i).width());
            QVERIFY(qAbs(size.height() - expected.at(i).height()) <= 1);
        }
    }

    // Sizes above the picture's width point to the file that holds it whole.
    void smallPicture()
    {
        const QByteArray picture = makePicture(300, 200, "JPEG");
        QList<Field> fields = writeFields(picture);
        fields[5] = {"data", picture, "small.jpg", "image/jpeg"};
        const Reply w = post(postMultipart("http://www.tumblr.com/api/write", fields));
        QCOMPARE(w.status, 201);
        QCOMPARE(m_standin.posts().last().toObject().value(u"originalFileName"_s).toString(),
                 u"small.jpg"_s);
        const Reply r = post(request("GET", "http://mainblog.tumblr.com/api/read?id=" + w.body));
        xhXMLDocument doc;
        QVERIFY(doc.LoadXML(r.body));
        const auto urls = doc.SelectNodes(u"/tumblr/posts/post/photo-url"_s);
        QCOMPARE(urls.size(), size_t(6));
        QStringList files;
        for (const auto& n : urls)
            files << xhXMLDocument::NodeText(n).section(u'_', -1);
        QCOMPARE(files, QStringList({u"400.jpg"_s, u"400.jpg"_s, u"400.jpg"_s, u"250.jpg"_s,
                                     u"100.jpg"_s, u"75sq.jpg"_s}));
        // The whole-picture file is the posted file, byte for byte.
        const Reply whole = post(request("GET", xhXMLDocument::NodeText(urls[0]).toLatin1()));
        QCOMPARE(whole.body, picture);
        QCOMPARE(whole.header("Content-Type"), QByteArray("image/jpeg"));
        // Reached directly too, with a Host header and a path.
        const QByteArray path = QUrl(xhXMLDocument::NodeText(urls[3])).path().toLatin1();
        const Reply direct = post("GET " + path + " HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n");
        QCOMPARE(pictureSize(direct.body).width(), 250);
    }

    void writeErrors_data()
    {
        QTest::addColumn<QByteArray>("field");
        QTest::addColumn<QByteArray>("value");
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("text");
        QTest::newRow("bad password") << QByteArray("password") << QByteArray("nope") << 403
                                      << QByteArray("Your email address or password were "
                                                    "incorrect.");
        QTest::newRow("no picture") << QByteArray("data") << QByteArray() << 400
                                    << QByteArray("Please select a photo to upload.");
        QTest::newRow("unknown group") << QByteArray("group") << QByteArray("else.tumblr.com")
                                       << 400 << QByteArray();
        QTest::newRow("unreadable publish-on")
            << QByteArray("publish-on") << QByteArray("someday soon") << 400 << QByteArray();
    }
    void writeErrors()
    {
        QFETCH(QByteArray, field);
        QFETCH(QByteArray, value);
        QFETCH(int, status);
        QFETCH(QByteArray, text);
        const qsizetype before = m_standin.posts().size();
        QList<Field> fields = writeFields(makePicture(40, 30));
        fields.append(Field{"state", "queue"});
        bool replaced = false;
        for (Field& f : fields)
            if (f.name == field) {
                f.value = value;
                replaced = true;
            }
        if (!replaced)
            fields.append(Field{field, value});
        const Reply r = post(postMultipart("http://www.tumblr.com/api/write", fields));
        QCOMPARE(r.status, status);
        if (!text.isEmpty())
            QCOMPARE(r.body, text);
        QVERIFY(!r.body.isEmpty());
        QVERIFY(!r.body.contains('\n'));
        QCOMPARE(m_standin.posts().size(), before);
    }

    void groupSourceAndVisibility()
    {
        QList<Field> fields = writeFields(makePicture(64, 64));
        fields.append(Field{"source", "http://pictures.example.net/far-away.jpg"});
        fields.append(Field{"group", "sideblog.tumblr.com"});
        fields.append(Field{"state", "draft"});
        const Reply w = post(postMultipart("http://www.tumblr.com/api/write", fields));
        QCOMPARE(w.status, 201);
        const QJsonObject stored = m_standin.posts().last().toObject();
        QCOMPARE(stored.value(u"blog"_s).toString(), u"sideblog"_s);
        // The source won over the data, and nothing left this machine.
        QVERIFY(stored.value(u"generated"_s).toBool());
        QCOMPARE(stored.value(u"width"_s).toInt(), 320);
        QCOMPARE(stored.value(u"originalFileName"_s).toString(), QString());

        const QByteArray id = w.body;
        const QList<Field> auth{{"email", kEmail}, {"password", kPassword}};
        // Another blog's host does not show it; an unauthenticated read hides a draft.
        // Both answer as for an unknown id: the blog's HTML "not found" page.
        Reply r = post(postMultipart("http://mainblog.tumblr.com/api/read?id=" + id, auth));
        QCOMPARE(r.status, 404);
        QVERIFY(r.body.contains("<html>"));
        r = post(request("GET", "http://sideblog.tumblr.com/api/read?id=" + id));
        QCOMPARE(r.status, 404);
        r = post(postMultipart("http://sideblog.tumblr.com/api/read?id=" + id, auth));
        QCOMPARE(xmlText(r.body, u"/tumblr/posts/post/@id"_s), QString::fromLatin1(id));
        r = post(postMultipart("http://sideblog.tumblr.com/api/read?id=" + id,
                               {{"email", kEmail}, {"password", "bad"}}));
        QCOMPARE(r.status, 403);
        QCOMPARE(r.body, QByteArray("Authentication failed."));

        // A source that is one of its own picture URLs is copied.
        const QString own = m_standin.posts().first().toObject().value(u"urls"_s).toObject()
                                .value(u"250"_s).toString();
        fields = writeFields({});
        fields.removeAt(5);
        fields.append(Field{"source", own.toUtf8()});
        QCOMPARE(post(postMultipart("http://www.tumblr.com/api/write", fields)).status, 201);
        const QJsonObject copy = m_standin.posts().last().toObject();
        QVERIFY(!copy.value(u"generated"_s).toBool());
        QCOMPARE(copy.value(u"width"_s).toInt(), 250);
    }

    // The owner's list read: published and private posts, or with state=
    // only those in that state; and the log names the post each write made.
    void listReadByState()
    {
        const QList<Field> auth{{"email", kEmail}, {"password", kPassword}};
        QByteArray ids[2];
        const char* states[2] = {"draft", "queue"};
        for (int i = 0; i < 2; ++i) {
            QList<Field> fields = writeFields(makePicture(32, 32));
            fields.append(Field{"state", states[i]});
            const Reply w = post(postMultipart("http://www.tumblr.com/api/write", fields));
            QCOMPARE(w.status, 201);
            ids[i] = w.body;
            const QJsonArray writes = m_standin.requests(u"write"_s);
            QCOMPARE(writes.last().toObject().value(u"postId"_s).toString(), QString::fromLatin1(w.body));
        }
        auto listed = [&](const QList<Field>& fields) {
            const Reply r = post(postMultipart("http://mainblog.tumblr.com/api/read", fields));
            QStringList out;
            xhXMLDocument doc;
            if (r.status == 200 && doc.LoadXML(r.body))
                for (const pugi::xpath_node& n : doc.SelectNodes(u"/tumblr/posts/post"_s))
                    out.append(QString::fromUtf8(n.node().attribute("id").value()));
            return out;
        };
        QList<Field> drafts = auth;
        drafts.append(Field{"state", "draft"});
        QCOMPARE(listed(drafts).value(0), QString::fromLatin1(ids[0]));
        QList<Field> queued = auth;
        queued.append(Field{"state", "queue"});
        QVERIFY(listed(queued).contains(QString::fromLatin1(ids[1])));
        QVERIFY(!listed(queued).contains(QString::fromLatin1(ids[0])));
        const QStringList published = listed(auth);
        QVERIFY(!published.isEmpty());
        QVERIFY(!published.contains(QString::fromLatin1(ids[0])) && !published.contains(QString::fromLatin1(ids[1])));
    }

    void latestPosts()
    {
        const Reply r = post("GET /api/read?num=2 HTTP/1.1\r\nHost: mainblog.tumblr.com\r\n\r\n");
        QCOMPARE(r.status, 200);
        xhXMLDocument doc;
        QVERIFY(doc.LoadXML(r.body));
        QCOMPARE(doc.SelectNodes(u"/tumblr/posts/post"_s).size(), size_t(2));
        // Newest first.
        QVERIFY(doc.GetText(u"/tumblr/posts/post[1]/@id"_s).toLongLong() >
                doc.GetText(u"/tumblr/posts/post[2]/@id"_s).toLongLong());
    }

    void replyFaults_data()
    {
        QTest::addColumn<QByteArray>("fault");
        QTest::addColumn<QByteArray>("url");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("check");
        const QByteArray read = "http://mainblog.tumblr.com/api/read?id=";
        const QByteArray auth = "http://www.tumblr.com/api/authenticate";
        QTest::newRow("408") << QByteArray(R"({"endpoint":"read","kind":"status","status":408})")
                             << read << 408 << u"one line"_s;
        QTest::newRow("503 html")
            << QByteArray(R"({"endpoint":"authenticate","kind":"status","status":503,"html":true})")
            << auth << 503 << u"several lines"_s;
        QTest::newRow("empty 200") << QByteArray(R"({"endpoint":"read","kind":"empty"})") << read
                                   << 200 << u"empty"_s;
        QTest::newRow("non-XML") << QByteArray(R"({"endpoint":"read","kind":"nonxml"})") << read
                                 << 200 << u"not xml"_s;
        QTest::newRow("maintenance")
            << QByteArray(R"({"endpoint":"any","kind":"maintenance"})") << read << 200
            << u"xhtml"_s;
        QTest::newRow("sizes 500 and 75")
            << QByteArray(R"({"endpoint":"read","kind":"sizes","sizes":[500,75]})") << read << 200
            << u"500 75"_s;
        QTest::newRow("empty post id")
            << QByteArray(R"({"endpoint":"write","kind":"status","status":201,"body":""})")
            << QByteArray("http://www.tumblr.com/api/write") << 201 << u"empty"_s;
        QTest::newRow("non-digit post id")
            << QByteArray(R"({"endpoint":"write","kind":"status","status":201,"body":"ok"})")
            << QByteArray("http://www.tumblr.com/api/write") << 201 << u"ok"_s;
        QTest::newRow("other endpoint untouched")
            << QByteArray(R"({"endpoint":"write","kind":"status","status":500})") << read << 200
            << u"500 400 250 100 75 1280"_s;
        QTest::newRow("other host untouched")
            << QByteArray(R"({"endpoint":"read","host":"else.tumblr.com","kind":"empty"})")
            << read << 200 << u"500 400 250 100 75 1280"_s;
    }
    void replyFaults()
    {
        QFETCH(QByteArray, fault);
        QFETCH(QByteArray, url);
        QFETCH(int, status);
        QFETCH(QString, check);
        QVERIFY(m_standin.addFault(QJsonDocument::fromJson(fault).object()));
        const QByteArray target = url.endsWith("id=") ? url + m_postId.toLatin1() : url;
        const QList<Field> fields = url.endsWith("write") ? writeFields(makePicture(20, 20))
                                                         : QList<Field>{{"email", kEmail},
                                                                        {"password", kPassword}};
        const qsizetype postsBefore = m_standin.posts().size();
        const Reply r = post(postMultipart(target, fields));
        QCOMPARE(r.status, status);
        if (check == u"one line") {
            QVERIFY(!r.body.isEmpty() && !r.body.contains('\n'));
        } else if (check == u"several lines") {
            QVERIFY(r.body.count('\n') > 2);
        } else if (check == u"empty") {
            QVERIFY(r.body.isEmpty());
            QVERIFY(r.hasHeader("Content-Length"));
        } else if (check == u"not xml") {
            QVERIFY(!xhXMLDocument().LoadXML(r.body));
        } else if (check == u"xhtml") {
            xhXMLDocument doc;
            QVERIFY(doc.LoadXML(r.body));
            QCOMPARE(doc.GetText(u"/*/@version"_s), QString());
            QVERIFY(r.body.contains("<title>Maintenance</title>"));
        } else if (check == u"ok") {
            QCOMPARE(r.body, QByteArray("ok"));
        } else {
            QStringList sizes;
            xhXMLDocument doc; // the nodes selected live as long as their document
            doc.LoadXML(r.body);
            for (const auto& n : doc.SelectNodes(u"/tumblr/posts/post/photo-url/@max-width"_s))
                sizes << xhXMLDocument::NodeText(n);
            sizes.sort();
            QStringList expected = check.split(u' ');
            expected.sort();
            QCOMPARE(sizes, expected);
        }
        if (url.endsWith("write")) // a faulted write makes no post
            QCOMPARE(m_standin.posts().size(), postsBefore);
        // Count 1 by default: the next request is served normally.
        const Reply again = post(postMultipart(target, fields));
        QCOMPARE(again.status, url.endsWith("write") ? 201 : 200);
    }

    void redirects_data()
    {
        QTest::addColumn<QString>("position");
        QTest::addColumn<int>("index");
        QTest::newRow("first") << u"first"_s << 0;
        QTest::newRow("middle") << u"middle"_s << 1;
        QTest::newRow("last") << u"last"_s << -1;
    }
    void redirects()
    {
        QFETCH(QString, position);
        QFETCH(int, index);
        const QString location = u"http://www.example.org/api/read?id="_s + m_postId;
        QVERIFY(m_standin.addFault({{u"endpoint"_s, u"read"_s},
                                    {u"kind"_s, u"redirect"_s},
                                    {u"location"_s, location},
                                    {u"position"_s, position}}));
        const Reply r = post(request("POST", "http://mainblog.tumblr.com/api/read?id=" +
                                                 m_postId.toLatin1()));
        QCOMPARE(r.status, 301);
        QCOMPARE(r.header("Location"), location.toLatin1());
        qsizetype at = -1;
        for (qsizetype i = 0; i < r.headers.size(); ++i)
            if (r.headers.at(i).first == "Location")
                at = i;
        if (index < 0)
            QCOMPARE(at, r.headers.size() - 1);
        else if (index == 0)
            QCOMPARE(at, 0);
        else
            QVERIFY(at > 0 && at < r.headers.size() - 1);
        // The second host of the chain answers the post normally.
        const Reply next = post(request("POST", location.toLatin1()));
        QCOMPARE(next.status, 200);
        QCOMPARE(xmlText(next.body, u"/tumblr/posts/post/@id"_s), m_postId);
    }

    void redirectVariants()
    {
        // Without Location.
        QVERIFY(m_standin.addFault({{u"endpoint"_s, u"read"_s}, {u"kind"_s, u"redirect"_s}}));
        Reply r = post(request("GET", "http://mainblog.tumblr.com/api/read"));
        QCOMPARE(r.status, 301);
        QVERIFY(!r.hasHeader("Location"));
        // Always: a loop that never ends by itself.
        QVERIFY(m_standin.addFault({{u"endpoint"_s, u"read"_s},
                                    {u"kind"_s, u"redirect"_s},
                                    {u"always"_s, true},
                                    {u"location"_s, u"http://loop.example.org/api/read"_s}}));
        for (int i = 0; i < 3; ++i)
            QCOMPARE(post(request("GET", "http://loop.example.org/api/read")).status, 301);
        QCOMPARE(m_standin.faults().first().toObject().value(u"remaining"_s).toInt(), -1);
        QVERIFY(m_standin.clearFaults());
        QCOMPARE(post(request("GET", "http://loop.example.org/api/read")).status, 200);
    }

    void connectionFaults()
    {
        QElapsedTimer timer;
        // A delay before the answer.
        QVERIFY(m_standin.addFault({{u"endpoint"_s, u"read"_s},
                                    {u"kind"_s, u"delay"_s},
                                    {u"ms"_s, 400}}));
        timer.start();
        Reply r = post(request("GET", "http://mainblog.tumblr.com/api/read"));
        QCOMPARE(r.status, 200);
        QVERIFY(timer.elapsed() >= 350);

        // A slow body: the picture arrives whole, in pieces.
        const QString url = m_standin.posts().first().toObject().value(u"urls"_s).toObject()
                                .value(u"100"_s).toString();
        const QByteArray fast = post(request("GET", url.toLatin1())).body;
        QVERIFY(m_standin.addFault({{u"endpoint"_s, u"picture"_s},
                                    {u"kind"_s, u"slow"_s},
                                    {u"chunkBytes"_s, 1000},
                                    {u"chunkDelayMs"_s, 50}}));
        timer.restart();
        r = post(request("GET", url.toLatin1()));
        QCOMPARE(r.body, fast);
        QVERIFY(timer.elapsed() >= 50 * (fast.size() / 1000));

        // A slowly read request body still arrives whole.
        QVERIFY(m_standin.addFault({{u"endpoint"_s, u"write"_s},
                                    {u"kind"_s, u"slow"_s},
                                    {u"readBytes"_s, 4096},
                                    {u"readDelayMs"_s, 10}}));
        const QByteArray picture = makePicture(200, 100, "BMP");
        QList<Field> fields = writeFields(picture);
        r = post(postMultipart("http://www.tumblr.com/api/write", fields));
        QCOMPARE(r.status, 201);
        QCOMPARE(StandIn::field(m_standin.requests(u"write"_s).last().toObject(), u"data"_s)
                     .value(u"size"_s)
                     .toInteger(),
                 picture.size());

        // A dropped connection: closed with no answer at all; only after
        // "reply" was the request carried out.
        for (const char* when : {"request", "headers", "reply"}) {
            const qsizetype postsBefore = m_standin.posts().size();
            QVERIFY(m_standin.addFault({{u"endpoint"_s, u"write"_s},
                                        {u"kind"_s, u"drop"_s},
                                        {u"when"_s, QString::fromLatin1(when)}}));
            QTcpSocket socket;
            socket.connectToHost(u"127.0.0.1"_s, m_standin.port());
            QVERIFY(socket.waitForConnected(5000));
            socket.write(postMultipart("http://www.tumblr.com/api/write", fields));
            QByteArray got;
            while (socket.state() == QAbstractSocket::ConnectedState && socket.waitForReadyRead(5000))
                got += socket.readAll();
            got += socket.readAll();
            QVERIFY(got.isEmpty());
            QVERIFY(socket.state() != QAbstractSocket::ConnectedState);
            QCOMPARE(m_standin.posts().size(), postsBefore + (qstrcmp(when, "reply") == 0 ? 1 : 0));
        }
        QCOMPARE(m_standin.requests(u"write"_s).last().toObject().value(u"status"_s).toInt(), 0);
    }

    void badFaultRefused()
    {
        int status = 0;
        m_standin.control("POST", u"/_standin/faults"_s, R"({"kind":"explode"})", &status);
        QCOMPARE(status, 400);
        m_standin.control("POST", u"/_standin/faults"_s, "{not json", &status);
        QCOMPARE(status, 400);
        QVERIFY(m_standin.faults().isEmpty());
    }

    // What tests of the client rely on: fields in order, text and raw bytes.
    void requestLog()
    {
        const QByteArray picture = makePicture(120, 90);
        QList<Field> fields = writeFields(picture);
        fields.append(Field{"state", "queue"});
        fields.append(Field{"publish-on", "2030-01-01T13:34:00"});
        QCOMPARE(post(postMultipart("http://www.tumblr.com/api/write", fields)).status, 201);
        const QJsonArray log = m_standin.requests();
        QCOMPARE(log.size(), 1);
        const QJsonObject entry = log.first().toObject();
        QCOMPARE(entry.value(u"method"_s).toString(), u"POST"_s);
        QCOMPARE(entry.value(u"target"_s).toString(), u"http://www.tumblr.com/api/write"_s);
        QVERIFY(entry.value(u"proxyForm"_s).toBool());
        QCOMPARE(entry.value(u"host"_s).toString(), u"www.tumblr.com"_s);
        QCOMPARE(entry.value(u"endpoint"_s).toString(), u"write"_s);
        QCOMPARE(entry.value(u"form"_s).toString(), u"multipart"_s);
        QCOMPARE(entry.value(u"status"_s).toInt(), 201);
        const QJsonArray headers = entry.value(u"headers"_s).toArray();
        QCOMPARE(headers.first().toObject().value(u"name"_s).toString(), u"Host"_s);
        QCOMPARE(headers.at(1).toObject().value(u"name"_s).toString(), u"Content-Type"_s);
        QCOMPARE(StandIn::fieldNames(entry),
                 QStringList({u"email"_s, u"password"_s, u"type"_s, u"caption"_s,
                              u"click-through-url"_s, u"data"_s, u"generator"_s, u"tags"_s,
                              u"state"_s, u"publish-on"_s}));
        QCOMPARE(StandIn::field(entry, u"caption"_s).value(u"value"_s).toString(),
                 u"Caf\u00e9 <b>bold</b>"_s);
        const QJsonObject data = StandIn::field(entry, u"data"_s);
        QCOMPARE(data.value(u"filename"_s).toString(), u"p.png"_s);
        QCOMPARE(data.value(u"contentType"_s).toString(), u"image/png"_s);
        QCOMPARE(data.value(u"size"_s).toInteger(), picture.size());
        QCOMPARE(data.value(u"sha256"_s).toString().toLatin1(),
                 QCryptographicHash::hash(picture, QCryptographicHash::Sha256).toHex());
        QCOMPARE(StandIn::fieldBytes(entry, u"data"_s), picture);
        QVERIFY(!data.contains(u"value"_s)); // not UTF-8
        const QJsonObject stored = m_standin.posts().last().toObject();
        QCOMPARE(stored.value(u"state"_s).toString(), u"queue"_s);
        QCOMPARE(stored.value(u"publishOn"_s).toString(), u"2030-01-01T13:34:00"_s);
        QCOMPARE(stored.value(u"tags"_s).toArray().size(), 2);

        // A large field keeps only its size and hash.
        QByteArray big(200 * 1024, 'x');
        QCOMPARE(post(postMultipart("http://www.tumblr.com/api/authenticate",
                                    {{"email", kEmail}, {"password", kPassword}, {"pad", big}}))
                     .status,
                 200);
        const QJsonObject pad = StandIn::field(m_standin.requests().last().toObject(), u"pad"_s);
        QCOMPARE(pad.value(u"size"_s).toInteger(), big.size());
        QVERIFY(!pad.contains(u"base64"_s));
        QVERIFY(!pad.contains(u"value"_s));
    }

    // Several requests on one connection: 100-continue, a chunked body, then close.
    void keepAliveChunkedAndContinue()
    {
        QTcpSocket socket;
        socket.connectToHost(u"127.0.0.1"_s, m_standin.port());
        QVERIFY(socket.waitForConnected(5000));
        QByteArray buffer;
        const QByteArray body = urlEncoded({{"email", kEmail}, {"password", kPassword}});
        socket.write("POST /api/authenticate HTTP/1.1\r\nHost: www.tumblr.com\r\n"
                     "Expect: 100-continue\r\n"
                     "Content-Type: application/x-www-form-urlencoded\r\nContent-Length: " +
                     QByteArray::number(body.size()) + "\r\n\r\n");
        QVERIFY(waitForBytes(socket, buffer, 25));
        QVERIFY(buffer.startsWith("HTTP/1.1 100 Continue\r\n\r\n"));
        buffer.remove(0, 25);
        socket.write(body);
        Reply r = readReply(socket, buffer);
        QCOMPARE(r.status, 200);
        QVERIFY(!r.ok || r.header("Connection") == "keep-alive");

        QByteArray chunked = "POST http://www.tumblr.com/api/authenticate HTTP/1.1\r\n"
                             "Host: www.tumblr.com\r\nTransfer-Encoding: chunked\r\n"
                             "Content-Type: application/x-www-form-urlencoded\r\n\r\n";
        for (qsizetype at = 0; at < body.size(); at += 7) {
            const QByteArray piece = body.mid(at, 7);
            chunked += QByteArray::number(piece.size(), 16) + "\r\n" + piece + "\r\n";
        }
        socket.write(chunked + "0\r\n\r\n");
        r = readReply(socket, buffer);
        QCOMPARE(r.status, 200);
        QVERIFY(m_standin.requests().last().toObject().value(u"chunked"_s).toBool());

        socket.write("GET http://mainblog.tumblr.com/api/read HTTP/1.1\r\n"
                     "Host: mainblog.tumblr.com\r\nConnection: close\r\n\r\n");
        r = readReply(socket, buffer);
        QCOMPARE(r.status, 200);
        QCOMPARE(r.header("Connection"), QByteArray("close"));
        QVERIFY(socket.state() == QAbstractSocket::UnconnectedState ||
                socket.waitForDisconnected(5000));
    }

    // The way the client will reach it: Qt's own HTTP stack with the stand-in as proxy.
    void throughQtProxy()
    {
        QNetworkAccessManager manager;
        manager.setProxy(QNetworkProxy(QNetworkProxy::HttpProxy, StandIn::host(), m_standin.port()));
        auto* form = new QHttpMultiPart(QHttpMultiPart::FormDataType);
        const QByteArray picture = makePicture(1400, 1200, "JPEG") + QByteArray(6 << 20, '\0');
        for (const Field& f : writeFields(picture)) {
            QHttpPart part;
            QByteArray disposition = "form-data; name=\"" + f.name + '"';
            if (!f.filename.isEmpty())
                disposition += "; filename=\"" + f.filename + '"';
            part.setRawHeader("Content-Disposition", disposition);
            part.setBody(f.value);
            form->append(part);
        }
        QNetworkReply* reply =
            manager.post(QNetworkRequest(QUrl(u"http://www.tumblr.com/api/write"_s)), form);
        form->setParent(reply);
        QEventLoop loop;
        connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
        loop.exec();
        QCOMPARE(reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt(), 201);
        QVERIFY(QRegularExpression(u"^[0-9]+$"_s)
                    .match(QString::fromLatin1(reply->readAll()))
                    .hasMatch());
        reply->deleteLater();
        const QJsonObject entry = m_standin.requests(u"write"_s).last().toObject();
        QVERIFY(entry.value(u"proxyForm"_s).toBool());
        QCOMPARE(StandIn::field(entry, u"data"_s).value(u"sha256"_s).toString().toLatin1(),
                 QCryptographicHash::hash(picture, QCryptographicHash::Sha256).toHex());
        QCOMPARE(m_standin.posts().last().toObject().value(u"width"_s).toInt(), 1400);
    }

    void persistsAcrossRestart()
    {
        QTemporaryDir dir;
        StandIn first;
        const QStringList args{u"--demo"_s, u"--data"_s, dir.path()};
        QVERIFY(first.start(args));
        const Reply w = exchange(first.port(),
                                 postMultipart("http://www.tumblr.com/api/write",
                                               {{"email", "demo@example.com"},
                                                {"password", "demo"},
                                                {"type", "photo"},
                                                {"data", makePicture(600, 400), "a.png"}}));
        QCOMPARE(w.status, 201);
        first.stop();

        StandIn second;
        QVERIFY(second.start(args));
        const Reply r =
            exchange(second.port(), request("GET", "http://demoblog.tumblr.com/api/read?id=" + w.body));
        QCOMPARE(xmlText(r.body, u"/tumblr/posts/post/@id"_s), QString::fromLatin1(w.body));
        const QByteArray url = xmlText(r.body, u"/tumblr/posts/post/photo-url[2]"_s).toLatin1();
        QCOMPARE(pictureSize(exchange(second.port(), request("GET", url)).body).width(), 500);
        // New ids keep growing after a restart.
        const Reply w2 = exchange(second.port(),
                                  postMultipart("http://www.tumblr.com/api/write",
                                                {{"email", "demo@example.com"},
                                                 {"password", "demo"},
                                                 {"type", "photo"},
                                                 {"data", makePicture(60, 40), "b.png"}}));
        QVERIFY(w2.body.toLongLong() > w.body.toLongLong());
    }

    void commandLine()
    {
        StandIn other;
        QVERIFY(!other.start({u"--blog"_s, u"nobody@example.com:b:T"_s}));
        QVERIFY(other.errorOutput().contains(u"unknown account"_s));
        QVERIFY(!other.start({u"--fault"_s, u"{\"kind\":\"explode\"}"_s}));
        QVERIFY(other.start({u"--account"_s, u"a@b.c:p:w"_s, u"--blog"_s, u"a@b.c:solo:"_s,
                             u"--fault"_s, uR"({"endpoint":"authenticate","kind":"empty"})"_s}));
        QCOMPARE(other.faults().size(), 1);
        const QList<Field> auth{{"email", "a@b.c"}, {"password", "p:w"}};
        const QByteArray url = "http://www.tumblr.com/api/authenticate";
        QVERIFY(exchange(other.port(), postMultipart(url, auth)).body.isEmpty());
        // A password with a colon, and a blog without a title.
        const Reply r = exchange(other.port(), postMultipart(url, auth));
        QCOMPARE(r.status, 200);
        QCOMPARE(xmlText(r.body, u"/tumblr/tumblelog/@name"_s), u"solo"_s);
        QVERIFY(!r.body.contains("title="));
    }

    // A test that dies must not leave its stand-in behind.
    void exitsWhenItsParentDies()
    {
        QProcess shell;
        shell.setProgram(u"/bin/sh"_s);
        shell.setArguments({u"-c"_s, u"\"$0\" --port 0 & echo \"pid $!\"; wait"_s,
                            ruvia::test::binDir() + u"/ruvia-standin"_s});
        shell.start();
        QVERIFY(shell.waitForStarted());
        QByteArray out;
        while (!out.contains("listening on") && shell.waitForReadyRead(10000))
            out += shell.readAllStandardOutput();
        const QRegularExpressionMatch m = QRegularExpression(u"pid (\\d+)"_s).match(QString::fromLatin1(out));
        QVERIFY2(m.hasMatch(), out.constData());
        const qint64 pid = m.captured(1).toLongLong();
        shell.kill();
        shell.waitForFinished();
        const bool ended = waitForEnd(pid, 5000);
        if (!ended)
            ::kill(pid_t(pid), SIGKILL);
        QVERIFY(ended);
    }

    // A client that ends its sending after the request still gets the reply.
    void halfCloseGetsItsReply_data()
    {
        QTest::addColumn<QByteArray>("fault");
        QTest::newRow("at once") << QByteArray();
        QTest::newRow("after a delay") << QByteArray(R"({"endpoint":"read","kind":"delay","ms":300})");
        QTest::newRow("paced") << QByteArray(R"({"endpoint":"read","kind":"slow","chunkBytes":100,"chunkDelayMs":20})");
    }
    void halfCloseGetsItsReply()
    {
        QFETCH(QByteArray, fault);
        if (!fault.isEmpty())
            QVERIFY(m_standin.addFault(QJsonDocument::fromJson(fault).object()));
        QTcpSocket socket;
        socket.connectToHost(u"127.0.0.1"_s, m_standin.port());
        QVERIFY(socket.waitForConnected(5000));
        socket.write(request("GET", "http://mainblog.tumblr.com/api/read?id=" + m_postId.toLatin1()));
        QVERIFY(socket.waitForBytesWritten(5000));
        QVERIFY(::shutdown(int(socket.socketDescriptor()), SHUT_WR) == 0);
        const QByteArray got = readToEnd(socket);
        QVERIFY2(got.startsWith("HTTP/1.1 200 OK\r\n"), got.left(200).constData());
        QVERIFY(got.contains(m_postId.toLatin1()));
    }

    void multipartWithoutBoundaryRefused_data()
    {
        QTest::addColumn<QByteArray>("contentType");
        QTest::newRow("no parameters") << QByteArray("multipart/form-data");
        QTest::newRow("other parameter") << QByteArray("multipart/form-data; charset=utf-8");
        QTest::newRow("empty boundary") << QByteArray("Multipart/Form-Data; boundary=\"\"");
    }
    void multipartWithoutBoundaryRefused()
    {
        QFETCH(QByteArray, contentType);
        const QByteArray body = urlEncoded({{"email", kEmail}, {"password", kPassword}});
        const Reply r = post(request("POST", "http://www.tumblr.com/api/authenticate", body, contentType));
        QCOMPARE(r.status, 400);
        QCOMPARE(r.body, QByteArray("Malformed form: no boundary."));
    }

    // What a client sends or leaves unread cannot make the server's memory
    // grow without bound, and a connection left idle is closed.
    void trailersAreBounded_data()
    {
        QTest::addColumn<QByteArray>("trailer");
        QTest::newRow("many lines") << QByteArray("X-Trailer: 1\r\n").repeated(20000);
        QTest::newRow("one endless line") << "X-Trailer: " + QByteArray(300000, 'a');
    }
    void trailersAreBounded()
    {
        QFETCH(QByteArray, trailer);
        QTcpSocket socket;
        socket.connectToHost(u"127.0.0.1"_s, m_standin.port());
        QVERIFY(socket.waitForConnected(5000));
        socket.write("POST http://www.tumblr.com/api/authenticate HTTP/1.1\r\nHost: www.tumblr.com\r\n"
                     "Transfer-Encoding: chunked\r\n\r\n0\r\n" + trailer);
        QByteArray buffer;
        const Reply r = readReply(socket, buffer);
        QCOMPARE(r.status, 431);
    }

    void declaredBodySizesTakeNoMemory()
    {
        const qint64 before = procStatusKb(m_standin.pid(), "VmSize");
        QList<QTcpSocket*> sockets;
        for (int i = 0; i < 4; ++i) {
            auto* socket = new QTcpSocket(this);
            socket->connectToHost(u"127.0.0.1"_s, m_standin.port());
            QVERIFY(socket->waitForConnected(5000));
            socket->write("POST http://www.tumblr.com/api/write HTTP/1.1\r\nHost: www.tumblr.com\r\n"
                          "Content-Type: multipart/form-data; boundary=x\r\nContent-Length: 400000000\r\n\r\n--x\r\n");
            QVERIFY(socket->waitForBytesWritten(5000));
            sockets.append(socket);
        }
        QTest::qWait(300);
        const qint64 grown = procStatusKb(m_standin.pid(), "VmSize") - before;
        qDeleteAll(sockets);
        QVERIFY2(grown < 256 * 1024, qPrintable(u"%1 kB"_s.arg(grown)));
    }

    void unreadPipelinedRepliesAreNotHeld()
    {
        QImage noise(700, 500, QImage::Format_RGB32);
        for (int y = 0; y < noise.height(); ++y)
            for (int x = 0; x < noise.width(); ++x)
                noise.setPixel(x, y, QRandomGenerator::global()->generate());
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        noise.save(&buffer, "PNG");
        const Reply w = post(postMultipart("http://www.tumblr.com/api/write", writeFields(png)));
        QCOMPARE(w.status, 201);
        const QString url = m_standin.posts().last().toObject().value(u"urls"_s).toObject()
                                .value(u"1280"_s).toString();
        const QByteArray one = request("GET", url.toLatin1());
        const qsizetype pictureBytes = post(one).body.size();
        QVERIFY(pictureBytes > 50000);
        QTcpSocket socket;
        socket.connectToHost(u"127.0.0.1"_s, m_standin.port());
        QVERIFY(socket.waitForConnected(5000));
        socket.setReadBufferSize(4096); // we read nothing: the replies pile up at the server
        const qint64 before = procStatusKb(m_standin.pid(), "VmRSS");
        const int count = 300;
        socket.write(one.repeated(count));
        QTest::qWait(1000);
        const qint64 grown = procStatusKb(m_standin.pid(), "VmRSS") - before;
        QVERIFY2(grown < 64 * 1024, qPrintable(u"%1 kB for %2 kB of replies"_s.arg(grown).arg(count * pictureBytes / 1024)));
        // Reading resumes the replies, all of them.
        socket.setReadBufferSize(0);
        QByteArray unread;
        for (int i = 0; i < count; ++i) {
            const Reply r = readReply(socket, unread);
            QVERIFY2(r.ok && r.body.size() == pictureBytes, qPrintable(QString::number(i)));
        }
    }

    void idleConnectionsAreClosed_data()
    {
        QTest::addColumn<QByteArray>("sent");
        QTest::newRow("nothing") << QByteArray();
        QTest::newRow("half a head") << QByteArray("GET /api/read HTTP/1.1\r\nHost: a");
        QTest::newRow("half a body")
            << QByteArray("POST /api/authenticate HTTP/1.1\r\nHost: www.tumblr.com\r\nContent-Length: 100\r\n\r\nemail=");
        QTest::newRow("after a reply")
            << QByteArray("GET http://mainblog.tumblr.com/api/read HTTP/1.1\r\nHost: mainblog.tumblr.com\r\n\r\n");
    }
    void idleConnectionsAreClosed()
    {
        QFETCH(QByteArray, sent);
        StandIn quick;
        QVERIFY2(quick.start({u"--account"_s, u"me@example.com:secret"_s, u"--blog"_s,
                              u"me@example.com:mainblog:Main Blog"_s, u"--idle-timeout"_s, u"300"_s}),
                 qPrintable(quick.errorOutput()));
        QTcpSocket socket;
        socket.connectToHost(u"127.0.0.1"_s, quick.port());
        QVERIFY(socket.waitForConnected(5000));
        socket.write(sent);
        QElapsedTimer timer;
        timer.start();
        readToEnd(socket, 5000);
        QVERIFY(socket.state() != QAbstractSocket::ConnectedState);
        QVERIFY(timer.elapsed() >= 250);
    }

    // The log keeps every request's fields, but the raw bytes of only a
    // bounded amount of them.
    void requestLogKeepsNoLargeBodies()
    {
        QList<Field> fields{{"email", kEmail}, {"password", kPassword}};
        for (int i = 0; i < 40; ++i)
            fields.append({"pad" + QByteArray::number(i), QByteArray(60000, char('a' + i % 26))});
        QCOMPARE(post(postMultipart("http://www.tumblr.com/api/authenticate", fields)).status, 200);
        const QByteArray log = m_standin.control("GET", u"/_standin/requests"_s);
        QVERIFY2(log.size() < 256 * 1024, qPrintable(QString::number(log.size())));
        const QJsonObject entry = QJsonDocument::fromJson(log).array().last().toObject();
        QCOMPARE(StandIn::fields(entry).size(), fields.size());
        QCOMPARE(StandIn::field(entry, u"email"_s).value(u"value"_s).toString(), QString::fromLatin1(kEmail));
        for (const Field& f : fields) {
            const QJsonObject logged = StandIn::field(entry, QString::fromLatin1(f.name));
            QCOMPARE(logged.value(u"size"_s).toInteger(), f.value.size());
            QCOMPARE(logged.value(u"sha256"_s).toString().toLatin1(),
                     QCryptographicHash::hash(f.value, QCryptographicHash::Sha256).toHex());
            if (logged.contains(u"base64"_s))
                QCOMPARE(StandIn::fieldBytes(entry, QString::fromLatin1(f.name)), f.value);
        }
    }

    void listensOnLoopbackOnly()
    {
        int others = 0;
        for (const QHostAddress& address : QNetworkInterface::allAddresses()) {
            if (address.isLoopback() || address.protocol() != QAbstractSocket::IPv4Protocol)
                continue;
            ++others;
            QTcpSocket socket;
            socket.connectToHost(address, m_standin.port());
            QVERIFY2(!socket.waitForConnected(2000), qPrintable(address.toString()));
        }
        QTcpSocket v6;
        v6.connectToHost(QHostAddress(QHostAddress::LocalHostIPv6), m_standin.port());
        QVERIFY(!v6.waitForConnected(2000));
        if (others == 0)
            qInfo("no non-loopback IPv4 address on this machine; checked IPv6 loopback only");
    }
};

QTEST_GUILESS_MAIN(TestStandIn)
#include "test_standin.moc"
