#pragma once
// The viewer's toolbar: buttons drawn from its bitmaps, on the window colour.

#include <QImage>
#include <QToolBar>
#include <span>

namespace tavrin::viewer {

class CColoredToolBar : public QToolBar {
    Q_OBJECT
  public:
    explicit CColoredToolBar(QWidget* parent = nullptr);

    // A button image list from a bitmap strip: grey RGB 192,192,192 becomes the window colour
    // and black is the mask colour (transparent).
    static std::vector<QPixmap> imageList(const QImage& strip, const QColor& windowColour);

    // Buttons (0 = separator) with their images from the normal, hot and disabled strips.
    void setButtons(std::span<const int> ids, const QImage& normal, const QImage& hot,
                    const QImage& disabled, const std::function<QAction*(int)>& actionFor);
    void hideButton(QAction* action);

  protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace tavrin::viewer
