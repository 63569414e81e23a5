#include "core/clock.h"

#include <ctime>

namespace varnak {

namespace {
DateTime FromTm(const std::tm& tm, int ms) {
  return DateTime{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec, ms};
}

// The views ask for the time for every cell they paint; the conversion to local time is
// the costly part, and it only changes from one second to the next.
struct SecondCache {
  std::time_t second = -1;
  std::tm tm{};
};

template <typename Convert>
DateTime Now(Convert convert, SecondCache& cache) {
  auto now = std::chrono::system_clock::now();
  std::time_t t = std::chrono::system_clock::to_time_t(now);
  int ms = static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000);
  if (t != cache.second) {
    convert(&t, &cache.tm);
    cache.second = t;
  }
  return FromTm(cache.tm, ms);
}
}  // namespace

DateTime SystemClock::LocalNow() const {
  thread_local SecondCache cache;
  return Now(localtime_r, cache);
}

DateTime SystemClock::UtcNow() const {
  thread_local SecondCache cache;
  return Now(gmtime_r, cache);
}

}  // namespace varnak
