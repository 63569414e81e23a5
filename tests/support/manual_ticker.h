#pragma once
// The beat of a countdown, stepped by the test: minutes of back-off in no time.
#include "telnet/second_ticker.h"

namespace varnak::test {

class ManualTicker : public SecondTicker {
 public:
  void Start() override { running_ = true; }
  void Stop() override { running_ = false; }
  bool Running() const override { return running_; }
  // Lets the seconds pass; the beats stop as soon as the owner stops the ticker.
  void Pass(int seconds) {
    for (int i = 0; i < seconds && running_; ++i)
      if (onSecond) onSecond();
  }

 private:
  bool running_ = false;
};

}  // namespace varnak::test
