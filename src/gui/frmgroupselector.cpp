#include "gui/frmgroupselector.h"

#include "base/linkbase.h"
#include "core/group.h"
#include "core/password.h"
#include "gui/frmhistory.h"
#include "gui/frmoverview.h"
#include "gui/links/frmpictureslist.h"
#include "gui/frmproxy.h"
#include "gui/paint.h"
#include "gui/resources.h"
#include "gui/toolbarproxy.h"
#include "gui/windowhelper.h"
#include "platform/settingsstore.h"
#include "platform/textrules.h"
#include "platform/textutil.h"
#include "service/v1account.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

namespace ruvia {

namespace {
const QString kPlacementKey = QStringLiteral("Window placement");

QPushButton* button(QWidget* parent, const QString& name, const QString& caption)
{
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(name);
    b->setAutoDefault(false);
    return b;
}
} // namespace

frmGroupSelector::frmGroupSelector(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("frmGroupSelector"));
    setWindowTitle(MakeWindowTitle(QStringLiteral("Starting")));
    setWindowIcon(appIcon());

    m_email = new QLineEdit(this);
    m_email->setObjectName(QStringLiteral("txtEMail"));
    m_password = new QLineEdit(this);
    m_password->setObjectName(QStringLiteral("txtPassword"));
    m_password->setEchoMode(QLineEdit::Password);
    m_group = new QComboBox(this);
    m_group->setObjectName(QStringLiteral("cboGroup"));
    m_group->setEditable(true);
    m_group->setInsertPolicy(QComboBox::NoInsert);
    m_group->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_group->setMinimumContentsLength(28);
    m_get = button(this, QStringLiteral("cmdGetGroups"), QStringLiteral("Get"));
    m_history = button(this, QStringLiteral("cmdEMailHistory"), QStringLiteral("History"));
    m_proxy = button(this, QStringLiteral("cmdProxy"), QStringLiteral("Proxy..."));
    m_proceed = button(this, QStringLiteral("cmdPostsList"), QStringLiteral("Proceed"));
    m_proceed->setDefault(true);
    m_cancel = button(this, QStringLiteral("cmdCancel"), QStringLiteral("Exit"));
    m_uploads = button(this, QStringLiteral("cmdUploadsCheck"), QStringLiteral("Show active uploads (F6)"));
    m_statistics = button(this, QStringLiteral("cmdTotalStatistics"), QStringLiteral("Show total statistics"));

    auto* grid = new QGridLayout(this);
    auto label = [this](const QString& text, QWidget* buddy) {
        auto* l = new QLabel(text, this);
        l->setBuddy(buddy);
        return l;
    };
    grid->addWidget(label(QStringLiteral("E-Mail:"), m_email), 0, 0);
    grid->addWidget(m_email, 0, 1);
    grid->addWidget(m_history, 0, 2);
    grid->addWidget(label(QStringLiteral("Password:"), m_password), 1, 0);
    grid->addWidget(m_password, 1, 1);
    grid->addWidget(m_get, 1, 2);
    grid->addWidget(label(QStringLiteral("Group:"), m_group), 2, 0);
    grid->addWidget(m_group, 2, 1);
    grid->addWidget(m_proceed, 2, 2);
    auto* overviews = new QHBoxLayout;
    overviews->addWidget(m_uploads);
    overviews->addWidget(m_statistics);
    overviews->addStretch(1);
    grid->addLayout(overviews, 3, 0, 1, 3);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(m_proxy);
    bottom->addStretch(1);
    bottom->addWidget(m_cancel);
    grid->addLayout(bottom, 4, 0, 1, 3);
    grid->setColumnStretch(1, 1);
    grid->setVerticalSpacing(8);
    grid->setContentsMargins(12, 12, 12, 12);

    connect(m_get, &QPushButton::clicked, this, &frmGroupSelector::GetGroups);
    connect(m_proceed, &QPushButton::clicked, this, &frmGroupSelector::Proceed);
    connect(m_proxy, &QPushButton::clicked, this, [this] { ShowProxyDialog(this); });
    connect(m_history, &QPushButton::clicked, this,
            [this] { ShowHistoryDialog(m_emailHistory, m_email); });
    connect(m_uploads, &QPushButton::clicked, this, [this] { ShowOverview(true); });
    connect(m_statistics, &QPushButton::clicked, this, [this] { ShowOverview(false); });
    connect(m_cancel, &QPushButton::clicked, this, [this] {
        if (m_inProgress)
            m_stopRequested = true;
        else
            close();
    });
    connect(m_email, &QLineEdit::textChanged, this, &frmGroupSelector::UpdateControls);
    connect(m_password, &QLineEdit::textChanged, this, &frmGroupSelector::UpdateControls);
    connect(m_group, &QComboBox::currentTextChanged, this, &frmGroupSelector::UpdateControls);
    connect(m_group, &QComboBox::activated, this, &frmGroupSelector::UpdateControls);
    for (QWidget* w : {static_cast<QWidget*>(m_email), static_cast<QWidget*>(m_password),
                       static_cast<QWidget*>(m_group)})
        w->installEventFilter(this);
    if (m_group->lineEdit())
        m_group->lineEdit()->installEventFilter(this);

    adjustSize();
    resize(qMax(width(), 460), height());
    tsCenterFormEx(this);
    MarkToolBarForm(this);
    LoadFormState();
    UpdateControls();
    m_emailHistory.InitFileName(QString(), QStringLiteral("E-Mail History.DAT"));
    m_emailHistory.LoadHistory();
}

frmGroupSelector::~frmGroupSelector()
{
    if (!m_unloaded) {
        m_emailHistory.SaveHistory();
        UnMarkToolBarForm(this);
        SaveFormState();
    }
}

void frmGroupSelector::UpdateControls()
{
    const bool idle = !m_inProgress;
    for (QWidget* w : {static_cast<QWidget*>(m_group), static_cast<QWidget*>(m_email),
                       static_cast<QWidget*>(m_password), static_cast<QWidget*>(m_proxy),
                       static_cast<QWidget*>(m_history)})
        w->setEnabled(idle);
    m_cancel->setEnabled(true);
    m_cancel->setText(idle ? QStringLiteral("Exit") : QStringLiteral("Cancel"));
    m_uploads->setEnabled(idle && m_group->count() > 0);
    m_statistics->setEnabled(idle);
    const bool credentials = !m_email->text().isEmpty() && !m_password->text().isEmpty();
    m_get->setEnabled(idle && credentials);
    m_proceed->setEnabled(idle && credentials && !m_group->currentText().isEmpty());
}

void frmGroupSelector::FillGroupBox(const QString& list)
{
    m_group->clear();
    for (const QString& part : list.split(QStringLiteral("\r\n"))) {
        const QString entry = tsTrimEx(part);
        if (!entry.isEmpty())
            m_group->addItem(entry);
    }
    if (m_group->count() > 0)
        m_group->setCurrentIndex(0);
    UpdateControls();
}

QString frmGroupSelector::GroupListText() const
{
    QStringList entries;
    for (int i = 0; i < m_group->count(); ++i)
        entries.append(tsTrimCRLF(tsTrimEx(m_group->itemText(i))));
    return entries.join(QStringLiteral("\r\n"));
}

void frmGroupSelector::LoadFormState()
{
    WindowPlacement placement;
    if (SettingsStore::LoadWindowPlacement(QString(), kPlacementKey, placement)) {
        setGeometry(placement.rect);
        if (placement.maximized)
            setWindowState(windowState() | Qt::WindowMaximized);
    }
    m_email->setText(SettingsStore::readText(QString(), QStringLiteral("E-Mail")));
    m_password->setText(DecodePassword(SettingsStore::readText(QString(), QStringLiteral("Password"))));
    FillGroupBox(SettingsStore::readText(QString(), QStringLiteral("Groups")));
    if (m_group->count() > 0) {
        const QString last = SettingsStore::readText(QString(), QStringLiteral("Last Group"));
        const int found = last.isEmpty() ? -1 : m_group->findText(last, Qt::MatchFixedString);
        m_group->setCurrentIndex(found >= 0 ? found : 0);
    }
}

void frmGroupSelector::SaveFormState()
{
    WindowPlacement placement{normalGeometry().isValid() ? normalGeometry() : geometry(),
                              isMaximized()};
    SettingsStore::WriteValues({
        {QString(), kPlacementKey, KindText, placement.toText()},
        {QString(), QStringLiteral("E-Mail"), KindText, m_email->text()},
        {QString(), QStringLiteral("Password"), KindText, EncodePassword(m_password->text())},
        {QString(), QStringLiteral("Groups"), KindText, GroupListText()},
        {QString(), QStringLiteral("Last Group"), KindText, m_group->currentText()},
    });
}

void frmGroupSelector::GetGroups()
{
    if (m_inProgress)
        return;
    m_emailHistory.Add(m_email->text());
    m_stopRequested = false;
    m_inProgress = true;
    UpdateControls();
    V1Account account(m_email->text(), m_password->text());
    QList<GroupEntry> groups;
    if (account.ListGroups(this, groups)) {
        QStringList texts;
        for (const GroupEntry& group : groups)
            texts.append(group.text);
        FillGroupBox(texts.join(QStringLiteral("\r\n")));
    }
    m_stopRequested = false;
    m_inProgress = false;
    UpdateControls();
    m_group->setFocus();
}

void frmGroupSelector::Proceed()
{
    if (m_inProgress)
        return;
    const QString entry = m_group->currentText();
    if (!OpenGroupFolders(entry))
        return;
    if (!OpenLinksBase()) {
        ForgetGroupValues();
        return;
    }
    SET_EMail = m_email->text();
    SET_Password = m_password->text();
    SetCurrentAccount(std::make_shared<V1Account>(SET_EMail, SET_Password));
    RecordGroupAccountKind(CurrentAccount().Kind());
    m_emailHistory.Add(SET_EMail);
    auto* links = new frmPicturesList(this);
    links->show();
    hide();
}

void frmGroupSelector::GroupClosed()
{
    show();
    activateWindow();
    m_group->setFocus();
}

void frmGroupSelector::ShowOverview(bool uploads)
{
    int chosen = -1;
    if (uploads) {
        frmUploadsCheck window(this);
        window.ShowUploads(m_group);
        window.exec();
        chosen = window.Chosen();
    } else {
        frmTotalStatistics window(this);
        window.ShowStatistics(m_group);
        window.exec();
        chosen = window.Chosen();
    }
    if (chosen >= 0 && chosen < m_group->count()) {
        m_group->setCurrentIndex(chosen);
        PressButton(m_proceed);
    }
}

void frmGroupSelector::block(bool& cancel)
{
    if (m_stopRequested)
        cancel = true;
    else
        QCoreApplication::processEvents();
}

void frmGroupSelector::BlockSent(qint64, qint64, qint64, bool& cancel) { block(cancel); }
void frmGroupSelector::BlockReceived(qint64, qint64, qint64, bool& cancel) { block(cancel); }

void frmGroupSelector::closeEvent(QCloseEvent* event)
{
    if (m_inProgress) {
        m_stopRequested = true;
        event->ignore();
        return;
    }
    m_emailHistory.SaveHistory();
    UnMarkToolBarForm(this);
    SaveFormState();
    m_unloaded = true;
    event->accept();
}

void frmGroupSelector::keyPressEvent(QKeyEvent* event)
{
    const auto mods = event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    if (event->key() == Qt::Key_F1 && mods == Qt::ShiftModifier && !m_inProgress) {
        ShowAboutBox(this, GetAboutBoxPicture(), AboutDedication());
        return;
    }
    if (event->key() == Qt::Key_F6 && mods == Qt::NoModifier && !m_inProgress) {
        PressButton(m_uploads);
        return;
    }
    if (event->key() == Qt::Key_Escape && mods == Qt::NoModifier) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

bool frmGroupSelector::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusIn) {
        // After the focus change has finished, or a mouse click would undo the selection.
        auto* w = qobject_cast<QWidget*>(watched);
        QWidget* target = w == m_group->lineEdit() ? static_cast<QWidget*>(m_group) : w;
        QTimer::singleShot(0, target, [target] { tsHighlightText(target); });
    }
    return QWidget::eventFilter(watched, event);
}

void frmGroupSelector::paintEvent(QPaintEvent* event)
{
    tsPaintDesktop2(this);
    QWidget::paintEvent(event);
}

} // namespace ruvia
