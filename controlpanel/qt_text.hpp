#pragma once
// Texts of the string table and of the dialogs (UTF-8) as Qt strings; '&' marks the mnemonic
// in both.

#include <QString>
#include <string_view>

namespace tavrin::cpl {

inline QString text(std::string_view utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

}  // namespace tavrin::cpl
