#include "platform/system/files.hpp"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace tavrin::files {
namespace {

// The whole content of a regular file; nothing for a file that is missing, is no regular file
// (a directory, a pipe that would block) or cannot be read to its end.
template <typename Container>
std::optional<Container> readAll(const std::filesystem::path& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    struct stat st {};
    std::optional<Container> data;
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
        data.emplace();
        char buffer[65536];
        while (true) {
            const ssize_t n = ::read(fd, buffer, sizeof buffer);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) {
                data.reset();
                break;
            }
            if (n == 0) break;
            data->insert(data->end(), buffer, buffer + n);
        }
    }
    ::close(fd);
    return data;
}

bool writeAll(int fd, std::string_view content) {
    while (!content.empty()) {
        const ssize_t n = ::write(fd, content.data(), content.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        content.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

void syncDirectory(const std::filesystem::path& dir) {
    const int fd = ::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

}  // namespace

std::optional<std::string> readText(const std::filesystem::path& path) {
    return readAll<std::string>(path);
}

std::optional<std::vector<std::uint8_t>> readBytes(const std::filesystem::path& path) {
    return readAll<std::vector<std::uint8_t>>(path);
}

std::optional<PendingFile> PendingFile::write(const std::filesystem::path& target,
                                              std::string_view content, Durability durability,
                                              std::optional<unsigned> permissions) {
    std::string pattern = target.string() + ".tmp.XXXXXX";
    const int fd = ::mkostemp(pattern.data(), O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    PendingFile pending(target, pattern, durability);
    struct stat st {};
    const mode_t mode = permissions                        ? static_cast<mode_t>(*permissions)
                        : ::stat(target.c_str(), &st) == 0 ? (st.st_mode & 07777)
                                                           : 0644;
    const bool ok = ::fchmod(fd, mode) == 0 && writeAll(fd, content) &&
                    (durability == Durability::Cached || ::fsync(fd) == 0);
    if (::close(fd) != 0 || !ok) return std::nullopt;
    return pending;
}

PendingFile::PendingFile(PendingFile&& other) noexcept
    : target_(std::move(other.target_)),
      temp_(std::move(other.temp_)),
      durability_(other.durability_) {
    other.temp_.clear();
}

PendingFile::~PendingFile() {
    if (!temp_.empty()) ::unlink(temp_.c_str());
}

bool PendingFile::commit() {
    if (temp_.empty() || ::rename(temp_.c_str(), target_.c_str()) != 0) return false;
    temp_.clear();
    if (durability_ == Durability::Synced) syncDirectory(target_.parent_path());
    return true;
}

bool writeAtomically(const std::filesystem::path& target, std::string_view content,
                     Durability durability) {
    auto pending = PendingFile::write(target, content, durability);
    return pending && pending->commit();
}

ExclusiveLock::ExclusiveLock(const std::filesystem::path& lockFile) {
    fd_ = ::open(lockFile.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd_ < 0) return;
    while (::flock(fd_, LOCK_EX) != 0) {
        if (errno != EINTR) {
            ::close(fd_);
            fd_ = -1;
            return;
        }
    }
}

ExclusiveLock::~ExclusiveLock() {
    if (fd_ >= 0) ::close(fd_);  // closing releases the lock
}

std::string whyUnreadable(const std::filesystem::path& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return std::strerror(errno);
    if (!S_ISREG(st.st_mode)) return "not a file";
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return std::strerror(errno);
    ::close(fd);
    return {};
}

bool renameNoReplace(const std::filesystem::path& from, const std::filesystem::path& to) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) {
        return true;
    }
    if (errno != EINVAL && errno != ENOSYS) return false;
    // File systems without RENAME_NOREPLACE: a hard link fails on an existing name too.
    if (::link(from.c_str(), to.c_str()) != 0) return false;
    if (::unlink(from.c_str()) != 0) {
        const int saved = errno;
        ::unlink(to.c_str());
        errno = saved;
        return false;
    }
    return true;
}

}  // namespace tavrin::files
