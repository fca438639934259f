#pragma once
// The batch from URLs: a box of picture addresses, one per line, queued as
// link items in the upload window with the post properties it shows. The
// box's text is kept between uses. Opened modally over the upload window.
#include <QDialog>

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace ruvia {

class IUploadQueue;

class frmBatchURLs : public QDialog {
    Q_OBJECT
public:
    frmBatchURLs(QWidget* parent, IUploadQueue& queue);
    ~frmBatchURLs() override;

    // The box's text with CR LF line breaks.
    QString BoxText() const;

public Q_SLOTS:
    void done(int result) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    bool handleWindowKey(QKeyEvent* key);
    void SetBoxText(const QString& text);
    void InsertUrls();
    void Unload();

    IUploadQueue& m_queue;
    // As read on load: an unchanged box is not written back.
    QString m_loaded;
    bool m_unloaded = false;

    QLabel* m_note;
    QPlainTextEdit* m_urls;
    QPushButton* m_create;
};

} // namespace ruvia
