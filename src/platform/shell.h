#pragma once
// How logic reaches the desktop: opening a picture or a web address in the
// user's program for it, and the clipboard. The GUI installs the desktop
// implementation; without one, nothing is opened and the clipboard is a
// private text, so a headless run never blocks.
#include <QImage>
#include <QString>

namespace ruvia {

class Shell {
public:
    virtual ~Shell() = default;
    // A file path or an address; false when nothing could open it.
    virtual bool Open(const QString& pathOrUrl) = 0;
    virtual void SetClipboardText(const QString& text) = 0;
    virtual QString ClipboardText() const = 0;
    // The clipboard's picture; a null image when it holds none.
    virtual QImage ClipboardImage() const { return {}; }
};

Shell& shell();
// Installs s (not owned); nullptr restores the headless default.
void setShell(Shell* s);

} // namespace ruvia
