#include "shellext/info/image_info_reader.hpp"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "common/file_types.hpp"
#include "common/log.hpp"
#include "common/settings.hpp"
#include "platform/imaging/decode.hpp"
#include "platform/system/ascii.hpp"
#include "platform/system/eventlog.hpp"
#include "rawengine/raw_engine.hpp"
#include "shellext/info/info_context.hpp"
#include "shellext/info/jpeg_frame.hpp"
#include "shellext/info/ppm_header.hpp"
#include "shellext/info/preview_decoders.hpp"
#include "shellext/info/todays_formats.hpp"
#include "shellext/metadata/exif_reader.hpp"

namespace tavrin::shell {
namespace {

using com::E_FAIL;
using com::E_NOTIMPL;
using com::E_OUTOFMEMORY;
using com::E_UNEXPECTED;
using com::S_OK;

constexpr std::size_t kMaxTextRead = 128;
constexpr double kFujiVisibleShare = 0.599;

bool startsWith(const std::string& text, std::string_view prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

std::uint16_t orderOf(int a, int b) {
    return static_cast<std::uint16_t>((a & 0xFF) << 8 | (b & 0xFF));
}

// The reader of one file's container; every way out closes the file.
class ContainerReader {
  public:
    explicit ContainerReader(ImageInfo& info) : info_(info), ctx_{info, file_, {}, 0} {}

    HRESULT read(bool loadPreview);

  private:
    HRESULT parseTiff(std::uint64_t base);
    HRESULT parseIfd(std::uint64_t base, int depth);
    void findLeafPackets(int depth);
    HRESULT parseMrwBlocks();
    bool readPpmHeader();
    HRESULT load();
    HRESULT loadRawPixels();
    bool isPictureTiff() const;
    bool loadWholeTiff();
    void takeIntactPicture();

    ImageInfo& info_;
    formats::FileReader file_;
    InfoContext ctx_;
    bool wholeFile_ = false;
    bool sixteenBit_ = false;
    // What tells a TIFF file that is a picture from a camera's raw file.
    int tiffDirectories_ = 0;         // directories walked at the top level of a TIFF file
    bool reducedFirstImage_ = false;  // IFD0 is a thumbnail of an image elsewhere
    bool rawMarks_ = false;           // sensor data, DNG, or the camera JPEG of a raw file in IFD0
    bool leafPreview_ = false;
    std::uint64_t jpgFromRaw_ = 0;  // Panasonic's JPEG, whose EXIF block holds the shooting data
};

HRESULT ContainerReader::parseTiff(std::uint64_t base) {
    formats::FileReader& f = file_;
    info_.previewWidth = info_.previewHeight = 0;
    info_.tiffStripBytes = info_.tiffStripOffset = 0;
    info_.tiffBitsPerSample = 0;
    f.seek(base);
    const int a = f.get(), b = f.get();
    f.setOrder(orderOf(a, b));
    f.ReadU16();
    for (std::uint32_t ifd = f.ReadU32(); ifd != 0; ifd = f.ReadU32()) {
        if (base + ifd >= f.size() || !ctx_.firstVisit(base + ifd)) break;
        f.seek(base + ifd);
        if (const HRESULT r = parseIfd(base, 0); r != S_OK) return r;
    }
    if (!startsWith(info_.make, "KODAK")) info_.previewPlanar = false;
    if (startsWith(info_.make, "Kodak") && ctx_.firstVisit(base + 12)) {
        f.seek(base + 12);
        if (const HRESULT r = parseIfd(base, 0); r != S_OK) return r;
    }
    int samples = 3;
    if (startsWith(info_.model, "DCS460A")) {
        samples = 1;
        info_.previewPlanar = true;
    }
    if (info_.previewLength == 0) {
        const int bits = std::clamp(info_.tiffBitsPerSample, 0, 16);
        info_.previewOffset = info_.tiffStripOffset;
        char prefix[kMaxTextRead];
        std::snprintf(prefix, sizeof prefix, "P%d %d %d %d\n", samples < 2 ? 5 : 6,
                      info_.previewWidth, info_.previewHeight, (1 << bits) - 1);
        info_.previewPrefix = prefix;
        info_.previewLength = info_.previewPixelBytes((bits + 7) / 8 * samples);
    }
    return S_OK;
}

HRESULT ContainerReader::parseIfd(std::uint64_t base, int depth) {
    formats::FileReader& f = file_;
    if (depth > kMaxDepth) return S_OK;
    const unsigned entries = f.ReadU16();
    int compression = 0;
    bool firstStripHere = false;
    // IFD0 of the TIFF file itself (not of a TIFF block inside another container).
    const bool fileIfd0 = base == 0 && depth == 0 && tiffDirectories_++ == 0;
    std::int64_t jpegOffset = 0, jpegLength = 0, stripOffset = 0, stripBytes = 0;
    for (unsigned e = 0; e < entries && e < kMaxEntries && !f.atEnd(); ++e) {
        const std::uint64_t entry = f.tell();
        const unsigned tag = f.ReadU16();
        const unsigned type = f.ReadU16();
        const std::uint32_t count = f.ReadU32();
        seekToValue(f, type, count, base);
        const std::uint64_t at = f.tell();
        if (const HRESULT r = handleExifEntry(ctx_, tag, type); r != S_OK) return r;
        f.seek(at);
        const std::uint32_t value = type == 3 ? f.ReadU16()
                                    : formats::tiffTypeSize(type) == 1
                                        ? static_cast<std::uint32_t>(f.get() & 0xFF)
                                        : f.ReadU32();
        f.seek(at);
        switch (tag) {
            case 256:
                info_.shooting.width = std::max<std::int32_t>(
                    info_.shooting.width, static_cast<std::int32_t>(value & 0x7FFFFFFF));
                if (!info_.previewWidth)
                    info_.previewWidth = static_cast<std::int32_t>(value & 0x7FFFFFFF);
                break;
            case 257:
                info_.shooting.height = std::max<std::int32_t>(
                    info_.shooting.height, static_cast<std::int32_t>(value & 0x7FFFFFFF));
                if (!info_.previewHeight)
                    info_.previewHeight = static_cast<std::int32_t>(value & 0x7FFFFFFF);
                break;
            case 258:
                if (!info_.tiffBitsPerSample) {
                    info_.tiffBitsPerSample =
                        static_cast<std::int32_t>(std::min<std::uint32_t>(value, 0x7FFFFFFF));
                    if (count == 1) info_.previewPlanar = true;
                }
                break;
            case 254:
                if (fileIfd0 && (value & 1)) reducedFirstImage_ = true;
                break;
            case 259:
                if (!compression) compression = static_cast<int>(value);
                if (fileIfd0 && value == 6) rawMarks_ = true;
                break;
            case 262:
                if (value == 32803 || value == 34892) rawMarks_ = true;  // CFA, linear raw
                break;
            case 270:
                readDescriptionText(ctx_, readText(f, count, kMaxTextRead));
                break;
            case 271:
                info_.make = readExifText(f, count, kMaxMakeLength);
                break;
            case 272:
                info_.model = readExifText(f, count, kMaxMakeLength);
                break;
            case 273:
                if (!stripOffset) stripOffset = value;
                if (!info_.tiffStripOffset) {
                    info_.tiffStripOffset = value;
                    firstStripHere = true;
                }
                break;
            case 279:
                if (!stripBytes) stripBytes = value;
                if (!info_.tiffStripBytes) info_.tiffStripBytes = value;
                if (info_.tiffStripOffset > value && startsWith(info_.make, "KODAK"))
                    info_.tiffStripOffset -= value;
                break;
            case 305:
                info_.software = readExifText(f, count, kMaxSoftwareLength);
                if (startsWith(info_.software, "Adobe")) info_.make.clear();
                break;
            case 306:
                info_.shooting.setDate(readText(f, count, kMaxTextRead));
                break;
            case 330:
                for (std::uint32_t i = 0; i < count && i < kMaxEntries; ++i) {
                    f.seek(at + 4 * static_cast<std::uint64_t>(i));
                    const std::uint64_t sub = base + f.ReadU32();
                    if (sub >= f.size() || !ctx_.firstVisit(sub)) continue;
                    f.seek(sub);
                    if (const HRESULT r = parseIfd(base, depth + 1); r != S_OK) return r;
                }
                break;
            case 46:  // Panasonic's JpgFromRaw: the JPEG is the value itself
                jpgFromRaw_ = at;
                info_.previewOffset = jpegOffset = static_cast<std::int64_t>(at - base);
                info_.previewLength = jpegLength = count;
                break;
            case 513:
                info_.previewOffset = jpegOffset = value;
                break;
            case 514:
                info_.previewLength = jpegLength = value;
                break;
            case 1009:
                if (ascii::equalsIgnoreCase(info_.make, "Kodak"))
                    readKodakText(ctx_, readText(f, count, kMaxTextRead));
                break;
            case 33405:
                info_.model2 = readExifText(f, count, kMaxMakeLength);
                break;
            case 50706:
                rawMarks_ = true;  // DNG
                break;
            case 34665: {
                const std::uint64_t exif = base + f.ReadU32();
                if (exif >= f.size() || !ctx_.firstVisit(exif)) break;
                f.seek(exif);
                const unsigned n = f.ReadU16();
                for (unsigned i = 0; i < n && i < kMaxEntries && !f.atEnd(); ++i) {
                    const std::uint64_t item = f.tell();
                    const unsigned t = f.ReadU16();
                    const unsigned ty = f.ReadU16();
                    const std::uint32_t c = f.ReadU32();
                    seekToValue(f, ty, c, base);
                    if (const HRESULT r = handleExifEntry(ctx_, t, ty); r != S_OK) return r;
                    f.seek(item + 12);
                }
                break;
            }
            default:
                break;
        }
        f.seek(entry + 12);
    }
    ctx_.notePicture(static_cast<std::int64_t>(base) + jpegOffset, jpegLength);
    if (compression == 6 || compression == 7)
        ctx_.notePicture(static_cast<std::int64_t>(base) + stripOffset, stripBytes);
    // The first strip holds a whole JPEG picture when its directory says so: read as raw pixels
    // it would only give noise.
    const bool jpegStrip = compression == 7 && firstStripHere && info_.previewLength == 0;
    if ((compression == 6 && info_.make == "Canon") || jpegStrip) {
        info_.previewOffset = info_.tiffStripOffset;
        info_.previewLength = info_.tiffStripBytes;
    }
    return S_OK;
}

void ContainerReader::findLeafPackets(int depth) {
    formats::FileReader& f = file_;
    const std::uint64_t start = f.tell();
    if (depth > kMaxDepth) return;
    char mark[8];
    while (ctx_.spend() && f.read(mark, 8) == 8 && std::memcmp(mark, "PKTS", 5) == 0) {
        info_.model = "Valeo";
        char name[41] = {};
        f.read(name, 40);
        const std::uint32_t size = f.ReadU32();
        const std::uint64_t content = f.tell();
        if (std::strcmp(name, "JPEG_preview_data") == 0) {
            leafPreview_ = true;
            info_.previewPrefix.clear();
            info_.previewOffset = static_cast<std::int64_t>(content);
            info_.previewLength = size;
        }
        findLeafPackets(depth + 1);
        f.seek(content + size);
    }
    f.seek(start);
}

HRESULT ContainerReader::parseMrwBlocks() {
    formats::FileReader& f = file_;
    f.setOrder(formats::kBigEndian);
    f.seek(4);
    const std::uint64_t end = static_cast<std::uint64_t>(f.ReadU32()) + 8;
    while (f.tell() < end && f.tell() + 8 <= f.size()) {
        const std::uint64_t block = f.tell();
        const std::uint32_t tag = f.ReadU32();
        const std::uint32_t length = f.ReadU32();
        if (tag == 0x00545457) {
            if (const HRESULT r = parseTiff(f.tell()); r != S_OK) return r;
        }
        f.seek(block + length + 8);
    }
    // The stored preview lacks its first byte.
    info_.previewOffset += 1;
    info_.previewLength -= 1;
    info_.previewPrefix = std::string(1, '\xFF');
    if (info_.previewLength < 1) info_.previewLength = 0;
    return S_OK;
}

bool ContainerReader::readPpmHeader() {
    const auto header = shell::readPpmHeader(file_);
    if (!header) return false;
    info_.previewWidth = header->width;
    info_.previewHeight = header->height;
    info_.previewOffset = static_cast<std::int64_t>(header->pixelOffset);
    sixteenBit_ = header->maxValue > 255;
    info_.previewLength = info_.previewPixelBytes(sixteenBit_ ? 6 : 3);
    return true;
}

HRESULT ContainerReader::loadRawPixels() {
    formats::FileReader& f = file_;
    const std::int64_t need = info_.previewPixelBytes(3);
    int divisor = 1;
    if (info_.previewLength < need) {
        divisor = 3;
        info_.previewLength = need;
    }
    // Pixels that a file of this size cannot hold are not there to read.
    if (need <= 0 || info_.previewLength / divisor > info_.fileSize ||
        !imaging::Bitmap::sizeAllowed(info_.previewWidth, info_.previewHeight)) {
        return E_FAIL;
    }
    const auto length = static_cast<std::size_t>(info_.previewLength);
    std::vector<std::uint8_t> pixels(length, 0);
    f.seek(static_cast<std::uint64_t>(info_.previewOffset));
    f.read(pixels.data(), length / divisor);
    if (info_.previewPlanar) {
        std::vector<std::uint8_t> chunky(length, 0);
        const std::size_t n = length / 3;
        if (divisor == 3) {
            for (std::size_t i = 0; i < n; ++i)
                std::fill_n(&chunky[3 * i], 3, pixels[i]);
        } else {
            for (std::size_t i = 0; i < 3 * n; ++i)
                chunky[i / n + 3 * (i % n)] = pixels[i];
        }
        pixels.swap(chunky);
    }
    const int stride = WrapPixelsAsBmp(info_);
    if (!stride) return E_OUTOFMEMORY;
    auto* bmp = static_cast<std::uint8_t*>(com::GlobalLock(info_.previewData));
    const std::size_t step = sixteenBit_ ? 6 : 3, sample = sixteenBit_ ? 2 : 1;
    for (int y = 0; y < info_.previewHeight; ++y) {
        std::uint8_t* out = bmpRow(bmp, info_, stride, y);
        for (int x = 0; x < info_.previewWidth; ++x, out += 3) {
            const std::size_t at = (static_cast<std::size_t>(y) * info_.previewWidth + x) * step;
            if (at + 2 * sample >= pixels.size()) continue;
            out[0] = pixels[at + 2 * sample];
            out[1] = pixels[at + sample];
            out[2] = pixels[at];
        }
    }
    com::GlobalUnlock(info_.previewData);
    return S_OK;
}

// The chosen preview does not lie wholly inside the file (a file cut short): the largest
// embedded picture that does takes its place. Only the walk's notes are consulted, nothing is read.
void ContainerReader::takeIntactPicture() {
    auto inside = [&](std::int64_t offset, std::int64_t length) {
        return offset >= 0 && length > 0 && length <= info_.fileSize - offset;
    };
    if (wholeFile_ || inside(info_.previewOffset, info_.previewLength)) return;
    if (const EmbeddedPicture* best = largestIntactPicture(ctx_.pictures, info_.fileSize))
        takePicture(info_, *best);
}

// IFD0 is a full picture and nothing in the file is a camera's raw data.
bool ContainerReader::isPictureTiff() const {
    return tiffDirectories_ > 0 && !reducedFirstImage_ && !rawMarks_ && !leafPreview_;
}

// The whole file as the preview when the imaging layer reads it as a TIFF picture; otherwise
// everything stays as the walk found it.
bool ContainerReader::loadWholeTiff() {
    const std::string prefix = info_.previewPrefix;
    const std::int64_t offset = info_.previewOffset, length = info_.previewLength;
    const std::int32_t width = info_.previewWidth, height = info_.previewHeight;
    wholeFile_ = true;
    info_.previewPrefix.clear();
    info_.previewOffset = 0;
    info_.previewLength = info_.fileSize;
    if (load() == S_OK) return true;
    wholeFile_ = false;
    info_.previewPrefix = prefix;
    info_.previewOffset = offset;
    info_.previewLength = length;
    info_.previewWidth = width;
    info_.previewHeight = height;
    return false;
}

HRESULT ContainerReader::load() {
    formats::FileReader& f = file_;
    takeIntactPicture();
    const std::size_t prefix = info_.previewPrefix.size();
    // A preview cannot be longer than the file that holds it.
    if (info_.previewOffset < 0 || info_.previewLength <= 0 || info_.previewLength > info_.fileSize)
        return E_FAIL;
    info_.freePreview();
    info_.previewData =
        com::GlobalAlloc(com::GHND, static_cast<std::size_t>(info_.previewLength) + prefix);
    if (!info_.previewData) {
        ReportErrorEvent(E_OUTOFMEMORY, "Out of memory for transfer buffer");
        return E_OUTOFMEMORY;
    }
    auto* block = static_cast<std::uint8_t*>(com::GlobalLock(info_.previewData));
    std::memcpy(block, info_.previewPrefix.data(), prefix);
    f.seek(static_cast<std::uint64_t>(info_.previewOffset));
    f.read(block + prefix, static_cast<std::size_t>(info_.previewLength));
    const imaging::Probed probed =
        imaging::probeImage({block, static_cast<std::size_t>(info_.previewLength) + prefix});
    com::GlobalUnlock(info_.previewData);
    if (probed.status == imaging::Status::Ok) {
        info_.previewWidth = probed.width;
        info_.previewHeight = probed.height;
        return S_OK;
    }
    info_.freePreview();
    if (wholeFile_) return E_FAIL;
    return loadRawPixels();
}

HRESULT ContainerReader::read(bool loadPreview) {
    formats::FileReader& f = file_;
    // Each read describes the file anew: nothing of an earlier read on the record stays.
    info_.shooting = ShootingData{};
    info_.extraInfo.clear();
    info_.fileSize = 0;
    info_.make.clear();
    info_.model.clear();
    info_.model2.clear();
    info_.software.clear();
    info_.previewPrefix.clear();
    info_.previewOffset = info_.previewLength = 0;
    info_.previewWidth = info_.previewHeight = 0;
    info_.previewPlanar = false;
    info_.orientation = 0;
    info_.frameWidth = info_.frameHeight = 0;
    if (file_.open(info_.filePath)) {
        ReportErrorEvent(E_UNEXPECTED, "Couldn't open raw image file.");
        return E_UNEXPECTED;
    }

    const int b0 = f.get(), b1 = f.get();
    f.setOrder(orderOf(b0, b1));
    const std::uint32_t hdr = f.ReadU32();  // right behind the order mark: the CIFF header length
    std::uint8_t head[32] = {};
    f.seek(0);
    f.read(head, sizeof head);
    info_.fileSize = static_cast<std::int64_t>(f.size());
    auto headIs = [&](std::size_t at, std::string_view text) {
        return std::memcmp(head + at, text.data(), text.size()) == 0;
    };
    const bool tiffOrder = f.order() == formats::kLittleEndian || f.order() == formats::kBigEndian;

    HRESULT r = S_OK;
    if (headIs(0, "MMMMRawT")) {
        // Phase One: nothing more here.
    } else if (tiffOrder && headIs(6, "HEAPCCDR")) {
        readCanonShotInfo(ctx_);
        if (hdr < f.size()) r = readCiffDirectory(ctx_, hdr, f.size() - hdr, 0);
        if (r != S_OK) return r;
        f.seek(hdr);
    } else if (tiffOrder) {
        if ((r = parseTiff(0)) != S_OK) return r;
        if (const auto exif = exifBlockOf(f, jpgFromRaw_)) {
            // The JPEG's EXIF block is the camera's complete one: its lines replace the header's.
            const EmbeddedPicture preview{info_.previewOffset, info_.previewLength};
            info_.extraInfo.clear();
            if ((r = parseTiff(*exif)) != S_OK) return r;
            takePicture(info_, preview);
        }
    } else if (headIs(0, std::string_view("\0MRM", 4))) {
        f.setOrder(formats::kBigEndian);
        f.seek(4);
        info_.previewLength = f.ReadU32();
        if ((r = parseMrwBlocks()) != S_OK) return r;
    } else if (head[0] == 0xFF && head[1] == 0xD8 && head[2] == 0xFF && head[3] == 0xE1 &&
               headIs(6, "Exif")) {
        f.setOrder(formats::kBigEndian);
        f.seek(4);
        const std::uint16_t n = f.ReadU16();
        f.seek(static_cast<std::uint64_t>(n) + 4);
        if (f.get() != 0xFF) parseTiff(12);
        info_.previewLength = 0;
    } else if (headIs(0, "FUJIFILM")) {
        f.setOrder(formats::kBigEndian);
        f.seek(84);
        const std::uint32_t offset = f.ReadU32();
        const std::uint32_t length = f.ReadU32();
        if ((r = parseTiff(static_cast<std::uint64_t>(offset) + 12)) != S_OK) return r;
        // The preview is the camera's complete JPEG: nothing goes in front of it.
        info_.previewPrefix.clear();
        info_.previewOffset = offset;
        info_.previewLength = length;
    } else if (headIs(0, "DSC-Image")) {
        readRolleiHeader(ctx_);
    } else if (headIs(0, "FOVb")) {
        if ((r = readFoveonProperties(ctx_)) != S_OK) return r;
    } else if (const auto cr3 =
                   readCr3Info(ctx_, [this](std::uint64_t b) { return parseTiff(b); })) {
        if ((r = *cr3) != S_OK) return r;
    }

    f.seek(8);
    findLeafPackets(0);
    f.seek(3472);
    findLeafPackets(0);
    if (showsLargestPicture(info_.filePath)) {
        if (const EmbeddedPicture* best = largestIntactPicture(ctx_.pictures, info_.fileSize))
            takePicture(info_, *best);
    }

    const std::string_view extension = extensionOf(info_.filePath);
    bool plain = false;
    if (head[0] == 0xFF && head[1] == 0xD8) {
        ExifReader exif(f);
        exif.read();
        auto text = [&](const char* name) -> const std::string* {
            const ExifTag* t = exif.findByName(name);
            return t ? &t->text : nullptr;
        };
        ShootingData& sd = info_.shooting;
        if (auto* t = text("Make")) info_.make = t->substr(0, kMaxMakeLength);
        if (auto* t = text("Model")) info_.model = t->substr(0, kMaxMakeLength);
        if (auto* t = text("DateTimeDigitized")) sd.setDate(*t);
        if (auto* t = text("ISOSpeedRatings"); t && parseDecimal(*t) <= kMaxIso) sd.isoText = *t;
        if (auto* t = text("Flash")) sd.setFlash(*t);
        if (auto* t = text("ExposureTime")) sd.setExposureText(*t);
        if (auto* t = text("FocalLength")) sd.setFocalLength(*t);
        if (auto* t = text("ApertureValue")) sd.setAperture(*t);
        if (auto* t = text("ImageWidth")) sd.width = parseDecimal(*t);
        if (auto* t = text("ImageHeight")) sd.height = parseDecimal(*t);
        if (const auto frame = readJpegFrameSize(f)) {
            info_.frameWidth = frame->width;
            info_.frameHeight = frame->height;
        }
        info_.previewLength = info_.fileSize;
        plain = true;
    } else if (head[0] == 'P' && head[1] == '6') {
        plain = readPpmHeader();
    } else if (ascii::equalsIgnoreCase(extension, ".tiff")) {
        wholeFile_ = true;
        info_.previewPrefix.clear();
        info_.model.clear();
        info_.previewOffset = 0;
        info_.previewLength = info_.fileSize;
        plain = true;
    } else if (ascii::equalsIgnoreCase(extension, ".dng")) {
        plain = true;
    }

    // A TIFF file that is a picture rather than a camera's raw file is shown as the picture it
    // is, whatever its compression, colours or strips.
    const bool tiffMagic = (head[0] == 'I' && head[2] == 42 && head[3] == 0) ||
                           (head[0] == 'M' && head[2] == 0 && head[3] == 42);
    if (!plain && loadPreview && tiffMagic && isPictureTiff() && loadWholeTiff()) {
        info_.byteOrder = f.order();
        return S_OK;
    }

    if (!plain) {
        if (!loadPreview) return S_OK;
        if (info_.model.empty() && info_.previewOffset == 0 && info_.previewLength == 0) {
            ReportErrorEvent(E_NOTIMPL, "Raw file format is not supported.");
            return E_NOTIMPL;
        }
        if (startsWith(info_.software, "Adobe") || startsWith(info_.software, "ImageMagick")) {
            wholeFile_ = true;
            info_.previewPrefix.clear();
            info_.previewOffset = 0;
            info_.previewLength = info_.fileSize;
        }
        if (info_.previewLength == 0) {
            ReportErrorEvent(E_NOTIMPL, "Raw file format is not supported..");
            return E_NOTIMPL;
        }
        if (startsWith(info_.model, "DCS Pro")) return decodeKodakYuvPreview(ctx_);
        if (startsWith(info_.model, "ProBack") || startsWith(info_.model, "DCS7"))
            return decodeKodakRgbPreview(ctx_);
        if (info_.make == "Rollei") return decodeRolleiPreview(ctx_);
        if (info_.make == "SIGMA" && info_.formatVersion > 0x20001)
            return decodeFoveonPreview(ctx_);
    }
    info_.byteOrder = f.order();
    if (!loadPreview) return S_OK;
    return load();
}

}  // namespace

void ReportErrorEvent(com::HRESULT code, std::string_view text) {
    eventlog::reportError(code, text);
}

HRESULT ParseImageContainer(ImageInfo& info, bool loadPreview) {
    ContainerReader reader(info);
    return reader.read(loadPreview);
}

namespace {

// The size, turn and camera the engine identified take the place of what the container said.
void takeIdentification(ImageInfo& info, int w, int h, int turn, const std::string& make,
                        const std::string& model) {
    if (w == 0) {
        if (h != 0) return;
        if (info.previewWidth <= 0 || info.previewHeight <= 0) return;
        // A file the engine does not know keeps the size its own tags give.
        if (info.shooting.width > 0 && info.shooting.height > 0) return;
        w = info.previewWidth;
        h = info.previewHeight;
    }
    if (w <= 0 || h <= 0) return;
    ShootingData& sd = info.shooting;
    sd.width = w;
    sd.height = h;
    info.orientation = turn;
    // An identification that found no maker (a converted file, say) does not replace what the
    // container's own tags said.
    if (!make.empty()) {
        info.make = make.substr(0, kMaxMakeLength);
        info.model = model.substr(0, kMaxMakeLength);
    }
    if (info.orientation == 90 || info.orientation == 270) std::swap(sd.width, sd.height);
    if (ascii::equalsIgnoreCase(innerExtension(info.filePath), ".RAF")) {
        sd.width = static_cast<std::int32_t>(sd.width * kFujiVisibleShare);
        sd.height = static_cast<std::int32_t>((1 - kFujiVisibleShare) * sd.height);
    }
    if (startsWith(info.make, "NIKON") && startsWith(info.model, "D1X")) {
        sd.width = 3008;
        sd.height = 1960;
    }
}

}  // namespace

HRESULT ReadImageInfo(ImageInfo& info, bool loadPreview) {
    raw::RawEngine engine;
    int w = 0, h = 0, turn = 0;
    std::string make, model;
    engine.OpenAndIdentify(info.filePath, &w, &h, &turn, &make, &model, true);
    const HRESULT r = ParseImageContainer(info, loadPreview);
    LogLine((r >= 0 ? "Tavrin found the embeded image for "
                    : "Tavrin can't find the embeded image for ") +
            info.filePath);
    for (std::size_t at; (at = info.extraInfo.find("Lihgt source")) != std::string::npos;) {
        info.extraInfo.replace(at, 12, "Light source");
    }
    if (info.requestedWidth == 0 && info.requestedHeight == 0) {
        info.requestedWidth = info.previewWidth;
        info.requestedHeight = info.previewHeight;
    }
    takeIdentification(info, w, h, turn, make, model);
    // A JPEG file is as large as its own frame, turned as it says, whatever the camera's notes
    // (which describe the original picture) claim.
    if (info.frameWidth > 0 && info.frameHeight > 0) {
        ShootingData& sd = info.shooting;
        info.orientation = turn;
        sd.width = info.frameWidth;
        sd.height = info.frameHeight;
        if (turn == 90 || turn == 270) std::swap(sd.width, sd.height);
    }
    return r;
}

}  // namespace tavrin::shell
