#pragma once
// RigControl: the program's one window on the radio, through a rig-control server.
//
// Responsibilities:
//  - hold one connection to the server and say whether the server is usable;
//  - read and write the radio's frequency in Hz and its mode, in the program's own
//    modes (RigMode): a server's names for them stay inside its implementation;
//  - say which modes the radio offers, and set or clear its split (transmitting on
//    another frequency than it receives on);
//  - notice changes the radio reports (the operator turning the dial) and raise
//    OnParamsChange only when the frequency or the mode has changed;
//  - never make its caller wait: every call returns at once and its outcome arrives
//    later on the event loop, an empty error text meaning success;
//  - report a broken link once through Failed, and drop what was still pending.
//
// The server may serve other programs at the same time, so an implementation keeps
// no request of its own outstanding for long.
#include <QObject>
#include <QString>
#include <functional>
#include <optional>
#include <string>

#include "core/band_plan.h"

namespace varnak {

// The radio's frequency as the box shows it: the Hz less the last two digits, with
// "." before the last remaining one; 14025500 gives "14025.5".
std::string RigFrequencyText(long long hz);
// 14025500 gives "14.025500".
std::string MegahertzText(long long hz);

// Frequencies the radio may report or be tuned to: above 0 and below 1 THz.
inline constexpr long long kMaxRigHz = 999'999'999'999;
inline bool IsRigFrequency(long long hz) { return hz > 0 && hz <= kMaxRigHz; }

class RigControl : public QObject {
  Q_OBJECT
 public:
  using Done = std::function<void(const QString& error)>;

  explicit RigControl(QObject* parent = nullptr) : QObject(parent) {}
  ~RigControl() override = default;

  // Opens the link and checks the server is usable; done tells the outcome. While
  // connected the radio is watched for changes.
  virtual void Connect(const QString& host, int port, Done done) = 0;
  // Closes the link; what is still pending is dropped without its callback.
  virtual void Disconnect() = 0;
  // Connected and found usable.
  virtual bool Usable() const = 0;

  // Writes go out in the order of the calls.
  virtual void SetFrequency(long long hz, Done done) = 0;
  virtual void SetMode(RigMode mode, Done done) = 0;
  // Split on: the radio transmits on txHz in mode; split off (none): on its receive
  // frequency again. done tells the first failure of the steps.
  virtual void SetSplit(std::optional<long long> txHz, RigMode mode, Done done) = 0;
  // Reads frequency and mode now (Frequency() and Mode() hold them when done says so).
  virtual void Refresh(Done done) = 0;

  // What the radio reported last: 0 and none until known. A mode the program has no
  // name for (a radio in RTTY) is none as well.
  virtual long long Frequency() const = 0;
  virtual std::optional<RigMode> Mode() const = 0;
  // The mode as the server itself names it ("PKTUSB"), for the operator; "" until known.
  virtual std::string ModeName() const = 0;
  // Whether the radio has the mode; true while that is not known.
  virtual bool Offers(RigMode mode) const = 0;
  // The radio's model as the server names it ("Dummy"), "" until usable.
  virtual std::string ModelName() const = 0;

 signals:
  void OnParamsChange();
  // The link broke while connected (server gone, no answer, garbled answer).
  void Failed(const QString& error);
};

}  // namespace varnak
