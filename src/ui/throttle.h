#pragma once
// Runs an action at most once per interval however often it is asked for: the first
// request after a quiet spell runs at once, the others of a busy spell once, when the
// interval is over. What a view shows of a spot flood is refreshed this way.
#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <functional>

#include "core/pace.h"

namespace varnak {

class Throttle : public QObject {
 public:
  Throttle(int intervalMs, std::function<void()> action, QObject* parent = nullptr)
      : QObject(parent), intervalMs_(intervalMs), action_(std::move(action)) {
    timer_.setSingleShot(true);
    connect(&timer_, &QTimer::timeout, this, &Throttle::RunNow);
  }

  void Request() {
    if (timer_.isActive()) return;
    if (const int wait = Wait(); wait == 0) {
      RunNow();
    } else {
      timer_.start(wait);
    }
  }
  // As Request(), but a due run waits for the event loop's next turn, so that what the
  // caller is in the middle of (a model's change signal) is over before the action.
  void Schedule() {
    if (timer_.isActive()) return;
    timer_.start(Wait());
  }
  bool Pending() const { return timer_.isActive(); }
  // Runs at once; a request waiting is taken care of by this run.
  void RunNow() {
    timer_.stop();
    last_.start();
    action_();
  }

 private:
  int Wait() const { return last_.isValid() ? MsUntilDue(last_.elapsed(), intervalMs_) : 0; }

  int intervalMs_;
  std::function<void()> action_;
  QTimer timer_;
  QElapsedTimer last_;
};

}  // namespace varnak
