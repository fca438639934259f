#pragma once
// Signing in with OAuth 2 in the user's browser (authorization code): the
// authorize address with a fresh unguessable state, a listener on the
// redirect address's loopback port that takes exactly one answer, and the
// exchange of the code for tokens.
#include "platform/httprequest.h"
#include "service/serviceconfig.h"

#include <QDateTime>
#include <QObject>
#include <QString>

#include <memory>

class QEventLoop;
class QTcpServer;
class QTcpSocket;

namespace ruvia {

struct OAuthTokens {
    QString accessToken;
    QString refreshToken;
    QString scope;
    QDateTime expiresAt;
    // The account's name, once known.
    QString account;

    QByteArray toJson() const;
    static OAuthTokens fromJson(const QByteArray& json);
    bool isEmpty() const { return accessToken.isEmpty(); }
};

// What the window shows while the browser is out: where the sign-in page is
// (browserOpened false: the address for the user to open) and a Cancel.
class ISignInView {
public:
    virtual ~ISignInView() = default;
    virtual void ShowSignInWaiting(const QString& authorizeAddress, bool browserOpened) = 0;
    // Polled while waiting.
    virtual bool SignInCancelRequested() = 0;
};

// How long the browser's answer is waited for.
inline constexpr int kSignInWaitMs = 5 * 60 * 1000;

class OAuthSignIn {
public:
    enum Outcome { SignedIn, Cancelled, TimedOut, Refused, Failed };

    OAuthSignIn(const ServiceConfig& config, const QString& clientSecret);
    ~OAuthSignIn();

    // Opens the browser on the authorize page (shell()), waits for its
    // answer and exchanges the code. message says what went wrong, for the
    // user, unless the outcome is SignedIn or Cancelled.
    Outcome Run(ISignInView* view, IHTTPRequestCallback* callback, OAuthTokens& tokens,
                QString& message, int waitMs = kSignInWaitMs);

    // The address of the last Run's authorize page.
    const QString& AuthorizeAddress() const { return m_authorizeAddress; }

    // A fresh state: 32 random bytes, base64url.
    static QString NewState();

private:
    struct Answer;
    bool listen(QString& message);
    void closeListeners();
    void onConnection(QTcpServer* server);
    void onReadable(QTcpSocket* socket);
    void answerBrowser(QTcpSocket* socket, int status, const QString& text);

    ServiceConfig m_config;
    QString m_secret;
    QString m_state;
    QString m_redirectPath;
    QString m_authorizeAddress;
    std::unique_ptr<QTcpServer> m_server4;
    std::unique_ptr<QTcpServer> m_server6;
    std::unique_ptr<Answer> m_answer;
    // The wait of Run, ended as soon as the answer is in.
    QEventLoop* m_wait = nullptr;
};

// Exchanges a grant at the token endpoint: fields beside client_id and
// client_secret. On success tokens is filled; refused tells a refusal by
// the service (the grant is no good) from a failure to reach it.
bool RequestTokens(const ServiceConfig& config, const QString& clientSecret,
                   const QList<QPair<QString, QString>>& grant, IHTTPRequestCallback* callback,
                   OAuthTokens& tokens, bool* refused, QString& message);

} // namespace ruvia
