#pragma once
// The shell object's dialog resources as the hosts and tests see them: the property pages'
// template ids, their control ids, and the pixel sizes of the owner-drawn controls.

namespace tavrin::resources {

// The image-information page: summary and extra-information text boxes.
inline constexpr int kInformationPageTemplate = 102;
inline constexpr int kSummaryControl = 201;
inline constexpr int kExtraInfoControl = 202;

// The histogram page: two owner-drawn controls, the histogram below the preview.
inline constexpr int kHistogramPageTemplate = 207;
inline constexpr int kHistogramControl = 203;
inline constexpr int kPreviewControl = 204;
inline constexpr int kPreviewWidth = 366, kPreviewHeight = 300;
inline constexpr int kHistogramWidth = 255, kHistogramHeight = 118;

}  // namespace tavrin::resources
