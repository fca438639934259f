#include "gui/servicepage.h"

#include "platform/prompter.h"
#include "platform/settingsstore.h"
#include "platform/shell.h"
#include "service/secretstore.h"
#include "service/v2account.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QUrl>

namespace ruvia {

namespace {

const QString kSteps = QStringLiteral(
    "To let Ruvia sign in, register it as an application with Tumblr:\n"
    "1. Open https://www.tumblr.com/oauth/apps and press \"Register application\".\n"
    "2. Fill in the application's name, website, description and e-mail.\n"
    "3. Enter the redirect address above as the \"OAuth2 redirect URLs\" entry, exactly, "
    "port included.\n"
    "4. Save, then copy its \"OAuth Consumer Key\" and \"Secret Key\" into the fields above.\n"
    "5. In the login window choose \"Tumblr (sign in with the browser)\" and press "
    "\"Sign in...\".");

QLineEdit* field(QWidget* page, QGridLayout* grid, const QString& name, const QString& caption,
                 int row)
{
    auto* edit = new QLineEdit(page);
    edit->setObjectName(name);
    auto* label = new QLabel(caption, page);
    label->setBuddy(edit);
    grid->addWidget(label, row, 0);
    grid->addWidget(edit, row, 1);
    return edit;
}

} // namespace

ServicePage::ServicePage(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("pageService"));
    auto* grid = new QGridLayout(this);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(6, 1);

    m_key = field(this, grid, QStringLiteral("txtConsumerKey"),
                  QStringLiteral("OAuth consumer key:"), 0);
    m_secret = field(this, grid, QStringLiteral("txtConsumerSecret"), QStringLiteral("Secret key:"), 1);
    m_secret->setEchoMode(QLineEdit::Password);
    m_redirect = field(this, grid, QStringLiteral("txtRedirectAddress"),
                       QStringLiteral("Redirect address:"), 2);
    // Keys and the address are read at a glance, not scrolled through.
    const int wide = m_redirect->fontMetrics().horizontalAdvance(QString(50, u'x'));
    m_key->setMinimumWidth(wide);
    m_redirect->setMinimumWidth(wide);
    auto* copy = new QPushButton(QStringLiteral("Copy"), this);
    copy->setObjectName(QStringLiteral("cmdCopyRedirect"));
    copy->setAutoDefault(false);
    grid->addWidget(copy, 2, 2);

    auto* steps = new QLabel(kSteps, this);
    steps->setObjectName(QStringLiteral("lblServiceSteps"));
    steps->setWordWrap(true);
    steps->setTextInteractionFlags(Qt::TextSelectableByMouse);
    grid->addWidget(steps, 3, 0, 1, 3);

    m_signInState = new QLabel(this);
    m_signInState->setObjectName(QStringLiteral("lblSignInState"));
    grid->addWidget(m_signInState, 4, 0, 1, 2);
    m_signOut = new QPushButton(QStringLiteral("Sign out"), this);
    m_signOut->setObjectName(QStringLiteral("cmdSignOut"));
    m_signOut->setAutoDefault(false);
    m_signOut->setEnabled(false);
    grid->addWidget(m_signOut, 4, 2);

    m_tokenStore = new QLabel(this);
    m_tokenStore->setObjectName(QStringLiteral("lblTokenStore"));
    m_tokenStore->setWordWrap(true);
    m_tokenStore->setTextInteractionFlags(Qt::TextSelectableByMouse);
    grid->addWidget(m_tokenStore, 5, 0, 1, 3);

    connect(copy, &QPushButton::clicked, this,
            [this] { shell().SetClipboardText(m_redirect->text().trimmed()); });
    connect(m_signOut, &QPushButton::clicked, this, &ServicePage::signOut);
    // The stored sign-in belongs to one consumer key.
    connect(m_key, &QLineEdit::editingFinished, this, [this] {
        if (m_loaded)
            showSignInState();
    });
}

void ServicePage::showEvent(QShowEvent* event)
{
    if (!m_loaded)
        loadValues();
    QWidget::showEvent(event);
}

void ServicePage::loadValues()
{
    m_loaded = true;
    m_config = ServiceConfig::Load();
    m_secretKept = m_config.clientId.isEmpty() ? QString() : V2Account::ClientSecret(m_config.clientId);
    m_key->setText(m_config.clientId);
    m_secret->setText(m_secretKept);
    m_redirect->setText(m_config.redirectAddress);
    m_key->setCursorPosition(0);
    m_redirect->setCursorPosition(0);
    m_tokenStore->setText(QStringLiteral("Sign-in and secret are kept in ") + Secrets().Description()
                          + u'.');
    showSignInState();
}

ServiceConfig ServicePage::editedConfig() const
{
    ServiceConfig config = m_config;
    config.clientId = m_key->text().trimmed();
    config.redirectAddress = m_redirect->text().trimmed();
    return config;
}

void ServicePage::showSignInState()
{
    const ServiceConfig config = editedConfig();
    V2Account account(config);
    const bool signedIn = !config.clientId.isEmpty() && account.LoadStoredSignIn();
    m_signOut->setEnabled(signedIn);
    if (!signedIn)
        m_signInState->setText(QStringLiteral("Not signed in."));
    else if (account.DisplayName().isEmpty())
        m_signInState->setText(QStringLiteral("Signed in to Tumblr."));
    else
        m_signInState->setText(QStringLiteral("Signed in to Tumblr as %1.").arg(account.DisplayName()));
}

QLineEdit* ServicePage::InvalidField(QString& message) const
{
    if (!m_loaded)
        return nullptr;
    if (!IsValidRedirectAddress(m_redirect->text().trimmed())) {
        message = QStringLiteral("The redirect address must be an http address on this computer "
                                 "with a port, such as %1.")
                      .arg(QString::fromUtf16(kDefaultRedirectAddress));
        return m_redirect;
    }
    if (m_key->text().trimmed().isEmpty() && !m_secret->text().trimmed().isEmpty()) {
        message = QStringLiteral("Please enter the OAuth consumer key that goes with the secret key.");
        return m_key;
    }
    return nullptr;
}

bool ServicePage::ApplyValues()
{
    if (!m_loaded)
        return true;
    const ServiceConfig edited = editedConfig();
    const QString secret = m_secret->text().trimmed();
    const QString kept = edited.clientId == m_config.clientId || edited.clientId.isEmpty()
        ? m_secretKept
        : V2Account::ClientSecret(edited.clientId);
    if (!edited.clientId.isEmpty() && secret != kept
        && !V2Account::SaveClientSecret(edited.clientId, secret))
        return false;
    m_secretKept = secret;
    // Saving writes the service addresses too; an untouched page leaves them
    // unwritten, so a later version's defaults still apply.
    if (edited.clientId != m_config.clientId || edited.redirectAddress != m_config.redirectAddress) {
        ServiceConfig config = ServiceConfig::Load();
        config.clientId = edited.clientId;
        config.redirectAddress = edited.redirectAddress;
        if (!config.Save()) {
            MsgBox(QStringLiteral("Can't save the service settings to %1.").arg(SettingsStore::filePath()),
                   MB_ICONCRITICAL);
            return false;
        }
        m_config = config;
    }
    return true;
}

void ServicePage::signOut()
{
    QString message;
    if (QLineEdit* bad = InvalidField(message)) {
        MsgBox(message, MB_ICONCRITICAL);
        bad->setFocus();
        return;
    }
    if (!ApplyValues())
        return;
    const ServiceConfig config = ServiceConfig::Load();
    V2Account(config).SignOut();
    showSignInState();
    // SignOut() has told the user why when the sign-in is still there.
    if (V2Account(config).LoadStoredSignIn())
        return;
    MsgBox(QStringLiteral("Ruvia is signed out of Tumblr. Sign in again from the login window."),
           MB_ICONINFORMATION);
}

} // namespace ruvia
