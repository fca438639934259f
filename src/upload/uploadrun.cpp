#include "upload/uploadrun.h"

#include "base/linkbase.h"
#include "core/group.h"
#include "core/settings.h"
#include "platform/fileio.h"
#include "platform/httprequest.h"
#include "platform/log.h"
#include "platform/prompter.h"
#include "platform/textutil.h"
#include "service/account.h"
#include "service/postlookup.h"
#include "service/postsubmit.h"
#include "service/requestframe.h"
#include "upload/uploadfiles.h"
#include "upload/lostpost.h"
#include "upload/uploadlist.h"

#include <QCoreApplication>
#include <QImageReader>

namespace ruvia {

CUploadRun::CUploadRun(UploadList& list, IUploadRunView& view, CStatistics* statistics)
    : m_list(list),
      m_view(view),
      m_callback([this](const QString& text) { m_view.ShowProgress(text); }, statistics,
                 m_stopRequest, TransferProgress::ClearStopRequest)
{
}

QString CUploadRun::RecordedFileName(const QString& firstColumn)
{
    if (!firstColumn.startsWith(u'/'))
        return firstColumn;
    QString name = firstColumn.mid(1);
    name = name.left(name.indexOf(u'?'));
    return name.left(name.indexOf(u'#'));
}

QString CUploadRun::RunPositionText(int current, int total)
{
    return QStringLiteral("Picture %1 of %2").arg(current).arg(total);
}

void CUploadRun::show(const QString& text)
{
    m_view.ShowProgress(text);
    QCoreApplication::processEvents();
}

void CUploadRun::Start(int stateCode, const QString& publishOn)
{
    if (m_running || m_list.count() == 0)
        return;
    if (m_list.CheckedCount() == 0) {
        MsgBox(QStringLiteral("No elements was checked. Nothing to upload."), MB_ICONINFORMATION);
        return;
    }
    m_stateCode = stateCode;
    m_publishOn = publishOn;
    // A stop asked for after the last run's last request is not this run's.
    m_stopRequest = false;
    m_view.SelectRow(-1);
    m_running = true;
    m_view.UpdateControls();

    const int total = m_list.CheckedCount();
    int current = 0;
    int position = 0;
    for (;;) {
        const int index = m_list.FindCheckedItem(position);
        position = index;
        if (index == 0) {
            m_view.ShowProgress(QStringLiteral("All done..."));
            if (m_list.CheckedCount() == 0)
                MsgBox(QStringLiteral("All done ^_^v"), MB_ICONINFORMATION);
            break;
        }
        m_view.ShowRunPosition(RunPositionText(++current, total));
        if (!ProcessRow(index))
            break;
        m_list.RemoveListItem(index);
        m_list.SaveListedUploads();
        m_view.UpdateControls();
    }
    m_running = false;
    m_view.UpdateControls();
}

void CUploadRun::DropPostedRow(int index)
{
    m_view.SetStatusColor(2);
    m_list.RemoveListItem(index);
    m_list.SaveListedUploads();
}

WrittenPost CUploadRun::WrittenPostOf(const UploadItem& item)
{
    WrittenPost written;
    written.caption = item.Caption;
    written.tags = item.Tags;
    written.clickThroughUrl = item.ClickThroughURL;
    written.recordedName = RecordedFileName(item.OriginalFileName);
    if (!item.IsLink())
        written.pictureSize = QImageReader(item.FileName).size();
    written.stateCode = item.UnconfirmedState;
    written.newerThan = item.UnconfirmedAfter;
    written.sentAt = item.UnconfirmedAt;
    return written;
}

bool CUploadRun::ProcessRow(int index)
{
    const UploadItem item = m_list.item(index - 1);
    m_view.SelectRow(index - 1);
    m_view.SetStatusColor(0);

    // A write of this row whose reply never came may have made its post.
    QString postId;
    if (item.UnconfirmedState >= 0) {
        show(QStringLiteral("Looking for the post of the last try..."));
        const int found = FindLostPost(WrittenPostOf(item), &m_callback, postId);
        if (found == LostPostAbort) {
            m_view.SetStatusColor(2);
            return false;
        }
        if (found != LostPostInBase && found != LostPostOnBlog)
            postId.clear();
    }

    if (postId.isEmpty()) {
        QByteArray content;
        QString source;
        if (item.IsLink()) {
            source = item.FileName;
        } else {
            content = ReadUploadFile(item.FileName);
            if (content.isEmpty()) {
                m_view.SetStatusColor(2);
                return false;
            }
        }
        // Kept on disk before the request goes, so that even a run killed
        // while it waits for the reply looks for the post before posting again.
        m_list.SetUnconfirmedWrite(index - 1, m_stateCode, HighestPostID(),
                                   QDateTime::currentDateTimeUtc());
        m_list.SaveListedUploads();
        show(QStringLiteral("Uploading picture..."));
        bool unconfirmed = false;
        PhotoPost post;
        post.caption = item.Caption;
        post.tags = item.Tags;
        post.clickThroughUrl = item.ClickThroughURL;
        post.altText = item.AltText;
        post.state = m_stateCode;
        post.publishOn = m_publishOn;
        post.data = std::move(content);
        post.fileName = RecordedFileName(item.OriginalFileName);
        post.source = source;
        const bool posted = CurrentAccount().WritePhotoPost(CurrentGroupId(), post, &m_callback,
                                                            postId, &unconfirmed);
        post.data = QByteArray();
        if (!posted) {
            if (!unconfirmed) {
                m_list.SetUnconfirmedWrite(index - 1, -1, {}, {});
                m_list.SaveListedUploads();
            }
            m_view.SetStatusColor(2);
            return false;
        }
    }
    if (!FindLink(postId)) {
        AddLink(postId, RecordedFileName(item.OriginalFileName),
                tsGetFullUserName(SET_AttoFormat));
        SaveLinksBase();
    }
    if (!SET_ResolvePosts)
        return true;

    show(QStringLiteral("Resolving post ") + postId + QStringLiteral("..."));
    PostLinks links;
    for (;;) {
        const int outcome =
            CurrentAccount().ReadPostLinks(CurrentGroupId(), postId, &m_callback, links);
        if (outcome == LookupAbort) {
            DropPostedRow(index);
            return false;
        }
        if (outcome == LookupIgnore)
            return true;
        if (outcome != LookupRetry)
            break;
        m_view.SetStatusColor(1);
    }
    m_view.SetStatusColor(0);
    ResolveLink(postId, links);
    SaveLinksBase();

    if (SET_DownloadThumbnails) {
        show(QStringLiteral("Downloading thumbnail for post ") + postId + QStringLiteral("..."));
        if (DownloadThumbnail(GetThumbnailURL(postId), GetThumbnailFileName(postId)) ==
            ThumbnailAbort) {
            DropPostedRow(index);
            return false;
        }
    }
    m_view.SetStatusColor(0);
    if (!item.IsLink() && SET_CopyUploadedFileToBase)
        CopyLocalImageToBase(item.FileName, GetPictureFileName(postId));
    return true;
}

int CUploadRun::DownloadThumbnail(const QString& url, const QString& path)
{
    QString host, requestPath;
    int port = 0;
    bool secure = false;
    if (path.isEmpty() || !HTTPRequest::ParseURL(url, host, port, requestPath, &secure)) {
        // The post was read back without a usable thumbnail address.
        tsLogWarning(QStringLiteral("frmUploader::DownloadThumbnail() ==> no thumbnail at \"%1\"")
                         .arg(url));
        return ThumbnailSkipped;
    }
    HTTPRequest request;
    ProxySettings proxy;
    proxy.Load();
    request.SetProxy(proxy);
    request.SetReplyLimit(kPictureReplyLimit);
    for (;;) {
        request.Reset();
        request.Send(host, port, QStringLiteral("GET"), requestPath,
                     QString::fromUtf16(kServiceProtocol), {}, {}, SET_Timeout,
                     HTTPRequest::GetAgentString(), &m_callback, secure);
        if (!request.HasFailed()) {
            for (;;) {
                QString error;
                if (FileObject::writeBytes(path, request.GetResponseBody(), &error))
                    return ThumbnailSaved;
                const int answer = ErrorReporter::ShowObjectError(
                    error, MB_RETRYCANCEL | MB_ICONCRITICAL,
                    joinMessage({path, QStringLiteral("Can't save downloaded thumbnail.")}));
                if (answer != IDRETRY)
                    return ThumbnailSkipped;
            }
        }
        if (request.GetErrorKind() == ErrorCancelled)
            return ThumbnailAbort;
        m_view.SetStatusColor(1);
        const int answer = ErrorReporter::AskAbortRetryIgnore(joinMessage(
            {url, QStringLiteral("Can't download thumbnail."), request.GetRequestErrorText()}));
        if (answer == IDABORT)
            return ThumbnailAbort;
        if (answer != IDRETRY)
            return ThumbnailSkipped;
    }
}

} // namespace ruvia
