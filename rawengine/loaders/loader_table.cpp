// The loaders by id, built from the one list in rawengine/loaders.hpp.

#include "rawengine/loaders/raw_loaders.hpp"

namespace tavrin::raw {
namespace {

struct LoaderRow {
    Loader id;
    std::string_view name;
    StageFn function;
};

#define TAVRIN_LOADER_ROW(id, name, function) {Loader::id, name, function},
#define TAVRIN_UNDECODABLE_ROW(id, name) {Loader::id, name, nullptr},
constexpr LoaderRow kLoaders[] = {TAVRIN_RAW_LOADERS(TAVRIN_LOADER_ROW, TAVRIN_UNDECODABLE_ROW)};
#undef TAVRIN_LOADER_ROW
#undef TAVRIN_UNDECODABLE_ROW

// The list gives the enum its values, so a loader's row sits at its id.
const LoaderRow& rowOf(Loader loader) {
    return kLoaders[static_cast<std::size_t>(loader)];
}

}  // namespace

std::string_view loaderName(Loader loader) {
    return rowOf(loader).name;
}

StageFn loaderFor(Loader loader) {
    return rowOf(loader).function;
}

}  // namespace tavrin::raw
