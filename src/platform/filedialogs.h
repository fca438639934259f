#pragma once
// How logic asks the user for a file name. The GUI installs file dialogs;
// tests install scripted ones. Without one installed every dialog counts as
// cancelled, so a headless run never blocks.
#include <QString>
#include <QStringList>

namespace ruvia {

struct FileDialogOptions {
    QString title;         // empty: the dialog's own
    QString filter;        // "Name (*.ext)|*.ext|All files|*.*"
    QString initialFolder; // empty: the dialog's default folder
    QString fileName;      // proposed name (save dialogs)
};

class FileDialogs {
  public:
    virtual ~FileDialogs() = default;
    // The chosen full path, or "" when the user cancelled.
    virtual QString ShowOpen(const FileDialogOptions& options) = 0;
    // Several existing files at once, in the order the dialog gives them;
    // empty when the user cancelled.
    virtual QStringList ShowOpenMany(const FileDialogOptions& options) = 0;
    virtual QString ShowSave(const FileDialogOptions& options) = 0;
    // The folder picker: title and initialFolder are used. The chosen
    // folder, or "" when the user cancelled.
    virtual QString ShowFolder(const FileDialogOptions& options) = 0;
};

FileDialogs& fileDialogs();
// Installs d (not owned); nullptr restores the headless default.
void setFileDialogs(FileDialogs* d);

// The filter's pairs as name filters of a Qt file dialog: each description,
// with its patterns appended in brackets unless it already names them.
QStringList FilterToNameFilters(const QString& filter);

} // namespace ruvia
