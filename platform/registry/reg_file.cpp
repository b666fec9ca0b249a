#include "platform/registry/reg_file.hpp"

#include <charconv>

#include "platform/system/ascii.hpp"

namespace tavrin::registry {
namespace {

constexpr std::string_view kHeader = "REGEDIT4";
constexpr std::string_view kDwordPrefix = "dword:";

std::string_view trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) {
        s.remove_suffix(1);
    }
    return s;
}

// Reads a quoted text starting at s[0] == '"'; returns the characters consumed, 0 on error.
std::size_t readQuoted(std::string_view s, std::string& out) {
    out.clear();
    for (std::size_t i = 1; i < s.size(); ++i) {
        const char c = s[i];
        if (c == '"') return i + 1;
        if (c == '\\' && i + 1 < s.size()) {
            const char e = s[++i];
            out += e == 'n' ? '\n' : e == 'r' ? '\r' : e;
        } else {
            out += c;
        }
    }
    return 0;
}

void appendQuoted(std::string& out, std::string_view text) {
    out += '"';
    for (const char c : text) {
        switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            default:
                out += c;
        }
    }
    out += '"';
}

bool parseDword(std::string_view text, std::uint32_t& out) {
    if (text.empty() || text.size() > 8) return false;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), out, 16);
    return ec == std::errc() && end == text.data() + text.size();
}

// The data of a value line (the text after '='); false when it cannot be read.
bool parseData(std::string_view text, Data& out) {
    if (text.empty()) return false;
    if (text.front() == '"') {
        std::string s;
        const auto used = readQuoted(text, s);
        if (used == 0 || !trim(text.substr(used)).empty()) return false;
        out = std::move(s);
        return true;
    }
    if (ascii::startsWithIgnoreCase(text, kDwordPrefix)) {
        std::uint32_t v = 0;
        if (!parseDword(text.substr(kDwordPrefix.size()), v)) return false;
        out = v;
        return true;
    }
    // Any other type (hex:..., hex(2):...) is kept as written.
    const auto colon = text.find(':');
    if (colon == std::string_view::npos || colon == 0) return false;
    out = RawValue{std::string(text)};
    return true;
}

void formatKey(const Key& key, const std::string& path, std::string& out) {
    out += '[';
    out += path;
    out += "]\n";
    for (const auto& v : key.values()) {
        if (v.name.empty()) {
            out += '@';
        } else {
            appendQuoted(out, v.name);
        }
        out += '=';
        if (const auto* dw = std::get_if<std::uint32_t>(&v.data)) {
            char hex[9];
            static constexpr char kDigits[] = "0123456789abcdef";
            for (int i = 7; i >= 0; --i)
                hex[7 - i] = kDigits[(*dw >> (4 * i)) & 0xF];
            hex[8] = '\0';
            out += kDwordPrefix;
            out += hex;
        } else if (const auto* s = std::get_if<std::string>(&v.data)) {
            appendQuoted(out, *s);
        } else {
            out += std::get<RawValue>(v.data).text;
        }
        out += '\n';
    }
    out += '\n';
    for (const auto& child : key.children())
        formatKey(*child, path + '\\' + child->name(), out);
}

}  // namespace

ParseResult parseRegFile(std::string_view text, std::string_view rootName) {
    ParseResult result{Key(std::string(rootName)), {}};
    Key* current = nullptr;
    bool sawHeader = false;
    std::size_t lineNo = 0;
    auto problem = [&](std::size_t n, std::string what) {
        result.problems.push_back("line " + std::to_string(n) + ": " + std::move(what));
    };

    while (!text.empty()) {
        auto cut = text.find('\n');
        std::string line(trim(text.substr(0, cut)));
        text.remove_prefix(cut == std::string_view::npos ? text.size() : cut + 1);
        const std::size_t firstLine = ++lineNo;
        // A trailing backslash continues a line (how long binary values are written).
        while (!line.empty() && line.back() == '\\' && !text.empty() && line.front() != '[') {
            cut = text.find('\n');
            line.pop_back();
            line += trim(text.substr(0, cut));
            text.remove_prefix(cut == std::string_view::npos ? text.size() : cut + 1);
            ++lineNo;
        }

        if (line.empty() || line.front() == ';') continue;
        if (!sawHeader) {
            sawHeader = true;
            if (line == kHeader) continue;
            problem(firstLine, "the file does not start with " + std::string(kHeader));
        }
        if (line.front() == '[') {
            current = nullptr;
            if (line.back() != ']') {
                problem(firstLine, "unterminated key name");
                continue;
            }
            const std::string_view path = std::string_view(line).substr(1, line.size() - 2);
            if (!ascii::startsWithIgnoreCase(path, rootName) ||
                (path.size() > rootName.size() && path[rootName.size()] != '\\')) {
                problem(firstLine, "key outside " + std::string(rootName));
                continue;
            }
            current = &result.root.create(path.substr(rootName.size()));
            continue;
        }

        std::string name;
        std::string_view rest(line);
        if (rest.front() == '@') {
            rest.remove_prefix(1);
        } else if (rest.front() == '"') {
            const auto used = readQuoted(rest, name);
            if (used == 0) {
                problem(firstLine, "unterminated value name");
                continue;
            }
            rest.remove_prefix(used);
        } else {
            problem(firstLine, "not a key or a value");
            continue;
        }
        rest = trim(rest);
        Data data;
        if (rest.empty() || rest.front() != '=' || !parseData(trim(rest.substr(1)), data)) {
            problem(firstLine, "unreadable value data");
            continue;
        }
        if (!current) {
            problem(firstLine, "value outside a key");
            continue;
        }
        current->setValue(name, std::move(data));
    }
    return result;
}

std::string formatRegFile(const Key& root, std::string_view rootName) {
    std::string out(kHeader);
    out += "\n\n";
    if (!root.values().empty()) {
        formatKey(root, std::string(rootName), out);
        return out;
    }
    for (const auto& child : root.children()) {
        formatKey(*child, std::string(rootName) + '\\' + child->name(), out);
    }
    return out;
}

}  // namespace tavrin::registry
