#include "upload/uploadlist.h"

#include "base/linkbase.h"
#include "core/group.h"
#include "platform/log.h"
#include "platform/paths.h"
#include "platform/prompter.h"
#include "platform/shell.h"
#include "platform/textrules.h"
#include "platform/textutil.h"
#include "platform/waitcursor.h"
#include "platform/xmldocument.h"
#include "upload/uploadfiles.h"

#include <QFile>
#include <QImage>

#include <limits>

namespace ruvia {

namespace {
const QString kUploadsFileName = QStringLiteral("Uploads.XML");
// The name an early version wrote; moved to kUploadsFileName on load.
const QString kMisspelledFileName = QStringLiteral("Uplods.XML");
const QString kInFolderPrefix = QStringLiteral("*\\");

qint32 clampSize(qint64 size)
{
    return qint32(qBound(qint64(0), size, qint64(std::numeric_limits<qint32>::max())));
}

QString linkDisplayName(const QString& url) { return u'/' + tsGetFileName(url); }
} // namespace

QString FitAltText(const QString& text)
{
    if (text.size() <= kAltTextLimit)
        return text;
    qsizetype cut = kAltTextLimit;
    // Neither half of a pair is kept alone: a lone CR would read back as a
    // line break of its own.
    if (text.at(cut - 1).isHighSurrogate() || (text.at(cut - 1) == u'\r' && text.at(cut) == u'\n'))
        --cut;
    return text.left(cut);
}

bool UploadItem::IsLink() const { return MyPathIsURL(FileName); }

QStringList UploadList::ColumnTitles()
{
    return {QStringLiteral("File name"), QStringLiteral("Size"), QStringLiteral("Caption"),
            QStringLiteral("Tags"), QStringLiteral("Click-throught URL"),
            QStringLiteral("Full file name")};
}

QList<int> UploadList::DefaultColumnWidthsTwips() { return {2820, 1080, 3000, 2000, 3000, 9000}; }

QString UploadList::UploadsFile() { return tsBuildFileName(SET_DataPath, kUploadsFileName); }

UploadList::UploadList(QObject* parent) : QAbstractTableModel(parent) {}

int UploadList::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : count();
}

int UploadList::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QString UploadList::displayText(const UploadItem& item, int column) const
{
    switch (column) {
    case ColFileName:
        return item.OriginalFileName;
    case ColSize:
        return item.SizeText;
    case ColCaption: {
        // One line per row: the breaks show as blanks.
        QString caption = item.Caption;
        caption.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
        return caption;
    }
    case ColTags:
        return item.Tags;
    case ColClickThroughURL:
        return item.ClickThroughURL;
    case ColFullFileName:
        return item.FileName;
    default:
        return {};
    }
}

QVariant UploadList::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= count())
        return {};
    const UploadItem& it = m_items.at(index.row());
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole)
        return displayText(it, index.column());
    if (role == Qt::CheckStateRole && index.column() == ColFileName)
        return it.Selected ? Qt::Checked : Qt::Unchecked;
    if (role == SizeBytesRole && index.column() == ColSize)
        return it.SizeBytes;
    if (role == Qt::TextAlignmentRole && index.column() == ColSize)
        return int(Qt::AlignRight | Qt::AlignVCenter);
    return {};
}

QVariant UploadList::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole)
        return ColumnTitles().value(section);
    return QAbstractTableModel::headerData(section, orientation, role);
}

Qt::ItemFlags UploadList::flags(const QModelIndex& index) const
{
    Qt::ItemFlags f = QAbstractTableModel::flags(index);
    if (index.isValid() && index.column() == ColFileName)
        f |= Qt::ItemIsUserCheckable;
    return f;
}

bool UploadList::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!index.isValid() || index.column() != ColFileName || role != Qt::CheckStateRole)
        return false;
    SetChecked(index.row(), value.toInt() == Qt::Checked);
    return true;
}

int UploadList::CheckedCount() const
{
    int n = 0;
    for (const UploadItem& it : m_items)
        n += it.Selected ? 1 : 0;
    return n;
}

QString UploadList::InfoText() const
{
    return QStringLiteral("%1 / %2 [%3]")
        .arg(CheckedCount())
        .arg(count())
        .arg(tsFormatByteSizeEx(double(m_totalBytes)));
}

void UploadList::SetChecked(int row, bool checked)
{
    if (row < 0 || row >= count() || m_items[row].Selected == checked)
        return;
    m_items[row].Selected = checked;
    const QModelIndex i = index(row, ColFileName);
    Q_EMIT dataChanged(i, i, {Qt::CheckStateRole});
}

void UploadList::SetUnconfirmedWrite(int row, int stateCode, const QString& newerThan,
                                     const QDateTime& sentAt)
{
    if (row < 0 || row >= count())
        return;
    const bool marked = stateCode >= 0;
    m_items[row].UnconfirmedState = marked ? stateCode : -1;
    m_items[row].UnconfirmedAfter = marked ? newerThan : QString();
    m_items[row].UnconfirmedAt = marked ? sentAt.toUTC() : QDateTime();
}

void UploadList::SetAllChecked(bool checked)
{
    for (int row = 0; row < count(); ++row)
        SetChecked(row, checked);
}

void UploadList::ListAddItem(const UploadItem& item)
{
    beginInsertRows({}, count(), count());
    m_items.append(item);
    m_totalBytes += item.SizeBytes;
    endInsertRows();
}

void UploadList::RemoveListItem(int index)
{
    if (index < 1 || index > count())
        return;
    const int row = index - 1;
    const UploadItem it = m_items.at(row);
    m_totalBytes -= it.SizeBytes;
    if (!it.IsLink())
        DeleteFileInLocalFolder(it.FileName);
    beginRemoveRows({}, row, row);
    m_items.removeAt(row);
    endRemoveRows();
}

int UploadList::FindCheckedItem(int position) const
{
    for (int index = qMax(position, 1); index <= count(); ++index)
        if (m_items.at(index - 1).Selected)
            return index;
    return 0;
}

void UploadList::LoadListedUploads()
{
    WaitCursor wait;
    beginResetModel();
    m_items.clear();
    m_totalBytes = 0;
    endResetModel();

    const QString path = UploadsFile();
    QFile::rename(tsBuildFileName(SET_DataPath, kMisspelledFileName), path);
    if (!tsIsFileExist(path))
        return;
    xhXMLDocument doc;
    if (!doc.Load(path, xhXMLDocument::kExactTextParse)) {
        MsgBox(joinMessage({path, QStringLiteral("Can't load uploads list."), doc.LastError()}),
               MB_ICONCRITICAL);
        return;
    }
    for (const pugi::xpath_node& node : doc.SelectNodes(QStringLiteral("/Uploads/UploadItem"))) {
        const pugi::xml_node e = node.node();
        auto child = [&](const char* name) { return fromU8(e.child(name).text().get()); };
        UploadItem it;
        it.FileName = child("FileName");
        if (it.FileName.startsWith(kInFolderPrefix) && !it.FileName.mid(2).contains(u'\\'))
            it.FileName = tsBuildFileName(SET_UploadsPath, it.FileName.mid(2));
        it.OriginalFileName = child("OriginalFileName");
        it.Selected = TextToBool(fromU8(e.attribute("Selected").value()), true);
        const pugi::xml_attribute state = e.attribute("UnconfirmedState");
        const QString after = fromU8(e.attribute("UnconfirmedAfter").value());
        const QDateTime at = QDateTime::fromString(fromU8(e.attribute("UnconfirmedAt").value()),
                                                   Qt::ISODate);
        if (state && state.as_int(-1) >= 0 && IsFileSafePostID(after) && at.isValid()) {
            it.UnconfirmedState = state.as_int(-1);
            it.UnconfirmedAfter = after;
            it.UnconfirmedAt = at.toUTC();
        }
        if (it.IsLink()) {
            if (it.OriginalFileName.isEmpty())
                it.OriginalFileName = linkDisplayName(it.FileName);
            it.SizeText = QStringLiteral("--");
        } else {
            if (it.OriginalFileName.isEmpty())
                it.OriginalFileName = tsGetFileName(it.FileName);
            if (tsIsFileExist(it.FileName)) {
                it.SizeBytes = clampSize(tsGetFileSize(it.FileName));
                it.SizeText = tsFormatByteSizeEx(double(it.SizeBytes));
            } else {
                it.SizeText = QStringLiteral("FNF");
            }
        }
        it.Caption = NormalizeLineBreaks(child("Caption"));
        it.Tags = NormalizeLineBreaks(child("Tags"));
        it.ClickThroughURL = NormalizeLineBreaks(child("ClickThroughURL"));
        it.AltText = FitAltText(NormalizeLineBreaks(child("AltText")));
        ListAddItem(it);
    }
}

bool UploadList::SaveListedUploads() const
{
    xhXMLDocument doc;
    doc.New(QStringLiteral("utf-8"));
    pugi::xml_node root = xhXMLDocument::AppendElement(doc.DocumentNode(), QStringLiteral("Uploads"));
    xhXMLDocument::AppendAttribute(root, QStringLiteral("Group"), SET_GroupName);
    for (const UploadItem& it : m_items) {
        pugi::xml_node e = xhXMLDocument::AppendElement(root, QStringLiteral("UploadItem"));
        xhXMLDocument::AppendAttribute(e, QStringLiteral("Selected"), BoolToText(it.Selected));
        if (it.UnconfirmedState >= 0) {
            xhXMLDocument::AppendAttribute(e, QStringLiteral("UnconfirmedState"),
                                           QString::number(it.UnconfirmedState));
            xhXMLDocument::AppendAttribute(e, QStringLiteral("UnconfirmedAfter"), it.UnconfirmedAfter);
            xhXMLDocument::AppendAttribute(e, QStringLiteral("UnconfirmedAt"),
                                           it.UnconfirmedAt.toUTC().toString(Qt::ISODate));
        }
        auto child = [&](const QString& name, const QString& text) {
            xhXMLDocument::SetText(xhXMLDocument::AppendElement(e, name), text);
        };
        child(QStringLiteral("OriginalFileName"), it.OriginalFileName);
        const bool inFolder = !it.IsLink() && IsFileInFolder(it.FileName, SET_UploadsPath);
        child(QStringLiteral("FileName"),
              inFolder ? kInFolderPrefix + tsGetFileName(it.FileName) : it.FileName);
        child(QStringLiteral("Caption"), it.Caption);
        child(QStringLiteral("Tags"), it.Tags);
        child(QStringLiteral("ClickThroughURL"), it.ClickThroughURL);
        // Only when there is one, so a queue without descriptions is stored
        // exactly as before.
        if (!it.AltText.isEmpty())
            child(QStringLiteral("AltText"), it.AltText);
    }
    const QString path = UploadsFile();
    if (doc.Save(path)) {
        Q_EMIT listSaved();
        return true;
    }
    ErrorReporter::ShowObjectError(doc.LastError(), MB_ICONCRITICAL,
                                   joinMessage({path, QStringLiteral("Can't save uploads list.")}));
    return false;
}

bool UploadList::PasteToList(const QString& text, bool treatAsFile, bool saveList, PostBoxes& boxes)
{
    QString source = text;
    if (source.isEmpty()) {
        source = tsTrimEx(shell().ClipboardText());
        if (source.isEmpty())
            return PasteClipboardPicture(saveList, boxes);
    }
    source = tsTrimEx2(source);

    UploadItem it;
    it.ClickThroughURL = boxes.clickThroughUrl;
    QString caption = boxes.caption;
    if (!MyPathIsURL(source) || treatAsFile) {
        if (source.isEmpty() || !tsIsFileExist(source))
            return false;
        ReadDescriptionFile(source, caption);
        it.FileName = CopyToUploadsFolder(source);
        if (it.FileName.isEmpty())
            return false;
        it.OriginalFileName = tsGetFileName(source);
        it.SizeBytes = clampSize(tsGetFileSize(source));
        it.SizeText = tsFormatByteSizeEx(double(it.SizeBytes));
    } else {
        it.FileName = source;
        it.OriginalFileName = linkDisplayName(source);
        it.SizeText = QStringLiteral("--");
    }
    AddWithBoxes(it, caption, saveList, boxes);
    return true;
}

bool UploadList::PasteClipboardPicture(bool saveList, PostBoxes& boxes)
{
    const QImage picture = shell().ClipboardImage();
    if (picture.isNull())
        return false;
    // Taken before the write, so the name tells when the picture was copied.
    const QDateTime now = QDateTime::currentDateTime();
    UploadItem it;
    it.FileName = SavePictureToUploadsFolder(picture);
    if (it.FileName.isEmpty())
        return false;
    it.OriginalFileName = QStringLiteral("Clipboard picture ") +
                          now.toString(QStringLiteral("yyyy-MM-dd HH-mm-ss")) + QStringLiteral(".png");
    it.SizeBytes = clampSize(tsGetFileSize(it.FileName));
    it.SizeText = tsFormatByteSizeEx(double(it.SizeBytes));
    it.ClickThroughURL = boxes.clickThroughUrl;
    AddWithBoxes(it, boxes.caption, saveList, boxes);
    return true;
}

void UploadList::AddWithBoxes(UploadItem it, const QString& caption, bool saveList, PostBoxes& boxes)
{
    captionHistory.Add(caption);
    tagsHistory.Add(boxes.tags);
    urlsHistory.Add(boxes.clickThroughUrl);
    altTextHistory.Add(boxes.altText);
    if (boxes.tagsFromCaption)
        boxes.tags = TagsFromCaption(caption);
    it.Caption = caption;
    it.Tags = boxes.tags;
    it.AltText = FitAltText(boxes.altText);
    ListAddItem(it);
    if (saveList)
        SaveListedUploads();
}

int UploadList::PasteFilesToList(const QStringList& files, PostBoxes& boxes)
{
    int added = 0;
    for (const QString& file : files)
        added += PasteToList(file, false, false, boxes) ? 1 : 0;
    SaveListedUploads();
    return added;
}

void UploadList::LoadHistories()
{
    captionHistory.InitFileName(SET_DataPath, QStringLiteral("History.DAT"));
    tagsHistory.InitFileName(SET_DataPath, QStringLiteral("Tags History.DAT"));
    urlsHistory.InitFileName(SET_DataPath, QStringLiteral("Click-Through URLs History.DAT"));
    altTextHistory.InitFileName(SET_DataPath, QStringLiteral("Alt Text History.DAT"));
    for (CHistory* h : {&captionHistory, &tagsHistory, &urlsHistory, &altTextHistory})
        h->LoadHistory();
}

void UploadList::SaveHistories()
{
    for (CHistory* h : {&captionHistory, &tagsHistory, &urlsHistory, &altTextHistory})
        h->SaveHistory();
}

} // namespace ruvia
