#pragma once
// A Shell for tests: records what was opened and keeps the clipboard in a
// string and an image; Open answers `opens` (true unless a test says otherwise).
#include "platform/shell.h"

#include <QStringList>

namespace ruvia::test {

class ScriptedShell : public Shell {
  public:
    ScriptedShell() { setShell(this); }
    ~ScriptedShell() override { setShell(nullptr); }
    bool Open(const QString& pathOrUrl) override
    {
        opened.append(pathOrUrl);
        return opens;
    }
    void SetClipboardText(const QString& text) override
    {
        clipboard = text;
        ++clipboardWrites;
    }
    QString ClipboardText() const override { return clipboard; }
    QImage ClipboardImage() const override { return clipboardImage; }

    QStringList opened;
    QString clipboard;
    QImage clipboardImage;
    int clipboardWrites = 0;
    bool opens = true;
};

} // namespace ruvia::test
