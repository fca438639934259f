#include "service/account.h"

#include "core/group.h"
#include "core/settings.h"
#include "platform/inifile.h"
#include "platform/settingsstore.h"
#include "service/v1account.h"

namespace ruvia {

namespace {

std::shared_ptr<ServiceAccount> g_account;
const QString kFolderSection = QStringLiteral("Service Groups");

} // namespace

ServiceAccount& CurrentAccount()
{
    if (g_account)
        return *g_account;
    // Speaks with the current credentials, whoever set them.
    static V1Account fallback(SET_EMail, SET_Password);
    fallback.SetCredentials(SET_EMail, SET_Password);
    return fallback;
}

void SetCurrentAccount(std::shared_ptr<ServiceAccount> account) { g_account = std::move(account); }

std::shared_ptr<ServiceAccount> CurrentAccountShared() { return g_account; }

QString CurrentGroupId() { return SET_GroupId.isEmpty() ? SET_GroupName : SET_GroupId; }

bool RecordGroupAccountKind(AccountKind kind)
{
    return tsWriteStringToINI(QStringLiteral("Service"), QStringLiteral("Account Kind"),
                              kind == AccountKind::V2 ? QStringLiteral("API v2")
                                                      : QStringLiteral("API v1"),
                              GetGroupSettingsFile());
}

AccountKind GroupAccountKind()
{
    const QString kind = tsReadStringFromINI(QStringLiteral("Service"), QStringLiteral("Account Kind"),
                                             QString(), GetGroupSettingsFile());
    return kind.compare(QStringLiteral("API v2"), Qt::CaseInsensitive) == 0 ? AccountKind::V2
                                                                            : AccountKind::V1;
}

QString KnownGroupFolder(const QString& id)
{
    if (id.isEmpty())
        return {};
    return SettingsStore::readText(kFolderSection, id);
}

void RememberGroupFolder(const QString& id, const QString& folder)
{
    if (!id.isEmpty() && !folder.isEmpty() && KnownGroupFolder(id) != folder)
        SettingsStore::writeText(kFolderSection, id, folder);
}

} // namespace ruvia
