// Every sample file, cut and with flipped bits (a fixed set per file): the image info reader,
// the engine's identification and half-size decode, and the thumbnail path of the shell object
// each end with a picture or a clean failure.

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <fstream>
#include <random>

#include "platform/com/activation.hpp"
#include "platform/com/shell_interfaces.hpp"
#include "platform/com/wide_text.hpp"
#include "platform/system/files.hpp"
#include "rawengine/loader_exception.hpp"
#include "rawengine/raw_engine.hpp"
#include "shellext/info/image_info_reader.hpp"
#include "tests/support/samples.hpp"
#include "tests/support/temp_registry.hpp"

namespace tavrin {
namespace {

using namespace com;

constexpr std::uintmax_t kLargestSample = 4 << 20;

// Cuts inside the header, the directories and the data, and three sets of flipped bytes.
std::vector<std::vector<std::uint8_t>> damagedCopies(const std::vector<std::uint8_t>& whole,
                                                     std::mt19937& random) {
    std::vector<std::vector<std::uint8_t>> copies;
    for (const std::size_t cut :
         {std::size_t{7}, std::size_t{33}, std::size_t{700}, whole.size() / 3, whole.size() - 1}) {
        if (cut < whole.size())
            copies.emplace_back(whole.begin(), whole.begin() + static_cast<long>(cut));
    }
    for (int round = 0; round < 3; ++round) {
        auto flipped = whole;
        const std::size_t head = std::min<std::size_t>(flipped.size(), 4096);
        for (int i = 0; i < 12 && head > 0; ++i) {
            // Mostly in the first 4 KB, where the structures are.
            const std::size_t at = i % 3 == 0 ? random() % flipped.size() : random() % head;
            flipped[at] ^= static_cast<std::uint8_t>(1u << (random() % 8));
        }
        copies.push_back(std::move(flipped));
    }
    return copies;
}

class DamagedFiles : public test::TempRegistry {};

TEST_F(DamagedFiles, everyReaderEndsCleanly) {
    const auto dir = test::samplesDir();
    if (!std::filesystem::exists(dir)) GTEST_SKIP() << "sample folder missing: " << dir;
    void* module = ::dlopen(TAVRIN_MODULE_PATH, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(module, nullptr);
    ASSERT_EQ(reinterpret_cast<HRESULT (*)()>(::dlsym(module, "DllRegisterServer"))(), S_OK);
    CLSID clsid;
    ASSERT_EQ(CLSIDFromProgID("Tavrin.RawImageExtractor", &clsid), S_OK);

    std::mt19937 random(20261207);
    int inputs = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(dir)) {
        if (!entry.is_regular_file() || entry.file_size() > kLargestSample ||
            entry.path().extension() == ".md")
            continue;
        const auto whole = files::readBytes(entry.path());
        ASSERT_TRUE(whole);
        for (const auto& bytes : damagedCopies(*whole, random)) {
            const auto path = root() / ("damaged" + entry.path().extension().string());
            std::ofstream(path, std::ios::binary)
                .write(reinterpret_cast<const char*>(bytes.data()),
                       static_cast<std::streamsize>(bytes.size()));
            ++inputs;

            shell::ImageInfo info;
            info.filePath = path.string();
            const HRESULT r = shell::ReadImageInfo(info, true);
            EXPECT_EQ(SUCCEEDED(r), info.previewData != nullptr) << entry.path();

            raw::RawEngine engine;
            int w = -1, h = -1;
            ASSERT_EQ(engine.OpenAndIdentify(path, &w, &h, nullptr, nullptr, nullptr, false), S_OK);
            try {
                const HRESULT decoded =
                    engine.OpenImageFile(path, nullptr, true, true, raw::kWhiteBalanceFromSettings);
                EXPECT_TRUE(FAILED(decoded) || engine.state().image) << entry.path();
            } catch (const raw::CImageLoaderException&) {
                // out of memory for a claimed size: a clean failure
            }

            ComPtr<IPersistFile> persist;
            ASSERT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IPersistFile,
                                       persist.out()),
                      S_OK);
            persist->Load(toWide(path.string()).c_str(), 0);
            ComPtr<IExtractImage2> extract;
            persist->QueryInterface(IID_IExtractImage2, extract.out());
            const SIZE box{128, 128};
            DWORD flags = IEIFLAG_ORIGSIZE, priority = 0;
            WCHAR buffer[260];
            extract->GetLocation(buffer, 260, &priority, &box, 24, &flags);
            HBITMAP bitmap = nullptr;
            const HRESULT t = extract->Extract(&bitmap);
            imaging::BitmapHandle owned(bitmap);
            EXPECT_EQ(SUCCEEDED(t), static_cast<bool>(owned)) << entry.path();
        }
    }
    ::dlclose(module);
    EXPECT_GE(inputs, 1000);
}

}  // namespace
}  // namespace tavrin
