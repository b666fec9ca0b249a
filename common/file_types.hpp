#pragma once
// The supported file types: one table of extensions that every deliverable walks in order. The
// formats of today's cameras (from .cr3 on) follow the designed ones, so that lists built from
// the table keep the designed rows first.

#include <array>
#include <optional>
#include <string_view>

namespace tavrin {

inline constexpr std::array<std::string_view, 40> kSupportedExtensions = {
    ".bay", ".bmq", ".ccd", ".cr2",  ".crw", ".cs1", ".dc2", ".dcr",  ".dng", ".erf",
    ".fff", ".hdr", ".jpg", ".jpeg", ".k25", ".kdc", ".mos", ".mrw",  ".nef", ".orf",
    ".pef", ".ppm", ".raf", ".raw",  ".rdc", ".srf", ".tif", ".tiff", ".thm", ".trashed",
    ".x3f", ".cr3", ".rw2", ".rwl",  ".arw", ".sr2", ".srw", ".nrw",  ".3fr", ".iiq",
};

inline constexpr std::string_view kTrashedExtension = ".trashed";

// The last extension of a path's file name, with its dot; empty when the name has none.
std::string_view extensionOf(std::string_view path);

// True when extension (with its dot) is in the table, ignoring case.
bool isSupportedExtension(std::string_view extension);

// The first table entry the path ends with, ignoring case.
std::optional<std::string_view> supportedExtensionOf(std::string_view path);

// True for a put-aside file (extension ".trashed", any case).
bool isTrashed(std::string_view path);

// The extension that decides a file's treatment: for x.RAF.trashed it is ".RAF".
std::string_view innerExtension(std::string_view path);

}  // namespace tavrin
