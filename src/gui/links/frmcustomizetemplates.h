#pragma once
// The template editor: each of the ten templates switched on or off, its
// title and body edited in a working copy that OK stores and shows in the
// links window's slots at once.
#include "links/templateeditor.h"

#include <QDialog>

class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPlainTextEdit;
class QPushButton;

namespace ruvia {

class frmPicturesList;
class kzmTBHooks;

class frmCustomizeTemplates : public QDialog {
    Q_OBJECT
  public:
    // links: the window whose slots follow an OK (may be null).
    explicit frmCustomizeTemplates(frmPicturesList* links, QWidget* parent = nullptr);
    ~frmCustomizeTemplates() override;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

  private:
    void showCurrent();
    void loadList();
    void confirm();

    frmPicturesList* m_links;
    TemplateEditorLogic m_logic;
    QListWidget* m_list;
    QLineEdit* m_title;
    QPlainTextEdit* m_body;
    QPushButton* m_help;
    QPushButton* m_ok;
    kzmTBHooks* m_hook;
    bool m_loading = false;
};

} // namespace ruvia
