#pragma once
#include "platform/shell.h"

namespace ruvia {

// Opens files and addresses with the desktop's programs; the system clipboard.
class QtShell : public Shell {
public:
    bool Open(const QString& pathOrUrl) override;
    void SetClipboardText(const QString& text) override;
    QString ClipboardText() const override;
    QImage ClipboardImage() const override;
};

} // namespace ruvia
