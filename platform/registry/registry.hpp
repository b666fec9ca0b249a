#pragma once
// The registry of this platform: HKEY_CURRENT_USER and HKEY_CLASSES_ROOT, each persisted as a
// REGEDIT4 text file. Every read sees the current file (a text read before is not parsed again);
// every write is one locked read-modify-write that replaces the file atomically, so readers
// never see half a file and concurrent writers from several processes lose nothing.
//
// Files live in $TAVRIN_REGISTRY_DIR, else $XDG_CONFIG_HOME/tavrin, else ~/.config/tavrin.
// HKEY_CLASSES_ROOT reads the user's classes over the machine-wide ones that installation writes
// ($TAVRIN_SYSTEM_REGISTRY_DIR, else <prefix>/share/tavrin); writes go to the user's file unless
// the machine scope is chosen for the process (installation does that).

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/registry/hive.hpp"

namespace tavrin::registry {

enum class Root { CurrentUser, ClassesRoot };

std::string_view rootName(Root root);
// Accepts "HKCU", "HKEY_CURRENT_USER", "HKCR", "HKEY_CLASSES_ROOT" in any case.
std::optional<Root> parseRoot(std::string_view text);

std::filesystem::path userDirectory();
std::filesystem::path machineDirectory();

// Makes writes to HKEY_CLASSES_ROOT go to the machine-wide file (for installation); the choice is
// kept in the environment ($TAVRIN_CLASSES_SCOPE=machine) so that loaded servers follow it too.
void useMachineScopeForClasses(bool machine);

// A snapshot of the whole root as it is now; later writes do not change it.
std::shared_ptr<const Key> load(Root root);

std::optional<Data> query(Root root, std::string_view keyPath, std::string_view valueName);
std::optional<std::uint32_t> queryDword(Root root, std::string_view keyPath,
                                        std::string_view valueName);
std::optional<std::string> queryString(Root root, std::string_view keyPath,
                                       std::string_view valueName);
bool keyExists(Root root, std::string_view keyPath);

// One locked read-modify-write; the edit returns false to write nothing. False when the edit
// declined or the file could not be written.
bool update(Root root, const std::function<bool(Key& root)>& edit);

bool createKey(Root root, std::string_view keyPath);
bool setValue(Root root, std::string_view keyPath, std::string_view valueName, Data data);
bool deleteValue(Root root, std::string_view keyPath, std::string_view valueName);
bool deleteKey(Root root, std::string_view keyPath);  // with all its subkeys

}  // namespace tavrin::registry
