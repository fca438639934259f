#include "service/serviceconfig.h"

#include "platform/httprequest.h"
#include "platform/settingsstore.h"

#include <QHostAddress>
#include <QUrl>

namespace ruvia {

namespace {

QString section() { return QString::fromUtf16(kServiceSection); }

QString trimmedAddress(QString address)
{
    address = address.trimmed();
    while (address.endsWith(u'/'))
        address.chop(1);
    return address;
}

} // namespace

ServiceConfig ServiceConfig::Load()
{
    ServiceConfig c;
    const QList<QVariant> values = SettingsStore::ReadValues({
        {section(), QStringLiteral("API Address"), KindText, c.apiAddress},
        {section(), QStringLiteral("Sign-in Address"), KindText, c.signInAddress},
        {section(), QStringLiteral("Consumer Key"), KindText, c.clientId},
        {section(), QStringLiteral("Redirect Address"), KindText, c.redirectAddress},
    });
    c.apiAddress = trimmedAddress(values[0].toString());
    c.signInAddress = trimmedAddress(values[1].toString());
    c.clientId = values[2].toString().trimmed();
    c.redirectAddress = values[3].toString().trimmed();
    return c;
}

bool ServiceConfig::Save() const
{
    return SettingsStore::WriteValues({
        {section(), QStringLiteral("API Address"), KindText, apiAddress},
        {section(), QStringLiteral("Sign-in Address"), KindText, signInAddress},
        {section(), QStringLiteral("Consumer Key"), KindText, clientId},
        {section(), QStringLiteral("Redirect Address"), KindText, redirectAddress},
    });
}

QString ServiceConfig::TokenAddress() const
{
    return trimmedAddress(apiAddress) + QStringLiteral("/v2/oauth2/token");
}

QString ServiceConfig::AuthorizeAddress() const
{
    return trimmedAddress(signInAddress) + QStringLiteral("/oauth2/authorize");
}

bool IsValidRedirectAddress(const QString& address)
{
    const QUrl url(address, QUrl::StrictMode);
    // A fragment can't be part of a registered redirect address, and the
    // listener answers on the loopback names only.
    return url.isValid() && url.scheme() == u"http" && url.userInfo().isEmpty()
        && (url.host() == u"localhost" || url.host() == u"127.0.0.1") && url.port() > 0
        && url.path().startsWith(u'/') && !url.hasFragment();
}

bool IsLoopbackHost(const QString& host)
{
    QString name = host.toLower();
    if (name == QStringLiteral("localhost"))
        return true;
    if (name.startsWith(u'[') && name.endsWith(u']'))
        name = name.mid(1, name.size() - 2);
    QHostAddress address;
    return address.setAddress(name) && address.isLoopback();
}

bool IsSafeServiceAddress(const QString& address, QString* reason)
{
    QString host, path;
    int port = 0;
    bool secure = false;
    if (!HTTPRequest::ParseURL(address, host, port, path, &secure)) {
        if (reason)
            *reason = QStringLiteral("\"%1\" is not a web address.").arg(address);
        return false;
    }
    if (secure || IsLoopbackHost(host))
        return true;
    if (reason)
        *reason = QStringLiteral("\"%1\" is not an https address. Ruvia sends your sign-in only "
                                 "over https (or to this computer), so that nobody on the way "
                                 "can read it.")
                      .arg(address);
    return false;
}

} // namespace ruvia
