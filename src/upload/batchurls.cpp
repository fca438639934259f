#include "upload/batchurls.h"

#include "core/group.h"
#include "platform/fileio.h"
#include "platform/paths.h"
#include "platform/prompter.h"
#include "platform/textrules.h"
#include "platform/textutil.h"
#include "platform/waitcursor.h"
#include "upload/uploadqueue.h"

namespace ruvia {

namespace {
const QString kCRLF = QStringLiteral("\r\n");
}

QString BatchUrlsFile() { return tsBuildFileName(SET_DataPath, QStringLiteral("Batch URLs Data.TXT")); }

QString LoadBatchUrlsText()
{
    const QString path = BatchUrlsFile();
    QString text;
    QString error;
    if (tsIsFileExist(path) && !FileObject::readText(path, text, &error)) {
        ErrorReporter::ShowObjectError(error, MB_ICONCRITICAL,
                                       joinMessage({path, QStringLiteral("Can't load URLs list.")}));
        return {};
    }
    return text;
}

bool SaveBatchUrlsText(const QString& text)
{
    const QString path = BatchUrlsFile();
    QString error;
    if (FileObject::writeText(path, text, &error))
        return true;
    ErrorReporter::ShowObjectError(error, MB_ICONCRITICAL,
                                   joinMessage({path, QStringLiteral("Can't save URLs list.")}));
    return false;
}

bool HasBatchUrls(const QString& text) { return !tsTrimEx2(text).isEmpty(); }

BatchUrlLines SplitBatchUrls(const QString& text)
{
    BatchUrlLines lines;
    for (const QString& piece : text.split(kCRLF)) {
        const QString line = tsTrimEx2(piece);
        if (line.isEmpty())
            continue;
        if (MyPathIsURL(line))
            lines.valid.append(line);
        else
            lines.rejected += line + kCRLF;
    }
    return lines;
}

QString InsertBatchUrls(const QString& text, IUploadQueue& queue)
{
    WaitCursor wait;
    const BatchUrlLines lines = SplitBatchUrls(text);
    for (const QString& url : lines.valid)
        queue.PasteToList(url, false, false);
    queue.SaveListedUploads();
    return tsTrimCRLF(lines.rejected);
}

QString BatchUrlsNotice(bool rejected)
{
    QString notice = QStringLiteral("All done ^_^v");
    if (rejected)
        notice += kCRLF + kCRLF + QStringLiteral("Some lines contains invalid URLs. Please fix them.");
    return notice;
}

} // namespace ruvia
