#pragma once
// Window furniture shared by every window: the helpers the windows call on
// load and on focus, and the shared about box.
#include <QList>
#include <QPixmap>
#include <QString>

class QAbstractButton;
class QDialog;
class QLineEdit;
class QRadioButton;
class QWidget;

namespace ruvia {

// Runs the button's click, as if the user had pressed it.
void PressButton(QAbstractButton* button);
// The index of the checked button of an option group, -1 when none is.
int GetOptionIndex(const QList<QRadioButton*>& group);
void SetOptionIndex(const QList<QRadioButton*>& group, int index);
// Folder-name completion in a text box (flag 32: folders only).
void EnableAutoComplete(QLineEdit* box, int flags = 32);
// Centres a window on its screen.
void tsCenterFormEx(QWidget* window);
// Selects all the text of a line edit, text edit or combo box.
void tsHighlightText(QWidget* box);
// The fixed dedication text of the about box.
QString AboutDedication();
// The about box (not shown): the picture, the program's name and version, and the text.
QDialog* CreateAboutBox(QWidget* parent, const QPixmap& picture, const QString& text,
                        const QString& extra = {});
// The about box: the picture, the program's name and version, and the text.
void ShowAboutBox(QWidget* parent, const QPixmap& picture, const QString& text,
                  const QString& extra = {});
// Twips (1/1440 inch) to pixels at the 96 dpi the window layouts assume.
constexpr int Twips(int twips) { return twips / 15; }

} // namespace ruvia
