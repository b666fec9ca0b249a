#include "viewer/view_geometry.hpp"

#include <cmath>

namespace tavrin::viewer {

namespace {

// One axis of the keep-in-view rule: not past the far edge, centred when the near edge shows.
void keepAxis(float& position, float extent, int pictureExtent, int areaExtent, double zoom) {
    if (pictureExtent < position + extent) position = static_cast<float>(pictureExtent - extent);
    if (areaExtent > (position + extent) * zoom)
        position = static_cast<float>((pictureExtent * zoom - areaExtent) / zoom * 0.5);
}

}  // namespace

void ViewGeometry::keepInView(Size area, Size picture, float dx, float dy) {
    source_.x += dx;
    source_.y += dy;
    keepAxis(source_.x, source_.width, picture.width, area.width, zoom_);
    keepAxis(source_.y, source_.height, picture.height, area.height, zoom_);
}

void ViewGeometry::fit(Size area, Size picture) {
    clickZoom_ = ClickZoom::None;
    if (area.width > picture.width && area.height > picture.height) {
        actualSize(area, picture);
        fitMode_ = true;
        return;
    }
    const double areaAspect = static_cast<double>(area.width) / area.height;
    const double pictureAspect = static_cast<double>(picture.width) / picture.height;
    if (areaAspect < pictureAspect) {
        source_.width = static_cast<float>(picture.width);
        source_.height = static_cast<float>(picture.width / areaAspect);
    } else {
        source_.height = static_cast<float>(picture.height);
        source_.width = static_cast<float>(picture.height * areaAspect);
    }
    source_.x = source_.y = 0;
    zoom_ = area.width / static_cast<double>(source_.width);
    keepInView(area, picture);
    fitMode_ = true;
    actualSizeMode_ = false;
}

void ViewGeometry::actualSize(Size area, Size picture) {
    clickZoom_ = ClickZoom::None;
    source_.width = static_cast<float>(area.width);
    source_.height = static_cast<float>(area.height);
    source_.x = static_cast<float>((picture.width - area.width) * 0.5);
    source_.y = static_cast<float>((picture.height - area.height) * 0.5);
    zoom_ = area.width / static_cast<double>(source_.width);
    keepInView(area, picture);
    actualSizeMode_ = true;
    fitMode_ = area.width > picture.width && area.height > picture.height;
}

void ViewGeometry::zoomIn(Size area, Size picture) {
    if (zoom_ > kMaxZoom) return;
    zoom_ *= 2;
    source_.x += source_.width / 4;
    source_.y += source_.height / 4;
    source_.width /= 2;
    source_.height /= 2;
    keepInView(area, picture);
    fitMode_ = actualSizeMode_ = false;
}

void ViewGeometry::zoomOut(Size area, Size picture) {
    if (zoom_ <= kMinZoom) return;
    zoom_ *= 0.5;
    source_.x -= source_.width / 2;
    source_.y -= source_.height / 2;
    source_.width *= 2;
    source_.height *= 2;
    keepInView(area, picture);
    fitMode_ = actualSizeMode_ = false;
}

void ViewGeometry::drag(int fromX, int fromY, int toX, int toY, Size area, Size picture) {
    float dx = std::trunc(static_cast<float>((fromX - toX) / zoom_));
    float dy = std::trunc(static_cast<float>((fromY - toY) / zoom_));
    if (source_.x + dx < 0 && dx < 0) dx = -std::trunc(source_.x);
    if (source_.y + dy < 0 && dy < 0) dy = -std::trunc(source_.y);
    keepInView(area, picture, dx, dy);
}

void ViewGeometry::centreOn(float px, float py, Size area, Size picture) {
    if (px < source_.width / 2) px = source_.width / 2 + 1;
    if (py < source_.height / 2) py = source_.height / 2 + 1;
    source_.x = px - source_.width / 2;
    source_.y = py - source_.height / 2;
    keepInView(area, picture);
}

}  // namespace tavrin::viewer
