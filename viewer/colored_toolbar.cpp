#include "viewer/colored_toolbar.hpp"

#include <QAction>
#include <QPainter>

#include "resources/toolbar_bitmaps.hpp"

namespace tavrin::viewer {

CColoredToolBar::CColoredToolBar(QWidget* parent) : QToolBar(parent) {
    setMovable(false);
    setFloatable(false);
    setIconSize(QSize(resources::kButtonSize, resources::kButtonSize));
    setToolButtonStyle(Qt::ToolButtonIconOnly);
    setContentsMargins(0, 0, 0, 0);
    // Buttons of 20 pixels and narrow separators: the whole bar fits its 370-pixel strip.
    setStyleSheet(
        "QToolBar { spacing: 0px; padding: 0px; border: none; }"
        "QToolButton { padding: 1px; margin: 0px; border: 1px solid transparent; }"
        "QToolButton:hover { border: 1px solid palette(highlight); }"
        "QToolButton:checked { border: 1px solid palette(dark); background: palette(midlight); }"
        "QToolBar::separator { width: 5px; }");
}

std::vector<QPixmap> CColoredToolBar::imageList(const QImage& strip, const QColor& windowColour) {
    QImage image = strip.convertToFormat(QImage::Format_ARGB32);
    const QRgb grey = qRgb(192, 192, 192);
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const QRgb pixel = line[x] | 0xFF000000u;
            if (pixel == grey) line[x] = windowColour.rgb();
            if (pixel == qRgb(0, 0, 0)) line[x] = 0;
        }
    }
    std::vector<QPixmap> images;
    for (int x = 0; x + resources::kButtonSize <= image.width(); x += resources::kButtonSize)
        images.push_back(
            QPixmap::fromImage(image.copy(x, 0, resources::kButtonSize, resources::kButtonSize)));
    return images;
}

void CColoredToolBar::setButtons(std::span<const int> ids, const QImage& normal, const QImage& hot,
                                 const QImage& disabled,
                                 const std::function<QAction*(int)>& actionFor) {
    const QColor window = palette().color(QPalette::Base);
    const std::vector<QPixmap> normalImages = imageList(normal, window);
    const std::vector<QPixmap> hotImages = imageList(hot, window);
    const std::vector<QPixmap> disabledImages = imageList(disabled, window);
    std::size_t image = 0;
    for (int id : ids) {
        if (id == 0) {
            addSeparator();
            continue;
        }
        QAction* action = actionFor(id);
        if (image < normalImages.size()) {
            QIcon icon(normalImages[image]);
            if (image < hotImages.size()) icon.addPixmap(hotImages[image], QIcon::Active);
            if (image < disabledImages.size())
                icon.addPixmap(disabledImages[image], QIcon::Disabled);
            action->setIcon(icon);
        }
        ++image;
        addAction(action);
    }
}

void CColoredToolBar::hideButton(QAction* action) {
    // The toolbar shows a button exactly when its action is visible.
    action->setVisible(false);
}

void CColoredToolBar::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Base));
}

}  // namespace tavrin::viewer
