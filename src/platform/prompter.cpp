#include "platform/prompter.h"

#include "platform/log.h"
#include "platform/textrules.h"

#include <cstring>

namespace ruvia {

QList<int> Message::answers() const
{
    switch (buttons()) {
    case MB_OKCANCEL:
        return {IDOK, IDCANCEL};
    case MB_ABORTRETRYIGNORE:
        return {IDABORT, IDRETRY, IDIGNORE};
    case MB_YESNOCANCEL:
        return {IDYES, IDNO, IDCANCEL};
    case MB_YESNO:
        return {IDYES, IDNO};
    case MB_RETRYCANCEL:
        return {IDRETRY, IDCANCEL};
    default:
        return {IDOK};
    }
}

int Message::defaultAnswer() const
{
    const QList<int> a = answers();
    return a.value(defaultIndex(), a.first());
}

namespace {
class HeadlessPrompter : public Prompter {
public:
    int ask(const Message& message) override
    {
        tsLogWarning(QStringLiteral("Message (no window to show it): ") + message.text);
        return message.defaultAnswer();
    }
};

HeadlessPrompter g_headless;
Prompter* g_prompter = nullptr;
} // namespace

Prompter& prompter() { return g_prompter ? *g_prompter : g_headless; }
void setPrompter(Prompter* p) { g_prompter = p; }

int MsgBox(const QString& text, int style, const QString& title)
{
    Message m;
    m.text = text;
    m.style = style;
    m.title = title.isEmpty() ? MakeWindowTitle() : title;
    return prompter().ask(m);
}

QString joinMessage(const QStringList& parts)
{
    QStringList kept;
    for (const QString& p : parts)
        if (!p.isEmpty())
            kept.append(p);
    return kept.join(QStringLiteral("\r\n\r\n"));
}

int ErrorReporter::ShowObjectError(const QString& errorText, int style, const QString& message)
{
    tsLogError(message + QStringLiteral(" ==> ") + errorText);
    return MsgBox(joinMessage({message, errorText}), style);
}

int ErrorReporter::ShowSystemError(int code, int style, const QString& message)
{
    const QString detail = QStringLiteral("Error %1: %2").arg(code).arg(
        QString::fromLocal8Bit(std::strerror(code)));
    return ShowObjectError(detail, style, message);
}

int ErrorReporter::AskAbortRetryIgnore(const QString& message)
{
    return MsgBox(message, MB_ABORTRETRYIGNORE | MB_ICONCRITICAL);
}

} // namespace ruvia
