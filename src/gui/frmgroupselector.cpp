#include "gui/frmgroupselector.h"

#include "base/linkbase.h"
#include "core/group.h"
#include "core/password.h"
#include "gui/frmhistory.h"
#include "gui/frmoverview.h"
#include "gui/links/frmpictureslist.h"
#include "gui/frmproxy.h"
#include "gui/frmsettings.h"
#include "gui/paint.h"
#include "gui/resources.h"
#include "gui/toolbarproxy.h"
#include "gui/windowhelper.h"
#include "platform/prompter.h"
#include "platform/settingsstore.h"
#include "platform/textrules.h"
#include "platform/textutil.h"
#include "service/v1account.h"
#include "service/v2account.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>

namespace ruvia {

namespace {
const QString kPlacementKey = QStringLiteral("Window placement");
const QString kBrowserKind = QStringLiteral("Tumblr (sign in with the browser)");
const QString kPasswordKind = QStringLiteral("Tumblr API v1 (e-mail and password)");

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

    m_kind = new QComboBox(this);
    m_kind->setObjectName(QStringLiteral("cboAccountKind"));
    m_kind->addItems({kBrowserKind, kPasswordKind});
    m_email = new QLineEdit(this);
    m_email->setObjectName(QStringLiteral("txtEMail"));
    m_password = new QLineEdit(this);
    m_password->setObjectName(QStringLiteral("txtPassword"));
    m_password->setEchoMode(QLineEdit::Password);
    m_accountName = new QLineEdit(this);
    m_accountName->setObjectName(QStringLiteral("txtAccountName"));
    m_accountName->setReadOnly(true);
    m_accountName->setPlaceholderText(QStringLiteral("(not signed in)"));
    m_signInAddress = new QLineEdit(this);
    m_signInAddress->setObjectName(QStringLiteral("txtSignInAddress"));
    m_signInAddress->setReadOnly(true);
    m_signInStatus = new QLabel(this);
    m_signInStatus->setObjectName(QStringLiteral("lblSignInStatus"));
    m_signInStatus->setWordWrap(true);
    m_group = new QComboBox(this);
    m_group->setObjectName(QStringLiteral("cboGroup"));
    m_group->setEditable(true);
    m_group->setInsertPolicy(QComboBox::NoInsert);
    m_group->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_group->setMinimumContentsLength(28);
    m_get = button(this, QStringLiteral("cmdGetGroups"), QStringLiteral("Get"));
    m_history = button(this, QStringLiteral("cmdEMailHistory"), QStringLiteral("History"));
    m_signIn = button(this, QStringLiteral("cmdSignIn"), QStringLiteral("Sign in..."));
    m_signOut = button(this, QStringLiteral("cmdSignOut"), QStringLiteral("Sign out"));
    m_proxy = button(this, QStringLiteral("cmdProxy"), QStringLiteral("Proxy..."));
    m_settings = button(this, QStringLiteral("cmdSettings"), QStringLiteral("Settings..."));
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
    grid->addWidget(label(QStringLiteral("Account:"), m_kind), 0, 0);
    grid->addWidget(m_kind, 0, 1, 1, 2);
    // The two kinds share the rows: one set of them shows at a time.
    m_emailLabel = label(QStringLiteral("E-Mail:"), m_email);
    grid->addWidget(m_emailLabel, 1, 0);
    grid->addWidget(m_email, 1, 1);
    grid->addWidget(m_history, 1, 2);
    m_accountLabel = label(QStringLiteral("Signed in as:"), m_accountName);
    grid->addWidget(m_accountLabel, 1, 0);
    grid->addWidget(m_accountName, 1, 1);
    grid->addWidget(m_signIn, 1, 2);
    m_passwordLabel = label(QStringLiteral("Password:"), m_password);
    grid->addWidget(m_passwordLabel, 2, 0);
    grid->addWidget(m_password, 2, 1);
    auto* signInRow = new QHBoxLayout;
    signInRow->addWidget(m_signOut);
    signInRow->addWidget(m_signInStatus, 1);
    grid->addLayout(signInRow, 2, 1);
    grid->addWidget(m_get, 2, 2);
    grid->addWidget(m_signInAddress, 3, 1, 1, 2);
    grid->addWidget(label(QStringLiteral("Group:"), m_group), 4, 0);
    grid->addWidget(m_group, 4, 1);
    grid->addWidget(m_proceed, 4, 2);
    auto* overviews = new QHBoxLayout;
    overviews->addWidget(m_uploads);
    overviews->addWidget(m_statistics);
    overviews->addStretch(1);
    grid->addLayout(overviews, 5, 0, 1, 3);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(m_proxy);
    bottom->addWidget(m_settings);
    bottom->addStretch(1);
    bottom->addWidget(m_cancel);
    grid->addLayout(bottom, 6, 0, 1, 3);
    grid->setColumnStretch(1, 1);
    grid->setVerticalSpacing(8);
    grid->setContentsMargins(12, 12, 12, 12);

    connect(m_signIn, &QPushButton::clicked, this, &frmGroupSelector::SignIn);
    connect(m_signOut, &QPushButton::clicked, this, &frmGroupSelector::SignOut);
    connect(m_kind, &QComboBox::currentIndexChanged, this, &frmGroupSelector::ShowAccountKind);
    connect(m_get, &QPushButton::clicked, this, &frmGroupSelector::GetGroups);
    connect(m_proceed, &QPushButton::clicked, this, &frmGroupSelector::Proceed);
    connect(m_proxy, &QPushButton::clicked, this, [this] { ShowProxyDialog(this); });
    connect(m_settings, &QPushButton::clicked, this, &frmGroupSelector::ShowSettings);
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
    ShowAccountKind();
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
                       static_cast<QWidget*>(m_settings),
                       static_cast<QWidget*>(m_history), static_cast<QWidget*>(m_kind),
                       static_cast<QWidget*>(m_signIn)})
        w->setEnabled(idle);
    m_cancel->setEnabled(true);
    m_cancel->setText(idle ? QStringLiteral("Exit") : QStringLiteral("Cancel"));
    m_uploads->setEnabled(idle && m_group->count() > 0);
    m_statistics->setEnabled(idle);
    const bool signedIn = m_v2 && m_v2->IsSignedIn();
    m_signOut->setEnabled(idle && signedIn);
    m_accountName->setText(signedIn ? m_v2->DisplayName() : QString());
    const bool credentials = SignsInWithBrowser()
        ? signedIn
        : !m_email->text().isEmpty() && !m_password->text().isEmpty();
    m_get->setEnabled(idle && credentials);
    m_proceed->setEnabled(idle && credentials && !m_group->currentText().isEmpty());
}

void frmGroupSelector::FillGroupBox(const QString& list)
{
    m_group->clear();
    m_groupIds.clear();
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
    // A profile this window saved before it knew the browser sign-in (it has
    // an "E-Mail" key, empty or not) stays with e-mail and password; a new
    // one starts with the browser, the only sign-in the service still takes.
    const QString missing = QStringLiteral("\x01");
    const bool older =
        SettingsStore::readText(QString(), QStringLiteral("E-Mail"), missing) != missing;
    const QString kind = SettingsStore::readText(
        QString(), QStringLiteral("Account Kind"),
        older ? QStringLiteral("API v1") : QStringLiteral("API v2"));
    m_kind->setCurrentIndex(kind == QStringLiteral("API v1") ? 1 : 0);
    m_password->setText(DecodePassword(SettingsStore::readText(QString(), QStringLiteral("Password"))));
    FillGroupBox(SettingsStore::readText(QString(), QStringLiteral("Groups")));
    m_groupIds = SettingsStore::readText(QString(), QStringLiteral("Group Ids"))
                     .split(QStringLiteral("\r\n"));
    if (m_groupIds.size() != m_group->count())
        m_groupIds.clear();
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
        {QString(), QStringLiteral("Group Ids"), KindText, m_groupIds.join(QStringLiteral("\r\n"))},
        {QString(), QStringLiteral("Account Kind"), KindText,
         SignsInWithBrowser() ? QStringLiteral("API v2") : QStringLiteral("API v1")},
        {QString(), QStringLiteral("Last Group"), KindText, m_group->currentText()},
    });
}

void frmGroupSelector::GetGroups()
{
    if (m_inProgress)
        return;
    const bool browser = SignsInWithBrowser();
    if (!browser)
        m_emailHistory.Add(m_email->text());
    m_stopRequested = false;
    m_inProgress = true;
    UpdateControls();
    V1Account passwordAccount(m_email->text(), m_password->text());
    ServiceAccount& account = browser ? static_cast<ServiceAccount&>(BrowserAccount())
                                      : passwordAccount;
    QList<GroupEntry> groups;
    if (account.ListGroups(this, groups))
        ShowGroups(groups);
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
    const bool browser = SignsInWithBrowser();
    QString groupId;
    if (browser) {
        const int index = m_group->findText(entry, Qt::MatchFixedString);
        groupId = index >= 0 ? m_groupIds.value(index) : QString();
        if (groupId.isEmpty()) {
            MsgBox(QStringLiteral("Ruvia does not know this blog of your account yet. Press "
                                  "\"Get\" to list your blogs, then choose one."),
                   MB_ICONEXCLAMATION);
            return;
        }
    }
    if (!OpenGroupFolders(entry))
        return;
    if (!OpenLinksBase()) {
        ForgetGroupValues();
        return;
    }
    if (browser) {
        // The info toolbar and the history show the account's name.
        SET_EMail = m_v2->DisplayName();
        SET_Password.clear();
        SET_GroupId = groupId;
        SetCurrentAccount(m_v2);
    } else {
        SET_EMail = m_email->text();
        SET_Password = m_password->text();
        SET_GroupId.clear();
        SetCurrentAccount(std::make_shared<V1Account>(SET_EMail, SET_Password));
    }
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

void frmGroupSelector::ShowGroups(const QList<GroupEntry>& groups)
{
    QStringList texts, ids;
    for (const GroupEntry& group : groups) {
        texts.append(group.text);
        ids.append(group.id);
    }
    FillGroupBox(texts.join(QStringLiteral("\r\n")));
    if (ids.size() == m_group->count())
        m_groupIds = ids;
}

bool frmGroupSelector::SignsInWithBrowser() const { return m_kind->currentIndex() == 0; }

V2Account& frmGroupSelector::BrowserAccount()
{
    if (!m_v2) {
        m_v2 = std::make_shared<V2Account>(ServiceConfig::Load());
        m_v2->LoadStoredSignIn();
    }
    return *m_v2;
}

void frmGroupSelector::ShowAccountKind()
{
    const bool browser = SignsInWithBrowser();
    if (browser)
        BrowserAccount();
    for (QWidget* w : {static_cast<QWidget*>(m_emailLabel), static_cast<QWidget*>(m_email),
                       static_cast<QWidget*>(m_history), static_cast<QWidget*>(m_passwordLabel),
                       static_cast<QWidget*>(m_password)})
        w->setVisible(!browser);
    for (QWidget* w : {static_cast<QWidget*>(m_accountLabel), static_cast<QWidget*>(m_accountName),
                       static_cast<QWidget*>(m_signIn), static_cast<QWidget*>(m_signOut),
                       static_cast<QWidget*>(m_signInStatus)})
        w->setVisible(browser);
    m_signInAddress->setVisible(false);
    m_signInStatus->clear();
    UpdateControls();
}

void frmGroupSelector::ShowSettings()
{
    if (m_inProgress)
        return;
    frmSettings dialog(this);
    // Whoever comes here before a group is open comes for the service's keys.
    if (auto* service = dialog.findChild<QWidget*>(QStringLiteral("txtConsumerKey"))) {
        for (QWidget* w = service->parentWidget(); w; w = w->parentWidget())
            if (auto* tabs = qobject_cast<QTabWidget*>(w)) {
                for (int i = 0; i < tabs->count(); ++i)
                    if (tabs->widget(i)->isAncestorOf(service))
                        tabs->setCurrentIndex(i);
                break;
            }
    }
    if (dialog.exec() != QDialog::Accepted)
        return;
    // New keys or a sign-out on the page count from now on.
    m_v2.reset();
    ShowAccountKind();
}

void frmGroupSelector::SignIn()
{
    if (m_inProgress)
        return;
    // Keys entered in the settings since the last try count.
    m_v2 = std::make_shared<V2Account>(ServiceConfig::Load());
    m_stopRequested = false;
    m_inProgress = true;
    UpdateControls();
    const bool signedIn = m_v2->SignIn(this, this);
    m_signInAddress->setVisible(false);
    m_signInStatus->setText(signedIn ? QString() : m_stopRequested ? QStringLiteral("Not signed in.")
                                                                   : QString());
    m_stopRequested = false;
    m_inProgress = false;
    UpdateControls();
    // The sign-in listed the blogs already.
    if (signedIn && !m_v2->SignInGroups().isEmpty()) {
        ShowGroups(m_v2->SignInGroups());
        m_group->setFocus();
    }
}

void frmGroupSelector::SignOut()
{
    if (m_inProgress || !m_v2)
        return;
    m_v2->SignOut();
    m_signInStatus->setText(QStringLiteral("Signed out."));
    UpdateControls();
}

void frmGroupSelector::ShowSignInWaiting(const QString& authorizeAddress, bool browserOpened)
{
    if (browserOpened) {
        m_signInStatus->setText(QStringLiteral("Waiting for your answer in the browser..."));
    } else {
        m_signInStatus->setText(QStringLiteral("No browser could be opened. Open this address "
                                               "in your browser:"));
        m_signInAddress->setText(authorizeAddress);
        m_signInAddress->setVisible(true);
        m_signInAddress->setCursorPosition(0);
    }
}

bool frmGroupSelector::SignInCancelRequested() { return m_stopRequested; }

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
