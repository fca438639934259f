#pragma once
// The upload queue of the open group: the rows of the task list, their check
// boxes and total size, the list file Uploads.XML that keeps them across
// runs, and every way of adding and removing a row. The window shows it in a
// view; the upload run walks it.
#include "support/history.h"

#include <QAbstractTableModel>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QtGlobal>

namespace ruvia {

// The longest picture description a row keeps, in UTF-16 units.
inline constexpr int kAltTextLimit = 4096;
// text cut to kAltTextLimit, never between the two halves of a surrogate pair.
QString FitAltText(const QString& text);

struct UploadItem {
    // A local picture: its copy in the uploads folder. A link item: the URL.
    QString FileName;
    QString OriginalFileName;
    QString SizeText;
    qint32 SizeBytes = 0;
    // Line breaks are CR LF.
    QString Caption;
    QString Tags;
    QString ClickThroughURL;
    bool Selected = true;
    // Set while a write of this row may have made a post the base does not
    // hold yet: that write's post state code, the highest post ID the base
    // held before it and when it was sent (UTC). -1 when no write is in doubt.
    int UnconfirmedState = -1;
    QString UnconfirmedAfter;
    QDateTime UnconfirmedAt;
    // The picture described for people who cannot see it (FitAltText).
    // Line breaks are CR LF.
    QString AltText = {};

    bool IsLink() const;
    bool operator==(const UploadItem&) const = default;
};

// What the post property fields hold when an item is added.
struct PostBoxes {
    QString caption;
    QString tags;
    QString clickThroughUrl;
    bool tagsFromCaption = false;
    QString altText = {};
};

class UploadList : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column {
        ColFileName,
        ColSize,
        ColCaption,
        ColTags,
        ColClickThroughURL,
        ColFullFileName,
        ColumnCount
    };
    // SizeBytes: the tag of the Size cell.
    static constexpr int SizeBytesRole = Qt::UserRole;

    static QStringList ColumnTitles();
    static QList<int> DefaultColumnWidthsTwips();
    // <SET_DataPath>/Uploads.XML
    static QString UploadsFile();

    explicit UploadList(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

    int count() const { return int(m_items.size()); }
    // 0-based.
    const UploadItem& item(int row) const { return m_items.at(row); }
    const QList<UploadItem>& items() const { return m_items; }
    qint64 TotalSizeBytes() const { return m_totalBytes; }
    int CheckedCount() const;
    // "checked / rows [total size]"
    QString InfoText() const;
    void SetChecked(int row, bool checked);
    // Marks row (0-based) as written with stateCode at sentAt, after the
    // base's post newerThan, or clears the mark (stateCode -1). The list
    // file is not saved here.
    void SetUnconfirmedWrite(int row, int stateCode, const QString& newerThan,
                             const QDateTime& sentAt);
    void SetAllChecked(bool checked);

    void ListAddItem(const UploadItem& item);
    // index is 1-based. Deletes the row's copy in the uploads folder; the
    // list file is not saved here.
    void RemoveListItem(int index);
    // The first checked row at or after position (1-based; below 1 counts as
    // 1), or 0 when there is none.
    int FindCheckedItem(int position) const;

    // Replaces the rows by those of Uploads.XML (after the old "Uplods.XML"
    // name is moved to it); a damaged file is reported and loads as empty.
    void LoadListedUploads();
    bool SaveListedUploads() const;
    // Adds each file in turn as PasteToList does and writes the list once at
    // the end. The number of rows added.
    int PasteFilesToList(const QStringList& files, PostBoxes& boxes);

    // Adds a file (copied into the uploads folder, with its description side
    // file) or, for a URL, a link item, with the texts of boxes. An empty
    // text takes the clipboard's, or, when the clipboard holds no text, its
    // picture as a PNG in the uploads folder. The tags rule may change boxes.tags, as it
    // changes the tags box. True when a row was added.
    bool PasteToList(const QString& text, bool treatAsFile, bool saveList, PostBoxes& boxes);

    // The window's histories of captions, tags, click-through URLs and
    // picture descriptions.
    CHistory captionHistory;
    CHistory tagsHistory;
    CHistory urlsHistory;
    CHistory altTextHistory;
    // InitFileName in the group folder and LoadHistory, for all of them.
    void LoadHistories();
    void SaveHistories();

Q_SIGNALS:
    // Each time Uploads.XML has been written.
    void listSaved() const;

private:
    QString displayText(const UploadItem& item, int column) const;
    bool PasteClipboardPicture(bool saveList, PostBoxes& boxes);
    void AddWithBoxes(UploadItem it, const QString& caption, bool saveList, PostBoxes& boxes);
    QList<UploadItem> m_items;
    qint64 m_totalBytes = 0;
};

} // namespace ruvia
