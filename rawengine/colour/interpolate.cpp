// Fills in the missing channels of a colour-filter mosaic: a bilinear pass over the eight
// neighbours, then, unless quick interpolation is asked for, the variable-number-of-gradients
// pass, which averages only over the directions with the smallest gradients.

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstdlib>
#include <new>
#include <thread>
#include <vector>

#include "rawengine/colour/colour_steps.hpp"
#include "rawengine/loader_exception.hpp"

namespace tavrin::raw {
namespace {

// The filter pattern repeats every 8 rows and 2 columns.
constexpr int kPatternRows = 8;
constexpr int kPatternCols = 2;

// The eight directions N-W, N, N-E, E, S-E, S, S-W, W.
constexpr std::array<std::array<int, 2>, 8> kNeighbours{
    {{-1, -1}, {-1, 0}, {-1, 1}, {0, 1}, {1, 1}, {1, 0}, {1, -1}, {0, -1}}};

// Each term compares two pixels (y1, x1) and (y2, x2) and adds |difference| << weight to the
// gradients whose bits the mask sets.
struct GradientTerm {
    std::int8_t y1, x1, y2, x2;
    std::uint8_t weight, mask;
};
constexpr GradientTerm kTerms[] = {
    {-2, -2, 0, -1, 0, 0x01}, {-2, -2, 0, 0, 1, 0x01},  {-2, -1, -1, 0, 0, 0x01},
    {-2, -1, 0, -1, 0, 0x02}, {-2, -1, 0, 0, 0, 0x03},  {-2, -1, 0, 1, 1, 0x01},
    {-2, 0, 0, -1, 0, 0x06},  {-2, 0, 0, 0, 1, 0x02},   {-2, 0, 0, 1, 0, 0x03},
    {-2, 1, -1, 0, 0, 0x04},  {-2, 1, 0, -1, 1, 0x04},  {-2, 1, 0, 0, 0, 0x06},
    {-2, 1, 0, 1, 0, 0x02},   {-2, 2, 0, 0, 1, 0x04},   {-2, 2, 0, 1, 0, 0x04},
    {-1, -2, -1, 0, 0, 0x80}, {-1, -2, 0, -1, 0, 0x01}, {-1, -2, 1, -1, 0, 0x01},
    {-1, -2, 1, 0, 1, 0x01},  {-1, -1, -1, 1, 0, 0x88}, {-1, -1, 1, -2, 0, 0x40},
    {-1, -1, 1, -1, 0, 0x22}, {-1, -1, 1, 0, 0, 0x33},  {-1, -1, 1, 1, 1, 0x11},
    {-1, 0, -1, 2, 0, 0x08},  {-1, 0, 0, -1, 0, 0x44},  {-1, 0, 0, 1, 0, 0x11},
    {-1, 0, 1, -2, 1, 0x40},  {-1, 0, 1, -1, 0, 0x66},  {-1, 0, 1, 0, 1, 0x22},
    {-1, 0, 1, 1, 0, 0x33},   {-1, 0, 1, 2, 1, 0x10},   {-1, 1, 1, -1, 1, 0x44},
    {-1, 1, 1, 0, 0, 0x66},   {-1, 1, 1, 1, 0, 0x22},   {-1, 1, 1, 2, 0, 0x10},
    {-1, 2, 0, 1, 0, 0x04},   {-1, 2, 1, 0, 1, 0x04},   {-1, 2, 1, 1, 0, 0x04},
    {0, -2, 0, 0, 1, 0x80},   {0, -1, 0, 1, 1, 0x88},   {0, -1, 1, -2, 0, 0x40},
    {0, -1, 1, 0, 0, 0x11},   {0, -1, 2, -2, 0, 0x40},  {0, -1, 2, -1, 0, 0x20},
    {0, -1, 2, 0, 0, 0x30},   {0, -1, 2, 1, 1, 0x10},   {0, 0, 0, 2, 1, 0x08},
    {0, 0, 2, -2, 1, 0x40},   {0, 0, 2, -1, 0, 0x60},   {0, 0, 2, 0, 1, 0x20},
    {0, 0, 2, 1, 0, 0x30},    {0, 0, 2, 2, 1, 0x10},    {0, 1, 1, 0, 0, 0x44},
    {0, 1, 1, 2, 0, 0x10},    {0, 1, 2, -1, 1, 0x40},   {0, 1, 2, 0, 0, 0x60},
    {0, 1, 2, 1, 0, 0x20},    {0, 1, 2, 2, 0, 0x10},    {1, -2, 1, 0, 0, 0x80},
    {1, -1, 1, 1, 0, 0x88},   {1, 0, 1, 2, 0, 0x08},    {1, 0, 2, -1, 0, 0x40},
    {1, 0, 2, 1, 0, 0x10},
};
static_assert(std::size(kTerms) == 64);

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

// Four of the eight gradients of a pixel, added up in the lanes of a machine vector.
using Lanes = std::int32_t __attribute__((vector_size(16)));

struct VngCode {
    struct Term {
        Lanes low, high;  // all bits set in the lanes of the gradients the term adds to
        int a, b;         // element offsets of the two compared samples
        int weight;
    };
    std::vector<Term> terms;
    std::array<int, 8> neighbour;  // pixel offsets
    std::array<int, 8> partner;    // element offset of channel own two steps away, or -1
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
                VngCode::Term term{
                    {}, {}, m.offset(t.y1, t.x1, k), m.offset(t.y2, t.x2, k), t.weight};
                for (int g = 0; g < 4; ++g) {
                    term.low[g] = t.mask >> g & 1 ? -1 : 0;
                    term.high[g] = t.mask >> (g + 4) & 1 ? -1 : 0;
                }
                code.terms.push_back(term);
            }
            for (std::size_t d = 0; d < kNeighbours.size(); ++d) {
                const auto [y, x] = kNeighbours[d];
                code.neighbour[d] = m.offset(y, x);
                const bool hasPartner = m.colourAt(row + y, col + x) != code.own &&
                                        m.colourAt(row + 2 * y, col + 2 * x) == code.own;
                code.partner[d] = hasPartner ? m.offset(2 * y, 2 * x, code.own) : -1;
            }
        }
    }
    return codes;
}

// v / count, truncated toward zero, for |v| < 2^24 and count 1 to 8: a multiplication by a
// rounded-up reciprocal, exact in that range, instead of a division per pixel.
[[gnu::always_inline]] inline int divideByCount(int v, int count) {
    static constexpr std::uint64_t kReciprocal[9] = {0,          1ull << 32, 1ull << 31,
                                                     0x55555556, 1ull << 30, 0x33333334,
                                                     0x2AAAAAAB, 0x24924925, 1ull << 29};
    const auto magnitude = static_cast<std::uint64_t>(v < 0 ? -static_cast<std::int64_t>(v) : v);
    const auto q = static_cast<int>((magnitude * kReciprocal[count]) >> 32);
    return v < 0 ? -q : q;
}

[[gnu::always_inline]] inline void vngPixel(const Mosaic& m, const VngCode& code,
                                            const std::uint16_t* pix, std::uint16_t* out,
                                            int clip) {
    Lanes low{}, high{};
    for (const auto& term : code.terms) {
        const int diff = std::abs(pix[term.a] - pix[term.b]) << term.weight;
        low += term.low & diff;
        high += term.high & diff;
    }
    std::array<int, 8> gradient;
    for (int g = 0; g < 4; ++g) {
        gradient[g] = low[g];
        gradient[g + 4] = high[g];
    }
    const auto [min, max] = std::minmax_element(gradient.begin(), gradient.end());
    const int lo = *min, hi = *max;
    if (hi == 0) {
        std::copy(pix, pix + 4, out);
        return;
    }
    const int threshold = lo + (hi >> 1);
    // The sums of the chosen directions' channels; the own channel of a direction with a
    // diagonal partner counts the mean of the own sample and the partner instead.
    const int own = code.own;
    Lanes sum{};
    int count = 0;
    // Without branches: which directions pass is different for almost every pixel.
    for (std::size_t d = 0; d < 8; ++d) {
        const int chosen = gradient[d] <= threshold ? -1 : 0;
        const std::uint16_t* n = pix + code.neighbour[d];
        Lanes value{n[0], n[1], n[2], n[3]};
        if (code.partner[d] >= 0) value[own] = (pix[own] + pix[code.partner[d]]) >> 1;
        sum += value & chosen;
        count -= chosen;
    }
    for (int c = 0; c < 4; ++c) {
        if (c == own || c >= m.colours_) {
            out[c] = pix[c];
            continue;
        }
        const int v = pix[own] + divideByCount(sum[c] - sum[own], count);
        out[c] = static_cast<std::uint16_t>(std::clamp(v, 0, clip));
    }
}

// One row's results. Built a second time for processors with AVX2, whose three-operand vector
// instructions make the gradient sums a good deal faster.
__attribute__((target_clones("avx2", "default"))) void computeRow(const Mosaic& m,
                                                                  const VngCode* rowCodes, int row,
                                                                  std::uint16_t* out, int clip) {
    const std::uint16_t* pix = m.pixel(row, 2);
    for (int col = 2; col < m.width_ - 2; ++col, pix += 4, out += 4)
        vngPixel(m, rowCodes[col & 1], pix, out, clip);
}

// A band of rows computed by one thread. Its results wait in row buffers until no later row
// reads the bilinear values they replace: two rows behind inside the band (a ring of three),
// and until both bands are done for its first and last two rows, which the other band reads.
class VngBand {
  public:
    VngBand(int first, int last, std::size_t rowElements)
        : first_(first), last_(last), rowElements_(rowElements), rows_(5 * rowElements) {}

    void compute(const Mosaic& m, const std::array<VngCode, 16>& codes, int clip) {
        for (int row = first_; row < last_; ++row) {
            computeRow(m, &codes[(row & 7) * kPatternCols], row, buffer(row), clip);
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
};

void vng(const Mosaic& m) {
    const auto codes = vngCodes(m);
    const int clip = std::clamp(m.s_.sensor.clipLevel, 0, 65535);
    const int first = 2, last = m.height_ - 2;
    if (last <= first || m.width_ <= 4) return;
    const std::size_t rowElements = static_cast<std::size_t>(m.width_ - 4) * 4;
    const bool split = worthSplitting(m, last - first);
    const int middle = split ? first + (last - first) / 2 : last;
    std::vector<VngBand> bands;
    try {
        bands.emplace_back(first, middle, rowElements);
        if (split) bands.emplace_back(middle, last, rowElements);
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
