#pragma once
// File helpers: whole-file reads, atomic replacement, an exclusive lock file, and a rename
// that never replaces an existing file.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tavrin::files {

std::optional<std::string> readText(const std::filesystem::path& path);
std::optional<std::vector<std::uint8_t>> readBytes(const std::filesystem::path& path);

// Whether a written file must survive a crash of the system right after its write (the file
// and its folder are synced), or may go with the page cache: a file that is made again anyway.
enum class Durability { Synced, Cached };

// A new version of a file, written beside it; commit() renames it over the old file. Until then
// the old file is untouched, and a PendingFile dropped without commit removes its temporary
// file. The new file gets the permissions asked for, else the old file's, else 0644.
class PendingFile {
  public:
    static std::optional<PendingFile> write(const std::filesystem::path& target,
                                            std::string_view content,
                                            Durability durability = Durability::Synced,
                                            std::optional<unsigned> permissions = std::nullopt);
    PendingFile(PendingFile&& other) noexcept;
    PendingFile& operator=(PendingFile&&) = delete;
    ~PendingFile();

    bool commit();
    const std::filesystem::path& temporaryPath() const { return temp_; }

  private:
    PendingFile(std::filesystem::path target, std::filesystem::path temp, Durability durability)
        : target_(std::move(target)), temp_(std::move(temp)), durability_(durability) {}
    std::filesystem::path target_;
    std::filesystem::path temp_;
    Durability durability_;
};

bool writeAtomically(const std::filesystem::path& target, std::string_view content,
                     Durability durability = Durability::Synced);

// Holds an exclusive flock on a lock file for its lifetime.
class ExclusiveLock {
  public:
    explicit ExclusiveLock(const std::filesystem::path& lockFile);
    ExclusiveLock(const ExclusiveLock&) = delete;
    ExclusiveLock& operator=(const ExclusiveLock&) = delete;
    ~ExclusiveLock();
    bool held() const { return fd_ >= 0; }

  private:
    int fd_ = -1;
};

// Why a file cannot be read ("No such file or directory", "not a file"); empty when it can.
std::string whyUnreadable(const std::filesystem::path& path);

// Renames from to to; fails (false, errno set) when to exists.
bool renameNoReplace(const std::filesystem::path& from, const std::filesystem::path& to);

}  // namespace tavrin::files
