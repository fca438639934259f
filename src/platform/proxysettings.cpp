#include "platform/proxysettings.h"

#include "platform/settingsstore.h"

namespace ruvia {

void ProxySettings::Load(const QString& section)
{
    enabled = SettingsStore::readBool(section, QStringLiteral("Enabled"), false);
    host = SettingsStore::readText(section, QStringLiteral("Host")).trimmed();
    port = SettingsStore::readNumber(section, QStringLiteral("Port"), 8080);
    userName = SettingsStore::readText(section, QStringLiteral("User Name"));
    password = SettingsStore::readText(section, QStringLiteral("Password"));
}

bool ProxySettings::Save(const QString& section) const
{
    return SettingsStore::WriteValues({
        {section, QStringLiteral("Enabled"), KindBoolean, enabled},
        {section, QStringLiteral("Host"), KindText, host},
        {section, QStringLiteral("Port"), KindNumber, port},
        {section, QStringLiteral("User Name"), KindText, userName},
        {section, QStringLiteral("Password"), KindText, password},
    });
}

} // namespace ruvia
