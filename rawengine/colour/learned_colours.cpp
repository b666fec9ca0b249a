#include "rawengine/colour/learned_colours.hpp"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <vector>

namespace tavrin::raw {
namespace {

constexpr std::size_t kNumbers = 13;  // 9 matrix entries, 3 gains, the file count
// Counts beyond this add nothing to an average and could overflow a damaged value's arithmetic.
constexpr int kMaxFiles = 1000000;
constexpr float kMaxEntry = 6, kMaxGain = 64;

}  // namespace

std::string formatLearnedColour(const LearnedColour& learned) {
    std::string text;
    char number[32];
    for (const auto& row : learned.fit.matrix) {
        for (float v : row) {
            std::snprintf(number, sizeof number, "%.6g ", static_cast<double>(v));
            text += number;
        }
    }
    for (float v : learned.fit.balance) {
        std::snprintf(number, sizeof number, "%.6g ", static_cast<double>(v));
        text += number;
    }
    return text + std::to_string(learned.files);
}

std::optional<LearnedColour> parseLearnedColour(std::string_view text) {
    std::vector<double> numbers;
    const char* p = text.data();
    const char* end = text.data() + text.size();
    while (p < end) {
        if (*p == ' ') {
            ++p;
            continue;
        }
        double v = 0;
        const auto [next, error] = std::from_chars(p, end, v);
        if (error != std::errc() || !std::isfinite(v) || numbers.size() == kNumbers)
            return std::nullopt;
        numbers.push_back(v);
        p = next;
    }
    if (numbers.size() != kNumbers) return std::nullopt;
    LearnedColour learned;
    for (std::size_t i = 0; i < 9; ++i) {
        if (std::fabs(numbers[i]) > kMaxEntry) return std::nullopt;
        learned.fit.matrix[i / 3][i % 3] = static_cast<float>(numbers[i]);
    }
    for (std::size_t i = 0; i < 3; ++i) {
        if (!(numbers[9 + i] >= 1 && numbers[9 + i] <= kMaxGain)) return std::nullopt;
        learned.fit.balance[i] = static_cast<float>(numbers[9 + i]);
    }
    const double files = numbers[12];
    if (files != std::floor(files) || files < 1 || files > kMaxFiles) return std::nullopt;
    learned.files = static_cast<int>(files);
    return learned;
}

std::optional<LearnedColour> readLearnedColour(const LearnedColourStore& store,
                                               std::string_view model) {
    const std::string text = store.read(model);
    return text.empty() ? std::nullopt : parseLearnedColour(text);
}

LearnedColour rememberColourFit(LearnedColourStore& store, std::string_view model,
                                const ColourFit& fit) {
    // This file alone, also when the store cannot be written.
    LearnedColour learned{fit, 1};
    store.update(model, [&](std::string_view text) {
        learned = {fit, 1};
        if (const auto before = parseLearnedColour(text)) {
            const int n = std::min(before->files, kMaxFiles - 1);
            const auto mix = [n](float old, float now) { return (old * n + now) / (n + 1); };
            for (int r = 0; r < 3; ++r) {
                for (int c = 0; c < 3; ++c)
                    learned.fit.matrix[r][c] = mix(before->fit.matrix[r][c], fit.matrix[r][c]);
                learned.fit.balance[r] = mix(before->fit.balance[r], fit.balance[r]);
            }
            learned.files = n + 1;
        }
        return formatLearnedColour(learned);
    });
    return learned;
}

}  // namespace tavrin::raw
