#include "gui/upload/frmbatch.h"

#include "gui/frmhistory.h"
#include "gui/paint.h"
#include "gui/resources.h"
#include "gui/toolbarproxy.h"
#include "gui/windowhelper.h"
#include "platform/filedialogs.h"
#include "platform/listselection.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>

namespace ruvia {

namespace {
Qt::KeyboardModifiers mods(const QKeyEvent* key)
{
    return key->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
}

bool isEnter(const QKeyEvent* key) { return key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter; }

class ListWidgetSelection : public ListSelection {
public:
    explicit ListWidgetSelection(QListWidget* list) : m_list(list) {}
    int count() const override { return m_list->count(); }
    bool isSelected(int index) const override
    {
        return m_list->selectionModel()->isSelected(m_list->model()->index(index, 0));
    }
    void selectRange(int first, int last, bool select) override
    {
        const QItemSelection range(m_list->model()->index(first, 0), m_list->model()->index(last, 0));
        m_list->selectionModel()->select(range, select ? QItemSelectionModel::Select
                                                       : QItemSelectionModel::Deselect);
    }

private:
    QListWidget* m_list;
};
} // namespace

frmBatch::frmBatch(QWidget* parent, IUploadQueue& queue) : QDialog(parent), m_queue(queue)
{
    setObjectName(QStringLiteral("frmBatch"));
    setWindowIcon(appIcon());

    m_note = new QLabel(
        QStringLiteral("You must specify caption, tags and group at main dialog. Here you can only select folder!"),
        this);
    m_note->setObjectName(QStringLiteral("lblNote"));
    m_note->setWordWrap(true);
    m_path = new QLineEdit(this);
    m_path->setObjectName(QStringLiteral("txtPath"));
    auto* pathLabel = new QLabel(QStringLiteral("Folder:"), this);
    pathLabel->setObjectName(QStringLiteral("lblPath"));
    pathLabel->setBuddy(m_path);
    auto button = [this](const char* name, const QString& text) {
        auto* b = new QPushButton(text, this);
        b->setObjectName(QString::fromLatin1(name));
        b->setAutoDefault(false);
        return b;
    };
    m_browse = button("cmdBrowse", QStringLiteral("Browse..."));
    m_pathHistory = button("cmdBatchPathHistory", QStringLiteral("History"));
    m_files = new QListWidget(this);
    m_files->setObjectName(QStringLiteral("lstFiles"));
    m_files->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_files->setUniformItemSizes(true);
    m_create = button("cmdCreatePhoto", QStringLiteral("Create posts"));
    m_create->setDefault(true);

    auto* grid = new QGridLayout(this);
    grid->addWidget(m_note, 0, 0, 1, 4);
    grid->addWidget(pathLabel, 1, 0);
    grid->addWidget(m_path, 1, 1);
    grid->addWidget(m_browse, 1, 2);
    grid->addWidget(m_pathHistory, 1, 3);
    grid->addWidget(m_files, 2, 0, 1, 4);
    auto* bottom = new QHBoxLayout;
    bottom->addStretch(1);
    bottom->addWidget(m_create);
    grid->addLayout(bottom, 3, 0, 1, 4);
    grid->setColumnStretch(1, 1);
    resize(560, 420);

    connect(m_browse, &QPushButton::clicked, this, &frmBatch::Browse);
    connect(m_pathHistory, &QPushButton::clicked, this, &frmBatch::PickFromHistory);
    connect(m_create, &QPushButton::clicked, this, &frmBatch::CreatePosts);
    connect(m_files, &QListWidget::itemSelectionChanged, this, &frmBatch::UpdateCaption);
    // The window's keys work wherever the focus is.
    for (QWidget* w : findChildren<QWidget*>())
        w->installEventFilter(this);

    tsCenterFormEx(this);
    MarkToolBarForm(this);
    EnableAutoComplete(m_path, 32);
    SetCurrentPath(m_batch.Load());
}

frmBatch::~frmBatch() { Unload(); }

void frmBatch::Unload()
{
    if (m_unloaded)
        return;
    m_unloaded = true;
    m_batch.Unload();
    UnMarkToolBarForm(this);
}

void frmBatch::done(int result)
{
    Unload();
    QDialog::done(result);
}

void frmBatch::SetCurrentPath(const QString& path)
{
    if (!m_batch.SetCurrentPath(path))
        return;
    m_files->setUpdatesEnabled(false);
    {
        const QSignalBlocker quiet(m_files);
        m_files->clear();
        m_files->addItems(m_batch.Files());
        ListWidgetSelection selection(m_files);
        LVSelectAll(selection);
    }
    m_files->setUpdatesEnabled(true);
    m_path->setText(m_batch.CurrentPath());
    m_path->selectAll();
    UpdateCaption();
}

void frmBatch::UpdateCaption()
{
    setWindowTitle(BatchCaption(m_files->count()));
    m_create->setEnabled(m_files->selectionModel()->hasSelection());
}

void frmBatch::Browse()
{
    FileDialogOptions options;
    options.title = QStringLiteral("Choose directory with pictures to be converted in batch.");
    options.initialFolder = m_path->text();
    const QString folder = fileDialogs().ShowFolder(options);
    if (folder.isEmpty())
        return;
    SetCurrentPath(folder);
    m_files->setFocus();
}

void frmBatch::PickFromHistory()
{
    if (ShowHistoryDialog(m_batch.History(), m_path))
        SetCurrentPath(m_path->text());
}

void frmBatch::CreatePosts()
{
    ListWidgetSelection selection(m_files);
    m_batch.CreateItems(selection, m_queue);
    UpdateCaption();
}

bool frmBatch::handleWindowKey(QKeyEvent* key)
{
    const auto m = mods(key);
    if (key->key() == Qt::Key_F5 && m == Qt::NoModifier) {
        SetCurrentPath(m_path->text());
        return true;
    }
    if (key->key() == Qt::Key_F1 && m == Qt::ShiftModifier) {
        ShowAboutBox(this, GetAboutBoxPicture(), AboutDedication());
        return true;
    }
    if (key->key() == Qt::Key_Escape && m == Qt::NoModifier) {
        reject();
        return true;
    }
    return false;
}

bool frmBatch::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::KeyPress: {
        auto* key = static_cast<QKeyEvent*>(event);
        if (handleWindowKey(key))
            return true;
        if (watched == m_path && isEnter(key)) {
            if (mods(key) == Qt::NoModifier) {
                SetCurrentPath(m_path->text());
                return true;
            }
            if (mods(key) == Qt::ControlModifier) {
                if (m_path->text() != m_batch.CurrentPath()) {
                    m_path->setText(m_batch.CurrentPath());
                    m_path->selectAll();
                }
                PressButton(m_create);
                return true;
            }
        }
        if (watched == m_files && key->key() == Qt::Key_A && mods(key) == Qt::ControlModifier) {
            // Taken whole, so no character of it reaches the list's search.
            ListWidgetSelection selection(m_files);
            LVSelectAll(selection);
            return true;
        }
        break;
    }
    case QEvent::FocusIn:
        if (watched == m_path) {
            // Enter in the box lists the folder rather than creating posts.
            m_create->setDefault(false);
            QTimer::singleShot(0, m_path, &QLineEdit::selectAll);
        }
        break;
    case QEvent::FocusOut:
        if (watched == m_path)
            m_create->setDefault(true);
        break;
    default:
        break;
    }
    return QDialog::eventFilter(watched, event);
}

void frmBatch::keyPressEvent(QKeyEvent* event)
{
    if (handleWindowKey(event))
        return;
    QDialog::keyPressEvent(event);
}

void frmBatch::paintEvent(QPaintEvent* event)
{
    tsPaintDesktop2(this);
    QDialog::paintEvent(event);
}

} // namespace ruvia
