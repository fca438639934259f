#pragma once
// The links window of the open group. It owns the group's traffic
// statistics while it is open; closing it saves the base, releases the group
// and returns to the login window.
#include <QPointer>
#include <QWidget>

#include <memory>

namespace ruvia {

class CStatistics;
class frmGroupSelector;

class frmPicturesList : public QWidget {
    Q_OBJECT
public:
    // login: the window to return to; not the parent, so hiding it leaves this one shown.
    explicit frmPicturesList(frmGroupSelector* login);
    ~frmPicturesList() override;
    CStatistics* Statistics() const { return m_statistics.get(); }

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QPointer<frmGroupSelector> m_login;
    std::unique_ptr<CStatistics> m_statistics;
    bool m_unloaded = false;
};

} // namespace ruvia
