#include "formats/rollei_header.hpp"

#include "formats/container_limits.hpp"

namespace tavrin::formats {
namespace {

bool readLine(FileReader& f, std::string& line) {
    line.clear();
    int c = 0;
    while ((c = f.get()) >= 0 && c != '\n') {
        if (line.size() < kMaxRolleiLineLength) line += static_cast<char>(c);
    }
    return c >= 0 || !line.empty();
}

}  // namespace

bool walkRolleiHeader(
    FileReader& f,
    const std::function<void(const std::string& key, const std::string& value)>& visit) {
    f.seek(0);
    std::string line;
    for (int n = 0; n < kMaxRolleiLines && readLine(f, line); ++n) {
        if (line.compare(0, 4, "EOHD") == 0) return true;
        const auto eq = line.find('=');
        if (eq != std::string::npos) visit(line.substr(0, eq), line.substr(eq + 1));
    }
    return false;
}

}  // namespace tavrin::formats
