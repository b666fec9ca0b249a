#pragma once
// The one exception type of the engine: it carries one text, or for a memory error the name of
// the step that ran out, which the caller puts into its own words.

#include <string>
#include <string_view>

namespace tavrin::raw {

class CImageLoaderException {
  public:
    explicit CImageLoaderException(std::string text) : text_(std::move(text)) {}

    // Memory ran out in the named step ("OpenImageFile()").
    static CImageLoaderException outOfMemory(std::string_view step) {
        CImageLoaderException e{std::string()};
        e.outOfMemoryStep_ = step;
        return e;
    }

    // The failure's own text; empty for a memory error.
    const std::string& text() const { return text_; }
    // The step in which memory ran out; empty for any other failure.
    const std::string& outOfMemoryStep() const { return outOfMemoryStep_; }

  private:
    std::string text_;
    std::string outOfMemoryStep_;
};

}  // namespace tavrin::raw
