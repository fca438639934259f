#pragma once
// Takes an HTTP/1.1 reply apart as its bytes arrive: the status line and the
// header lines as received, then a body framed by Content-Length, by chunks
// or by the end of the connection. The head, each chunk-size line and the
// trailer section have caps, and the body has the caller's limit, so what a
// server sends never makes it buffer without bound; each byte is searched
// once, however finely the reply is cut.
#include <QByteArray>
#include <QString>

#include <functional>

namespace ruvia {

class HTTPReplyParser {
public:
    enum State { Reading, Complete, Failed, Stopped };

    // expectBody: false for the reply to a HEAD request. tunnel: the reply to
    // CONNECT, whose 2xx ends with its head.
    HTTPReplyParser(qint64 bodyLimit, bool expectBody, bool tunnel = false);

    // Hears of each piece of body as it is taken; returning false stops the
    // parse (State Stopped). It may let events run, and append() meanwhile.
    std::function<bool(qint64 block)> onBody;

    void append(const QByteArray& bytes) { m_in += bytes; }
    // Takes apart what it can of what was appended.
    void parse();
    // No more bytes will come: a body without a length ends here, anything
    // else unfinished fails.
    void closed();

    State state() const { return m_state; }
    bool headDone() const { return m_headDone; }
    // A QNetworkReply error code and a text for a person, once Failed.
    int errorCode() const { return m_errorCode; }
    QString errorText() const { return m_errorText; }

    int status() const { return m_status; }
    QString statusLine() const { return m_statusLine; }
    // The status line, then each header line as received, each ended by CR LF.
    QString headers() const { return m_headers; }
    // -1 when the head announced no length (or the body is chunked).
    qint64 length() const { return m_length; }
    QByteArray& body() { return m_body; }

private:
    bool parseHead();
    bool parseChunks();
    void takeBody(qint64 n);
    void fail(int code, const QString& text);
    void failTooLarge();
    qsizetype unread() const { return m_in.size() - m_pos; }

    const qint64 m_limit;
    const bool m_expectBody;
    const bool m_tunnel;
    State m_state = Reading;
    int m_errorCode = 0;
    QString m_errorText;
    int m_status = 0;
    QString m_statusLine;
    QString m_headers;
    QByteArray m_body;
    // Input not yet taken apart starts at m_pos; up to m_scanned it holds no
    // end of the line or head being looked for.
    QByteArray m_in;
    qsizetype m_pos = 0;
    qsizetype m_scanned = 0;
    bool m_headDone = false;
    bool m_parsing = false;
    qint64 m_length = -1;
    bool m_chunked = false;
    qint64 m_chunkLeft = -1;
    qint64 m_trailerBytes = 0;
};

} // namespace ruvia
