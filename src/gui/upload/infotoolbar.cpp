#include "gui/upload/infotoolbar.h"

#include "core/group.h"
#include "gui/windowhelper.h"

#include <QLabel>

namespace ruvia {

namespace {
QLabel* label(QWidget* parent, const char* name, const QString& text, int leftTwips, int topTwips)
{
    auto* l = new QLabel(text, parent);
    l->setObjectName(QString::fromLatin1(name));
    l->setTextFormat(Qt::PlainText);
    l->move(Twips(leftTwips), Twips(topTwips));
    l->adjustSize();
    return l;
}
} // namespace

UploadInfoToolBar::UploadInfoToolBar(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("itbMainInfo"));
    m_caption = label(this, "lblTag0", QStringLiteral("???"), 120, 60);
    m_listInfo = label(this, "lblListInfo", QStringLiteral("-----"), 1080, 60);
    label(this, "lblTag1", QStringLiteral("E-Mail:"), 120, 300);
    m_email = label(this, "lblEMail", QStringLiteral("-----"), 1080, 300);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, pal.color(QPalette::ToolTipBase));
    pal.setColor(QPalette::WindowText, pal.color(QPalette::ToolTipText));
    setPalette(pal);
    setAutoFillBackground(true);
    setFixedHeight(fixedHeight());
    setEMail(SET_EMail);
}

int UploadInfoToolBar::fixedHeight() { return Twips(615); }
QString UploadInfoToolBar::ListInfo() const { return m_listInfo->text(); }
QString UploadInfoToolBar::ListInfoLabel() const { return m_caption->text(); }
QString UploadInfoToolBar::EMail() const { return m_email->text(); }

void UploadInfoToolBar::setListInfo(const QString& text)
{
    m_listInfo->setText(text);
    m_listInfo->adjustSize();
}

void UploadInfoToolBar::setEMail(const QString& email)
{
    m_email->setText(email);
    m_email->adjustSize();
}

void UploadInfoToolBar::setListInfoLabel(const QString& caption)
{
    m_caption->setText(caption);
    m_caption->adjustSize();
    const int left = qMax(m_caption->x() + m_caption->width() + 1, Twips(1080));
    m_listInfo->move(left, m_listInfo->y());
    m_email->move(left, m_email->y());
}

void InitToolBar(QWidget* form, UploadInfoToolBar* toolbar)
{
    const int h = toolbar->height();
    for (QWidget* w : form->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
        if (w != toolbar && !w->isWindow())
            w->move(w->x(), w->y() + h);
    form->resize(form->width(), form->height() + h);
    toolbar->setGeometry(0, 0, form->width(), h);
    toolbar->raise();
}

} // namespace ruvia
