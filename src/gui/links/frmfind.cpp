#include "gui/links/frmfind.h"

#include "gui/listhelpers.h"
#include "gui/windowhelper.h"
#include "links/postlist.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace ruvia {

namespace {
QRect twips(int left, int top, int width, int height)
{
    return {Twips(left), Twips(top), Twips(width), Twips(height)};
}
} // namespace

frmFind::frmFind(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmFind"));
    setWindowTitle(QStringLiteral("Find"));
    setWindowIcon(QIcon());
    setFixedSize(Twips(5475), Twips(2115));

    auto* tag = new QLabel(QStringLiteral("Find what:"), this);
    tag->setObjectName(QStringLiteral("lblTag"));
    tag->setGeometry(twips(180, 180, 870, 210));
    // As wide as its text needs in this font; the box beside it leaves room.
    tag->adjustSize();
    m_what = new QComboBox(this);
    m_what->setObjectName(QStringLiteral("cboSearchWhat"));
    m_what->setEditable(true);
    m_what->setInsertPolicy(QComboBox::NoInsert);
    m_what->setGeometry(twips(1260, 120, 4095, 330));
    tag->setBuddy(m_what);

    auto* frame = new QGroupBox(QStringLiteral(" Search type "), this);
    frame->setObjectName(QStringLiteral("fraSearchType"));
    frame->setGeometry(twips(120, 600, 2415, 1395));
    const QString captions[3] = {QStringLiteral("Simple search"), QStringLiteral("Use masks"),
                                 QStringLiteral("Regular expressions")};
    for (int i = 0; i < 3; ++i) {
        auto* option = new QRadioButton(captions[i], frame);
        option->setObjectName(QStringLiteral("optSearchType%1").arg(i));
        option->setGeometry(twips(180, 360 + 300 * i, 2115, 255));
        m_types.append(option);
    }
    m_types.first()->setChecked(true);

    m_case = new QCheckBox(QStringLiteral("Case sensitive"), this);
    m_case->setObjectName(QStringLiteral("chkCaseSensitive"));
    m_case->setGeometry(twips(2700, 720, 1815, 255));

    m_ok = new QPushButton(QStringLiteral("Ok"), this);
    m_ok->setObjectName(QStringLiteral("cmdOk"));
    m_ok->setGeometry(twips(2700, 1620, 1275, 375));
    m_ok->setDefault(true);
    m_cancel = new QPushButton(QStringLiteral("Cancel"), this);
    m_cancel->setObjectName(QStringLiteral("cmdCancel"));
    m_cancel->setGeometry(twips(4080, 1620, 1275, 375));
    m_cancel->setAutoDefault(false);

    const FindDialogState state = m_logic.Load();
    FillComboBox(m_logic.History(), m_what);
    SetHorizontalExtent(m_what, WidestItemWidth(state.history, m_what->fontMetrics()));
    m_what->setCurrentIndex(state.currentIndex);
    m_what->setEditText(state.text);
    m_case->setChecked(state.caseSensitive);
    SetOptionIndex(m_types, state.searchType);

    connect(m_what, &QComboBox::editTextChanged, this, &frmFind::updateOk);
    connect(m_what, &QComboBox::activated, this, &frmFind::updateOk);
    connect(m_ok, &QPushButton::clicked, this, &frmFind::confirm);
    connect(m_cancel, &QPushButton::clicked, this, &QWidget::hide);
    updateOk();
    tsCenterFormEx(this);
}

void frmFind::updateOk() { m_ok->setEnabled(FindDialogLogic::IsOkEnabled(m_what->currentText())); }

void frmFind::confirm()
{
    if (!m_ok->isEnabled())
        return;
    m_logic.Accept(m_what->currentText(), m_case->isChecked(), GetOptionIndex(m_types));
    m_accepted = true;
    hide();
}

SearchRequest frmFind::Result() const
{
    if (!m_accepted)
        return {};
    return FindDialogLogic::Request(m_what->currentText(), m_case->isChecked(),
                                    GetOptionIndex(m_types));
}

void frmFind::closeEvent(QCloseEvent* event)
{
    // Only the dialog's own buttons end it; the close box just hides it.
    event->ignore();
    hide();
}

SearchRequest AskForSearch(QWidget* parent)
{
    frmFind dialog(parent);
    dialog.exec();
    return dialog.Result();
}

} // namespace ruvia
