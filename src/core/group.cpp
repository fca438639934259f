#include "core/group.h"

#include "platform/fileio.h"
#include "platform/instancelock.h"
#include "platform/paths.h"
#include "platform/prompter.h"
#include "platform/settingsstore.h"
#include "platform/textutil.h"

#include <memory>

namespace ruvia {

QString SET_DataPath;
QString SET_UploadsPath;
QString SET_GroupName;
QString SET_GroupId;
QString SET_EMail;
QString SET_Password;

namespace {
std::unique_ptr<InstanceLock> g_lock;

QString safeFolderName(const QString& name)
{
    QString out = name;
    out.replace(u'/', u'-');
    out.replace(u'\\', u'-');
    out.remove(QChar(0));
    if (out == u"." || out == u"..")
        out.replace(u'.', u'-');
    return out;
}
} // namespace

QString GetGroupName(const QString& entry)
{
    const qsizetype bar = entry.lastIndexOf(u'|');
    return tsTrimEx(bar < 0 ? entry : entry.mid(bar + 1));
}

QString GetProgramDataPath()
{
    return tsBuildFileName(tsGetSpecialFolder(CSIDL_APPDATA),
                           QStringLiteral("Corvanel Studios/Ruvia"));
}

QString GetGroupDataPath(const QString& entry)
{
    return tsBuildFileName(GetProgramDataPath(), safeFolderName(GetGroupName(entry)));
}

QString GetGroupUploadsPath(const QString& entry)
{
    return tsBuildFileName(GetGroupDataPath(entry), QStringLiteral("Uploads"));
}

bool IsFileInFolder(const QString& filePath, const QString& folder)
{
    const QString a = tsAddBackslash(tsGetFilePath(filePath)).replace(u'\\', u'/').toUpper();
    const QString b = tsAddBackslash(folder).replace(u'\\', u'/').toUpper();
    return a == b;
}

QString GroupLockName(const QString& groupName)
{
    return QStringLiteral("{FC22EBF5-FFA6-403E-933C-95FD50BCD8AD}_") + groupName;
}

bool OpenGroupFolders(const QString& entry)
{
    SET_DataPath = GetGroupDataPath(entry);
    if (GetGroupName(entry).isEmpty() || !tsCreateComplexDirectory(SET_DataPath)) {
        MsgBox(SET_DataPath + QStringLiteral("\r\n\r\nCan't create or open data folder."),
               MB_ICONCRITICAL);
        SET_DataPath.clear();
        return false;
    }
    SET_UploadsPath = GetGroupUploadsPath(entry);
    SET_GroupName = GetGroupName(entry);

    if (!g_lock)
        g_lock = std::make_unique<InstanceLock>();
    if (!g_lock->Acquire(GroupLockName(SET_GroupName))) {
        MsgBox(QStringLiteral("Can't open this group because it was already opened by another "
                              "instance. Switch to that instance of program and use it."),
               MB_ICONEXCLAMATION);
        g_lock.reset();
        ForgetGroupValues();
        SET_UploadsPath.clear();
        return false;
    }
    // The lock is ours, so no one is saving the group's files: a temporary
    // file of a save is what an interrupted one left behind.
    RemoveInterruptedSaves(SET_DataPath, {QStringLiteral("Links.XML"), QStringLiteral("Links.Folded.XML"),
                                          QStringLiteral("Uploads.XML"),
                                          QStringLiteral("Settings.INI"), QStringLiteral("*.DAT"),
                                          QStringLiteral("*.1280.*"), QStringLiteral("*.250.*")});
    SettingsStore::RemoveInterruptedSaves();
    return true;
}

void ForgetGroupValues()
{
    SET_GroupName.clear();
    SET_GroupId.clear();
    SET_DataPath.clear();
}

void ReleaseGroupLock() { g_lock.reset(); }
bool IsGroupLockHeld() { return g_lock && g_lock->isHeld(); }

} // namespace ruvia
