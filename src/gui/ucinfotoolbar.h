#pragma once
// The information strip at the top of the links and upload windows: one
// line of list information with its caption, and the account's e-mail
// address below it, in the system's tooltip colours.
#include <QWidget>

class QLabel;

namespace ruvia {

class ucInfoToolBar : public QWidget {
    Q_OBJECT
  public:
    explicit ucInfoToolBar(QWidget* parent = nullptr);

    QString ListInfo() const;
    void setListInfo(const QString& text);
    QString ListInfoLabel() const;
    // Also lines both values up one column to the right of the caption.
    void setListInfoLabel(const QString& caption);
    QString EMail() const;
    void setEMail(const QString& email);

    static int fixedHeight();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    QLabel* m_caption;
    QLabel* m_listInfo;
    QLabel* m_emailCaption;
    QLabel* m_email;
};

// Puts the toolbar along the top of form: the form grows by the toolbar's
// height and moves up by half of it, so it stays centred, and every other
// control placed directly on the form moves down by that height (controls
// inside frames and panels move with their container).
void InitToolBar(QWidget* form, ucInfoToolBar* toolbar);

} // namespace ruvia
