#include "core/settings.h"

#include "core/group.h"
#include "platform/paths.h"

namespace ruvia {

qint32 SET_Timeout = 180000;
qint32 SET_MaxGroupSelection = 20;
qint32 SET_HourglassThreshold = 10;
bool SET_GroupVisibleSlots = true;
bool SET_ResolvePosts = true;
bool SET_DownloadThumbnails = true;
bool SET_CopyUploadedFileToBase = true;
bool SET_AttoFormat = true;
bool SET_AskBeforeApplyDescription = false;
bool SET_HideTroublesomeStates = true;
bool SET_HidePreview = false;
bool SET_PaintMode = false;

const QList<SettingKey>& GlobalSettingKeys()
{
    static const QString pictures = QStringLiteral("Pictures List");
    static const QString uploading = QStringLiteral("Uploading");
    static const QString security = QStringLiteral("Security");
    static const QList<SettingKey> keys = {
        {"SET_Timeout", QString(), QStringLiteral("Timeout"), KindNumber, 180000, &SET_Timeout, nullptr},
        {"SET_MaxGroupSelection", pictures, QStringLiteral("Max Group Selection"), KindNumber, 20,
         &SET_MaxGroupSelection, nullptr},
        {"SET_HourglassThreshold", pictures, QStringLiteral("Hourglass Threshold"), KindNumber, 10,
         &SET_HourglassThreshold, nullptr},
        {"SET_GroupVisibleSlots", pictures, QStringLiteral("Group Visible Slots"), KindBoolean, true,
         nullptr, &SET_GroupVisibleSlots},
        {"SET_ResolvePosts", uploading, QStringLiteral("Resolve Posts"), KindBoolean, true, nullptr,
         &SET_ResolvePosts},
        {"SET_DownloadThumbnails", uploading, QStringLiteral("Download Thumbnails"), KindBoolean,
         true, nullptr, &SET_DownloadThumbnails},
        {"SET_CopyUploadedFileToBase", uploading, QStringLiteral("Copy Uploaded File To Base"),
         KindBoolean, true, nullptr, &SET_CopyUploadedFileToBase},
        {"SET_AttoFormat", uploading, QStringLiteral("Atto Format"), KindBoolean, true, nullptr,
         &SET_AttoFormat},
        {"SET_AskBeforeApplyDescription", uploading,
         QStringLiteral("Ask Before Apply RuviaDescription File"), KindBoolean, false, nullptr,
         &SET_AskBeforeApplyDescription},
        {"SET_HideTroublesomeStates", uploading, QStringLiteral("Hide Troublesome States"),
         KindBoolean, true, nullptr, &SET_HideTroublesomeStates},
        {"SET_HidePreview", security, QStringLiteral("Hide Preview"), KindBoolean, false, nullptr,
         &SET_HidePreview},
        {"SET_PaintMode", security, QStringLiteral("Paint Mode"), KindBoolean, false, nullptr,
         &SET_PaintMode},
    };
    return keys;
}

void ResetSettingsToDefaults()
{
    for (const SettingKey& k : GlobalSettingKeys()) {
        if (k.number)
            *k.number = k.defaultValue.toInt();
        else
            *k.flag = k.defaultValue.toBool();
    }
}

void LoadSettings()
{
    QList<SettingsStore::Entry> entries;
    for (const SettingKey& k : GlobalSettingKeys())
        entries.append({k.section, k.key, k.kind, k.defaultValue});
    const QList<QVariant> values = SettingsStore::ReadValues(entries);
    for (qsizetype i = 0; i < values.size(); ++i) {
        const SettingKey& k = GlobalSettingKeys().at(i);
        const QVariant& v = values.at(i);
        if (k.number)
            *k.number = v.toInt();
        else
            *k.flag = v.toBool();
    }
}

bool SaveSettings()
{
    QList<SettingsStore::Entry> entries;
    for (const SettingKey& k : GlobalSettingKeys())
        entries.append({k.section, k.key, k.kind,
                        k.number ? QVariant(*k.number) : QVariant(*k.flag)});
    return SettingsStore::WriteValues(entries);
}

QString GetGroupSettingsFile()
{
    return tsBuildFileName(SET_DataPath, QStringLiteral("Settings.INI"));
}

} // namespace ruvia
