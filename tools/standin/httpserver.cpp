#include "httpserver.h"

#include <QDateTime>
#include <QHostAddress>
#include <QLocale>
#include <QSocketNotifier>
#include <QTcpServer>
#include <QTimer>

#include <cerrno>
#include <fcntl.h>
#include <functional>
#include <sys/socket.h>
#include <unistd.h>

namespace standin {

namespace {
constexpr qsizetype kMaxHead = 64 * 1024;
constexpr qint64 kMaxBody = qint64(512) * 1024 * 1024;
// A declared length is reserved up to this; a larger body grows as it comes.
constexpr qint64 kReserveLimit = 16 * 1024 * 1024;
// Reads stay small and warm while a body streams in.
constexpr qint64 kReadPiece = 256 * 1024;
// Replies a client leaves unread beyond this hold back its next request.
constexpr qsizetype kMaxUnsent = 1024 * 1024;

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

// A TCP connection on a non-blocking descriptor. Unlike QTcpSocket it keeps
// the two directions apart: the end of the client's sending is news, not the
// end of the connection, and nothing is read that the owner did not ask for.
class Peer {
public:
    Peer(int fd, QObject* owner, std::function<void()> readable, std::function<void()> written,
         std::function<void()> broken)
        : m_fd(fd), m_broken(std::move(broken))
    {
        ::fcntl(m_fd, F_SETFL, ::fcntl(m_fd, F_GETFL) | O_NONBLOCK);
        m_reader = new QSocketNotifier(qintptr(m_fd), QSocketNotifier::Read, owner);
        m_writer = new QSocketNotifier(qintptr(m_fd), QSocketNotifier::Write, owner);
        m_writer->setEnabled(false);
        QObject::connect(m_reader, &QSocketNotifier::activated, owner, std::move(readable));
        QObject::connect(m_writer, &QSocketNotifier::activated, owner,
                         [this, written = std::move(written)] {
                             if (flush())
                                 written();
                         });
    }
    ~Peer() { abort(); }

    // Bytes read (> 0), 0 when none are there now, -1 when the client has sent
    // its last byte or the connection broke.
    qint64 read(char* data, qint64 max)
    {
        if (m_fd < 0 || m_ended)
            return -1;
        const ssize_t n = ::recv(m_fd, data, size_t(max), 0);
        if (n > 0)
            return n;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR))
            return 0;
        m_ended = true;
        m_reader->setEnabled(false);
        return -1;
    }
    // Whether the owner hears of input (it reads nothing it does not ask for).
    void setReading(bool on)
    {
        if (m_fd >= 0)
            m_reader->setEnabled(on && !m_ended);
    }
    void write(const char* data, qsizetype size)
    {
        if (m_fd < 0)
            return;
        if (m_outPos > 0 && m_outPos >= m_out.size() / 2) {
            m_out.remove(0, m_outPos);
            m_outPos = 0;
        }
        m_out.append(data, size);
        flush();
    }
    void write(const QByteArray& data) { write(data.constData(), data.size()); }
    qsizetype pending() const { return m_out.size() - m_outPos; }
    // No more output: the client sees the end once what is queued has gone.
    void finish()
    {
        m_finishing = true;
        flush();
    }
    void abort()
    {
        if (m_fd < 0)
            return;
        // This may run inside a notifier's own signal.
        for (QSocketNotifier* n : {m_reader, m_writer}) {
            n->setEnabled(false);
            n->deleteLater();
        }
        ::close(m_fd);
        m_fd = -1;
    }
    bool isOpen() const { return m_fd >= 0; }

private:
    // False when the connection broke (the owner has heard of it then).
    bool flush()
    {
        while (m_fd >= 0 && pending() > 0) {
            const ssize_t n = ::send(m_fd, m_out.constData() + m_outPos, size_t(pending()), MSG_NOSIGNAL);
            if (n > 0) {
                m_outPos += n;
                continue;
            }
            if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) {
                m_writer->setEnabled(true);
                return true;
            }
            abort();
            m_broken();
            return false;
        }
        if (m_fd < 0)
            return false;
        m_out.clear();
        m_outPos = 0;
        m_writer->setEnabled(false);
        if (m_finishing) {
            ::shutdown(m_fd, SHUT_WR);
            abort();
            m_broken();
            return false;
        }
        return true;
    }

    int m_fd;
    std::function<void()> m_broken;
    QSocketNotifier* m_reader = nullptr;
    QSocketNotifier* m_writer = nullptr;
    QByteArray m_out;
    qsizetype m_outPos = 0;
    bool m_ended = false;
    bool m_finishing = false;
};

HttpConnection::HttpConnection(qintptr descriptor, RequestHandler* handler, int idleTimeoutMs,
                               QObject* parent)
    : QObject(parent), m_handler(handler), m_idleTimeoutMs(idleTimeoutMs)
{
    m_peer = new Peer(
        int(descriptor), this, [this] { process(); }, [this] { onWritten(); },
        [this] { closed(); });
    m_readTimer = new QTimer(this);
    connect(m_readTimer, &QTimer::timeout, this, [this] {
        if (m_state == State::Closed)
            return;
        if (readInput(m_readBytes))
            process();
    });
    m_idle = new QTimer(this);
    m_idle->setSingleShot(true);
    connect(m_idle, &QTimer::timeout, this, &HttpConnection::drop);
    stillMoving();
}

HttpConnection::~HttpConnection()
{
    delete m_peer;
}

void HttpConnection::stillMoving()
{
    if (m_idleTimeoutMs > 0 && m_state != State::Handling && m_state != State::Closed)
        m_idle->start(m_idleTimeoutMs);
}

qsizetype HttpConnection::findLineEnd() const
{
    return m_in.indexOf("\r\n", m_pos);
}

// Up to max more bytes of input after what is there; false when none came.
bool HttpConnection::readInput(qint64 max)
{
    if (m_pos > 0) {
        m_in.remove(0, m_pos);
        m_pos = 0;
    }
    const qsizetype old = m_in.size();
    m_in.resize(old + qsizetype(max));
    const qint64 n = m_peer->read(m_in.data() + old, max);
    m_in.resize(old + qMax<qint64>(0, n));
    if (n < 0)
        m_inputEnded = true;
    if (n <= 0)
        return false;
    stillMoving();
    return true;
}

// Body bytes go straight from the system into the request: large uploads
// must not pay for extra buffers.
bool HttpConnection::readBody()
{
    const qsizetype take = qsizetype(qMin<qint64>(m_remaining, kReadPiece));
    const qsizetype old = m_request.body.size();
    m_request.body.resize(old + take);
    const qint64 n = m_peer->read(m_request.body.data() + old, take);
    m_request.body.resize(old + qMax<qint64>(0, n));
    if (n < 0)
        m_inputEnded = true;
    if (n <= 0)
        return false;
    m_remaining -= n;
    stillMoving();
    return true;
}

void HttpConnection::process()
{
    if (m_state == State::Handling || m_state == State::Closed || m_waitingForOutput) {
        m_peer->setReading(false);
        return;
    }
    // Where more input is needed: while the body is read slowly on purpose,
    // only the read timer brings it.
    auto more = [this](bool body) {
        if (m_readBytes > 0)
            return false;
        const bool got = body ? readBody() : readInput(kReadPiece);
        if (got || !m_inputEnded)
            return got;
        // The client said all it will say: what is not a whole request never will be.
        if (m_state != State::Head || available() > 0)
            drop();
        else
            close();
        return false;
    };
    m_peer->setReading(m_readBytes == 0);
    for (;;) {
        switch (m_state) {
        case State::Head: {
            while (available() >= 2 && m_in.at(m_pos) == '\r' && m_in.at(m_pos + 1) == '\n')
                m_pos += 2; // blank lines between requests are allowed
            const qsizetype end = m_in.indexOf("\r\n\r\n", m_pos);
            if (end < 0) {
                if (available() > kMaxHead)
                    return fail(431, "Request head too large.");
                if (!more(false))
                    return;
                break;
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
                m_readTimer->start(m_readDelayMs);
            }
            if (m_request.version == "HTTP/1.1" &&
                m_request.header("Expect").compare("100-continue", Qt::CaseInsensitive) == 0)
                m_peer->write("HTTP/1.1 100 Continue\r\n\r\n");
            if (m_request.chunked) {
                m_state = State::ChunkSize;
            } else if (m_remaining > 0) {
                // What is declared is not yet sent: the rest grows as it comes.
                m_request.body.reserve(qsizetype(qMin<qint64>(m_remaining, kReserveLimit)));
                m_state = State::Body;
            } else {
                return finishRequest();
            }
            break;
        }
        case State::Body:
        case State::ChunkData: {
            const qsizetype take = qsizetype(qMin<qint64>(available(), m_remaining));
            if (take > 0) {
                m_request.body.append(m_in.constData() + m_pos, take);
                m_pos += take;
                m_remaining -= take;
            } else if (!more(true)) {
                return;
            }
            if (m_remaining == 0) {
                if (m_state == State::Body)
                    return finishRequest();
                m_state = State::ChunkEnd;
            }
            break;
        }
        case State::ChunkSize: {
            const qsizetype end = findLineEnd();
            if (end < 0) {
                if (available() > 1024)
                    return fail(400, "Bad chunk size line.");
                if (!more(false))
                    return;
                break;
            }
            QByteArray line = m_in.mid(m_pos, end - m_pos);
            m_pos = end + 2;
            const qsizetype semi = line.indexOf(';');
            if (semi >= 0)
                line.truncate(semi);
            bool ok = false;
            const qint64 size = line.trimmed().toLongLong(&ok, 16);
            if (!ok || size < 0 || size > kMaxBody - m_request.body.size())
                return fail(400, "Bad chunk size.");
            if (size == 0) {
                m_state = State::Trailer;
                m_trailerBytes = 0;
            } else {
                m_remaining = size;
                m_state = State::ChunkData;
            }
            break;
        }
        case State::ChunkEnd:
            if (available() < 2) {
                if (!more(false))
                    return;
                break;
            }
            if (m_in.at(m_pos) != '\r' || m_in.at(m_pos + 1) != '\n')
                return fail(400, "Bad chunk end.");
            m_pos += 2;
            m_state = State::ChunkSize;
            break;
        case State::Trailer: {
            const qsizetype end = findLineEnd();
            if (end < 0) {
                if (m_trailerBytes + available() > kMaxHead)
                    return fail(431, "Trailer section too large.");
                if (!more(false))
                    return;
                break;
            }
            const bool last = end == m_pos;
            m_trailerBytes += end + 2 - m_pos;
            m_pos = end + 2;
            if (last)
                return finishRequest();
            if (m_trailerBytes > kMaxHead)
                return fail(431, "Trailer section too large.");
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
    m_idle->stop();
    m_readTimer->stop();
    m_readBytes = 0;
    m_peer->setReading(false);
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
            m_peer->write(head + body);
            replyDone();
            return;
        }
        m_peer->write(head);
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
    m_peer->write(m_out.constData() + m_outPos, n);
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
    if (m_state == State::Closed)
        return;
    m_answering = false;
    if (m_closeAfter)
        return close();
    m_state = State::Head;
    m_request = HttpRequest();
    logSeq = 0;
    faultJson.clear();
    dropReply = false;
    stillMoving();
    // A pipelined request may already be waiting; it is read once the
    // replies before it have gone out.
    m_waitingForOutput = m_peer->pending() > kMaxUnsent;
    if (!m_waitingForOutput)
        QTimer::singleShot(0, this, &HttpConnection::process);
}

void HttpConnection::onWritten()
{
    stillMoving();
    if (m_waitingForOutput && m_peer->pending() <= kMaxUnsent) {
        m_waitingForOutput = false;
        process();
    }
}

// Ends the connection once what is queued has gone out.
void HttpConnection::close()
{
    if (m_state == State::Closed)
        return;
    m_state = State::Closed;
    m_idle->stop();
    m_readTimer->stop();
    m_peer->setReading(false);
    m_peer->finish();
}

// The connection has ended: finished, broken or dropped.
void HttpConnection::closed()
{
    m_state = State::Closed;
    m_idle->stop();
    m_readTimer->stop();
    deleteLater();
}

void HttpConnection::drop()
{
    if (!m_peer->isOpen())
        return;
    m_peer->abort();
    closed();
}

class HttpServer::Listener : public QTcpServer {
public:
    std::function<void(qintptr)> incoming;

protected:
    void incomingConnection(qintptr descriptor) override { incoming(descriptor); }
};

HttpServer::HttpServer(RequestHandler* handler, int idleTimeoutMs, QObject* parent)
    : QObject(parent), m_server(new Listener), m_handler(handler), m_idleTimeoutMs(idleTimeoutMs)
{
    m_server->incoming = [this](qintptr descriptor) {
        new HttpConnection(descriptor, m_handler, m_idleTimeoutMs, this);
    };
}

HttpServer::~HttpServer()
{
    delete m_server;
}

bool HttpServer::listen(quint16 port)
{
    return m_server->listen(QHostAddress(QHostAddress::LocalHost), port);
}

quint16 HttpServer::port() const
{
    return m_server->serverPort();
}

QString HttpServer::errorString() const
{
    return m_server->errorString();
}

} // namespace standin
