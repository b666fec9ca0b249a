#pragma once
// The in-memory tree of one registry root: keys with ordered subkeys and values. Key and value
// names compare without case and keep the case they were created with.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace tavrin::registry {

// A value the store does not interpret (hex:, hex(2): and the like): its text after the '='
// is kept verbatim so that rewriting the file loses nothing.
struct RawValue {
    std::string text;
    bool operator==(const RawValue&) const = default;
};

using Data = std::variant<std::uint32_t, std::string, RawValue>;

struct Value {
    std::string name;  // empty for the key's default value
    Data data;
};

class Key {
  public:
    explicit Key(std::string name) : name_(std::move(name)) {}

    const std::string& name() const { return name_; }

    Key* child(std::string_view name);
    const Key* child(std::string_view name) const;
    Key& addChild(std::string_view name);  // the existing child, or a new one at the end
    bool removeChild(std::string_view name);
    const std::vector<std::unique_ptr<Key>>& children() const { return children_; }

    const Value* value(std::string_view name) const;
    void setValue(std::string_view name, Data data);
    bool removeValue(std::string_view name);
    const std::vector<Value>& values() const { return values_; }

    // Walks a backslash-separated path below this key; empty components are skipped.
    Key* find(std::string_view path);
    const Key* find(std::string_view path) const;
    Key& create(std::string_view path);
    bool remove(std::string_view path);  // the key with everything below it

  private:
    std::string name_;
    std::vector<std::unique_ptr<Key>> children_;
    std::vector<Value> values_;
};

// Splits "A\B\\C" into its non-empty components.
std::vector<std::string_view> splitPath(std::string_view path);

}  // namespace tavrin::registry
