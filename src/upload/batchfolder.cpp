#include "upload/batchfolder.h"

#include "core/group.h"
#include "core/settings.h"
#include "platform/inifile.h"
#include "platform/paths.h"
#include "platform/prompter.h"
#include "platform/textrules.h"
#include "platform/textutil.h"
#include "platform/waitcursor.h"
#include "upload/uploadqueue.h"

#include <QDir>
#include <QSet>

#include <algorithm>

namespace ruvia {

namespace {
const QString kRecentSection = QStringLiteral("Recent Directories");
const QString kLastFolderKey = QStringLiteral("Last Batch Directory");
const QString kHistoryFile = QStringLiteral("Batch Path History.DAT");

const QSet<QString>& pictureExtensions()
{
    static const QSet<QString> set = [] {
        const QStringList list =
            QString::fromUtf16(kPictureExtensions).split(u'|', Qt::SkipEmptyParts);
        return QSet<QString>(list.begin(), list.end());
    }();
    return set;
}
} // namespace

bool IsPictureFileName(const QString& name)
{
    return pictureExtensions().contains(tsGetFileExtension(name).toLower());
}

bool ListPictureFiles(const QString& folder, QStringList& names, QString* error)
{
    names.clear();
    QStringList all;
    if (!tsListFolderFiles(folder, all, error))
        return false;
    names.reserve(all.size());
    for (const QString& name : all)
        if (IsPictureFileName(name))
            names.append(name);
    // The stable sort keeps this order among names that differ only in case.
    std::sort(names.begin(), names.end());
    SortStringList(names);
    return true;
}

QString BatchCaption(int count)
{
    const QString title = MakeWindowTitle();
    QString caption = QStringLiteral("Batch mode :: ") + QString::number(count);
    if (!title.isEmpty())
        caption += QStringLiteral(" :: ") + title;
    return caption;
}

QString CBatchFolder::Load()
{
    m_history.InitFileName(SET_DataPath, kHistoryFile);
    m_history.LoadHistory();
    QString folder = tsTrimEx(tsReadStringFromINI(kRecentSection, kLastFolderKey, {}, GetGroupSettingsFile()));
    if (folder.isEmpty()) {
        folder = tsGetSpecialFolder(CSIDL_PERSONAL);
        // Unlike Windows, a desktop here need not have a documents folder.
        if (!tsIsDirectoryExist(folder))
            folder = QDir::homePath();
    }
    return folder;
}

void CBatchFolder::Unload()
{
    tsWriteStringToINI(kRecentSection, kLastFolderKey, m_path, GetGroupSettingsFile());
    m_history.SaveHistory();
}

bool CBatchFolder::SetCurrentPath(const QString& path)
{
    const QString folder = tsTrimEx2(path);
    if (folder.isEmpty())
        return false;
    m_files.clear();
    m_path = folder;
    if (!tsIsDirectoryExist(folder)) {
        MsgBox(joinMessage({folder, QStringLiteral("Directory was not found.")}), MB_ICONCRITICAL);
        return true;
    }
    QString error;
    if (!ListPictureFiles(folder, m_files, &error))
        ErrorReporter::ShowObjectError(error, MB_ICONCRITICAL,
                                       joinMessage({folder, QStringLiteral("Cat't get picture files list.")}));
    return true;
}

int CBatchFolder::CreateItems(ListSelection& list, IUploadQueue& queue)
{
    int handed = 0;
    {
        WaitCursor wait;
        const int n = std::min(list.count(), int(m_files.size()));
        for (int i = 0; i < n; ++i) {
            if (!list.isSelected(i))
                continue;
            queue.PasteToList(tsBuildFileName(m_path, m_files.at(i)), false, false);
            list.selectRange(i, i, false);
            ++handed;
        }
        m_history.Add(m_path);
        queue.SaveListedUploads();
    }
    MsgBox(QStringLiteral("All done ^_^v"), MB_ICONINFORMATION);
    return handed;
}

} // namespace ruvia
