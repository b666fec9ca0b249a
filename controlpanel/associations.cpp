#include "controlpanel/associations.hpp"

#include "common/file_types.hpp"
#include "common/settings.hpp"
#include "platform/registry/registry.hpp"

namespace tavrin::cpl {
namespace {

using registry::Root;

constexpr std::string_view kSimpleTypes[] = {".jpg", ".ppm", ".dng", ".tiff", ".thm"};

}  // namespace

bool isAssociated(std::string_view extension, std::string_view className) {
    return isExtensionOwnedBy(extension, className);
}

void associate(std::string_view extension, std::string_view className) {
    registry::setValue(Root::ClassesRoot, extension, "", std::string(className));
}

void dissociate(std::string_view extension, std::string_view className) {
    if (!isAssociated(extension, className)) return;
    registry::update(Root::ClassesRoot, [&](registry::Key& root) {
        registry::Key* key = root.find(extension);
        if (!key) return false;
        key->removeValue("");
        if (key->values().empty() && key->children().empty()) root.remove(extension);
        return true;
    });
}

bool hasAssociationRights() {
    // A test value in the class's key; a key the test had to make goes again.
    const bool existed = registry::keyExists(Root::ClassesRoot, kImageClass);
    if (!registry::setValue(Root::ClassesRoot, kImageClass, "test", std::string("test"))) {
        return false;
    }
    if (existed) {
        registry::deleteValue(Root::ClassesRoot, kImageClass, "test");
    } else {
        registry::deleteKey(Root::ClassesRoot, kImageClass);
    }
    return true;
}

bool TypeRow::associated() const {
    for (const std::string& extension : extensions) {
        if (!isAssociated(extension, className)) return false;
    }
    return true;
}

void TypeRow::apply(bool checked) const {
    for (const std::string& extension : extensions) {
        if (checked) {
            associate(extension, className);
        } else {
            dissociate(extension, className);
        }
    }
}

std::vector<TypeRow> typeRows() {
    std::vector<TypeRow> rows;
    for (std::string_view extension : kSupportedExtensions) {
        if (extension == ".jpeg") continue;
        TypeRow row{std::string(extension), {std::string(extension)}, kImageClass, TypeDialog::Raw};
        if (extension == ".jpg") {
            row.text = ".jpg, .jpeg";
            row.extensions.emplace_back(".jpeg");
        }
        if (extension == kTrashedExtension) {
            row.className = kTrashedClass;
            row.dialog = TypeDialog::Trashed;
        }
        for (std::string_view simple : kSimpleTypes) {
            if (extension == simple) row.dialog = TypeDialog::Simple;
        }
        rows.push_back(std::move(row));
    }
    return rows;
}

}  // namespace tavrin::cpl
