#pragma once
// The engine's test rig: a decode state with its file, bit reader and Huffman pool for running
// one step directly, a store of learned colours in memory, and a fixture with a folder of its
// own for whole decodes. Nothing here touches the settings.

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>

#include "rawengine/colour/learned_colours.hpp"
#include "rawengine/decode_context.hpp"
#include "rawengine/decode_options.hpp"
#include "tests/fixtures/raw_encoders.hpp"
#include "tests/support/temp_registry.hpp"

namespace tavrin::raw {

// Learned colours kept for one test.
class MemoryLearnedColours final : public LearnedColourStore {
  public:
    std::string read(std::string_view model) const override {
        const auto it = texts_.find(model);
        return it == texts_.end() ? std::string() : it->second;
    }
    void write(std::string_view model, const std::string& text) override {
        texts_.insert_or_assign(std::string(model), text);
    }

  private:
    std::map<std::string, std::string, std::less<>> texts_;
};

// The part of the stored sensor that is visible: rawHeight x rawWidth stored, height x width
// visible from (top, left).
struct SensorArea {
    int rawHeight, rawWidth, top, left, height, width;
};

struct Rig {
    DecodeState s;
    formats::FileReader file;
    BitReader bits{file};
    HuffmanPool pool;
    MemoryLearnedColours learned;

    // A bare state: the test sets what it needs.
    Rig() = default;

    // A working image of height x width after loading, 12-bit samples in the pattern's colours.
    Rig(int height, int width, std::uint32_t pattern = 0x94949494) {
        s.geometry.height = s.geometry.workHeight = height;
        s.geometry.width = s.geometry.workWidth = width;
        s.sensor.filterPattern = pattern;
        s.sensor.whiteLevel = 4095;
        allocate();
    }

    // A sensor to be loaded, at full or half size, with an identity tone curve and an empty
    // working image.
    explicit Rig(const SensorArea& area, bool half = false) {
        Geometry& g = s.geometry;
        g.rawHeight = area.rawHeight, g.rawWidth = area.rawWidth;
        g.topMargin = area.top, g.leftMargin = area.left;
        g.height = area.height, g.width = area.width;
        s.sensor.filterPattern = 0x94949494;
        g.halfShrink = half ? 1 : 0;
        g.workHeight = (area.height + g.halfShrink) >> g.halfShrink;
        g.workWidth = (area.width + g.halfShrink) >> g.halfShrink;
        for (std::size_t i = 0; i < s.colour.toneCurve.size(); ++i)
            s.colour.toneCurve[i] = static_cast<std::uint16_t>(i);
        allocate();
    }

    Rig(const Rig&) = delete;
    Rig& operator=(const Rig&) = delete;

    void allocate() {
        s.image = allocateImage(static_cast<std::size_t>(s.geometry.workHeight) *
                                s.geometry.workWidth * 4);
    }

    void run(StageFn step) {
        DecodeContext ctx{s, file, bits, pool, nullptr, &learned};
        step(ctx);
    }

    // Runs a loader on bytes in memory, from start.
    void load(StageFn loader, fixtures::Bytes bytes, std::uint64_t start = 0) {
        file.openMemory(std::move(bytes));
        file.seek(start);
        run(loader);
    }

    // The working pixel at (row, col).
    std::uint16_t* pixel(int row, int col) {
        return s.image.get() + (static_cast<std::size_t>(row) * s.geometry.workWidth + col) * 4;
    }

    // Every sensor cell holds value in its own colour.
    void fill(int value) {
        for (int r = 0; r < s.geometry.height; ++r) {
            for (int c = 0; c < s.geometry.width; ++c)
                pixel(r, c)[s.colourAt(r, c)] = static_cast<std::uint16_t>(value);
        }
    }

    // The sample of visible sensor position (row, col).
    std::uint16_t at(int row, int col) const {
        const Geometry& g = s.geometry;
        return s.image[(static_cast<std::size_t>(row >> g.halfShrink) * g.workWidth +
                        (col >> g.halfShrink)) *
                           4 +
                       s.colourAt(row, col)];
    }
};

// Whole decodes of files written into a folder of the test's own, with options that learn
// colours in memory.
class EngineFiles : public ::testing::Test {
  protected:
    const std::filesystem::path& root() const { return dir_.path(); }
    DecodeOptions options() {
        DecodeOptions o;
        o.learnedColours = &learned_;
        return o;
    }
    MemoryLearnedColours& learned() { return learned_; }

  private:
    tavrin::test::TempDir dir_;
    MemoryLearnedColours learned_;
};

}  // namespace tavrin::raw
