#pragma once
// The two overviews of every known group, shown from the login window before
// a group is opened: the active uploads and the traffic totals. Both are
// modal choosers: choosing a group's row returns its position in the login
// window's group list.
#include <QDialog>

class QComboBox;
class QTreeWidget;
class QTreeWidgetItem;

namespace ruvia {

class frmOverview : public QDialog {
    Q_OBJECT
public:
    // The chosen group's position in the group list, -1 when none was chosen.
    int Chosen() const { return m_chosen; }
    QTreeWidget* list() const { return m_list; }

protected:
    frmOverview(const QString& name, const QString& caption, const QStringList& columns,
                const QList<int>& widthsTwips, int clientWidthTwips, const QString& layoutKey,
                QWidget* parent);
    ~frmOverview() override;
    QTreeWidgetItem* addRow(const QStringList& texts, int tag);
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void choose(QTreeWidgetItem* item);
    QTreeWidget* m_list;
    QString m_layoutKey;
    QTreeWidgetItem* m_pressedRow = nullptr;
    int m_chosen = -1;
};

class frmUploadsCheck : public frmOverview {
    Q_OBJECT
public:
    explicit frmUploadsCheck(QWidget* parent = nullptr);
    void ShowUploads(const QComboBox* groups);
};

class frmTotalStatistics : public frmOverview {
    Q_OBJECT
public:
    explicit frmTotalStatistics(QWidget* parent = nullptr);
    void ShowStatistics(const QComboBox* groups);
};

// Queued items of an upload list file: its "/Uploads/UploadItem" nodes; 0
// when the file is missing or unreadable.
int CountQueuedUploads(const QString& uploadsFile);

} // namespace ruvia
