// The request object against the stand-in service, reached through the proxy.
#include "scriptedprompter.h"
#include "servicefixture.h"
#include "standin.h"
#include "testenv.h"

#include "platform/requestfields.h"
#include "service/requestframe.h"

#include <QElapsedTimer>
#include <QJsonArray>
#include <QNetworkReply>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <functional>

using namespace ruvia;
using test::json;

namespace {

// A server on loopback for replies the stand-in never gives. Once a request
// head is in, it writes `head`, then piece(0), piece(1)... until a piece is
// empty or `cap` bytes are out, one piece every intervalMs (or as fast as
// the line takes them); then it closes, or with holdOpen it waits.
class HostileServer : public QObject {
public:
    QByteArray head;
    std::function<QByteArray(qint64)> piece = [](qint64) { return QByteArray(); };
    int intervalMs = 0;
    qint64 cap = qint64(8) << 20;
    bool holdOpen = false;
    qint64 written = 0;

    HostileServer()
    {
        server.listen(QHostAddress::LocalHost);
        QObject::connect(&server, &QTcpServer::newConnection, this, [this] {
            socket = server.nextPendingConnection();
            QObject::connect(socket, &QTcpSocket::readyRead, this, [this] {
                received += socket->readAll();
                if (started || !received.contains("\r\n\r\n"))
                    return;
                started = true;
                socket->write(head);
                if (intervalMs > 0)
                    timer.start(intervalMs);
                else
                    more();
            });
            QObject::connect(socket, &QTcpSocket::bytesWritten, this, [this] {
                if (intervalMs == 0)
                    more();
            });
        });
        QObject::connect(&timer, &QTimer::timeout, this, [this] { more(); });
    }
    quint16 port() const { return server.serverPort(); }

private:
    void more()
    {
        if (!socket || socket->state() != QAbstractSocket::ConnectedState || ended)
            return;
        while (socket->bytesToWrite() < 256 * 1024) {
            const QByteArray next = written < cap ? piece(index++) : QByteArray();
            if (next.isEmpty()) {
                ended = true;
                timer.stop();
                if (!holdOpen)
                    socket->disconnectFromHost();
                return;
            }
            socket->write(next);
            written += next.size();
            if (intervalMs > 0)
                return;
        }
    }

    QTcpServer server;
    QTcpSocket* socket = nullptr;
    QTimer timer;
    QByteArray received;
    bool started = false;
    bool ended = false;
    qint64 index = 0;
};

QByteArray filler(qsizetype size) { return QByteArray(size, 'x'); }

} // namespace

class TestHTTPRequest : public QObject {
    Q_OBJECT
    test::TempProfile profile;
    test::StandIn standin;

    QJsonObject lastRequest()
    {
        const QJsonArray all = standin.requests();
        return all.isEmpty() ? QJsonObject() : all.last().toObject();
    }

    // An authenticate exchange through the frame, with the account's fields.
    bool authenticate(HTTPRequest& request, IHTTPRequestCallback* callback = nullptr,
                      int timeoutMs = 30000)
    {
        RequestFields fields;
        fields.AddField(QStringLiteral("email"), "a@b.c");
        fields.AddField(QStringLiteral("password"), "pw");
        return SendServiceRequest(request, QString::fromUtf16(kServiceHost), kServicePort,
                                  QStringLiteral("POST"), QStringLiteral("/api/authenticate"),
                                  timeoutMs, fields, callback);
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY2(standin.start({QStringLiteral("--account"), QStringLiteral("a@b.c:pw"),
                                QStringLiteral("--blog"), QStringLiteral("a@b.c:mainblog:Main Blog")}),
                 qPrintable(standin.errorOutput()));
        QVERIFY(test::pointProxyAt(standin.port()));
    }

    void init()
    {
        QVERIFY(standin.clearFaults());
        QVERIFY(standin.clearRequests());
    }

    void speaksHttp11ThroughTheProxy()
    {
        HTTPRequest request;
        QVERIFY(authenticate(request));
        QCOMPARE(request.GetErrorCode(), 0);
        QCOMPARE(request.GetStatusCode(), 200);
        QVERIFY(!request.HasFailed());
        QCOMPARE(request.GetErrorKind(), int(ErrorNone));
        QVERIFY(request.GetResponseBody().contains("<tumblelog"));

        const QJsonObject r = lastRequest();
        QCOMPARE(r.value(QStringLiteral("version")).toString(), QStringLiteral("HTTP/1.1"));
        QCOMPARE(r.value(QStringLiteral("proxyForm")).toBool(), true);
        QCOMPARE(r.value(QStringLiteral("target")).toString(),
                 QStringLiteral("http://www.tumblr.com/api/authenticate"));
        QCOMPARE(r.value(QStringLiteral("method")).toString(), QStringLiteral("POST"));
        QCOMPARE(r.value(QStringLiteral("form")).toString(), QStringLiteral("multipart"));
        QCOMPARE(test::StandIn::fieldNames(r), QStringList({QStringLiteral("email"), QStringLiteral("password")}));
        QString agent;
        for (const QJsonValue& h : r.value(QStringLiteral("headers")).toArray()) {
            const QJsonObject o = h.toObject();
            const QString name = o.value(QStringLiteral("name")).toString();
            QVERIFY2(name.compare(QStringLiteral("Cookie"), Qt::CaseInsensitive) != 0, "no cookies");
            if (name.compare(QStringLiteral("User-Agent"), Qt::CaseInsensitive) == 0)
                agent = o.value(QStringLiteral("value")).toString();
        }
        QCOMPARE(agent, HTTPRequest::GetAgentString());
    }

    void headersTextAndNoRedirectFollowed_data()
    {
        QTest::addColumn<QString>("position");
        QTest::newRow("first") << QStringLiteral("first");
        QTest::newRow("middle") << QStringLiteral("middle");
        QTest::newRow("last") << QStringLiteral("last");
    }
    void headersTextAndNoRedirectFollowed()
    {
        QFETCH(QString, position);
        QJsonObject f = json("{'endpoint':'authenticate','kind':'redirect',"
                             "'location':'http://elsewhere.example.org/api/authenticate'}");
        f.insert(QStringLiteral("position"), position);
        QVERIFY(standin.addFault(f));
        HTTPRequest request;
        QVERIFY(authenticate(request));
        QCOMPARE(request.GetStatusCode(), 301);
        QVERIFY(!request.HasFailed());
        QCOMPARE(standin.requests().size(), 1);

        const QString headers = request.GetResponseHeaders();
        QVERIFY2(headers.startsWith(QStringLiteral("HTTP/1.1 301 ")), qPrintable(headers));
        QVERIFY(headers.endsWith(QStringLiteral("\r\n")));
        QVERIFY(!headers.endsWith(QStringLiteral("\r\n\r\n")));
        const QStringList lines = headers.chopped(2).split(QStringLiteral("\r\n"));
        QVERIFY(lines.size() >= 3);
        for (const QString& line : lines.mid(1))
            QVERIFY2(line.contains(QStringLiteral(": ")) && !line.contains(u'\n'), qPrintable(line));
        const QString location = QStringLiteral("Location: http://elsewhere.example.org/api/authenticate");
        QVERIFY(lines.contains(location));
        if (position == QStringLiteral("first"))
            QCOMPARE(lines.at(1), location);
        if (position == QStringLiteral("last"))
            QCOMPARE(lines.last(), location);
    }

    void blockReportsAddUp()
    {
        // Enough for several blocks each way (the network layer reports
        // progress at most every 100 ms).
        QByteArray big(3 * 1024 * 1024, 'x');
        for (qsizetype i = 0; i < big.size(); i += 7)
            big[i] = char(i);
        RequestFields fields;
        fields.AddField(QStringLiteral("email"), "a@b.c");
        fields.AddField(QStringLiteral("password"), "pw");
        fields.AddField(QStringLiteral("data"), big);
        const QByteArray content = fields.GetContent();
        QVERIFY(standin.addFault(json("{'endpoint':'authenticate','kind':'slow','chunkBytes':50,'chunkDelayMs':60,'readBytes':262144,'readDelayMs':50}")));

        test::RecordingCallback callback;
        HTTPRequest request;
        request.Proxy().Load();
        QVERIFY(request.Send(QString::fromUtf16(kServiceHost), 80, QStringLiteral("POST"),
                             QStringLiteral("/api/authenticate"), QStringLiteral("HTTP/1.1"),
                             fields.GetContentHeader(), content, 30000,
                             HTTPRequest::GetAgentString(), &callback));
        QCOMPARE(request.GetStatusCode(), 200);
        QVERIFY(callback.sent.size() > 1);
        QCOMPARE(test::RecordingCallback::sum(callback.sent), content.size());
        QCOMPARE(callback.sent.last().done, content.size());
        QCOMPARE(callback.sent.last().total, content.size());
        QVERIFY(callback.received.size() > 1);
        QCOMPARE(test::RecordingCallback::sum(callback.received), request.GetResponseBody().size());
        QCOMPARE(callback.received.last().done, request.GetResponseBody().size());
        for (const auto& r : callback.received)
            QVERIFY(r.block > 0 && (r.total == 0 || r.total == request.GetResponseBody().size()));
        const QJsonObject logged = lastRequest();
        QCOMPARE(logged.value(QStringLiteral("bodySize")).toInteger(), content.size());
    }

    void cancelInTheMiddleOfASlowReply()
    {
        QVERIFY(standin.addFault(json("{'endpoint':'authenticate','kind':'slow','chunkBytes':64,'chunkDelayMs':100}")));
        test::RecordingCallback callback;
        callback.cancelAfterReceived = 1;
        HTTPRequest request;
        QVERIFY(!authenticate(request, &callback));
        QCOMPARE(request.GetErrorKind(), int(ErrorCancelled));
        QVERIFY(request.GetErrorCode() != 0);
        QVERIFY(request.HasFailed());
        QCOMPARE(callback.received.size(), 1);
        QVERIFY(callback.received.first().done < callback.received.first().total);
        QVERIFY(!request.GetRequestErrorText().isEmpty());
    }

    void cancelWhileSending()
    {
        QVERIFY(standin.addFault(json("{'endpoint':'authenticate','kind':'slow','readBytes':65536,'readDelayMs':50}")));
        RequestFields fields;
        fields.AddField(QStringLiteral("data"), QByteArray(4 * 1024 * 1024, 'z'));
        test::RecordingCallback callback;
        callback.cancelAfterSent = 1;
        HTTPRequest request;
        request.Proxy().Load();
        QVERIFY(!request.Send(QString::fromUtf16(kServiceHost), 80, QStringLiteral("POST"),
                              QStringLiteral("/api/authenticate"), QStringLiteral("HTTP/1.1"),
                              fields.GetContentHeader(), fields.GetContent(), 30000,
                              HTTPRequest::GetAgentString(), &callback));
        QCOMPARE(request.GetErrorKind(), int(ErrorCancelled));
        QCOMPARE(callback.sent.size(), 1);
        QVERIFY(callback.sent.first().done < callback.sent.first().total);
    }

    void eventsRunWhileWaiting()
    {
        QVERIFY(standin.addFault(json("{'endpoint':'authenticate','kind':'delay','ms':600}")));
        int ticks = 0;
        QTimer timer;
        QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
        timer.start(50);
        HTTPRequest request;
        QVERIFY(authenticate(request));
        QCOMPARE(request.GetStatusCode(), 200);
        QVERIFY2(ticks >= 3, qPrintable(QString::number(ticks)));
    }

    void timeoutEndsTheWait()
    {
        QVERIFY(standin.addFault(json("{'endpoint':'authenticate','kind':'delay','ms':5000}")));
        HTTPRequest request;
        QVERIFY(!authenticate(request, nullptr, 300));
        QCOMPARE(request.GetErrorKind(), int(ErrorTimeout));
        QCOMPARE(request.GetErrorCode(), int(QNetworkReply::TimeoutError));
        QVERIFY(request.HasFailed());
        QCOMPARE(request.GetStatusCode(), 0);
        QVERIFY(!request.GetRequestErrorText().isEmpty());
    }

    void errorStatusIsAFailureButNotATransferFailure_data()
    {
        QTest::addColumn<int>("status");
        QTest::newRow("400") << 400;
        QTest::newRow("401") << 401;
        QTest::newRow("403") << 403;
        QTest::newRow("404") << 404;
        QTest::newRow("405") << 405;
        QTest::newRow("408") << 408;
        QTest::newRow("409") << 409;
        QTest::newRow("410") << 410;
        QTest::newRow("416") << 416;
        QTest::newRow("500") << 500;
        QTest::newRow("503") << 503;
    }
    void errorStatusIsAFailureButNotATransferFailure()
    {
        QFETCH(int, status);
        QJsonObject f = json("{'endpoint':'authenticate','kind':'status','body':'Nope.'}");
        f.insert(QStringLiteral("status"), status);
        QVERIFY(standin.addFault(f));
        HTTPRequest request;
        QVERIFY(authenticate(request));
        QCOMPARE(request.GetErrorCode(), 0);
        QVERIFY(request.HasFailed());
        QCOMPARE(request.GetErrorKind(), int(ErrorHttpStatus));
        QCOMPARE(request.GetStatusCode(), status);
        QCOMPARE(request.GetResponseBody(), QByteArray("Nope."));
        QVERIFY(request.GetRequestErrorText().startsWith(QStringLiteral("HTTP/1.1 %1").arg(status)));
        QCOMPARE(request.GetRequestErrorText(), request.GetResponseHeaders().section(QStringLiteral("\r\n"), 0, 0));
        QCOMPARE(standin.requests().size(), 1);
    }

    void successStatusesAreNotFailures_data()
    {
        QTest::addColumn<int>("status");
        QTest::newRow("200") << 200;
        QTest::newRow("201") << 201;
        QTest::newRow("302") << 302;
        QTest::newRow("399") << 399;
    }
    void successStatusesAreNotFailures()
    {
        QFETCH(int, status);
        QJsonObject f = json("{'endpoint':'authenticate','kind':'body','body':'x'}");
        f.insert(QStringLiteral("status"), status);
        QVERIFY(standin.addFault(f));
        HTTPRequest request;
        QVERIFY(authenticate(request));
        QCOMPARE(request.GetStatusCode(), status);
        QVERIFY(!request.HasFailed());
    }

    void droppedConnectionIsATransferFailure_data()
    {
        QTest::addColumn<QString>("when");
        QTest::newRow("after the request") << QStringLiteral("request");
        QTest::newRow("before the body") << QStringLiteral("headers");
    }
    void droppedConnectionIsATransferFailure()
    {
        QFETCH(QString, when);
        QJsonObject f = json("{'endpoint':'authenticate','kind':'drop','always':true}");
        f.insert(QStringLiteral("when"), when);
        QVERIFY(standin.addFault(f));
        HTTPRequest request;
        QVERIFY(!authenticate(request));
        QVERIFY(request.GetErrorCode() != 0);
        QVERIFY(request.HasFailed());
        QVERIFY(request.GetErrorKind() != int(ErrorCancelled));
        QVERIFY(!request.GetRequestErrorText().isEmpty());
    }

    void unreachableProxyIsAConnectFailure()
    {
        QTcpServer closed;
        QVERIFY(closed.listen(QHostAddress::LocalHost));
        const quint16 port = closed.serverPort();
        closed.close();
        HTTPRequest request;
        ProxySettings proxy;
        proxy.enabled = true;
        proxy.host = test::StandIn::host();
        proxy.port = port;
        request.SetProxy(proxy);
        QVERIFY(!request.Send(QString::fromUtf16(kServiceHost), 80, QStringLiteral("GET"),
                              QStringLiteral("/api/read"), QStringLiteral("HTTP/1.1"), {}, {}, 30000,
                              HTTPRequest::GetAgentString(), nullptr));
        QVERIFY(request.GetErrorCode() != 0);
        QCOMPARE(request.GetErrorKind(), int(ErrorConnect));
        QCOMPARE(request.GetStatusCode(), 0);
        QVERIFY(request.GetResponseHeaders().isEmpty());
        QVERIFY(!request.GetRequestErrorText().isEmpty());
    }

    void withoutProxyTheHostIsAskedDirectly()
    {
        HTTPRequest request;
        QVERIFY(!request.Proxy().enabled);
        QVERIFY(request.Send(test::StandIn::host(), standin.port(), QStringLiteral("GET"),
                             QStringLiteral("/api/read?id=1"), QStringLiteral("HTTP/1.1"), {}, {},
                             30000, HTTPRequest::GetAgentString(), nullptr));
        const QJsonObject r = lastRequest();
        QCOMPARE(r.value(QStringLiteral("proxyForm")).toBool(), false);
        QCOMPARE(r.value(QStringLiteral("method")).toString(), QStringLiteral("GET"));
        QCOMPARE(r.value(QStringLiteral("path")).toString(), QStringLiteral("/api/read"));
        QCOMPARE(r.value(QStringLiteral("bodySize")).toInt(), 0);
    }

    void resetForgetsTheExchange()
    {
        QVERIFY(standin.addFault(json("{'endpoint':'authenticate','kind':'status','status':503}")));
        HTTPRequest request;
        authenticate(request);
        QVERIFY(request.HasFailed());
        request.Reset();
        QVERIFY(!request.HasFailed());
        QCOMPARE(request.GetStatusCode(), 0);
        QVERIFY(request.GetResponseHeaders().isEmpty());
        QVERIFY(request.GetResponseBody().isEmpty());
        QVERIFY(request.Proxy().enabled);
    }

    void invalidHostIsRefusedWithoutSending_data()
    {
        QTest::addColumn<QString>("host");
        QTest::newRow("empty") << QString();
        QTest::newRow("path inside") << QStringLiteral("a.org/evil");
        QTest::newRow("line break") << QStringLiteral("a.org\r\nX: 1");
        QTest::newRow("user info") << QStringLiteral("u@a.org");
    }
    void invalidHostIsRefusedWithoutSending()
    {
        QFETCH(QString, host);
        HTTPRequest request;
        request.Proxy().Load();
        QVERIFY(!request.Send(host, 80, QStringLiteral("GET"), QStringLiteral("/api/read"),
                              QStringLiteral("HTTP/1.1"), {}, {}, 30000, {}, nullptr));
        QVERIFY(request.GetErrorCode() != 0);
        QVERIFY(standin.requests().isEmpty());
    }

    void showRequestErrorAddsTheDetails()
    {
        test::ScriptedPrompter prompter;
        QVERIFY(standin.addFault(json("{'endpoint':'authenticate','kind':'status','status':503,'body':'Down.'}")));
        HTTPRequest request;
        authenticate(request);
        ShowRequestError(request, MB_ICONCRITICAL, QStringLiteral("It failed."));
        QCOMPARE(prompter.texts(), QStringList{QStringLiteral("It failed.\r\n\r\n") + request.GetStatusLine()});
        QVERIFY(request.GetStatusLine().startsWith(QStringLiteral("HTTP/1.1 503")));
        QCOMPARE(prompter.last().icon(), int(MB_ICONCRITICAL));
    }

    void proxyUserIsSentAsBasicAuthorization()
    {
        HTTPRequest request;
        request.Proxy().Load();
        request.Proxy().userName = QStringLiteral("proxy user");
        request.Proxy().password = QStringLiteral("sécret");
        QVERIFY(request.Send(QString::fromUtf16(kServiceHost), 80, QStringLiteral("GET"),
                             QStringLiteral("/api/read"), QStringLiteral("HTTP/1.1"), {}, {}, 30000,
                             HTTPRequest::GetAgentString(), nullptr));
        QString authorization;
        for (const QJsonValue& h : lastRequest().value(QStringLiteral("headers")).toArray())
            if (h.toObject().value(QStringLiteral("name")).toString() == QStringLiteral("Proxy-Authorization"))
                authorization = h.toObject().value(QStringLiteral("value")).toString();
        QCOMPARE(authorization, QStringLiteral("Basic ") +
                                    QString::fromLatin1(QByteArray("proxy user:sécret").toBase64()));
    }

    void aDroppedRequestIsNotSentAgain()
    {
        // The service may have made the post before the line broke: sending
        // the same write again would make a second one.
        QVERIFY(standin.addFault(json("{'endpoint':'authenticate','kind':'drop','count':1}")));
        HTTPRequest request;
        QVERIFY(!authenticate(request));
        QCOMPARE(request.GetErrorKind(), int(ErrorTransfer));
        QCOMPARE(standin.requests(QStringLiteral("authenticate")).size(), 1);
    }

    // Replies the stand-in does not give, from a server that answers with
    // canned bytes: how the reply is framed, and what comes of it.
    void cannedReplies_data()
    {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QString>("headers");
        QTest::addColumn<bool>("transferFailure");
        QTest::newRow("chunked with extension and trailer")
            << QByteArray("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n"
                          "5;x=1\r\nHello\r\n7\r\n, world\r\n0\r\nX-Trailer: 1\r\n\r\n")
            << 200 << QByteArray("Hello, world")
            << QStringLiteral("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n") << false;
        QTest::newRow("interim 100 first, headers as received")
            << QByteArray("HTTP/1.1 100 Continue\r\n\r\nHTTP/1.1 201 Created\r\nx-odd:  Case \r\n"
                          "Content-Length: 3\r\n\r\n123")
            << 201 << QByteArray("123")
            << QStringLiteral("HTTP/1.1 201 Created\r\nx-odd:  Case \r\nContent-Length: 3\r\n")
            << false;
        QTest::newRow("body until the connection closes")
            << QByteArray("HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\n\r\nuntil close")
            << 200 << QByteArray("until close")
            << QStringLiteral("HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\n") << false;
        QTest::newRow("bare LF line ends")
            << QByteArray("HTTP/1.1 404 Not Found\nContent-Length: 2\n\nno")
            << 404 << QByteArray("no") << QStringLiteral("HTTP/1.1 404 Not Found\r\nContent-Length: 2\r\n")
            << false;
        QTest::newRow("cut short") << QByteArray("HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\nabc")
                                   << 200 << QByteArray("abc")
                                   << QStringLiteral("HTTP/1.1 200 OK\r\nContent-Length: 10\r\n") << true;
        QTest::newRow("not HTTP") << QByteArray("SSH-2.0-OpenSSH\r\n\r\n") << 0 << QByteArray()
                                  << QString() << true;
        QTest::newRow("conflicting lengths")
            << QByteArray("HTTP/1.1 200 OK\r\nContent-Length: 1\r\nContent-Length: 2\r\n\r\nab")
            << 0 << QByteArray() << QString() << true;
    }
    // A reply that never ends, or says it is huge, is cut off at the limit.
    void replyLargerThanTheLimit_data()
    {
        QTest::addColumn<QByteArray>("head");
        QTest::addColumn<QByteArray>("piece");
        QTest::newRow("announced length")
            << QByteArray("HTTP/1.1 200 OK\r\nContent-Length: 1000000000000000000\r\n\r\n")
            << filler(65536);
        QTest::newRow("no length, endless") << QByteArray("HTTP/1.1 200 OK\r\n\r\n") << filler(65536);
        QTest::newRow("chunked, endless")
            << QByteArray("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n")
            << "10000\r\n" + filler(65536) + "\r\n";
        QTest::newRow("one huge chunk")
            << QByteArray("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n7fffffffffff\r\n")
            << filler(65536);
    }
    void replyLargerThanTheLimit()
    {
        QFETCH(QByteArray, head);
        QFETCH(QByteArray, piece);
        HostileServer server;
        server.head = head;
        server.piece = [piece](qint64) { return piece; };
        HTTPRequest request;
        QCOMPARE(request.ReplyLimit(), kServiceReplyLimit);
        QVERIFY(!request.Send(test::StandIn::host(), server.port(), QStringLiteral("GET"),
                              QStringLiteral("/api/read"), QStringLiteral("HTTP/1.1"), {}, {}, 5000,
                              {}, nullptr));
        QCOMPARE(request.GetErrorKind(), int(ErrorTransfer));
        QCOMPARE(request.GetRequestErrorText(), QStringLiteral("The reply is larger than 4 MB."));
        QVERIFY(request.GetResponseBody().size() <= kServiceReplyLimit);
    }

    // Each request sets the limit that fits it; exactly the limit is taken.
    void replyLimitPerRequest_data()
    {
        QTest::addColumn<qint64>("limit");
        QTest::addColumn<qint64>("size");
        QTest::addColumn<bool>("chunked");
        QTest::addColumn<bool>("ok");
        const qint64 mb = qint64(1) << 20;
        QTest::newRow("at the limit") << mb << mb << false << true;
        QTest::newRow("one byte over") << mb << mb + 1 << false << false;
        QTest::newRow("chunked at the limit") << mb << mb << true << true;
        QTest::newRow("chunked one byte over") << mb << mb + 1 << true << false;
        QTest::newRow("a picture over the service limit") << kPictureReplyLimit << 6 * mb << false << true;
    }
    void replyLimitPerRequest()
    {
        QFETCH(qint64, limit);
        QFETCH(qint64, size);
        QFETCH(bool, chunked);
        QFETCH(bool, ok);
        HostileServer server;
        const qint64 piece = 65536;
        if (chunked) {
            server.head = "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n";
            server.piece = [=](qint64 i) {
                const qint64 n = qBound<qint64>(0, size - i * piece, piece);
                return n > 0 ? QByteArray::number(n, 16) + "\r\n" + filler(n) + "\r\n"
                             : (i * piece <= size ? QByteArray("0\r\n\r\n") : QByteArray());
            };
        } else {
            server.head = "HTTP/1.1 200 OK\r\nContent-Length: " + QByteArray::number(size) + "\r\n\r\n";
            server.piece = [=](qint64 i) { return filler(qBound<qint64>(0, size - i * piece, piece)); };
        }
        HTTPRequest request;
        request.SetReplyLimit(limit);
        request.Reset();
        QCOMPARE(request.ReplyLimit(), limit);
        const bool sent = request.Send(test::StandIn::host(), server.port(), QStringLiteral("GET"),
                                       QStringLiteral("/p.jpg"), QStringLiteral("HTTP/1.1"), {}, {},
                                       5000, {}, nullptr);
        QCOMPARE(sent, ok);
        if (ok) {
            QCOMPARE(request.GetResponseBody().size(), size);
        } else {
            QCOMPARE(request.GetErrorKind(), int(ErrorTransfer));
            QCOMPARE(request.GetRequestErrorText(),
                     QStringLiteral("The reply is larger than %1 MB.").arg(limit >> 20));
        }
    }

    // Lines of a chunked body are bounded like the head: a line that never
    // ends is a broken reply at once, not a wait for the time-out.
    void endlessLinesOfAChunkedReply_data()
    {
        QTest::addColumn<QByteArray>("head");
        QTest::addColumn<QByteArray>("piece");
        const QByteArray chunked = "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n";
        QTest::newRow("chunk size") << chunked << QByteArray(65536, '1');
        QTest::newRow("after the chunk data") << chunked + "1\r\nx" << filler(65536);
        QTest::newRow("one trailer line") << chunked + "0\r\nX-T: " << filler(65536);
        QTest::newRow("many trailer lines") << chunked + "0\r\n" << QByteArray("X-T: 1\r\n").repeated(8192);
    }
    void endlessLinesOfAChunkedReply()
    {
        QFETCH(QByteArray, head);
        QFETCH(QByteArray, piece);
        HostileServer server;
        server.head = head;
        server.piece = [piece](qint64) { return piece; };
        server.holdOpen = true;
        HTTPRequest request;
        QVERIFY(!request.Send(test::StandIn::host(), server.port(), QStringLiteral("GET"),
                              QStringLiteral("/api/read"), QStringLiteral("HTTP/1.1"), {}, {}, 3000,
                              {}, nullptr));
        QCOMPARE(request.GetErrorKind(), int(ErrorTransfer));
        QCOMPARE(request.GetRequestErrorText(), QStringLiteral("The server sent a broken chunked reply."));
        QVERIFY(request.GetResponseBody().size() <= 1);
    }

    // A server that drips its reply is cut off; a slow but steady one is not.
    void drippingServer_data()
    {
        QTest::addColumn<bool>("dripHead");
        QTest::addColumn<int>("bodySize");
        QTest::addColumn<int>("pieceBytes");
        QTest::addColumn<QString>("failure");
        QTest::newRow("head, a byte at a time")
            << true << 100 << 1 << QStringLiteral("The server did not send its reply within 1.0 seconds.");
        QTest::newRow("body, a byte at a time")
            << false << 100 << 1
            << QStringLiteral("The server sent its reply too slowly (less than 1 KB a second).");
        QTest::newRow("body, 2.5 KB a second") << false << 3000 << 250 << QString();
    }
    void drippingServer()
    {
        QFETCH(bool, dripHead);
        QFETCH(int, bodySize);
        QFETCH(int, pieceBytes);
        QFETCH(QString, failure);
        const QByteArray head = "HTTP/1.1 200 OK\r\nX-Pad: " + filler(60) +
                                "\r\nContent-Length: " + QByteArray::number(bodySize) + "\r\n\r\n";
        const QByteArray dripped = (dripHead ? head : QByteArray()) + filler(bodySize);
        HostileServer server;
        server.head = dripHead ? QByteArray() : head;
        server.intervalMs = 100;
        server.piece = [=](qint64 i) { return dripped.mid(i * pieceBytes, pieceBytes); };
        HTTPRequest request;
        QElapsedTimer timer;
        timer.start();
        QCOMPARE(request.Send(test::StandIn::host(), server.port(), QStringLiteral("GET"),
                              QStringLiteral("/api/read"), QStringLiteral("HTTP/1.1"), {}, {}, 1000,
                              {}, nullptr),
                 failure.isEmpty());
        if (failure.isEmpty()) {
            QCOMPARE(request.GetResponseBody(), filler(bodySize));
            return;
        }
        QCOMPARE(request.GetErrorKind(), int(ErrorTimeout));
        QCOMPARE(request.GetRequestErrorText(), failure);
        QVERIFY2(timer.elapsed() < 4000, qPrintable(QString::number(timer.elapsed())));
    }

    void cannedReplies()
    {
        QFETCH(QByteArray, reply);
        QFETCH(int, status);
        QFETCH(QByteArray, body);
        QFETCH(QString, headers);
        QFETCH(bool, transferFailure);
        QTcpServer server;
        QVERIFY(server.listen(QHostAddress::LocalHost));
        QByteArray received;
        QObject::connect(&server, &QTcpServer::newConnection, [&] {
            QTcpSocket* socket = server.nextPendingConnection();
            QObject::connect(socket, &QTcpSocket::readyRead, socket, [&received, socket, reply] {
                received += socket->readAll();
                if (!received.contains("\r\n\r\n"))
                    return;
                socket->write(reply);
                socket->disconnectFromHost();
            });
        });
        HTTPRequest request;
        test::RecordingCallback callback;
        const bool ok = request.Send(test::StandIn::host(), server.serverPort(), QStringLiteral("GET"),
                                     QStringLiteral("/api/read?id=1"), QStringLiteral("HTTP/1.1"), {},
                                     {}, 5000, HTTPRequest::GetAgentString(), &callback);
        QCOMPARE(ok, !transferFailure);
        QVERIFY(received.startsWith("GET /api/read?id=1 HTTP/1.1\r\nHost: 127.0.0.1:"));
        QVERIFY(received.contains("\r\nConnection: close\r\n"));
        if (!transferFailure) {
            QCOMPARE(request.GetStatusCode(), status);
            QCOMPARE(request.GetResponseBody(), body);
            QCOMPARE(request.GetResponseHeaders(), headers);
            QCOMPARE(test::RecordingCallback::sum(callback.received), body.size());
        } else {
            QCOMPARE(request.GetErrorKind(), int(ErrorTransfer));
            QVERIFY(!request.GetRequestErrorText().isEmpty());
        }
    }
};

QTEST_GUILESS_MAIN(TestHTTPRequest)
#include "test_httprequest.moc"
