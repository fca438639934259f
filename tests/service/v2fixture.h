#pragma once
// What the v2 tests share: a stand-in that speaks API v2 with an
// application registered, the account's settings pointing at it on
// loopback, a secret file of the test's own, and a "browser" that follows
// the authorize page to the program's redirect listener.
#include "core/group.h"
#include "platform/shell.h"
#include "service/account.h"
#include "service/secretstore.h"
#include "service/serviceconfig.h"
#include "service/v2account.h"
#include "standin.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTcpServer>
#include <QTest>
#include <QUrlQuery>

#include <functional>
#include <memory>

namespace ruvia::test {

inline const QString kV2Client = QStringLiteral("test-client");
inline const QString kV2Secret = QStringLiteral("test-secret");

// The arguments of a stand-in with the test account, its blog and the
// application; the sign-in page answers at once.
inline QStringList v2StandInArgs(const QStringList& more = {})
{
    return QStringList{QStringLiteral("--account"), QStringLiteral("a@b.c:pw"),
                       QStringLiteral("--blog"), QStringLiteral("a@b.c:mainblog:Main Blog"),
                       QStringLiteral("--client"), kV2Client + u':' + kV2Secret,
                       QStringLiteral("--auto-approve")}
        + more;
}

// A port nobody listens on now.
inline int freePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

inline ServiceConfig v2Config(const StandIn& standin)
{
    ServiceConfig config;
    config.apiAddress = standin.baseUrl();
    config.signInAddress = standin.baseUrl();
    config.clientId = kV2Client;
    config.redirectAddress = QStringLiteral("http://localhost:%1/redirect").arg(freePort());
    return config;
}

// Opens an address as a browser would: follows the sign-in page's redirect
// to the listener, unless `follow` is off (then it only records it) or
// `answer` rewrites where it goes.
class BrowserShell : public Shell {
public:
    BrowserShell() { setShell(this); }
    ~BrowserShell() override { setShell(nullptr); }

    bool Open(const QString& url) override
    {
        opened.append(url);
        if (!opens)
            return false;
        if (!follow)
            return true;
        QNetworkRequest request(QUrl(answer ? answer(url) : url));
        request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                             QNetworkRequest::NoLessSafeRedirectPolicy);
        QNetworkReply* reply = m_network.get(request);
        QObject::connect(reply, &QNetworkReply::finished, reply, [this, reply] {
            pages.append(QString::fromUtf8(reply->readAll()));
            reply->deleteLater();
        });
        return true;
    }
    void SetClipboardText(const QString&) override {}
    QString ClipboardText() const override { return {}; }

    // The state of the last authorize address opened.
    QString lastState() const
    {
        return QUrlQuery(QUrl(opened.value(opened.size() - 1)))
            .queryItemValue(QStringLiteral("state"), QUrl::FullyDecoded);
    }

    QStringList opened;
    QStringList pages;
    bool opens = true;
    bool follow = true;
    std::function<QString(const QString&)> answer;

private:
    QNetworkAccessManager m_network;
};

// A secret file in the test's profile, so no desktop store is touched.
inline std::shared_ptr<FileSecretStore> useSecretFile(const QString& folder)
{
    auto store = std::make_shared<FileSecretStore>(folder + QStringLiteral("/Ruvia.secrets"));
    SetSecretStore(store);
    return store;
}

// Signs in to the stand-in through the scripted browser and installs the
// account as the open group's, on the test account's blog (SET_GroupId).
// nullptr when that failed.
inline std::shared_ptr<V2Account> signInAsCurrent(const StandIn& standin)
{
    const ServiceConfig config = v2Config(standin);
    if (!V2Account::SaveClientSecret(config.clientId, kV2Secret))
        return nullptr;
    auto account = std::make_shared<V2Account>(config);
    {
        BrowserShell browser;
        if (!account->SignIn(nullptr, nullptr, 20000))
            return nullptr;
    }
    QList<GroupEntry> groups;
    if (!account->ListGroups(nullptr, groups) || groups.isEmpty())
        return nullptr;
    SET_GroupId = groups.first().id;
    SetCurrentAccount(account);
    return account;
}

} // namespace ruvia::test
