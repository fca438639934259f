#include "platform/httprequest.h"

#include "platform/httpreply.h"
#include "platform/prompter.h"
#include "platform/textutil.h"

#include <QEventLoop>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QSslSocket>
#include <QTcpSocket>
#include <QTimer>
#include <QUrl>

#include <memory>

namespace ruvia {

namespace {

bool hasUnsafeChar(const QString& s)
{
    for (QChar c : s)
        if (c.unicode() <= 0x20 || c.unicode() == 0x7F)
            return true;
    return false;
}

// A host must not smuggle a path, a query or user information into the address.
bool isPlainHost(const QString& host)
{
    if (host.isEmpty() || hasUnsafeChar(host))
        return false;
    for (QChar c : host)
        if (c == u'/' || c == u'\\' || c == u'?' || c == u'#' || c == u'@')
            return false;
    return true;
}

} // namespace

HTTPRequest::HTTPRequest() = default;
HTTPRequest::~HTTPRequest() = default;

void HTTPRequest::Reset()
{
    m_errorCode = 0;
    m_errorKind = ErrorNone;
    m_statusCode = 0;
    m_statusLine.clear();
    m_protocol.clear();
    m_headers.clear();
    m_body.clear();
    m_errorText.clear();
}

void HTTPRequest::SetHeader(const QByteArray& name, const QByteArray& value)
{
    for (auto& header : m_extraHeaders) {
        if (header.first.compare(name, Qt::CaseInsensitive) == 0) {
            header.second = value;
            return;
        }
    }
    m_extraHeaders.append({name, value});
}

QString HTTPRequest::GetResponseHeader(const QString& name) const
{
    const QStringList lines = m_headers.split(QStringLiteral("\r\n"));
    // The first line is the status line.
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const qsizetype colon = lines[i].indexOf(u':');
        if (colon > 0 && QStringView(lines[i]).left(colon).trimmed().compare(name, Qt::CaseInsensitive) == 0)
            return lines[i].mid(colon + 1).trimmed();
    }
    return {};
}

QString HTTPRequest::GetAgentString()
{
    return QStringLiteral("Ruvia/")
        + tsFormatVersion(RUVIA_VERSION_MAJOR, RUVIA_VERSION_MINOR, RUVIA_VERSION_PATCH);
}

int HTTPRequest::GetErrorKind() const { return m_errorKind; }

QString HTTPRequest::GetStatusLine() const { return m_statusLine; }

QString HTTPRequest::GetRequestErrorText() const
{
    if (m_errorCode != 0)
        return m_errorText;
    return GetStatusLine();
}

namespace {

// One HTTP/1.1 exchange on its own connection ("Connection: close"), driven
// by the socket's signals inside a nested event loop. Written on a plain
// socket rather than QNetworkAccessManager for three reasons: the header lines
// must be kept exactly as received (callers search their text), a request that
// met a dropped connection must never be sent again behind the caller's back
// (a repeated "/api/write" makes a second post), and an upload must go out in
// large pieces (the network manager's 16 KB steps made a 5 MB post several
// times slower than the line allows).
class Exchange : public QObject {
public:
    struct Result {
        int errorCode = 0;
        int errorKind = ErrorNone;
        QString errorText;
        int status = 0;
        QString statusLine;
        QString headers;
        QByteArray body;
    };

    Exchange(const ProxySettings& proxy, bool secure, const QString& host, int port,
             QByteArray head, const QByteArray& content, bool expectBody, int timeoutMs,
             qint64 replyLimit, IHTTPRequestCallback* callback)
        : m_proxy(proxy), m_secure(secure), m_host(host), m_port(port), m_head(std::move(head)),
          m_content(content), m_expectBody(expectBody), m_timeoutMs(timeoutMs),
          m_replyLimit(replyLimit), m_callback(callback)
    {
        newReply(m_secure && m_proxy.isActive());
    }

    Result run()
    {
        m_socket = m_secure ? new QSslSocket(this) : new QTcpSocket(this);
        m_socket->setProxy(QNetworkProxy::NoProxy);
        const QString seconds = QString::number(m_timeoutMs / 1000.0, 'f', 1);
        m_idle.setSingleShot(true);
        connect(&m_idle, &QTimer::timeout, this, [this, seconds] {
            fail(QNetworkReply::TimeoutError, ErrorTimeout,
                 QStringLiteral("The server did not answer within %1 seconds.").arg(seconds));
        });
        m_headWait.setSingleShot(true);
        connect(&m_headWait, &QTimer::timeout, this, [this, seconds] {
            fail(QNetworkReply::TimeoutError, ErrorTimeout,
                 QStringLiteral("The server did not send its reply within %1 seconds.")
                     .arg(seconds));
        });
        connect(&m_rateCheck, &QTimer::timeout, this, &Exchange::checkRate);
        connect(m_socket, &QAbstractSocket::connected, this, &Exchange::onConnected);
        connect(m_socket, &QIODevice::bytesWritten, this, &Exchange::onBytesWritten);
        connect(m_socket, &QIODevice::readyRead, this, &Exchange::onReadyRead);
        connect(m_socket, &QAbstractSocket::errorOccurred, this, &Exchange::onError);
        connect(m_socket, &QAbstractSocket::disconnected, this, &Exchange::onDisconnected);
        if (auto* ssl = qobject_cast<QSslSocket*>(m_socket)) {
            ssl->setPeerVerifyName(m_host);
            connect(ssl, &QSslSocket::encrypted, this, &Exchange::startSending);
        }
        stillMoving();
        if (m_proxy.isActive())
            m_socket->connectToHost(m_proxy.host, quint16(m_proxy.port));
        else
            m_socket->connectToHost(m_host, quint16(m_port));
        if (!m_done)
            m_loop.exec();
        m_idle.stop();
        m_headWait.stop();
        m_rateCheck.stop();
        m_socket->disconnect(this);
        m_socket->abort();
        if (m_result.errorCode == 0 || m_reply->headDone()) {
            m_result.status = m_reply->status();
            m_result.statusLine = m_reply->statusLine();
            m_result.headers = m_reply->headers();
            m_result.body = std::move(m_reply->body());
        }
        return std::move(m_result);
    }

private:
    // The reply to come: through a proxy, TLS first needs the proxy's answer
    // to CONNECT.
    void newReply(bool tunnel)
    {
        m_tunnel = tunnel;
        m_reply = std::make_unique<HTTPReplyParser>(m_replyLimit, tunnel || m_expectBody, tunnel);
        m_reply->onBody = [this](qint64 block) {
            m_windowBytes += block;
            bool cancel = false;
            if (m_callback)
                m_callback->BlockReceived(block, m_reply->body().size(),
                                          qMax<qint64>(m_reply->length(), 0), cancel);
            if (cancel)
                cancelled();
            return !m_done;
        };
    }

    void stillMoving()
    {
        if (m_timeoutMs > 0)
            m_idle.start(m_timeoutMs);
    }

    // The head's clock runs from the last byte we sent: a server that takes
    // our upload slowly is not rushed, one that drips its head is cut off.
    void waitForHead()
    {
        if (m_timeoutMs > 0 && !m_reply->headDone())
            m_headWait.start(m_timeoutMs);
    }

    void checkRate()
    {
        const qint64 floor = kMinReplyBytesPerSecond * m_timeoutMs / 1000;
        if (m_windowBytes < floor) {
            fail(QNetworkReply::TimeoutError, ErrorTimeout,
                 QStringLiteral("The server sent its reply too slowly (less than %1 KB a second).")
                     .arg(kMinReplyBytesPerSecond / 1024));
            return;
        }
        m_windowBytes = 0;
    }

    void finish()
    {
        m_done = true;
        m_idle.stop();
        m_headWait.stop();
        m_rateCheck.stop();
        m_loop.quit();
    }

    void fail(int code, int kind, const QString& text)
    {
        if (m_done)
            return;
        m_result.errorCode = code;
        m_result.errorKind = kind;
        m_result.errorText = text;
        finish();
    }

    QByteArray proxyAuthorization() const
    {
        if (!m_proxy.isActive() || m_proxy.userName.isEmpty())
            return {};
        return "Proxy-Authorization: Basic " +
               (m_proxy.userName + u':' + m_proxy.password).toUtf8().toBase64() + "\r\n";
    }

    void onConnected()
    {
        stillMoving();
        waitForHead();
        auto* ssl = qobject_cast<QSslSocket*>(m_socket);
        if (!ssl) {
            startSending();
        } else if (m_proxy.isActive()) {
            // Through the proxy, TLS runs inside a tunnel it opens for us.
            const QByteArray authority = m_host.toUtf8() + ':' + QByteArray::number(m_port);
            m_socket->write("CONNECT " + authority + " HTTP/1.1\r\nHost: " + authority + "\r\n" +
                            proxyAuthorization() + "\r\n");
        } else {
            ssl->startClientEncryption();
        }
    }

    void startSending()
    {
        stillMoving();
        waitForHead();
        m_sending = true;
        QByteArray head = m_head;
        if (!(m_secure && m_proxy.isActive()))
            head.replace("\r\n\r\n", "\r\n" + proxyAuthorization() + "\r\n");
        m_headBytes = head.size();
        m_socket->write(head);
        feed();
    }

    // Keeps a bounded amount of the body queued in the socket, in large pieces.
    void feed()
    {
        constexpr qint64 kPiece = 256 * 1024;
        constexpr qint64 kQueued = 1024 * 1024;
        while (m_fed < m_content.size() && m_socket->bytesToWrite() < kQueued) {
            const qint64 n = qMin(kPiece, m_content.size() - m_fed);
            m_socket->write(m_content.constData() + m_fed, n);
            m_fed += n;
        }
    }

    // What the socket has handed to the system is what was sent: counted from
    // its queue rather than from bytesWritten(), which Qt does not repeat for a
    // flush that happens while a handler of it runs.
    void reportSent()
    {
        if (!m_sending || m_done)
            return;
        const qint64 written = m_headBytes + m_fed - m_socket->bytesToWrite();
        const qint64 done = qBound<qint64>(0, written - m_headBytes, m_content.size());
        if (done <= m_reportedSent)
            return;
        const qint64 block = done - m_reportedSent;
        m_reportedSent = done;
        bool cancel = false;
        if (m_callback)
            m_callback->BlockSent(block, done, m_content.size(), cancel);
        if (cancel)
            cancelled();
    }

    void onBytesWritten(qint64)
    {
        stillMoving();
        waitForHead();
        reportSent();
        if (m_sending && !m_done)
            feed();
    }

    void cancelled()
    {
        fail(QNetworkReply::OperationCanceledError, ErrorCancelled,
             QStringLiteral("The request was cancelled."));
    }

    void onReadyRead()
    {
        stillMoving();
        if (m_done)
            return;
        reportSent();
        m_reply->append(m_socket->readAll());
        pump();
    }

    // Parsing runs once at a time: the callbacks inside it let events run, and
    // data or the end of the connection that arrive then wait for the outer run.
    void pump()
    {
        if (m_pumping)
            return;
        m_pumping = true;
        m_reply->parse();
        if (m_closed && !m_done)
            m_reply->closed();
        m_pumping = false;
        if (m_done)
            return;
        if (m_reply->headDone() && m_headWait.isActive()) {
            m_headWait.stop();
            if (m_timeoutMs > 0)
                m_rateCheck.start(m_timeoutMs);
        }
        switch (m_reply->state()) {
        case HTTPReplyParser::Reading:
        case HTTPReplyParser::Stopped:
            return;
        case HTTPReplyParser::Failed:
            return fail(m_reply->errorCode(), ErrorTransfer, m_reply->errorText());
        case HTTPReplyParser::Complete:
            if (m_tunnel && m_reply->status() < 300) {
                m_rateCheck.stop();
                newReply(false);
                waitForHead();
                static_cast<QSslSocket*>(m_socket)->startClientEncryption();
                return;
            }
            return finish();
        }
    }

    void onDisconnected()
    {
        if (m_done)
            return;
        m_reply->append(m_socket->readAll());
        m_closed = true;
        pump();
    }

    void onError(QAbstractSocket::SocketError error)
    {
        if (m_done)
            return;
        const bool viaProxy = m_proxy.isActive();
        switch (error) {
        case QAbstractSocket::RemoteHostClosedError:
            return onDisconnected();
        case QAbstractSocket::ConnectionRefusedError:
            return fail(viaProxy ? QNetworkReply::ProxyConnectionRefusedError
                                 : QNetworkReply::ConnectionRefusedError,
                        ErrorConnect, m_socket->errorString());
        case QAbstractSocket::HostNotFoundError:
            return fail(viaProxy ? QNetworkReply::ProxyNotFoundError
                                 : QNetworkReply::HostNotFoundError,
                        ErrorConnect, m_socket->errorString());
        case QAbstractSocket::SocketTimeoutError:
            return fail(QNetworkReply::TimeoutError, ErrorTimeout, m_socket->errorString());
        case QAbstractSocket::SslHandshakeFailedError:
            return fail(QNetworkReply::SslHandshakeFailedError, ErrorTransfer,
                        m_socket->errorString());
        default:
            return fail(QNetworkReply::UnknownNetworkError, ErrorTransfer, m_socket->errorString());
        }
    }

    const ProxySettings m_proxy;
    const bool m_secure;
    const QString m_host;
    const int m_port;
    const QByteArray m_head;
    const QByteArray& m_content;
    const bool m_expectBody;
    const int m_timeoutMs;
    const qint64 m_replyLimit;
    IHTTPRequestCallback* const m_callback;

    QAbstractSocket* m_socket = nullptr;
    std::unique_ptr<HTTPReplyParser> m_reply;
    QEventLoop m_loop;
    QTimer m_idle;
    QTimer m_headWait;
    QTimer m_rateCheck;
    Result m_result;
    bool m_done = false;
    bool m_tunnel = false;
    bool m_sending = false;
    qint64 m_headBytes = 0;
    qint64 m_fed = 0;
    qint64 m_reportedSent = 0;
    bool m_pumping = false;
    bool m_closed = false;
    qint64 m_windowBytes = 0;
};

} // namespace

bool HTTPRequest::Send(const QString& host, int port, const QString& method, const QString& path,
                       const QString& protocol, const QString& contentHeader,
                       const QByteArray& content, int timeoutMs, const QString& agent,
                       IHTTPRequestCallback* callback, bool secure)
{
    const ProxySettings proxy = m_proxy;
    Reset();
    // Only HTTP/1.1 is spoken; the text is what the status line shows.
    m_protocol = protocol.isEmpty() ? QStringLiteral("HTTP/1.1") : protocol;

    const int defaultPort = secure ? 443 : 80;
    QString authority = host;
    if (port != defaultPort)
        authority += QLatin1Char(':') + QString::number(port);
    const QString target = path.startsWith(u'/') ? path : QLatin1Char('/') + path;
    const QString address = (secure ? QStringLiteral("https://") : QStringLiteral("http://")) +
                            authority + target;
    const QUrl url(address, QUrl::StrictMode);
    const QByteArray verb = method.toUpper().toLatin1();
    bool headersSafe = true;
    for (const auto& [name, value] : m_extraHeaders)
        headersSafe = headersSafe && !name.isEmpty() && !name.contains(':')
            && !hasUnsafeChar(QString::fromLatin1(name)) && !value.contains('\r')
            && !value.contains('\n') && !value.contains('\0');
    if (!isPlainHost(host) || port <= 0 || port > 65535 || !url.isValid() ||
        hasUnsafeChar(target) || verb.isEmpty() || hasUnsafeChar(method) || !headersSafe) {
        m_errorCode = QNetworkReply::ProtocolUnknownError;
        m_errorKind = ErrorTransfer;
        m_errorText = QStringLiteral("The address is not valid: ") + address;
        return false;
    }

    // Host names as the address has them: lower case, international ones encoded.
    const QString hostName = url.host(QUrl::FullyEncoded);
    authority = url.authority(QUrl::FullyEncoded);
    const QString absolute = url.toString(QUrl::FullyEncoded);

    // A plain request through the proxy names the whole address; a tunnelled
    // (TLS) one and a direct one name only the path.
    const bool absoluteForm = proxy.isActive() && !secure;
    QByteArray head = verb + ' ' + (absoluteForm ? absolute : target).toUtf8() + " HTTP/1.1\r\n";
    head += "Host: " + authority.toUtf8() + "\r\n";
    if (!agent.isEmpty())
        head += "User-Agent: " + agent.toUtf8() + "\r\n";
    head += "Accept: */*\r\n";
    for (const auto& [name, value] : m_extraHeaders)
        head += name + ": " + value + "\r\n";
    if (!contentHeader.isEmpty())
        head += "Content-Type: " + contentHeader.toUtf8() + "\r\n";
    if (!content.isEmpty() || verb == "POST" || verb == "PUT")
        head += "Content-Length: " + QByteArray::number(content.size()) + "\r\n";
    head += "Connection: close\r\n\r\n";

    Exchange exchange(proxy, secure, hostName, port, std::move(head), content, verb != "HEAD",
                      timeoutMs, m_replyLimit, callback);
    Exchange::Result r = exchange.run();
    m_errorCode = r.errorCode;
    m_errorKind = r.errorKind;
    m_errorText = r.errorText;
    m_statusCode = r.status;
    m_statusLine = r.statusLine;
    m_headers = r.headers;
    m_body = std::move(r.body);
    if (m_errorCode == 0 && m_statusCode >= 400)
        m_errorKind = ErrorHttpStatus;
    return m_errorCode == 0;
}

bool HTTPRequest::ParseURL(const QString& url, QString& host, int& port, QString& path,
                           bool* secure)
{
    const QString text = tsTrimEx2(url);
    bool tls;
    qsizetype start;
    if (text.startsWith(QStringLiteral("http://"), Qt::CaseInsensitive)) {
        tls = false;
        start = 7;
    } else if (text.startsWith(QStringLiteral("https://"), Qt::CaseInsensitive)) {
        tls = true;
        start = 8;
    } else {
        return false;
    }
    if (hasUnsafeChar(text))
        return false;

    qsizetype end = start;
    while (end < text.size() && text.at(end) != u'/' && text.at(end) != u'?'
           && text.at(end) != u'#')
        ++end;
    const QString authority = text.mid(start, end - start);
    QString rest = text.mid(end);
    if (const qsizetype hash = rest.indexOf(u'#'); hash >= 0)
        rest.truncate(hash);
    if (rest.isEmpty() || rest.startsWith(u'?'))
        rest.prepend(u'/');
    if (authority.contains(u'@'))
        return false;

    QString name = authority;
    int number = tls ? 443 : 80;
    qsizetype colon = authority.lastIndexOf(u':');
    if (authority.startsWith(u'[')) {
        const qsizetype close = authority.indexOf(u']');
        if (close < 0)
            return false;
        name = authority.left(close + 1);
        if (close + 1 < authority.size() && authority.at(close + 1) != u':')
            return false;
        colon = close + 1 < authority.size() ? close + 1 : -1;
    } else if (colon >= 0) {
        name = authority.left(colon);
    }
    if (colon >= 0) {
        const QString digits = authority.mid(colon + 1);
        bool ok = !digits.isEmpty();
        for (QChar c : digits)
            ok = ok && c.isDigit() && c.unicode() < 128;
        number = ok ? digits.toInt(&ok) : 0;
        if (!ok || number < 1 || number > 65535)
            return false;
    }
    // A host and an optional port, nothing more: one colon outside an IPv6
    // literal, and only hex digits, colons and dots inside one.
    if (!isPlainHost(name) || name == QStringLiteral("[]"))
        return false;
    if (name.startsWith(u'[')) {
        for (QChar c : QStringView(name).sliced(1, name.size() - 2)) {
            const char16_t u = c.unicode() | 0x20; // ASCII letters folded to lower case
            if (!(c.isDigit() && c.unicode() < 128) && !(u >= u'a' && u <= u'f') && c != u':' &&
                c != u'.')
                return false;
        }
    } else if (name.contains(u':')) {
        return false;
    }

    host = name;
    port = number;
    path = rest;
    if (secure)
        *secure = tls;
    return true;
}

int ShowRequestError(const HTTPRequest& request, int style, const QString& message)
{
    return ErrorReporter::ShowObjectError(request.GetRequestErrorText(), style, message);
}

} // namespace ruvia
