#pragma once
// A beat once a second, behind an interface so that tests can step through minutes of
// waiting (the reconnect back-off) without waiting for them.
//
// Responsibilities: call onSecond once a second while started; nothing after Stop.
#include <QTimer>
#include <functional>

namespace varnak {

class SecondTicker {
 public:
  virtual ~SecondTicker() = default;
  // Set once by the owner, before the first Start.
  std::function<void()> onSecond;
  // (Re)starts the beat; the first call comes one second from now.
  virtual void Start() = 0;
  virtual void Stop() = 0;
  virtual bool Running() const = 0;
};

// The event loop's timer.
class TimerTicker : public SecondTicker {
 public:
  TimerTicker() {
    timer_.setInterval(1000);
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      if (onSecond) onSecond();
    });
  }
  void Start() override { timer_.start(); }
  void Stop() override { timer_.stop(); }
  bool Running() const override { return timer_.isActive(); }

 private:
  QTimer timer_;
};

}  // namespace varnak
