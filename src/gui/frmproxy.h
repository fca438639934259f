#pragma once
// The proxy settings dialog, behind "Proxy...".
#include "platform/proxysettings.h"

#include <QDialog>

class QCheckBox;
class QLineEdit;

namespace ruvia {

class frmProxy : public QDialog {
    Q_OBJECT
public:
    frmProxy(ProxySettings& settings, QWidget* parent = nullptr);

private:
    void apply();
    ProxySettings& m_settings;
    QCheckBox* m_enabled;
    QLineEdit* m_host;
    QLineEdit* m_port;
    QLineEdit* m_user;
    QLineEdit* m_password;
};

// The dialog over settings; true when the user confirmed (settings then hold the values).
bool ShowDialog(ProxySettings& settings, QWidget* parent);
// Load section "HTTP Proxy", show the dialog, save it back.
void ShowProxyDialog(QWidget* parent);

} // namespace ruvia
