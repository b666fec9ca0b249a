#include "viewer/profile.hpp"

#include <cstdint>
#include <optional>
#include <string_view>

#include "platform/registry/registry.hpp"

namespace tavrin::viewer {

namespace {

using registry::Root;

constexpr std::string_view kPositionKey = "Software\\TavrinPictureViewer\\PictureViewer\\Position";

std::optional<int> read(std::string_view name) {
    const auto value = registry::queryDword(Root::CurrentUser, kPositionKey, name);
    if (!value) return std::nullopt;
    return static_cast<int>(static_cast<std::int32_t>(*value));
}

void write(std::string_view name, int value) {
    registry::setValue(Root::CurrentUser, kPositionKey, name,
                       static_cast<std::uint32_t>(static_cast<std::int32_t>(value)));
}

}  // namespace

WindowPlacement readPlacement() {
    WindowPlacement placement;
    placement.showCmd = read("ShowCmd").value_or(kShowMaximized);
    const auto x = read("x"), y = read("y"), width = read("x1"), height = read("y1");
    if (x && y && width && height && *width > 0 && *height > 0) {
        placement.hasRect = true;
        placement.x = *x;
        placement.y = *y;
        placement.width = *width;
        placement.height = *height;
    }
    return placement;
}

void writePlacement(const WindowPlacement& placement) {
    write("ShowCmd", placement.showCmd);
    write("x", placement.x);
    write("y", placement.y);
    write("x1", placement.width);
    write("y1", placement.height);
}

}  // namespace tavrin::viewer
