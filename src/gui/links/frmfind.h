#pragma once
// The find dialog of the links window: the text (with the group's search
// history), the kind of search and whether letter case matters.
#include "support/findsettings.h"

#include <QDialog>
#include <QList>

class QCheckBox;
class QComboBox;
class QPushButton;
class QRadioButton;

namespace ruvia {

class frmFind : public QDialog {
    Q_OBJECT
  public:
    explicit frmFind(QWidget* parent = nullptr);

    bool Accepted() const { return m_accepted; }
    // The search as confirmed (the text as typed); an empty text when the
    // dialog was cancelled.
    SearchRequest Result() const;

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void updateOk();
    void confirm();

    FindDialogLogic m_logic;
    QComboBox* m_what;
    QList<QRadioButton*> m_types;
    QCheckBox* m_case;
    QPushButton* m_ok;
    QPushButton* m_cancel;
    bool m_accepted = false;
};

// Shows the dialog modally over parent and returns what it was given.
SearchRequest AskForSearch(QWidget* parent);

} // namespace ruvia
