#include "resources/toolbar_bitmaps.hpp"

#include <QPainter>
#include <QPainterPath>
#include <array>
#include <span>

namespace tavrin::resources {

namespace {

enum class Glyph {
    Previous,
    Next,
    Pause,
    ZoomIn,
    ZoomOut,
    Move,
    OptimalHeight,
    ActualSize,
    Slideshow,
    RotateClockwise,
    RotateCounterClockwise,
    Settings,
    ImageInformation,
    PutAside,
    About,
    Exit,
};

// The buttons of toolbar 128 and toolbar 139, left to right without separators.
constexpr std::array kNormalButtons = {
    Glyph::Previous,
    Glyph::Next,
    Glyph::Pause,
    Glyph::ZoomIn,
    Glyph::ZoomOut,
    Glyph::Move,
    Glyph::OptimalHeight,
    Glyph::ActualSize,
    Glyph::Slideshow,
    Glyph::RotateClockwise,
    Glyph::RotateCounterClockwise,
    Glyph::Settings,
    Glyph::ImageInformation,
    Glyph::PutAside,
    Glyph::About,
};
constexpr std::array kSlideshowButtons = {
    Glyph::Previous,         Glyph::Next, Glyph::Pause, Glyph::ZoomIn, Glyph::ZoomOut, Glyph::Move,
    Glyph::ImageInformation, Glyph::Exit,
};

const QColor kBackground(192, 192, 192);

struct Palette {
    QColor ink;     // outlines and symbols
    QColor fill;    // arrows and faces
    QColor accent;  // the red of put aside and exit
};

// Draws glyph as it is, or mirrored left to right.
template <typename Draw>
void mirroredIf(QPainter& p, bool mirror, Draw draw) {
    p.save();
    if (mirror) {
        p.translate(kButtonSize, 0);
        p.scale(-1, 1);
    }
    draw();
    p.restore();
}

// An arrow pointing right.
void arrow(QPainter& p, const Palette& c) {
    p.setPen(QPen(c.ink, 1));
    p.setBrush(c.fill);
    p.drawPolygon(QPolygonF{{QPointF(4, 2), QPointF(13, 8), QPointF(4, 14)}});
}

void magnifier(QPainter& p, bool plus, const Palette& c) {
    p.setPen(QPen(c.ink, 1.5));
    p.setBrush(Qt::white);
    p.drawEllipse(QRectF(1.5, 1.5, 9, 9));
    p.setPen(QPen(c.ink, 2.5, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(10, 10), QPointF(14, 14));
    p.setPen(QPen(c.fill, 1.5));
    p.drawLine(QPointF(3.5, 6), QPointF(8.5, 6));
    if (plus) p.drawLine(QPointF(6, 3.5), QPointF(6, 8.5));
}

// Bold text centred on the button.
void text(QPainter& p, const QString& glyph, int pixelSize, const QColor& colour) {
    QFont font("DejaVu Sans");
    font.setPixelSize(pixelSize);
    font.setBold(true);
    p.setFont(font);
    p.setPen(colour);
    p.drawText(QRectF(0, 0, kButtonSize, kButtonSize), Qt::AlignCenter, glyph);
}

// A circular arrow turning clockwise.
void turn(QPainter& p, const Palette& c) {
    p.setPen(QPen(c.fill, 2));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(3, 3, 10, 10), 120 * 16, 270 * 16);
    p.setPen(QPen(c.ink, 1));
    p.setBrush(c.fill);
    p.drawPolygon(QPolygonF{{QPointF(1, 3), QPointF(7, 2), QPointF(4, 8)}});
}

void drawGlyph(QPainter& p, Glyph glyph, const Palette& c) {
    switch (glyph) {
        case Glyph::Previous:
        case Glyph::Next:
            mirroredIf(p, glyph == Glyph::Previous, [&] { arrow(p, c); });
            break;
        case Glyph::Pause:
            p.setPen(QPen(c.ink, 1));
            p.setBrush(c.fill);
            p.drawRect(QRectF(3.5, 2.5, 3, 11));
            p.drawRect(QRectF(9.5, 2.5, 3, 11));
            break;
        case Glyph::ZoomIn:
        case Glyph::ZoomOut:
            magnifier(p, glyph == Glyph::ZoomIn, c);
            break;
        case Glyph::Move: {
            p.setPen(QPen(c.fill, 1.5));
            p.drawLine(QPointF(8, 2), QPointF(8, 14));
            p.drawLine(QPointF(2, 8), QPointF(14, 8));
            p.setPen(QPen(c.ink, 1));
            p.setBrush(c.fill);
            const std::array<QPolygonF, 4> heads = {
                QPolygonF{{QPointF(8, 0.5), QPointF(5, 4), QPointF(11, 4)}},
                QPolygonF{{QPointF(8, 15.5), QPointF(5, 12), QPointF(11, 12)}},
                QPolygonF{{QPointF(0.5, 8), QPointF(4, 5), QPointF(4, 11)}},
                QPolygonF{{QPointF(15.5, 8), QPointF(12, 5), QPointF(12, 11)}},
            };
            for (const QPolygonF& head : heads)
                p.drawPolygon(head);
            break;
        }
        case Glyph::OptimalHeight:
            p.setPen(QPen(c.ink, 1.5));
            p.drawLine(QPointF(3, 1.5), QPointF(13, 1.5));
            p.drawLine(QPointF(3, 14.5), QPointF(13, 14.5));
            p.setPen(QPen(c.fill, 1.5));
            p.drawLine(QPointF(8, 3), QPointF(8, 13));
            p.setBrush(c.fill);
            p.drawPolygon(QPolygonF{{QPointF(8, 3), QPointF(5, 6.5), QPointF(11, 6.5)}});
            p.drawPolygon(QPolygonF{{QPointF(8, 13), QPointF(5, 9.5), QPointF(11, 9.5)}});
            break;
        case Glyph::ActualSize:
            text(p, "1:1", 9, c.ink);
            break;
        case Glyph::Slideshow:
            p.setPen(QPen(c.ink, 1));
            p.setBrush(Qt::white);
            p.drawRect(QRectF(1.5, 2.5, 13, 10));
            p.setBrush(c.fill);
            p.drawPolygon(QPolygonF{{QPointF(6, 4.5), QPointF(11, 7.5), QPointF(6, 10.5)}});
            p.drawLine(QPointF(8, 12.5), QPointF(8, 15));
            break;
        case Glyph::RotateClockwise:
        case Glyph::RotateCounterClockwise:
            mirroredIf(p, glyph == Glyph::RotateCounterClockwise, [&] { turn(p, c); });
            break;
        case Glyph::Settings:
            p.setPen(QPen(c.ink, 1));
            for (int i = 0; i < 3; ++i) {
                const double y = 3.5 + 4.5 * i;
                p.drawLine(QPointF(2, y), QPointF(14, y));
                p.setBrush(c.fill);
                p.drawRect(QRectF(i == 1 ? 9.5 : 3.5, y - 2, 3, 4));
            }
            break;
        case Glyph::ImageInformation: {
            p.setPen(QPen(c.ink, 1));
            p.setBrush(c.fill);
            p.drawEllipse(QRectF(1.5, 1.5, 13, 13));
            p.setPen(QPen(Qt::white, 2));
            p.drawLine(QPointF(8, 7), QPointF(8, 12));
            p.drawPoint(QPointF(8, 4.5));
            break;
        }
        case Glyph::PutAside:
            p.setPen(QPen(c.ink, 1));
            p.setBrush(Qt::white);
            p.drawRect(QRectF(3.5, 1.5, 9, 13));
            p.setPen(QPen(c.accent, 2.2, Qt::SolidLine, Qt::RoundCap));
            p.drawLine(QPointF(2.5, 3.5), QPointF(13.5, 13.5));
            p.drawLine(QPointF(13.5, 3.5), QPointF(2.5, 13.5));
            break;
        case Glyph::About:
            text(p, "?", 14, c.fill);
            break;
        case Glyph::Exit:
            p.setPen(QPen(c.ink, 1));
            p.setBrush(Qt::white);
            p.drawRect(QRectF(2.5, 1.5, 8, 13));
            p.setPen(QPen(c.accent, 2, Qt::SolidLine, Qt::RoundCap));
            p.drawLine(QPointF(7, 8), QPointF(14, 8));
            p.drawLine(QPointF(11, 5), QPointF(14, 8));
            p.drawLine(QPointF(11, 11), QPointF(14, 8));
            break;
    }
}

QImage strip(std::span<const Glyph> glyphs, const Palette& colours) {
    QImage image(kButtonSize * static_cast<int>(glyphs.size()), kButtonSize, QImage::Format_RGB32);
    image.fill(kBackground);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    for (std::size_t i = 0; i < glyphs.size(); ++i) {
        painter.save();
        painter.translate(kButtonSize * static_cast<double>(i), 0);
        painter.setClipRect(QRect(0, 0, kButtonSize, kButtonSize));
        drawGlyph(painter, glyphs[i], colours);
        painter.restore();
    }
    return image;
}

const Palette kNormal{QColor(24, 40, 90), QColor(40, 90, 170), QColor(200, 30, 30)};
const Palette kHot{QColor(10, 30, 110), QColor(30, 140, 230), QColor(235, 40, 40)};

}  // namespace

QImage loadToolbarBitmap(int resourceId) {
    switch (resourceId) {
        case kToolbarNormal:
            return strip(kNormalButtons, kNormal);
        case kToolbarHot:
            return strip(kNormalButtons, kHot);
        case kSlideshowToolbarNormal:
            return strip(kSlideshowButtons, kNormal);
        case kSlideshowToolbarHot:
            return strip(kSlideshowButtons, kHot);
        default:
            return {};
    }
}

}  // namespace tavrin::resources
