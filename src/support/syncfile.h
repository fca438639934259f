#pragma once
// Sync files (".Sync"): one file that carries a group's Links.XML and its
// pictures of sizes 1280 and 250 to another installation. The format is a
// ZIP archive described in docs/sync-format.md. The commands choose the file
// through the platform's file dialogs and remember the chosen folder in the
// group's Settings.INI, section "Recent Directories".
#include <QDateTime>
#include <QString>
#include <QStringList>

#include <functional>

namespace ruvia {

// "Ruvia yyyy-MM-dd hh-mm-ss.Sync".
QString DefaultSyncFileName(const QDateTime& when);
QString SyncFileFilter();

// The Save dialog for an export; "" when cancelled.
QString ChooseExportSyncFile();
// The Open dialog for a test; "" when cancelled.
QString ChooseImportSyncFile();
// The export command: choose a file, write it, report the outcome.
void ExportSyncFile();
// The test command: choose a file and report that it cannot be opened.
void TestSyncFile();

// What an export of the open group takes, in the order it is written:
// Links.XML, then the pictures (*.1280.*), then the thumbnails (*.250.*),
// each group sorted by name. Empty when Links.XML does not exist.
QStringList SyncFileSources();
// The export step: writes the sync file at path in one go; an existing file
// there is replaced only once the new one is complete.
bool WriteSyncFile(const QString& path, QString* error = nullptr);
// Reads a sync file, handing each entry's name and content to sink in
// archive order (sink returns false to stop). False for a file that is not
// a sync file, is damaged, or names an entry outside its own folder.
bool ReadSyncFile(const QString& path,
                  const std::function<bool(const QString& name, const QByteArray& data)>& sink,
                  QString* error = nullptr);

} // namespace ruvia
