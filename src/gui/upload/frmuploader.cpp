#include "gui/upload/frmuploader.h"

#include "core/group.h"
#include "core/settings.h"
#include "gui/frmhistory.h"
#include "gui/paint.h"
#include "gui/resources.h"
#include "gui/tbhooks.h"
#include "gui/toolbarproxy.h"
#include "gui/ucinfotoolbar.h"
#include "gui/upload/frmbatch.h"
#include "gui/upload/frmbatchurls.h"
#include "gui/windowhelper.h"
#include "platform/filedialogs.h"
#include "platform/inifile.h"
#include "platform/paths.h"
#include "platform/prompter.h"
#include "platform/settingsstore.h"
#include "platform/shell.h"
#include "platform/textrules.h"
#include "service/account.h"
#include "service/postsubmit.h"
#include "upload/postproperties.h"
#include "upload/uploadfiles.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFontDatabase>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QTreeView>

#include <algorithm>

namespace ruvia {

namespace {
const QString kTasksListKey = QStringLiteral("Tasks List");
const QString kRecentSection = QStringLiteral("Recent Directories");
const QString kAddFileFolderKey = QStringLiteral("Last Uploader Add File Directory");
const QString kPicturesFilter =
    QStringLiteral("Pictures|*.JPG;*.JPE;*.JPEG;*.GIF;*.BMP;*.DIB;*.RLE;*.PNG|All files|*.*");
constexpr int kStateListWide = 4335;
constexpr int kStateListNarrow = 1875;

template <typename T> T* named(T* w, const char* name)
{
    w->setObjectName(QString::fromLatin1(name));
    return w;
}

Qt::KeyboardModifiers mods(const QKeyEvent* key)
{
    return key->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
}

QStringList localFiles(const QMimeData* data)
{
    QStringList files;
    if (data && data->hasUrls())
        for (const QUrl& url : data->urls())
            if (url.isLocalFile())
                files.append(url.toLocalFile());
    return files;
}
} // namespace

frmUploader::frmUploader(QWidget* parent, CStatistics* statistics) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmUploader"));
    IUploadRunView& view = *this;
    m_run = std::make_unique<CUploadRun>(m_list, view, statistics);
    buildControls();

    tsCenterFormEx(this);
    m_picture->setPixmap(GetUploaderPicture());
    MarkToolBarForm(this);
    FillPostStates();
    ShowAltTextReach();
    LoadPostProperties();
    m_checkAll->setIcon(QIcon(resourcePicture(QStringLiteral("IDB_CHECKBOX_ON"))));
    m_uncheckAll->setIcon(QIcon(resourcePicture(QStringLiteral("IDB_CHECKBOX_OFF"))));
    m_list.LoadHistories();
    auto* captionHook = new kzmTBHooks(this);
    captionHook->setTextBox(m_caption);
    captionHook->InitSelectAllHook();
    auto* altTextHook = new kzmTBHooks(this);
    altTextHook->setTextBox(m_altText);
    altTextHook->InitSelectAllHook();
    LoadColumns();
    m_list.LoadListedUploads();
    setWindowTitle(MakeWindowTitle(QStringLiteral("Upload mode :: ") + SET_GroupName));
    m_info->setListInfoLabel(QStringLiteral("Uploads:"));
    SetUploadStatusIndicator(this);
    UpdateControls();
    m_tasks->setFocus();
}

frmUploader::~frmUploader() { Unload(); }

void frmUploader::buildControls()
{
    setWindowIcon(appIcon());
    resize(780, 568);
    setMinimumSize(780, 568);

    m_picture = named(new QLabel(this), "imgRuvia");
    m_picture->setGeometry(8, 8, 96, 96);

    auto label = [this](const char* name, const QString& text, int x, int y, QWidget* buddy) {
        auto* l = named(new QLabel(text, this), name);
        l->move(x, y);
        l->setBuddy(buddy);
        return l;
    };
    auto button = [this](const char* name, const QString& text, const QRect& geometry) {
        auto* b = named(new QPushButton(text, this), name);
        b->setGeometry(geometry);
        b->setAutoDefault(false);
        return b;
    };

    m_caption = named(new QPlainTextEdit(this), "txtCaption");
    m_caption->setGeometry(168, 8, 289, 64);
    m_caption->setTabChangesFocus(true);
    m_captionLabel = label("lblCaption", QStringLiteral("Caption:"), 112, 12, m_caption);
    m_captionHistory = button("cmdHistory", QStringLiteral("..."), {461, 8, 25, 23});

    m_altText = named(new QPlainTextEdit(this), "txtAltText");
    m_altText->setGeometry(168, 94, 289, 42);
    m_altText->setTabChangesFocus(true);
    m_altTextLabel = label("lblAltText", QStringLiteral("Picture description (alt text):"), 168,
                           76, m_altText);
    m_altTextLabel->adjustSize();
    m_altTextHistory = button("cmdAltTextHistory", QStringLiteral("..."), {461, 94, 25, 23});

    m_tags = named(new QLineEdit(this), "txtTags");
    m_tags->setGeometry(168, 142, 229, 23);
    m_tagsLabel = label("lblTags", QStringLiteral("Tags:"), 112, 146, m_tags);
    m_tagsFromCaption = named(new QCheckBox(QStringLiteral("Auto"), this), "chkTagsFromCaption");
    m_tagsFromCaption->setGeometry(403, 142, 56, 23);
    m_tagsHistory = button("cmdTagsHistory", QStringLiteral("..."), {461, 142, 25, 23});

    m_url = named(new QLineEdit(this), "txtClickThroughURL");
    m_url->setGeometry(168, 169, 289, 23);
    m_urlLabel = label("lblClickThroughURL", QStringLiteral("URL:"), 112, 173, m_url);
    m_urlsHistory = button("cmdURLsHistory", QStringLiteral("..."), {461, 169, 25, 23});

    m_state = named(new QComboBox(this), "cboPostState");
    m_state->setGeometry(168, 196, Twips(kStateListWide), 23);
    m_stateLabel = label("lblPostState", QStringLiteral("State:"), 112, 200, m_state);
    m_publishOn = named(new QLineEdit(this), "txtPublishOn");
    m_publishOn->setGeometry(168 + Twips(kStateListNarrow) + 4, 196,
                             Twips(kStateListWide - kStateListNarrow) - 4, 23);
    m_publishOn->hide();

    m_upload = button("cmdUpload", QStringLiteral("Upload"), {500, 8, 130, 30});
    m_stop = button("cmdStop", QStringLiteral("Stop"), {500, 42, 130, 26});
    m_result = named(new QLabel(QStringLiteral("0"), this), "lblResult");
    m_result->setGeometry(640, 8, 60, 60);
    m_result->setAlignment(Qt::AlignCenter);
    m_result->setFrameShape(QFrame::StyledPanel);
    m_result->setAutoFillBackground(true);
    m_addFile = button("cmdAddFile", QStringLiteral("Add file..."), {500, 78, 130, 25});
    m_addLink = button("cmdAddLink", QStringLiteral("Add links..."), {640, 78, 130, 25});
    m_batchAddFiles = button("cmdBatchAddFiles", QStringLiteral("Add folder..."), {500, 107, 130, 25});
    m_remove = button("cmdRemoveItems", QStringLiteral("Remove"), {640, 107, 130, 25});

    m_checkAll = button("cmdCheckAllItems", QStringLiteral("Check all items"), {8, 228, 150, 26});
    m_uncheckAll = button("cmdUncheckAllItems", QStringLiteral("Uncheck all items"), {162, 228, 150, 26});

    m_tasks = named(new QTreeView(this), "lvTasks");
    m_tasks->setGeometry(8, 260, 764, 300);
    m_tasks->setModel(&m_list);
    m_tasks->setRootIsDecorated(false);
    m_tasks->setUniformRowHeights(true);
    m_tasks->setAllColumnsShowFocus(true);
    m_tasks->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_tasks->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_tasks->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_tasks->header()->setStretchLastSection(false);
    m_tasks->setAcceptDrops(true);
    m_tasks->viewport()->setAcceptDrops(true);

    m_progressPanel = named(new QFrame(this), "pnlProgress");
    m_progressPanel->setFrameShape(QFrame::Panel);
    m_progressPanel->setFrameShadow(QFrame::Raised);
    m_progressPanel->setAutoFillBackground(true);
    m_progressPanel->resize(400, 96);
    m_runPosition = named(new QLabel(m_progressPanel), "lblRunPosition");
    m_runPosition->setGeometry(12, 10, 376, 20);
    m_runPosition->setAlignment(Qt::AlignCenter);
    m_progress = named(new QLabel(m_progressPanel), "lblProgress");
    m_progress->setGeometry(12, 34, 376, 52);
    m_progress->setAlignment(Qt::AlignCenter);
    m_progress->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_progressPanel->hide();

    m_info = new ucInfoToolBar(this);
    InitToolBar(this, m_info);
    setMinimumSize(size());

    connect(m_upload, &QPushButton::clicked, this, &frmUploader::StartUpload);
    connect(m_stop, &QPushButton::clicked, this, [this] { m_run->RequestStop(); });
    connect(m_addFile, &QPushButton::clicked, this, &frmUploader::AddFile);
    connect(m_addLink, &QPushButton::clicked, this, &frmUploader::BatchFromUrls);
    connect(m_batchAddFiles, &QPushButton::clicked, this, &frmUploader::BatchFromFolder);
    connect(m_remove, &QPushButton::clicked, this, &frmUploader::RemoveSelectedItems);
    connect(m_checkAll, &QPushButton::clicked, this, [this] { m_list.SetAllChecked(true); });
    connect(m_uncheckAll, &QPushButton::clicked, this, [this] { m_list.SetAllChecked(false); });
    connect(m_captionHistory, &QPushButton::clicked, this,
            [this] { ShowHistoryDialog(m_list.captionHistory, m_caption); });
    connect(m_altTextHistory, &QPushButton::clicked, this,
            [this] { ShowHistoryDialog(m_list.altTextHistory, m_altText); });
    connect(m_tagsHistory, &QPushButton::clicked, this,
            [this] { ShowHistoryDialog(m_list.tagsHistory, m_tags); });
    connect(m_urlsHistory, &QPushButton::clicked, this,
            [this] { ShowHistoryDialog(m_list.urlsHistory, m_url); });
    connect(m_state, &QComboBox::currentIndexChanged, this, &frmUploader::StateChanged);
    connect(m_tasks, &QTreeView::doubleClicked, this, [this](const QModelIndex& index) {
        if (index.isValid() && index.row() == m_pressedRow)
            OpenRow(index.row());
    });
    connect(m_tasks->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &frmUploader::UpdateControls);
    connect(&m_list, &UploadList::rowsInserted, this, [this](const QModelIndex&, int first, int) {
        m_tasks->scrollTo(m_list.index(first, 0));
        UpdateControls();
    });
    connect(&m_list, &UploadList::rowsRemoved, this, &frmUploader::UpdateControls);
    connect(&m_list, &UploadList::modelReset, this, &frmUploader::UpdateControls);
    connect(&m_list, &UploadList::dataChanged, this, &frmUploader::UpdateControls);

    // The window's keys work wherever the focus is, as a form that sees
    // every key first.
    for (QWidget* w : findChildren<QWidget*>())
        w->installEventFilter(this);
    m_tasks->viewport()->installEventFilter(this);
}

void frmUploader::FillPostStates()
{
    const ServiceAccount& account = CurrentAccount();
    m_state->clear();
    for (const PostStateEntry& e : OfferedPostStates(account.PostStates(), SET_HideTroublesomeStates))
        m_state->addItem(e.text, e.code);
    m_state->setCurrentIndex(0);
    m_publishOn->setToolTip(account.PublishDateForm());
    m_publishOn->setPlaceholderText(account.PublishDateExample());
    StateChanged();
}

void frmUploader::SelectStoredState(int stateIndex)
{
    const int code = StateCodeAtIndex(stateIndex, SET_HideTroublesomeStates);
    if (code < 0)
        return;
    int at = m_state->findData(code);
    if (at < 0) {
        // Kept in view rather than silently swapped for another state: a
        // run with it is refused with the reason, and the rows stay queued.
        m_state->addItem(PostStateEntries(SET_HideTroublesomeStates).at(stateIndex).text, code);
        at = m_state->count() - 1;
    }
    m_state->setCurrentIndex(at);
}

void frmUploader::ShowAltTextReach()
{
    const QString hint = CurrentAccount().SendsAltText()
                             ? QStringLiteral("Sent with the picture (API v2 account)")
                             : QStringLiteral("Not sent with an API v1 account");
    m_altText->setPlaceholderText(hint);
    m_altText->setToolTip(hint);
    m_altTextLabel->setToolTip(hint);
}

void frmUploader::LoadPostProperties()
{
    const PostProperties p = ruvia::LoadPostProperties(GetGroupSettingsFile());
    SetCaptionText(p.caption);
    SetAltTextText(p.altText);
    m_tags->setText(p.tags);
    m_tagsFromCaption->setChecked(p.tagsFromCaption);
    m_url->setText(p.clickThroughUrl);
    SelectStoredState(p.stateIndex);
    m_publishOn->setText(p.publishOn);
}

void frmUploader::SavePostProperties()
{
    PostProperties p;
    p.caption = CaptionText();
    p.tags = m_tags->text();
    p.tagsFromCaption = m_tagsFromCaption->isChecked();
    p.clickThroughUrl = m_url->text();
    p.altText = AltTextText();
    p.stateIndex = StateIndexOfCode(m_state->currentData().toInt(), SET_HideTroublesomeStates);
    p.publishOn = m_publishOn->text();
    ruvia::SavePostProperties(GetGroupSettingsFile(), p);
}

void frmUploader::LoadColumns()
{
    QList<int> widths = SettingsStore::LoadListLayout(kTasksListKey);
    if (widths.size() != UploadList::ColumnCount) {
        widths.clear();
        for (int twips : UploadList::DefaultColumnWidthsTwips())
            widths.append(Twips(twips));
    }
    for (int i = 0; i < widths.size(); ++i)
        m_tasks->setColumnWidth(i, widths.at(i));
}

void frmUploader::SaveColumns()
{
    QList<int> widths;
    for (int i = 0; i < UploadList::ColumnCount; ++i)
        widths.append(m_tasks->columnWidth(i));
    SettingsStore::SaveListLayout(kTasksListKey, widths);
}

void frmUploader::Unload()
{
    if (m_unloaded)
        return;
    m_unloaded = true;
    m_list.SaveListedUploads();
    SaveColumns();
    m_list.SaveHistories();
    SavePostProperties();
    UnMarkToolBarForm(this);
    if (UploadStatusIndicator() == this)
        SetUploadStatusIndicator(nullptr);
}

void frmUploader::done(int result)
{
    // Closing is refused while a run is active; the attempt stops the run.
    if (m_run->IsRunning()) {
        m_run->RequestStop();
        return;
    }
    Unload();
    QDialog::done(result);
}

PostBoxes frmUploader::Boxes() const
{
    return {CaptionText(), m_tags->text(), m_url->text(), m_tagsFromCaption->isChecked(),
            AltTextText()};
}

void frmUploader::ShowTagsOf(const PostBoxes& boxes)
{
    if (boxes.tags != m_tags->text())
        m_tags->setText(boxes.tags);
}

bool frmUploader::PasteToList(const QString& text, bool treatAsFile, bool saveList)
{
    PostBoxes boxes = Boxes();
    const bool added = m_list.PasteToList(text, treatAsFile, saveList, boxes);
    ShowTagsOf(boxes);
    return added;
}

bool frmUploader::SaveListedUploads() { return m_list.SaveListedUploads(); }

void frmUploader::SetStatusColor(int state)
{
    QColor colour;
    switch (state) {
    case 0:
        colour = QColor(0, 255, 0);
        break;
    case 1:
        colour = QColor(255, 255, 0);
        m_result->setText(QString::number(qint64(SafeTextToLong(m_result->text())) + 1));
        break;
    case 2:
        colour = QColor(255, 0, 0);
        break;
    default:
        return;
    }
    QPalette pal = m_result->palette();
    pal.setColor(QPalette::Window, colour);
    pal.setColor(QPalette::WindowText, Qt::black);
    m_result->setPalette(pal);
}

void frmUploader::ShowProgress(const QString& text)
{
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    m_progress->setText(shown);
}

void frmUploader::ShowRunPosition(const QString& text) { m_runPosition->setText(text); }

void frmUploader::SelectRow(int row)
{
    if (row < 0) {
        m_tasks->clearSelection();
        return;
    }
    const QModelIndex index = m_list.index(row, 0);
    m_tasks->selectionModel()->setCurrentIndex(
        index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    m_tasks->scrollTo(index);
}

void frmUploader::UpdateControls()
{
    const bool idle = !m_run->IsRunning();
    for (QWidget* w : std::initializer_list<QWidget*>{
             m_captionLabel, m_caption, m_captionHistory, m_altTextLabel, m_altText,
             m_altTextHistory, m_tagsLabel, m_tags, m_tagsHistory,
             m_urlLabel, m_url, m_urlsHistory, m_tagsFromCaption, m_stateLabel, m_state,
             m_publishOn, m_checkAll, m_uncheckAll, m_tasks, m_addFile, m_batchAddFiles,
             m_addLink})
        w->setEnabled(idle);
    m_stop->setEnabled(!idle);
    m_upload->setEnabled(idle && m_list.count() > 0);
    m_remove->setEnabled(idle && !SelectedRows().isEmpty());
    m_progressPanel->setVisible(!idle);
    if (!idle)
        m_progressPanel->raise();
    m_info->setListInfo(m_list.InfoText());
}

QList<int> frmUploader::SelectedRows() const
{
    QList<int> rows;
    for (const QModelIndex& i : m_tasks->selectionModel()->selectedRows())
        rows.append(i.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

QString frmUploader::CaptionText() const
{
    QString text = m_caption->toPlainText();
    text.replace(u'\n', QStringLiteral("\r\n"));
    return text;
}

void frmUploader::SetCaptionText(const QString& text)
{
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    m_caption->setPlainText(shown);
}

QString frmUploader::AltTextText() const
{
    QString text = m_altText->toPlainText();
    text.replace(u'\n', QStringLiteral("\r\n"));
    return text;
}

void frmUploader::SetAltTextText(const QString& text)
{
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    m_altText->setPlainText(shown);
}

void frmUploader::StartUpload()
{
    if (m_run->IsRunning())
        return;
    m_run->Start(m_state->currentData().toInt(), m_publishOn->text());
}

void frmUploader::StateChanged()
{
    const bool onDate = m_state->currentData().toInt() == StatePublishOn;
    m_publishOn->setVisible(onDate);
    m_state->resize(Twips(onDate ? kStateListNarrow : kStateListWide), m_state->height());
    m_publishOn->move(m_publishOn->x(), m_state->y());
}

void frmUploader::AddFile()
{
    const QString settings = GetGroupSettingsFile();
    FileDialogOptions options;
    options.filter = kPicturesFilter;
    options.initialFolder = tsReadStringFromINI(kRecentSection, kAddFileFolderKey, {}, settings);
    if (options.initialFolder.isEmpty())
        options.initialFolder = PicturesStartFolder();
    const QStringList files = fileDialogs().ShowOpenMany(options);
    if (files.isEmpty())
        return;
    tsWriteStringToINI(kRecentSection, kAddFileFolderKey, tsGetFilePath(files.first()), settings);
    DropFiles(files);
}

void frmUploader::BatchFromUrls()
{
    frmBatchURLs batch(this, *this);
    batch.exec();
}

void frmUploader::BatchFromFolder()
{
    frmBatch batch(this, *this);
    batch.exec();
}

void frmUploader::RemoveSelectedItems()
{
    const QList<int> rows = SelectedRows();
    if (rows.isEmpty())
        return;
    for (auto it = rows.rbegin(); it != rows.rend(); ++it)
        m_list.RemoveListItem(*it + 1);
    m_list.SaveListedUploads();
    UpdateControls();
}

void frmUploader::ToggleSelectedChecks()
{
    const QModelIndex current = m_tasks->currentIndex();
    if (!current.isValid())
        return;
    const bool checked = !m_list.item(current.row()).Selected;
    for (int row : SelectedRows())
        m_list.SetChecked(row, checked);
    UpdateControls();
}

void frmUploader::OpenRow(int row)
{
    if (row < 0 || row >= m_list.count())
        return;
    const QString path = m_list.item(row).FileName;
    if (MyPathIsURL(path) &&
        MsgBox(joinMessage({path, QStringLiteral("Do you want to open this web site?")}),
               MB_OKCANCEL | MB_ICONQUESTION) != IDOK)
        return;
    if (!shell().Open(path))
        MsgBox(joinMessage({path, QStringLiteral("Can't open picture.")}), MB_ICONCRITICAL);
}

void frmUploader::DropFiles(const QStringList& files)
{
    PostBoxes boxes = Boxes();
    m_list.PasteFilesToList(files, boxes);
    ShowTagsOf(boxes);
}

void frmUploader::ResultClicked()
{
    if (m_run->IsRunning())
        return;
    ++m_resultClicks;
    MsgBox(m_resultClicks == 3
               ? QStringLiteral("Ok. There is a secret in this prog. Open about box and drag icon "
                                "to program title.")
               : QStringLiteral("Don't click here! It's just indicate if any errors occured "
                                "sending or receiving posts."),
           MB_ICONINFORMATION);
}

bool frmUploader::handleWindowKey(QKeyEvent* key)
{
    const auto m = mods(key);
    const bool idle = !m_run->IsRunning();
    if (key->key() == Qt::Key_Escape && m == Qt::NoModifier) {
        if (idle)
            reject();
        else
            m_run->RequestStop();
        return true;
    }
    if (!idle)
        return false;
    if (key->key() == Qt::Key_F5 && m == Qt::NoModifier) {
        PressButton(m_upload);
        return true;
    }
    if (key->key() == Qt::Key_F6 && m == Qt::NoModifier) {
        if (m_tasks->hasFocus())
            m_caption->setFocus();
        else
            m_tasks->setFocus();
        return true;
    }
    if (key->key() == Qt::Key_Insert && m == Qt::ShiftModifier) {
        PasteToList(QString(), true, true);
        return true;
    }
    if (key->key() == Qt::Key_F1 && m == Qt::ShiftModifier) {
        ShowAboutBox(this, GetAboutBoxPicture(), AboutDedication());
        return true;
    }
    return false;
}

bool frmUploader::handleListKey(QKeyEvent* key)
{
    if (m_run->IsRunning())
        return false;
    const auto m = mods(key);
    switch (key->key()) {
    case Qt::Key_Insert:
        if (m == Qt::NoModifier)
            PressButton(m_addFile);
        else if (m == Qt::ControlModifier)
            PressButton(m_addLink);
        else
            return false;
        return true;
    case Qt::Key_Delete:
        if (m != Qt::NoModifier)
            return false;
        PressButton(m_remove);
        return true;
    case Qt::Key_A:
        if (m != Qt::ControlModifier)
            return false;
        m_tasks->selectAll();
        return true;
    case Qt::Key_V:
        // Only in the list: in a text box Ctrl+V pastes into the box.
        if (m != Qt::ControlModifier)
            return false;
        PasteToList(QString(), true, true);
        return true;
    case Qt::Key_Space:
        if (m != Qt::NoModifier)
            return false;
        ToggleSelectedChecks();
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (m != Qt::NoModifier)
            return false;
        if (const QList<int> rows = SelectedRows(); rows.size() == 1)
            OpenRow(rows.first());
        return true;
    default:
        return false;
    }
}

bool frmUploader::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::KeyPress: {
        auto* key = static_cast<QKeyEvent*>(event);
        if (handleWindowKey(key))
            return true;
        if (watched == m_tasks && handleListKey(key))
            return true;
        break;
    }
    case QEvent::ShortcutOverride: {
        // Keys the text boxes would take for themselves (Shift+Insert pastes).
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Insert && mods(key) == Qt::ShiftModifier) {
            event->accept();
            return true;
        }
        break;
    }
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
        if (watched == m_tasks->viewport())
            m_pressedRow = m_tasks->indexAt(static_cast<QMouseEvent*>(event)->position().toPoint()).row();
        else if (watched == m_result && event->type() == QEvent::MouseButtonPress)
            ResultClicked();
        break;
    case QEvent::FocusIn:
        if (watched == m_publishOn)
            QTimer::singleShot(0, m_publishOn, &QLineEdit::selectAll);
        break;
    case QEvent::DragEnter:
    case QEvent::DragMove:
        if (watched == m_tasks->viewport()) {
            auto* drag = static_cast<QDragMoveEvent*>(event);
            if (!m_run->IsRunning() && !localFiles(drag->mimeData()).isEmpty())
                drag->acceptProposedAction();
            else
                drag->ignore();
            return true;
        }
        break;
    case QEvent::Drop:
        if (watched == m_tasks->viewport()) {
            auto* drop = static_cast<QDropEvent*>(event);
            const QStringList files = localFiles(drop->mimeData());
            if (!m_run->IsRunning() && !files.isEmpty()) {
                drop->acceptProposedAction();
                DropFiles(files);
            } else {
                drop->ignore();
            }
            return true;
        }
        break;
    default:
        break;
    }
    return QDialog::eventFilter(watched, event);
}

void frmUploader::keyPressEvent(QKeyEvent* event)
{
    if (handleWindowKey(event))
        return;
    QDialog::keyPressEvent(event);
}

void frmUploader::paintEvent(QPaintEvent* event)
{
    tsPaintDesktop2(this);
    QDialog::paintEvent(event);
}

void frmUploader::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    const QRect list = m_tasks->geometry();
    m_tasks->resize(width() - list.x() - 8, height() - list.y() - 8);
    m_info->resize(width(), m_info->height());
    m_progressPanel->move((width() - m_progressPanel->width()) / 2,
                          (height() - m_progressPanel->height()) / 2);
}

} // namespace ruvia
