#include "shellext/info/preview_decoders.hpp"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "formats/kodak_codes.hpp"
#include "formats/tiff_tags.hpp"
#include "platform/imaging/bitmap.hpp"
#include "platform/system/ascii.hpp"

namespace tavrin::shell {
namespace {

void put16(std::uint8_t* p, std::uint32_t v) {
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}

void put32(std::uint8_t* p, std::uint32_t v) {
    put16(p, v & 0xFFFF);
    put16(p + 2, v >> 16);
}

// The BMP a decoder fills: made at the preview's size and held locked, with the file at the
// preview's pixels.
class Canvas {
  public:
    explicit Canvas(InfoContext& ctx) : info_(ctx.info) {
        // The pixels must come from the file: a size it cannot hold is not made.
        if (!imaging::Bitmap::sizeAllowed(info_.previewWidth, info_.previewHeight,
                                          ctx.file.size())) {
            status_ = com::E_FAIL;
            return;
        }
        ctx.file.seek(static_cast<std::uint64_t>(info_.previewOffset));
        stride_ = wrapPixelsAsBmp(info_);
        if (stride_) bytes_ = static_cast<std::uint8_t*>(com::GlobalLock(info_.previewData));
        status_ = bytes_ ? com::S_OK : com::E_OUTOFMEMORY;
    }
    ~Canvas() {
        if (bytes_) com::GlobalUnlock(info_.previewData);
    }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    HRESULT status() const { return status_; }
    std::uint8_t* row(int y) const { return bmpRow(bytes_, info_, stride_, y); }

  private:
    ImageInfo& info_;
    int stride_ = 0;
    std::uint8_t* bytes_ = nullptr;
    HRESULT status_ = com::E_FAIL;
};

// The brightness table of the Kodak previews: t[i] = (221 / 4096) * (i / 4096)^-0.4.
const std::vector<float>& brightnessTable() {
    static const std::vector<float> kTable = [] {
        std::vector<float> t(65536);
        for (std::size_t i = 1; i < t.size(); ++i) {
            t[i] = static_cast<float>(221.0 / 4096 * std::pow(i / 4096.0, -0.4));
        }
        return t;
    }();
    return kTable;
}

// r, g, b (16-bit) through the brightness table into blue, green, red bytes.
void storeKodakPixel(std::uint8_t* out, int r, int g, int b) {
    const auto& t = brightnessTable();
    const double magnitude = std::sqrt(static_cast<double>(r) * r + static_cast<double>(g) * g +
                                       static_cast<double>(b) * b) *
                             0.5;
    const float scale = t[static_cast<std::size_t>(std::min(65535.0, magnitude))];
    auto channel = [&](int c) {
        return static_cast<std::uint8_t>(std::clamp(c * scale, 0.0f, 255.0f));
    };
    out[0] = channel(b);
    out[1] = channel(g);
    out[2] = channel(r);
}

int curveValue(const KodakCurve& curve, int value) {
    return curve[static_cast<std::size_t>(std::clamp(value, 0, 4095))] * 4;
}

}  // namespace

int wrapPixelsAsBmp(ImageInfo& info) {
    info.freePreview();
    if (!imaging::Bitmap::sizeAllowed(info.previewWidth, info.previewHeight)) return 0;
    const int stride = imaging::Bitmap::strideFor(info.previewWidth);
    const std::size_t size = kBmpHeaderSize + static_cast<std::size_t>(stride) * info.previewHeight;
    info.previewData = com::GlobalAlloc(com::GHND, size);
    if (!info.previewData) return 0;
    auto* p = static_cast<std::uint8_t*>(com::GlobalLock(info.previewData));
    p[0] = 'B';
    p[1] = 'M';
    put32(p + 2, static_cast<std::uint32_t>(size));
    put32(p + 10, kBmpHeaderSize);
    put32(p + 14, 40);
    put32(p + 18, static_cast<std::uint32_t>(info.previewWidth));
    put32(p + 22, static_cast<std::uint32_t>(info.previewHeight));
    put16(p + 26, 1);
    put16(p + 28, 24);
    put32(p + 34, static_cast<std::uint32_t>(size - kBmpHeaderSize));
    com::GlobalUnlock(info.previewData);
    return stride;
}

std::uint8_t* bmpRow(std::uint8_t* bmp, const ImageInfo& info, int stride, int y) {
    return bmp + kBmpHeaderSize + static_cast<std::size_t>(info.previewHeight - 1 - y) * stride;
}

KodakCurve readKodakCurve(InfoContext& ctx) {
    KodakCurve curve;
    for (std::size_t i = 0; i < curve.size(); ++i)
        curve[i] = static_cast<std::uint16_t>(i);
    if (!ascii::equalsIgnoreCase(ctx.info.make, "KODAK")) return curve;
    // The first curve entry of the directory at 12, with a walk of its own: the info reader's
    // walk has been there already.
    class CurveVisitor final : public formats::TiffVisitor {
      public:
        explicit CurveVisitor(KodakCurve& curve) : curve_(curve) {}
        void visitEntry(formats::TiffDirectoryReader& reader,
                        const formats::TiffEntry& e) override {
            if (found_ || e.tag != formats::kTagKodakToneCurve || e.count == 0) return;
            found_ = true;
            const std::uint32_t n = std::min<std::uint32_t>(e.count, 4096);
            for (std::uint32_t i = 0; i < n; ++i)
                curve_[i] = reader.file().readU16();
            for (std::uint32_t i = n; i < 4096; ++i)
                curve_[i] = curve_[n - 1];
        }

      private:
        KodakCurve& curve_;
        bool found_ = false;
    } visitor(curve);
    formats::TiffDirectoryReader(ctx.file).walkDirectory(12, 0, formats::TiffDirectoryKind::Image,
                                                         0, visitor);
    return curve;
}

HRESULT decodeRolleiPreview(InfoContext& ctx) {
    ImageInfo& info = ctx.info;
    formats::FileReader& f = ctx.file;
    const Canvas canvas(ctx);
    if (canvas.status() != com::S_OK) return canvas.status();
    const std::uint16_t order = f.order();
    f.setOrder(formats::kBigEndian);
    for (int y = 0; y < info.previewHeight; ++y) {
        std::uint8_t* out = canvas.row(y);
        for (int x = 0; x < info.previewWidth; ++x, out += 3) {
            const unsigned v = f.readU16();
            out[0] = static_cast<std::uint8_t>((v >> 8) & 0xF8);
            out[1] = static_cast<std::uint8_t>((v >> 3) & 0xFC);
            out[2] = static_cast<std::uint8_t>((v * 8) & 0xFF);
        }
    }
    f.setOrder(order);
    return com::S_OK;
}

HRESULT decodeFoveonPreview(InfoContext& ctx) {
    ImageInfo& info = ctx.info;
    formats::FileReader& f = ctx.file;
    const Canvas canvas(ctx);
    if (canvas.status() != com::S_OK) return canvas.status();
    std::vector<std::uint8_t> row(static_cast<std::size_t>(info.previewWidth) * 3);
    for (int y = 0; y < info.previewHeight; ++y) {
        std::fill(row.begin(), row.end(), 0xFF);
        f.read(row.data(), row.size());
        std::uint8_t* out = canvas.row(y);
        for (int x = 0; x < info.previewWidth; ++x) {
            out[3 * x] = row[3 * x + 2];
            out[3 * x + 1] = row[3 * x + 1];
            out[3 * x + 2] = row[3 * x];
        }
        f.skip(info.thumbRowPadding);
    }
    return com::S_OK;
}

HRESULT decodeKodakRgbPreview(InfoContext& ctx) {
    ImageInfo& info = ctx.info;
    formats::FileReader& f = ctx.file;
    const KodakCurve curve = readKodakCurve(ctx);
    const Canvas canvas(ctx);
    if (canvas.status() != com::S_OK) return canvas.status();
    for (int y = 0; y < info.previewHeight; ++y) {
        std::uint8_t* out = canvas.row(y);
        for (int x = 0; x < info.previewWidth; ++x, out += 3) {
            const int r = curveValue(curve, f.readU16());
            const int g = curveValue(curve, f.readU16());
            const int b = curveValue(curve, f.readU16());
            storeKodakPixel(out, r, g, b);
        }
    }
    return com::S_OK;
}

HRESULT decodeKodakYuvPreview(InfoContext& ctx) {
    ImageInfo& info = ctx.info;
    formats::FileReader& f = ctx.file;
    const KodakCurve curve = readKodakCurve(ctx);
    const Canvas canvas(ctx);
    if (canvas.status() != com::S_OK) return canvas.status();
    formats::forEachKodakYuvPixel(
        f, info.previewWidth, info.previewHeight, [&](int row, int col, const int(&sums)[3]) {
            int rgb[3] = {sums[0], sums[1], sums[2]};
            for (int& ch : rgb) {
                if (ch > 0) ch = curveValue(curve, ch);
            }
            storeKodakPixel(canvas.row(row) + 3 * col, rgb[0], rgb[1], rgb[2]);
        });
    return com::S_OK;
}

}  // namespace tavrin::shell
