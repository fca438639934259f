#pragma once
// The first window: the account (signed in through the browser, or an
// e-mail address and password of the old interface), the group list fetched
// from the service, and "Proceed" into the chosen group.
#include "platform/httprequest.h"
#include "service/account.h"
#include "service/oauthsignin.h"
#include "support/history.h"

#include <QPointer>
#include <QWidget>

#include <memory>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace ruvia {

class V2Account;

class frmGroupSelector : public QWidget, public IHTTPRequestCallback, public ISignInView {
    Q_OBJECT
public:
    explicit frmGroupSelector(QWidget* parent = nullptr);
    ~frmGroupSelector() override;

    void UpdateControls();
    void FillGroupBox(const QString& list);
    QString GroupListText() const;
    void LoadFormState();
    void SaveFormState();
    bool InProgress() const { return m_inProgress; }
    bool StopRequested() const { return m_stopRequested; }
    QComboBox* groupBox() const { return m_group; }
    // Called by the links window when it has closed: the login window returns.
    void GroupClosed();

    void BlockSent(qint64 block, qint64 done, qint64 total, bool& cancel) override;
    void BlockReceived(qint64 block, qint64 done, qint64 total, bool& cancel) override;
    void ShowSignInWaiting(const QString& authorizeAddress, bool browserOpened) override;
    bool SignInCancelRequested() override;

    // True while the browser sign-in is the chosen kind of account.
    bool SignsInWithBrowser() const;
    // The browser account (made on first use from the Service settings).
    V2Account& BrowserAccount();

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void GetGroups();
    void Proceed();
    void SignIn();
    void SignOut();
    void ShowAccountKind();
    void ShowSettings();
    void ShowGroups(const QList<GroupEntry>& groups);
    void ShowOverview(bool uploads);
    void block(bool& cancel);

    QComboBox* m_kind;
    QLineEdit* m_email;
    QLineEdit* m_password;
    QLabel* m_emailLabel;
    QLabel* m_passwordLabel;
    QLabel* m_accountLabel;
    QLineEdit* m_accountName;
    QPushButton* m_signIn;
    QPushButton* m_signOut;
    QLabel* m_signInStatus;
    QLineEdit* m_signInAddress;
    std::shared_ptr<V2Account> m_v2;
    // The blogs' ids, beside the group box's entries.
    QStringList m_groupIds;
    QComboBox* m_group;
    QPushButton* m_get;
    QPushButton* m_history;
    QPushButton* m_proxy;
    QPushButton* m_settings;
    QPushButton* m_proceed;
    QPushButton* m_cancel;
    QPushButton* m_uploads;
    QPushButton* m_statistics;
    CHistory m_emailHistory;
    bool m_inProgress = false;
    bool m_stopRequested = false;
    bool m_unloaded = false;
};

} // namespace ruvia
