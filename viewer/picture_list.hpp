#pragma once
// The pictures the viewer steps through: the accepted files of one folder, or the files a
// slideshow was given, by name relative to that folder.

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace tavrin::viewer {

class PictureList {
  public:
    // A supported extension (from the last dot) whose type is associated with Tavrin.
    static bool acceptFile(std::string_view name);

    // Every accepted file of the folder, in case-insensitive name order (the order the
    // original platform's file system lists a folder in); folders are skipped. False when the
    // folder cannot be read.
    bool listFolder(const std::filesystem::path& folder);
    // The accepted ones of names, in their order; the folder is not read.
    void listFiles(const std::filesystem::path& folder, const std::vector<std::string>& names);

    const std::filesystem::path& folder() const { return folder_; }
    int count() const { return static_cast<int>(names_.size()); }
    bool empty() const { return names_.empty(); }
    const std::string& name(int index) const { return names_[static_cast<std::size_t>(index)]; }
    std::filesystem::path path(int index) const { return folder_ / name(index); }

    // The first entry equal to name without regard to case (short names are the names
    // themselves here); -1 when none is.
    int indexOf(std::string_view name) const;
    // index taken modulo the count; a negative index counts from the end. The list must not be
    // empty.
    int wrap(int index) const;
    void remove(int index);

  private:
    void add(const std::string& name);

    std::filesystem::path folder_;
    std::vector<std::string> names_;
};

}  // namespace tavrin::viewer
