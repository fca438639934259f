#pragma once
// What the stand-in's tests send and read by hand: multipart and
// URL-encoded forms, and replies read off a socket.
#include <QByteArray>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QList>
#include <QPair>
#include <QTcpSocket>

namespace ruvia::test {

struct FormField {
    QByteArray name;
    QByteArray value;
    QByteArray filename = {};
    QByteArray contentType = {};
};

inline const QByteArray kFormBoundary = "----standinTestBoundary7d93";

inline QByteArray multipart(const QList<FormField>& fields)
{
    QByteArray body;
    for (const FormField& f : fields) {
        body += "--" + kFormBoundary + "\r\nContent-Disposition: form-data; name=\"" + f.name + '"';
        if (!f.filename.isEmpty())
            body += "; filename=\"" + f.filename + '"';
        body += "\r\n";
        if (!f.contentType.isEmpty())
            body += "Content-Type: " + f.contentType + "\r\n";
        body += "\r\n" + f.value + "\r\n";
    }
    return body + "--" + kFormBoundary + "--\r\n";
}

inline QByteArray urlEncoded(const QList<FormField>& fields)
{
    QByteArray body;
    for (const FormField& f : fields)
        body += (body.isEmpty() ? "" : "&") + f.name.toPercentEncoding() + '=' +
                f.value.toPercentEncoding();
    return body;
}

struct Reply {
    int status = 0;
    QList<QPair<QByteArray, QByteArray>> headers;
    QByteArray body;
    bool ok = false; // a whole reply arrived

    QByteArray header(const QByteArray& name) const
    {
        for (const auto& h : headers)
            if (h.first.compare(name, Qt::CaseInsensitive) == 0)
                return h.second;
        return {};
    }
    bool hasHeader(const QByteArray& name) const
    {
        for (const auto& h : headers)
            if (h.first.compare(name, Qt::CaseInsensitive) == 0)
                return true;
        return false;
    }
    QJsonObject json() const { return QJsonDocument::fromJson(body).object(); }
    // The first error and the response of an API v2 envelope.
    QJsonObject error() const
    {
        return json().value(QStringLiteral("errors")).toArray().first().toObject();
    }
    QJsonObject response() const { return json().value(QStringLiteral("response")).toObject(); }
};

inline bool waitForBytes(QTcpSocket& socket, QByteArray& buffer, qsizetype needed,
                         int timeoutMs = 15000)
{
    QElapsedTimer timer;
    timer.start();
    while (buffer.size() < needed) {
        if (socket.bytesAvailable() == 0 &&
            !socket.waitForReadyRead(int(qMax<qint64>(1, timeoutMs - timer.elapsed()))))
            return false;
        buffer += socket.readAll();
    }
    return true;
}

// Reads one reply (Content-Length framed) from a connected socket; extra
// bytes stay in buffer for the next reply.
inline Reply readReply(QTcpSocket& socket, QByteArray& buffer)
{
    Reply reply;
    qsizetype headEnd;
    while ((headEnd = buffer.indexOf("\r\n\r\n")) < 0)
        if (!waitForBytes(socket, buffer, buffer.size() + 1))
            return reply;
    const QList<QByteArray> lines = buffer.left(headEnd).split('\n');
    reply.status = lines.value(0).split(' ').value(1).toInt();
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QByteArray line = lines.at(i).trimmed();
        const qsizetype colon = line.indexOf(':');
        reply.headers.append({line.left(colon), line.mid(colon + 1).trimmed()});
    }
    buffer.remove(0, headEnd + 4);
    const qsizetype length = reply.header("Content-Length").toLongLong();
    if (!waitForBytes(socket, buffer, length))
        return reply;
    reply.body = buffer.left(length);
    buffer.remove(0, length);
    reply.ok = true;
    return reply;
}

} // namespace ruvia::test
