#include "platform/httpreply.h"

#include <QList>
#include <QNetworkReply>

namespace ruvia {

namespace {
constexpr qsizetype kMaxHead = 256 * 1024;
constexpr qsizetype kMaxTrailers = kMaxHead;
constexpr qsizetype kMaxChunkLine = 4096;

// Where the chunk decoder stands when it is not inside chunk data.
constexpr qint64 kAtSizeLine = -1;
constexpr qint64 kAfterData = -2;
constexpr qint64 kInTrailers = -3;
} // namespace

HTTPReplyParser::HTTPReplyParser(qint64 bodyLimit, bool expectBody, bool tunnel)
    : m_limit(bodyLimit), m_expectBody(expectBody), m_tunnel(tunnel)
{
}

void HTTPReplyParser::fail(int code, const QString& text)
{
    if (m_state != Reading)
        return;
    m_state = Failed;
    m_errorCode = code;
    m_errorText = text;
}

void HTTPReplyParser::failTooLarge()
{
    fail(QNetworkReply::ProtocolFailure,
         QStringLiteral("The reply is larger than %1 MB.").arg(qMax<qint64>(1, m_limit >> 20)));
}

bool HTTPReplyParser::parseHead()
{
    qsizetype end = m_in.indexOf("\r\n\r\n", qMax(m_pos, m_scanned - 3));
    qsizetype skip = 4;
    const qsizetype lf = m_in.indexOf("\n\n", qMax(m_pos, m_scanned - 1));
    if (lf >= 0 && (end < 0 || lf < end)) {
        end = lf;
        skip = 2;
    }
    if (end < 0) {
        m_scanned = m_in.size();
        if (unread() > kMaxHead)
            fail(QNetworkReply::ProtocolFailure,
                 QStringLiteral("The server sent a reply head that never ends."));
        return false;
    }
    QList<QByteArray> lines = m_in.mid(m_pos, end - m_pos).split('\n');
    m_pos = end + skip;
    m_scanned = m_pos;
    for (QByteArray& line : lines)
        if (line.endsWith('\r'))
            line.chop(1);
    const QByteArray statusLine = lines.takeFirst();
    const QList<QByteArray> parts = statusLine.split(' ');
    bool ok = false;
    const int status = parts.size() >= 2 ? parts.at(1).toInt(&ok) : 0;
    if (!statusLine.startsWith("HTTP/1.") || !ok || status < 100 || status > 999) {
        fail(QNetworkReply::ProtocolFailure,
             QStringLiteral("The server's reply is not HTTP: ") + QString::fromLatin1(statusLine.left(80)));
        return false;
    }
    if (status < 200)
        return true; // an interim reply ("100 Continue"): the real one follows

    m_status = status;
    m_statusLine = QString::fromLatin1(statusLine);
    m_headers = m_statusLine + QStringLiteral("\r\n");
    m_length = -1;
    m_chunked = false;
    for (const QByteArray& line : lines) {
        m_headers += QString::fromLatin1(line) + QStringLiteral("\r\n");
        const qsizetype colon = line.indexOf(':');
        if (colon < 0)
            continue;
        const QByteArray name = line.left(colon).trimmed().toLower();
        const QByteArray value = line.mid(colon + 1).trimmed();
        if (name == "transfer-encoding" && value.toLower().contains("chunked")) {
            m_chunked = true;
        } else if (name == "content-length") {
            bool valid = false;
            const qint64 length = value.toLongLong(&valid);
            if (!valid || length < 0 || (m_length >= 0 && m_length != length)) {
                fail(QNetworkReply::ProtocolFailure,
                     QStringLiteral("The server sent an invalid Content-Length."));
                return false;
            }
            m_length = length;
        }
    }
    m_headDone = true;
    if (!m_expectBody || status == 204 || status == 304 || (m_tunnel && status < 300))
        m_length = 0;
    if (m_chunked && m_length != 0)
        m_length = -1;
    else
        m_chunked = false;
    if (m_length > m_limit) {
        failTooLarge();
        return false;
    }
    if (m_length > 0)
        m_body.reserve(m_length);
    return true;
}

// The bytes leave the input before onBody runs: it lets events run, and a
// nested parse must not see them again.
void HTTPReplyParser::takeBody(qint64 n)
{
    if (n <= 0)
        return;
    if (m_body.size() + n > m_limit)
        return failTooLarge();
    m_body.append(m_in.constData() + m_pos, n);
    m_pos += n;
    if (onBody && !onBody(n) && m_state == Reading)
        m_state = Stopped;
}

bool HTTPReplyParser::parseChunks()
{
    while (m_state == Reading) {
        if (m_chunkLeft > 0) {
            const qint64 n = qMin<qint64>(m_chunkLeft, unread());
            if (n == 0)
                return false;
            m_chunkLeft -= n;
            takeBody(n);
            if (m_chunkLeft == 0)
                m_chunkLeft = kAfterData;
            continue;
        }
        const bool trailer = m_chunkLeft == kInTrailers;
        const qsizetype eol = m_in.indexOf('\n', qMax(m_pos, m_scanned));
        if (eol < 0) {
            m_scanned = m_in.size();
            if (trailer ? m_trailerBytes + unread() > kMaxTrailers : unread() > kMaxChunkLine)
                fail(QNetworkReply::ProtocolFailure, QStringLiteral("The server sent a broken chunked reply."));
            return false;
        }
        const qsizetype length = eol + 1 - m_pos;
        const QByteArray line = m_in.mid(m_pos, length).trimmed();
        m_pos = eol + 1;
        m_scanned = m_pos;
        if (trailer) {
            m_trailerBytes += length;
            if (line.isEmpty())
                return true; // end of the trailers
            if (m_trailerBytes > kMaxTrailers)
                fail(QNetworkReply::ProtocolFailure, QStringLiteral("The server sent a broken chunked reply."));
            continue;
        }
        if (length > kMaxChunkLine) {
            fail(QNetworkReply::ProtocolFailure, QStringLiteral("The server sent a broken chunked reply."));
            return false;
        }
        if (m_chunkLeft == kAfterData) {
            m_chunkLeft = kAtSizeLine;
            continue;
        }
        bool ok = false;
        const qint64 size = line.split(';').first().trimmed().toLongLong(&ok, 16);
        if (!ok || size < 0) {
            fail(QNetworkReply::ProtocolFailure, QStringLiteral("The server sent a broken chunked reply."));
            return false;
        }
        if (size > m_limit - m_body.size()) {
            failTooLarge();
            return false;
        }
        m_chunkLeft = size == 0 ? kInTrailers : size;
    }
    return false;
}

void HTTPReplyParser::parse()
{
    // Once at a time: onBody lets events run, and what arrives meanwhile
    // waits for the outer run.
    if (m_parsing)
        return;
    m_parsing = true;
    while (m_state == Reading) {
        if (!m_headDone) {
            if (!parseHead())
                break;
            continue;
        }
        if (m_chunked) {
            if (parseChunks())
                m_state = Complete;
            break;
        }
        const qint64 want = m_length < 0 ? unread() : m_length - m_body.size();
        const qint64 n = qMin<qint64>(want, unread());
        if (n > 0) {
            takeBody(n);
            continue;
        }
        if (m_length >= 0 && m_body.size() >= m_length)
            m_state = Complete;
        break;
    }
    m_in.remove(0, m_pos);
    m_scanned = qMax<qsizetype>(0, m_scanned - m_pos);
    m_pos = 0;
    m_parsing = false;
}

void HTTPReplyParser::closed()
{
    parse();
    if (m_state != Reading)
        return;
    if (m_headDone && !m_chunked && m_length < 0) {
        m_state = Complete;
        return;
    }
    fail(QNetworkReply::RemoteHostClosedError,
         m_headDone ? QStringLiteral("The connection was closed before the whole reply came.")
                    : QStringLiteral("The connection was closed without a reply."));
}

} // namespace ruvia
