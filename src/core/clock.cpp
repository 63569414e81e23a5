#include "core/clock.h"

#include <ctime>

namespace varnak {

namespace {
DateTime FromTm(const std::tm& tm, int ms) {
  return DateTime{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec, ms};
}

template <typename Convert>
DateTime Now(Convert convert) {
  auto now = std::chrono::system_clock::now();
  std::time_t t = std::chrono::system_clock::to_time_t(now);
  int ms = static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000);
  std::tm tm{};
  convert(&t, &tm);
  return FromTm(tm, ms);
}
}  // namespace

DateTime SystemClock::LocalNow() const { return Now(localtime_r); }
DateTime SystemClock::UtcNow() const { return Now(gmtime_r); }

}  // namespace varnak
