#include "service/postlookup.h"

#include "platform/log.h"
#include "platform/prompter.h"
#include "platform/requestfields.h"
#include "platform/textrules.h"
#include "platform/textutil.h"
#include "platform/xmldocument.h"
#include "service/requestframe.h"
#include "service/uploadstatus.h"

#include <QTimeZone>

namespace ruvia {

namespace {

const QString kIncorrectResponse = QStringLiteral("Incorrect response received from server.");

int mapAnswer(int answer)
{
    switch (answer) {
    case IDABORT:
        return LookupAbort;
    case IDRETRY:
        return LookupRetry;
    default:
        return LookupIgnore;
    }
}

QByteArray trimmedBytes(const QByteArray& bytes)
{
    auto blank = [](char c) {
        return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'
            || c == '\0';
    };
    qsizetype b = 0;
    qsizetype e = bytes.size();
    while (b < e && blank(bytes.at(b)))
        ++b;
    while (e > b && blank(bytes.at(e - 1)))
        --e;
    return bytes.mid(b, e - b);
}

QString readGenerator()
{
    return QString::fromUtf16(kAppTitle) + QLatin1Char(' ')
        + tsFormatVersion(RUVIA_VERSION_MAJOR, RUVIA_VERSION_MINOR, RUVIA_VERSION_PATCH);
}

} // namespace

bool FindLocationHeader(const QString& headers, QString& location)
{
    static const QString marker = QStringLiteral("\r\nLocation: ");
    const qsizetype at = headers.indexOf(marker);
    if (at < 0)
        return false;
    const qsizetype start = at + marker.size();
    const qsizetype end = headers.indexOf(QStringLiteral("\r\n"), start);
    if (end < 0)
        return false;
    location = tsTrimEx2(headers.mid(start, end - start));
    return true;
}

namespace {

// The read call with its recovery rules: redirects, the service's 408 reply
// (cleared by a dummy read), failures asked about with failureText above the
// request's error, and an empty reply.
int readBlogXml(const QString& host, const QString& email, const QString& password,
                const QString& path, const QList<QPair<QString, QByteArray>>& extraFields,
                const QString& failureText, IHTTPRequestCallback* callback, QByteArray& reply)
{
    QString currentHost = host;
    int currentPort = kServicePort;
    QString currentPath = path;
    bool currentSecure = false;
    bool dummySent = false;
    int redirects = 0;

    HTTPRequest request;
    RequestFields fields;
    for (;;) {
        fields.Clear();
        request.Reset();
        fields.AddField(QStringLiteral("email"), email.toUtf8());
        fields.AddField(QStringLiteral("password"), password.toUtf8());
        fields.AddField(QStringLiteral("generator"), tsUNICODEToUTF8(readGenerator()));
        fields.AddField(QStringLiteral("filter"), "text");
        fields.AddField(QStringLiteral("type"), "photo");
        for (const auto& field : extraFields)
            fields.AddField(field.first, field.second);
        SendServiceRequest(request, currentHost, currentPort, QStringLiteral("POST"),
                           currentPath, kServiceTimeoutMs, fields, callback, currentSecure);

        if (request.GetErrorCode() == 0 && request.GetStatusCode() == 301) {
            QString location;
            if (++redirects > kMaxRedirects
                || !FindLocationHeader(request.GetResponseHeaders(), location)) {
                MsgBox(kIncorrectResponse, MB_ICONCRITICAL);
                return LookupIgnore;
            }
            // An https target is followed over TLS, never as plain HTTP to port 443.
            if (!HTTPRequest::ParseURL(location, currentHost, currentPort, currentPath,
                                       &currentSecure)) {
                SetUploadStatusColor(2);
                MsgBox(kIncorrectResponse, MB_ICONCRITICAL);
                return LookupIgnore;
            }
            continue;
        }

        if (request.HasFailed()) {
            if (request.GetErrorKind() == ErrorCancelled)
                return LookupAbort;
            SetUploadStatusColor(1);
            if (request.GetStatusCode() == 408 && !dummySent) {
                tsLogWarning(QStringLiteral(
                    "ReadPost() ==> HTTP 408 was detected. Trying to send dummy GET request."));
                const int dummy = SendDummyRead(host, callback);
                if (dummy != LookupSuccess)
                    return dummy;
                dummySent = true;
                continue;
            }
            if (request.GetStatusCode() == 408)
                tsLogError(QStringLiteral("ReadPost() ==> HTTP 408 was detected again. Dummy "
                                          "request doesn't help at all."));
            const int answer = ErrorReporter::AskAbortRetryIgnore(
                failureText + QStringLiteral("\r\n\r\n") + request.GetRequestErrorText());
            if (answer == IDRETRY)
                continue;
            return answer == IDABORT ? LookupAbort : LookupIgnore;
        }

        reply = trimmedBytes(request.GetResponseBody());
        if (!reply.isEmpty())
            return LookupSuccess;
        if (MsgBox(QStringLiteral("Request was successful but not data received."),
                   MB_RETRYCANCEL | MB_ICONCRITICAL)
            == IDRETRY)
            continue;
        return LookupSuccess;
    }
}

} // namespace

int ReadPost(const QString& host, const QString& email, const QString& password,
             const QString& postId, IHTTPRequestCallback* callback, QByteArray& reply)
{
    reply.clear();
    if (postId.isEmpty())
        return LookupIgnore;
    return readBlogXml(host, email, password, QStringLiteral("/api/read?id=") + postId, {},
                       QStringLiteral("Can't download blog's XML file."), callback, reply);
}

int ReadNewestPosts(const QString& host, const QString& email, const QString& password,
                    int start, const QString& state, const QString& failureText,
                    IHTTPRequestCallback* callback, QByteArray& reply)
{
    reply.clear();
    QList<QPair<QString, QByteArray>> fields{
        {QStringLiteral("start"), QByteArray::number(start)},
        {QStringLiteral("num"), QByteArray::number(kNewestPostsPage)}};
    if (!state.isEmpty())
        fields.append({QStringLiteral("state"), state.toUtf8()});
    return readBlogXml(host, email, password, QStringLiteral("/api/read"), fields, failureText,
                       callback, reply);
}

int SendDummyRead(const QString& host, IHTTPRequestCallback* callback)
{
    for (;;) {
        HTTPRequest request;
        request.Reset();
        SendServiceRequest(request, host, kServicePort, QStringLiteral("GET"),
                           QStringLiteral("/api/read"), kServiceTimeoutMs, RequestFields(),
                           callback);
        if (!request.HasFailed())
            return LookupSuccess;
        if (request.GetErrorKind() == ErrorCancelled)
            return LookupAbort;
        SetUploadStatusColor(1);
        const int answer = ErrorReporter::AskAbortRetryIgnore(
            QStringLiteral("Can't download blog's XML file (it's dummy request after HTTP 408 "
                           "error).\r\n\r\n")
            + request.GetRequestErrorText());
        if (answer == IDRETRY)
            continue;
        return answer == IDABORT ? LookupAbort : LookupIgnore;
    }
}

bool LoadReadReply(const QByteArray& reply, xhXMLDocument& doc, QString* error)
{
    if (!doc.LoadXML(reply)) {
        *error = QStringLiteral("Can't load received XML data.\r\n\r\n") + doc.LastError();
        return false;
    }
    if (doc.GetText(QStringLiteral("/tumblr/@version")).isEmpty()) {
        *error = QStringLiteral("XML data was loaded but API version was not found. Looks like "
                                "it was invalid XML or even XHTML (for example, from Privoxy).");
        return false;
    }
    return true;
}

int ParsePostReply(const QByteArray& reply, PostLinks& links)
{
    links = PostLinks();
    xhXMLDocument doc;
    QString error;
    if (!LoadReadReply(reply, doc, &error))
        return mapAnswer(ErrorReporter::AskAbortRetryIgnore(error));

    const QStringList sizes = PostLinks::Sizes();
    for (int i = 0; i < sizes.size(); ++i)
        links[PostLinks::Picture1280 + i] = doc.GetText(
            QStringLiteral("/tumblr/posts/post/photo-url[@max-width='%1']").arg(sizes.at(i)));
    links[PostLinks::PostURL] = doc.GetText(QStringLiteral("/tumblr/posts/post/@url"));
    links[PostLinks::PostURLSlug] = doc.GetText(QStringLiteral("/tumblr/posts/post/@url-with-slug"));
    return LookupSuccess;
}

bool ParseNewestPosts(const QByteArray& reply, QList<NewestPost>& posts, QString* error)
{
    posts.clear();
    xhXMLDocument doc;
    if (!LoadReadReply(reply, doc, error))
        return false;
    for (const pugi::xpath_node& node : doc.SelectNodes(QStringLiteral("/tumblr/posts/post"))) {
        const pugi::xml_node e = node.node();
        NewestPost post;
        post.id = fromU8(e.attribute("id").value());
        post.url = fromU8(e.attribute("url").value());
        post.caption = fromU8(e.child("photo-caption").text().get());
        post.linkUrl = fromU8(e.child("photo-link-url").text().get());
        for (pugi::xml_node tag : e.children("tag"))
            post.tags.append(fromU8(tag.text().get()));
        post.size = QSize(e.attribute("width").as_int(), e.attribute("height").as_int());
        const pugi::xml_attribute stamp = e.attribute("unix-timestamp");
        if (stamp && *stamp.value())
            post.date = QDateTime::fromSecsSinceEpoch(stamp.as_llong(), QTimeZone::utc());
        posts.append(post);
    }
    return true;
}

} // namespace ruvia
