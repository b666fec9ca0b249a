#include "formats/file_reader.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace tavrin::formats {
namespace {

constexpr std::size_t kWindow = 64 * 1024;

}  // namespace

FileReader::~FileReader() {
    close();
}

std::optional<std::string> FileReader::open(const std::filesystem::path& path) {
    close();
    // Not blocking: a pipe without a writer in a file's place must not stop the reader.
    fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    struct stat st {};
    if (fd_ < 0 || ::fstat(fd_, &st) != 0) {
        const std::string error = std::strerror(errno);
        close();
        return error;
    }
    if (S_ISDIR(st.st_mode)) {
        close();
        return std::string(std::strerror(EISDIR));
    }
    if (!S_ISREG(st.st_mode)) {
        close();
        return std::string("not a file");
    }
    size_ = static_cast<std::uint64_t>(st.st_size);
    // Only ever read up to what the file gave, so it need not be cleared.
    if (!window_) window_ = std::make_unique_for_overwrite<std::uint8_t[]>(kWindow);
    return std::nullopt;
}

void FileReader::openMemory(std::vector<std::uint8_t> bytes) {
    close();
    ownedMemory_ = std::move(bytes);
    openView(ownedMemory_);
}

void FileReader::openView(std::span<const std::uint8_t> bytes) {
    if (bytes.data() != ownedMemory_.data()) close();
    static constexpr std::uint8_t kNothing = 0;
    memory_ = bytes.empty() ? &kNothing : bytes.data();
    size_ = bytes.size();
    windowData_ = memory_;
    windowStart_ = 0;
    windowLength_ = bytes.size();
}

void FileReader::close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    memory_ = nullptr;
    ownedMemory_.clear();
    size_ = pos_ = windowStart_ = 0;
    windowLength_ = 0;
    windowData_ = nullptr;
}

bool FileReader::fill(std::uint64_t pos) {
    if (pos >= size_ || fd_ < 0) return false;
    windowStart_ = pos;
    windowLength_ = 0;
    windowData_ = window_.get();
    while (windowLength_ < kWindow) {
        const ssize_t n = ::pread(fd_, window_.get() + windowLength_, kWindow - windowLength_,
                                  static_cast<off_t>(pos + windowLength_));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        windowLength_ += static_cast<std::size_t>(n);
    }
    return windowLength_ > 0;
}

int FileReader::getSlow() {
    if (pos_ >= size_ || memory_ || !fill(pos_)) return -1;
    return window_[pos_++ - windowStart_];
}

std::size_t FileReader::read(void* buffer, std::size_t n) {
    auto* out = static_cast<std::uint8_t*>(buffer);
    const std::size_t available = static_cast<std::size_t>(std::min<std::uint64_t>(n, remaining()));
    if (available == 0) return 0;
    if (memory_) {
        std::memcpy(out, memory_ + pos_, available);
        pos_ += available;
        return available;
    }
    std::size_t done = 0;
    // What the window already holds, then straight from the file.
    if (pos_ >= windowStart_ && pos_ < windowStart_ + windowLength_) {
        done = std::min<std::size_t>(available, windowStart_ + windowLength_ - pos_);
        std::memcpy(out, window_.get() + (pos_ - windowStart_), done);
    }
    while (done < available) {
        const ssize_t r =
            ::pread(fd_, out + done, available - done, static_cast<off_t>(pos_ + done));
        if (r < 0 && errno == EINTR) continue;
        if (r <= 0) break;
        done += static_cast<std::size_t>(r);
    }
    pos_ += done;
    return done;
}

std::uint16_t FileReader::u16(const std::uint8_t* p) const {
    return order_ == kLittleEndian ? static_cast<std::uint16_t>(p[0] | p[1] << 8)
                                   : static_cast<std::uint16_t>(p[0] << 8 | p[1]);
}

std::uint32_t FileReader::u32(const std::uint8_t* p) const {
    return order_ == kLittleEndian
               ? p[0] | p[1] << 8 | p[2] << 16 | static_cast<std::uint32_t>(p[3]) << 24
               : static_cast<std::uint32_t>(p[0]) << 24 | p[1] << 16 | p[2] << 8 | p[3];
}

std::uint16_t FileReader::readU16() {
    if (const std::uint8_t * data; buffered(data) >= 2) {
        pos_ += 2;
        return u16(data);
    }
    std::uint8_t b[2];
    for (auto& c : b)
        c = static_cast<std::uint8_t>(get());
    return u16(b);
}

std::uint32_t FileReader::readU32() {
    if (const std::uint8_t * data; buffered(data) >= 4) {
        pos_ += 4;
        return u32(data);
    }
    std::uint8_t b[4];
    for (auto& c : b)
        c = static_cast<std::uint8_t>(get());
    return u32(b);
}

void FileReader::readU16Array(std::uint16_t* buffer, std::size_t count) {
    if (count == 0) return;  // an empty row: there may be no buffer at all
    auto* bytes = reinterpret_cast<std::uint8_t*>(buffer);
    const std::size_t got = read(bytes, count * 2);
    std::memset(bytes + got, 0, count * 2 - got);
    for (std::size_t i = 0; i < count; ++i)
        buffer[i] = u16(bytes + 2 * i);
}

}  // namespace tavrin::formats
