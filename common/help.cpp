#include "common/help.hpp"

#include <filesystem>

#include "platform/registry/registry.hpp"
#include "platform/system/process.hpp"

namespace tavrin {

namespace {

constexpr std::string_view kHelpFile = "TavrinHelp.chm";
constexpr std::string_view kHelpPages = "TavrinHelp";

}  // namespace

std::string helpFilePath() {
    std::string app = registry::queryString(registry::Root::ClassesRoot, "TavrinImage\\App", "")
                          .value_or(std::string())
                          .substr(0, 259);
    const std::size_t slash = app.find_last_of("\\/");
    app.resize(slash == std::string::npos ? 0 : slash + 1);
    app += kHelpFile;
    return app;
}

void showHelp(std::string_view topic) {
    const std::filesystem::path file = helpFilePath();
    std::string page(topic);
    if (page.rfind("::/", 0) == 0) page.erase(0, 3);
    const std::filesystem::path html = file.parent_path() / kHelpPages / page;
    std::error_code ec;
    if (!file.has_parent_path() || !std::filesystem::is_regular_file(html, ec)) return;
    process::startProgram("xdg-open", process::quoteArgument(html.string()));
}

}  // namespace tavrin
