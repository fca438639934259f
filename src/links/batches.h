#pragma once
// The picture operations of the links window: resolving posts against the
// service, resetting links, downloading, deleting and importing pictures,
// and opening a post's page. The batches work on the selected posts in list
// order, show their progress, stop at the user's request between steps and
// inside transfers, and save the link base at their end.
#include "links/postlist.h"
#include "platform/httprequest.h"

#include <QString>

#include <functional>

namespace ruvia {

// What the operations need of the window they run in.
class BatchHost {
  public:
    virtual ~BatchHost() = default;
    virtual PostList& posts() = 0;
    // The window is busy: controls off, the progress panel shown.
    virtual void setBusy(bool busy) = 0;
    virtual bool cancelRequested() const = 0;
    virtual void setCancelRequest(bool cancel) = 0;
    // Shows a progress text and lets pending window events run (so Esc and
    // the close box reach the batch).
    virtual void showProgress(const QString& text) = 0;
    // As a click on the list: the slots and the preview follow.
    virtual void listClicked() = 0;
    // The callback for transfers: progress, traffic and the stop.
    virtual IHTTPRequestCallback* transferCallback() = 0;
};

// The file filter of the import dialog.
QString ImportPictureFilter();

// What came back instead of a picture ("" when body looks like one): an
// empty reply, or a page declared as HTML (a proxy's or the service's error
// page).
QString NotAPictureReason(const QString& responseHeaders, const QByteArray& body);

class PictureOperations {
  public:
    explicit PictureOperations(BatchHost& host) : m_host(host) {}

    void ResolveSelectedPosts();
    // True: go on with the batch; false: stop it.
    bool ResolvePost(const QString& postId);
    void ResetSelectedLinks();
    void DownloadSelectedFiles(bool thumbnails, bool missingOnly);
    // True: go on; false: stop (Abort, or stopped by the user).
    bool DownloadFile(const QString& url, const QString& fileName);
    // Replaces the file in one step, so a failed write leaves the old one.
    static bool SaveReceivedFile(const QString& fileName, const QByteArray& data);
    void DeleteSelectedFiles(bool thumbnails);
    static void DeleteLocalFile(const QString& fileName, bool reportMissing);
    void ImportFile(const QString& originalFileName, const QString& targetFileName);
    // Import thumbnail / picture of the one selected post.
    void ImportSelectedFile(bool thumbnail);
    void OpenPost();

  private:
    // The common frame of resolve, reset and download: step returns false to
    // end the batch.
    void runBatch(const std::function<bool(const QString& postId)>& step);
    // A text that ends the step when a stop was asked for meanwhile.
    bool progressAndGoOn(const QString& text);
    QString singleSelectedPost();

    BatchHost& m_host;
};

} // namespace ruvia
