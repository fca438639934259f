#pragma once
// API v2 and its OAuth 2 sign-in, over the accounts, blogs and posts of the
// v1 service: a post made through one interface is seen through the other.
#include "httpserver.h"

#include <QDateTime>
#include <QHash>
#include <QJsonArray>
#include <QJsonObject>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <utility>

namespace standin {

class Form;
class Service;
struct Account;
struct Blog;
struct Post;

// v2 post ids start above 2^53 and are odd, so that a client that keeps them
// in a double gets them wrong every time.
constexpr qint64 kFirstV2PostId = (qint64(1) << 53) + 1;

// "t:" and 22 base64url characters, the same for a name on every start.
QString blogUuidFor(const QString& name);
// The error envelope of API v2 (`response` is an empty array there).
HttpResponse v2ErrorResponse(int status, int code, const QString& title, const QString& detail,
                             bool keepAlive);
// The picture widths v2 offers beyond the six of v1: their files are made
// from the widest one when first asked for.
bool isExtraWidthLabel(const QString& label);
// The widest file scaled down to width; empty when it is not wider.
QByteArray scaledPictureFile(const QByteArray& widest, int width, const QString& extension);

// The sign-in pages.
QByteArray authorizePage(const QList<std::pair<QString, QString>>& hidden,
                         const QStringList& accounts, const QString& clientId);
QByteArray authorizeErrorPage(const QString& message);

class V2Service : public QObject {
  public:
    explicit V2Service(Service* service);

    static bool handles(const QByteArray& path);
    static bool isJson(const QByteArray& contentType);
    static QString endpointOf(const QByteArray& method, const QByteArray& path);

    // "id:secret"
    bool addClientSpec(const QString& spec, QString* error);
    void addClient(const QString& id, const QString& secret) { m_clients.insert(id, secret); }
    // email empty: the first account.
    void setAutoApprove(bool on, const QString& email = {});
    void setTokenLifetime(qint64 seconds) { m_tokenLifetime = seconds; }
    void setRefreshLifetime(qint64 seconds) { m_refreshLifetime = seconds; }

    // formError is empty when the body parsed.
    void handle(HttpConnection* connection, const HttpRequest& request, const Form& query,
                const Form& body, const QString& formError, const Pacing& pacing);
    // False when the path is none of its control calls.
    bool handleControl(HttpConnection* connection, const HttpRequest& request);

  private:
    struct Code {
        QString clientId;
        QString account;
        QString scope;
        QString redirectUri;
        QDateTime expires;
    };
    struct Token {
        QString access;
        QString refresh;
        QString clientId;
        QString account;
        QString scope;
        QDateTime expires;
        QDateTime refreshExpires;
        bool revoked = false;
        bool refreshUsed = false;
    };
    struct Route {
        QString endpoint;
        QString blog;   // percent-decoded identifier
        QString postId; // single read
        QString list;   // "", "queue" or "draft"
    };

    static Route routeOf(const QByteArray& method, const QByteArray& path);

    void replyJson(HttpConnection* c, int status, const QByteArray& json, const Pacing& pacing,
                   const QList<HttpHeader>& extra = {});
    void replyOk(HttpConnection* c, int status, const QJsonObject& response, const Pacing& pacing);
    void replyError(HttpConnection* c, int status, int code, const QString& detail,
                    const Pacing& pacing, const QList<HttpHeader>& extra = {});
    void replyOAuthError(HttpConnection* c, int status, const QString& error,
                         const QString& description, const Pacing& pacing);
    void replyPage(HttpConnection* c, int status, const QByteArray& html, const Pacing& pacing);
    void redirect(HttpConnection* c, const QString& uri,
                  const QList<std::pair<QString, QString>>& params, const Pacing& pacing);

    void handleAuthorize(HttpConnection* c, const HttpRequest& request, const Form& form,
                         const Pacing& pacing);
    void handleToken(HttpConnection* c, const HttpRequest& request, const Form& form,
                     const Pacing& pacing);
    void handleUserInfo(HttpConnection* c, const Account& account, const Pacing& pacing);
    void handleCreate(HttpConnection* c, const Account& account, const Blog& blog, const Form& body,
                      const Pacing& pacing);
    void handleRead(HttpConnection* c, const HttpRequest& request, const Blog& blog,
                    const QString& postId, const Pacing& pacing);
    void handleList(HttpConnection* c, const HttpRequest& request, const Blog& blog, bool owner,
                    const QString& list, const Form& query, const Pacing& pacing);

    // The account a valid, unexpired bearer token stands for; nullptr after
    // answering 401.
    const Token* authorize(HttpConnection* c, const HttpRequest& request, const Pacing& pacing);
    Token issueToken(const QString& clientId, const QString& account, const QString& scope);
    const Blog* findBlog(const QString& identifier, const Account** owner) const;
    QString newPostId();
    QJsonObject postJson(const Post& post, const Blog& blog, const QString& base,
                         const QString& idMarker) const;
    QJsonArray mediaJson(const Post& post, const QString& base) const;

    Service* m_service;
    QHash<QString, QString> m_clients; // id -> secret
    QHash<QString, Code> m_codes;
    QList<Token> m_tokens;
    bool m_autoApprove = false;
    QString m_autoApproveAs;
    qint64 m_tokenLifetime = 2520;
    qint64 m_refreshLifetime = 42 * 24 * 3600;
    qint64 m_lastId = 0;
};

} // namespace standin
