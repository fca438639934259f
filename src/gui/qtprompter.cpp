#include "gui/qtprompter.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

namespace ruvia {

namespace {
QMessageBox::StandardButton buttonFor(int answer)
{
    switch (answer) {
    case IDOK:
        return QMessageBox::Ok;
    case IDCANCEL:
        return QMessageBox::Cancel;
    case IDABORT:
        return QMessageBox::Abort;
    case IDRETRY:
        return QMessageBox::Retry;
    case IDIGNORE:
        return QMessageBox::Ignore;
    case IDYES:
        return QMessageBox::Yes;
    default:
        return QMessageBox::No;
    }
}

QMessageBox::Icon iconFor(int icon)
{
    switch (icon) {
    case MB_ICONCRITICAL:
        return QMessageBox::Critical;
    case MB_ICONQUESTION:
        return QMessageBox::Question;
    case MB_ICONEXCLAMATION:
        return QMessageBox::Warning;
    case MB_ICONINFORMATION:
        return QMessageBox::Information;
    default:
        return QMessageBox::NoIcon;
    }
}
} // namespace

int QtPrompter::ask(const Message& message)
{
    QMessageBox box(QApplication::activeWindow());
    box.setWindowTitle(message.title);
    // Messages are built with CR LF line breaks; the box wants plain LF.
    QString text = message.text;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    box.setText(text);
    box.setTextFormat(Qt::PlainText);
    box.setIcon(iconFor(message.icon()));
    const QList<int> answers = message.answers();
    for (int a : answers)
        box.addButton(buttonFor(a));
    box.setDefaultButton(buttonFor(message.defaultAnswer()));
    if (answers.contains(IDCANCEL))
        box.setEscapeButton(buttonFor(IDCANCEL));
    box.exec();
    const auto clicked = box.standardButton(box.clickedButton());
    for (int a : answers)
        if (buttonFor(a) == clicked)
            return a;
    // Closed without a button (Esc on a box without Cancel): the safe answer.
    return answers.contains(IDCANCEL) ? int(IDCANCEL) : answers.last();
}

} // namespace ruvia
