#pragma once
// The thumbnail area of the links window: black when there is nothing to
// show (with a quiet "No thumbnail" when a post is shown but has none), red
// when the thumbnail could not be loaded, else the picture centred at its
// natural size.
#include "links/preview.h"

#include <QWidget>

namespace ruvia {

class PicturePreview : public QWidget {
    Q_OBJECT
  public:
    explicit PicturePreview(QWidget* parent = nullptr);
    // forPost: the preview belongs to a post, so an empty one means "no thumbnail".
    void setPreview(Preview preview, bool forPost = false);
    void clearPreview() { setPreview({}); }
    const Preview& preview() const { return m_preview; }
    bool ShowsNoThumbnail() const { return m_forPost && m_preview.state == Preview::Empty; }

  Q_SIGNALS:
    void doubleClicked();
    void middleClicked();
    void rightClicked(const QPoint& globalPos);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

  private:
    Preview m_preview;
    bool m_forPost = false;
};

} // namespace ruvia
