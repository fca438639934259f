#pragma once
// An account of API v2: OAuth 2 tokens, kept in the secret store and
// renewed before they run out or when the service refuses one (once), and
// the photo post, read-back and lists over HTTPS.
#include "service/account.h"
#include "service/oauthsignin.h"
#include "service/serviceconfig.h"

namespace ruvia {

class RequestFields;

class V2Account : public ServiceAccount {
public:
    explicit V2Account(const ServiceConfig& config = ServiceConfig::Load());

    AccountKind Kind() const override { return AccountKind::V2; }
    QString DisplayName() const override { return m_tokens.account; }
    QList<int> PostStates() const override;
    bool SendsAltText() const override { return true; }
    QString PublishDateForm() const override;
    QString PublishDateExample() const override { return QStringLiteral("2026-12-24 18:30"); }

    // Takes up the sign-in kept from an earlier session; false when none.
    bool LoadStoredSignIn();
    bool IsSignedIn() const { return !m_tokens.isEmpty(); }
    // Signs in through the browser and keeps the tokens. Failures are shown
    // (not a cancel); true when signed in.
    bool SignIn(ISignInView* view, IHTTPRequestCallback* callback, int waitMs = kSignInWaitMs);
    // Forgets the tokens, here and in the secret store.
    void SignOut();
    const ServiceConfig& Config() const { return m_config; }
    const OAuthTokens& Tokens() const { return m_tokens; }
    // The blogs listed by the last SignIn (empty when that list failed).
    const QList<GroupEntry>& SignInGroups() const { return m_signInGroups; }

    // The application's secret, kept in the secret store.
    static QString ClientSecret(const QString& clientId);
    static bool SaveClientSecret(const QString& clientId, const QString& secret);

    bool ListGroups(IHTTPRequestCallback* callback, QList<GroupEntry>& groups) override;
    bool WritePhotoPost(const QString& group, const PhotoPost& post,
                        IHTTPRequestCallback* callback, QString& postId,
                        bool* unconfirmed = nullptr) override;
    int ReadPostLinks(const QString& group, const QString& postId,
                      IHTTPRequestCallback* callback, PostLinks& links) override;
    int ListNewestPosts(const QString& group, const QString& state, QString& cursor,
                        const QString& failureText, IHTTPRequestCallback* callback,
                        QList<NewestPost>& posts) override;

private:
    QString tokenKey() const;
    bool keepSignIn(const OAuthTokens& tokens);
    // Renews the access token when it runs out within a minute, or at once
    // when force is set. False (shown) when there is no usable sign-in.
    bool renew(IHTTPRequestCallback* callback, bool force);
    // One API exchange with the access token, repeated once after a renewal
    // when the service refuses the token. False (shown) when no request
    // could be made with a valid sign-in; otherwise the caller judges.
    bool apiRequest(HTTPRequest& request, const QString& method, const QString& pathAndQuery,
                    const RequestFields* fields, int timeoutMs, IHTTPRequestCallback* callback);
    // Fetches a picture address for posting: its bytes and type, or false (shown).
    bool fetchPicture(const QString& address, IHTTPRequestCallback* callback, QByteArray& bytes,
                      QString& mimeType, QString& fileName);

    ServiceConfig m_config;
    OAuthTokens m_tokens;
    QList<GroupEntry> m_signInGroups;
};

// What went wrong with an API exchange, for the user: the service's limits,
// its refusals and its failures each in words the user can act on.
QString DescribeV2Failure(const HTTPRequest& request);

} // namespace ruvia
