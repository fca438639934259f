#include "platform/shell.h"

namespace ruvia {

namespace {
class HeadlessShell : public Shell {
public:
    bool Open(const QString&) override { return false; }
    void SetClipboardText(const QString& text) override { m_clipboard = text; }
    QString ClipboardText() const override { return m_clipboard; }

private:
    QString m_clipboard;
};

HeadlessShell g_headless;
Shell* g_shell = nullptr;
} // namespace

Shell& shell() { return g_shell ? *g_shell : g_headless; }
void setShell(Shell* s) { g_shell = s; }

} // namespace ruvia
