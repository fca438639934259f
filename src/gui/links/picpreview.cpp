#include "gui/links/picpreview.h"

#include <QMouseEvent>
#include <QPainter>

namespace ruvia {

PicturePreview::PicturePreview(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("picPreview"));
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void PicturePreview::setPreview(Preview preview, bool forPost)
{
    m_preview = std::move(preview);
    m_forPost = forPost;
    update();
}

void PicturePreview::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    switch (m_preview.state) {
    case Preview::Empty:
        p.fillRect(rect(), Qt::black);
        if (m_forPost) {
            p.setPen(QColor(128, 128, 128));
            p.drawText(rect(), Qt::AlignCenter, QStringLiteral("No thumbnail"));
        }
        break;
    case Preview::Broken:
        p.fillRect(rect(), QColor(255, 0, 0));
        break;
    case Preview::Picture:
        p.fillRect(rect(), Qt::black);
        p.drawImage(PreviewOrigin(size(), m_preview.image.size()), m_preview.image);
        break;
    }
}

void PicturePreview::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::MiddleButton)
        Q_EMIT middleClicked();
    else if (event->button() == Qt::RightButton)
        Q_EMIT rightClicked(event->globalPosition().toPoint());
    QWidget::mousePressEvent(event);
}

void PicturePreview::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        Q_EMIT doubleClicked();
    QWidget::mouseDoubleClickEvent(event);
}

} // namespace ruvia
