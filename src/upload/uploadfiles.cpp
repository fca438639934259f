#include "upload/uploadfiles.h"

#include "core/group.h"
#include "core/settings.h"
#include "platform/fileio.h"
#include "platform/log.h"
#include "platform/paths.h"
#include "platform/prompter.h"
#include "platform/textrules.h"
#include "platform/textutil.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageWriter>
#include <QStandardPaths>

namespace ruvia {

QString CopyToUploadsFolder(const QString& source)
{
    if (source.isEmpty() || !tsCreateComplexDirectory(SET_UploadsPath))
        return {};
    QString extension = tsGetFileExtension(source).toUpper();
    if (!extension.isEmpty())
        extension.prepend(u'.');
    const QString target = tsBuildFileName(SET_UploadsPath, tsGetNewGUID() + extension);
    for (;;) {
        QString error;
        if (FileObject::copyFile(source, target, &error))
            return target;
        const int answer = ErrorReporter::ShowObjectError(
            error, MB_RETRYCANCEL | MB_ICONCRITICAL,
            joinMessage({source, QStringLiteral("Can't copy file to uploads folder.")}));
        if (answer != IDRETRY)
            return {};
    }
}

QString SavePictureToUploadsFolder(const QImage& picture)
{
    if (picture.isNull() || !tsCreateComplexDirectory(SET_UploadsPath))
        return {};
    const QString target = tsBuildFileName(SET_UploadsPath, tsGetNewGUID() + QStringLiteral(".PNG"));
    for (;;) {
        QImageWriter writer(target, "png");
        if (writer.write(picture))
            return target;
        QFile::remove(target);
        const int answer = ErrorReporter::ShowObjectError(
            writer.errorString(), MB_RETRYCANCEL | MB_ICONCRITICAL,
            joinMessage({target, QStringLiteral("Can't save clipboard picture to uploads folder.")}));
        if (answer != IDRETRY)
            return {};
    }
}

QString PicturesStartFolder()
{
    for (const auto location : {QStandardPaths::PicturesLocation, QStandardPaths::DocumentsLocation}) {
        const QString folder = QStandardPaths::writableLocation(location);
        if (!folder.isEmpty() && QFileInfo(folder).isDir())
            return folder;
    }
    return QDir::homePath();
}

bool ReadDescriptionFile(const QString& source, QString& caption)
{
    const QString side = source + QString::fromUtf16(kDescriptionSuffix);
    if (!tsIsFileExist(side))
        return false;
    if (SET_AskBeforeApplyDescription &&
        MsgBox(joinMessage({side, QStringLiteral("Read caption from this file?")}),
               MB_OKCANCEL | MB_ICONINFORMATION) != IDOK)
        return false;
    for (;;) {
        QString text, error;
        if (FileObject::readText(side, text, &error)) {
            caption = NormalizeLineBreaks(text);
            return true;
        }
        const int answer = ErrorReporter::ShowObjectError(
            error, MB_RETRYCANCEL | MB_ICONCRITICAL,
            joinMessage({side, QStringLiteral("Can't read description file.")}));
        if (answer != IDRETRY)
            return false;
    }
}

void DeleteFileInLocalFolder(const QString& path)
{
    if (!IsFileInFolder(path, SET_UploadsPath)) {
        MsgBox(QStringLiteral("frmUploader::DeleteFileInLocalFolder()\r\n"
                              "FileName not in SET_UploadsPath!\r\n\r\n"
                              "Please report this to developer!"),
               MB_ICONCRITICAL);
        return;
    }
    // A copy that is already gone (a row loaded as "FNF") leaves nothing to do.
    while (QFile::exists(path)) {
        QFile file(path);
        if (file.remove())
            return;
        const int answer = ErrorReporter::ShowObjectError(
            file.errorString(), MB_RETRYCANCEL | MB_ICONCRITICAL,
            joinMessage({path, QStringLiteral("Can't delete file from uploads folder.")}));
        if (answer != IDRETRY)
            return;
    }
}

QByteArray ReadUploadFile(const QString& path)
{
    for (;;) {
        QByteArray content;
        QString error;
        if (FileObject::readBytes(path, content, &error))
            return content;
        const int answer = ErrorReporter::ShowObjectError(
            error, MB_RETRYCANCEL | MB_ICONCRITICAL,
            joinMessage({path, QStringLiteral("Can't read file.")}));
        if (answer != IDRETRY)
            return {};
    }
}

bool CopyLocalImageToBase(const QString& source, const QString& target)
{
    if (QFile::exists(target))
        QFile::setPermissions(target, QFile::permissions(target) | QFile::WriteOwner);
    QString error;
    // A queued copy is taken off the queue right after this; moving it costs
    // nothing where a copy would write the whole picture once more.
    bool copied = false;
    if (IsFileInFolder(source, SET_UploadsPath) && !target.isEmpty()) {
        QFile::remove(target);
        copied = QFile::rename(source, target);
    }
    if (!copied)
        copied = FileObject::copyFile(source, target, &error);
    if (!copied)
        MsgBox(joinMessage({source,
                            QStringLiteral("Can't copy uploaded file to base. You can import it "
                                           "manually later."),
                            target}),
               MB_ICONCRITICAL);
    // A failed copy is worth a look later, so its lines reach the log file.
    const auto log = copied ? tsDebugPrint : tsLogWarning;
    log(QStringLiteral("frmUploader::CopyLocalImageToBase() ==>"));
    log(QStringLiteral("   SourceFileName: ") + source);
    log(QStringLiteral("   TargetFileName: ") + target);
    log(QStringLiteral("   RC:             ") + QString::number(copied ? 1 : 0));
    if (!copied)
        tsLogError(QStringLiteral("frmUploader::CopyLocalImageToBase() ==> ") + error);
    return copied;
}

QString TagsFromCaption(const QString& caption)
{
    const QString tags = MakeSafeFileName(tsGetLineOnly(caption));
    return tags.contains(u',') ? u'"' + tags + u'"' : tags;
}

} // namespace ruvia
