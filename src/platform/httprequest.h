#pragma once
// One HTTP exchange at a time, blocking its caller. Send returns when the
// exchange is over; meanwhile a nested event loop keeps the windows alive and
// the callback hears of every block sent or received and may cancel.
//
// Redirects are never followed here (the callers decide what a 301 means),
// only HTTP/1.1 is spoken, and the proxy is the one set with SetProxy.
#include "platform/proxysettings.h"

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>
#include <QtGlobal>

namespace ruvia {

// Limits of a reply body, past which the exchange ends as a transfer failure
// ("The reply is larger than N MB."). A service reply is some kilobytes of
// XML or text; a picture download is generous. Whole megabytes.
inline constexpr qint64 kServiceReplyLimit = qint64(4) << 20;
inline constexpr qint64 kPictureReplyLimit = qint64(64) << 20;
// A reply body that brings less than this, over each time-out's length, has
// stalled: one byte a second must not hold an exchange for hours.
inline constexpr qint64 kMinReplyBytesPerSecond = 1024;

class IHTTPRequestCallback {
public:
    virtual ~IHTTPRequestCallback() = default;
    // block: bytes since the previous report in that direction; total is 0
    // when the peer did not announce a length. Setting cancel abandons the
    // exchange (error kind Cancelled).
    virtual void BlockSent(qint64 block, qint64 done, qint64 total, bool& cancel) = 0;
    virtual void BlockReceived(qint64 block, qint64 done, qint64 total, bool& cancel) = 0;
};

enum RequestErrorKind : int {
    ErrorNone = 0,
    // Connection refused, host or proxy not found, proxy refused us.
    ErrorConnect = 1,
    // No byte moved for the whole time-out, the head of the reply did not come
    // within it, or the body came slower than kMinReplyBytesPerSecond.
    ErrorTimeout = 2,
    // The connection broke or the peer spoke nonsense.
    ErrorTransfer = 3,
    // The exchange completed with an HTTP status of 400 or more.
    ErrorHttpStatus = 4,
    ErrorCancelled = 9,
};

class HTTPRequest {
public:
    HTTPRequest();
    ~HTTPRequest();
    HTTPRequest(const HTTPRequest&) = delete;
    HTTPRequest& operator=(const HTTPRequest&) = delete;

    // timeoutMs bounds each wait for the next byte, so a large upload on a slow
    // line is not cut off while it is still moving; the head of the reply must
    // come within timeoutMs of the last byte sent, and its body must keep the
    // minimal rate. secure selects https.
    // Returns true when the exchange completed (whatever its status).
    bool Send(const QString& host, int port, const QString& method, const QString& path,
              const QString& protocol, const QString& contentHeader, const QByteArray& content,
              int timeoutMs, const QString& agent, IHTTPRequestCallback* callback,
              bool secure = false);
    // Forgets the previous exchange; the proxy and the reply limit stay.
    void Reset();

    // The largest reply body taken (kServiceReplyLimit unless set).
    void SetReplyLimit(qint64 bytes) { m_replyLimit = bytes; }
    qint64 ReplyLimit() const { return m_replyLimit; }

    // An extra request header (Authorization, say), sent with every exchange
    // of this request until cleared; Reset keeps it. Names and values must
    // not hold line breaks (refused at Send).
    void SetHeader(const QByteArray& name, const QByteArray& value);
    void ClearHeaders() { m_extraHeaders.clear(); }

    void SetProxy(const ProxySettings& proxy) { m_proxy = proxy; }
    ProxySettings& Proxy() { return m_proxy; }
    const ProxySettings& Proxy() const { return m_proxy; }

    // Program name and version, as "Ruvia/1.0.0".
    static QString GetAgentString();

    // Non-zero (the transport's error number) when the exchange did not complete.
    int GetErrorCode() const { return m_errorCode; }
    // A transfer failure or an HTTP status of 400 or more.
    bool HasFailed() const { return m_errorCode != 0 || m_statusCode >= 400; }
    int GetErrorKind() const;
    // 0 when no status line was received.
    int GetStatusCode() const { return m_statusCode; }
    QString GetStatusLine() const;
    // The status line, then each header line as received, each ended by CR LF.
    QString GetResponseHeaders() const { return m_headers; }
    // The value of the first reply header of that name (letter case ignored),
    // trimmed; empty when there is none.
    QString GetResponseHeader(const QString& name) const;
    const QByteArray& GetResponseBody() const { return m_body; }
    // What went wrong, for a person: the transport's description, or the
    // status line of a reply that carries an error status.
    QString GetRequestErrorText() const;

    // Splits "http://host[:port]/path?query" (or https) into its parts; the
    // port defaults to the scheme's. Refuses other schemes, user information,
    // blanks and control characters.
    static bool ParseURL(const QString& url, QString& host, int& port, QString& path,
                         bool* secure = nullptr);

private:
    ProxySettings m_proxy;
    QList<QPair<QByteArray, QByteArray>> m_extraHeaders;
    qint64 m_replyLimit = kServiceReplyLimit;
    int m_errorCode = 0;
    int m_errorKind = ErrorNone;
    int m_statusCode = 0;
    QString m_statusLine;
    QString m_protocol;
    QString m_headers;
    QByteArray m_body;
    QString m_errorText;
};

// Shows message and the request's details (the transport's error text or the
// status line), one blank line apart; returns the answer.
int ShowRequestError(const HTTPRequest& request, int style, const QString& message);

} // namespace ruvia
