#include "app/freeze_control.h"

#include <QEvent>

#include "core/text.h"

namespace varnak {

FreezeControl::FreezeControl(Callbacks callbacks, QObject* parent)
    : QObject(parent), callbacks_(std::move(callbacks)) {
  timer_.setInterval(kFreezeMs);
  timer_.setSingleShot(false);
  connect(&timer_, &QTimer::timeout, this, &FreezeControl::EndFreeze);
}

void FreezeControl::StartFreeze() {
  frozen_ = true;
  timer_.start(kFreezeMs);
  if (callbacks_.showPanel) callbacks_.showPanel(true);
}

bool FreezeControl::HoldIfFrozen(Source source, std::string_view line) {
  if (!frozen_ || source == Source::Telnet) return false;
  std::string& buffer = source == Source::PacketNode ? heldNodeLines_ : heldMonitorLines_;
  buffer.append(line);
  buffer += '\r';
  return true;
}

void FreezeControl::ShortenOnMouseOver(QObject* watched) {
  if (watched) watched->installEventFilter(this);
}

bool FreezeControl::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::Enter:
    case QEvent::MouseMove:
    case QEvent::HoverEnter:
    case QEvent::HoverMove:
      if (frozen_) ShortenForMouse();
      break;
    default:
      break;
  }
  return QObject::eventFilter(watched, event);
}

void FreezeControl::SetInterval(int ms) {
  if (timer_.isActive())
    timer_.start(ms);
  else
    timer_.setInterval(ms);
}

std::string FreezeControl::TakeLine(std::string& buffer) {
  size_t cr = buffer.find('\r');
  std::string line = Trim(std::string_view(buffer).substr(0, cr));
  if (cr == std::string::npos) {
    buffer.clear();
  } else {
    size_t next = cr + 1;
    while (next < buffer.size() && static_cast<unsigned char>(buffer[next]) <= 32) ++next;
    buffer.erase(0, next);
  }
  return line;
}

void FreezeControl::EndFreeze() {
  frozen_ = false;
  timer_.stop();
  if (callbacks_.showPanel) callbacks_.showPanel(false);

  // A classified line might start a new freeze; whatever is still held then stays held,
  // in order, for the end of that one.
  while (!frozen_ && !heldNodeLines_.empty()) {
    std::string line = TakeLine(heldNodeLines_);
    if (callbacks_.classifyLine) callbacks_.classifyLine(line);
  }
  while (!frozen_ && !heldMonitorLines_.empty()) {
    std::string line = TakeLine(heldMonitorLines_);
    bool nodeConnected = callbacks_.nodeConnected && callbacks_.nodeConnected();
    if (!nodeConnected && callbacks_.classifyLine) callbacks_.classifyLine(line);
  }
}

}  // namespace varnak
