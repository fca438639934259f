#pragma once
// The open group: where its files live, and the rule that a group is open in
// at most one running instance at a time.
#include <QString>

namespace ruvia {

// Current-group values: empty until a group is opened.
extern QString SET_DataPath;
extern QString SET_UploadsPath;
extern QString SET_GroupName;
// The open group's id with its account (a blog's uuid); empty where the
// host name serves as the id.
extern QString SET_GroupId;
extern QString SET_EMail;
extern QString SET_Password;

// The text after the last "|" of a group entry ("Title | host"), trimmed;
// the whole text trimmed when it holds no "|".
QString GetGroupName(const QString& entry);
// The program's data folder: <application data>/Corvanel Studios/Ruvia.
QString GetProgramDataPath();
// <program data folder>/<host name>. A name that would leave that folder
// ("..", separators) is made safe first; ordinary host names are unchanged.
QString GetGroupDataPath(const QString& entry);
QString GetGroupUploadsPath(const QString& entry);
// True when the folder part of filePath is folder, ignoring letter case and a
// trailing separator. A file in a sub-folder is not in the folder.
bool IsFileInFolder(const QString& filePath, const QString& folder);

// The name of the system-wide lock of a group.
QString GroupLockName(const QString& groupName);

// The folder and lock steps of opening a group: sets SET_DataPath,
// SET_UploadsPath and SET_GroupName, creates the data folder and takes the
// group lock, then removes what interrupted saves of the group's files and of
// the global settings left behind. On failure shows the message, clears what
// it set and returns false.
bool OpenGroupFolders(const QString& entry);
// Clears SET_GroupName and SET_DataPath after a failure further on; the lock
// stays held until the next attempt or the end of the process.
void ForgetGroupValues();
// Closing a group: the lock is released for other instances.
void ReleaseGroupLock();
bool IsGroupLockHeld();

} // namespace ruvia
