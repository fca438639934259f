#include "links/batches.h"

#include "base/linkbase.h"
#include "core/group.h"
#include "core/settings.h"
#include "platform/filedialogs.h"
#include "platform/fileio.h"
#include "platform/inifile.h"
#include "platform/paths.h"
#include "platform/prompter.h"
#include "platform/shell.h"
#include "service/account.h"
#include "service/postlookup.h"

#include <QFile>
#include <QLocale>

namespace ruvia {

namespace {
const QString kRecentSection = QStringLiteral("Recent Directories");
const QString kImportFolderKey = QStringLiteral("Last Import Picture Directory");

QString headerValue(const QString& headers, const QString& name)
{
    for (const QString& line : headers.split(QStringLiteral("\r\n"))) {
        const qsizetype colon = line.indexOf(u':');
        if (colon > 0 && line.left(colon).trimmed().compare(name, Qt::CaseInsensitive) == 0)
            return line.mid(colon + 1).trimmed();
    }
    return {};
}
} // namespace

QString ImportPictureFilter()
{
    return QStringLiteral("Pictures|*.JPG;*.JPE;*.JPEG;*.GIF;*.BMP;*.DIB;*.RLE;*.PNG|All files|*.*");
}

QString NotAPictureReason(const QString& responseHeaders, const QByteArray& body)
{
    if (body.isEmpty())
        return QStringLiteral("The server sent an empty reply instead of the picture.");
    const QString type = headerValue(responseHeaders, QStringLiteral("Content-Type"));
    if (type.section(u';', 0, 0).trimmed().compare(u"text/html", Qt::CaseInsensitive) == 0)
        return QStringLiteral("The server sent a web page (%1, %2 bytes) instead of the picture.")
            .arg(type, QLocale::c().toString(body.size()));
    return {};
}

void PictureOperations::runBatch(const std::function<bool(const QString&)>& step)
{
    PostList& list = m_host.posts();
    const QList<int> rows = list.selectedRows();
    if (rows.isEmpty())
        return;
    m_host.setCancelRequest(false);
    m_host.setBusy(true);
    for (int k = 0; k < rows.size() && !m_host.cancelRequested(); ++k) {
        const int row = rows.at(k);
        list.setCurrentIndex(row);
        if (!step(PostIdOfItem(list.itemText(row))))
            break;
        if (k + 1 < rows.size())
            list.selectRange(row, row, false);
    }
    m_host.setCancelRequest(false);
    m_host.setBusy(false);
    SaveLinksBase();
    m_host.listClicked();
}

bool PictureOperations::progressAndGoOn(const QString& text)
{
    m_host.showProgress(text);
    return !m_host.cancelRequested();
}

void PictureOperations::ResolveSelectedPosts()
{
    runBatch([this](const QString& id) {
        if (IsLinkResolved(id))
            return progressAndGoOn(QStringLiteral("Post ") + id + QStringLiteral(" already resolved."));
        m_host.showProgress(QStringLiteral("Resolving post ") + id + QStringLiteral("..."));
        return ResolvePost(id);
    });
}

bool PictureOperations::ResolvePost(const QString& postId)
{
    for (;;) {
        PostLinks links;
        const int parsed = CurrentAccount().ReadPostLinks(CurrentGroupId(), postId,
                                                          m_host.transferCallback(), links);
        if (parsed == LookupAbort)
            return false;
        if (parsed == LookupIgnore)
            return true;
        if (parsed == LookupRetry)
            continue;
        ResolveLink(postId, links);
        SaveLinksBase();
        return true;
    }
}

void PictureOperations::ResetSelectedLinks()
{
    const int n = int(m_host.posts().selectedRows().size());
    if (n == 0)
        return;
    if (MsgBox(QStringLiteral("Reset selected links?\r\nTotal links to reset: %1").arg(n),
               MB_OKCANCEL | MB_ICONQUESTION) != IDOK)
        return;
    runBatch([this](const QString& id) {
        if (IsLinkResolved(id)) {
            m_host.showProgress(QStringLiteral("Resetting post ") + id + QStringLiteral("..."));
            return ResetLink(id);
        }
        return progressAndGoOn(QStringLiteral("Post ") + id + QStringLiteral(" not resolved."));
    });
}

void PictureOperations::DownloadSelectedFiles(bool thumbnails, bool missingOnly)
{
    runBatch([this, thumbnails, missingOnly](const QString& id) {
        const QString file = thumbnails ? GetThumbnailFileName(id) : GetPictureFileName(id);
        const QString url = thumbnails ? GetThumbnailURL(id) : GetPictureURL(id);
        if (!IsLinkResolved(id) || url.isEmpty())
            return progressAndGoOn(QStringLiteral("Link not resolved!\r\n") + file);
        if (missingOnly && tsIsFileExist(file))
            return progressAndGoOn(QStringLiteral("File Ok!\r\n") + file);
        m_host.showProgress(QStringLiteral("Downloading picture for post ") + id + QStringLiteral("..."));
        return DownloadFile(url, file);
    });
}

bool PictureOperations::DownloadFile(const QString& url, const QString& fileName)
{
    HTTPRequest request;
    request.Proxy().Load();
    request.SetReplyLimit(kPictureReplyLimit);
    QString host;
    QString path;
    int port = 80;
    bool secure = false;
    const bool parsed = HTTPRequest::ParseURL(url, host, port, path, &secure);
    for (;;) {
        QString problem;
        if (!parsed) {
            problem = QStringLiteral("The address is not one the program can download from.");
        } else {
            request.Reset();
            request.Send(host, port, QStringLiteral("GET"), path, QStringLiteral("HTTP/1.1"), QString(),
                         QByteArray(), SET_Timeout, HTTPRequest::GetAgentString(),
                         m_host.transferCallback(), secure);
            if (request.GetErrorKind() == ErrorCancelled)
                return false;
            if (request.HasFailed())
                problem = request.GetRequestErrorText();
            else
                problem = NotAPictureReason(request.GetResponseHeaders(), request.GetResponseBody());
            if (problem.isEmpty() && fileName.isEmpty())
                problem = QStringLiteral("The post has no local file name for this picture.");
            if (problem.isEmpty())
                return SaveReceivedFile(fileName, request.GetResponseBody());
        }
        switch (ErrorReporter::AskAbortRetryIgnore(
            joinMessage({url, QStringLiteral("Can't download file."), problem}))) {
        case IDABORT:
            return false;
        case IDIGNORE:
            return true;
        default:
            break;
        }
    }
}

bool PictureOperations::SaveReceivedFile(const QString& fileName, const QByteArray& data)
{
    for (;;) {
        QString error;
        // A picture can be fetched again, so it is not waited for on the disk.
        WriteOptions options;
        options.syncToDisk = false;
        if (FileObject::writeBytes(fileName, data, &error, options))
            return true;
        switch (ErrorReporter::ShowObjectError(error, MB_ABORTRETRYIGNORE | MB_ICONCRITICAL,
                                               joinMessage({fileName, QStringLiteral("Error saving received file.")}))) {
        case IDABORT:
            return false;
        case IDIGNORE:
            return true;
        default:
            break;
        }
    }
}

void PictureOperations::DeleteSelectedFiles(bool thumbnails)
{
    PostList& list = m_host.posts();
    QStringList files;
    for (int row : list.selectedRows()) {
        const QString id = PostIdOfItem(list.itemText(row));
        const QString file = thumbnails ? GetThumbnailFileName(id) : GetPictureFileName(id);
        if (!file.isEmpty())
            files.append(file);
    }
    if (files.isEmpty())
        return;
    const QString question = QStringLiteral("Delete %1picture files?\r\nTotal files to delete: %2")
                                 .arg(thumbnails ? QStringLiteral("thumbnail ") : QString())
                                 .arg(files.size());
    if (MsgBox(question, MB_OKCANCEL | MB_ICONQUESTION) != IDOK)
        return;
    for (const QString& file : files)
        DeleteLocalFile(file, files.size() == 1);
    m_host.listClicked();
}

void PictureOperations::DeleteLocalFile(const QString& fileName, bool reportMissing)
{
    if (tsIsFileExist(fileName)) {
        if (!QFile::remove(fileName))
            MsgBox(joinMessage({fileName, QStringLiteral("Can't delete file.")}), MB_ICONCRITICAL);
    } else if (reportMissing) {
        MsgBox(QStringLiteral("It's is not downloaded yet. Nothing to delete ^^"), MB_ICONINFORMATION);
    }
}

void PictureOperations::ImportFile(const QString& originalFileName, const QString& targetFileName)
{
    if (targetFileName.isEmpty())
        return;
    const QString settings = GetGroupSettingsFile();
    FileDialogOptions options;
    options.filter = ImportPictureFilter();
    options.fileName = originalFileName;
    options.initialFolder = tsReadStringFromINI(kRecentSection, kImportFolderKey, QString(), settings);
    const QString chosen = fileDialogs().ShowOpen(options);
    if (chosen.isEmpty())
        return;
    tsWriteStringToINI(kRecentSection, kImportFolderKey, tsGetFilePath(chosen), settings);
    if (tsIsFileExist(targetFileName)) {
        if (MsgBox(joinMessage({targetFileName, QStringLiteral("File already exist in the base. Replace it?")}),
                   MB_OKCANCEL | MB_ICONQUESTION) != IDOK)
            return;
        QFile::setPermissions(targetFileName, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup |
                                                  QFile::ReadOther);
    }
    QByteArray data;
    QString error;
    // Copied through a whole-file write, so a failed copy leaves the old picture.
    if (!FileObject::readBytes(chosen, data, &error) ||
        !FileObject::writeBytes(targetFileName, data, &error)) {
        ErrorReporter::ShowObjectError(error, MB_ICONCRITICAL, QStringLiteral("Can't copy file."));
        return;
    }
    MsgBox(QStringLiteral("Picture has successfuly added to the base."), MB_ICONINFORMATION);
    m_host.listClicked();
}

void PictureOperations::ImportSelectedFile(bool thumbnail)
{
    const QString id = singleSelectedPost();
    if (!id.isEmpty())
        ImportFile(GetOriginalFileName(id), thumbnail ? GetThumbnailFileName(id) : GetPictureFileName(id));
}

QString PictureOperations::singleSelectedPost()
{
    PostList& list = m_host.posts();
    const QList<int> rows = list.selectedRows();
    return rows.size() == 1 ? PostIdOfItem(list.itemText(rows.first())) : QString();
}

void PictureOperations::OpenPost()
{
    const QString id = singleSelectedPost();
    if (id.isEmpty() || !IsLinkResolved(id))
        return;
    const QString url = GetPostURL(id);
    if (url.isEmpty()) {
        MsgBox(QStringLiteral("For some reason post URL for this picture not found."), MB_ICONCRITICAL);
        return;
    }
    if (!shell().Open(url))
        MsgBox(joinMessage({url, QStringLiteral("Can't open picture post.")}), MB_ICONCRITICAL);
}

} // namespace ruvia
