#pragma once
// A small single-threaded HTTP/1.1 server on the Qt event loop: keep-alive,
// pipelining, Content-Length and chunked request bodies, Expect: 100-continue,
// and paced or dropped replies for fault injection. What a client sends or
// leaves unread is bounded.
#include <QByteArray>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

class QTimer;

namespace standin {

struct HttpHeader {
    QByteArray name;
    QByteArray value;
};

struct HttpRequest {
    QByteArray method;
    QByteArray target;
    QByteArray version;
    QList<HttpHeader> headers;
    QString host; // lower case, without port
    QByteArray path;
    QByteArray query;
    bool proxyForm = false;
    bool chunked = false;
    QByteArray body;

    QByteArray header(const QByteArray& name) const;
};

struct HttpResponse {
    int status = 200;
    QList<HttpHeader> headers; // written as they are, in this order
    QByteArray body;
    bool close = false;

    // Date, Server, Content-Type, Content-Length, Connection.
    static HttpResponse make(int status, const QByteArray& contentType, const QByteArray& body,
                             bool keepAlive);
    void setHeader(const QByteArray& name, const QByteArray& value);
};

QByteArray reasonPhrase(int status);

struct Pacing {
    int delayMs = 0;      // before the reply
    int chunkBytes = 0;   // > 0: the body goes out in pieces of this size...
    int chunkDelayMs = 0; // ...this far apart
};

class HttpConnection;

class RequestHandler {
public:
    virtual ~RequestHandler() = default;
    // The head has been read. Returning false means the handler has dropped
    // the connection. *readBytes / *readDelayMs slow down reading the body.
    virtual bool onHead(HttpConnection* connection, const HttpRequest& request, int* readBytes,
                        int* readDelayMs) = 0;
    // The whole request has been read. The handler answers with respond() or
    // drop(), now or later; it may take the body away.
    virtual void onRequest(HttpConnection* connection, HttpRequest& request) = 0;
};

class Peer;

// One client connection. It reads only what the request being parsed needs,
// never while a request is being answered or while earlier replies wait
// unread, so a client can make it hold at most one request and about one
// reply. A client that ends its sending (a half-close) still gets the reply
// to what it sent; a connection that moves no byte for the idle time-out is
// closed.
class HttpConnection : public QObject {
    Q_OBJECT
public:
    HttpConnection(qintptr descriptor, RequestHandler* handler, int idleTimeoutMs, QObject* parent);
    ~HttpConnection() override;

    bool keepAlive() const { return m_keepAlive; }
    void respond(const HttpResponse& response, const Pacing& pacing = {});
    void drop();

    // Free slots for the handler's bookkeeping of the current request.
    qint64 logSeq = 0;
    QByteArray faultJson;
    // The request is handled as usual and the connection closed in place of the reply.
    bool dropReply = false;

private:
    enum class State { Head, Body, ChunkSize, ChunkData, ChunkEnd, Trailer, Handling, Closed };

    void process();
    bool readInput(qint64 max);
    bool readBody();
    bool parseHead(const QByteArray& head);
    void fail(int status, const QByteArray& text);
    void finishRequest();
    void writeNextChunk();
    void replyDone();
    void onWritten();
    void stillMoving();
    void close();
    void closed();
    qsizetype available() const { return m_in.size() - m_pos; }
    qsizetype findLineEnd() const;

    Peer* m_peer;
    RequestHandler* m_handler;
    State m_state = State::Head;
    QByteArray m_in;
    qsizetype m_pos = 0;
    HttpRequest m_request;
    qint64 m_remaining = 0;
    qsizetype m_trailerBytes = 0;
    bool m_keepAlive = true;
    bool m_inputEnded = false;
    // Replies pile up unread: the next request waits until they have gone.
    bool m_waitingForOutput = false;
    bool m_closing = false;
    int m_readBytes = 0;
    int m_readDelayMs = 0;
    QTimer* m_readTimer = nullptr;
    QTimer* m_idle = nullptr;
    int m_idleTimeoutMs;
    // Reply being paced out.
    QByteArray m_out;
    qsizetype m_outPos = 0;
    int m_chunkBytes = 0;
    int m_chunkDelayMs = 0;
    bool m_closeAfter = false;
    bool m_answering = false; // one reply per request, even when it is delayed
};

class HttpServer : public QObject {
    Q_OBJECT
public:
    // idleTimeoutMs: a connection that moves no byte that long is closed.
    explicit HttpServer(RequestHandler* handler, int idleTimeoutMs = 60000, QObject* parent = nullptr);
    ~HttpServer() override;
    // Listens on 127.0.0.1 only.
    bool listen(quint16 port);
    quint16 port() const;
    QString errorString() const;

private:
    class Listener;
    Listener* m_server;
    RequestHandler* m_handler;
    int m_idleTimeoutMs;
};

} // namespace standin
