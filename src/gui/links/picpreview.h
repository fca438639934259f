#pragma once
// The thumbnail area of the links window: black when there is nothing to
// show, red when the thumbnail could not be loaded, else the picture centred
// at its natural size.
#include "links/preview.h"

#include <QWidget>

namespace ruvia {

class PicturePreview : public QWidget {
    Q_OBJECT
  public:
    explicit PicturePreview(QWidget* parent = nullptr);
    void setPreview(Preview preview);
    void clearPreview() { setPreview({}); }
    const Preview& preview() const { return m_preview; }

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
};

} // namespace ruvia
