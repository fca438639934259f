#pragma once
// The diagnostic log: one file in the program's data folder, lines stamped
// with the time. Texts name their procedure, as "frmUploader::Upload() ==>".
#include <QString>

namespace ruvia {

void tsLogWarning(const QString& text);
void tsLogError(const QString& text);
void tsDebugPrint(const QString& text);
// Where the log goes; by default "Ruvia.log" in the program's data folder.
QString logFilePath();
void setLogFilePath(const QString& path);

} // namespace ruvia
