#include "platform/proxysettings.h"

#include "platform/settingsstore.h"

namespace ruvia {

void ProxySettings::Load(const QString& section)
{
    // Every request loads these: one read of the file for all of them.
    const QList<QVariant> v = SettingsStore::ReadValues({
        {section, QStringLiteral("Enabled"), KindBoolean, false},
        {section, QStringLiteral("Host"), KindText, QString()},
        {section, QStringLiteral("Port"), KindNumber, 8080},
        {section, QStringLiteral("User Name"), KindText, QString()},
        {section, QStringLiteral("Password"), KindText, QString()},
    });
    enabled = v.at(0).toBool();
    host = v.at(1).toString().trimmed();
    port = v.at(2).toInt();
    userName = v.at(3).toString();
    password = v.at(4).toString();
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
