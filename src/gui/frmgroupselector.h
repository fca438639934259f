#pragma once
// The first window: the account's e-mail and password, the group list fetched
// from the service, and "Proceed" into the chosen group.
#include "platform/httprequest.h"
#include "support/history.h"

#include <QPointer>
#include <QWidget>

class QComboBox;
class QLineEdit;
class QPushButton;

namespace ruvia {

class frmGroupSelector : public QWidget, public IHTTPRequestCallback {
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

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void GetGroups();
    void Proceed();
    void ShowOverview(bool uploads);
    void block(bool& cancel);

    QLineEdit* m_email;
    QLineEdit* m_password;
    QComboBox* m_group;
    QPushButton* m_get;
    QPushButton* m_history;
    QPushButton* m_proxy;
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
