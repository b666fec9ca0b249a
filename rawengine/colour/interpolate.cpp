// Fills in the missing channels of a colour-filter mosaic: a bilinear pass over the eight
// neighbours, then, unless quick interpolation is asked for, the variable-number-of-gradients
// pass, which averages only over the directions with the smallest gradients.

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>
#include <thread>
#include <vector>

#include "rawengine/colour/colour_steps.hpp"
#include "rawengine/colour/vng_terms.hpp"
#include "rawengine/loader_exception.hpp"

namespace tavrin::raw {
namespace {

// The filter pattern repeats every 8 rows and 2 columns.
constexpr int kPatternRows = 8;
constexpr int kPatternCols = 2;

// A large picture is shared between both cores; a small one is not worth a thread.
constexpr std::size_t kParallelPixels = 1 << 20;

struct Mosaic {
    explicit Mosaic(DecodeState& s)
        : state(s),
          pixels(s.image.get()),
          height(s.geometry.height),
          width(s.geometry.width),
          colours(std::clamp(s.sensor.colourCount, 1, 4)) {}

    int colourAt(int row, int col) const { return state.colourAt(row, col); }
    // Element offset of channel c of the pixel (y, x) away.
    int offset(int y, int x, int c = 0) const { return (y * width + x) * 4 + c; }
    std::uint16_t* pixel(int row, int col) const {
        return pixels + (static_cast<std::size_t>(row) * width + col) * 4;
    }

    DecodeState& state;
    std::uint16_t* pixels;
    int height, width, colours;
};

bool worthSplitting(const Mosaic& m, int rows) {
    const std::size_t pixels = static_cast<std::size_t>(m.height) * m.width;
    return pixels >= kParallelPixels && rows >= 8 && std::thread::hardware_concurrency() >= 2;
}

// Runs fn(band, first, last) over [first, last) rows, split into two bands on two threads when
// worth it.
template <typename Fn>
void forRowBands(const Mosaic& m, int first, int last, Fn fn) {
    if (!worthSplitting(m, last - first)) {
        fn(0, first, last);
        return;
    }
    const int middle = first + (last - first) / 2;
    std::thread worker([&] { fn(1, middle, last); });
    fn(0, first, middle);
    worker.join();
}

// --- rows split by channel and column parity ------------------------------------------
//
// The pixels of one row and one column parity share their filter colours, so they share the
// whole computation: both passes run on eight of them at once, one per vector lane. The samples
// come from planes that split each row by channel and column parity, where those eight pixels'
// neighbours at any offset lie side by side.

constexpr int kLanes = 8;
using Vec = std::int32_t __attribute__((vector_size(4 * kLanes)));
using FloatVec = float __attribute__((vector_size(4 * kLanes)));
// Eight samples from anywhere in a plane, and back. (The vectors go by reference: passing them
// by value would differ between the builds with and without AVX.)
void load(Vec& v, const std::int32_t* p) {
    std::memcpy(&v, p, sizeof v);
}
void store(std::int32_t* p, const Vec& v) {
    std::memcpy(p, &v, sizeof v);
}

// Rows r - 2 ... r + 2 around the output row r.
constexpr int kWindowRows = 5;

// One row split up: plane(c, p)[i] is channel c of column 2i + p. Margins on both sides let the
// vector loop run over the row's ends.
class RowPlanes {
  public:
    explicit RowPlanes(int width)
        : stride_(static_cast<std::size_t>((width + 1) / 2 + 3 * kLanes)), data_(8 * stride_, 0) {}

    void fill(const Mosaic& m, int row) {
        const std::uint16_t* pix = m.pixel(row, 0);
        for (int col = 0; col < m.width; ++col, pix += 4) {
            for (int c = 0; c < 4; ++c)
                plane(c, col & 1)[col >> 1] = pix[c];
        }
    }
    // Only the sample of each pixel's own colour: the others may be changing in another band.
    void fillOwn(const Mosaic& m, int row) {
        const std::uint16_t* pix = m.pixel(row, 0);
        const int colour[2] = {m.colourAt(row, 0), m.colourAt(row, 1)};
        for (int col = 0; col < m.width; ++col, pix += 4)
            plane(colour[col & 1], col & 1)[col >> 1] = pix[colour[col & 1]];
    }
    std::int32_t* plane(int c, int parity) {
        return data_.data() + static_cast<std::size_t>(c * 2 + parity) * stride_ + kLanes;
    }

  private:
    std::size_t stride_;
    std::vector<std::int32_t> data_;
};

using Window = std::array<RowPlanes*, kWindowRows>;

// A sample relative to a pixel of a given column parity: which row of the window, which plane
// and how far along it.
struct SampleRef {
    int row;  // 0 ... 4 for y = -2 ... 2
    int channel;
    int parity;
    int shift;

    static SampleRef at(int y, int x, int channel, int parity) {
        return {y + 2, channel, (parity + x) & 1, (parity + x) >> 1};
    }
    // Where the sample of the pixel at column 2i + parity is: at this pointer, plus i.
    const std::int32_t* in(const Window& window) const {
        return window[static_cast<std::size_t>(row)]->plane(channel, parity) + shift;
    }
};

// --- bilinear -------------------------------------------------------------------------

// The sum of a missing channel: the neighbours of that colour, each weighted by 2^shift.
struct BilinearChannel {
    int channel;
    std::vector<std::pair<SampleRef, int>> taps;
    int divisor;
    int shift;  // log2 of a divisor that is a power of two, else -1
};

std::array<std::vector<BilinearChannel>, kPatternRows * kPatternCols> bilinearCodes(
    const Mosaic& m) {
    std::array<std::vector<BilinearChannel>, kPatternRows * kPatternCols> codes{};
    for (int row = 0; row < kPatternRows; ++row) {
        for (int col = 0; col < kPatternCols; ++col) {
            const int own = m.colourAt(row, col);
            for (int c = 0; c < m.colours; ++c) {
                if (c == own) continue;
                BilinearChannel missing{c, {}, 0, -1};
                for (int y = -1; y <= 1; ++y) {
                    for (int x = -1; x <= 1; ++x) {
                        if ((y == 0 && x == 0) || m.colourAt(row + y, col + x) != c) continue;
                        const int shift = (y == 0) + (x == 0);
                        missing.taps.emplace_back(SampleRef::at(y, x, c, col), shift);
                        missing.divisor += 1 << shift;
                    }
                }
                if (missing.divisor == 0) continue;
                const auto divisor = static_cast<unsigned>(missing.divisor);
                if (std::has_single_bit(divisor)) missing.shift = std::countr_zero(divisor);
                codes[static_cast<std::size_t>(row * kPatternCols + col)].push_back(missing);
            }
        }
    }
    return codes;
}

// The pixels at columns 2i + parity of one row, for i in [first, last), eight at a time.
__attribute__((target_clones("avx2", "default"))) void bilinearParity(
    const Mosaic& m, const std::vector<BilinearChannel>& code, const Window& window, int row,
    int parity, int first, int last) {
    for (const BilinearChannel& missing : code) {
        std::array<const std::int32_t*, 8> in{};
        for (std::size_t t = 0; t < missing.taps.size(); ++t)
            in[t] = missing.taps[t].first.in(window);
        for (int i = first; i < last; i += kLanes) {
            Vec total{}, sample;
            for (std::size_t t = 0; t < missing.taps.size(); ++t) {
                load(sample, in[t] + i);
                total += sample << missing.taps[t].second;
            }
            // The divisors of the usual patterns are powers of two: a shift, same result. Else
            // the float quotient of these sums (below 2^20) truncates as the exact one.
            const Vec value = missing.shift >= 0 ? total >> missing.shift
                                                 : __builtin_convertvector(
                                                       __builtin_convertvector(total, FloatVec) /
                                                           static_cast<float>(missing.divisor),
                                                       Vec);
            std::uint16_t* pix = m.pixel(row, 2 * i + parity) + missing.channel;
            for (int q = 0; q < kLanes && i + q < last; ++q, pix += 8)
                *pix = static_cast<std::uint16_t>(value[q]);
        }
    }
}

void bilinear(const Mosaic& m) {
    const auto codes = bilinearCodes(m);
    // Three rows of planes for each band, allocated before any thread starts.
    std::vector<RowPlanes> allPlanes;
    try {
        allPlanes.assign(6, RowPlanes(m.width));
    } catch (const std::bad_alloc&) {
        throw CImageLoaderException::outOfMemory("vng_interpolate()");
    }
    forRowBands(m, 1, m.height - 1, [&](int band, int first, int last) {
        RowPlanes* planes = &allPlanes[static_cast<std::size_t>(band) * 3];
        Window window{};
        for (int row = first; row < last; ++row) {
            // Rows row - 1 ... row + 1, each in slot row % 3, hold the samples the taps read.
            for (int y = row == first ? row - 1 : row + 1; y <= row + 1; ++y)
                planes[y % 3].fillOwn(m, y);
            for (int y = -1; y <= 1; ++y)
                window[static_cast<std::size_t>(y + 2)] = &planes[(row + y) % 3];
            for (int parity = 0; parity < 2; ++parity) {
                // Columns 1 ... width - 2 of this parity: 2i + parity (none in a picture of
                // two columns or fewer).
                const int firstI = parity == 0 ? 1 : 0;
                const int lastColumn = m.width - 2;
                const int lastI = lastColumn >= parity ? (lastColumn - parity) / 2 + 1 : firstI;
                bilinearParity(m,
                               codes[static_cast<std::size_t>((row & 7) * kPatternCols + parity)],
                               window, row, parity, firstI, lastI);
            }
        }
    });
}

// --- VNG ------------------------------------------------------------------------------

// Everything about the pixels of one filter-pattern position.
struct VngCode {
    struct Term {
        SampleRef a, b;
        int weight;
    };
    std::vector<Term> terms;
    std::array<std::vector<int>, 8> termsOf;  // per direction: the terms that add to it
    std::array<std::array<SampleRef, 4>, 8> neighbour;
    std::array<SampleRef, 8> partner;  // channel own two steps away
    std::array<bool, 8> hasPartner;
    int own;
};

std::array<VngCode, kPatternRows * kPatternCols> vngCodes(const Mosaic& m) {
    std::array<VngCode, kPatternRows * kPatternCols> codes{};
    for (int row = 0; row < kPatternRows; ++row) {
        for (int col = 0; col < kPatternCols; ++col) {
            VngCode& code = codes[row * kPatternCols + col];
            code.own = m.colourAt(row, col);
            for (const GradientTerm& t : kTerms) {
                const int k = m.colourAt(row + t.y1, col + t.x1);
                if (m.colourAt(row + t.y2, col + t.x2) != k) continue;
                const int diag =
                    m.colourAt(row, col + 1) == k && m.colourAt(row + 1, col) == k ? 2 : 1;
                if (std::abs(t.y1 - t.y2) == diag && std::abs(t.x1 - t.x2) == diag) continue;
                for (int d = 0; d < 8; ++d) {
                    if (t.mask >> d & 1)
                        code.termsOf[d].push_back(static_cast<int>(code.terms.size()));
                }
                code.terms.push_back({SampleRef::at(t.y1, t.x1, k, col),
                                      SampleRef::at(t.y2, t.x2, k, col), t.weight});
            }
            for (std::size_t d = 0; d < kNeighbours.size(); ++d) {
                const auto [y, x] = kNeighbours[d];
                for (int c = 0; c < 4; ++c)
                    code.neighbour[d][c] = SampleRef::at(y, x, c, col);
                code.hasPartner[d] = m.colourAt(row + y, col + x) != code.own &&
                                     m.colourAt(row + 2 * y, col + 2 * x) == code.own;
                code.partner[d] = SampleRef::at(2 * y, 2 * x, code.own, col);
            }
        }
    }
    return codes;
}

// One parity of one row: the pixels at columns 2i + parity for i in [first, last), eight at a
// time, into the output planes.
__attribute__((target_clones("avx2", "default"))) void computeParity(const VngCode& code,
                                                                     const Window& window,
                                                                     int parity, int first,
                                                                     int last, int colours,
                                                                     int clip, RowPlanes& out) {
    const std::size_t termCount = code.terms.size();
    std::array<const std::int32_t*, std::size(kTerms)> a{}, b{};
    for (std::size_t t = 0; t < termCount; ++t) {
        a[t] = code.terms[t].a.in(window);
        b[t] = code.terms[t].b.in(window);
    }
    std::array<std::array<const std::int32_t*, 4>, 8> neighbour{};
    std::array<const std::int32_t*, 8> partner{};
    for (int d = 0; d < 8; ++d) {
        for (int c = 0; c < 4; ++c)
            neighbour[d][c] = code.neighbour[d][c].in(window);
        partner[d] = code.hasPartner[d] ? code.partner[d].in(window) : nullptr;
    }
    std::array<const std::int32_t*, 4> self{};
    std::array<std::int32_t*, 4> result{};
    for (int c = 0; c < 4; ++c) {
        self[c] = window[2]->plane(c, parity);
        result[c] = out.plane(c, parity);
    }
    const int own = code.own;

    for (int i = first; i < last; i += kLanes) {
        std::array<Vec, std::size(kTerms)> diff;
        for (std::size_t t = 0; t < termCount; ++t) {
            Vec sampleA, sampleB;
            load(sampleA, a[t] + i);
            load(sampleB, b[t] + i);
            const Vec d = sampleA - sampleB;
            const Vec sign = d >> 31;
            diff[t] = ((d ^ sign) - sign) << code.terms[t].weight;
        }
        std::array<Vec, 8> gradient;
        for (int d = 0; d < 8; ++d) {
            Vec g{};
            for (int t : code.termsOf[d])
                g += diff[static_cast<std::size_t>(t)];
            gradient[d] = g;
        }
        Vec lo = gradient[0], hi = gradient[0];
        for (int d = 1; d < 8; ++d) {
            lo = gradient[d] < lo ? gradient[d] : lo;
            hi = gradient[d] > hi ? gradient[d] : hi;
        }
        const Vec threshold = lo + (hi >> 1);
        // The sums of the chosen directions' channels; the own channel of a direction with a
        // diagonal partner counts the mean of the own sample and the partner instead.
        Vec ownValue;
        load(ownValue, self[own] + i);
        std::array<Vec, 4> sum{};
        Vec count{};
        for (int d = 0; d < 8; ++d) {
            const Vec chosen = gradient[d] <= threshold;  // -1 or 0 in each lane
            for (int c = 0; c < 4; ++c) {
                Vec value;
                if (c == own && partner[d]) {
                    load(value, partner[d] + i);
                    value = (ownValue + value) >> 1;
                } else {
                    load(value, neighbour[d][c] + i);
                }
                sum[c] += value & chosen;
            }
            count -= chosen;
        }
        // The smallest gradient is always chosen, so count is 1 to 8. With |sum| below 2^20 the
        // float quotient truncates to the same integer as the exact one.
        const FloatVec divisor = __builtin_convertvector(count, FloatVec);
        const Vec flat = hi == 0;
        for (int c = 0; c < 4; ++c) {
            Vec kept;
            load(kept, self[c] + i);
            Vec v = kept;
            if (c != own && c < colours) {
                const FloatVec q = __builtin_convertvector(sum[c] - sum[own], FloatVec) / divisor;
                v = ownValue + __builtin_convertvector(q, Vec);
                v = v > clip ? clip : v;
                v = v < 0 ? 0 : v;
                v = flat ? kept : v;
            }
            store(result[c] + i, v);
        }
    }
}

// A band of rows computed by one thread, from copies of the bilinear rows it reads. Its results
// wait in row buffers until no later row reads the bilinear values they replace: two rows behind
// inside the band (a ring of three), and until both bands are done for its first and last two rows,
// which the other band reads.
class VngBand {
  public:
    VngBand(const Mosaic& m, int first, int last)
        : first_(first),
          last_(last),
          rowElements_(static_cast<std::size_t>(m.width - 4) * 4),
          rows_(5 * rowElements_),
          window_(kWindowRows, RowPlanes(m.width)),
          out_(m.width) {}

    void compute(const Mosaic& m, const std::array<VngCode, 16>& codes, int clip) {
        for (int row = first_; row < last_; ++row) {
            // The window holds the bilinear rows row - 2 ... row + 2, each in slot row % 5.
            for (int y = row == first_ ? row - 2 : row + 2; y <= row + 2; ++y)
                window_[static_cast<std::size_t>(y % kWindowRows)].fill(m, y);
            Window window;
            for (int k = 0; k < kWindowRows; ++k)
                window[static_cast<std::size_t>(k)] =
                    &window_[static_cast<std::size_t>((row - 2 + k) % kWindowRows)];
            for (int parity = 0; parity < 2; ++parity) {
                // Columns 2 ... width - 3 of this parity: 2i + parity for i from 1.
                const int last = (m.width - 3 - parity) / 2 + 1;
                computeParity(codes[static_cast<std::size_t>((row & 7) * kPatternCols + parity)],
                              window, parity, 1, last, m.colours, clip, out_);
            }
            std::uint16_t* b = buffer(row);
            for (int col = 2; col < m.width - 2; ++col) {
                for (int c = 0; c < 4; ++c)
                    *b++ = static_cast<std::uint16_t>(out_.plane(c, col & 1)[col >> 1]);
            }
            if (row - 2 >= first_ + 2) copyBack(m, row - 2);
        }
    }

    void finish(const Mosaic& m) {
        for (int row = first_; row < first_ + 2 && row < last_; ++row)
            copyBack(m, row);
        for (int row = std::max(last_ - 2, first_ + 2); row < last_; ++row)
            copyBack(m, row);
    }

  private:
    std::uint16_t* buffer(int row) {
        const int slot = row < first_ + 2 ? row - first_ : 2 + row % 3;
        return rows_.data() + static_cast<std::size_t>(slot) * rowElements_;
    }
    void copyBack(const Mosaic& m, int row) {
        const std::uint16_t* b = buffer(row);
        std::copy(b, b + rowElements_, m.pixel(row, 2));
    }

    int first_, last_;
    std::size_t rowElements_;
    std::vector<std::uint16_t> rows_;
    std::vector<RowPlanes> window_;
    RowPlanes out_;
};

void vng(const Mosaic& m) {
    const auto codes = vngCodes(m);
    const int clip = std::clamp(m.state.sensor.clipLevel, 0, 65535);
    const int first = 2, last = m.height - 2;
    if (last <= first || m.width <= 4) return;
    const bool split = worthSplitting(m, last - first);
    const int middle = split ? first + (last - first) / 2 : last;
    std::vector<VngBand> bands;
    try {
        bands.emplace_back(m, first, middle);
        if (split) bands.emplace_back(m, middle, last);
    } catch (const std::bad_alloc&) {
        throw CImageLoaderException::outOfMemory("vng_interpolate()");
    }
    if (split) {
        std::thread worker([&] { bands[1].compute(m, codes, clip); });
        bands[0].compute(m, codes, clip);
        worker.join();
    } else {
        bands[0].compute(m, codes, clip);
    }
    for (VngBand& band : bands)
        band.finish(m);
}

}  // namespace

void vngInterpolate(DecodeContext& ctx) {
    if (ctx.progress && !ctx.progress->ShouldContinue()) return;
    const Mosaic m(ctx.state);
    bilinear(m);
    if ((ctx.progress && !ctx.progress->ShouldContinue()) || ctx.state.options.quickInterpolate)
        return;
    vng(m);
}

}  // namespace tavrin::raw
