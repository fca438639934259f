#include "gui/links/frmcustomizetemplates.h"

#include "gui/links/frmpictureslist.h"
#include "gui/paint.h"
#include "gui/tbhooks.h"
#include "gui/toolbarproxy.h"
#include "gui/windowhelper.h"
#include "platform/prompter.h"

#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>

namespace ruvia {

frmCustomizeTemplates::frmCustomizeTemplates(frmPicturesList* links, QWidget* parent)
    : QDialog(parent), m_links(links)
{
    setObjectName(QStringLiteral("frmCustomizeTemplates"));
    setWindowTitle(QStringLiteral("Customize templates"));
    setWindowIcon(QIcon());

    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("lstSlots"));
    m_title = new QLineEdit(this);
    m_title->setObjectName(QStringLiteral("txtTemplateTitle"));
    m_body = new QPlainTextEdit(this);
    m_body->setObjectName(QStringLiteral("txtTemplateBody"));
    m_body->installEventFilter(this);
    auto button = [this](const char* name, const QString& caption) {
        auto* b = new QPushButton(caption, this);
        b->setObjectName(QString::fromLatin1(name));
        b->setAutoDefault(false);
        return b;
    };
    QPushButton* revert = button("cmdRevert", QStringLiteral("Revert"));
    m_help = button("cmdHelp", QStringLiteral("Help"));
    m_ok = button("cmdOk", QStringLiteral("OK"));
    m_ok->setDefault(true);
    QPushButton* cancel = button("cmdCancel", QStringLiteral("Cancel"));

    auto* grid = new QGridLayout(this);
    grid->addWidget(m_list, 0, 0, 5, 1);
    auto* titleTag = new QLabel(QStringLiteral("Template title:"), this);
    titleTag->setObjectName(QStringLiteral("lblTag0"));
    titleTag->setBuddy(m_title);
    auto* bodyTag = new QLabel(QStringLiteral("Template body:"), this);
    bodyTag->setObjectName(QStringLiteral("lblTag1"));
    bodyTag->setBuddy(m_body);
    grid->addWidget(titleTag, 0, 1);
    grid->addWidget(m_title, 1, 1);
    grid->addWidget(bodyTag, 2, 1);
    grid->addWidget(m_body, 3, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(revert);
    buttons->addWidget(m_help);
    buttons->addStretch(1);
    buttons->addWidget(m_ok);
    buttons->addWidget(cancel);
    grid->addLayout(buttons, 4, 1);
    grid->setColumnStretch(1, 1);
    m_list->setFixedWidth(m_list->fontMetrics().horizontalAdvance(TemplateItemCaption(9)) + 60);
    resize(620, 320);

    connect(m_list, &QListWidget::currentRowChanged, this, &frmCustomizeTemplates::showCurrent);
    connect(m_list, &QListWidget::itemChanged, this, [this](QListWidgetItem* item) {
        if (!m_loading)
            m_logic.setEnabled(m_list->row(item), item->checkState() == Qt::Checked);
    });
    connect(m_title, &QLineEdit::textChanged, this, [this](const QString& text) {
        if (!m_loading)
            m_logic.setTitle(m_list->currentRow(), text);
    });
    connect(m_body, &QPlainTextEdit::textChanged, this, [this] {
        if (!m_loading)
            m_logic.setBody(m_list->currentRow(), m_body->toPlainText());
    });
    connect(revert, &QPushButton::clicked, this, [this] {
        m_logic.Revert();
        const int current = m_list->currentRow();
        loadList();
        m_list->setCurrentRow(current);
        showCurrent();
    });
    connect(m_help, &QPushButton::clicked, this,
            [] { MsgBox(TemplateMasksHelp(), MB_ICONINFORMATION); });
    connect(m_ok, &QPushButton::clicked, this, &frmCustomizeTemplates::confirm);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    tsCenterFormEx(this);
    MarkToolBarForm(this);
    m_hook = new kzmTBHooks(this);
    m_hook->setTextBox(m_body);
    m_hook->InitSelectAllHook();
    m_logic.Load();
    loadList();
    m_list->setCurrentRow(0);
}

frmCustomizeTemplates::~frmCustomizeTemplates() { UnMarkToolBarForm(this); }

void frmCustomizeTemplates::loadList()
{
    m_loading = true;
    if (m_list->count() == 0) {
        for (int n = 0; n < kTemplateCount; ++n) {
            auto* item = new QListWidgetItem(TemplateItemCaption(n), m_list);
            item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        }
    }
    for (int n = 0; n < kTemplateCount; ++n)
        m_list->item(n)->setCheckState(m_logic.at(n).enabled ? Qt::Checked : Qt::Unchecked);
    m_loading = false;
}

void frmCustomizeTemplates::showCurrent()
{
    const int row = m_list->currentRow();
    if (row < 0 || row >= kTemplateCount)
        return;
    m_loading = true;
    m_title->setText(m_logic.at(row).title);
    m_body->setPlainText(m_logic.at(row).body);
    m_loading = false;
}

void frmCustomizeTemplates::confirm()
{
    m_logic.Store();
    if (m_links) {
        m_links->LoadTemplates();
        m_links->UpdateSlotsAndPreview(true);
    }
    accept();
}

bool frmCustomizeTemplates::eventFilter(QObject* watched, QEvent* event)
{
    // Enter in the body makes a new line; elsewhere it presses OK.
    if (watched == m_body) {
        if (event->type() == QEvent::FocusIn)
            m_ok->setDefault(false);
        else if (event->type() == QEvent::FocusOut)
            m_ok->setDefault(true);
    }
    return QDialog::eventFilter(watched, event);
}

void frmCustomizeTemplates::keyPressEvent(QKeyEvent* event)
{
    const auto mods = event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    if (event->key() == Qt::Key_F1 && mods == Qt::NoModifier) {
        PressButton(m_help);
        return;
    }
    QDialog::keyPressEvent(event);
}

void frmCustomizeTemplates::paintEvent(QPaintEvent* event)
{
    tsPaintDesktop2(this);
    QDialog::paintEvent(event);
}

} // namespace ruvia
