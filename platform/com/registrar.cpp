#include "platform/com/registrar.hpp"

#include <charconv>
#include <memory>
#include <optional>
#include <vector>

#include "platform/registry/registry.hpp"
#include "platform/system/ascii.hpp"

namespace tavrin::com {
namespace {

using registry::Key;

enum class Removal { Normal, NoRemove, ForceRemove, Delete };

struct ScriptValue {
    std::string name;  // empty: the key's default value
    registry::Data data;
};

struct ScriptKey {
    std::string name;
    Removal removal = Removal::Normal;
    std::optional<registry::Data> defaultValue;
    std::vector<ScriptValue> values;
    std::vector<ScriptKey> children;
};

struct ScriptRoot {
    registry::Root root;
    std::vector<ScriptKey> keys;
};

struct Token {
    enum Kind { Word, Quoted, Open, Close, Equals, End } kind;
    std::string text;
};

class Parser {
  public:
    explicit Parser(std::string_view text) : text_(text) {}

    std::optional<std::vector<ScriptRoot>> script() {
        std::vector<ScriptRoot> roots;
        for (Token t = next(); t.kind != Token::End; t = next()) {
            if (t.kind != Token::Word) return std::nullopt;
            const auto root = registry::parseRoot(t.text);
            if (!root || next().kind != Token::Open) return std::nullopt;
            auto keys = block();
            if (!keys) return std::nullopt;
            roots.push_back({*root, std::move(*keys)});
        }
        return roots;
    }

  private:
    // The entries of a block whose '{' has been read, up to and including its '}'.
    std::optional<std::vector<ScriptKey>> block(ScriptKey* owner = nullptr) {
        std::vector<ScriptKey> keys;
        while (true) {
            Token t = next();
            if (t.kind == Token::Close) return keys;
            if (t.kind != Token::Word && t.kind != Token::Quoted) return std::nullopt;
            if (t.kind == Token::Word && ascii::equalsIgnoreCase(t.text, "val")) {
                if (!owner) return std::nullopt;
                Token name = next();
                if ((name.kind != Token::Word && name.kind != Token::Quoted) ||
                    next().kind != Token::Equals) {
                    return std::nullopt;
                }
                auto data = value();
                if (!data) return std::nullopt;
                owner->values.push_back({name.text, std::move(*data)});
                continue;
            }
            ScriptKey key;
            if (t.kind == Token::Word) {
                for (const auto& [word, removal] : {std::pair{"NoRemove", Removal::NoRemove},
                                                    std::pair{"ForceRemove", Removal::ForceRemove},
                                                    std::pair{"Delete", Removal::Delete}}) {
                    if (ascii::equalsIgnoreCase(t.text, word)) {
                        key.removal = removal;
                        t = next();
                        break;
                    }
                }
                if (t.kind != Token::Word && t.kind != Token::Quoted) return std::nullopt;
            }
            key.name = t.text;
            if (peek().kind == Token::Equals) {
                next();
                key.defaultValue = value();
                if (!key.defaultValue) return std::nullopt;
            }
            if (peek().kind == Token::Open) {
                next();
                auto children = block(&key);
                if (!children) return std::nullopt;
                key.children = std::move(*children);
            }
            keys.push_back(std::move(key));
        }
    }

    std::optional<registry::Data> value() {
        const Token type = next();
        const Token data = next();
        if (type.kind != Token::Word || (data.kind != Token::Quoted && data.kind != Token::Word)) {
            return std::nullopt;
        }
        if (ascii::equalsIgnoreCase(type.text, "s")) return registry::Data{data.text};
        if (ascii::equalsIgnoreCase(type.text, "d")) {
            std::string_view digits = data.text;
            int base = 10;
            if (ascii::startsWithIgnoreCase(digits, "0x")) {
                digits.remove_prefix(2);
                base = 16;
            }
            std::uint32_t v = 0;
            const auto [end, ec] =
                std::from_chars(digits.data(), digits.data() + digits.size(), v, base);
            if (ec != std::errc() || end != digits.data() + digits.size()) return std::nullopt;
            return registry::Data{v};
        }
        return std::nullopt;
    }

    Token peek() {
        const std::size_t saved = pos_;
        Token t = next();
        pos_ = saved;
        return t;
    }

    Token next() {
        auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
        while (pos_ < text_.size() && blank(text_[pos_]))
            ++pos_;
        if (pos_ >= text_.size()) return {Token::End, {}};
        const char c = text_[pos_];
        const bool endsHere = pos_ + 1 >= text_.size() || blank(text_[pos_ + 1]);
        if (c == '}' || (c == '{' && endsHere)) {
            ++pos_;
            return {c == '{' ? Token::Open : Token::Close, {}};
        }
        if (c == '=') {
            ++pos_;
            return {Token::Equals, {}};
        }
        if (c == '\'') {
            std::string s;
            for (++pos_; pos_ < text_.size(); ++pos_) {
                if (text_[pos_] == '\'') {
                    if (pos_ + 1 < text_.size() && text_[pos_ + 1] == '\'') {
                        s += '\'';
                        ++pos_;
                        continue;
                    }
                    ++pos_;
                    return {Token::Quoted, std::move(s)};
                }
                s += text_[pos_];
            }
            return {Token::End, {}};  // unterminated: the caller sees a missing token
        }
        const std::size_t start = pos_;
        while (pos_ < text_.size() && !blank(text_[pos_]) && text_[pos_] != '=')
            ++pos_;
        return {Token::Word, std::string(text_.substr(start, pos_ - start))};
    }

    std::string_view text_;
    std::size_t pos_ = 0;
};

void install(Key& parent, const ScriptKey& sk) {
    if (sk.removal == Removal::Delete) {
        parent.removeChild(sk.name);
        return;
    }
    if (sk.removal == Removal::ForceRemove) parent.removeChild(sk.name);
    Key& key = parent.addChild(sk.name);
    if (sk.defaultValue) key.setValue("", *sk.defaultValue);
    for (const auto& v : sk.values)
        key.setValue(v.name, v.data);
    for (const auto& child : sk.children)
        install(key, child);
}

void uninstall(Key& parent, const ScriptKey& sk) {
    Key* key = parent.child(sk.name);
    if (!key || sk.removal == Removal::Delete) return;
    if (sk.removal == Removal::ForceRemove) {
        parent.removeChild(sk.name);
        return;
    }
    for (const auto& v : sk.values)
        key->removeValue(v.name);
    for (const auto& child : sk.children)
        uninstall(*key, child);
    if (sk.removal == Removal::Normal && key->children().empty()) parent.removeChild(sk.name);
}

}  // namespace

void Registrar::addReplacement(std::string_view name, std::string value) {
    replacements_[std::string(name)] = std::move(value);
}

HRESULT Registrar::registerScript(std::string_view script) const {
    return apply(script, true);
}

HRESULT Registrar::unregisterScript(std::string_view script) const {
    return apply(script, false);
}

HRESULT Registrar::apply(std::string_view script, bool installing) const {
    // Replace %NAME% first; %% stands for a percent sign.
    std::string text;
    for (std::size_t i = 0; i < script.size(); ++i) {
        if (script[i] != '%') {
            text += script[i];
            continue;
        }
        const auto end = script.find('%', i + 1);
        if (end == std::string_view::npos) return E_INVALIDARG;
        const auto name = script.substr(i + 1, end - i - 1);
        if (name.empty()) {
            text += '%';
        } else {
            const auto it = replacements_.find(name);
            if (it == replacements_.end()) return E_INVALIDARG;
            text += it->second;
        }
        i = end;
    }

    const auto roots = Parser(text).script();
    if (!roots) return E_INVALIDARG;
    for (const auto root : {registry::Root::ClassesRoot, registry::Root::CurrentUser}) {
        bool any = false;
        for (const auto& r : *roots)
            any = any || r.root == root;
        if (!any) continue;
        const bool written = registry::update(root, [&](Key& hive) {
            for (const auto& r : *roots) {
                if (r.root != root) continue;
                for (const auto& key : r.keys)
                    installing ? install(hive, key) : uninstall(hive, key);
            }
            return true;
        });
        if (!written) return E_ACCESSDENIED;
    }
    return S_OK;
}

}  // namespace tavrin::com
