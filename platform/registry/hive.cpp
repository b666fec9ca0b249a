#include "platform/registry/hive.hpp"

#include <algorithm>

#include "platform/system/ascii.hpp"

namespace tavrin::registry {

std::vector<std::string_view> splitPath(std::string_view path) {
    std::vector<std::string_view> parts;
    while (!path.empty()) {
        const auto cut = path.find('\\');
        const auto part = path.substr(0, cut);
        if (!part.empty()) parts.push_back(part);
        if (cut == std::string_view::npos) break;
        path.remove_prefix(cut + 1);
    }
    return parts;
}

Key* Key::child(std::string_view name) {
    return const_cast<Key*>(static_cast<const Key*>(this)->child(name));
}

const Key* Key::child(std::string_view name) const {
    for (const auto& c : children_) {
        if (ascii::equalsIgnoreCase(c->name(), name)) return c.get();
    }
    return nullptr;
}

Key& Key::addChild(std::string_view name) {
    if (Key* existing = child(name)) return *existing;
    return *children_.emplace_back(std::make_unique<Key>(std::string(name)));
}

bool Key::removeChild(std::string_view name) {
    const auto it = std::find_if(children_.begin(), children_.end(), [&](const auto& c) {
        return ascii::equalsIgnoreCase(c->name(), name);
    });
    if (it == children_.end()) return false;
    children_.erase(it);
    return true;
}

const Value* Key::value(std::string_view name) const {
    for (const auto& v : values_) {
        if (ascii::equalsIgnoreCase(v.name, name)) return &v;
    }
    return nullptr;
}

void Key::setValue(std::string_view name, Data data) {
    for (auto& v : values_) {
        if (ascii::equalsIgnoreCase(v.name, name)) {
            v.data = std::move(data);
            return;
        }
    }
    values_.push_back(Value{std::string(name), std::move(data)});
}

bool Key::removeValue(std::string_view name) {
    const auto it = std::find_if(values_.begin(), values_.end(), [&](const Value& v) {
        return ascii::equalsIgnoreCase(v.name, name);
    });
    if (it == values_.end()) return false;
    values_.erase(it);
    return true;
}

Key* Key::find(std::string_view path) {
    return const_cast<Key*>(static_cast<const Key*>(this)->find(path));
}

const Key* Key::find(std::string_view path) const {
    const Key* key = this;
    for (const auto part : splitPath(path)) {
        key = key->child(part);
        if (!key) return nullptr;
    }
    return key;
}

Key& Key::create(std::string_view path) {
    Key* key = this;
    for (const auto part : splitPath(path))
        key = &key->addChild(part);
    return *key;
}

bool Key::remove(std::string_view path) {
    auto parts = splitPath(path);
    if (parts.empty()) return false;
    const auto last = parts.back();
    parts.pop_back();
    Key* parent = this;
    for (const auto part : parts) {
        parent = parent->child(part);
        if (!parent) return false;
    }
    return parent->removeChild(last);
}

}  // namespace tavrin::registry
