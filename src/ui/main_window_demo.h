#pragma once
// What the main window adds to its caption and status line on a demo run.
namespace varnak {

inline constexpr const char* kDemoCaptionTail = " - DEMO with the practice node, no spot is real";
inline constexpr const char* kDemoStatusHead = "Demo: ";

}  // namespace varnak
