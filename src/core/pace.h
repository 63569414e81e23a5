#pragma once
// When a rate-limited action (a list refresh, the relay's write, a caption) may run
// again. A run that falls due within a few milliseconds is done now, with the work that
// asked for it: a flood is read in paces a little shorter than the refresh interval, and
// waking the program again 5 ms later for the refresh cost as much as the refresh.
#include <algorithm>
#include <cstdint>

namespace varnak {

// Milliseconds to wait before the next run, given the time since the last one; 0 means
// now.
inline int MsUntilDue(std::int64_t sinceMs, int intervalMs) {
  const std::int64_t remaining = intervalMs - sinceMs;
  const int early = std::min(10, intervalMs / 10);
  return remaining <= early ? 0 : static_cast<int>(remaining);
}

}  // namespace varnak
