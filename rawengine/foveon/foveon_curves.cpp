#include "rawengine/foveon/foveon_curves.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <new>

#include "rawengine/loader_exception.hpp"

namespace tavrin::raw {
namespace {

struct Point {
    double x, y;
};

// A control point text holds a few dozen points at most; more is not a curve.
constexpr std::size_t kMaxPoints = 4096;

std::optional<std::vector<Point>> parsePoints(std::string_view text) {
    std::vector<double> numbers;
    const char* at = text.data();
    const char* const end = text.data() + text.size();
    while (at != end) {
        if (*at == ' ' || *at == ',' || *at == '\t' || *at == '\n') {
            ++at;
            continue;
        }
        double value = 0;
        const auto [next, error] = std::from_chars(at, end, value);
        if (error != std::errc() || !(value >= 0 && value <= 1)) return std::nullopt;
        if (numbers.size() == 2 * kMaxPoints) return std::nullopt;
        numbers.push_back(value);
        at = next;
    }
    if (numbers.size() < 4 || numbers.size() % 2) return std::nullopt;
    std::vector<Point> points;
    for (std::size_t i = 0; i < numbers.size(); i += 2) {
        if (!points.empty() && numbers[i] <= points.back().x) return std::nullopt;
        points.push_back({numbers[i], numbers[i + 1]});
    }
    return points;
}

}  // namespace

std::optional<ToneCurve> foveonMakeCurve(std::string_view text, int white) {
    const auto points = parsePoints(text);
    if (!points || white <= 0 || white > 65535) return std::nullopt;
    ToneCurve curve;
    try {
        curve.resize(static_cast<std::size_t>(white) + 1);
    } catch (const std::bad_alloc&) {
        throw CImageLoaderException::outOfMemory("foveon_make_curve()");
    }
    std::size_t segment = 0;
    for (std::size_t i = 0; i < curve.size(); ++i) {
        const double x = static_cast<double>(i) / white;
        while (segment + 2 < points->size() && x > (*points)[segment + 1].x)
            ++segment;
        const Point& a = (*points)[segment];
        const Point& b = (*points)[segment + 1];
        const double t = std::clamp((x - a.x) / (b.x - a.x), 0.0, 1.0);
        curve[i] = static_cast<std::uint16_t>(std::lround((a.y + (b.y - a.y) * t) * white));
    }
    return curve;
}

std::array<std::optional<ToneCurve>, 3> foveonMakeCurves(
    const std::array<std::optional<std::string_view>, 3>& points, const std::array<int, 3>& white) {
    std::array<std::optional<ToneCurve>, 3> curves;
    for (std::size_t c = 0; c < 3; ++c) {
        if (points[c]) curves[c] = foveonMakeCurve(*points[c], white[c]);
    }
    return curves;
}

}  // namespace tavrin::raw
