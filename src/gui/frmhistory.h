#pragma once
// The history picker: a list of earlier inputs, Ok and Cancel.
#include <QDialog>

class QLineEdit;
class QPlainTextEdit;
class QListWidget;
class QPushButton;

namespace ruvia {

class CHistory;

class frmHistory : public QDialog {
    Q_OBJECT
public:
    explicit frmHistory(QWidget* parent = nullptr);
    QListWidget* list() const { return m_list; }
    bool Accepted() const { return m_accepted; }
    QString SelectedText() const;

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QListWidget* m_list;
    QPushButton* m_ok;
    QPushButton* m_cancel;
    bool m_accepted = false;
};

// Appends every entry to the list and selects the first.
void FillListBox(const CHistory& history, QListWidget* list);
// Lets the user pick an entry into box; true when one was taken.
bool ShowHistoryDialog(const CHistory& history, QLineEdit* box);
// The same for a box of several lines; entries keep their CR LF breaks on disk.
bool ShowHistoryDialog(const CHistory& history, QPlainTextEdit* box);

} // namespace ruvia
