#pragma once
// The batch from a folder: lists the picture files of a folder and queues
// the chosen ones in the upload window with the post properties it shows.
// Opened modally over the upload window.
#include "upload/batchfolder.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace ruvia {

class IUploadQueue;

class frmBatch : public QDialog {
    Q_OBJECT
public:
    frmBatch(QWidget* parent, IUploadQueue& queue);
    ~frmBatch() override;

    // Makes path the current folder and lists it.
    void SetCurrentPath(const QString& path);

public Q_SLOTS:
    void done(int result) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    bool handleWindowKey(QKeyEvent* key);
    void UpdateCaption();
    void Browse();
    void PickFromHistory();
    void CreatePosts();
    void Unload();

    CBatchFolder m_batch;
    IUploadQueue& m_queue;
    bool m_unloaded = false;

    QLabel* m_note;
    QLineEdit* m_path;
    QPushButton* m_browse;
    QPushButton* m_pathHistory;
    QListWidget* m_files;
    QPushButton* m_create;
};

} // namespace ruvia
