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

class Mosaic {
  public:
    explicit Mosaic(DecodeState& s)
        : s_(s),
          image_(s.image.get()),
          height_(s.geometry.height),
          width_(s.geometry.width),
          colours_(std::clamp(s.sensor.colourCount, 1, 4)) {}

    int colourAt(int row, int col) const { return s_.colourAt(row, col); }
    // Element offset of channel c of the pixel (y, x) away.
    int offset(int y, int x, int c = 0) const { return (y * width_ + x) * 4 + c; }
    std::uint16_t* pixel(int row, int col) const {
        return image_ + (static_cast<std::size_t>(row) * width_ + col) * 4;
    }

    DecodeState& s_;
    std::uint16_t* image_;
    int height_, width_, colours_;
};

bool worthSplitting(const Mosaic& m, int rows) {
    const std::size_t pixels = static_cast<std::size_t>(m.height_) * m.width_;
    return pixels >= kParallelPixels && rows >= 8 && std::thread::hardware_concurrency() >= 2;
}

// Runs fn(first, last) over [first, last) rows, split between two threads when worth it.
template <typename Fn>
void forRowBands(const Mosaic& m, int first, int last, Fn fn) {
    if (!worthSplitting(m, last - first)) {
        fn(first, last);
        return;
    }
    const int middle = first + (last - first) / 2;
    std::thread worker([&] { fn(middle, last); });
    fn(first, middle);
    worker.join();
}

// --- bilinear -------------------------------------------------------------------------

struct BilinearCode {
    struct Tap {
        int offset;
        int shift;
        int channel;
    };
    std::array<Tap, 8> taps;
    std::array<int, 4> missing;
    std::array<int, 4> divisor;
    std::array<int, 4> shift;  // log2 of a divisor that is a power of two, else -1
    int missingCount = 0;
};

void bilinear(const Mosaic& m) {
    std::array<BilinearCode, kPatternRows * kPatternCols> codes{};
    for (int row = 0; row < kPatternRows; ++row) {
        for (int col = 0; col < kPatternCols; ++col) {
            BilinearCode& code = codes[row * kPatternCols + col];
            std::array<int, 4> sum{};
            int t = 0;
            for (int y = -1; y <= 1; ++y) {
                for (int x = -1; x <= 1; ++x) {
                    if (y == 0 && x == 0) continue;
                    const int shift = (y == 0) + (x == 0);
                    const int k = m.colourAt(row + y, col + x);
                    code.taps[t++] = {m.offset(y, x, k), shift, k};
                    sum[k] += 1 << shift;
                }
            }
            const int own = m.colourAt(row, col);
            for (int c = 0; c < m.colours_; ++c) {
                if (c == own || sum[c] == 0) continue;
                code.missing[code.missingCount] = c;
                code.divisor[code.missingCount] = sum[c];
                code.shift[code.missingCount++] =
                    std::has_single_bit(static_cast<unsigned>(sum[c]))
                        ? std::countr_zero(static_cast<unsigned>(sum[c]))
                        : -1;
            }
        }
    }
    forRowBands(m, 1, m.height_ - 1, [&](int first, int last) {
        for (int row = first; row < last; ++row) {
            const BilinearCode* rowCodes = &codes[(row & 7) * kPatternCols];
            std::uint16_t* pix = m.pixel(row, 1);
            for (int col = 1; col < m.width_ - 1; ++col, pix += 4) {
                const BilinearCode& code = rowCodes[col & 1];
                std::array<unsigned, 4> total{};
                for (const auto& tap : code.taps)
                    total[tap.channel] += static_cast<unsigned>(pix[tap.offset]) << tap.shift;
                for (int i = 0; i < code.missingCount; ++i) {
                    const int c = code.missing[i];
                    // The divisors of the usual patterns are powers of two: a shift, same result.
                    const unsigned value =
                        code.shift[i] >= 0 ? total[c] >> code.shift[i] : total[c] / code.divisor[i];
                    pix[c] = static_cast<std::uint16_t>(value);
                }
            }
        }
    });
}

// --- VNG ------------------------------------------------------------------------------
//
// The pixels of one row and one column parity share their filter colours, so they share the
// whole computation: it runs on eight of them at once, one per vector lane. The samples come
// from planes that split each row by channel and column parity, where those eight pixels'
// neighbours at any offset lie side by side.

constexpr int kLanes = 8;
using Vec = std::int32_t __attribute__((vector_size(4 * kLanes)));
using FloatVec = float __attribute__((vector_size(4 * kLanes)));
// Eight samples from anywhere in a plane.
using UnalignedVec = std::int32_t __attribute__((vector_size(4 * kLanes), aligned(4), may_alias));

const UnalignedVec& load(const std::int32_t* p) {
    return *reinterpret_cast<const UnalignedVec*>(p);
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
        for (int col = 0; col < m.width_; ++col, pix += 4) {
            for (int c = 0; c < 4; ++c)
                plane(c, col & 1)[col >> 1] = pix[c];
        }
    }
    std::int32_t* plane(int c, int parity) {
        return data_.data() + static_cast<std::size_t>(c * 2 + parity) * stride_ + kLanes;
    }

  private:
    std::size_t stride_;
    std::vector<std::int32_t> data_;
};

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
};

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
__attribute__((target_clones("avx2", "default"))) void computeParity(
    const VngCode& code, const std::array<RowPlanes*, kWindowRows>& window, int parity, int first,
    int last, int colours, int clip, RowPlanes& out) {
    auto pointer = [&](const SampleRef& r) {
        return window[static_cast<std::size_t>(r.row)]->plane(r.channel, r.parity) + r.shift;
    };
    const std::size_t termCount = code.terms.size();
    std::array<const std::int32_t*, std::size(kTerms)> a{}, b{};
    for (std::size_t t = 0; t < termCount; ++t) {
        a[t] = pointer(code.terms[t].a);
        b[t] = pointer(code.terms[t].b);
    }
    std::array<std::array<const std::int32_t*, 4>, 8> neighbour{};
    std::array<const std::int32_t*, 8> partner{};
    for (int d = 0; d < 8; ++d) {
        for (int c = 0; c < 4; ++c)
            neighbour[d][c] = pointer(code.neighbour[d][c]);
        partner[d] = code.hasPartner[d] ? pointer(code.partner[d]) : nullptr;
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
            const Vec d = load(a[t] + i) - load(b[t] + i);
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
        const Vec ownValue = load(self[own] + i);
        std::array<Vec, 4> sum{};
        Vec count{};
        for (int d = 0; d < 8; ++d) {
            const Vec chosen = gradient[d] <= threshold;  // -1 or 0 in each lane
            for (int c = 0; c < 4; ++c) {
                const Vec value = c == own && partner[d] ? (ownValue + load(partner[d] + i)) >> 1
                                                         : load(neighbour[d][c] + i);
                sum[c] += value & chosen;
            }
            count -= chosen;
        }
        // The smallest gradient is always chosen, so count is 1 to 8. With |sum| below 2^20 the
        // float quotient truncates to the same integer as the exact one.
        const FloatVec divisor = __builtin_convertvector(count, FloatVec);
        const Vec flat = hi == 0;
        for (int c = 0; c < 4; ++c) {
            const Vec kept = load(self[c] + i);
            Vec v = kept;
            if (c != own && c < colours) {
                const FloatVec q = __builtin_convertvector(sum[c] - sum[own], FloatVec) / divisor;
                v = ownValue + __builtin_convertvector(q, Vec);
                v = v > clip ? clip : v;
                v = v < 0 ? 0 : v;
                v = flat ? kept : v;
            }
            *reinterpret_cast<UnalignedVec*>(result[c] + i) = v;
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
          rowElements_(static_cast<std::size_t>(m.width_ - 4) * 4),
          rows_(5 * rowElements_),
          window_(kWindowRows, RowPlanes(m.width_)),
          out_(m.width_) {}

    void compute(const Mosaic& m, const std::array<VngCode, 16>& codes, int clip) {
        for (int row = first_; row < last_; ++row) {
            // The window holds the bilinear rows row - 2 ... row + 2, each in slot row % 5.
            for (int y = row == first_ ? row - 2 : row + 2; y <= row + 2; ++y)
                window_[static_cast<std::size_t>(y % kWindowRows)].fill(m, y);
            std::array<RowPlanes*, kWindowRows> window;
            for (int k = 0; k < kWindowRows; ++k)
                window[static_cast<std::size_t>(k)] =
                    &window_[static_cast<std::size_t>((row - 2 + k) % kWindowRows)];
            for (int parity = 0; parity < 2; ++parity) {
                // Columns 2 ... width - 3 of this parity: 2i + parity for i from 1.
                const int last = (m.width_ - 3 - parity) / 2 + 1;
                computeParity(codes[static_cast<std::size_t>((row & 7) * kPatternCols + parity)],
                              window, parity, 1, last, m.colours_, clip, out_);
            }
            std::uint16_t* b = buffer(row);
            for (int col = 2; col < m.width_ - 2; ++col) {
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
    const int clip = std::clamp(m.s_.sensor.clipLevel, 0, 65535);
    const int first = 2, last = m.height_ - 2;
    if (last <= first || m.width_ <= 4) return;
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

void vng_interpolate(DecodeContext& ctx) {
    if (ctx.progress && !ctx.progress->ShouldContinue()) return;
    const Mosaic m(ctx.state);
    bilinear(m);
    if ((ctx.progress && !ctx.progress->ShouldContinue()) || ctx.state.options.quickInterpolate)
        return;
    vng(m);
}

}  // namespace tavrin::raw
