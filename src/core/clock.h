#pragma once
// The wall clock, behind an interface so that tests can fix the time of time stamps
// and dates.
#include <chrono>
#include <memory>

namespace varnak {

struct DateTime {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, millisecond = 0;
};

class Clock {
 public:
  virtual ~Clock() = default;
  virtual DateTime LocalNow() const = 0;
  virtual DateTime UtcNow() const = 0;
};

// The operating system's clock.
class SystemClock : public Clock {
 public:
  DateTime LocalNow() const override;
  DateTime UtcNow() const override;
};

// A clock that stands still until told otherwise.
class FixedClock : public Clock {
 public:
  explicit FixedClock(DateTime local, DateTime utc = {}) : local_(local), utc_(utc) {}
  DateTime LocalNow() const override { return local_; }
  DateTime UtcNow() const override { return utc_; }
  void Set(DateTime local, DateTime utc = {}) { local_ = local; utc_ = utc; }

 private:
  DateTime local_, utc_;
};

}  // namespace varnak
