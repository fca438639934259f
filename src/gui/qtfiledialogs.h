#pragma once
#include "platform/filedialogs.h"

namespace ruvia {

// File dialogs over the active window.
class QtFileDialogs : public FileDialogs {
public:
    QString ShowOpen(const FileDialogOptions& options) override;
    QStringList ShowOpenMany(const FileDialogOptions& options) override;
    QString ShowSave(const FileDialogOptions& options) override;
    QString ShowFolder(const FileDialogOptions& options) override;
};

} // namespace ruvia
