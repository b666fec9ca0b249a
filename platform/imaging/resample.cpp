#include "platform/imaging/resample.hpp"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace tavrin::imaging {
namespace {

constexpr float kCubicA = -0.5f;  // Catmull-Rom: interpolating, sharp, reproduces ramps

float cubic(float x) {
    x = std::fabs(x);
    if (x < 1) return ((kCubicA + 2) * x - (kCubicA + 3)) * x * x + 1;
    if (x < 2) return ((kCubicA * x - 5 * kCubicA) * x + 8 * kCubicA) * x - 4 * kCubicA;
    return 0;
}

float linear(float x) {
    x = std::fabs(x);
    return x < 1 ? 1 - x : 0;
}

float radiusOf(Filter f) {
    return f == Filter::Cubic ? 2.f : f == Filter::Linear ? 1.f : 0.5f;
}

float kernel(Filter f, float x) {
    return f == Filter::Cubic ? cubic(x) : linear(x);
}

// A pixel's blue, green and red, and a lane that keeps the vector at four floats.
using Pixel = float __attribute__((vector_size(16)));

std::uint8_t clampByte(float v) {
    return static_cast<std::uint8_t>(std::clamp(v + 0.5f, 0.f, 255.f));
}

// The pixel at in as four floats; the fourth lane takes the byte that follows it.
Pixel widen(const std::uint8_t* in) {
#if defined(__SSE2__)
    std::int32_t four;
    std::memcpy(&four, in, sizeof four);
    const __m128i zero = _mm_setzero_si128();
    const __m128i words = _mm_unpacklo_epi8(_mm_cvtsi32_si128(four), zero);
    return Pixel(_mm_cvtepi32_ps(_mm_unpacklo_epi16(words, zero)));
#else
    return Pixel{static_cast<float>(in[0]), static_cast<float>(in[1]), static_cast<float>(in[2]),
                 static_cast<float>(in[3])};
#endif
}

// A sum's first three lanes rounded and clamped to bytes, as clampByte does.
void narrow(Pixel sum, std::uint8_t* out) {
    sum += 0.5f;
#if defined(__SSE2__)
    // Truncated, then saturated to 0..255 on the way down to bytes.
    const __m128i lanes = _mm_cvttps_epi32(__m128(sum));
    const __m128i bytes = _mm_packus_epi16(_mm_packs_epi32(lanes, lanes), lanes);
    const std::int32_t four = _mm_cvtsi128_si32(bytes);
    std::memcpy(out, &four, 3);
#else
    using Lanes = std::int32_t __attribute__((vector_size(16)));
    sum = sum < 0 ? Pixel{} : sum;
    sum = sum > 255 ? Pixel{} + 255 : sum;
    const auto bytes = __builtin_convertvector(sum, Lanes);
    for (int c = 0; c < 3; ++c)
        out[c] = static_cast<std::uint8_t>(bytes[c]);
#endif
}

// The taps of each output pixel along one axis.
struct Taps {
    int first = 0;  // first output index
    int count = 0;  // output pixels
    int width = 0;  // taps per output pixel
    std::vector<int> start;
    std::vector<float> weights;  // count x width
};

// Output pixel i covers [dstStart, dstStart + dstLen) mapped onto [srcStart, srcStart + srcLen);
// source indices are clamped to [lo, hi).
Taps computeTaps(float srcStart, float srcLen, int lo, int hi, float dstStart, float dstLen,
                 int dstLimit, Filter filter) {
    Taps t;
    t.first = std::max(0, static_cast<int>(std::ceil(dstStart - 0.5f)));
    const int last = std::min(dstLimit, static_cast<int>(std::ceil(dstStart + dstLen - 0.5f)));
    t.count = std::max(0, last - t.first);
    const float scale = srcLen / dstLen;
    if (filter == Filter::Nearest) {
        t.width = 1;
        for (int i = 0; i < t.count; ++i) {
            const float u = srcStart + (t.first + i + 0.5f - dstStart) * scale;
            t.start.push_back(std::clamp(static_cast<int>(std::floor(u)), lo, hi - 1));
            t.weights.push_back(1.f);
        }
        return t;
    }
    const float stretch = std::max(scale, 1.f);
    const float radius = radiusOf(filter) * stretch;
    t.width = static_cast<int>(std::ceil(radius)) * 2 + 1;
    t.start.resize(t.count);
    t.weights.assign(static_cast<std::size_t>(t.count) * t.width, 0.f);
    for (int i = 0; i < t.count; ++i) {
        const float u = srcStart + (t.first + i + 0.5f - dstStart) * scale;
        const int k0 = static_cast<int>(std::floor(u - radius));
        float* w = &t.weights[static_cast<std::size_t>(i) * t.width];
        // Taps outside [lo, hi) fold onto the edge pixel; the run starts at the first used one.
        const int first = std::clamp(k0, lo, hi - 1);
        t.start[i] = first;
        float sum = 0;
        for (int k = k0; k < k0 + t.width; ++k) {
            const float wk = kernel(filter, (k + 0.5f - u) / stretch);
            if (wk == 0) continue;
            const int idx = std::clamp(k, lo, hi - 1) - first;
            if (idx >= t.width) continue;
            w[idx] += wk;
            sum += wk;
        }
        if (sum != 0) {
            for (int k = 0; k < t.width; ++k)
                w[k] /= sum;
        }
    }
    return t;
}

// Zero weights at the ends of the runs cost a multiply-add each and add nothing: each run is
// made to start at its first weight that counts, and all of them end where the longest now
// does. Starts may then step back from one output to the next, which only the horizontal pass
// allows.
void trimZeroEnds(Taps& t) {
    const auto width = static_cast<std::size_t>(t.width);
    std::size_t used = 1;
    for (int i = 0; i < t.count; ++i) {
        float* w = &t.weights[static_cast<std::size_t>(i) * width];
        std::size_t lead = 0;
        while (lead < width && w[lead] == 0)
            ++lead;
        if (lead == width) continue;
        std::copy(w + lead, w + width, w);
        std::fill(w + width - lead, w + width, 0.f);
        t.start[i] += static_cast<int>(lead);
        std::size_t end = width - lead;
        while (w[end - 1] == 0)
            --end;
        used = std::max(used, end);
    }
    if (used == width) return;
    for (std::size_t i = 1; i < static_cast<std::size_t>(t.count); ++i)
        std::copy_n(&t.weights[i * width], used, &t.weights[i * used]);
    t.weights.resize(static_cast<std::size_t>(t.count) * used);
    t.width = static_cast<int>(used);
}

// Averages kx x ky blocks of a region (the last ones may be partial): a cheap first step of large
// reductions, after which the filter has only a small factor left to cover.
std::unique_ptr<Bitmap> boxReduce(const Bitmap& src, const Rect& region, int kx, int ky) {
    const int w = (region.width + kx - 1) / kx, h = (region.height + ky - 1) / ky;
    auto out = Bitmap::createUnfilled(w, h);
    if (!out) return nullptr;
    std::vector<std::uint32_t> sums(static_cast<std::size_t>(w) * 3);
    for (int oy = 0; oy < h; ++oy) {
        std::fill(sums.begin(), sums.end(), 0u);
        const int yEnd = std::min(region.y + region.height, region.y + (oy + 1) * ky);
        for (int y = region.y + oy * ky; y < yEnd; ++y) {
            const std::uint8_t* p = src.row(y) + region.x * 3;
            for (int ox = 0; ox < w; ++ox) {
                const int n = std::min(kx, region.width - ox * kx);
                std::uint32_t b = 0, g = 0, r = 0;
                for (int k = 0; k < n; ++k, p += 3) {
                    b += p[0];
                    g += p[1];
                    r += p[2];
                }
                sums[ox * 3] += b;
                sums[ox * 3 + 1] += g;
                sums[ox * 3 + 2] += r;
            }
        }
        const int rows = yEnd - (region.y + oy * ky);
        std::uint8_t* o = out->row(oy);
        for (int ox = 0; ox < w; ++ox) {
            const std::uint32_t count =
                static_cast<std::uint32_t>(std::min(kx, region.width - ox * kx) * rows);
            for (int c = 0; c < 3; ++c) {
                o[ox * 3 + c] = static_cast<std::uint8_t>((sums[ox * 3 + c] + count / 2) / count);
            }
        }
    }
    return out;
}

// Reductions beyond this factor start with a box reduction.
constexpr float kBoxReduceFrom = 4.f;

}  // namespace

void drawScaled(const Bitmap& src, const RectF& srcRect, Bitmap& dst, const RectF& dstRect,
                Filter filter) {
    if (!(srcRect.width > 0 && srcRect.height > 0 && dstRect.width > 0 && dstRect.height > 0)) {
        return;
    }
    const int x0 = std::clamp(static_cast<int>(std::floor(srcRect.x)), 0, src.width() - 1);
    const int y0 = std::clamp(static_cast<int>(std::floor(srcRect.y)), 0, src.height() - 1);
    const int x1 =
        std::clamp(static_cast<int>(std::ceil(srcRect.x + srcRect.width)), x0 + 1, src.width());
    const int y1 =
        std::clamp(static_cast<int>(std::ceil(srcRect.y + srcRect.height)), y0 + 1, src.height());
    const float scaleX = srcRect.width / dstRect.width, scaleY = srcRect.height / dstRect.height;
    if (filter != Filter::Nearest && (scaleX >= kBoxReduceFrom || scaleY >= kBoxReduceFrom)) {
        // Leave the filter a factor of at least two, so that it still does the smoothing.
        const int kx = std::max(1, static_cast<int>(scaleX / 2)),
                  ky = std::max(1, static_cast<int>(scaleY / 2));
        if (const auto reduced = boxReduce(src, Rect{x0, y0, x1 - x0, y1 - y0}, kx, ky)) {
            const RectF inReduced{(srcRect.x - x0) / kx, (srcRect.y - y0) / ky, srcRect.width / kx,
                                  srcRect.height / ky};
            drawScaled(*reduced, inReduced, dst, dstRect, filter);
            return;
        }
    }
    Taps h = computeTaps(srcRect.x, srcRect.width, x0, x1, dstRect.x, dstRect.width, dst.width(),
                         filter);
    trimZeroEnds(h);
    const Taps v = computeTaps(srcRect.y, srcRect.height, y0, y1, dstRect.y, dstRect.height,
                               dst.height(), filter);
    if (h.count == 0 || v.count == 0) return;

    // Horizontal pass, row by row as the vertical taps come to need them, on pixels of four
    // floats: each source row is converted once, and every tap is one vector multiply-add. The
    // vertical taps of one output row use v.width consecutive source rows, and later output rows
    // never go back: a ring of that many filtered rows is all the memory the pass needs.
    const auto outCount = static_cast<std::size_t>(h.count);
    const auto ringRows = static_cast<std::size_t>(v.width);
    // Every value is written before it is read: no need to clear the buffers first.
    const std::unique_ptr<Pixel[]> ring(new Pixel[ringRows * outCount]);
    const auto filtered = [&](int y) {
        return &ring[static_cast<std::size_t>(y) % ringRows * outCount];
    };
    // The horizontal weights, each already in all four lanes.
    const std::unique_ptr<Pixel[]> hWeights(new Pixel[h.weights.size()]);
    for (std::size_t k = 0; k < h.weights.size(); ++k)
        hWeights[k] = Pixel{} + h.weights[k];
    // The row, then as many zero pixels as a tap run is long: runs that reach past the row's end
    // have zero weights there.
    const int rowLength = x1 - x0;
    const auto lineLength = static_cast<std::size_t>(rowLength + h.width);
    const std::unique_ptr<Pixel[]> line(new Pixel[lineLength]);
    std::fill(line.get() + rowLength, line.get() + lineLength, Pixel{});
    const auto filterRow = [&](int y) {
        const std::uint8_t* in = src.row(y) + x0 * 3;
        // The row's last pixel is taken alone, as nothing may follow it.
        for (int x = 0; x < rowLength - 1; ++x, in += 3)
            line[static_cast<std::size_t>(x)] = widen(in);
        line[static_cast<std::size_t>(rowLength - 1)] = Pixel{
            static_cast<float>(in[0]), static_cast<float>(in[1]), static_cast<float>(in[2]), 0};
        // Four output pixels at a time: their sums are independent, so the processor need not
        // wait for one addition before the next.
        Pixel* out = filtered(y);
        const auto width = static_cast<std::size_t>(h.width);
        std::size_t i = 0;
        for (; i + 4 <= outCount; i += 4) {
            Pixel sum[4] = {};
            const Pixel* taps[4];
            const Pixel* weights[4];
            for (std::size_t q = 0; q < 4; ++q) {
                taps[q] = &line[static_cast<std::size_t>(h.start[i + q] - x0)];
                weights[q] = &hWeights[(i + q) * width];
            }
            for (std::size_t k = 0; k < width; ++k) {
                for (std::size_t q = 0; q < 4; ++q)
                    sum[q] += weights[q][k] * taps[q][k];
            }
            for (std::size_t q = 0; q < 4; ++q)
                out[i + q] = sum[q];
        }
        for (; i < outCount; ++i) {
            Pixel sum{};
            const Pixel* taps = &line[static_cast<std::size_t>(h.start[i] - x0)];
            for (std::size_t k = 0; k < width; ++k)
                sum += hWeights[i * width + k] * taps[k];
            out[i] = sum;
        }
    };

    // Vertical pass: four output pixels at a time sum their columns of filtered rows in
    // registers, taps in order, and go straight to bytes.
    std::vector<const Pixel*> rows(static_cast<std::size_t>(v.width));
    std::vector<Pixel> weights(static_cast<std::size_t>(v.width));
    int next = v.start[0];  // the next source row to filter
    for (int j = 0; j < v.count; ++j) {
        const float* w = &v.weights[static_cast<std::size_t>(j) * v.width];
        const int n = std::min(v.width, y1 - v.start[j]);
        for (next = std::max(next, v.start[j]); next < v.start[j] + n; ++next)
            filterRow(next);
        std::size_t taps = 0;
        for (int k = 0; k < n; ++k) {
            if (w[k] == 0) continue;
            rows[taps] = filtered(v.start[j] + k);
            weights[taps++] = Pixel{} + w[k];
        }
        std::uint8_t* out = dst.row(v.first + j) + h.first * 3;
        std::size_t i = 0;
        for (; i + 4 <= outCount; i += 4) {
            Pixel sum[4] = {};
            for (std::size_t k = 0; k < taps; ++k) {
                for (std::size_t q = 0; q < 4; ++q)
                    sum[q] += weights[k] * rows[k][i + q];
            }
            for (std::size_t q = 0; q < 4; ++q, out += 3)
                narrow(sum[q], out);
        }
        for (; i < outCount; ++i, out += 3) {
            Pixel sum{};
            for (std::size_t k = 0; k < taps; ++k)
                sum += weights[k] * rows[k][i];
            narrow(sum, out);
        }
    }
}

std::unique_ptr<Bitmap> resample(const Bitmap& src, const RectF& srcRect, int width, int height,
                                 Filter filter) {
    auto out = Bitmap::create(width, height);
    if (!out) return nullptr;
    drawScaled(src, srcRect, *out,
               RectF{0, 0, static_cast<float>(width), static_cast<float>(height)}, filter);
    return out;
}

void sample(const Bitmap& src, float u, float v, const Rect& clip, Filter filter,
            std::uint8_t out[3]) {
    const int xLo = clip.x, xHi = clip.x + clip.width - 1;
    const int yLo = clip.y, yHi = clip.y + clip.height - 1;
    if (filter == Filter::Nearest) {
        const int x = std::clamp(static_cast<int>(std::floor(u)), xLo, xHi);
        const int y = std::clamp(static_cast<int>(std::floor(v)), yLo, yHi);
        const std::uint8_t* p = src.row(y) + x * 3;
        out[0] = p[0];
        out[1] = p[1];
        out[2] = p[2];
        return;
    }
    const int r = static_cast<int>(radiusOf(filter));
    const int bx = static_cast<int>(std::floor(u - 0.5f)) - r + 1;
    const int by = static_cast<int>(std::floor(v - 0.5f)) - r + 1;
    float acc[3] = {0, 0, 0};
    float sum = 0;
    for (int j = 0; j < 2 * r; ++j) {
        const float wy = kernel(filter, by + j + 0.5f - v);
        if (wy == 0) continue;
        const std::uint8_t* line = src.row(std::clamp(by + j, yLo, yHi));
        for (int i = 0; i < 2 * r; ++i) {
            const float w = wy * kernel(filter, bx + i + 0.5f - u);
            if (w == 0) continue;
            const std::uint8_t* p = line + std::clamp(bx + i, xLo, xHi) * 3;
            acc[0] += w * p[0];
            acc[1] += w * p[1];
            acc[2] += w * p[2];
            sum += w;
        }
    }
    for (int c = 0; c < 3; ++c)
        out[c] = clampByte(sum != 0 ? acc[c] / sum : 0);
}

}  // namespace tavrin::imaging
