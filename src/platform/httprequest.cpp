#include "platform/httprequest.h"

#include "platform/prompter.h"
#include "platform/textutil.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>
#include <QUrl>

namespace ruvia {

namespace {

bool isHttpStatusError(QNetworkReply::NetworkError e)
{
    // Qt turns error statuses into these (400 into ProtocolInvalidOperationError);
    // the exchange itself completed.
    return (e >= QNetworkReply::ContentAccessDenied && e <= QNetworkReply::UnknownContentError)
        || e == QNetworkReply::ProtocolInvalidOperationError
        || (e >= QNetworkReply::InternalServerError && e <= QNetworkReply::UnknownServerError);
}

int kindOf(QNetworkReply::NetworkError e)
{
    switch (e) {
    case QNetworkReply::ConnectionRefusedError:
    case QNetworkReply::HostNotFoundError:
    case QNetworkReply::ProxyConnectionRefusedError:
    case QNetworkReply::ProxyNotFoundError:
    case QNetworkReply::ProxyAuthenticationRequiredError:
        return ErrorConnect;
    case QNetworkReply::TimeoutError:
    case QNetworkReply::ProxyTimeoutError:
        return ErrorTimeout;
    default:
        return ErrorTransfer;
    }
}

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
    m_reason.clear();
    m_protocol.clear();
    m_headers.clear();
    m_body.clear();
    m_errorText.clear();
}

QString HTTPRequest::GetAgentString()
{
    return QStringLiteral("Ruvia/")
        + tsFormatVersion(RUVIA_VERSION_MAJOR, RUVIA_VERSION_MINOR, RUVIA_VERSION_PATCH);
}

int HTTPRequest::GetErrorKind() const { return m_errorKind; }

QString HTTPRequest::GetStatusLine() const
{
    if (m_statusCode == 0)
        return {};
    QString line = m_protocol + QLatin1Char(' ') + QString::number(m_statusCode);
    if (!m_reason.isEmpty())
        line += QLatin1Char(' ') + m_reason;
    return line;
}

QString HTTPRequest::GetRequestErrorText() const
{
    if (m_errorCode != 0)
        return m_errorText;
    return GetStatusLine();
}

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
    QString address = secure ? QStringLiteral("https://") : QStringLiteral("http://");
    address += host;
    if (port != defaultPort)
        address += QLatin1Char(':') + QString::number(port);
    address += path.startsWith(u'/') ? path : QLatin1Char('/') + path;
    const QUrl url(address, QUrl::StrictMode);
    if (!isPlainHost(host) || port <= 0 || port > 65535 || !url.isValid()) {
        m_errorCode = QNetworkReply::ProtocolUnknownError;
        m_errorKind = ErrorTransfer;
        m_errorText = QStringLiteral("The address is not valid: ") + address;
        return false;
    }

    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::Http2AllowedAttribute, false);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::ManualRedirectPolicy);
    // Nothing of one exchange carries over into the next.
    request.setAttribute(QNetworkRequest::CookieLoadControlAttribute, QNetworkRequest::Manual);
    request.setAttribute(QNetworkRequest::CookieSaveControlAttribute, QNetworkRequest::Manual);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute,
                         QNetworkRequest::AlwaysNetwork);
    request.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
    if (!agent.isEmpty())
        request.setHeader(QNetworkRequest::UserAgentHeader, agent);
    if (!contentHeader.isEmpty())
        request.setHeader(QNetworkRequest::ContentTypeHeader, contentHeader);

    QNetworkAccessManager manager;
    manager.setRedirectPolicy(QNetworkRequest::ManualRedirectPolicy);
    if (proxy.isActive())
        manager.setProxy(QNetworkProxy(QNetworkProxy::HttpProxy, proxy.host, quint16(proxy.port),
                                       proxy.userName, proxy.password));
    else
        manager.setProxy(QNetworkProxy(QNetworkProxy::NoProxy));

    const QByteArray verb = method.toUpper().toLatin1();
    QNetworkReply* reply;
    if (verb == "GET" && content.isEmpty())
        reply = manager.get(request);
    else if (verb == "POST")
        reply = manager.post(request, content);
    else
        reply = manager.sendCustomRequest(request, verb, content);

    bool cancelled = false;
    bool timedOut = false;
    qint64 sentDone = 0;
    qint64 receivedDone = 0;
    QEventLoop loop;
    QTimer idle;
    idle.setSingleShot(true);
    auto stillMoving = [&] {
        if (timeoutMs > 0)
            idle.start(timeoutMs);
    };
    QObject::connect(&idle, &QTimer::timeout, reply, [&] {
        timedOut = true;
        reply->abort();
    });
    // One report per direction: the block is what moved since the last one.
    auto reporter = [&](qint64& doneSoFar, bool sending) {
        return [&, sending, soFar = &doneSoFar](qint64 done, qint64 total) {
            stillMoving();
            if (done <= *soFar || cancelled)
                return;
            const qint64 block = done - *soFar;
            *soFar = done;
            bool cancel = false;
            if (callback && sending)
                callback->BlockSent(block, done, qMax<qint64>(total, 0), cancel);
            else if (callback)
                callback->BlockReceived(block, done, qMax<qint64>(total, 0), cancel);
            if (cancel && !reply->isFinished()) {
                cancelled = true;
                reply->abort();
            }
        };
    };
    QObject::connect(reply, &QNetworkReply::uploadProgress, reply, reporter(sentDone, true));
    QObject::connect(reply, &QNetworkReply::downloadProgress, reply,
                     reporter(receivedDone, false));
    QObject::connect(reply, &QNetworkReply::readyRead, reply, [&] {
        stillMoving();
        if (reply->isOpen())
            m_body += reply->readAll();
    });
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);

    stillMoving();
    if (!reply->isFinished())
        loop.exec();
    idle.stop();

    if (reply->isOpen())
        m_body += reply->readAll();
    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (status.isValid()) {
        m_statusCode = status.toInt();
        m_reason = QString::fromLatin1(
            reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toByteArray());
        m_headers = GetStatusLine() + QStringLiteral("\r\n");
        for (const auto& [name, value] : reply->rawHeaderPairs())
            m_headers += QString::fromLatin1(name) + QStringLiteral(": ")
                + QString::fromLatin1(value) + QStringLiteral("\r\n");
    }

    const QNetworkReply::NetworkError error = reply->error();
    if (cancelled) {
        m_errorCode = QNetworkReply::OperationCanceledError;
        m_errorKind = ErrorCancelled;
        m_errorText = QStringLiteral("The request was cancelled.");
    } else if (timedOut) {
        m_errorCode = QNetworkReply::TimeoutError;
        m_errorKind = ErrorTimeout;
        m_errorText = QStringLiteral("The server did not answer within %1 seconds.")
                          .arg(timeoutMs / 1000.0, 0, 'f', 1);
    } else if (error == QNetworkReply::NoError || (status.isValid() && isHttpStatusError(error))) {
        m_errorKind = m_statusCode >= 400 ? ErrorHttpStatus : ErrorNone;
    } else {
        m_errorCode = error;
        m_errorKind = kindOf(error);
        m_errorText = reply->errorString();
    }

    reply->disconnect();
    delete reply;
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
    if (!isPlainHost(name) || name == QStringLiteral("[]"))
        return false;

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
