#include "common/settings.hpp"

#include <limits>
#include <variant>

#include "common/settings_names.hpp"
#include "platform/registry/registry.hpp"
#include "platform/system/ascii.hpp"

namespace tavrin {
namespace {

std::string productKey(std::string_view subkey) {
    std::string key(kProductKey);
    key += subkey;
    return key;
}

}  // namespace

std::uint32_t getUserSetting(std::string_view subkey, std::string_view valueName,
                             std::uint32_t defaultValue) {
    return registry::queryDword(registry::Root::CurrentUser, productKey(subkey), valueName)
        .value_or(defaultValue);
}

std::string getUserStringSetting(std::string_view subkey, std::string_view valueName,
                                 std::string_view defaultValue) {
    auto text = registry::queryString(registry::Root::CurrentUser, productKey(subkey), valueName);
    if (!text || text->size() >= kMaxSettingText) return std::string(defaultValue);
    return *std::move(text);
}

bool isExtensionOwnedBy(std::string_view extension, std::string_view progId) {
    const auto owner = registry::queryString(registry::Root::ClassesRoot, extension, "");
    return owner && owner->size() < kMaxClassName && ascii::equalsIgnoreCase(*owner, progId);
}

int getBrightnessIndex() {
    return parseDecimal(getUserStringSetting(settings::kViewer, settings::kBrightnessIndex.name,
                                             settings::kBrightnessIndex.defaultValue));
}

bool setUserSetting(std::string_view subkey, std::string_view valueName, std::uint32_t value) {
    return registry::setValue(registry::Root::CurrentUser, productKey(subkey), valueName, value);
}

bool setUserStringSetting(std::string_view subkey, std::string_view valueName,
                          std::string_view value) {
    return registry::setValue(registry::Root::CurrentUser, productKey(subkey), valueName,
                              std::string(value));
}

bool updateUserStringSetting(std::string_view subkey, std::string_view valueName,
                             const std::function<std::string(std::string_view before)>& change) {
    return registry::update(registry::Root::CurrentUser, [&](registry::Key& hive) {
        registry::Key& key = hive.create(productKey(subkey));
        const registry::Value* value = key.value(valueName);
        const auto* text = value ? std::get_if<std::string>(&value->data) : nullptr;
        const std::string_view before =
            text && text->size() < kMaxSettingText ? std::string_view(*text) : std::string_view();
        key.setValue(valueName, change(before));
        return true;
    });
}

int parseDecimal(std::string_view text) {
    while (!text.empty() &&
           (text.front() == ' ' || (text.front() >= '\t' && text.front() <= '\r'))) {
        text.remove_prefix(1);
    }
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    long long value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') break;
        value = value * 10 + (c - '0');
        if (value > std::numeric_limits<int>::max()) {
            return negative ? std::numeric_limits<int>::min() : std::numeric_limits<int>::max();
        }
    }
    return static_cast<int>(negative ? -value : value);
}

}  // namespace tavrin
