#pragma once
// The progress sink a caller may hand to the engine's decode.

#include <string>

namespace tavrin::raw {

struct IDecodeProgress {
    // Never called by the engine; callers use it for their own status lines.
    virtual void SetStatusId(unsigned stringId, int percent) = 0;
    virtual void SetStatus(const std::string& text, int percent) = 0;
    virtual bool ShouldContinue() = 0;

  protected:
    ~IDecodeProgress() = default;
};

}  // namespace tavrin::raw
