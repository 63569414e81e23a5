#include "app/keep_alive.h"

namespace varnak {

KeepAlive::KeepAlive(Link link, std::chrono::milliseconds interval, QObject* parent)
    : QObject(parent), link_(std::move(link)) {
  timer_.setInterval(interval);
  connect(&timer_, &QTimer::timeout, this, [this] { Tick(); });
}

bool KeepAlive::Tick() {
  if (!link_.packetLink || !link_.packetLink()) return false;
  if (!link_.nodeConnected || !link_.nodeConnected()) return false;
  if (!link_.sendConnectedData) return false;
  link_.sendConnectedData(std::string("\r"));
  return true;
}

}  // namespace varnak
