#pragma once
// Which part of the picture the view shows and at what scale: a rectangle of the picture in
// picture pixels mapped onto the whole picture area, the same scale on both axes.

namespace tavrin::viewer {

struct SourceRect {
    float x = 0, y = 0, width = 0, height = 0;
};

struct Size {
    int width = 0, height = 0;
};

enum class ClickZoom { None = 0, In = 1, Out = 2 };

class ViewGeometry {
  public:
    static constexpr double kMaxZoom = 32;
    static constexpr double kMinZoom = 0.06;

    const SourceRect& source() const { return source_; }
    double zoom() const { return zoom_; }
    bool fitMode() const { return fitMode_; }
    bool actualSizeMode() const { return actualSizeMode_; }
    ClickZoom clickZoom() const { return clickZoom_; }
    void setClickZoom(ClickZoom mode) { clickZoom_ = mode; }

    // Picture and area sizes are the caller's; every rule keeps the picture in view.
    void fit(Size area, Size picture);
    void actualSize(Size area, Size picture);
    // Doubles the scale around the centre; nothing above kMaxZoom.
    void zoomIn(Size area, Size picture);
    // Halves the scale around the centre; nothing at or below kMinZoom.
    void zoomOut(Size area, Size picture);
    // Moves the view by a drag from one window point to another (dragging right moves the
    // picture right), never past the picture's left or top edge.
    void drag(int fromX, int fromY, int toX, int toY, Size area, Size picture);
    // Centres the visible part on a picture point, then keeps it in view.
    void centreOn(float px, float py, Size area, Size picture);

  private:
    void keepInView(Size area, Size picture, float dx = 0, float dy = 0);

    SourceRect source_;
    double zoom_ = 1.0;
    ClickZoom clickZoom_ = ClickZoom::None;
    bool fitMode_ = false;
    bool actualSizeMode_ = false;
};

}  // namespace tavrin::viewer
