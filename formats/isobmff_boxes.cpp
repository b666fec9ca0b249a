#include "formats/isobmff_boxes.hpp"

#include <cstring>
#include <string_view>

namespace tavrin::formats {
namespace {

constexpr std::uint64_t kBoxHeader = 8;
constexpr std::uint64_t kLargeSizeField = 8;
constexpr std::uint64_t kUuidLength = 16;
// Boxes one file may hold before the walk gives up: far more than a real file has.
constexpr int kMaxBoxes = 4096;

constexpr std::uint8_t kCanonMetadataUuid[kUuidLength] = {
    0x85, 0xC0, 0xB6, 0x87, 0x82, 0x0F, 0x11, 0xE0, 0x81, 0x11, 0xF4, 0xCE, 0x46, 0x2B, 0x6A, 0x48};
constexpr std::uint8_t kCanonPreviewUuid[kUuidLength] = {
    0xEA, 0xF4, 0x2B, 0x5E, 0x1C, 0x98, 0x4B, 0x88, 0xB9, 0xFB, 0xB7, 0xDC, 0x40, 0x6E, 0x4D, 0x16};

// The uuid boxes whose payload holds boxes, and the bytes between the uuid and the first of them.
struct UuidContainer {
    const std::uint8_t* uuid;
    std::uint64_t childrenAt;
};
constexpr UuidContainer kUuidContainers[] = {
    {kCanonMetadataUuid, 0},
    {kCanonPreviewUuid, 8},  // a version word and a count before the PRVW box
};

// A box that holds a JPEG behind a small header of its own.
struct PictureBox {
    std::string_view type;
    std::uint64_t lengthAt;  // the JPEG's 32-bit length, from the start of the payload
    std::uint64_t dataAt;    // the JPEG itself
    ByteRange Cr3Layout::*range;
};
constexpr PictureBox kPictureBoxes[] = {
    // flags, 1, width, height, 1, JPEG length, JPEG
    {"PRVW", 12, 16, &Cr3Layout::preview},
    // flags, width, height, JPEG length, 1, JPEG
    {"THMB", 8, 16, &Cr3Layout::thumbnail},
};

constexpr std::string_view kMetadataPrefix = "CMT";

std::uint32_t bigEndian32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) << 24 | static_cast<std::uint32_t>(p[1]) << 16 |
           static_cast<std::uint32_t>(p[2]) << 8 | p[3];
}

std::uint64_t bigEndian64(const std::uint8_t* p) {
    return static_cast<std::uint64_t>(bigEndian32(p)) << 32 | bigEndian32(p + 4);
}

struct Box {
    std::uint64_t payload = 0;  // the first byte after the header
    std::uint64_t end = 0;      // one past the last byte
    char type[4] = {};
    std::string_view typeName() const { return {type, sizeof type}; }
    std::uint64_t payloadLength() const { return end - payload; }
};

class BoxWalker {
  public:
    BoxWalker(FileReader& file, Cr3Layout& layout) : file_(file), layout_(layout) {}

    // The boxes from begin to end, which the caller has checked against the file.
    void walk(std::uint64_t begin, std::uint64_t end, int depth) {
        if (depth > kMaxBoxDepth) return;
        for (std::uint64_t at = begin; end - at >= kBoxHeader && boxes_++ < kMaxBoxes;) {
            const std::optional<Box> box = readHeader(at, end);
            if (!box) return;
            visit(*box, depth);
            at = box->end;
        }
    }

  private:
    std::optional<Box> readHeader(std::uint64_t at, std::uint64_t end) {
        std::uint8_t header[kBoxHeader + kLargeSizeField];
        file_.seek(at);
        if (file_.read(header, kBoxHeader) != kBoxHeader) return std::nullopt;
        Box box;
        std::memcpy(box.type, header + 4, sizeof box.type);
        std::uint64_t size = bigEndian32(header);
        box.payload = at + kBoxHeader;
        if (size == 1) {
            if (file_.read(header + kBoxHeader, kLargeSizeField) != kLargeSizeField)
                return std::nullopt;
            size = bigEndian64(header + kBoxHeader);
            box.payload += kLargeSizeField;
        } else if (size == 0) {
            size = end - at;
        }
        if (size < box.payload - at || size > end - at) return std::nullopt;
        box.end = at + size;
        return box;
    }

    void visit(const Box& box, int depth) {
        const std::string_view type = box.typeName();
        if (type == "moov") {
            walk(box.payload, box.end, depth + 1);
        } else if (type == "uuid") {
            enterUuid(box, depth);
        } else if (type.substr(0, 3) == kMetadataPrefix && type[3] >= '1' && type[3] <= '4') {
            ByteRange& range = layout_.metadata[static_cast<std::size_t>(type[3] - '1')];
            if (range.empty()) range = {box.payload, box.payloadLength()};
        }
        for (const PictureBox& picture : kPictureBoxes) {
            ByteRange& range = layout_.*picture.range;
            if (type == picture.type && range.empty()) range = jpegIn(box, picture);
        }
    }

    void enterUuid(const Box& box, int depth) {
        if (box.payloadLength() < kUuidLength) return;
        std::uint8_t uuid[kUuidLength];
        file_.seek(box.payload);
        if (file_.read(uuid, sizeof uuid) != sizeof uuid) return;
        for (const UuidContainer& container : kUuidContainers) {
            if (std::memcmp(uuid, container.uuid, kUuidLength) != 0) continue;
            if (box.payloadLength() - kUuidLength < container.childrenAt) return;
            walk(box.payload + kUuidLength + container.childrenAt, box.end, depth + 1);
        }
    }

    // The JPEG the box holds: wholly inside the box and starting with its start-of-image mark.
    ByteRange jpegIn(const Box& box, const PictureBox& picture) {
        if (box.payloadLength() < picture.dataAt) return {};
        std::uint8_t field[4];
        file_.seek(box.payload + picture.lengthAt);
        if (file_.read(field, sizeof field) != sizeof field) return {};
        const std::uint64_t length = bigEndian32(field);
        if (length < 2 || length > box.payloadLength() - picture.dataAt) return {};
        std::uint8_t mark[2];
        file_.seek(box.payload + picture.dataAt);
        if (file_.read(mark, sizeof mark) != sizeof mark || mark[0] != 0xFF || mark[1] != 0xD8)
            return {};
        return {box.payload + picture.dataAt, length};
    }

    FileReader& file_;
    Cr3Layout& layout_;
    int boxes_ = 0;
};

}  // namespace

bool isCr3(std::span<const std::uint8_t> head) {
    return head.size() >= 12 && std::memcmp(head.data() + 4, "ftyp", 4) == 0 &&
           std::memcmp(head.data() + 8, "crx ", 4) == 0;
}

std::optional<Cr3Layout> readCr3Layout(FileReader& file) {
    std::uint8_t head[12];
    file.seek(0);
    if (file.read(head, sizeof head) != sizeof head || !isCr3(head)) return std::nullopt;
    Cr3Layout layout;
    BoxWalker(file, layout).walk(0, file.size(), 0);
    return layout;
}

}  // namespace tavrin::formats
