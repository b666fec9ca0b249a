#pragma once
// RawEngine turns one camera RAW file into an 8-bit RGB picture. One instance per decode; it
// holds the whole state of that decode, so engines on several threads never interfere.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

#include "platform/com/types.hpp"
#include "platform/imaging/bitmap.hpp"
#include "rawengine/decode_context.hpp"
#include "rawengine/decode_options.hpp"

namespace tavrin::raw {

using com::HRESULT;

// The white-balance override that leaves the choice to the decode's options.
inline constexpr std::uint32_t kWhiteBalanceFromSettings = 0xFFFFFFFF;

class RawEngine {
  public:
    RawEngine();
    explicit RawEngine(const Pipeline& pipeline);
    RawEngine(const RawEngine&) = delete;
    RawEngine& operator=(const RawEngine&) = delete;
    ~RawEngine();

    // Must precede every use.
    void ResetSession();

    // Opens and identifies the file. E_FAIL (with the C library's error text for the path on
    // standard error) when it cannot be opened; S_OK otherwise, whatever identification found.
    // Sizes are -1 where the file has no picture.
    HRESULT OpenAndIdentify(const std::filesystem::path& path, int* outWidth, int* outHeight,
                            int* outRotation, std::string* makeOut, std::string* modelOut,
                            bool closeAfter);

    // Decodes the identified file with the caller's options; an override other than
    // kWhiteBalanceFromSettings replaces their white-balance mode. E_NOTIMPL for an unsupported
    // file, E_FAIL when the sink cancels. Throws CImageLoaderException when memory runs out.
    HRESULT OpenImageFile(const std::filesystem::path& path, IDecodeProgress* progress,
                          bool halfSize, bool quickInterpolate, std::uint32_t whiteBalanceOverride,
                          const DecodeOptions& options);

    void GetOutputSize(int* outWidth, int* outHeight) const;
    // Writes the decoded picture as 24-bit blue-green-red rows, bottom row first, of the size
    // GetOutputSize gives, stride bytes apart.
    void RenderToDib(std::uint8_t* bits, int stride) const;
    // The decoded picture as a bitmap with the trimmed border, stretched to the true
    // proportions of non-square pixels and turned by the file's rotation; releases the pixels.
    // Null when no bitmap of that size can be made.
    std::unique_ptr<imaging::Bitmap> CreateGdiplusBitmap();
    void FreePixels();
    void CloseFile();

    const DecodeState& state() const { return state_; }

    // Identifies bytes in memory as if they were the file at path (tests, fuzzing).
    void identifyMemory(std::vector<std::uint8_t> bytes, const std::filesystem::path& path);

  private:
    void identify();
    HRESULT cancel();
    bool shouldContinue() const;

    Pipeline pipeline_;
    DecodeState state_;
    formats::FileReader file_;
    BitReader bits_{file_};
    HuffmanPool huffman_;
    IDecodeProgress* progress_ = nullptr;
};

}  // namespace tavrin::raw
