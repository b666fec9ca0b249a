// colour_difference DECODED PREVIEW: the mean CIE76 colour difference between two pictures of
// the same scene (a decode and the camera's own preview), both scaled to 96 pixels wide and the
// preview's height, after the decode's mean lightness has been moved to the preview's. Two
// figures: the whole decode against the preview, and the best of the decode's centre crops of the
// preview's proportions, down to 97 % (a camera's picture may leave out a thin border its raw data
// holds; compared unaligned, every edge of the scene then counts as a colour difference).

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "platform/imaging/decode.hpp"
#include "platform/imaging/resample.hpp"

namespace {

using tavrin::imaging::Bitmap;

constexpr int kWidth = 96;

struct Lab {
    double l, a, b;
};

double linear(int v) {
    const double c = v / 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

double labCurve(double t) {
    return t > 216.0 / 24389 ? std::cbrt(t) : (24389.0 / 27 * t + 16) / 116;
}

// Blue-green-red bytes of sRGB to CIE L*a*b* (D65 white).
Lab toLab(const std::uint8_t* bgr) {
    const double r = linear(bgr[2]), g = linear(bgr[1]), b = linear(bgr[0]);
    const double x = (0.412453 * r + 0.357580 * g + 0.180423 * b) / 0.950456;
    const double y = 0.212671 * r + 0.715160 * g + 0.072169 * b;
    const double z = (0.019334 * r + 0.119193 * g + 0.950227 * b) / 1.088754;
    const double fx = labCurve(x), fy = labCurve(y), fz = labCurve(z);
    return {116 * fy - 16, 500 * (fx - fy), 200 * (fy - fz)};
}

// The picture's centred crop of the given proportions (width over height) and share, at kWidth
// by height pixels.
std::vector<Lab> labPixels(const Bitmap& picture, float aspect, float crop, int height) {
    const float wider = aspect * static_cast<float>(picture.height()) / picture.width();
    const float width = static_cast<float>(picture.width()) * crop * std::min(wider, 1.f);
    const float tall = static_cast<float>(picture.height()) * crop * std::min(1 / wider, 1.f);
    const auto small =
        tavrin::imaging::resample(picture,
                                  {(static_cast<float>(picture.width()) - width) / 2,
                                   (static_cast<float>(picture.height()) - tall) / 2, width, tall},
                                  kWidth, height, tavrin::imaging::Filter::Cubic);
    std::vector<Lab> out;
    if (!small) return out;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < kWidth; ++x)
            out.push_back(toLab(small->row(y) + x * 3));
    }
    return out;
}

// The mean difference with the decode's mean lightness moved to the preview's; -1 when the
// pictures cannot be compared.
double meanDifference(const std::vector<Lab>& a, const std::vector<Lab>& b) {
    if (a.empty() || a.size() != b.size()) return -1;
    double shift = 0;
    for (std::size_t i = 0; i < a.size(); ++i)
        shift += b[i].l - a[i].l;
    shift /= static_cast<double>(a.size());
    double sum = 0;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const double dl = a[i].l + shift - b[i].l, da = a[i].a - b[i].a, db = a[i].b - b[i].b;
        sum += std::sqrt(dl * dl + da * da + db * db);
    }
    return sum / static_cast<double>(a.size());
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: colour_difference DECODED PREVIEW\n");
        return 2;
    }
    const auto decoded = tavrin::imaging::decodeImageFile(argv[1]);
    const auto preview = tavrin::imaging::decodeImageFile(argv[2]);
    if (!decoded.bitmap || !preview.bitmap) {
        std::fprintf(stderr, "colour_difference: cannot read %s\n",
                     decoded.bitmap ? argv[2] : argv[1]);
        return 1;
    }
    const int height = std::max(
        1, static_cast<int>(std::lround(kWidth * static_cast<double>(preview.bitmap->height()) /
                                        preview.bitmap->width())));
    const float wholeAspect =
        static_cast<float>(decoded.bitmap->width()) / decoded.bitmap->height();
    const float previewAspect =
        static_cast<float>(preview.bitmap->width()) / preview.bitmap->height();
    const auto camera = labPixels(*preview.bitmap, previewAspect, 1, height);
    const double whole = meanDifference(labPixels(*decoded.bitmap, wholeAspect, 1, height), camera);
    if (whole < 0) return 1;
    double best = whole;
    for (int step = 0; step <= 6; ++step) {
        const float crop = 1 - 0.005f * static_cast<float>(step);
        best = std::min(
            best, meanDifference(labPixels(*decoded.bitmap, previewAspect, crop, height), camera));
    }
    std::printf("%.1f %.1f\n", whole, best);
    return 0;
}
