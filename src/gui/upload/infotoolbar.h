#pragma once
// The upload window's information strip: "Uploads:" with the queue's
// figures, and the account's e-mail address below, in tooltip colours.
// It has the shape of the shared info toolbar so that one can take its place.
#include <QWidget>

class QLabel;

namespace ruvia {

class UploadInfoToolBar : public QWidget {
    Q_OBJECT
public:
    explicit UploadInfoToolBar(QWidget* parent = nullptr);
    QString ListInfo() const;
    void setListInfo(const QString& text);
    QString ListInfoLabel() const;
    void setListInfoLabel(const QString& caption);
    QString EMail() const;
    void setEMail(const QString& email);
    static int fixedHeight();

private:
    QLabel* m_caption;
    QLabel* m_listInfo;
    QLabel* m_email;
};

// Along the top of form; the form's other direct children move down.
void InitToolBar(QWidget* form, UploadInfoToolBar* toolbar);

using InfoToolBar = UploadInfoToolBar;

} // namespace ruvia
