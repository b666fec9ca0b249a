#pragma once
// The progress sink a caller may hand to the engine's decode. The engine names the stage it
// enters; the caller chooses the words.

#include <string>
#include <string_view>

namespace tavrin::raw {

enum class DecodeStage {
    Loading,
    FoveonInterpolation,
    BilinearInterpolation,
    VngInterpolation,
    Converting,
};

// The stage a decode enters, with what the loading stage tells of the file.
struct DecodeStatus {
    DecodeStage stage = DecodeStage::Loading;
    std::string_view make;
    std::string_view model;
    std::string_view path;
};

struct IDecodeProgress {
    // Never called by the engine; callers use it for their own status lines.
    virtual void SetStatusId(unsigned stringId, int percent) = 0;
    virtual void SetStatus(const DecodeStatus& status, int percent) = 0;
    virtual bool ShouldContinue() = 0;

  protected:
    ~IDecodeProgress() = default;
};

}  // namespace tavrin::raw
