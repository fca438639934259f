#include "gui/frmproxy.h"

#include "platform/prompter.h"
#include "platform/textrules.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QIntValidator>
#include <QLineEdit>
#include <QPushButton>

namespace ruvia {

frmProxy::frmProxy(ProxySettings& settings, QWidget* parent) : QDialog(parent), m_settings(settings)
{
    setObjectName(QStringLiteral("frmProxy"));
    setWindowTitle(MakeWindowTitle(QStringLiteral("Proxy")));
    auto* form = new QFormLayout(this);
    m_enabled = new QCheckBox(QStringLiteral("Use an HTTP proxy"), this);
    m_enabled->setObjectName(QStringLiteral("chkEnabled"));
    m_host = new QLineEdit(this);
    m_host->setObjectName(QStringLiteral("txtHost"));
    m_port = new QLineEdit(this);
    m_port->setObjectName(QStringLiteral("txtPort"));
    m_port->setValidator(new QIntValidator(1, 65535, m_port));
    m_user = new QLineEdit(this);
    m_user->setObjectName(QStringLiteral("txtUserName"));
    m_password = new QLineEdit(this);
    m_password->setObjectName(QStringLiteral("txtPassword"));
    m_password->setEchoMode(QLineEdit::Password);
    form->addRow(m_enabled);
    form->addRow(QStringLiteral("Host:"), m_host);
    form->addRow(QStringLiteral("Port:"), m_port);
    form->addRow(QStringLiteral("User name:"), m_user);
    form->addRow(QStringLiteral("Password:"), m_password);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("cmdOk"));
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("cmdCancel"));
    form->addRow(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &frmProxy::apply);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto sync = [this] {
        for (QWidget* w : {static_cast<QWidget*>(m_host), static_cast<QWidget*>(m_port),
                           static_cast<QWidget*>(m_user), static_cast<QWidget*>(m_password)})
            w->setEnabled(m_enabled->isChecked());
    };
    connect(m_enabled, &QCheckBox::toggled, this, sync);

    m_enabled->setChecked(settings.enabled);
    m_host->setText(settings.host);
    m_port->setText(QString::number(settings.port));
    m_user->setText(settings.userName);
    m_password->setText(settings.password);
    sync();
}

void frmProxy::apply()
{
    bool ok = false;
    const int port = m_port->text().trimmed().toInt(&ok);
    if (m_enabled->isChecked() && (m_host->text().trimmed().isEmpty() || !ok || port < 1 || port > 65535)) {
        MsgBox(QStringLiteral("Enter the proxy's host name and a port from 1 to 65535."),
               MB_ICONEXCLAMATION);
        (m_host->text().trimmed().isEmpty() ? m_host : m_port)->setFocus();
        return;
    }
    m_settings.enabled = m_enabled->isChecked();
    m_settings.host = m_host->text().trimmed();
    if (ok)
        m_settings.port = port;
    m_settings.userName = m_user->text();
    m_settings.password = m_password->text();
    accept();
}

bool ShowDialog(ProxySettings& settings, QWidget* parent)
{
    frmProxy dialog(settings, parent);
    return dialog.exec() == QDialog::Accepted;
}

void ShowProxyDialog(QWidget* parent)
{
    ProxySettings settings;
    settings.Load();
    if (ShowDialog(settings, parent) && !settings.Save())
        MsgBox(QStringLiteral("Can't save the proxy settings."), MB_ICONCRITICAL);
}

} // namespace ruvia
