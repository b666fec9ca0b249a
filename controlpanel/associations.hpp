#pragma once
// The file associations the applet edits and the rows of its file types page.

#include <string>
#include <string_view>
#include <vector>

namespace tavrin::cpl {

inline constexpr std::string_view kImageClass = "TavrinImage";
inline constexpr std::string_view kTrashedClass = "TavrinImageT";

// True when the extension's key names the class (without regard to case).
bool isAssociated(std::string_view extension, std::string_view className);
// Makes the class the extension's default value, creating the key.
void associate(std::string_view extension, std::string_view className);
// Removes our association only: the default value when it names the class. What the system
// or other programs keep under the extension's key stays; a key left empty goes.
void dissociate(std::string_view extension, std::string_view className);
// Whether the classes key can be written (a test value under "TavrinImage", removed again).
bool hasAssociationRights();

// Which per-type dialog a row opens.
enum class TypeDialog { Raw, Simple, Trashed };

// One row of the file types page: ".jpg" and ".jpeg" share one.
struct TypeRow {
    std::string text;                     // ".cr2", ".jpg, .jpeg"
    std::vector<std::string> extensions;  // the extensions the row ties and unties
    std::string_view className;
    TypeDialog dialog;

    bool associated() const;
    void apply(bool checked) const;
};
std::vector<TypeRow> typeRows();

}  // namespace tavrin::cpl
