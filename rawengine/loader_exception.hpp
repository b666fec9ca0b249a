#pragma once
// The one exception type of the engine: it carries one text.

#include <string>
#include <string_view>

namespace tavrin::raw {

class CImageLoaderException {
  public:
    explicit CImageLoaderException(std::string text) : text_(std::move(text)) {}
    const std::string& text() const { return text_; }

    // "Nicht genügend Speicher in <step>\n": memory ran out in the named step.
    static CImageLoaderException outOfMemory(std::string_view step);

  private:
    std::string text_;
};

}  // namespace tavrin::raw
