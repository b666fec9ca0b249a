// tavrin reg: our registry in the manner of Windows' reg.exe.

#include <unistd.h>

#include <charconv>
#include <iostream>
#include <optional>
#include <string>

#include "hosts/tavrin/commands.hpp"
#include "platform/registry/registry.hpp"
#include "platform/system/ascii.hpp"

namespace tavrin::host {
namespace {

using registry::Data;
using registry::Key;
using registry::RawValue;

constexpr std::string_view kUsage =
    "Usage: tavrin reg query KEY [/v NAME | /ve] [/s]\n"
    "       tavrin reg add KEY [/v NAME | /ve] [/t REG_SZ|REG_DWORD] [/d DATA] [/f]\n"
    "       tavrin reg delete KEY [/v NAME | /ve | /va] [/f]\n"
    "KEY is HKCU\\path or HKCR\\path (HKEY_CURRENT_USER and HKEY_CLASSES_ROOT also work).\n";
constexpr std::string_view kNotFound =
    "ERROR: The system was unable to find the specified registry key or value.\n";
constexpr std::string_view kDone = "The operation completed successfully.\n";

struct Options {
    registry::Root root{};
    std::string rootText;
    std::string path;
    std::optional<std::string> value;  // "" for /ve
    bool allValues = false;            // /va
    bool recursive = false;            // /s
    bool force = false;                // /f
    std::string type = "REG_SZ";
    std::optional<std::string> data;
};

// The type name reg.exe shows, and the data as it shows it.
std::pair<std::string, std::string> describe(const Data& data) {
    if (const auto* dw = std::get_if<std::uint32_t>(&data)) {
        char hex[16];
        const auto r = std::to_chars(hex, hex + sizeof hex, *dw, 16);
        return {"REG_DWORD", "0x" + std::string(hex, r.ptr)};
    }
    if (const auto* s = std::get_if<std::string>(&data)) return {"REG_SZ", *s};
    const std::string& raw = std::get<RawValue>(data).text;
    const auto colon = raw.find(':');
    const std::string tag = ascii::lower(raw.substr(0, colon));
    std::string type = tag == "hex"      ? "REG_BINARY"
                       : tag == "hex(2)" ? "REG_EXPAND_SZ"
                       : tag == "hex(7)" ? "REG_MULTI_SZ"
                       : tag == "hex(b)" ? "REG_QWORD"
                                         : "REG_NONE";
    std::string bytes;
    for (const char c : raw.substr(colon + 1)) {
        if (c != ',' && c != ' ') bytes += ascii::toUpper(c);
    }
    return {type, bytes};
}

void printValue(std::ostream& out, const registry::Value& v) {
    const auto [type, text] = describe(v.data);
    out << "    " << (v.name.empty() ? "(Default)" : v.name) << "    " << type << "    " << text
        << "\n";
}

void printKey(std::ostream& out, const Key& key, const std::string& fullPath, bool recursive) {
    out << "\n" << fullPath << "\n";
    for (const auto& v : key.values())
        printValue(out, v);
    if (recursive) {
        for (const auto& c : key.children())
            printKey(out, *c, fullPath + "\\" + c->name(), true);
    } else {
        if (!key.children().empty()) out << "\n";
        for (const auto& c : key.children())
            out << fullPath << "\\" << c->name() << "\n";
    }
}

std::optional<Options> parse(std::span<const std::string_view> args, Io io) {
    if (args.empty()) {
        io.err << "ERROR: Invalid syntax.\n" << kUsage;
        return std::nullopt;
    }
    Options o;
    const std::string_view key = args[0];
    const auto cut = key.find('\\');
    o.rootText = std::string(key.substr(0, cut));
    const auto root = registry::parseRoot(o.rootText);
    if (!root) {
        io.err << "ERROR: Invalid key name '" << key << "'; it must start with HKCU\\ or HKCR\\.\n";
        return std::nullopt;
    }
    o.root = *root;
    o.rootText = std::string(registry::rootName(*root));
    if (cut != std::string_view::npos) o.path = std::string(key.substr(cut + 1));
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string_view a = args[i];
        const bool hasNext = i + 1 < args.size();
        if (ascii::equalsIgnoreCase(a, "/v") && hasNext) {
            o.value = std::string(args[++i]);
        } else if (ascii::equalsIgnoreCase(a, "/ve")) {
            o.value = "";
        } else if (ascii::equalsIgnoreCase(a, "/va")) {
            o.allValues = true;
        } else if (ascii::equalsIgnoreCase(a, "/s")) {
            o.recursive = true;
        } else if (ascii::equalsIgnoreCase(a, "/f")) {
            o.force = true;
        } else if (ascii::equalsIgnoreCase(a, "/t") && hasNext) {
            o.type = ascii::upper(args[++i]);
        } else if (ascii::equalsIgnoreCase(a, "/d") && hasNext) {
            o.data = std::string(args[++i]);
        } else {
            io.err << "ERROR: Invalid syntax at '" << a << "'.\n" << kUsage;
            return std::nullopt;
        }
    }
    return o;
}

std::string fullPath(const Options& o) {
    return o.path.empty() ? o.rootText : o.rootText + "\\" + o.path;
}

int query(const Options& o, Io io) {
    const auto hive = registry::load(o.root);
    const Key* key = hive->find(o.path);
    if (!key) {
        io.err << kNotFound;
        return 1;
    }
    if (o.value) {
        const auto* v = key->value(*o.value);
        if (!v) {
            io.err << kNotFound;
            return 1;
        }
        io.out << "\n" << fullPath(o) << "\n";
        printValue(io.out, *v);
        return 0;
    }
    printKey(io.out, *key, fullPath(o), o.recursive);
    return 0;
}

std::optional<Data> dataFor(const Options& o, Io io) {
    const std::string text = o.data.value_or("");
    if (o.type == "REG_SZ") return Data{text};
    if (o.type != "REG_DWORD") {
        io.err << "ERROR: Unsupported type '" << o.type << "'; use REG_SZ or REG_DWORD.\n";
        return std::nullopt;
    }
    std::string_view digits = text;
    int base = 10;
    if (ascii::startsWithIgnoreCase(digits, "0x")) {
        digits.remove_prefix(2);
        base = 16;
    }
    std::uint32_t v = 0;
    const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), v, base);
    if (digits.empty() || ec != std::errc() || end != digits.data() + digits.size()) {
        io.err << "ERROR: Invalid REG_DWORD data '" << text << "'.\n";
        return std::nullopt;
    }
    return Data{v};
}

int add(const Options& o, Io io) {
    Data data;
    if (o.value) {
        auto parsed = dataFor(o, io);
        if (!parsed) return 1;
        data = std::move(*parsed);
    }
    bool existed = false;
    const bool ok = registry::update(o.root, [&](Key& hive) {
        Key& key = hive.create(o.path);
        if (!o.value) return true;
        existed = key.value(*o.value) != nullptr;
        if (existed && !o.force) return false;
        key.setValue(*o.value, data);
        return true;
    });
    if (existed && !o.force) {
        io.err << "ERROR: The value exists; add /f to overwrite it.\n";
        return 1;
    }
    if (!ok) {
        io.err << "ERROR: Cannot write the registry in " << registry::userDirectory().string()
               << ".\n";
        return 1;
    }
    io.out << kDone;
    return 0;
}

bool confirm(const Options& o, Io io, std::string_view what) {
    if (o.force) return true;
    if (!::isatty(STDIN_FILENO)) {
        io.err << "ERROR: Deleting needs /f when no one can be asked.\n";
        return false;
    }
    io.out << what << " (Yes/No)? " << std::flush;
    std::string answer;
    std::getline(std::cin, answer);
    return ascii::startsWithIgnoreCase(answer, "y");
}

int remove(const Options& o, Io io) {
    if (!registry::keyExists(o.root, o.path)) {
        io.err << kNotFound;
        return 1;
    }
    const std::string question =
        o.value       ? "Delete the registry value " + (o.value->empty() ? "(Default)" : *o.value)
        : o.allValues ? "Delete all values under the registry key " + fullPath(o)
                      : "Permanently delete the registry key " + fullPath(o);
    if (!confirm(o, io, question)) return 1;
    bool found = true;
    const bool ok = registry::update(o.root, [&](Key& hive) {
        if (o.path.empty() && !o.value && !o.allValues) return found = false;  // never the root
        Key* key = hive.find(o.path);
        if (!key) return found = false;
        if (o.value) return found = key->removeValue(*o.value);
        if (o.allValues) {
            while (!key->values().empty())
                key->removeValue(key->values().front().name);
            return true;
        }
        return hive.remove(o.path);
    });
    if (!found) {
        io.err << kNotFound;
        return 1;
    }
    if (!ok) {
        io.err << "ERROR: Cannot write the registry.\n";
        return 1;
    }
    io.out << kDone;
    return 0;
}

}  // namespace

int runReg(std::span<const std::string_view> args, Io io) {
    if (args.empty() || args[0] == "--help" || args[0] == "/?") {
        (args.empty() ? io.err : io.out) << kUsage;
        return args.empty() ? 2 : 0;
    }
    const std::string_view op = args[0];
    const auto options = parse(args.subspan(1), io);
    if (!options) return 2;
    if (ascii::equalsIgnoreCase(op, "query")) return query(*options, io);
    if (ascii::equalsIgnoreCase(op, "add")) return add(*options, io);
    if (ascii::equalsIgnoreCase(op, "delete")) return remove(*options, io);
    io.err << "ERROR: Unknown operation '" << op << "'.\n" << kUsage;
    return 2;
}

}  // namespace tavrin::host
