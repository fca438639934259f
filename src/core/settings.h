#pragma once
// The global settings: process-wide values loaded at start-up and written
// back by the settings dialog. Every key is declared once, in the table that
// LoadSettings, SaveSettings and the dialog read.
#include <QList>
#include <QString>
#include <QVariant>

#include "platform/settingsstore.h"

namespace ruvia {

extern qint32 SET_Timeout;
extern qint32 SET_MaxGroupSelection;
extern qint32 SET_HourglassThreshold;
extern bool SET_GroupVisibleSlots;
extern bool SET_ResolvePosts;
extern bool SET_DownloadThumbnails;
extern bool SET_CopyUploadedFileToBase;
extern bool SET_AttoFormat;
extern bool SET_AskBeforeApplyDescription;
extern bool SET_HideTroublesomeStates;
extern bool SET_HidePreview;
extern bool SET_PaintMode;

struct SettingKey {
    const char* variable;
    QString section;
    QString key;
    ValueKind kind;
    QVariant defaultValue;
    // The variable it loads into: exactly one of these is set.
    qint32* number;
    bool* flag;
};

// The twelve global settings, in the order they are read and written.
const QList<SettingKey>& GlobalSettingKeys();
// Puts every variable back to its default.
void ResetSettingsToDefaults();
void LoadSettings();
bool SaveSettings();

// <SET_DataPath>/Settings.INI: the open group's own settings.
QString GetGroupSettingsFile();

} // namespace ruvia
