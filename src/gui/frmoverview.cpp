#include "gui/frmoverview.h"

#include "core/group.h"
#include "gui/paint.h"
#include "gui/windowhelper.h"
#include "platform/inifile.h"
#include "platform/paths.h"
#include "platform/settingsstore.h"
#include "platform/textrules.h"
#include "platform/textutil.h"
#include "platform/xmldocument.h"
#include "support/statistics.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTreeWidget>

namespace ruvia {

namespace {
constexpr int kTagRole = Qt::UserRole;
}

frmOverview::frmOverview(const QString& name, const QString& caption, const QStringList& columns,
                         const QList<int>& widthsTwips, int clientWidthTwips,
                         const QString& layoutKey, QWidget* parent)
    : QDialog(parent), m_layoutKey(layoutKey)
{
    setObjectName(name);
    setWindowTitle(MakeWindowTitle(caption));
    setWindowIcon(QIcon());
    resize(Twips(clientWidthTwips), Twips(3315));
    m_list = new QTreeWidget(this);
    m_list->setObjectName(QStringLiteral("lvUploads"));
    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(true);
    m_list->setAllColumnsShowFocus(true);
    m_list->setHeaderLabels(columns);
    m_list->setGeometry(Twips(120), Twips(120), Twips(clientWidthTwips - 240), Twips(3075));
    for (int i = 1; i < columns.size(); ++i)
        m_list->headerItem()->setTextAlignment(i, Qt::AlignRight | Qt::AlignVCenter);
    QList<int> widths = SettingsStore::LoadListLayout(m_layoutKey);
    if (widths.size() != columns.size()) {
        widths.clear();
        for (int w : widthsTwips)
            widths.append(Twips(w));
    }
    for (int i = 0; i < widths.size(); ++i)
        m_list->setColumnWidth(i, widths.at(i));
    m_list->viewport()->installEventFilter(this);
    connect(m_list, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item) {
        if (item && item == m_pressedRow)
            choose(item);
    });
    tsCenterFormEx(this);
}

frmOverview::~frmOverview()
{
    QList<int> widths;
    for (int i = 0; i < m_list->columnCount(); ++i)
        widths.append(m_list->columnWidth(i));
    SettingsStore::SaveListLayout(m_layoutKey, widths);
}

QTreeWidgetItem* frmOverview::addRow(const QStringList& texts, int tag)
{
    auto* item = new QTreeWidgetItem(m_list, texts);
    item->setData(0, kTagRole, tag);
    for (int i = 1; i < texts.size(); ++i)
        item->setTextAlignment(i, Qt::AlignRight | Qt::AlignVCenter);
    return item;
}

void frmOverview::choose(QTreeWidgetItem* item)
{
    m_chosen = item->data(0, kTagRole).toInt();
    accept();
}

bool frmOverview::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_list->viewport() && event->type() == QEvent::MouseButtonPress) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        m_pressedRow = m_list->itemAt(mouse->position().toPoint());
    }
    return QDialog::eventFilter(watched, event);
}

void frmOverview::keyPressEvent(QKeyEvent* event)
{
    const auto mods = event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    if (mods == Qt::NoModifier && (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)) {
        if (QTreeWidgetItem* item = m_list->currentItem(); item && item->isSelected())
            choose(item);
        return;
    }
    if (mods == Qt::NoModifier && event->key() == Qt::Key_Escape) {
        m_chosen = -1;
        reject();
        return;
    }
    QDialog::keyPressEvent(event);
}

void frmOverview::closeEvent(QCloseEvent* event)
{
    // The title bar's close hides the window; the choice stays as it was.
    event->ignore();
    reject();
}

void frmOverview::paintEvent(QPaintEvent* event)
{
    tsPaintDesktop2(this);
    QDialog::paintEvent(event);
}

frmUploadsCheck::frmUploadsCheck(QWidget* parent)
    : frmOverview(QStringLiteral("frmUploadsCheck"), QStringLiteral("Active uploads"),
                  {QStringLiteral("Group name"), QStringLiteral("Queue")}, {4605, 840}, 6015,
                  QStringLiteral("Uploads List"), parent)
{
}

int CountQueuedUploads(const QString& uploadsFile)
{
    if (!tsIsFileExist(uploadsFile))
        return 0;
    xhXMLDocument doc;
    if (!doc.Load(uploadsFile))
        return 0;
    return int(doc.SelectNodes(QStringLiteral("/Uploads/UploadItem")).size());
}

void frmUploadsCheck::ShowUploads(const QComboBox* groups)
{
    for (int i = 0; i < groups->count(); ++i) {
        const QString name = groups->itemText(i);
        const int count = CountQueuedUploads(
            tsBuildFileName(GetGroupDataPath(name), QStringLiteral("Uploads.XML")));
        if (count > 0)
            addRow({name, QString::number(count)}, i);
    }
}

frmTotalStatistics::frmTotalStatistics(QWidget* parent)
    : frmOverview(QStringLiteral("frmTotalStatistics"), QStringLiteral("Total statistics"),
                  {QStringLiteral("Group name"), QStringLiteral("Sent"), QStringLiteral("Received"),
                   QStringLiteral("Total")},
                  {4605, 1200, 1200, 1200}, 8775, QStringLiteral("Statistics List"), parent)
{
}

void frmTotalStatistics::ShowStatistics(const QComboBox* groups)
{
    double grandSent = 0;
    double grandReceived = 0;
    const auto fmt = [](double v) { return tsFormatByteSizeEx(v); };
    for (int i = 0; i < groups->count(); ++i) {
        const QString name = groups->itemText(i);
        const QString file = tsBuildFileName(GetGroupDataPath(name), QStringLiteral("Settings.INI"));
        const qint32 sent = tsReadLongFromINI(CStatistics::kSection, CStatistics::kSentKey, 0, file);
        const qint32 received =
            tsReadLongFromINI(CStatistics::kSection, CStatistics::kReceivedKey, 0, file);
        if (sent <= 0 && received <= 0)
            continue;
        addRow({name, fmt(sent), fmt(received), fmt(double(sent) + double(received))}, i);
        grandSent += sent;
        grandReceived += received;
    }
    QTreeWidgetItem* total = addRow({QStringLiteral("*** Grand total"), fmt(grandSent),
                                     fmt(grandReceived), fmt(grandSent + grandReceived)},
                                    -1);
    QFont bold = total->font(0);
    bold.setBold(true);
    for (int c = 0; c < 4; ++c) {
        total->setFont(c, bold);
        total->setForeground(c, QColor(255, 0, 0));
    }
}

} // namespace ruvia
