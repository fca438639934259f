#pragma once
// The files behind the upload queue: the private copies in the group's
// uploads folder, the description side files, the picture read for a post,
// and the copy of a posted picture into the base. Every failure is asked
// about through the Prompter.
#include <QByteArray>
#include <QString>

class QImage;

namespace ruvia {

inline constexpr char16_t kDescriptionSuffix[] = u".RuviaDescription";

// Copies source into SET_UploadsPath under a new GUID name with the source's
// extension in upper case. The path of the copy, or "" when none was made.
QString CopyToUploadsFolder(const QString& source);
// Writes picture as PNG into SET_UploadsPath under a new GUID name, as
// CopyToUploadsFolder names its copies. The path, or "" when none was written.
QString SavePictureToUploadsFolder(const QImage& picture);
// Where a file dialog for pictures starts when no folder is remembered: the
// user's Pictures folder, else Documents, else home.
QString PicturesStartFolder();
// When source has a description side file, its text (asking first when
// SET_AskBeforeApplyDescription is on) replaces caption. False when caption
// was left as it was.
bool ReadDescriptionFile(const QString& source, QString& caption);
// Deletes a queued copy; refuses (and says so) for a file outside the uploads folder.
void DeleteFileInLocalFolder(const QString& path);
// The whole file, or empty content when the user gave up on a read error.
QByteArray ReadUploadFile(const QString& path);
// Puts a posted local picture into the base (a copy in the uploads folder is
// moved there); a failure is reported and the caller goes on.
bool CopyLocalImageToBase(const QString& source, const QString& target);
// The tags made from a caption: its first line, made safe as a file name,
// in double quotes when it holds a comma.
QString TagsFromCaption(const QString& caption);

} // namespace ruvia
