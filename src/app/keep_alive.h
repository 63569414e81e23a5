#pragma once
// The keep-alive: every five minutes a connected packet link sends the node one CR, so
// that neither the node nor a digipeater drops an idle AX.25 link. On a Telnet link, or
// while no node is connected, a tick sends nothing. The CR is not echoed anywhere.
#include <QObject>
#include <QTimer>
#include <chrono>
#include <functional>
#include <string>

namespace varnak {

class KeepAlive : public QObject {
  Q_OBJECT
 public:
  static constexpr std::chrono::milliseconds kInterval{300000};

  struct Link {
    std::function<bool()> packetLink;     // `Telnet` = 0
    std::function<bool()> nodeConnected;  // NodeConnected
    // SendConnectedData(AX25port, MyCall, ConnectCall, text) on the packet engine.
    std::function<void(const std::string&)> sendConnectedData;
  };

  explicit KeepAlive(Link link, std::chrono::milliseconds interval = kInterval, QObject* parent = nullptr);

  // KeepAliveTimer runs from creation of the main window (Start) to shutdown (Stop).
  // The window stops it while the operator sends and starts it anew after.
  void Start() {
    timer_.start();
    emit started();
  }
  void Stop() {
    timer_.stop();
    emit stopped();
  }
  bool Active() const { return timer_.isActive(); }
  void SetInterval(std::chrono::milliseconds interval) { timer_.setInterval(interval); }

  // One timer tick; true when the CR was sent.
  bool Tick();

 signals:
  void started();
  void stopped();

 private:
  Link link_;
  QTimer timer_;
};

}  // namespace varnak
