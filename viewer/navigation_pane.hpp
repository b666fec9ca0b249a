#pragma once
// The information bar's navigation section: the picture small, with the part the view shows
// marked; a click or a drag there moves that part.

#include <QWidget>

namespace tavrin::viewer {

class CPictureView;

class CNavigationPane : public QWidget {
    Q_OBJECT
  public:
    CNavigationPane(CPictureView& view, QWidget* parent);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    // Where the thumbnail's top-left corner lies in the pane.
    QPoint thumbnailOffset(const QSize& thumbnail) const;
    void centreOn(const QPoint& panePoint);

    CPictureView& view_;
};

}  // namespace tavrin::viewer
