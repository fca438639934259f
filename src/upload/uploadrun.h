#pragma once
// The upload run: posts the checked rows of the queue one after another,
// records each new post in the link base, reads it back, fetches its
// thumbnail and copies the local picture into the base, then takes the row
// off the queue. It runs on the window's thread; the window sees it through
// IUploadRunView and asks it to stop with RequestStop.
#include "support/transferprogress.h"
#include "upload/lostpost.h"

#include <QString>

namespace ruvia {

class CStatistics;
class UploadList;
struct UploadItem;

class IUploadRunView {
public:
    virtual ~IUploadRunView() = default;
    virtual void ShowProgress(const QString& text) = 0;
    // "Picture 3 of 12"
    virtual void ShowRunPosition(const QString& text) = 0;
    // 0 green, 1 yellow with the count of problems one higher, 2 red.
    virtual void SetStatusColor(int state) = 0;
    // Selects only that row (0-based) and scrolls it into view; -1 selects none.
    virtual void SelectRow(int row) = 0;
    // The run started or ended, or a row went.
    virtual void UpdateControls() = 0;
};

class CUploadRun {
public:
    // statistics counts the run's traffic; may be null.
    CUploadRun(UploadList& list, IUploadRunView& view, CStatistics* statistics);

    // Posts the checked rows with the state code and publish date of the
    // post property fields; returns when the run is over.
    void Start(int stateCode, const QString& publishOn);
    bool IsRunning() const { return m_running; }
    // Abandons the request in progress, or the next one to start.
    void RequestStop() { m_stopRequest = true; }
    bool StopRequested() const { return m_stopRequest; }

    enum ThumbnailResult { ThumbnailSaved = 0, ThumbnailAbort = 1, ThumbnailSkipped = 2 };
    int DownloadThumbnail(const QString& url, const QString& path);

    // The name a row is recorded under in the link base: a link item's text
    // without its leading "/", its query and its fragment.
    static QString RecordedFileName(const QString& firstColumn);
    static QString RunPositionText(int current, int total);
    // What a row's write asks for, to find its post when the reply was lost.
    static WrittenPost WrittenPostOf(const UploadItem& item);

private:
    // False when the run is to end.
    bool ProcessRow(int index);
    // A row whose post exists goes, and the list is saved at once, so no
    // later run posts it again.
    void DropPostedRow(int index);
    void show(const QString& text);

    UploadList& m_list;
    IUploadRunView& m_view;
    bool m_running = false;
    bool m_stopRequest = false;
    TransferProgress m_callback;
    int m_stateCode = 0;
    QString m_publishOn;
};

} // namespace ruvia
