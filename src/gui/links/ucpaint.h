#pragma once
// The disguise of the links window: the empty working area of a simple
// painting program (tool box, teal workspace with the corner of a white
// sheet, colour box and status bar), four corner pictures over a few drawn
// fills and lines, under the painting program's pencil pointer.
#include <QWidget>

class QLabel;

namespace ruvia {

class ucPaint : public QWidget {
    Q_OBJECT
  public:
    explicit ucPaint(QWidget* parent = nullptr);
    static QSize designSize() { return {494, 394}; }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    void placeCorners();
    QLabel* m_slices[4];
};

} // namespace ruvia
