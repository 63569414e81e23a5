// Feeds arbitrary bytes to the classifier as cluster lines (split at LF) and to the
// listing reformat. Any byte sequence is a valid line: nothing may crash, and no list
// may lose its rows.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "app/classifier.h"

using namespace varnak;

namespace {

class FuzzHost : public ClassifierHost {
 public:
  explicit FuzzHost(Classifier*& classifier) : classifier_(classifier) {}
  const std::string& MyCall() const override { return myCall_; }
  const std::string& ConnectCall() const override { return node_; }
  const std::string& Password() const override { return node_; }
  int Telnet() const override { return telnet; }
  int TelnetOut() const override { return 1; }
  bool Sound() const override { return true; }
  bool TelnetConnected() const override { return true; }
  bool NodeConnected() const override { return nodeConnected; }
  bool Frozen() const override { return frozen; }
  const Clock& GetClock() const override { return clock_; }
  void SendTelnetLine(const std::string&) override {}
  void SendLine(const std::string& text) override { classifier_->ClassifyLine(text); }
  void RelayLine(const std::string&) override {}

  int telnet = 1;
  bool nodeConnected = false, frozen = false;

 private:
  Classifier*& classifier_;
  std::string myCall_ = "Q1ABC", node_ = "Q9NODE";
  FixedClock clock_{DateTime{2026, 12, 6, 21, 7, 45}};
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  if (size == 0) return 0;
  Classifier* classifier = nullptr;
  FuzzHost host(classifier);
  host.telnet = data[0] & 1;
  host.nodeConnected = data[0] & 2;
  host.frozen = data[0] & 4;
  FixedClock clock(DateTime{2026, 12, 6, 21, 7, 45});
  SpotLists lists(clock);
  ClusterTextModel pane;
  TalkModel talk;
  UserListModel users;
  Classifier c(host, lists, pane, talk, users);
  classifier = &c;
  c.SetLoggingIn(data[0] & 8);

  size_t start = 1;
  while (start <= size) {
    size_t end = input.find('\n', start);
    if (end == std::string_view::npos) end = size;
    const std::string_view line = input.substr(start, end - start);
    bool reformatted = false;
    const std::string spot = ReformatShowDx(line, &reformatted);
    if (reformatted && spot.rfind("DX de ", 0) != 0) abort();
    c.ClassifyLine(line);
    c.AddMonitorText(line);
    start = end + 1;
  }
  for (int i = 0; i < kSpotListCount; ++i)
    if (lists.List(i)->rowCount() < 1) abort();
  if (c.Busy()) abort();
  return 0;
}
