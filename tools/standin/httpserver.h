#pragma once
// A small single-threaded HTTP/1.1 server on the Qt event loop: keep-alive,
// Content-Length and chunked request bodies, Expect: 100-continue, and paced
// or dropped replies for fault injection.
#include <QByteArray>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTcpServer>

class QTcpSocket;
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

class HttpConnection : public QObject {
    Q_OBJECT
public:
    HttpConnection(QTcpSocket* socket, RequestHandler* handler, QObject* parent);

    bool keepAlive() const { return m_keepAlive; }
    void respond(const HttpResponse& response, const Pacing& pacing = {});
    void drop();

    // Free slots for the handler's bookkeeping of the current request.
    qint64 logSeq = 0;
    QByteArray faultJson;

private:
    enum class State { Head, Body, ChunkSize, ChunkData, ChunkEnd, Trailer, Handling, Closed };

    void onReadyRead();
    void process();
    bool parseHead(const QByteArray& head);
    void fail(int status, const QByteArray& text);
    void finishRequest();
    void writeNextChunk();
    void replyDone();
    qsizetype available() const { return m_in.size() - m_pos; }
    qsizetype findLineEnd() const;

    QTcpSocket* m_socket;
    RequestHandler* m_handler;
    State m_state = State::Head;
    QByteArray m_in;
    qsizetype m_pos = 0;
    HttpRequest m_request;
    qint64 m_remaining = 0;
    bool m_keepAlive = true;
    int m_readBytes = 0;
    int m_readDelayMs = 0;
    QTimer* m_readTimer = nullptr;
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
    explicit HttpServer(RequestHandler* handler, QObject* parent = nullptr);
    // Listens on 127.0.0.1 only.
    bool listen(quint16 port);
    quint16 port() const;
    QString errorString() const { return m_server.errorString(); }

private:
    void onNewConnection();

    QTcpServer m_server;
    RequestHandler* m_handler;
};

} // namespace standin
