#include "gui/links/frmpictureslist.h"

#include "base/linkbase.h"
#include "core/group.h"
#include "core/settings.h"
#include "gui/frmgroupselector.h"
#include "gui/frmproxy.h"
#include "gui/frmsettings.h"
#include "gui/keys.h"
#include "gui/links/frmaddpostbyid.h"
#include "gui/links/frmcustomizetemplates.h"
#include "gui/links/frmfind.h"
#include "gui/links/frmuserguide.h"
#include "gui/links/lstpictures.h"
#include "gui/links/picpreview.h"
#include "gui/links/ucpaint.h"
#include "gui/resources.h"
#include "gui/toolbarproxy.h"
#include "gui/upload/frmuploader.h"
#include "gui/ucinfotoolbar.h"
#include "gui/windowhelper.h"
#include "links/linksrules.h"
#include "platform/settingsstore.h"
#include "platform/shell.h"
#include "platform/textrules.h"
#include "support/searchhost.h"
#include "support/statistics.h"
#include "support/syncfile.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFontDatabase>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QTimer>
#include <QVBoxLayout>

namespace ruvia {

namespace {
// The window's layout in twips, as the two preview layouts are given.
constexpr int kMargin = 120;
constexpr int kColumnWidth = 4080;
constexpr int kColumnHeight = 6495;
constexpr int kPreviewGap = 60;
constexpr int kSmallListHeight = 1170;
constexpr int kBigListHeight = 3060;
constexpr int kSlotsLeft = kMargin + kColumnWidth + kMargin;
constexpr int kSlotsWidth = 5280;
constexpr int kSlotPitch = 645;
constexpr int kTagHeight = 195;
constexpr int kSlotTop = 210;
constexpr int kSlotHeight = 300;
constexpr int kFormWidth = kSlotsLeft + kSlotsWidth + kMargin;
constexpr int kFormHeight = kMargin + kColumnHeight + kPreviewGap + kMargin;
constexpr int kProgressWidth = 4800;
constexpr int kProgressHeight = 1200;
constexpr int kClickDelayMs = 50;
const QString kPaintCaption = QStringLiteral("Безымянный - Paint");
const QString kPlacementSection = QStringLiteral("Pictures List");
const QString kPlacementKey = QStringLiteral("Window placement");

// The whole text selected, its start in view: ready to copy and to read.
void selectWholeText(QLineEdit* box)
{
    const int n = int(box->text().size());
    box->setSelection(n, -n);
}

void showSlotText(QLineEdit* box, const QString& text)
{
    box->setText(text);
    if (box->hasFocus())
        selectWholeText(box);
    else
        box->setCursorPosition(0);
}

QRect twips(int left, int top, int width, int height)
{
    return {Twips(left), Twips(top), Twips(width), Twips(height)};
}

Qt::KeyboardModifiers plainMods(const QKeyEvent* key)
{
    return key->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
}
} // namespace

frmPicturesList::frmPicturesList(frmGroupSelector* login) : m_login(login)
{
    setObjectName(QStringLiteral("frmPicturesList"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(MakeWindowTitle(QStringLiteral("Pictures list")));
    setWindowIcon(appIcon());
    m_transfer = std::make_unique<TransferProgress>(
        [this](const QString& text) { setProgressText(text); }, nullptr, m_cancelRequest);

    buildControls();
    buildMenus();
    MarkToolBarForm(this);
    InitToolBar(m_form, m_info);
    // The classic layout is the smallest; what the window grows by goes to
    // the slots (width) and the preview (height).
    m_baseFormSize = m_form->size();
    m_form->setMinimumSize(m_baseFormSize);
    m_form->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    adjustSize();
    tsCenterFormEx(this);
    layoutForm();
    restorePlacement();
    setWindowTitle(MakeWindowTitle(QStringLiteral("Links :: ") + SET_GroupName));
    m_info->setListInfoLabel(QStringLiteral("Selection:"));
    LoadTemplates();
    FillList();
    m_statistics = std::make_unique<CStatistics>();
    m_transfer = std::make_unique<TransferProgress>(
        [this](const QString& text) { setProgressText(text); }, m_statistics.get(), m_cancelRequest);
    qApp->installEventFilter(this);
}

frmPicturesList::~frmPicturesList()
{
    qApp->removeEventFilter(this);
    unload();
}

void frmPicturesList::buildControls()
{
    m_form = new QWidget(this);
    m_form->setObjectName(QStringLiteral("frmPicturesListForm"));
    m_form->setFixedSize(Twips(kFormWidth), Twips(kFormHeight));
    setCentralWidget(m_form);

    m_list = new PicturesListView(m_form);
    m_preview = new PicturePreview(m_form);
    for (int i = 0; i < kTemplateCount; ++i) {
        m_tags[i] = new QLabel(m_form);
        m_tags[i]->setObjectName(QStringLiteral("lblTag%1").arg(i));
        m_tags[i]->setTextFormat(Qt::PlainText);
        m_slots[i] = new QLineEdit(m_form);
        m_slots[i]->setObjectName(QStringLiteral("txtSlot%1").arg(i));
        m_slots[i]->setReadOnly(true);
        m_slots[i]->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(m_slots[i], &QWidget::customContextMenuRequested, this,
                [this, i](const QPoint& pos) { slotContextMenu(i, pos); });
        m_tags[i]->setBuddy(m_slots[i]);
    }
    m_list->setGeometry(twips(kMargin, kMargin, kColumnWidth, kBigListHeight));
    m_preview->setGeometry(twips(kMargin, kMargin + kBigListHeight + kPreviewGap, kColumnWidth,
                                 kColumnHeight - kBigListHeight));

    m_progressPanel = new QFrame(m_form);
    m_progressPanel->setObjectName(QStringLiteral("pnlProgress"));
    static_cast<QFrame*>(m_progressPanel)->setFrameStyle(QFrame::Panel | QFrame::Raised);
    m_progressPanel->setAutoFillBackground(true);
    m_progressPanel->resize(Twips(kProgressWidth), Twips(kProgressHeight));
    m_progress = new QLabel(m_progressPanel);
    m_progress->setObjectName(QStringLiteral("lblProgress"));
    m_progress->setAlignment(Qt::AlignCenter);
    m_progress->setTextFormat(Qt::PlainText);
    m_progress->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    auto* panelLayout = new QVBoxLayout(m_progressPanel);
    panelLayout->addWidget(m_progress);
    m_progressPanel->hide();

    m_paint = new ucPaint(m_form);
    m_paint->hide();

    m_info = new ucInfoToolBar(m_form);
    m_info->resize(m_form->width(), ucInfoToolBar::fixedHeight());

    m_delayedClick = new QTimer(this);
    m_delayedClick->setObjectName(QStringLiteral("tmrDelayedClick"));
    m_delayedClick->setSingleShot(true);
    m_delayedClick->setInterval(kClickDelayMs);
    connect(m_delayedClick, &QTimer::timeout, this, &frmPicturesList::delayedClick);
    connect(m_list->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &frmPicturesList::HandleListClick);
    connect(m_list->selectionModel(), &QItemSelectionModel::currentChanged, this,
            &frmPicturesList::HandleListClick);
    connect(m_list, &QAbstractItemView::doubleClicked, this, &frmPicturesList::openCurrentPicture);
    m_list->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_list, &QWidget::customContextMenuRequested, this, &frmPicturesList::listContextMenu);
    connect(m_preview, &PicturePreview::doubleClicked, this, &frmPicturesList::openCurrentPicture);
    connect(m_preview, &PicturePreview::middleClicked, this, [this] { setBigPreview(!BigPreview()); });
    connect(m_preview, &PicturePreview::rightClicked, this,
            [this](const QPoint& at) { showPictureMenu(at, true); });
}

QAction* frmPicturesList::addItem(QMenu* menu, const QString& name, int index,
                                  const QString& caption, const QKeySequence& shortcut)
{
    QAction* a = caption == u"-" ? menu->addSeparator() : menu->addAction(caption);
    a->setObjectName(name + QString::number(index));
    if (!shortcut.isEmpty())
        a->setShortcut(shortcut);
    return a;
}

void frmPicturesList::buildMenus()
{
    QMenuBar* bar = menuBar();
    const char* names[5] = {"mnuPictureMain", "mnuSearch", "mnuBase", "mnuSettings", "mnuHelp"};
    const char* captions[5] = {"Picture", "Search", "Base", "Settings", "Help"};
    for (int i = 0; i < 5; ++i) {
        m_menus[i] = new QMenu(QString::fromLatin1(captions[i]), this);
        m_menus[i]->setObjectName(QString::fromLatin1(names[i]));
        m_menus[i]->menuAction()->setObjectName(QStringLiteral("mnuMain%1").arg(i));
    }
    m_pictureMenu = m_menus[0];
    const QString pic = QStringLiteral("mnuPictureMain");
    for (const MenuItemState& item : PictureMenuState(0, false)) {
        QAction* a = addItem(m_pictureMenu, pic, item.index, item.caption);
        connect(a, &QAction::triggered, this, [this, i = item.index] { pictureCommand(i); });
        // A separator closes each group of two; the last group has three.
        if (item.index % 10 == 1 && item.index < miResolveLinks)
            addItem(m_pictureMenu, pic, item.index + 1, QStringLiteral("-"));
    }
    connect(m_pictureMenu, &QMenu::aboutToShow, this, &frmPicturesList::refreshPictureMenu);

    const QString find = QStringLiteral("mnuSearch");
    connect(addItem(m_menus[1], find, 0, QStringLiteral("Find..."), QKeySequence(Qt::CTRL | Qt::Key_F)),
            &QAction::triggered, this, [this] { search(false); });
    connect(addItem(m_menus[1], find, 1, QStringLiteral("Find next"), QKeySequence(Qt::CTRL | Qt::Key_G)),
            &QAction::triggered, this, [this] { search(true); });

    const QString base = QStringLiteral("mnuBase");
    connect(addItem(m_menus[2], base, 1, QStringLiteral("Upload pictures..."), QKeySequence(Qt::Key_F6)),
            &QAction::triggered, this, [this] {
                RunBaseDialog(
                    [this] {
                        frmUploader dialog(this, m_statistics.get());
                        dialog.exec();
                    },
                    true);
            });
    connect(addItem(m_menus[2], base, 5, QStringLiteral("Add post by ID...")), &QAction::triggered, this,
            [this] {
                RunBaseDialog([this] {
                    frmAddPostByID dialog(this);
                    dialog.exec();
                });
            });
    addItem(m_menus[2], base, 20, QStringLiteral("-"));
    QAction* importSync = addItem(m_menus[2], base, 21, QStringLiteral("Import synchronization file..."),
                                  QKeySequence(Qt::Key_F3));
    QAction* testSync = addItem(m_menus[2], base, 22, QStringLiteral("Test synchronization file..."));
    QAction* exportSync = addItem(m_menus[2], base, 23, QStringLiteral("Export synchronization file..."),
                                  QKeySequence(Qt::Key_F2));
    // Off by design; the handlers are there for the day they are switched on.
    for (QAction* a : {importSync, testSync, exportSync})
        a->setEnabled(false);
    connect(testSync, &QAction::triggered, this, [] { TestSyncFile(); });
    connect(exportSync, &QAction::triggered, this, [] { ExportSyncFile(); });

    const QString settings = QStringLiteral("mnuSettings");
    connect(addItem(m_menus[3], settings, 0, QStringLiteral("Proxy...")), &QAction::triggered, this,
            [this] { ShowProxyDialog(this); });
    connect(addItem(m_menus[3], settings, 1, QStringLiteral("Templates...")), &QAction::triggered, this,
            [this] {
                frmCustomizeTemplates dialog(this, this);
                dialog.exec();
            });
    addItem(m_menus[3], settings, 5, QStringLiteral("-"));
    connect(addItem(m_menus[3], settings, 6, QStringLiteral("Resize preview"),
                    QKeySequence(Qt::CTRL | Qt::Key_L)),
            &QAction::triggered, this, [this] { setBigPreview(!BigPreview()); });
    addItem(m_menus[3], settings, 10, QStringLiteral("-"));
    connect(addItem(m_menus[3], settings, 11, QStringLiteral("Global settings...")),
            &QAction::triggered, this, &frmPicturesList::showSettings);

    const QString help = QStringLiteral("mnuHelp");
    connect(addItem(m_menus[4], help, 0, QStringLiteral("Contents"), QKeySequence(Qt::Key_F1)),
            &QAction::triggered, this,
            [this] { OpenUserGuide([this](const QString& path) { frmUserGuide::ShowGuide(path, this); }); });
    addItem(m_menus[4], help, 1, QStringLiteral("-"));
    connect(addItem(m_menus[4], help, 2, QStringLiteral("Statistics..."), QKeySequence(Qt::CTRL | Qt::Key_I)),
            &QAction::triggered, this, [this] {
                if (m_statistics)
                    m_statistics->Show();
            });
    addItem(m_menus[4], help, 3, QStringLiteral("-"));
    connect(addItem(m_menus[4], help, 4, QStringLiteral("About..."), QKeySequence(Qt::SHIFT | Qt::Key_F1)),
            &QAction::triggered, this,
            [this] { ShowAboutBox(this, GetAboutBoxPicture(), AboutDedication()); });

    for (int i = 0; i < 4; ++i)
        bar->addMenu(m_menus[i]);
    // Help sits at the right end of the bar, in a bar of its own in the corner.
    m_helpBar = new QMenuBar(bar);
    m_helpBar->setObjectName(QStringLiteral("mnuMainRight"));
    m_helpBar->addMenu(m_menus[4]);
    bar->setCornerWidget(m_helpBar, Qt::TopRightCorner);

    const char* paint[6] = {"File", "Edit", "View", "Image", "Colors", "Help"};
    for (int i = 0; i < 6; ++i) {
        QAction* a = bar->addAction(QString::fromLatin1(paint[i]));
        a->setObjectName(QStringLiteral("mnuPaintMode%1").arg(i));
        a->setVisible(false);
        m_paintMenus.append(a);
    }
}

void frmPicturesList::LoadTemplates()
{
    const QList<TemplateSlot> templates = ruvia::LoadTemplates();
    const QList<SlotPlacement> places = ArrangeSlots(templates, SET_GroupVisibleSlots);
    // One move for all slots: the window is not redrawn part way.
    setUpdatesEnabled(false);
    // The slots start level with the list, wherever the toolbar has put it.
    const int top = m_list->y();
    for (int i = 0; i < kTemplateCount; ++i) {
        const SlotPlacement& place = places.value(i);
        const int row = Twips(kSlotPitch) * place.row;
        m_tags[i]->setText(place.label);
        m_tags[i]->setGeometry(Twips(kSlotsLeft), top + row, slotWidth(), Twips(kTagHeight));
        m_slots[i]->setGeometry(Twips(kSlotsLeft), top + row + Twips(kSlotTop), slotWidth(),
                                Twips(kSlotHeight));
        m_slots[i]->setProperty("Tag", templates.value(i).body);
        m_tags[i]->setVisible(place.visible);
        m_slots[i]->setVisible(place.visible);
    }
    setUpdatesEnabled(true);
    m_slotTemplates = SlotTemplates(templates);
}

void frmPicturesList::FillList()
{
    if (m_list->count() > 0)
        SaveListPosition();
    m_suppressClick = true;
    m_list->setItems(GetLinksList());
    m_suppressClick = m_inProgress;
    if (m_list->count() > 0)
        LoadListPosition();
    enableControls(m_list->count() > 0, false);
}

void frmPicturesList::SaveListPosition() { ruvia::SaveListPosition(*m_list, GetGroupSettingsFile()); }

void frmPicturesList::LoadListPosition()
{
    if (ruvia::LoadListPosition(*m_list, GetGroupSettingsFile()))
        UpdateSlotsAndPreview(false);
}

void frmPicturesList::HandleListClick()
{
    m_delayedClick->stop();
    m_delayedClick->start();
}

void frmPicturesList::delayedClick()
{
    m_delayedClick->stop();
    if (m_suppressClick || m_inProgress || m_updating)
        return;
    UpdateSlotsAndPreview(false);
}

void frmPicturesList::UpdateSlotsAndPreview(bool skipPreview)
{
    m_updating = true;
    const QList<int> rows = m_list->selectedRows();
    const QStringList& items = m_list->postModel()->items();
    if (rows.isEmpty() || m_list->currentIndex() >= 0) {
        const SlotFill fill = FillSlots(items, rows, m_slotTemplates, SET_MaxGroupSelection,
                                        SET_HourglassThreshold);
        for (int i = 0; i < kTemplateCount && i < fill.texts.size(); ++i)
            if (fill.set.at(i))
                showSlotText(m_slots[i], fill.texts.at(i));
    }
    const QString single =
        rows.size() == 1 ? GetOriginalFileName(PostIdOfItem(items.value(rows.first()))) : QString();
    m_info->setListInfo(SelectionInfoText(m_list->currentIndex(), m_list->count(),
                                          int(rows.size()), single));
    if (!skipPreview)
        showPreview(currentPostId());
    m_updating = false;
}

QString frmPicturesList::currentPostId() const
{
    const int current = m_list->currentIndex();
    return current < 0 ? QString() : PostIdOfItem(m_list->itemText(current));
}

void frmPicturesList::showPreview(const QString& postId)
{
    m_preview->setPreview(postId.isEmpty() ? Preview{} : LoadPostPreview(postId), !postId.isEmpty());
}

void frmPicturesList::copyAll(int slot)
{
    if (!m_slots[slot]->isVisible())
        return;
    const QList<int> rows = m_list->selectedRows();
    QString text;
    if (!rows.isEmpty())
        text = CopyAllText(m_list->postModel()->items(), rows, m_slotTemplates.value(slot).body,
                           SET_HourglassThreshold);
    shell().SetClipboardText(text);
    QApplication::beep();
}

void frmPicturesList::slotContextMenu(int slot, const QPoint& pos)
{
    QLineEdit* box = m_slots[slot];
    // A slot without the focus has no selection yet: its whole text is what the user means.
    const QString chosen = box->hasSelectedText() ? box->selectedText() : box->text();
    QMenu menu(this);
    menu.setObjectName(QStringLiteral("mnuSlot"));
    QAction* copy = menu.addAction(QStringLiteral("&Copy"));
    copy->setObjectName(QStringLiteral("mnuSlotCopy"));
    copy->setShortcut(QKeySequence::Copy);
    copy->setEnabled(!chosen.isEmpty());
    connect(copy, &QAction::triggered, this, [chosen] { shell().SetClipboardText(chosen); });
    QAction* all = menu.addAction(QStringLiteral("Select &All"));
    all->setObjectName(QStringLiteral("mnuSlotSelectAll"));
    all->setEnabled(!box->text().isEmpty());
    connect(all, &QAction::triggered, box, [box] {
        box->setFocus(Qt::PopupFocusReason);
        selectWholeText(box);
    });
    menu.exec(box->mapToGlobal(pos));
}

void frmPicturesList::openCurrentPicture()
{
    if (!m_inProgress && m_list->currentIndex() >= 0)
        OpenPicture(currentPostId());
}

void frmPicturesList::enableControls(bool enable, bool busy)
{
    const ControlsEnabling e = EnableControls(enable, busy);
    m_list->setEnabled(e.content);
    m_preview->setEnabled(e.content);
    m_menus[0]->menuAction()->setEnabled(e.content);
    m_menus[1]->menuAction()->setEnabled(e.content);
    for (int i = 0; i < kTemplateCount; ++i) {
        m_tags[i]->setEnabled(e.content);
        m_slots[i]->setEnabled(e.content);
    }
    for (int i = 2; i < 5; ++i)
        m_menus[i]->menuAction()->setEnabled(e.others);
}

void frmPicturesList::setInProgress(bool busy)
{
    m_inProgress = busy;
    m_suppressClick = busy;
    enableControls(!busy, true);
    if (busy && m_progressPanel->isHidden()) {
        m_progress->clear();
        m_progressPanel->show();
        m_progressPanel->raise();
    } else if (!busy && !m_progressPanel->isHidden()) {
        m_progressPanel->hide();
    }
}

void frmPicturesList::setProgressText(const QString& text)
{
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    m_progress->setText(shown);
}

PostList& frmPicturesList::posts() { return *m_list; }

void frmPicturesList::showProgress(const QString& text)
{
    setProgressText(text);
    QCoreApplication::processEvents();
}

void frmPicturesList::refreshPictureMenu()
{
    const QList<int> rows = m_list->selectedRows();
    const bool resolved =
        rows.size() == 1 && IsLinkResolved(PostIdOfItem(m_list->itemText(rows.first())));
    for (const MenuItemState& item : PictureMenuState(int(rows.size()), resolved)) {
        auto* a = findChild<QAction*>(QStringLiteral("mnuPictureMain%1").arg(item.index));
        if (!a)
            continue;
        a->setText(item.caption);
        a->setEnabled(item.enabled);
    }
}

void frmPicturesList::pictureCommand(int index)
{
    if (m_inProgress)
        return;
    switch (index) {
    case miOpenPicture:
        openCurrentPicture();
        break;
    case miOpenPost:
        m_operations.OpenPost();
        break;
    case miDownloadThumbnails:
    case miDownloadPictures:
    case miDownloadMissingThumbnails:
    case miDownloadMissingPictures:
        m_operations.DownloadSelectedFiles(index % 10 == 0, index >= miDownloadMissingThumbnails);
        break;
    case miDeleteThumbnails:
    case miDeletePictures:
        m_operations.DeleteSelectedFiles(index == miDeleteThumbnails);
        break;
    case miImportThumbnail:
    case miImportPicture:
        m_operations.ImportSelectedFile(index == miImportThumbnail);
        break;
    case miResolveLinks:
        m_operations.ResolveSelectedPosts();
        break;
    case miResetLinks:
        m_operations.ResetSelectedLinks();
        break;
    default:
        // "Delete links" has no action: removing posts from the base is not offered.
        break;
    }
}

void frmPicturesList::showPictureMenu(const QPoint& globalPos, bool fromPreview)
{
    if (m_inProgress || !m_menus[0]->menuAction()->isEnabled())
        return;
    refreshPictureMenu();
    QAction* open = findChild<QAction*>(QStringLiteral("mnuPictureMain0"));
    m_pictureMenu->setDefaultAction(fromPreview ? open : nullptr);
    m_pictureMenu->exec(globalPos);
    m_pictureMenu->setDefaultAction(nullptr);
}

void frmPicturesList::listContextMenu(const QPoint& pos)
{
    const QModelIndex under = m_list->indexAt(pos);
    if (under.isValid() && !m_list->isSelected(under.row())) {
        m_suppressClick = true;
        m_list->selectionModel()->clearSelection();
        m_suppressClick = m_inProgress;
        m_list->setCurrentIndex(under.row());
        m_list->selectRange(under.row(), under.row(), true);
    }
    showPictureMenu(m_list->viewport()->mapToGlobal(pos), false);
}

void frmPicturesList::showOnly(int row)
{
    m_suppressClick = true;
    m_list->selectionModel()->clearSelection();
    m_list->setCurrentIndex(row);
    m_list->selectRange(row, row, true);
    m_suppressClick = m_inProgress;
    m_delayedClick->stop();
    UpdateSlotsAndPreview(false);
}

void frmPicturesList::search(bool findNext)
{
    if (!m_searchHost)
        m_searchHost = std::make_unique<CSearchHost>([this] { return AskForSearch(this); });
    m_searchHost->SearchText(*m_list, findNext);
}

void frmPicturesList::showSettings()
{
    frmSettings dialog(this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    // The slot grouping and the selection limit may have changed.
    LoadTemplates();
    UpdateSlotsAndPreview(true);
}

void frmPicturesList::RunBaseDialog(const std::function<void()>& show, bool showNewest)
{
    const int before = GetLinksCount();
    if (SET_HidePreview)
        m_preview->clearPreview();
    show();
    if (SET_HidePreview)
        showPreview(currentPostId());
    raise();
    activateWindow();
    if (GetLinksCount() > before) {
        FillList();
        // New posts are appended to the base: the last item is the newest.
        if (showNewest)
            showOnly(m_list->count() - 1);
        m_list->setFocus();
    }
}

bool frmPicturesList::BigPreview() const { return m_list->height() == Twips(kBigListHeight); }

void frmPicturesList::setBigPreview(bool big)
{
    if (m_inProgress || big == BigPreview())
        return;
    const int listHeight = big ? kBigListHeight : kSmallListHeight;
    m_list->setGeometry(m_list->x(), m_list->y(), m_list->width(), Twips(listHeight));
    layoutForm();
    m_preview->update();
}

int frmPicturesList::slotWidth() const
{
    return Twips(kSlotsWidth) + qMax(0, m_form->width() - m_baseFormSize.width());
}

void frmPicturesList::layoutForm()
{
    if (m_baseFormSize.isEmpty())
        return;
    const int taller = qMax(0, m_form->height() - m_baseFormSize.height());
    const int listHeight = BigPreview() ? kBigListHeight : kSmallListHeight;
    m_preview->setGeometry(m_list->x(), m_list->y() + m_list->height() + Twips(kPreviewGap),
                           m_list->width(), Twips(kColumnHeight - listHeight) + taller);
    for (int i = 0; i < kTemplateCount; ++i) {
        m_tags[i]->resize(slotWidth(), m_tags[i]->height());
        m_slots[i]->resize(slotWidth(), m_slots[i]->height());
    }
    m_info->resize(m_form->width(), ucInfoToolBar::fixedHeight());
    m_progressPanel->move((m_form->width() - m_progressPanel->width()) / 2,
                          (m_form->height() - m_progressPanel->height()) / 2);
    if (m_paint->isVisible())
        m_paint->setGeometry(m_form->rect());
}

void frmPicturesList::restorePlacement()
{
    WindowPlacement placement;
    if (!SettingsStore::LoadWindowPlacement(kPlacementSection, kPlacementKey, placement))
        return;
    setGeometry(placement.rect);
    if (placement.maximized)
        setWindowState(windowState() | Qt::WindowMaximized);
}

void frmPicturesList::savePlacement()
{
    const WindowPlacement placement{normalGeometry().isValid() ? normalGeometry() : geometry(),
                                    isMaximized()};
    SettingsStore::SaveWindowPlacement(kPlacementSection, kPlacementKey, placement);
}

bool frmPicturesList::PaintModeShown() const { return m_paint->isVisible(); }

void frmPicturesList::setPaintMode(bool shown)
{
    if (shown == PaintModeShown())
        return;
    for (int i = 0; i < 4; ++i)
        m_menus[i]->menuAction()->setVisible(!shown);
    m_helpBar->setVisible(!shown);
    for (QAction* a : m_paintMenus)
        a->setVisible(shown);
    if (shown) {
        m_savedCaption = windowTitle();
        m_savedFocus = QApplication::focusWidget();
        setWindowTitle(kPaintCaption);
        m_paint->setGeometry(m_form->rect());
        m_paint->show();
        m_paint->raise();
        m_paint->setFocus();
        enableControls(false, true);
        setWindowIcon(paintIcon());
    } else {
        m_paint->hide();
        enableControls(m_list->count() > 0, false);
        setWindowTitle(m_savedCaption);
        if (m_savedFocus)
            m_savedFocus->setFocus();
        setWindowIcon(appIcon());
    }
}

bool frmPicturesList::handleWindowKey(QKeyEvent* key, bool overrideOnly)
{
    const KeyAction action = LinksWindowKey(
        key->key(), key->modifiers(), {m_inProgress, SET_PaintMode, PaintModeShown()});
    if (action == KeyAction::None)
        return false;
    if (overrideOnly) {
        // Taken by the window: no shortcut runs, the key press comes here.
        key->accept();
        return true;
    }
    switch (action) {
    case KeyAction::None:
    case KeyAction::Swallow:
        break;
    case KeyAction::RequestStop:
        m_cancelRequest = true;
        break;
    case KeyAction::EnterPaint:
        setPaintMode(true);
        break;
    case KeyAction::LeavePaint:
        setPaintMode(false);
        break;
    case KeyAction::Close:
        close();
        break;
    case KeyAction::OpenPicture:
        openCurrentPicture();
        break;
    case KeyAction::ImportPicture:
        refreshPictureMenu();
        if (QAction* a = findChild<QAction*>(QStringLiteral("mnuPictureMain%1").arg(miImportPicture));
            a && a->isEnabled())
            a->trigger();
        break;
    case KeyAction::SelectAll:
        if (m_list->count() > 0) {
            m_list->selectAllItems();
            HandleListClick();
        }
        break;
    }
    return true;
}

bool frmPicturesList::handleSlotKey(int slot, QKeyEvent* key)
{
    if (plainMods(key) != Qt::NoModifier)
        return false;
    switch (key->key()) {
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Up:
    case Qt::Key_Down:
        if (key->type() == QEvent::KeyPress)
            SendKeyPress(m_list, key->key());
        return true;
    case Qt::Key_F4:
        if (key->type() == QEvent::KeyPress)
            copyAll(slot);
        return true;
    default:
        return false;
    }
}

bool frmPicturesList::eventFilter(QObject* watched, QEvent* event)
{
    // Installed on the application, so the window sees every key before its controls.
    const QEvent::Type type = event->type();
    auto* w = qobject_cast<QWidget*>(watched);
    if (!w || w->window() != this)
        return false;
    if (type == QEvent::KeyPress || type == QEvent::ShortcutOverride) {
        auto* key = static_cast<QKeyEvent*>(event);
        const bool overrideOnly = type == QEvent::ShortcutOverride;
        if (handleWindowKey(key, overrideOnly))
            return true;
        for (int i = 0; i < kTemplateCount; ++i) {
            if (watched == m_slots[i] && handleSlotKey(i, key)) {
                if (overrideOnly)
                    key->accept();
                return true;
            }
        }
    } else if (type == QEvent::Resize && watched == m_form) {
        layoutForm();
    } else if (type == QEvent::FocusIn) {
        // After the focus change, or the click that gave the focus would undo the selection.
        for (QLineEdit* box : m_slots)
            if (watched == box)
                QTimer::singleShot(0, box, [box] { selectWholeText(box); });
    }
    return false;
}

void frmPicturesList::BlockSent(qint64 block, qint64 done, qint64 total, bool& cancel)
{
    m_transfer->BlockSent(block, done, total, cancel);
}

void frmPicturesList::BlockReceived(qint64 block, qint64 done, qint64 total, bool& cancel)
{
    m_transfer->BlockReceived(block, done, total, cancel);
}

void frmPicturesList::closeEvent(QCloseEvent* event)
{
    if (m_inProgress) {
        m_cancelRequest = true;
        event->ignore();
        return;
    }
    unload();
    event->accept();
}

void frmPicturesList::unload()
{
    if (m_unloaded)
        return;
    m_unloaded = true;
    m_delayedClick->stop();
    m_transfer = std::make_unique<TransferProgress>(TransferProgress::ShowText{}, nullptr, m_cancelRequest);
    m_statistics.reset();
    m_searchHost.reset();
    savePlacement();
    SaveListPosition();
    // The last save of the session also folds the journal into Links.XML.
    FoldLinksBase();
    UnMarkToolBarForm(this);
    ReleaseGroupLock();
    if (m_login)
        m_login->GroupClosed();
}

} // namespace ruvia
