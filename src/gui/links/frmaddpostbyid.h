#pragma once
// Adds to the link base a post made elsewhere: its id, and optionally the
// original file name and the uploader's name. The new post is unresolved.
#include <QDialog>

class QLineEdit;
class QPushButton;

namespace ruvia {

class frmAddPostByID : public QDialog {
    Q_OBJECT
  public:
    explicit frmAddPostByID(QWidget* parent = nullptr);
    ~frmAddPostByID() override;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

  private:
    void confirm();

    QLineEdit* m_postId;
    QLineEdit* m_fileName;
    QLineEdit* m_userName;
    QPushButton* m_defaultFileName;
    QPushButton* m_defaultUserName;
};

} // namespace ruvia
