#pragma once
// The settings dialog's page for the connection to API v2: the
// application's consumer key and secret, the redirect address to register,
// where the sign-in is kept, and signing out.
#include "service/serviceconfig.h"

#include <QWidget>

class QLabel;
class QLineEdit;
class QPushButton;

namespace ruvia {

class ServicePage : public QWidget {
    Q_OBJECT
public:
    explicit ServicePage(QWidget* parent = nullptr);

    // The field whose value can't be applied, with the reason for the user;
    // nullptr when every value is good.
    QLineEdit* InvalidField(QString& message) const;
    // Keeps the key and redirect address in the settings and the secret in
    // the secret store; false (shown) when either can't be written. Call
    // after InvalidField() found nothing.
    bool ApplyValues();

protected:
    void showEvent(QShowEvent* event) override;

private:
    // The secret store may be the desktop's, which can be slow to answer or
    // ask to be unlocked: it is read only once the page is opened.
    void loadValues();
    void showSignInState();
    void signOut();
    ServiceConfig editedConfig() const;

    QLineEdit* m_key;
    QLineEdit* m_secret;
    QLineEdit* m_redirect;
    QLabel* m_signInState;
    QLabel* m_tokenStore;
    QPushButton* m_signOut;
    bool m_loaded = false;
    ServiceConfig m_config;
    QString m_secretKept;
};

} // namespace ruvia
