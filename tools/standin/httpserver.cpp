#include "httpserver.h"

#include <QDateTime>
#include <QHostAddress>
#include <QLocale>
#include <QTcpSocket>
#include <QTimer>

namespace standin {

namespace {
constexpr qsizetype kMaxHead = 64 * 1024;
constexpr qint64 kMaxBody = qint64(512) * 1024 * 1024;
// Qt's own socket buffer stays small and warm while a body streams in.
constexpr qint64 kBodyBuffer = 256 * 1024;

bool hasToken(const QByteArray& list, const QByteArray& token)
{
    for (const QByteArray& item : list.split(','))
        if (item.trimmed().compare(token, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

QString hostWithoutPort(QByteArray authority)
{
    const qsizetype at = authority.lastIndexOf('@');
    if (at >= 0)
        authority = authority.mid(at + 1);
    if (authority.startsWith('[')) {
        const qsizetype close = authority.indexOf(']');
        return QString::fromLatin1(authority.mid(1, close - 1)).toLower();
    }
    const qsizetype colon = authority.indexOf(':');
    if (colon >= 0)
        authority.truncate(colon);
    return QString::fromLatin1(authority).toLower();
}
} // namespace

QByteArray HttpRequest::header(const QByteArray& name) const
{
    for (const HttpHeader& h : headers)
        if (h.name.compare(name, Qt::CaseInsensitive) == 0)
            return h.value;
    return {};
}

QByteArray reasonPhrase(int status)
{
    switch (status) {
    case 100: return "Continue";
    case 200: return "OK";
    case 201: return "Created";
    case 204: return "No Content";
    case 301: return "Moved Permanently";
    case 302: return "Found";
    case 303: return "See Other";
    case 307: return "Temporary Redirect";
    case 400: return "Bad Request";
    case 401: return "Unauthorized";
    case 403: return "Forbidden";
    case 404: return "Not Found";
    case 405: return "Method Not Allowed";
    case 408: return "Request Timeout";
    case 411: return "Length Required";
    case 413: return "Payload Too Large";
    case 431: return "Request Header Fields Too Large";
    case 500: return "Internal Server Error";
    case 501: return "Not Implemented";
    case 502: return "Bad Gateway";
    case 503: return "Service Unavailable";
    case 504: return "Gateway Timeout";
    default: return status < 400 ? "OK" : (status < 500 ? "Client Error" : "Server Error");
    }
}

HttpResponse HttpResponse::make(int status, const QByteArray& contentType, const QByteArray& body,
                                bool keepAlive)
{
    HttpResponse r;
    r.status = status;
    r.body = body;
    r.close = !keepAlive;
    const QDateTime now = QDateTime::currentDateTimeUtc();
    r.headers.append(HttpHeader{"Date", QLocale::c().toString(now, u"ddd, dd MMM yyyy HH:mm:ss").toLatin1() +
                                  " GMT"});
    r.headers.append(HttpHeader{"Server", "ruvia-standin"});
    if (!contentType.isEmpty())
        r.headers.append(HttpHeader{"Content-Type", contentType});
    r.headers.append(HttpHeader{"Content-Length", QByteArray::number(body.size())});
    r.headers.append(HttpHeader{"Connection", keepAlive ? "keep-alive" : "close"});
    return r;
}

void HttpResponse::setHeader(const QByteArray& name, const QByteArray& value)
{
    for (HttpHeader& h : headers)
        if (h.name.compare(name, Qt::CaseInsensitive) == 0) {
            h.value = value;
            return;
        }
    headers.append(HttpHeader{name, value});
}

HttpConnection::HttpConnection(QTcpSocket* socket, RequestHandler* handler, QObject* parent)
    : QObject(parent), m_socket(socket), m_handler(handler)
{
    m_socket->setParent(this);
    m_readTimer = new QTimer(this);
    connect(m_readTimer, &QTimer::timeout, this, [this] {
        if (m_state == State::Closed)
            return;
        m_in += m_socket->read(m_readBytes);
        process();
    });
    connect(m_socket, &QTcpSocket::readyRead, this, &HttpConnection::onReadyRead);
    connect(m_socket, &QTcpSocket::disconnected, this, [this] {
        m_state = State::Closed;
        m_readTimer->stop();
        deleteLater();
    });
}

void HttpConnection::onReadyRead()
{
    if (m_state == State::Closed)
        return;
    const bool inBody = m_state != State::Head && m_state != State::Handling;
    if (m_readBytes > 0 && inBody)
        return; // the read timer takes the body in small pieces
    // Body bytes go straight from the socket into the request (see process()).
    if (!inBody || available() > 0 || (m_state != State::Body && m_state != State::ChunkData))
        m_in += m_socket->readAll();
    process();
}

qsizetype HttpConnection::findLineEnd() const
{
    return m_in.indexOf("\r\n", m_pos);
}

void HttpConnection::process()
{
    for (;;) {
        switch (m_state) {
        case State::Head: {
            while (available() >= 2 && m_in.at(m_pos) == '\r' && m_in.at(m_pos + 1) == '\n')
                m_pos += 2; // blank lines between requests are allowed
            const qsizetype end = m_in.indexOf("\r\n\r\n", m_pos);
            if (end < 0) {
                if (available() > kMaxHead)
                    fail(431, "Request head too large.");
                else if (m_pos == m_in.size()) {
                    m_in.clear();
                    m_pos = 0;
                }
                return;
            }
            const QByteArray head = m_in.mid(m_pos, end - m_pos);
            m_pos = end + 4;
            if (!parseHead(head))
                return;
            int readBytes = 0;
            int readDelayMs = 0;
            if (!m_handler->onHead(this, m_request, &readBytes, &readDelayMs))
                return;
            if (readBytes > 0) {
                m_readBytes = readBytes;
                m_readDelayMs = qMax(1, readDelayMs);
                m_socket->setReadBufferSize(readBytes);
                m_readTimer->start(m_readDelayMs);
            }
            if (m_request.version == "HTTP/1.1" &&
                m_request.header("Expect").compare("100-continue", Qt::CaseInsensitive) == 0)
                m_socket->write("HTTP/1.1 100 Continue\r\n\r\n");
            if (readBytes <= 0)
                m_socket->setReadBufferSize(kBodyBuffer);
            if (m_request.chunked) {
                m_state = State::ChunkSize;
            } else if (m_remaining > 0) {
                m_request.body.reserve(qsizetype(m_remaining));
                m_state = State::Body;
            } else {
                finishRequest();
                return;
            }
            break;
        }
        case State::Body:
        case State::ChunkData: {
            qsizetype take = qsizetype(qMin<qint64>(available(), m_remaining));
            if (take > 0) {
                m_request.body.append(m_in.constData() + m_pos, take);
                m_pos += take;
            } else {
                m_in.clear();
                m_pos = 0;
                if (m_readBytes > 0)
                    return;
                // One copy, from the socket into the body's reserved space:
                // large uploads must not pay for extra buffers.
                take = qsizetype(qMin<qint64>(m_socket->bytesAvailable(), m_remaining));
                if (take <= 0)
                    return;
                const qsizetype old = m_request.body.size();
                m_request.body.resize(old + take);
                const qint64 got = m_socket->read(m_request.body.data() + old, take);
                m_request.body.resize(old + qMax<qint64>(0, got));
                if (got <= 0)
                    return;
                take = qsizetype(got);
            }
            m_remaining -= take;
            if (m_remaining == 0) {
                if (m_state == State::Body) {
                    finishRequest();
                    return;
                }
                m_state = State::ChunkEnd;
            }
            break;
        }
        case State::ChunkSize: {
            const qsizetype end = findLineEnd();
            if (end < 0) {
                if (available() > 1024)
                    fail(400, "Bad chunk size line.");
                return;
            }
            QByteArray line = m_in.mid(m_pos, end - m_pos);
            m_pos = end + 2;
            const qsizetype semi = line.indexOf(';');
            if (semi >= 0)
                line.truncate(semi);
            bool ok = false;
            const qint64 size = line.trimmed().toLongLong(&ok, 16);
            if (!ok || size < 0 || m_request.body.size() + size > kMaxBody) {
                fail(400, "Bad chunk size.");
                return;
            }
            if (size == 0) {
                m_state = State::Trailer;
            } else {
                m_remaining = size;
                m_state = State::ChunkData;
            }
            break;
        }
        case State::ChunkEnd:
            if (available() < 2)
                return;
            if (m_in.at(m_pos) != '\r' || m_in.at(m_pos + 1) != '\n') {
                fail(400, "Bad chunk end.");
                return;
            }
            m_pos += 2;
            m_state = State::ChunkSize;
            break;
        case State::Trailer: {
            const qsizetype end = findLineEnd();
            if (end < 0)
                return;
            const bool last = end == m_pos;
            m_pos = end + 2;
            if (last) {
                finishRequest();
                return;
            }
            break;
        }
        case State::Handling:
        case State::Closed:
            return;
        }
    }
}

bool HttpConnection::parseHead(const QByteArray& head)
{
    m_request = HttpRequest();
    const QList<QByteArray> lines = head.split('\n');
    const QList<QByteArray> parts = lines.value(0).trimmed().split(' ');
    if (parts.size() != 3 || !parts.at(2).startsWith("HTTP/1.")) {
        m_keepAlive = false;
        fail(400, "Bad request line.");
        return false;
    }
    m_request.method = parts.at(0);
    m_request.target = parts.at(1);
    m_request.version = parts.at(2);
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QByteArray line = lines.at(i).endsWith('\r') ? lines.at(i).chopped(1) : lines.at(i);
        const qsizetype colon = line.indexOf(':');
        if (colon <= 0) {
            m_keepAlive = false;
            fail(400, "Bad header line.");
            return false;
        }
        m_request.headers.append(HttpHeader{line.left(colon), line.mid(colon + 1).trimmed()});
    }
    const QByteArray connection = m_request.header("Connection");
    m_keepAlive = m_request.version == "HTTP/1.1" ? !hasToken(connection, "close")
                                                  : hasToken(connection, "keep-alive");

    QByteArray rest = m_request.target;
    if (rest.startsWith("http://") || rest.startsWith("HTTP://") || rest.startsWith("https://")) {
        m_request.proxyForm = true;
        rest = rest.mid(rest.indexOf("//") + 2);
        qsizetype end = rest.size();
        for (char c : {'/', '?'}) {
            const qsizetype at = rest.indexOf(c);
            if (at >= 0 && at < end)
                end = at;
        }
        m_request.host = hostWithoutPort(rest.left(end));
        rest = rest.mid(end);
        if (!rest.startsWith('/'))
            rest.prepend('/');
    } else {
        if (m_request.method == "CONNECT" || !rest.startsWith('/')) {
            fail(501, "Only plain HTTP requests are served here.");
            return false;
        }
        m_request.host = hostWithoutPort(m_request.header("Host"));
    }
    const qsizetype q = rest.indexOf('?');
    m_request.path = q < 0 ? rest : rest.left(q);
    m_request.query = q < 0 ? QByteArray() : rest.mid(q + 1);

    const QByteArray te = m_request.header("Transfer-Encoding");
    m_remaining = 0;
    if (!te.isEmpty()) {
        if (!te.trimmed().toLower().endsWith("chunked")) {
            fail(501, "Unsupported transfer coding.");
            return false;
        }
        m_request.chunked = true;
    } else {
        const QByteArray cl = m_request.header("Content-Length");
        if (!cl.isEmpty()) {
            bool ok = false;
            m_remaining = cl.toLongLong(&ok);
            if (!ok || m_remaining < 0) {
                fail(400, "Bad Content-Length.");
                return false;
            }
            if (m_remaining > kMaxBody) {
                fail(413, "Request body too large.");
                return false;
            }
        }
    }
    return true;
}

void HttpConnection::fail(int status, const QByteArray& text)
{
    m_keepAlive = false;
    m_state = State::Handling;
    respond(HttpResponse::make(status, "text/plain; charset=utf-8", text, false));
}

void HttpConnection::finishRequest()
{
    m_state = State::Handling;
    m_readTimer->stop();
    m_readBytes = 0;
    m_socket->setReadBufferSize(0);
    m_handler->onRequest(this, m_request);
}

void HttpConnection::respond(const HttpResponse& response, const Pacing& pacing)
{
    if (m_state != State::Handling || m_answering)
        return;
    m_answering = true;
    auto send = [this, response, pacing] {
        if (m_state == State::Closed)
            return;
        QByteArray head = "HTTP/1.1 " + QByteArray::number(response.status) + ' ' +
                          reasonPhrase(response.status) + "\r\n";
        for (const HttpHeader& h : response.headers)
            head += h.name + ": " + h.value + "\r\n";
        head += "\r\n";
        m_closeAfter = response.close || !m_keepAlive;
        const QByteArray body = m_request.method == "HEAD" ? QByteArray() : response.body;
        if (pacing.chunkBytes <= 0 || body.isEmpty()) {
            m_socket->write(head + body);
            replyDone();
            return;
        }
        m_socket->write(head);
        m_out = body;
        m_outPos = 0;
        m_chunkBytes = pacing.chunkBytes;
        m_chunkDelayMs = pacing.chunkDelayMs;
        writeNextChunk();
    };
    if (pacing.delayMs > 0)
        QTimer::singleShot(pacing.delayMs, this, send);
    else
        send();
}

void HttpConnection::writeNextChunk()
{
    if (m_state == State::Closed)
        return;
    const qsizetype n = qMin<qsizetype>(m_chunkBytes, m_out.size() - m_outPos);
    m_socket->write(m_out.constData() + m_outPos, n);
    m_socket->flush();
    m_outPos += n;
    if (m_outPos >= m_out.size()) {
        m_out.clear();
        replyDone();
        return;
    }
    QTimer::singleShot(qMax(0, m_chunkDelayMs), this, &HttpConnection::writeNextChunk);
}

void HttpConnection::replyDone()
{
    m_answering = false;
    if (m_closeAfter) {
        m_state = State::Closed;
        m_socket->disconnectFromHost();
        return;
    }
    m_state = State::Head;
    m_request = HttpRequest();
    logSeq = 0;
    faultJson.clear();
    // A pipelined request may already be waiting.
    QTimer::singleShot(0, this, [this] {
        if (m_state != State::Head)
            return;
        m_in += m_socket->readAll();
        process();
    });
}

void HttpConnection::drop()
{
    if (m_state == State::Closed)
        return;
    m_state = State::Closed;
    m_readTimer->stop();
    m_socket->abort();
    deleteLater();
}

HttpServer::HttpServer(RequestHandler* handler, QObject* parent)
    : QObject(parent), m_handler(handler)
{
    connect(&m_server, &QTcpServer::newConnection, this, &HttpServer::onNewConnection);
}

bool HttpServer::listen(quint16 port)
{
    return m_server.listen(QHostAddress(QHostAddress::LocalHost), port);
}

quint16 HttpServer::port() const
{
    return m_server.serverPort();
}

void HttpServer::onNewConnection()
{
    while (QTcpSocket* socket = m_server.nextPendingConnection())
        new HttpConnection(socket, m_handler, this);
}

} // namespace standin
