#pragma once
// How logic asks the user. Logic never shows a window: it hands a Message to
// the installed Prompter. The GUI installs message boxes; tests install a
// scripted prompter that records every text and answers from a queue.
//
// Styles and answers use the classic message-box numbers, so a call reads as
// the behaviour it asks for: style = buttons + icon + default button.
#include <QString>
#include <QStringList>

namespace ruvia {

enum MsgStyle : int {
    MB_OK = 0,
    MB_OKCANCEL = 1,
    MB_ABORTRETRYIGNORE = 2,
    MB_YESNOCANCEL = 3,
    MB_YESNO = 4,
    MB_RETRYCANCEL = 5,
    MB_ICONCRITICAL = 16,
    MB_ICONQUESTION = 32,
    MB_ICONEXCLAMATION = 48,
    MB_ICONINFORMATION = 64,
    MB_DEFBUTTON2 = 256,
    MB_DEFBUTTON3 = 512,
};

enum MsgAnswer : int {
    IDOK = 1,
    IDCANCEL = 2,
    IDABORT = 3,
    IDRETRY = 4,
    IDIGNORE = 5,
    IDYES = 6,
    IDNO = 7,
};

struct Message {
    QString text;
    QString title;
    int style = MB_OK;

    int buttons() const { return style & 0x0F; }
    int icon() const { return style & 0x70; }
    int defaultIndex() const { return (style >> 8) & 0x03; }
    // The answers of the buttons, left to right.
    QList<int> answers() const;
    int defaultAnswer() const;
};

class Prompter {
public:
    virtual ~Prompter() = default;
    virtual int ask(const Message& message) = 0;
};

// The prompter in force. Without one installed, messages go to the log and
// the default button is taken, so a headless run never blocks.
Prompter& prompter();
// Installs p (not owned); nullptr restores the headless default.
void setPrompter(Prompter* p);

// Shows text with the program's title; returns the answer.
int MsgBox(const QString& text, int style = MB_OK, const QString& title = {});

// Joins the parts of a message with one blank line (CR LF CR LF) between them,
// skipping empty parts: path, sentence, error description.
QString joinMessage(const QStringList& parts);

// Failures with their details. Style 16 = critical with OK, 18 = critical with
// Abort/Retry/Ignore, 21 = critical with Retry/Cancel.
class ErrorReporter {
public:
    // errorText: the description of the failure that was caught.
    static int ShowObjectError(const QString& errorText, int style, const QString& message);
    static int ShowSystemError(int code, int style, const QString& message);
    static int AskAbortRetryIgnore(const QString& message);
};

} // namespace ruvia
