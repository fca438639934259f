#include "gui/frmhistory.h"

#include "gui/paint.h"
#include "gui/toolbarproxy.h"
#include "gui/windowhelper.h"
#include "platform/prompter.h"
#include "platform/textrules.h"
#include "support/history.h"

#include <QCloseEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>

namespace ruvia {

frmHistory::frmHistory(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmHistory"));
    setWindowTitle(MakeWindowTitle(QStringLiteral("History")));
    setWindowIcon(QIcon());
    setFixedSize(Twips(6015), Twips(3795));
    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("lstHistory"));
    m_list->setGeometry(Twips(120), Twips(120), Twips(5775), Twips(3000));
    m_ok = new QPushButton(QStringLiteral("Ok"), this);
    m_ok->setObjectName(QStringLiteral("cmdOk"));
    m_ok->setGeometry(Twips(3000), Twips(3240), Twips(1395), Twips(435));
    m_ok->setDefault(true);
    m_cancel = new QPushButton(QStringLiteral("Cancel"), this);
    m_cancel->setObjectName(QStringLiteral("cmdCancel"));
    m_cancel->setGeometry(Twips(4500), Twips(3240), Twips(1395), Twips(435));
    connect(m_ok, &QPushButton::clicked, this, [this] {
        m_accepted = true;
        accept();
    });
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_list, &QListWidget::itemDoubleClicked, m_ok, &QPushButton::click);
}

QString frmHistory::SelectedText() const
{
    const QListWidgetItem* item = m_list->currentItem();
    return item ? item->text() : QString();
}

void frmHistory::closeEvent(QCloseEvent* event)
{
    // The title bar's close only hides the picker, as Cancel does.
    event->ignore();
    reject();
}

void frmHistory::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    tsCenterFormEx(this);
    MarkToolBarForm(this);
}

void frmHistory::hideEvent(QHideEvent* event)
{
    UnMarkToolBarForm(this);
    QDialog::hideEvent(event);
}

void frmHistory::paintEvent(QPaintEvent* event)
{
    tsPaintDesktop2(this);
    QDialog::paintEvent(event);
}

void FillListBox(const CHistory& history, QListWidget* list)
{
    list->addItems(history.Entries());
    if (list->count() > 0)
        list->setCurrentRow(0);
}

namespace {
// The picked entry, or false when nothing was taken.
bool pickEntry(const CHistory& history, QWidget* box, QString& entry)
{
    if (history.Count() == 0) {
        MsgBox(QStringLiteral("History empty."), MB_ICONINFORMATION);
        return false;
    }
    frmHistory picker(box ? box->window() : nullptr);
    FillListBox(history, picker.list());
    picker.exec();
    if (!picker.Accepted() || !box)
        return false;
    entry = picker.SelectedText();
    return true;
}
} // namespace

bool ShowHistoryDialog(const CHistory& history, QLineEdit* box)
{
    QString entry;
    if (!pickEntry(history, box, entry))
        return false;
    box->setText(QString());
    box->setText(entry);
    box->setFocus();
    return true;
}

bool ShowHistoryDialog(const CHistory& history, QPlainTextEdit* box)
{
    QString entry;
    if (!pickEntry(history, box, entry))
        return false;
    entry.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    box->setPlainText(entry);
    box->setFocus();
    return true;
}

} // namespace ruvia
