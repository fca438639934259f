#pragma once
// The upload window of the open group: the queue of pictures waiting to be
// posted, the post properties new items take, and the run that posts them.
// Opened modally by the links window; the batch windows add to its queue
// through PasteToList and SaveListedUploads.
#include "service/uploadstatus.h"
#include "upload/uploadlist.h"
#include "upload/uploadqueue.h"
#include "upload/uploadrun.h"

#include <QDialog>

#include <memory>

class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QModelIndex;
class QPlainTextEdit;
class QPushButton;
class QTreeView;

namespace ruvia {

class CStatistics;
class ucInfoToolBar;

class frmUploader : public QDialog,
                    public IUploadStatusIndicator,
                    public IUploadQueue,
                    private IUploadRunView {
    Q_OBJECT
public:
    // statistics: the open group's traffic counters (may be null).
    frmUploader(QWidget* parent, CStatistics* statistics);
    ~frmUploader() override;

    // Adds a file or URL (an empty text: the clipboard's) with the current
    // post properties; saveList writes Uploads.XML afterwards.
    bool PasteToList(const QString& text, bool treatAsFile, bool saveList) override;
    bool SaveListedUploads() override;
    void SetStatusColor(int state) override;

    bool IsUploading() const { return m_run->IsRunning(); }
    UploadList& List() { return m_list; }

public Q_SLOTS:
    void done(int result) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void ShowProgress(const QString& text) override;
    void ShowRunPosition(const QString& text) override;
    void SelectRow(int row) override;
    void UpdateControls() override;

    void buildControls();
    void FillPostStates();
    void SelectStoredState(int stateIndex);
    void ShowAltTextReach();
    void LoadPostProperties();
    void SavePostProperties();
    void LoadColumns();
    void SaveColumns();
    void Unload();

    bool handleWindowKey(QKeyEvent* key);
    bool handleListKey(QKeyEvent* key);
    void StartUpload();
    void AddFile();
    // cmdAddLink (or Ctrl+Insert in the list) and cmdBatchAddFiles: modal
    // over this window; each writes the list once when it is done.
    void BatchFromUrls();
    void BatchFromFolder();
    void RemoveSelectedItems();
    void ToggleSelectedChecks();
    void OpenRow(int row);
    void DropFiles(const QStringList& files);
    void ResultClicked();
    void StateChanged();
    QList<int> SelectedRows() const;
    PostBoxes Boxes() const;
    void ShowTagsOf(const PostBoxes& boxes);
    QString CaptionText() const;
    void SetCaptionText(const QString& text);
    QString AltTextText() const;
    void SetAltTextText(const QString& text);

    UploadList m_list;
    std::unique_ptr<CUploadRun> m_run;
    bool m_unloaded = false;
    int m_resultClicks = 0;
    int m_pressedRow = -1;

    ucInfoToolBar* m_info;
    QLabel* m_picture;
    QTreeView* m_tasks;
    QPushButton* m_checkAll;
    QPushButton* m_uncheckAll;
    QLabel* m_captionLabel;
    QPlainTextEdit* m_caption;
    QPushButton* m_captionHistory;
    QLabel* m_altTextLabel;
    QPlainTextEdit* m_altText;
    QPushButton* m_altTextHistory;
    QLabel* m_tagsLabel;
    QLineEdit* m_tags;
    QCheckBox* m_tagsFromCaption;
    QPushButton* m_tagsHistory;
    QLabel* m_urlLabel;
    QLineEdit* m_url;
    QPushButton* m_urlsHistory;
    QLabel* m_stateLabel;
    QComboBox* m_state;
    QLineEdit* m_publishOn;
    QPushButton* m_addFile;
    QPushButton* m_addLink;
    QPushButton* m_batchAddFiles;
    QPushButton* m_remove;
    QPushButton* m_upload;
    QPushButton* m_stop;
    QLabel* m_result;
    QFrame* m_progressPanel;
    QLabel* m_progress;
    QLabel* m_runPosition;
};

} // namespace ruvia
