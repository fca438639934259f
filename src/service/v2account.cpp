#include "service/v2account.h"

#include "core/group.h"
#include "core/settings.h"
#include "platform/log.h"
#include "platform/prompter.h"
#include "platform/requestfields.h"
#include "service/postlookup.h"
#include "service/postsubmit.h"
#include "service/requestframe.h"
#include "service/secretstore.h"
#include "service/uploadstatus.h"
#include "service/v2parse.h"

#include <QJsonDocument>
#include <QLocale>
#include <QUrl>

namespace ruvia {

namespace {

constexpr int kApiTimeoutMs = 30000;
// A token this close to its end is renewed before it is used.
constexpr qint64 kRenewMarginSecs = 60;
constexpr int kListPage = 20;

QString signInAgainText()
{
    return QStringLiteral("Tumblr no longer accepts Ruvia's sign-in to your account (it runs out "
                          "after 42 days without use, or it was withdrawn). Please sign in "
                          "again.");
}

// "in about 3 hours (at 17:00)" from a header that counts seconds.
QString resetText(const HTTPRequest& request)
{
    for (const char* name : {"X-Ratelimit-Perday-Reset", "X-Ratelimit-Perhour-Reset", "Retry-After"}) {
        bool ok = false;
        const qint64 seconds = request.GetResponseHeader(QString::fromLatin1(name)).toLongLong(&ok);
        if (!ok || seconds <= 0)
            continue;
        const QDateTime at = QDateTime::currentDateTime().addSecs(seconds);
        const QString span = seconds < 120 ? QStringLiteral("%1 seconds").arg(seconds)
            : seconds < 2 * 3600           ? QStringLiteral("%1 minutes").arg((seconds + 59) / 60)
                                           : QStringLiteral("%1 hours").arg((seconds + 1799) / 3600);
        return QStringLiteral(" It resets in about %1 (at %2).")
            .arg(span, QLocale::c().toString(at, QStringLiteral("HH:mm")));
    }
    return {};
}

QString blogPath(const QString& group)
{
    return QStringLiteral("/v2/blog/") + QString::fromLatin1(QUrl::toPercentEncoding(group, ":"));
}

int askAbortRetryIgnore(const QString& text)
{
    const int answer = ErrorReporter::AskAbortRetryIgnore(text);
    return answer == IDABORT ? LookupAbort : answer == IDRETRY ? LookupRetry : LookupIgnore;
}

} // namespace

QString DescribeV2Failure(const HTTPRequest& request)
{
    if (request.GetErrorCode() != 0)
        return request.GetRequestErrorText();
    const int status = request.GetStatusCode();
    QJsonValue response;
    QList<V2Error> errors;
    if (!ParseV2Envelope(request.GetResponseBody(), response, errors)) {
        const QString type = request.GetResponseHeader(QStringLiteral("Content-Type"));
        if (type.startsWith(QStringLiteral("text/html"), Qt::CaseInsensitive)
            || request.GetResponseBody().trimmed().startsWith('<'))
            return QStringLiteral("The service answered with a web page (HTTP %1) instead of "
                                  "data. A proxy or the service's front server may be in the "
                                  "way; try again later.")
                .arg(status);
        return QStringLiteral("The service's answer (HTTP %1) could not be read.").arg(status);
    }
    const int code = errors.isEmpty() ? 0 : errors.first().code;
    QString detail = errors.isEmpty() ? QString() : errors.first().detail;
    if (detail.isEmpty() && !errors.isEmpty())
        detail = errors.first().title;
    if (status == 403 && code == 8004)
        return QStringLiteral("Tumblr's daily limit of picture uploads for your account is "
                              "reached. The limit is Tumblr's; the pictures not posted stay in "
                              "the queue for later.")
            + resetText(request);
    if (status == 403 && code == 8023)
        return QStringLiteral("Tumblr's daily limit of new posts for your account is reached. "
                              "The limit is Tumblr's; the pictures not posted stay in the queue "
                              "for later.")
            + resetText(request);
    if (status == 403 && code == 8022)
        return QStringLiteral("The blog's queue on Tumblr is full (it holds 1,000 posts at "
                              "most). Publish or delete queued posts, or choose another state.");
    if (status == 429)
        return QStringLiteral("Tumblr asks Ruvia to slow down: too many requests for now (a rate "
                              "limit of the service). Try again later.")
            + resetText(request);
    if (status == 401)
        return signInAgainText();
    if (status == 404)
        return QStringLiteral("Tumblr did not find it (HTTP 404): the blog or the post does not "
                              "exist, or is not yours.")
            + (detail.isEmpty() ? QString() : QStringLiteral(" ") + detail);
    if (status >= 500)
        return QStringLiteral("Tumblr failed to answer (HTTP %1); its servers may be busy or "
                              "posting may be switched off for now. Try again later.")
            .arg(status)
            + (detail.isEmpty() ? QString() : QStringLiteral(" ") + detail);
    QString text = QStringLiteral("Tumblr refused it (HTTP %1").arg(status);
    if (code != 0)
        text += QStringLiteral(", error %1").arg(code);
    text += QStringLiteral(").");
    if (!detail.isEmpty())
        text += QStringLiteral(" ") + detail;
    return text;
}

V2Account::V2Account(const ServiceConfig& config) : m_config(config) {}

QList<int> V2Account::PostStates() const
{
    // Submissions to one's own blog do not exist in v2.
    return {StatePublishNow, StateQueue, StatePublishOn, StateDraft, StatePrivate};
}

QString V2Account::PublishDateForm() const
{
    return QStringLiteral("Year-month-day and time, e.g. 2026-12-24 18:30 (this computer's time "
                          "zone)");
}

QString V2Account::tokenKey() const
{
    return QStringLiteral("tokens %1@%2").arg(m_config.clientId, HostOfAddress(m_config.apiAddress));
}

QString V2Account::ClientSecret(const QString& clientId)
{
    QByteArray value;
    if (Secrets().Read(QStringLiteral("client-secret ") + clientId, value) != SecretStore::Found)
        return {};
    return QString::fromUtf8(value);
}

bool V2Account::SaveClientSecret(const QString& clientId, const QString& secret)
{
    QString error;
    const QString key = QStringLiteral("client-secret ") + clientId;
    if (secret.isEmpty() ? Secrets().Remove(key, &error) : Secrets().Write(key, secret.toUtf8(), &error))
        return true;
    MsgBox(QStringLiteral("Can't keep the application's secret in %1.\r\n\r\n%2")
               .arg(Secrets().Description(), error),
           MB_ICONCRITICAL);
    return false;
}

bool V2Account::LoadStoredSignIn()
{
    QByteArray value;
    if (Secrets().Read(tokenKey(), value) != SecretStore::Found)
        return false;
    m_tokens = OAuthTokens::fromJson(value);
    return IsSignedIn();
}

bool V2Account::keepSignIn(const OAuthTokens& tokens)
{
    QString error;
    if (Secrets().Write(tokenKey(), tokens.toJson(), &error))
        return true;
    tsLogError(QStringLiteral("V2Account::keepSignIn() ==> can't keep the sign-in of account "
                              "\"%1\" (client %2): %3")
                   .arg(tokens.account, m_config.clientId, error));
    MsgBox(QStringLiteral("Can't keep the renewed sign-in in %1, so Ruvia may ask you to sign in "
                          "again next time.\r\n\r\n%2")
               .arg(Secrets().Description(), error),
           MB_ICONEXCLAMATION);
    return false;
}

bool V2Account::SignIn(ISignInView* view, IHTTPRequestCallback* callback, int waitMs)
{
    const QString secret = ClientSecret(m_config.clientId);
    OAuthSignIn flow(m_config, secret);
    OAuthTokens tokens;
    QString message;
    const OAuthSignIn::Outcome outcome = flow.Run(view, callback, tokens, message, waitMs);
    if (outcome == OAuthSignIn::Cancelled)
        return false;
    if (outcome != OAuthSignIn::SignedIn) {
        MsgBox(message, outcome == OAuthSignIn::Refused ? MB_ICONEXCLAMATION : MB_ICONCRITICAL);
        return false;
    }
    tokens.account = m_tokens.account;
    m_tokens = tokens;
    keepSignIn(m_tokens);
    // The account's name comes with its blogs, kept for whoever shows them.
    ListGroups(callback, m_signInGroups);
    return true;
}

void V2Account::SignOut()
{
    m_tokens = OAuthTokens();
    QString error;
    if (!Secrets().Remove(tokenKey(), &error))
        MsgBox(QStringLiteral("Can't remove the sign-in from %1.\r\n\r\n%2")
                   .arg(Secrets().Description(), error),
               MB_ICONCRITICAL);
}

bool V2Account::renew(IHTTPRequestCallback* callback, bool force)
{
    if (m_tokens.isEmpty()) {
        MsgBox(QStringLiteral("Ruvia is not signed in to Tumblr. Please sign in."), MB_ICONEXCLAMATION);
        return false;
    }
    if (!force && m_tokens.expiresAt.isValid()
        && QDateTime::currentDateTimeUtc().secsTo(m_tokens.expiresAt) > kRenewMarginSecs)
        return true;
    // A stored pair may have been renewed by another instance since we read it.
    OAuthTokens stored;
    QByteArray value;
    if (Secrets().Read(tokenKey(), value) == SecretStore::Found) {
        stored = OAuthTokens::fromJson(value);
        if (!stored.isEmpty() && stored.accessToken != m_tokens.accessToken
            && QDateTime::currentDateTimeUtc().secsTo(stored.expiresAt) > kRenewMarginSecs) {
            m_tokens = stored;
            return true;
        }
        if (!stored.refreshToken.isEmpty())
            m_tokens.refreshToken = stored.refreshToken;
    }
    if (m_tokens.refreshToken.isEmpty()) {
        MsgBox(signInAgainText(), MB_ICONEXCLAMATION);
        m_tokens = OAuthTokens();
        return false;
    }
    OAuthTokens renewed;
    bool refused = false;
    QString message;
    if (!RequestTokens(m_config, ClientSecret(m_config.clientId),
                       {{QStringLiteral("grant_type"), QStringLiteral("refresh_token")},
                        {QStringLiteral("refresh_token"), m_tokens.refreshToken}},
                       callback, renewed, &refused, message)) {
        if (refused) {
            tsLogWarning(QStringLiteral("V2Account::renew() ==> the renewal for account \"%1\" "
                                        "was refused: %2")
                             .arg(m_tokens.account, message));
            // The tokens are no good any more: forget them so that nothing
            // tries them again, and ask once.
            SignOut();
            MsgBox(signInAgainText(), MB_ICONEXCLAMATION);
        } else {
            MsgBox(message, MB_ICONCRITICAL);
        }
        return false;
    }
    if (renewed.refreshToken.isEmpty())
        renewed.refreshToken = m_tokens.refreshToken;
    renewed.account = m_tokens.account;
    // The used refresh token may be dead now: the new pair is kept before
    // anything uses it.
    keepSignIn(renewed);
    m_tokens = renewed;
    return true;
}

bool V2Account::apiRequest(HTTPRequest& request, const QString& method,
                           const QString& pathAndQuery, const RequestFields* fields,
                           int timeoutMs, IHTTPRequestCallback* callback)
{
    QString reason;
    const QString address = m_config.apiAddress + pathAndQuery;
    QString host, path;
    int port = 0;
    bool secure = false;
    if (!IsSafeServiceAddress(address, &reason)
        || !HTTPRequest::ParseURL(address, host, port, path, &secure)) {
        MsgBox(reason.isEmpty() ? QStringLiteral("\"%1\" is not a web address.").arg(address) : reason,
               MB_ICONCRITICAL);
        return false;
    }
    if (!renew(callback, false))
        return false;
    static const RequestFields kNoFields;
    for (int attempt = 0;; ++attempt) {
        request.Reset();
        request.SetHeader("Authorization", "Bearer " + m_tokens.accessToken.toUtf8());
        SendServiceRequest(request, host, port, method, path, timeoutMs,
                           fields ? *fields : kNoFields, callback, secure);
        // A refused token made nothing happen, so one repeat cannot duplicate.
        if (attempt == 0 && request.GetErrorCode() == 0 && request.GetStatusCode() == 401) {
            if (!renew(callback, true))
                return false;
            continue;
        }
        return true;
    }
}

bool V2Account::ListGroups(IHTTPRequestCallback* callback, QList<GroupEntry>& groups)
{
    HTTPRequest request;
    if (!apiRequest(request, QStringLiteral("GET"), QStringLiteral("/v2/user/info"), nullptr,
                    kApiTimeoutMs, callback))
        return false;
    if (request.GetErrorKind() == ErrorCancelled)
        return false;
    QString name, error;
    QList<V2Blog> blogs;
    if (request.HasFailed() || !ParseUserInfo(request.GetResponseBody(), name, blogs, &error)) {
        MsgBox(QStringLiteral("Can't get your blogs from Tumblr.\r\n\r\n")
                   + (request.HasFailed() ? DescribeV2Failure(request) : error),
               MB_ICONCRITICAL);
        return false;
    }
    if (!name.isEmpty() && name != m_tokens.account) {
        m_tokens.account = name;
        keepSignIn(m_tokens);
    }
    groups.clear();
    for (const V2Blog& blog : blogs) {
        QString folder = KnownGroupFolder(blog.uuid);
        if (folder.isEmpty()) {
            folder = blog.host;
            RememberGroupFolder(blog.uuid, folder);
        }
        groups.append({blog.title + QStringLiteral(" | ") + folder, blog.uuid});
    }
    return true;
}

bool V2Account::fetchPicture(const QString& address, IHTTPRequestCallback* callback,
                             QByteArray& bytes, QString& mimeType, QString& fileName)
{
    QString host, path;
    int port = 0;
    bool secure = false;
    if (!HTTPRequest::ParseURL(address, host, port, path, &secure)) {
        MsgBox(address + QStringLiteral("\r\n\r\nCan't send post. This is not a picture's web address."),
               MB_ICONCRITICAL);
        return false;
    }
    HTTPRequest request;
    request.SetReplyLimit(kPictureReplyLimit);
    SendServiceRequest(request, host, port, QStringLiteral("GET"), path, SET_Timeout, RequestFields(),
                       callback, secure);
    if (request.GetErrorKind() == ErrorCancelled)
        return false;
    if (request.HasFailed()) {
        ShowRequestError(request, MB_ICONCRITICAL,
                         address + QStringLiteral("\r\n\r\nCan't send post. Can't fetch the picture "
                                                  "to post it."));
        return false;
    }
    bytes = request.GetResponseBody();
    mimeType = PictureMimeType(bytes);
    if (mimeType.isEmpty()) {
        MsgBox(address + QStringLiteral("\r\n\r\nCan't send post. What this address gives is not a "
                                        "picture (%1, %2 bytes).")
                             .arg(request.GetResponseHeader(QStringLiteral("Content-Type")))
                             .arg(bytes.size()),
               MB_ICONCRITICAL);
        return false;
    }
    fileName = QUrl(address).fileName();
    if (fileName.isEmpty())
        fileName = QStringLiteral("picture");
    return true;
}

bool V2Account::WritePhotoPost(const QString& group, const PhotoPost& post,
                               IHTTPRequestCallback* callback, QString& postId, bool* unconfirmed)
{
    postId.clear();
    if (unconfirmed)
        *unconfirmed = false;
    if (post.state < StatePublishNow || post.state > StatePublishOnOld)
        MsgBox(QStringLiteral("Warning! Invalid post state!"), MB_ICONCRITICAL);
    const QString identifier = QStringLiteral("img0");
    QString error;
    // Checked before anything is fetched or sent.
    if (PhotoPostParameters(post, identifier, QStringLiteral("image/jpeg"), &error).isEmpty()) {
        MsgBox(QStringLiteral("Can't send post. ") + error, MB_ICONCRITICAL);
        return false;
    }
    QByteArray fetched;
    QString mimeType, fileName = post.fileName;
    const QByteArray* bytes = &post.data;
    if (!post.source.isEmpty()) {
        if (!fetchPicture(post.source, callback, fetched, mimeType, fileName))
            return false;
        bytes = &fetched;
    } else {
        mimeType = PictureMimeType(post.data);
        if (mimeType.isEmpty())
            mimeType = QStringLiteral("application/octet-stream");
    }
    if (fileName.isEmpty())
        fileName = QStringLiteral("picture");
    const QJsonObject params = PhotoPostParameters(post, identifier, mimeType, &error);
    RequestFields fields;
    fields.AddTypedField(QStringLiteral("json"), QJsonDocument(params).toJson(QJsonDocument::Compact),
                         QStringLiteral("application/json"));
    fields.AddField(identifier, *bytes, fileName, mimeType);
    fetched = QByteArray();

    HTTPRequest request;
    if (!apiRequest(request, QStringLiteral("POST"), blogPath(group) + QStringLiteral("/posts"),
                    &fields, SET_Timeout, callback))
        return false;
    const int status = request.GetStatusCode();
    if (unconfirmed) {
        // Only a refusal, or a connection that never opened, proves there is no post.
        const bool refused = (status >= 400 && status < 500)
            || (status == 0 && request.GetErrorKind() == ErrorConnect);
        *unconfirmed = !refused;
    }
    if (request.GetErrorCode() == 0 && (status == 201 || status == 200)) {
        postId = CreatedPostId(request.GetResponseBody());
        if (!postId.isEmpty()) {
            if (unconfirmed)
                *unconfirmed = false;
            return true;
        }
    }
    if (request.GetErrorKind() == ErrorCancelled) {
        ShowRequestError(request, MB_ICONCRITICAL, QStringLiteral("Can't send post."));
        return false;
    }
    const QString why = request.GetErrorCode() == 0 && status < 300
        ? QStringLiteral("The service's answer holds no post id.")
        : DescribeV2Failure(request);
    MsgBox(QStringLiteral("Can't send post.\r\n\r\n") + why, MB_ICONCRITICAL);
    return false;
}

int V2Account::ReadPostLinks(const QString& group, const QString& postId,
                             IHTTPRequestCallback* callback, PostLinks& links)
{
    if (postId.isEmpty())
        return LookupIgnore;
    for (;;) {
        HTTPRequest request;
        if (!apiRequest(request, QStringLiteral("GET"),
                        blogPath(group) + QStringLiteral("/posts/") + postId, nullptr,
                        kApiTimeoutMs, callback))
            return LookupAbort;
        if (request.GetErrorKind() == ErrorCancelled)
            return LookupAbort;
        if (request.HasFailed()) {
            SetUploadStatusColor(1);
            const int answer = askAbortRetryIgnore(
                QStringLiteral("Can't read post %1 from Tumblr.\r\n\r\n").arg(postId)
                + DescribeV2Failure(request));
            if (answer == LookupRetry)
                continue;
            return answer;
        }
        QJsonValue response;
        QList<V2Error> errors;
        QJsonObject post;
        if (ParseV2Envelope(request.GetResponseBody(), response, errors)) {
            post = response.toObject();
            // Some routes wrap the post in a list.
            const QJsonArray list = post.value(QStringLiteral("posts")).toArray();
            if (!list.isEmpty())
                post = list.first().toObject();
        }
        if (!ParsePostObject(post, SET_GroupName, links))
            return askAbortRetryIgnore(
                QStringLiteral("Can't load received data: the answer about post %1 holds no post.")
                    .arg(postId));
        return LookupSuccess;
    }
}

int V2Account::ListNewestPosts(const QString& group, const QString& state, QString& cursor,
                               const QString& failureText, IHTTPRequestCallback* callback,
                               QList<NewestPost>& posts)
{
    posts.clear();
    QString path = blogPath(group);
    const qint64 offset = cursor.toLongLong();
    if (state.isEmpty())
        path += QStringLiteral("/posts?npf=true&limit=%1&offset=%2").arg(kListPage).arg(offset);
    else if (state == QStringLiteral("queue"))
        path += QStringLiteral("/posts/queue?npf=true&limit=%1&offset=%2").arg(kListPage).arg(offset);
    else if (state == QStringLiteral("draft"))
        path += QStringLiteral("/posts/draft?npf=true")
            + (cursor.isEmpty() ? QString() : QStringLiteral("&before_id=") + cursor);
    else {
        // Nothing is ever written in a state v2 does not have.
        cursor.clear();
        return LookupSuccess;
    }
    for (;;) {
        HTTPRequest request;
        if (!apiRequest(request, QStringLiteral("GET"), path, nullptr, kApiTimeoutMs, callback))
            return LookupAbort;
        if (request.GetErrorKind() == ErrorCancelled)
            return LookupAbort;
        QString error;
        if (!request.HasFailed() && ParsePostList(request.GetResponseBody(), posts, &error)) {
            if (posts.size() < kListPage)
                cursor.clear();
            else if (state == QStringLiteral("draft"))
                cursor = posts.last().id;
            else
                cursor = QString::number(offset + kListPage);
            return LookupSuccess;
        }
        const int answer = askAbortRetryIgnore(
            failureText + QStringLiteral("\r\n\r\n")
            + (request.HasFailed() ? DescribeV2Failure(request) : error));
        if (answer != LookupRetry)
            return answer;
    }
}

} // namespace ruvia
