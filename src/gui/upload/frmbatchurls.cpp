#include "gui/upload/frmbatchurls.h"

#include "gui/paint.h"
#include "gui/resources.h"
#include "gui/tbhooks.h"
#include "gui/toolbarproxy.h"
#include "gui/windowhelper.h"
#include "platform/prompter.h"
#include "platform/textrules.h"
#include "upload/batchurls.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextCursor>
#include <QTextDocument>
#include <QVBoxLayout>

namespace ruvia {

frmBatchURLs::frmBatchURLs(QWidget* parent, IUploadQueue& queue) : QDialog(parent), m_queue(queue)
{
    setObjectName(QStringLiteral("frmBatchURLs"));
    setWindowTitle(MakeWindowTitle(QStringLiteral("URLs mode")));
    setWindowIcon(appIcon());

    m_note = new QLabel(
        QStringLiteral("You must specify caption, tags and group at main dialog. Here you can only paste URLs!"),
        this);
    m_note->setObjectName(QStringLiteral("lblNote"));
    m_note->setWordWrap(true);
    m_urls = new QPlainTextEdit(this);
    m_urls->setObjectName(QStringLiteral("txtURLs"));
    m_urls->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_urls->setTabChangesFocus(true);
    m_create = new QPushButton(QStringLiteral("Insert URLs"), this);
    m_create->setObjectName(QStringLiteral("cmdCreatePhoto"));
    m_create->setAutoDefault(false);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_note);
    layout->addWidget(m_urls, 1);
    auto* bottom = new QHBoxLayout;
    bottom->addStretch(1);
    bottom->addWidget(m_create);
    layout->addLayout(bottom);
    resize(560, 400);

    connect(m_urls, &QPlainTextEdit::textChanged, this,
            [this] { m_create->setEnabled(HasBatchUrls(BoxText())); });
    connect(m_create, &QPushButton::clicked, this, &frmBatchURLs::InsertUrls);
    for (QWidget* w : findChildren<QWidget*>())
        w->installEventFilter(this);

    tsCenterFormEx(this);
    auto* hook = new kzmTBHooks(this);
    hook->setTextBox(m_urls);
    hook->InitSelectAllHook();
    MarkToolBarForm(this);
    m_loaded = LoadBatchUrlsText();
    SetBoxText(m_loaded);
    m_create->setEnabled(HasBatchUrls(m_loaded));
}

frmBatchURLs::~frmBatchURLs() { Unload(); }

void frmBatchURLs::Unload()
{
    if (m_unloaded)
        return;
    m_unloaded = true;
    if (const QString text = BoxText(); text != m_loaded)
        SaveBatchUrlsText(text);
    UnMarkToolBarForm(this);
}

void frmBatchURLs::done(int result)
{
    Unload();
    QDialog::done(result);
}

QString frmBatchURLs::BoxText() const
{
    // The raw text keeps what the plain text would change (no-break spaces);
    // lines end in paragraph separators there.
    QString text = m_urls->document()->toRawText();
    text.replace(QChar::ParagraphSeparator, QStringLiteral("\r\n"));
    return text;
}

void frmBatchURLs::SetBoxText(const QString& text)
{
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    m_urls->setPlainText(shown);
    m_urls->moveCursor(QTextCursor::Start);
}

void frmBatchURLs::InsertUrls()
{
    const QString rejected = InsertBatchUrls(BoxText(), m_queue);
    SetBoxText(rejected);
    MsgBox(BatchUrlsNotice(!rejected.isEmpty()), MB_ICONINFORMATION);
}

bool frmBatchURLs::handleWindowKey(QKeyEvent* key)
{
    const auto m = key->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    if (key->key() == Qt::Key_F1 && m == Qt::ShiftModifier) {
        ShowAboutBox(this, GetAboutBoxPicture(), AboutDedication());
        return true;
    }
    if (key->key() == Qt::Key_Escape && m == Qt::NoModifier) {
        reject();
        return true;
    }
    return false;
}

bool frmBatchURLs::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress && handleWindowKey(static_cast<QKeyEvent*>(event)))
        return true;
    return QDialog::eventFilter(watched, event);
}

void frmBatchURLs::keyPressEvent(QKeyEvent* event)
{
    if (handleWindowKey(event))
        return;
    QDialog::keyPressEvent(event);
}

void frmBatchURLs::paintEvent(QPaintEvent* event)
{
    tsPaintDesktop2(this);
    QDialog::paintEvent(event);
}

} // namespace ruvia
