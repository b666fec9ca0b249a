#include "platform/registry/registry.hpp"

#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <memory>
#include <mutex>

#include "platform/registry/reg_file.hpp"
#include "platform/system/ascii.hpp"
#include "platform/system/files.hpp"

#ifndef TAVRIN_SYSTEM_DATA_DIR
#define TAVRIN_SYSTEM_DATA_DIR "/usr/local/share/tavrin"
#endif
// The classes folder seen from the installed programs' and libraries' folders.
#ifndef TAVRIN_DATA_FROM_BIN
#define TAVRIN_DATA_FROM_BIN "../share/tavrin"
#endif
#ifndef TAVRIN_DATA_FROM_LIB
#define TAVRIN_DATA_FROM_LIB "../share/tavrin"
#endif

namespace tavrin::registry {
namespace {

namespace fs = std::filesystem;

// Kept in the environment, so that every copy of this code in the process (the host's and a
// loaded server's) writes to the same place.
constexpr const char* kScopeVariable = "TAVRIN_CLASSES_SCOPE";

struct RootSpec {
    Root root;
    std::string_view name;
    std::string_view shortName;
};
constexpr RootSpec kRoots[] = {
    {Root::CurrentUser, "HKEY_CURRENT_USER", "HKCU"},
    {Root::ClassesRoot, "HKEY_CLASSES_ROOT", "HKCR"},
};

fs::path fileIn(const fs::path& dir, Root root) {
    return dir / (std::string(rootName(root)) + ".reg");
}

const char* env(const char* name) {
    const char* v = std::getenv(name);
    return v && *v ? v : nullptr;
}

struct Loaded {
    Key key;
    std::optional<std::string> text;  // the file as read, when it exists
    bool damaged = false;
};

Loaded parse(const fs::path& file, std::optional<std::string> text, Root root) {
    Loaded out{Key(std::string(rootName(root))), std::move(text), false};
    if (!out.text) return out;
    auto parsed = parseRegFile(*out.text, rootName(root));
    for (const auto& p : parsed.problems) {
        std::fprintf(stderr, "tavrin: registry file %s: %s; skipped\n", file.c_str(), p.c_str());
    }
    out.damaged = !parsed.problems.empty();
    out.key = std::move(parsed.root);
    return out;
}

Loaded loadFile(const fs::path& file, Root root) {
    return parse(file, files::readText(file), root);
}

// Lays over into under: keys merge, values of over win.
void overlay(Key& under, const Key& over) {
    for (const auto& v : over.values())
        under.setValue(v.name, v.data);
    for (const auto& c : over.children())
        overlay(under.addChild(c->name()), *c);
}

fs::path writableFile(Root root) {
    const char* scope = std::getenv(kScopeVariable);
    if (root == Root::ClassesRoot && scope && std::string_view(scope) == "machine") {
        return fileIn(machineDirectory(), root);
    }
    return fileIn(userDirectory(), root);
}

// The files a root is read from, the lowest layer first.
std::vector<fs::path> sourcesOf(Root root) {
    if (root != Root::ClassesRoot) return {fileIn(userDirectory(), root)};
    std::vector<fs::path> out{fileIn(machineDirectory(), root)};
    if (userDirectory() != machineDirectory()) out.push_back(fileIn(userDirectory(), root));
    return out;
}

// The last root read, kept with the texts it was parsed from: a settings lookup per file over a
// folder of thousands reads the same few lines each time, and only a changed text is parsed again.
struct Snapshot {
    std::vector<fs::path> files;
    std::vector<std::optional<std::string>> texts;
    std::shared_ptr<const Key> key;
};

}  // namespace

std::string_view rootName(Root root) {
    for (const auto& r : kRoots) {
        if (r.root == root) return r.name;
    }
    return {};
}

std::optional<Root> parseRoot(std::string_view text) {
    for (const auto& r : kRoots) {
        if (ascii::equalsIgnoreCase(text, r.name) || ascii::equalsIgnoreCase(text, r.shortName)) {
            return r.root;
        }
    }
    return std::nullopt;
}

fs::path userDirectory() {
    if (const char* dir = env("TAVRIN_REGISTRY_DIR")) return dir;
    if (const char* config = env("XDG_CONFIG_HOME")) return fs::path(config) / "tavrin";
    if (const char* home = env("HOME")) return fs::path(home) / ".config" / "tavrin";
    return {};
}

// The classes folder of the installation that holds this code (the program, or the library a
// program loaded), wherever that installation was put; empty outside an installation.
fs::path installedClassesDirectory() {
    Dl_info info{};
    fs::path holder;
    if (::dladdr(reinterpret_cast<void*>(&installedClassesDirectory), &info) != 0 &&
        info.dli_fname && info.dli_fname[0] == '/') {
        holder = info.dli_fname;
    } else {
        std::error_code ec;
        holder = fs::read_symlink("/proc/self/exe", ec);
    }
    if (holder.empty()) return {};
    for (const char* relative : {TAVRIN_DATA_FROM_BIN, TAVRIN_DATA_FROM_LIB}) {
        const fs::path dir = (holder.parent_path() / relative).lexically_normal();
        std::error_code ec;
        if (fs::is_regular_file(dir / "HKEY_CLASSES_ROOT.reg", ec)) return dir;
    }
    return {};
}

fs::path machineDirectory() {
    if (const char* dir = env("TAVRIN_SYSTEM_REGISTRY_DIR")) return dir;
    static const fs::path kInstalled = installedClassesDirectory();
    return kInstalled.empty() ? fs::path(TAVRIN_SYSTEM_DATA_DIR) : kInstalled;
}

void useMachineScopeForClasses(bool machine) {
    if (machine) {
        ::setenv(kScopeVariable, "machine", 1);
    } else {
        ::unsetenv(kScopeVariable);
    }
}

std::shared_ptr<const Key> load(Root root) {
    static std::mutex mutex;
    static Snapshot kept[std::size(kRoots)];
    Snapshot now{sourcesOf(root), {}, nullptr};
    for (const auto& file : now.files)
        now.texts.push_back(files::readText(file));
    Snapshot& last = kept[static_cast<std::size_t>(root)];
    {
        std::lock_guard lock(mutex);
        if (last.key && last.files == now.files && last.texts == now.texts) return last.key;
    }
    auto merged = std::make_shared<Key>(parse(now.files[0], now.texts[0], root).key);
    for (std::size_t i = 1; i < now.files.size(); ++i)
        overlay(*merged, parse(now.files[i], now.texts[i], root).key);
    now.key = std::move(merged);
    std::lock_guard lock(mutex);
    last = now;
    return now.key;
}

std::optional<Data> query(Root root, std::string_view keyPath, std::string_view valueName) {
    const auto hive = load(root);
    const Key* key = hive->find(keyPath);
    if (!key) return std::nullopt;
    const Value* value = key->value(valueName);
    if (!value) return std::nullopt;
    return value->data;
}

std::optional<std::uint32_t> queryDword(Root root, std::string_view keyPath,
                                        std::string_view valueName) {
    auto data = query(root, keyPath, valueName);
    if (!data || !std::holds_alternative<std::uint32_t>(*data)) return std::nullopt;
    return std::get<std::uint32_t>(*data);
}

std::optional<std::string> queryString(Root root, std::string_view keyPath,
                                       std::string_view valueName) {
    auto data = query(root, keyPath, valueName);
    if (!data || !std::holds_alternative<std::string>(*data)) return std::nullopt;
    return std::get<std::string>(std::move(*data));
}

bool keyExists(Root root, std::string_view keyPath) {
    return load(root)->find(keyPath) != nullptr;
}

bool update(Root root, const std::function<bool(Key& root)>& edit) {
    const fs::path file = writableFile(root);
    if (file.empty()) return false;
    std::error_code ec;
    fs::create_directories(file.parent_path(), ec);
    files::ExclusiveLock lock(fs::path(file.string() + ".lock"));
    if (!lock.held()) return false;

    Loaded current = loadFile(file, root);
    // Something that is there but cannot be read (a folder, a pipe, a read error) is not
    // replaced: what it holds would be lost.
    if (!current.text && fs::exists(fs::symlink_status(file, ec))) return false;
    if (!edit(current.key)) return false;
    if (current.damaged) {
        // Keep the damaged original once, so that nothing the user wrote by hand is lost.
        const fs::path backup = file.string() + ".damaged";
        if (!fs::exists(backup, ec)) files::writeAtomically(backup, *current.text);
    }
    return files::writeAtomically(file, formatRegFile(current.key, rootName(root)));
}

bool createKey(Root root, std::string_view keyPath) {
    return update(root, [&](Key& hive) {
        hive.create(keyPath);
        return true;
    });
}

bool setValue(Root root, std::string_view keyPath, std::string_view valueName, Data data) {
    return update(root, [&](Key& hive) {
        hive.create(keyPath).setValue(valueName, data);
        return true;
    });
}

bool deleteValue(Root root, std::string_view keyPath, std::string_view valueName) {
    return update(root, [&](Key& hive) {
        Key* key = hive.find(keyPath);
        return key && key->removeValue(valueName);
    });
}

bool deleteKey(Root root, std::string_view keyPath) {
    return update(root, [&](Key& hive) { return hive.remove(keyPath); });
}

}  // namespace tavrin::registry
