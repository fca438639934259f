#include "gui/ucinfotoolbar.h"

#include "core/group.h"
#include "gui/windowhelper.h"

#include <QLabel>
#include <QPainter>

namespace ruvia {

namespace {
constexpr int kHeightTwips = 615;
// The gap between the caption and the values. The classic labels carried a
// few pixels of margin around their text; Qt's carry none, so the gap
// holds that margin as well as the 10 twips between the labels.
constexpr int kValueGap = 6;

QLabel* label(QWidget* parent, const char* name, const QString& text, int leftTwips, int topTwips)
{
    auto* l = new QLabel(text, parent);
    l->setObjectName(QString::fromLatin1(name));
    l->setTextFormat(Qt::PlainText);
    l->move(Twips(leftTwips), Twips(topTwips));
    l->adjustSize();
    return l;
}

void setAutoSized(QLabel* l, const QString& text)
{
    l->setText(text);
    l->adjustSize();
}
} // namespace

ucInfoToolBar::ucInfoToolBar(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("itbMainInfo"));
    m_caption = label(this, "lblTag0", QStringLiteral("???"), 120, 60);
    m_listInfo = label(this, "lblListInfo", QStringLiteral("-----"), 1080, 60);
    m_emailCaption = label(this, "lblTag1", QStringLiteral("E-Mail:"), 120, 300);
    m_email = label(this, "lblEMail", QStringLiteral("-----"), 1080, 300);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, pal.color(QPalette::ToolTipBase));
    pal.setColor(QPalette::WindowText, pal.color(QPalette::ToolTipText));
    setPalette(pal);
    setAutoFillBackground(true);
    setFixedHeight(fixedHeight());
    setEMail(SET_EMail);
}

int ucInfoToolBar::fixedHeight() { return Twips(kHeightTwips); }

QString ucInfoToolBar::ListInfo() const { return m_listInfo->text(); }
void ucInfoToolBar::setListInfo(const QString& text) { setAutoSized(m_listInfo, text); }
QString ucInfoToolBar::ListInfoLabel() const { return m_caption->text(); }
QString ucInfoToolBar::EMail() const { return m_email->text(); }
void ucInfoToolBar::setEMail(const QString& email) { setAutoSized(m_email, email); }

void ucInfoToolBar::setListInfoLabel(const QString& caption)
{
    setAutoSized(m_caption, caption);
    const int left = m_caption->x() + m_caption->width() + kValueGap;
    m_listInfo->move(left, m_listInfo->y());
    m_email->move(left, m_email->y());
}

void ucInfoToolBar::resizeEvent(QResizeEvent* event)
{
    if (height() != fixedHeight())
        setFixedHeight(fixedHeight());
    QWidget::resizeEvent(event);
}

void ucInfoToolBar::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const int bottom = height();
    p.setPen(palette().color(QPalette::Dark));
    p.drawLine(0, bottom - 2, width(), bottom - 2);
    p.setPen(palette().color(QPalette::Light));
    p.drawLine(0, bottom - 1, width(), bottom - 1);
}

void InitToolBar(QWidget* form, ucInfoToolBar* toolbar)
{
    if (!form || !toolbar)
        return;
    if (toolbar->parentWidget() != form)
        toolbar->setParent(form);
    const int h = toolbar->height();
    const QList<QWidget*> children = form->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly);
    for (QWidget* w : children)
        if (w != toolbar && !w->isWindow() && w->objectName() != u"itbMainInfo")
            w->move(w->x(), w->y() + h);
    const QSize grown(form->width(), form->height() + h);
    if (form->minimumSize() == form->maximumSize())
        form->setFixedSize(grown);
    else
        form->resize(grown);
    toolbar->setGeometry(0, 0, form->width(), h);
    toolbar->raise();
    QWidget* window = form->window();
    window->move(window->x(), window->y() - h / 2);
}

} // namespace ruvia
