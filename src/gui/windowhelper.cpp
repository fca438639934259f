#include "gui/windowhelper.h"

#include "platform/textrules.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QCompleter>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileSystemModel>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QScreen>
#include <QTextEdit>
#include <QVBoxLayout>

#include <memory>

namespace ruvia {

void PressButton(QAbstractButton* button)
{
    if (button)
        button->click();
}

int GetOptionIndex(const QList<QRadioButton*>& group)
{
    for (int i = 0; i < group.size(); ++i)
        if (group.at(i)->isChecked())
            return i;
    return -1;
}

void SetOptionIndex(const QList<QRadioButton*>& group, int index)
{
    if (index >= 0 && index < group.size())
        group.at(index)->setChecked(true);
}

void EnableAutoComplete(QLineEdit* box, int flags)
{
    auto* model = new QFileSystemModel(box);
    model->setFilter(flags == 32 ? QDir::Dirs | QDir::NoDotAndDotDot | QDir::Drives
                                 : QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Drives);
    model->setRootPath(QString());
    auto* completer = new QCompleter(model, box);
    completer->setCaseSensitivity(Qt::CaseInsensitive);
    box->setCompleter(completer);
}

void tsCenterFormEx(QWidget* window)
{
    const QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    QRect frame = window->frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    window->move(frame.topLeft());
}

void tsHighlightText(QWidget* box)
{
    if (auto* line = qobject_cast<QLineEdit*>(box))
        line->selectAll();
    else if (auto* text = qobject_cast<QTextEdit*>(box))
        text->selectAll();
    else if (auto* plain = qobject_cast<QPlainTextEdit*>(box))
        plain->selectAll();
    else if (auto* combo = qobject_cast<QComboBox*>(box); combo && combo->lineEdit())
        combo->lineEdit()->selectAll();
}

QString AboutDedication()
{
    return QStringLiteral("For everyone who posts pictures all day and pastes their links "
                          "everywhere.");
}

QDialog* CreateAboutBox(QWidget* parent, const QPixmap& picture, const QString& text,
                        const QString& extra)
{
    auto* dialog = new QDialog(parent);
    QDialog& box = *dialog;
    box.setObjectName(QStringLiteral("frmAbout"));
    box.setWindowTitle(MakeWindowTitle(QStringLiteral("About")));
    auto* layout = new QVBoxLayout(&box);
    auto* pic = new QLabel(&box);
    pic->setObjectName(QStringLiteral("picAbout"));
    pic->setPixmap(picture);
    pic->setAlignment(Qt::AlignCenter);
    layout->addWidget(pic);
    auto* name = new QLabel(QStringLiteral("<b>%1</b> %2")
                                .arg(MakeWindowTitle(), QApplication::applicationVersion()),
                            &box);
    name->setObjectName(QStringLiteral("lblName"));
    name->setAlignment(Qt::AlignCenter);
    layout->addWidget(name);
    for (const QString& t : {text, extra}) {
        if (t.isEmpty())
            continue;
        auto* label = new QLabel(t, &box);
        label->setWordWrap(true);
        label->setAlignment(Qt::AlignCenter);
        layout->addWidget(label);
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, &box);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &box, &QDialog::accept);
    layout->addWidget(buttons);
    return dialog;
}

void ShowAboutBox(QWidget* parent, const QPixmap& picture, const QString& text,
                  const QString& extra)
{
    std::unique_ptr<QDialog> box(CreateAboutBox(parent, picture, text, extra));
    box->exec();
}

} // namespace ruvia
