#pragma once
// Path helpers. Stored paths may come from either platform, so every helper
// accepts both "/" and "\" as separators; paths it builds use "/".
#include <QString>
#include <QStringList>
#include <QtGlobal>

namespace ruvia {

bool isSeparator(QChar c);
QString tsBuildFileName(const QString& folder, const QString& name);
// Ends with exactly one separator ("/" unless the path already uses "\").
QString tsAddBackslash(const QString& path);
// Folder part including its trailing separator, "" when there is none.
QString tsGetFilePath(const QString& path);
QString tsGetFileName(const QString& path);
// Extension without the dot; "" when the name has none.
QString tsGetFileExtension(const QString& path);
bool tsIsFileExist(const QString& path);
bool tsIsDirectoryExist(const QString& path);
// Creates missing parents; true when the folder exists afterwards.
bool tsCreateComplexDirectory(const QString& path);
// The names of the plain files directly in folder (links to them included,
// hidden files left out), in no particular order. False, with error set to
// the system's reason, when the folder cannot be opened.
bool tsListFolderFiles(const QString& folder, QStringList& names, QString* error = nullptr);

enum SpecialFolder { CSIDL_PERSONAL = 5, CSIDL_APPDATA = 26 };
// 26: the user's application-data folder; 5: the documents folder.
QString tsGetSpecialFolder(int csidl);
qint64 tsGetFileSize(const QString& path);
double tsGetFileSizeEx(const QString& path);

} // namespace ruvia
