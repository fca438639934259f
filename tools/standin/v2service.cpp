#include "v2service.h"

#include "demo.h"
#include "formdata.h"
#include "pictures.h"
#include "service.h"

#include <QCryptographicHash>
#include <QImage>
#include <QJsonDocument>
#include <QRandomGenerator>
#include <QTimeZone>
#include <QUrl>

#include <algorithm>
#include <future>

using namespace Qt::StringLiterals;

namespace standin {

namespace {
constexpr int kMaxListCount = 20;
constexpr qint64 kCodeLifetime = 600;
constexpr qsizetype kSmallPicture = 64 * 1024;
const QList<int> kExtraWidths{640, 540};
const QByteArray kJson = "application/json; charset=utf-8";
const QStringList kScopes{u"basic"_s, u"write"_s, u"offline_access"_s};

QString randomToken(int length)
{
    static const char letters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    QString text;
    for (int i = 0; i < length; ++i)
        text += QLatin1Char(letters[QRandomGenerator::system()->bounded(62)]);
    return text;
}

// Marks a numeric id in a reply's JSON until the text is written: the
// number goes in with its exact digits, which QJsonDocument cannot do.
const QString& idMarkerPrefix()
{
    static const QString prefix = u"standin-id-"_s + randomToken(12) + u'-';
    return prefix;
}

QByteArray withNumericIds(QByteArray json, const QStringList& ids)
{
    for (const QString& id : ids)
        json.replace('"' + (idMarkerPrefix() + id).toUtf8() + '"', id.toUtf8());
    return json;
}

QByteArray compact(const QJsonObject& o)
{
    return QJsonDocument(o).toJson(QJsonDocument::Compact);
}

QString v2StateOf(const Post& p)
{
    if (p.state == u"queue")
        return u"queued"_s;
    if (p.state == u"published" && p.isPrivate)
        return u"private"_s;
    return p.state;
}

QString gmtDate(const QDateTime& d)
{
    return d.toUTC().toString(u"yyyy-MM-dd HH:mm:ss"_s) + u" GMT"_s;
}

QDateTime parseIso(const QString& text)
{
    QDateTime d = QDateTime::fromString(text.trimmed(), Qt::ISODateWithMs);
    if (!d.isValid())
        d = QDateTime::fromString(text.trimmed(), u"yyyy-MM-dd HH:mm:ss"_s);
    if (d.isValid() && d.timeSpec() == Qt::LocalTime)
        d = QDateTime(d.date(), d.time(), QTimeZone::utc());
    return d;
}

bool loopbackRedirect(const QString& uri)
{
    const QUrl url(uri, QUrl::StrictMode);
    if (!url.isValid() || (url.scheme() != u"http" && url.scheme() != u"https"))
        return false;
    const QString host = url.host().toLower();
    return host == u"localhost" || host == u"127.0.0.1" || host == u"::1";
}

// The address the client reached the stand-in by, for picture URLs it can fetch.
QString baseOf(const HttpRequest& request, quint16 port)
{
    QByteArray authority;
    if (request.proxyForm) {
        authority = request.target.mid(request.target.indexOf("//") + 2);
        for (char c : {'/', '?'})
            if (authority.contains(c))
                authority.truncate(authority.indexOf(c));
    } else {
        authority = request.header("Host");
    }
    authority = authority.mid(authority.lastIndexOf('@') + 1);
    const bool plain = std::all_of(authority.begin(), authority.end(), [](char c) {
        return QChar::isLetterOrNumber(uchar(c)) || QByteArrayView(".-:[]").contains(c);
    });
    if (authority.isEmpty() || !plain)
        authority = "127.0.0.1:" + QByteArray::number(port);
    return u"http://"_s + QString::fromLatin1(authority);
}

// The size of each file of a post's picture, made the way pictures.cpp and
// demo.cpp make them: a demo file is drawn at its size, a posted one scaled
// down step by step from the one before.
QHash<QString, QSize> fileSizes(const Post& p)
{
    QHash<QString, QSize> sizes;
    const int w = p.width;
    const int h = p.height;
    auto scaled = [](QSize from, int width) {
        return QSize(width, qMax(1, qRound(double(from.height()) * width / from.width())));
    };
    QSize current(w, h);
    if (demoIndexOf(p.id) >= 0) {
        for (int s : {1280, 500, 400, 250, 100}) {
            const int fw = qMin(s, w);
            sizes.insert(QString::number(s), QSize(fw, qMax(1, int((qint64(h) * fw + w / 2) / w))));
        }
    } else {
        if (w > 1280)
            current = p.extension == u"png" // only the JPEG reader decodes at a smaller size
                          ? scaled(current, 1280)
                          : QSize(1280, qMax(1, int(qint64(h) * 1280 / w)));
        const QString whole = sizeLabelsFor(w).first();
        for (int s : {1280, 500, 400, 250, 100}) {
            const QString label = QString::number(s);
            if (s > w && label != whole)
                continue;
            if (label != whole && current.width() != s)
                current = scaled(current, s);
            sizes.insert(label, current);
        }
        current = w > 1280 ? sizes.value(u"1280"_s) : QSize(w, h);
    }
    const int side = qMin(75, qMin(current.width(), current.height()));
    sizes.insert(u"75sq"_s, QSize(side, side));
    const QSize widest = sizes.value(sizeLabelsFor(w).first());
    for (int extra : kExtraWidths)
        if (widest.width() > extra)
            sizes.insert(QString::number(extra), scaled(widest, extra));
    return sizes;
}

QString blogUrl(const Blog& b)
{
    return b.url.isEmpty() ? u"https://"_s + b.host() + u'/' : b.url;
}
} // namespace

QString blogUuidFor(const QString& name)
{
    const QByteArray hash = QCryptographicHash::hash(
        "ruvia-standin blog " + name.toLower().toUtf8(), QCryptographicHash::Sha256);
    return u"t:"_s + QString::fromLatin1(hash.left(16).toBase64(QByteArray::Base64UrlEncoding |
                                                                QByteArray::OmitTrailingEquals));
}

HttpResponse v2ErrorResponse(int status, int code, const QString& title, const QString& detail,
                             bool keepAlive)
{
    const QJsonObject o{
        {u"meta"_s,
         QJsonObject{{u"status"_s, status}, {u"msg"_s, QString::fromLatin1(reasonPhrase(status))}}},
        {u"response"_s, QJsonArray()},
        {u"errors"_s,
         QJsonArray{QJsonObject{{u"title"_s, title}, {u"code"_s, code}, {u"detail"_s, detail}}}}};
    return HttpResponse::make(status, kJson, compact(o), keepAlive);
}

bool isExtraWidthLabel(const QString& label)
{
    bool ok = false;
    const int width = label.toInt(&ok);
    return ok && kExtraWidths.contains(width);
}

QByteArray scaledPictureFile(const QByteArray& widest, int width, const QString& extension)
{
    const QImage image = QImage::fromData(widest);
    if (image.isNull() || image.width() <= width)
        return {};
    return encodePicture(image.scaledToWidth(width, Qt::SmoothTransformation), extension);
}

V2Service::V2Service(Service* service) : QObject(service), m_service(service) {}

bool V2Service::handles(const QByteArray& path)
{
    return path.startsWith("/v2/") || path.startsWith("/oauth2/");
}

bool V2Service::isJson(const QByteArray& contentType)
{
    const qsizetype semi = contentType.indexOf(';');
    return (semi < 0 ? contentType : contentType.left(semi)).trimmed().toLower() ==
           "application/json";
}

V2Service::Route V2Service::routeOf(const QByteArray& method, const QByteArray& path)
{
    Route r{u"other"_s, {}, {}, {}};
    if (path == "/oauth2/authorize")
        r.endpoint = u"authorize"_s;
    else if (path == "/v2/oauth2/token")
        r.endpoint = u"token"_s;
    else if (path == "/v2/user/info")
        r.endpoint = u"userinfo"_s;
    if (r.endpoint != u"other" || !path.startsWith("/v2/blog/"))
        return r;
    const QList<QByteArray> parts = path.mid(9).split('/');
    if (parts.size() < 2 || parts.at(0).isEmpty() || parts.at(1) != "posts" || parts.size() > 3)
        return r;
    r.blog = QString::fromUtf8(QByteArray::fromPercentEncoding(parts.at(0)));
    if (parts.size() == 2) {
        r.endpoint = method == "POST" ? u"create"_s : u"posts"_s;
        return r;
    }
    const QByteArray last = parts.at(2);
    if (method == "POST")
        return r;
    if (last == "queue" || last == "draft") {
        r.endpoint = u"posts"_s;
        r.list = QString::fromLatin1(last);
        return r;
    }
    bool digits = !last.isEmpty();
    for (char c : last)
        digits = digits && c >= '0' && c <= '9';
    if (digits) {
        r.endpoint = u"post"_s;
        r.postId = QString::fromLatin1(last);
    }
    return r;
}

QString V2Service::endpointOf(const QByteArray& method, const QByteArray& path)
{
    return routeOf(method, path).endpoint;
}

bool V2Service::addClientSpec(const QString& spec, QString* error)
{
    const qsizetype colon = spec.indexOf(u':');
    if (colon <= 0 || colon == spec.size() - 1) {
        *error = u"--client wants id:secret, got "_s + spec;
        return false;
    }
    addClient(spec.left(colon), spec.mid(colon + 1));
    return true;
}

void V2Service::setAutoApprove(bool on, const QString& email)
{
    m_autoApprove = on;
    m_autoApproveAs = email;
}

// ---------------------------------------------------------------- replies

void V2Service::replyJson(HttpConnection* c, int status, const QByteArray& json,
                          const Pacing& pacing, const QList<HttpHeader>& extra)
{
    HttpResponse r = HttpResponse::make(status, kJson, json, c->keepAlive());
    for (const HttpHeader& h : extra)
        r.headers.insert(r.headers.size() - 1, h);
    m_service->reply(c, r, pacing);
}

void V2Service::replyOk(HttpConnection* c, int status, const QJsonObject& response,
                        const Pacing& pacing)
{
    const QJsonObject meta{{u"status"_s, status},
                           {u"msg"_s, QString::fromLatin1(reasonPhrase(status))}};
    replyJson(c, status, compact(QJsonObject{{u"meta"_s, meta}, {u"response"_s, response}}),
              pacing);
}

void V2Service::replyError(HttpConnection* c, int status, int code, const QString& detail,
                           const Pacing& pacing, const QList<HttpHeader>& extra)
{
    HttpResponse r = v2ErrorResponse(status, code, QString::fromLatin1(reasonPhrase(status)),
                                     detail, c->keepAlive());
    for (const HttpHeader& h : extra)
        r.headers.insert(r.headers.size() - 1, h);
    m_service->reply(c, r, pacing);
}

void V2Service::replyOAuthError(HttpConnection* c, int status, const QString& error,
                                const QString& description, const Pacing& pacing)
{
    replyJson(c, status,
              compact(QJsonObject{{u"error"_s, error}, {u"error_description"_s, description}}),
              pacing, {{"Cache-Control", "no-store"}});
}

void V2Service::replyPage(HttpConnection* c, int status, const QByteArray& html,
                          const Pacing& pacing)
{
    m_service->reply(
        c, HttpResponse::make(status, "text/html; charset=utf-8", html, c->keepAlive()), pacing);
}

void V2Service::redirect(HttpConnection* c, const QString& uri,
                         const QList<std::pair<QString, QString>>& params, const Pacing& pacing)
{
    QByteArray location = uri.toUtf8();
    const qsizetype hash = location.indexOf('#');
    if (hash >= 0)
        location.truncate(hash);
    char separator = location.contains('?') ? '&' : '?';
    for (const auto& [name, value] : params) {
        location += separator + name.toUtf8() + '=' + QUrl::toPercentEncoding(value);
        separator = '&';
    }
    HttpResponse r = HttpResponse::make(302, "text/html; charset=utf-8", {}, c->keepAlive());
    r.headers.insert(r.headers.size() - 1, {"Location", location});
    r.headers.insert(r.headers.size() - 1, {"Cache-Control", "no-store"});
    m_service->reply(c, r, pacing);
}

// ---------------------------------------------------------------- OAuth 2

void V2Service::handleAuthorize(HttpConnection* c, const HttpRequest& request, const Form& form,
                                const Pacing& pacing)
{
    const QString clientId = form.text("client_id");
    const QString responseType = form.text("response_type");
    const QString redirectUri = form.text("redirect_uri");
    const QString state = form.text("state");
    const QString scope = form.text("scope").simplified();
    if (!m_clients.contains(clientId)) {
        replyPage(c, 400,
                  authorizeErrorPage(u"Unknown application (client_id \"%1\")."_s.arg(clientId)),
                  pacing);
        return;
    }
    if (responseType != u"code") {
        replyPage(
            c, 400,
            authorizeErrorPage(u"response_type must be \"code\", not \"%1\"."_s.arg(responseType)),
            pacing);
        return;
    }
    if (!loopbackRedirect(redirectUri)) {
        replyPage(
            c, 400,
            authorizeErrorPage(u"The redirect_uri \"%1\" is missing or is not an http(s) "
                               "address on localhost, 127.0.0.1 or [::1]."_s.arg(redirectUri)),
            pacing);
        return;
    }
    QList<std::pair<QString, QString>> withState;
    if (form.has("state"))
        withState.append({u"state"_s, state});
    auto refuse = [&](const QString& error, const QString& description) {
        redirect(c, redirectUri,
                 QList<std::pair<QString, QString>>{{u"error"_s, error},
                                                    {u"error_description"_s, description}} +
                     withState,
                 pacing);
    };
    if (state.isEmpty()) {
        refuse(u"invalid_request"_s, u"state is required"_s);
        return;
    }
    if (scope.isEmpty()) {
        refuse(u"invalid_request"_s, u"scope is required"_s);
        return;
    }
    for (const QString& s : scope.split(u' '))
        if (!kScopes.contains(s)) {
            refuse(u"invalid_scope"_s, u"unknown scope: "_s + s);
            return;
        }

    QString account;
    if (request.method == "POST") {
        const QString decision = form.text("decision");
        if (decision == u"deny") {
            refuse(u"access_denied"_s, u"The user denied access"_s);
            return;
        }
        const Account* a = m_service->findAccount(form.text("account"));
        if (decision != u"allow" || !a) {
            replyPage(c, 400, authorizeErrorPage(u"Choose an account, then Allow or Deny."_s),
                      pacing);
            return;
        }
        account = a->email;
    } else if (m_autoApprove) {
        const Account* a =
            m_autoApproveAs.isEmpty()
                ? (m_service->m_accounts.isEmpty() ? nullptr : &m_service->m_accounts.first())
                : m_service->findAccount(m_autoApproveAs);
        if (!a) {
            replyPage(c, 400, authorizeErrorPage(u"There is no account to approve as."_s), pacing);
            return;
        }
        account = a->email;
    } else {
        QStringList accounts;
        for (const Account& a : m_service->m_accounts)
            accounts.append(a.email);
        const QList<std::pair<QString, QString>> hidden{{u"client_id"_s, clientId},
                                                        {u"response_type"_s, responseType},
                                                        {u"scope"_s, scope},
                                                        {u"state"_s, state},
                                                        {u"redirect_uri"_s, redirectUri}};
        replyPage(c, 200, authorizePage(hidden, accounts, clientId), pacing);
        return;
    }
    const QString code = randomToken(32);
    m_codes.insert(code, Code{clientId, account, scope, redirectUri,
                              QDateTime::currentDateTimeUtc().addSecs(kCodeLifetime)});
    redirect(c, redirectUri, {{u"code"_s, code}, {u"state"_s, state}}, pacing);
}

V2Service::Token V2Service::issueToken(const QString& clientId, const QString& account,
                                       const QString& scope)
{
    const QDateTime now = QDateTime::currentDateTimeUtc();
    Token t;
    t.access = randomToken(48);
    if (scope.split(u' ').contains(u"offline_access"_s))
        t.refresh = randomToken(48);
    t.clientId = clientId;
    t.account = account;
    t.scope = scope;
    t.expires = now.addSecs(m_tokenLifetime);
    t.refreshExpires = now.addSecs(m_refreshLifetime);
    m_tokens.append(t);
    return t;
}

void V2Service::handleToken(HttpConnection* c, const HttpRequest& request, const Form& form,
                            const Pacing& pacing)
{
    if (request.method != "POST") {
        replyOAuthError(c, 400, u"invalid_request"_s, u"the token endpoint takes POST"_s, pacing);
        return;
    }
    const QString grant = form.text("grant_type");
    const bool byCode = grant == u"authorization_code";
    if (grant.isEmpty()) {
        replyOAuthError(c, 400, u"invalid_request"_s, u"grant_type is required"_s, pacing);
        return;
    }
    if (!byCode && grant != u"refresh_token") {
        replyOAuthError(c, 400, u"unsupported_grant_type"_s,
                        u"grant_type %1 is not supported"_s.arg(grant), pacing);
        return;
    }
    QString clientId = form.text("client_id");
    QString secret = form.text("client_secret");
    const QByteArray authorization = request.header("Authorization");
    if (clientId.isEmpty() && authorization.toLower().startsWith("basic ")) {
        const QByteArray pair = QByteArray::fromBase64(authorization.mid(6).trimmed());
        const qsizetype colon = pair.indexOf(':');
        clientId = QString::fromUtf8(QByteArray::fromPercentEncoding(pair.left(colon)));
        secret = QString::fromUtf8(QByteArray::fromPercentEncoding(pair.mid(colon + 1)));
    }
    const QByteArray needed[] = {byCode ? "code" : "refresh_token"};
    for (const QByteArray& name : needed)
        if (form.text(name).isEmpty()) {
            replyOAuthError(c, 400, u"invalid_request"_s,
                            QString::fromLatin1(name) + u" is required"_s, pacing);
            return;
        }
    if (clientId.isEmpty() || secret.isEmpty()) {
        replyOAuthError(c, 400, u"invalid_request"_s, u"client_id and client_secret are required"_s,
                        pacing);
        return;
    }
    if (!m_clients.contains(clientId) || m_clients.value(clientId) != secret) {
        replyOAuthError(c, 401, u"invalid_client"_s, u"Client authentication failed"_s, pacing);
        return;
    }
    const QDateTime now = QDateTime::currentDateTimeUtc();
    Token issued;
    if (byCode) {
        // A code is spent by the first exchange that names it, good or bad.
        const auto code = m_codes.constFind(form.text("code"));
        if (code == m_codes.constEnd()) {
            replyOAuthError(c, 401, u"invalid_grant"_s,
                            u"The authorization code is unknown or was already used"_s, pacing);
            return;
        }
        const Code grantCode = code.value();
        m_codes.erase(code);
        if (grantCode.expires < now) {
            replyOAuthError(c, 401, u"invalid_grant"_s, u"The authorization code has expired"_s,
                            pacing);
            return;
        }
        if (grantCode.clientId != clientId) {
            replyOAuthError(c, 401, u"invalid_grant"_s,
                            u"The authorization code was issued to another client"_s, pacing);
            return;
        }
        if (form.text("redirect_uri") != grantCode.redirectUri) {
            replyOAuthError(c, 401, u"invalid_grant"_s,
                            u"The redirect URI provided is missing or does not match"_s, pacing);
            return;
        }
        issued = issueToken(clientId, grantCode.account, grantCode.scope);
    } else {
        const QString refresh = form.text("refresh_token");
        Token* old = nullptr;
        for (Token& t : m_tokens)
            if (t.refresh == refresh)
                old = &t;
        QString problem;
        if (!old || old->revoked || old->refreshUsed)
            problem = u"The refresh token is unknown, revoked or was already used"_s;
        else if (old->refreshExpires < now)
            problem = u"The refresh token has expired"_s;
        else if (old->clientId != clientId)
            problem = u"The refresh token was issued to another client"_s;
        if (!problem.isEmpty()) {
            replyOAuthError(c, 401, u"invalid_grant"_s, problem, pacing);
            return;
        }
        old->refreshUsed = true;
        const QString account = old->account;
        const QString scope = old->scope;
        issued = issueToken(clientId, account, scope);
    }
    QJsonObject o{{u"access_token"_s, issued.access},
                  {u"expires_in"_s, m_tokenLifetime},
                  {u"token_type"_s, u"bearer"_s},
                  {u"scope"_s, issued.scope},
                  {u"id_token"_s, false}};
    if (!issued.refresh.isEmpty())
        o.insert(u"refresh_token"_s, issued.refresh);
    replyJson(c, 200, compact(o), pacing, {{"Cache-Control", "no-store"}});
}

const V2Service::Token* V2Service::authorize(HttpConnection* c, const HttpRequest& request,
                                             const Pacing& pacing)
{
    const QByteArray header = request.header("Authorization").trimmed();
    const QString given = header.toLower().startsWith("bearer ")
                              ? QString::fromLatin1(header.mid(7).trimmed())
                              : QString();
    const Token* found = nullptr;
    for (const Token& t : m_tokens)
        if (!given.isEmpty() && t.access == given)
            found = &t;
    QString problem;
    if (given.isEmpty())
        problem = u"No access token was given"_s;
    else if (!found || found->revoked)
        problem = u"The access token is not valid"_s;
    else if (found->expires <= QDateTime::currentDateTimeUtc())
        problem = u"The access token has expired"_s;
    else if (!m_service->findAccount(found->account))
        problem = u"The account of this access token is gone"_s;
    if (problem.isEmpty())
        return found;
    replyError(c, 401, 0, problem, pacing,
               {{"WWW-Authenticate", "Bearer error=\"invalid_token\""}});
    return nullptr;
}

// ---------------------------------------------------------------- API

const Blog* V2Service::findBlog(const QString& identifier, const Account** owner) const
{
    const QString id = identifier.trimmed();
    for (const Account& a : m_service->m_accounts)
        for (const Blog& b : a.blogs)
            if (b.uuid == id || b.name.compare(id, Qt::CaseInsensitive) == 0 ||
                b.host().compare(id, Qt::CaseInsensitive) == 0 ||
                (b.name + u".tumblr.com"_s).compare(id, Qt::CaseInsensitive) == 0) {
                *owner = &a;
                return &b;
            }
    return nullptr;
}

void V2Service::handle(HttpConnection* c, const HttpRequest& request, const Form& query,
                       const Form& body, const QString& formError, const Pacing& pacing)
{
    const Route route = routeOf(request.method, request.path);
    Form form = query;
    form.append(body);
    if (route.endpoint == u"authorize") {
        if (!formError.isEmpty())
            replyPage(c, 400, authorizeErrorPage(formError), pacing);
        else
            handleAuthorize(c, request, form, pacing);
        return;
    }
    if (route.endpoint == u"token") {
        if (!formError.isEmpty())
            replyOAuthError(c, 400, u"invalid_request"_s, formError, pacing);
        else
            handleToken(c, request, form, pacing);
        return;
    }
    if (route.endpoint == u"other") {
        replyError(c, 404, 0, u"No such route"_s, pacing);
        return;
    }
    const Token* found = authorize(c, request, pacing);
    if (!found)
        return;
    const Token token = *found;
    const Account* account = m_service->findAccount(token.account);
    if (route.endpoint == u"userinfo") {
        handleUserInfo(c, *account, pacing);
        return;
    }
    const Account* owner = nullptr;
    const Blog* blog = findBlog(route.blog, &owner);
    if (!blog) {
        replyError(c, 404, 0, u"No blog \"%1\""_s.arg(route.blog), pacing);
        return;
    }
    const bool mine = owner == account;
    if (route.endpoint == u"create") {
        if (!mine)
            replyError(c, 403, 0, u"You cannot post to this blog"_s, pacing);
        else if (!token.scope.split(u' ').contains(u"write"_s))
            replyError(c, 403, 0, u"This access token has no write scope"_s, pacing);
        else if (!formError.isEmpty())
            replyError(c, 400, 8001, formError, pacing);
        else
            handleCreate(c, *account, *blog, body, pacing);
        return;
    }
    if (!mine && (route.endpoint == u"post" || !route.list.isEmpty())) {
        replyError(c, 404, 0, u"Not found"_s, pacing);
        return;
    }
    if (route.endpoint == u"post")
        handleRead(c, request, *blog, route.postId, pacing);
    else
        handleList(c, request, *blog, mine, route.list, query, pacing);
}

void V2Service::handleUserInfo(HttpConnection* c, const Account& account, const Pacing& pacing)
{
    QJsonArray blogs;
    QString primary;
    for (const Blog& b : account.blogs) {
        if (b.primary)
            primary = b.name;
        blogs.append(QJsonObject{{u"name"_s, b.name},
                                 {u"title"_s, b.title},
                                 {u"url"_s, blogUrl(b)},
                                 {u"uuid"_s, b.uuid},
                                 {u"primary"_s, b.primary},
                                 {u"type"_s, b.isPrivate ? u"private"_s : u"public"_s},
                                 {u"followers"_s, 0},
                                 {u"tweet"_s, u"N"_s},
                                 {u"admin"_s, true}});
    }
    if (primary.isEmpty())
        primary = account.blogs.isEmpty() ? account.email.section(u'@', 0, 0)
                                          : account.blogs.first().name;
    const QJsonObject user{{u"name"_s, primary},
                           {u"likes"_s, 0},
                           {u"following"_s, 0},
                           {u"default_post_format"_s, u"html"_s},
                           {u"blogs"_s, blogs}};
    replyOk(c, 200, QJsonObject{{u"user"_s, user}}, pacing);
}

QString V2Service::newPostId()
{
    if (m_lastId == 0) {
        m_lastId = kFirstV2PostId + 2 * QRandomGenerator::global()->bounded(1000);
        for (const Post& p : m_service->m_posts) {
            const qint64 id = p.id.toLongLong();
            if (id >= m_lastId)
                m_lastId = id | 1;
        }
    }
    m_lastId += 2 * (1 + QRandomGenerator::global()->bounded(20));
    return QString::number(m_lastId);
}

void V2Service::handleCreate(HttpConnection* c, const Account& account, const Blog& blog,
                             const Form& body, const Pacing& pacing)
{
    auto bad = [&](const QString& detail) { replyError(c, 400, 8001, detail, pacing); };
    if (body.kind() == Form::Kind::Multipart &&
        (body.fields().isEmpty() || body.fields().first().name != "json")) {
        bad(u"The first part of the form must be named json"_s);
        return;
    }
    if (!body.has("json")) {
        bad(u"No parameters: send a json part or an application/json body"_s);
        return;
    }
    QJsonParseError parseError;
    const QJsonDocument doc = QJsonDocument::fromJson(body.value("json"), &parseError);
    if (!doc.isObject()) {
        bad(u"Bad NPF JSON: "_s + (parseError.error != QJsonParseError::NoError
                                       ? parseError.errorString()
                                       : u"not an object"_s));
        return;
    }
    const QJsonObject params = doc.object();
    if (!params.value(u"content"_s).isArray()) {
        bad(u"Bad NPF JSON: content must be an array of blocks"_s);
        return;
    }
    QStringList lines;
    QList<QJsonObject> images;
    for (const QJsonValue& v : params.value(u"content"_s).toArray()) {
        const QJsonObject block = v.toObject();
        const QString type = block.value(u"type"_s).toString();
        if (type.isEmpty()) {
            bad(u"Bad NPF JSON: a block has no type"_s);
            return;
        }
        if (type == u"text")
            lines.append(block.value(u"text"_s).toString());
        else if (type == u"image")
            images.append(block);
    }
    if (images.isEmpty()) {
        bad(u"Bad NPF JSON: a photo post needs an image block"_s);
        return;
    }

    const QString state = params.value(u"state"_s).toString(u"published"_s);
    if (!QStringList{u"published"_s, u"queue"_s, u"draft"_s, u"private"_s}.contains(state)) {
        replyError(c, 400, 0, u"Unknown state - "_s + state, pacing);
        return;
    }
    const QString publishOn =
        state == u"queue" ? params.value(u"publish_on"_s).toString().trimmed() : QString();
    if (!publishOn.isEmpty() && !parseIso(publishOn).isValid()) {
        replyError(c, 400, 0, u"Invalid publish_on: "_s + publishOn, pacing);
        return;
    }
    QDateTime date = QDateTime::currentDateTimeUtc();
    const QString dateText = params.value(u"date"_s).toString().trimmed();
    if (!dateText.isEmpty()) {
        date = parseIso(dateText);
        if (!date.isValid()) {
            replyError(c, 400, 0, u"Invalid date: "_s + dateText, pacing);
            return;
        }
    }

    // Every image must be good; the first is the post's picture.
    QByteArray data;
    QString fileName;
    QString identifier;
    for (const QJsonObject& image : images) {
        const QJsonValue media = image.value(u"media"_s);
        const QJsonObject m =
            media.isArray() ? media.toArray().first().toObject() : media.toObject();
        QByteArray bytes;
        QString name;
        const QString id = m.value(u"identifier"_s).toString();
        if (!id.isEmpty()) {
            const FormField* part = nullptr;
            for (const FormField& f : body.fields())
                if (f.name != "json" && QString::fromUtf8(f.name) == id) {
                    part = &f;
                    break;
                }
            if (!part) {
                bad(u"No file part for the media identifier \"%1\""_s.arg(id));
                return;
            }
            bytes = part->value;
            name = QString::fromUtf8(part->filename);
        } else if (m.contains(u"url"_s)) {
            const QUrl url(m.value(u"url"_s).toString());
            const QString host = url.host().toLower();
            const bool own =
                host.endsWith(u"media.tumblr.com"_s) ||
                ((host == u"127.0.0.1" || host == u"localhost") && url.port() == m_service->m_port);
            if (own && url.path().startsWith(u"/tumblr_"_s)) {
                m_service->settle(true);
                bytes = m_service->pictureBytes(url.path().mid(1));
            }
            if (bytes.isEmpty()) {
                bad(u"The stand-in fetches no media from %1"_s.arg(url.toString()));
                return;
            }
        } else {
            bad(u"Bad NPF JSON: an image block's media has no identifier or url"_s);
            return;
        }
        if (!probePicture(bytes).ok) {
            replyError(c, 400, 8005, u"Sorry, we don't support this media format yet"_s, pacing);
            return;
        }
        if (data.isNull()) {
            data = bytes;
            fileName = name;
            identifier = id;
        }
    }
    const bool later = m_service->m_dataDir.isEmpty() && data.size() >= kSmallPicture;
    const PictureSet set = later ? probePicture(data) : makePictureSet(data);
    if (!set.ok) {
        replyError(c, 400, 8005, u"Sorry, we don't support this media format yet"_s, pacing);
        return;
    }

    Post p;
    p.id = newPostId();
    p.blog = blog.name;
    p.owner = account.email;
    p.state = state == u"private" ? u"published"_s : state;
    p.isPrivate = state == u"private";
    p.caption = lines.join(u'\n');
    const QJsonObject attribution = images.first().value(u"attribution"_s).toObject();
    p.linkUrl = attribution.value(u"url"_s).toString();
    const QJsonValue tags = params.value(u"tags"_s);
    const QStringList tagList =
        tags.isArray() ? tags.toVariant().toStringList() : tags.toString().split(u',');
    for (const QString& t : tagList)
        if (!t.trimmed().isEmpty())
            p.tags.append(t.trimmed());
    const QString slug = params.value(u"slug"_s).toString();
    p.slug = makeSlug(slug.trimmed().isEmpty() ? p.caption : slug);
    p.format = u"npf"_s;
    p.date = date;
    p.publishOn = publishOn;
    p.width = set.width;
    p.height = set.height;
    p.originalFileName = fileName;
    p.key = randomToken(16).toLower();
    p.extension = set.extension;
    p.media = 20 + QRandomGenerator::global()->bounded(10);
    p.sizeLabels = set.sizeLabels;
    p.reblogKey = randomToken(8);
    Service::PendingPost pending{p.id, {}, {}};
    const Service::Hash known = m_service->m_requestHashes.value(identifier.toUtf8());
    if (!later)
        p.dataSha256 = QString::fromLatin1(
            known.valid() ? known.get()
                          : QCryptographicHash::hash(data, QCryptographicHash::Sha256).toHex());
    else
        pending.dataHash = known.valid() ? known : Service::hashLater(data);
    if (later)
        pending.pictures =
            std::async(std::launch::async, [data] { return makePictureSet(data); }).share();
    else
        m_service->storeFiles(p, set);
    m_service->m_posts.append(p);
    if (QJsonObject* entry = m_service->logEntry(c->logSeq))
        entry->insert(u"postId"_s, p.id);
    if (later) {
        m_service->m_pendingPosts.append(pending);
        m_service->settle(false);
    }
    m_service->savePosts();

    const QString v2State = v2StateOf(p);
    QString display = u"Posted to %1."_s.arg(blog.name);
    if (v2State == u"queued")
        display = publishOn.isEmpty() ? u"Added to the queue of %1."_s.arg(blog.name)
                                      : u"Scheduled on %1 for %2."_s.arg(blog.name, publishOn);
    else if (v2State == u"draft")
        display = u"Saved as a draft on %1."_s.arg(blog.name);
    else if (v2State == u"private")
        display = u"Posted privately to %1."_s.arg(blog.name);
    replyOk(c, 201,
            QJsonObject{{u"id"_s, p.id}, {u"state"_s, v2State}, {u"display_text"_s, display}},
            pacing);
}

QJsonArray V2Service::mediaJson(const Post& p, const QString& base) const
{
    QJsonArray media;
    if (p.sizeLabels.size() != photoSizes().size() || p.width <= 0 || p.height <= 0)
        return media;
    QList<std::pair<int, QString>> offers; // width offered, label of its file
    for (qsizetype i = 0; i < photoSizes().size(); ++i)
        offers.append({photoSizes().at(i), p.sizeLabels.at(i)});
    for (int extra : kExtraWidths)
        offers.append(
            {extra, qMin(p.width, 1280) > extra ? QString::number(extra) : p.sizeLabels.first()});
    std::stable_sort(offers.begin(), offers.end(),
                     [](const auto& a, const auto& b) { return a.first > b.first; });
    const QString type = p.extension == u"png" ? u"image/png"_s : u"image/jpeg"_s;
    const QHash<QString, QSize> sizes = fileSizes(p);
    for (const auto& [offered, label] : offers) {
        const int w = sizes.value(label).width();
        const int h = sizes.value(label).height();
        QJsonObject m{{u"url"_s, base + u'/' + p.fileName(label)},
                      {u"type"_s, type},
                      {u"width"_s, w},
                      {u"height"_s, h}};
        if (media.isEmpty() && w == p.width && h == p.height)
            m.insert(u"has_original_dimensions"_s, true);
        media.append(m);
    }
    return media;
}

QJsonObject V2Service::postJson(const Post& p, const Blog& blog, const QString& base,
                                const QString& idMarker) const
{
    QJsonArray content;
    const QString caption = p.format == u"html" ? stripTags(p.caption) : p.caption;
    for (const QString& line : caption.split(u'\n'))
        if (!line.trimmed().isEmpty())
            content.append(QJsonObject{{u"type"_s, u"text"_s}, {u"text"_s, line}});
    QJsonObject image{{u"type"_s, u"image"_s}, {u"media"_s, mediaJson(p, base)}};
    if (!p.linkUrl.isEmpty())
        image.insert(u"attribution"_s, QJsonObject{{u"type"_s, u"link"_s}, {u"url"_s, p.linkUrl}});
    content.append(image);
    QString url = u"https://"_s + blog.host() + u"/post/"_s + p.id;
    if (!p.slug.isEmpty())
        url += u'/' + p.slug;
    const QString state = v2StateOf(p);
    QJsonObject o{{u"object_type"_s, u"post"_s},
                  {u"type"_s, u"blocks"_s},
                  {u"id"_s, idMarker.isEmpty() ? p.id : idMarker},
                  {u"id_string"_s, p.id},
                  {u"blog_name"_s, blog.name},
                  {u"tumblelog_uuid"_s, blog.uuid},
                  {u"post_url"_s, url},
                  {u"slug"_s, p.slug},
                  {u"timestamp"_s, p.date.toSecsSinceEpoch()},
                  {u"date"_s, gmtDate(p.date)},
                  {u"state"_s, state},
                  {u"reblog_key"_s, p.reblogKey},
                  {u"tags"_s, QJsonArray::fromStringList(p.tags)},
                  {u"content"_s, content},
                  {u"layout"_s, QJsonArray()},
                  {u"trail"_s, QJsonArray()}};
    if (state == u"queued") {
        const QDateTime when = parseIso(p.publishOn);
        o.insert(u"queued_state"_s, when.isValid() ? u"scheduled"_s : u"queued"_s);
        if (when.isValid()) {
            o.insert(u"publish_on"_s, when.toUTC().toString(Qt::ISODate));
            o.insert(u"scheduled_publish_time"_s, when.toSecsSinceEpoch());
        }
    }
    return o;
}

void V2Service::handleRead(HttpConnection* c, const HttpRequest& request, const Blog& blog,
                           const QString& postId, const Pacing& pacing)
{
    const Post* post = m_service->findPost(postId);
    if (!post || post->blog.compare(blog.name, Qt::CaseInsensitive) != 0) {
        replyError(c, 404, 0, u"Post %1 not found"_s.arg(postId), pacing);
        return;
    }
    replyOk(c, 200, postJson(*post, blog, baseOf(request, m_service->m_port), {}), pacing);
}

void V2Service::handleList(HttpConnection* c, const HttpRequest& request, const Blog& blog,
                           bool owner, const QString& list, const Form& query,
                           const Pacing& pacing)
{
    QList<const Post*> posts;
    for (const Post& p : m_service->m_posts) {
        if (p.blog.compare(blog.name, Qt::CaseInsensitive) != 0)
            continue;
        if (list.isEmpty() ? (p.state == u"published" && (owner || !p.isPrivate))
                           : p.state == (list == u"queue" ? u"queue"_s : u"draft"_s))
            posts.append(&p);
    }
    const QString tag = query.text("tag");
    const qint64 before = query.text("before").toLongLong();
    const qint64 beforeId = query.text("before_id").toLongLong();
    const QString onlyId = query.text("id");
    posts.removeIf([&](const Post* p) {
        return (!tag.isEmpty() && !p->tags.contains(tag, Qt::CaseInsensitive)) ||
               (before > 0 && p->date.toSecsSinceEpoch() >= before) ||
               (beforeId > 0 && p->id.toLongLong() >= beforeId) ||
               (!onlyId.isEmpty() && p->id != onlyId);
    });
    const bool drafts = list == u"draft";
    if (list != u"queue")
        std::stable_sort(posts.begin(), posts.end(), [drafts](const Post* a, const Post* b) {
            if (!drafts && a->date != b->date)
                return a->date > b->date;
            return a->id.toLongLong() > b->id.toLongLong();
        });
    if (!onlyId.isEmpty() && posts.isEmpty()) {
        replyError(c, 404, 0, u"Post %1 not found"_s.arg(onlyId), pacing);
        return;
    }
    bool ok = false;
    int limit = query.text("limit").toInt(&ok);
    limit = ok ? qBound(1, limit, kMaxListCount) : kMaxListCount;
    const int offset = drafts ? 0 : qMax(0, query.text("offset").toInt());
    const QList<const Post*> page = posts.mid(offset, drafts ? kMaxListCount : limit);

    const QString base = baseOf(request, m_service->m_port);
    QJsonArray items;
    QStringList ids;
    for (const Post* p : page) {
        items.append(postJson(*p, blog, base, idMarkerPrefix() + p->id));
        ids.append(p->id);
    }
    QJsonObject response{{u"posts"_s, items}};
    if (list.isEmpty()) {
        response.insert(u"blog"_s, QJsonObject{{u"name"_s, blog.name},
                                               {u"uuid"_s, blog.uuid},
                                               {u"url"_s, blogUrl(blog)},
                                               {u"title"_s, blog.title}});
        response.insert(u"total_posts"_s, posts.size());
    }
    const QJsonObject meta{{u"status"_s, 200}, {u"msg"_s, u"OK"_s}};
    replyJson(
        c, 200,
        withNumericIds(compact(QJsonObject{{u"meta"_s, meta}, {u"response"_s, response}}), ids),
        pacing);
}

// ---------------------------------------------------------------- control

bool V2Service::handleControl(HttpConnection* c, const HttpRequest& request)
{
    const bool post = request.method == "POST";
    auto json = [&](int status, const QByteArray& body) {
        c->respond(HttpResponse::make(status, "application/json", body, c->keepAlive()));
    };
    const QByteArray ok = compact(QJsonObject{{u"ok"_s, true}});
    auto bad = [&](const QString& error) {
        json(400, compact(QJsonObject{{u"ok"_s, false}, {u"error"_s, error}}));
    };
    const QDateTime now = QDateTime::currentDateTimeUtc();
    if (request.path == "/_standin/tokens" && !post) {
        QJsonArray all;
        for (const Token& t : m_tokens)
            all.append(
                QJsonObject{{u"accessToken"_s, t.access},
                            {u"refreshToken"_s, t.refresh},
                            {u"clientId"_s, t.clientId},
                            {u"account"_s, t.account},
                            {u"scope"_s, t.scope},
                            {u"expires"_s, t.expires.toString(Qt::ISODate)},
                            {u"refreshExpires"_s, t.refreshExpires.toString(Qt::ISODate)},
                            {u"valid"_s, !t.revoked && t.expires > now},
                            {u"refreshValid"_s, !t.refresh.isEmpty() && !t.revoked &&
                                                    !t.refreshUsed && t.refreshExpires > now}});
        json(200, QJsonDocument(all).toJson(QJsonDocument::Compact));
    } else if (request.path == "/_standin/tokens/expire" && post) {
        for (Token& t : m_tokens)
            t.expires = qMin(t.expires, now.addSecs(-1));
        json(200, ok);
    } else if (request.path == "/_standin/tokens/revoke" && post) {
        for (Token& t : m_tokens)
            t.revoked = true;
        json(200, ok);
    } else if (request.path == "/_standin/blogs/rename" && post) {
        const QJsonObject o = QJsonDocument::fromJson(request.body).object();
        const QString uuid = o.value(u"uuid"_s).toString();
        const QString name = o.value(u"name"_s).toString().trimmed();
        if (name.isEmpty() || name.contains(u'/') || name.contains(u' ')) {
            bad(u"a blog needs a plain name"_s);
            return true;
        }
        Blog* blog = nullptr;
        for (Account& a : m_service->m_accounts)
            for (Blog& b : a.blogs)
                if (b.uuid == uuid)
                    blog = &b;
        if (!blog) {
            bad(u"no blog with uuid "_s + uuid);
            return true;
        }
        const Blog* taken = m_service->blogByName(name);
        if (taken && taken != blog) {
            bad(u"blog name already taken: "_s + name);
            return true;
        }
        for (Post& p : m_service->m_posts)
            if (p.blog.compare(blog->name, Qt::CaseInsensitive) == 0)
                p.blog = name;
        blog->name = name;
        m_service->savePosts();
        json(200, ok);
    } else {
        return false;
    }
    return true;
}

} // namespace standin
