#include "shellext/info/image_info_reader.hpp"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "common/file_types.hpp"
#include "common/log.hpp"
#include "common/settings.hpp"
#include "formats/jpeg_markers.hpp"
#include "formats/leaf_packets.hpp"
#include "formats/mrw_blocks.hpp"
#include "formats/ppm_header.hpp"
#include "formats/probe.hpp"
#include "formats/raf_header.hpp"
#include "formats/tiff_tags.hpp"
#include "platform/imaging/decode.hpp"
#include "platform/system/ascii.hpp"
#include "platform/system/eventlog.hpp"
#include "rawengine/raw_engine.hpp"
#include "shellext/info/info_context.hpp"
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
    explicit ContainerReader(ImageInfo& info) : info_(info), ctx_{info, file_} {}

    HRESULT read(bool loadPreview);

  private:
    class IfdVisitor;

    HRESULT parseTiff(std::uint64_t base);
    void findLeafPackets(std::uint64_t offset);
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

// The info reader's view of one image directory: sizes, texts and the pictures it points to.
class ContainerReader::IfdVisitor final : public formats::TiffVisitor {
  public:
    explicit IfdVisitor(ContainerReader& reader) : r_(reader) {}

    void beginDirectory(const formats::TiffDirectory& directory) override {
        d_ = {};
        // IFD0 of the TIFF file itself (not of a TIFF block inside another container).
        d_.fileIfd0 = directory.base == 0 && directory.depth == 0 && r_.tiffDirectories_++ == 0;
    }
    void visitEntry(formats::TiffDirectoryReader& reader, const formats::TiffEntry& e) override;
    void endDirectory(const formats::TiffDirectory& directory) override;

  private:
    // What one directory's entries gather.
    struct Directory {
        int compression = 0;
        bool firstStripHere = false;
        bool fileIfd0 = false;
        std::int64_t jpegOffset = 0, jpegLength = 0, stripOffset = 0, stripBytes = 0;
    };

    ContainerReader& r_;
    Directory d_;
};

void ContainerReader::IfdVisitor::visitEntry(formats::TiffDirectoryReader& reader,
                                             const formats::TiffEntry& e) {
    using namespace formats;
    FileReader& f = r_.file_;
    ImageInfo& info = r_.info_;
    const std::uint64_t base = e.directory->base;
    const std::uint64_t at = e.valueAt;
    const std::uint32_t count = e.count;
    handleExifEntry(r_.ctx_, e);
    f.seek(at);
    const std::uint32_t value = e.type == 3 ? f.readU16()
                                : tiffTypeSize(e.type) == 1
                                    ? static_cast<std::uint32_t>(f.get() & 0xFF)
                                    : f.readU32();
    f.seek(at);
    switch (e.tag) {
        case kTagImageWidth:
            info.shooting.width = std::max<std::int32_t>(
                info.shooting.width, static_cast<std::int32_t>(value & 0x7FFFFFFF));
            if (!info.previewWidth)
                info.previewWidth = static_cast<std::int32_t>(value & 0x7FFFFFFF);
            break;
        case kTagImageHeight:
            info.shooting.height = std::max<std::int32_t>(
                info.shooting.height, static_cast<std::int32_t>(value & 0x7FFFFFFF));
            if (!info.previewHeight)
                info.previewHeight = static_cast<std::int32_t>(value & 0x7FFFFFFF);
            break;
        case kTagBitsPerSample:
            if (!info.tiffBitsPerSample) {
                info.tiffBitsPerSample =
                    static_cast<std::int32_t>(std::min<std::uint32_t>(value, 0x7FFFFFFF));
                if (count == 1) info.previewPlanar = true;
            }
            break;
        case kTagNewSubfileType:
            if (d_.fileIfd0 && (value & 1)) r_.reducedFirstImage_ = true;
            break;
        case kTagCompression:
            if (!d_.compression) d_.compression = static_cast<int>(value);
            if (d_.fileIfd0 && value == 6) r_.rawMarks_ = true;
            break;
        case kTagPhotometric:
            if (value == 32803 || value == 34892) r_.rawMarks_ = true;  // CFA, linear raw
            break;
        case kTagImageDescription:
            readDescriptionText(r_.ctx_, readText(f, count, kMaxTextRead));
            break;
        case kTagMake:
            info.make = readExifText(f, count, kMaxMakeLength);
            break;
        case kTagModel:
            info.model = readExifText(f, count, kMaxMakeLength);
            break;
        case kTagStripOffsets:
            if (!d_.stripOffset) d_.stripOffset = value;
            if (!info.tiffStripOffset) {
                info.tiffStripOffset = value;
                d_.firstStripHere = true;
            }
            break;
        case kTagStripByteCounts:
            if (!d_.stripBytes) d_.stripBytes = value;
            if (!info.tiffStripBytes) info.tiffStripBytes = value;
            if (info.tiffStripOffset > value && startsWith(info.make, "KODAK"))
                info.tiffStripOffset -= value;
            break;
        case kTagSoftware:
            info.software = readExifText(f, count, kMaxSoftwareLength);
            if (startsWith(info.software, "Adobe")) info.make.clear();
            break;
        case kTagDateTime:
            info.shooting.setDate(readText(f, count, kMaxTextRead));
            break;
        case kTagSubIfds:
            for (std::uint32_t i = 0; i < count && i < kMaxTiffEntries; ++i) {
                f.seek(at + 4 * static_cast<std::uint64_t>(i));
                IfdVisitor sub(r_);
                reader.walkDirectory(base + f.readU32(), base, TiffDirectoryKind::SubImage,
                                     e.directory->depth + 1, sub);
            }
            break;
        case kTagPanasonicJpgFromRaw:  // the JPEG is the value itself
            r_.jpgFromRaw_ = at;
            info.previewOffset = d_.jpegOffset = static_cast<std::int64_t>(at - base);
            info.previewLength = d_.jpegLength = count;
            break;
        case kTagJpegOffset:
            info.previewOffset = d_.jpegOffset = value;
            break;
        case kTagJpegLength:
            info.previewLength = d_.jpegLength = value;
            break;
        case kTagKodakText:
            if (ascii::equalsIgnoreCase(info.make, "Kodak"))
                readKodakText(r_.ctx_, readText(f, count, kMaxTextRead));
            break;
        case kTagModel2:
            info.model2 = readExifText(f, count, kMaxMakeLength);
            break;
        case kTagDngVersion:
            r_.rawMarks_ = true;
            break;
        case kTagExifIfd:
            walkExifDirectory(r_.ctx_, base + f.readU32(), base, e.directory->depth + 1);
            break;
        default:
            break;
    }
}

void ContainerReader::IfdVisitor::endDirectory(const formats::TiffDirectory& directory) {
    ImageInfo& info = r_.info_;
    const auto base = static_cast<std::int64_t>(directory.base);
    r_.ctx_.notePicture(base + d_.jpegOffset, d_.jpegLength);
    if (d_.compression == 6 || d_.compression == 7)
        r_.ctx_.notePicture(base + d_.stripOffset, d_.stripBytes);
    // The first strip holds a whole JPEG picture when its directory says so: read as raw pixels
    // it would only give noise.
    const bool jpegStrip = d_.compression == 7 && d_.firstStripHere && info.previewLength == 0;
    if ((d_.compression == 6 && info.make == "Canon") || jpegStrip) {
        info.previewOffset = info.tiffStripOffset;
        info.previewLength = info.tiffStripBytes;
    }
}

HRESULT ContainerReader::parseTiff(std::uint64_t base) {
    info_.previewWidth = info_.previewHeight = 0;
    info_.tiffStripBytes = info_.tiffStripOffset = 0;
    info_.tiffBitsPerSample = 0;
    IfdVisitor visitor(*this);
    if (const std::optional<std::uint32_t> first = ctx_.tiff.readHeader(base))
        ctx_.tiff.walkChain(base, *first, visitor);
    if (!startsWith(info_.make, "KODAK")) info_.previewPlanar = false;
    if (startsWith(info_.make, "Kodak"))
        ctx_.tiff.walkDirectory(base + 12, base, formats::TiffDirectoryKind::Image, 0, visitor);
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

void ContainerReader::findLeafPackets(std::uint64_t offset) {
    formats::walkLeafPackets(file_, offset, 0, ctx_.budget, [&](const formats::LeafPacket& packet) {
        info_.model = "Valeo";
        if (packet.name == "JPEG_preview_data") {
            leafPreview_ = true;
            info_.previewPrefix.clear();
            info_.previewOffset = static_cast<std::int64_t>(packet.content);
            info_.previewLength = packet.size;
        }
    });
}

HRESULT ContainerReader::parseMrwBlocks() {
    HRESULT result = S_OK;
    formats::walkMrwBlocks(file_, [&](const formats::MrwBlock& block) {
        if (block.tag == formats::kMrwTiffBlock && result == S_OK) result = parseTiff(block.data);
    });
    if (result != S_OK) return result;
    // The stored preview lacks its first byte.
    info_.previewOffset += 1;
    info_.previewLength -= 1;
    info_.previewPrefix = std::string(1, '\xFF');
    if (info_.previewLength < 1) info_.previewLength = 0;
    return S_OK;
}

bool ContainerReader::readPpmHeader() {
    const auto header = formats::readPpmHeader(file_);
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
    const int stride = wrapPixelsAsBmp(info_);
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
    const auto length = static_cast<std::size_t>(info_.previewLength);
    // Not cleared first: only what the file does not hold is.
    info_.previewData = com::GlobalAlloc(com::GMEM_MOVEABLE, length + prefix);
    if (!info_.previewData) {
        reportErrorEvent(E_OUTOFMEMORY, "Out of memory for transfer buffer");
        return E_OUTOFMEMORY;
    }
    auto* block = static_cast<std::uint8_t*>(com::GlobalLock(info_.previewData));
    std::memcpy(block, info_.previewPrefix.data(), prefix);
    f.seek(static_cast<std::uint64_t>(info_.previewOffset));
    const std::size_t got = f.read(block + prefix, length);
    std::memset(block + prefix + got, 0, length - got);
    const imaging::Probed probed = imaging::probeImage({block, length + prefix});
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
        reportErrorEvent(E_UNEXPECTED, "Couldn't open raw image file.");
        return E_UNEXPECTED;
    }

    const int b0 = f.get(), b1 = f.get();
    f.setOrder(orderOf(b0, b1));
    const std::uint32_t hdr = f.readU32();  // right behind the order mark: the CIFF header length
    formats::FileHead head{};
    f.seek(0);
    f.read(head.data(), head.size());
    info_.fileSize = static_cast<std::int64_t>(f.size());
    formats::Probed probed = formats::probeFormat(head);
    // Only Phase One's big-endian mark at the very start makes a Phase One file here; any other
    // is read as what the table's next rows find.
    while (probed.format == formats::FileFormat::PhaseOne && (probed.at != 0 || head[0] != 'M'))
        probed = formats::probeFormat(head, probed.row + 1);

    HRESULT r = S_OK;
    switch (probed.format) {
        case formats::FileFormat::PhaseOne:
            break;  // nothing more here
        case formats::FileFormat::Ciff:
            readCanonShotInfo(ctx_);
            if (hdr < f.size()) r = readCiffDirectory(ctx_, hdr, f.size() - hdr);
            if (r != S_OK) return r;
            f.seek(hdr);
            break;
        case formats::FileFormat::Tiff:
            if ((r = parseTiff(0)) != S_OK) return r;
            if (const auto exif = exifBlockOf(f, jpgFromRaw_)) {
                // The JPEG's EXIF block is the camera's complete one: its lines replace the
                // header's.
                const EmbeddedPicture preview{info_.previewOffset, info_.previewLength};
                info_.extraInfo.clear();
                if ((r = parseTiff(*exif)) != S_OK) return r;
                takePicture(info_, preview);
            }
            break;
        case formats::FileFormat::Mrw:
            f.setOrder(formats::kBigEndian);
            f.seek(4);
            info_.previewLength = f.readU32();
            if ((r = parseMrwBlocks()) != S_OK) return r;
            break;
        case formats::FileFormat::JpegExif:
            if (const auto tiff = formats::standaloneExifTiff(f)) parseTiff(*tiff);
            info_.previewLength = 0;
            break;
        case formats::FileFormat::Raf: {
            const formats::RafHeader raf = formats::readRafHeader(f);
            if ((r = parseTiff(static_cast<std::uint64_t>(raf.jpegOffset) + 12)) != S_OK) return r;
            // The preview is the camera's complete JPEG: nothing goes in front of it.
            info_.previewPrefix.clear();
            info_.previewOffset = raf.jpegOffset;
            info_.previewLength = raf.jpegLength;
            break;
        }
        case formats::FileFormat::Rollei:
            readRolleiHeader(ctx_);
            break;
        case formats::FileFormat::X3f:
            if ((r = readFoveonProperties(ctx_)) != S_OK) return r;
            break;
        case formats::FileFormat::Cr3:
            if (const auto cr3 =
                    readCr3Info(ctx_, [this](std::uint64_t b) { return parseTiff(b); })) {
                if ((r = *cr3) != S_OK) return r;
            }
            break;
        default:
            break;
    }

    findLeafPackets(8);
    findLeafPackets(3472);
    if (showsLargestPicture(info_.filePath)) {
        if (const EmbeddedPicture* best = largestIntactPicture(ctx_.pictures, info_.fileSize))
            takePicture(info_, *best);
    }

    const std::string_view extension = extensionOf(info_.filePath);
    bool plain = false;
    const bool jpeg = probed.format == formats::FileFormat::JpegExif ||
                      probed.format == formats::FileFormat::Jpeg;
    if (jpeg) {
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
        if (const auto frame = formats::readJpegFrameSize(f)) {
            info_.frameWidth = frame->width;
            info_.frameHeight = frame->height;
        }
        info_.previewLength = info_.fileSize;
        plain = true;
    } else if (probed.format == formats::FileFormat::Ppm) {
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
            reportErrorEvent(E_NOTIMPL, "Raw file format is not supported.");
            return E_NOTIMPL;
        }
        if (startsWith(info_.software, "Adobe") || startsWith(info_.software, "ImageMagick")) {
            wholeFile_ = true;
            info_.previewPrefix.clear();
            info_.previewOffset = 0;
            info_.previewLength = info_.fileSize;
        }
        if (info_.previewLength == 0) {
            reportErrorEvent(E_NOTIMPL, "Raw file format is not supported..");
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

void reportErrorEvent(com::HRESULT code, std::string_view text) {
    eventlog::reportError(code, text);
}

HRESULT parseImageContainer(ImageInfo& info, bool loadPreview) {
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
    const HRESULT r = parseImageContainer(info, loadPreview);
    logLine((r >= 0 ? "Tavrin found the embeded image for "
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
