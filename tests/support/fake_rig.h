#pragma once
// A rig link that answers at once from the event loop, for window tests that need a
// radio doing something rigctld's dummy cannot: refuse a mode, report odd values.
#include <QTimer>
#include <QStringList>
#include <array>

#include "links/rig_control.h"

namespace varnak::test {

class FakeRig : public RigControl {
 public:
  QStringList calls;       // "Connect", "F 14025500", "M CW", "X 14030000 CW", "X off", "Refresh"
  QString modeError;       // when set, SetMode fails with it
  QString splitError;      // when set, SetSplit fails with it
  QList<RigMode> offered;  // the radio's modes; empty: not known
  long long frequency = 14025500;
  std::optional<RigMode> mode = RigMode::CW;

  void Connect(const QString&, int, Done done) override {
    calls << "Connect";
    Later(done, {}, [this] { usable_ = true; });
  }
  void Disconnect() override { usable_ = false; }
  bool Usable() const override { return usable_; }
  void SetFrequency(long long hz, Done done) override {
    calls << QString("F %1").arg(hz);
    Later(done, {}, [this, hz] { frequency = hz; });
  }
  void SetMode(RigMode m, Done done) override {
    calls << QString("M %1").arg(NameOf(m));
    Later(done, modeError, [this, m] {
      if (modeError.isEmpty()) mode = m;
    });
  }
  void SetSplit(std::optional<long long> txHz, RigMode m, Done done) override {
    calls << (txHz ? QString("X %1 %2").arg(*txHz).arg(NameOf(m)) : QString("X off"));
    Later(done, splitError, [] {});
  }
  bool Offers(RigMode m) const override { return offered.isEmpty() || offered.contains(m); }
  void Refresh(Done done) override { Later(done, {}, [] {}); }
  long long Frequency() const override { return frequency; }
  std::optional<RigMode> Mode() const override { return mode; }
  std::string ModeName() const override { return mode ? NameOf(*mode) : ""; }
  std::string ModelName() const override { return "Fake"; }
  // The radio's own change, as a poll would find it; none is a mode of no name here.
  void Report(long long hz, std::optional<RigMode> m) {
    frequency = hz;
    mode = m;
    emit OnParamsChange();
  }

 private:
  static const char* NameOf(RigMode m) {
    static constexpr std::array<const char*, kRigModeCount + 1> kNames = {"CW",  "CWR", "USB", "LSB", "DIG",
                                                                          "DIGR", "AM",  "FM",  "RTTY"};
    return kNames[static_cast<size_t>(m)];
  }
  template <class Effect>
  void Later(Done done, QString error, Effect effect) {
    QTimer::singleShot(0, this, [done, error, effect] {
      effect();
      if (done) done(error);
    });
  }
  bool usable_ = false;
};

}  // namespace varnak::test
