#pragma once
// The engine's view of the open RAW file: a position, byte-order-aware reads, and the C stream's
// end-of-file behaviour (a byte past the end reads as 0xFF, the low bits of EOF) without ever
// touching memory outside our buffers. Reads go through a small window that pread refills, so a
// file that shrinks while we read it gives end-of-file bytes, not a crash.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace tavrin::formats {

inline constexpr std::uint16_t kLittleEndian = 0x4949;  // "II"
inline constexpr std::uint16_t kBigEndian = 0x4D4D;     // "MM"

class FileReader {
  public:
    FileReader() = default;
    FileReader(const FileReader&) = delete;
    FileReader& operator=(const FileReader&) = delete;
    ~FileReader();

    // Opens path for reading; on failure returns the C library's error text.
    std::optional<std::string> open(const std::filesystem::path& path);
    // A reader over bytes in memory (tests, fuzzing).
    void openMemory(std::vector<std::uint8_t> bytes);
    // A reader over bytes that the caller keeps alive and unchanged while it reads.
    void openView(std::span<const std::uint8_t> bytes);
    void close();
    bool isOpen() const { return fd_ >= 0 || memory_; }

    std::uint64_t size() const { return size_; }
    std::uint64_t tell() const { return pos_; }
    void seek(std::uint64_t pos) { pos_ = pos; }
    void skip(std::int64_t n) {
        pos_ = n < 0 && static_cast<std::uint64_t>(-n) > pos_ ? 0 : pos_ + n;
    }
    bool atEnd() const { return pos_ >= size_; }
    // Bytes left from the position to the end (0 past the end).
    std::uint64_t remaining() const { return pos_ < size_ ? size_ - pos_ : 0; }

    std::uint16_t order() const { return order_; }
    void setOrder(std::uint16_t order) { order_ = order; }

    // The next byte, or -1 at the end.
    int get() {
        // pos_ below the window wraps to a large offset and takes the slow path too.
        const std::uint64_t at = pos_ - windowStart_;
        if (at < windowLength_) {
            ++pos_;
            return windowData_[at];
        }
        return getSlow();
    }
    // The bytes from the position on that are already in memory (possibly none): readers that
    // take many bytes in small steps use them directly and then skip what they used.
    std::size_t buffered(const std::uint8_t*& data) const {
        const std::uint64_t at = pos_ - windowStart_;
        if (at >= windowLength_) return 0;
        data = windowData_ + at;
        return static_cast<std::size_t>(windowLength_ - at);
    }

    // Reads up to n bytes; returns how many were there. Positions past the end stay untouched.
    std::size_t read(void* buffer, std::size_t n);

    std::uint16_t readU16();
    std::uint32_t readU32();
    // count 16-bit words in the file's byte order; words past the end read as 0.
    void readU16Array(std::uint16_t* buffer, std::size_t count);

    // Decodes 16/32-bit values from bytes already read, in the current order.
    std::uint16_t u16(const std::uint8_t* p) const;
    std::uint32_t u32(const std::uint8_t* p) const;

  private:
    bool fill(std::uint64_t pos);
    int getSlow();

    int fd_ = -1;
    std::vector<std::uint8_t> ownedMemory_;
    const std::uint8_t* memory_ = nullptr;  // all of a file in memory
    std::uint64_t size_ = 0;
    std::uint64_t pos_ = 0;
    std::uint16_t order_ = kLittleEndian;
    std::unique_ptr<std::uint8_t[]> window_;
    // The bytes get() serves without a call: the window, or all of a file in memory.
    const std::uint8_t* windowData_ = nullptr;
    std::uint64_t windowStart_ = 0;
    std::size_t windowLength_ = 0;
};

}  // namespace tavrin::formats
