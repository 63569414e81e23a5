// Any byte stream from the packet engine, in reads of any size, is cut into frames
// and dispatched without crashing or waiting for ever.
#include <QCoreApplication>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "agw/agw_interface.h"

using namespace varnak;

namespace {

QCoreApplication& App() {
  static int argc = 1;
  static char name[] = "fuzz_agw_frames";
  static char* argv[] = {name, nullptr};
  static QCoreApplication app(argc, argv);
  return app;
}

void WireEvents(TAGWInterface& c, std::size_t& sink) {
  c.OnError = [&](TAGWInterface*, int code, const std::string& text) { sink += code + text.size(); };
  c.OnConnectedData = [&](TAGWInterface* s, int port, int pid, const std::string& from, const std::string& to,
                          const std::string& data, int size) {
    sink += port + pid + from.size() + to.size() + data.size() + size;
    // Handlers may send; without a connection that only logs.
    s->SendConnectedData(port, to, from, data);
  };
  c.OnMonitorOwnInformationEvent = c.OnConnectedData;
  auto text = [&](TAGWInterface*, int port, const std::string& from, const std::string& to, const std::string& data,
                  int size) { sink += port + from.size() + to.size() + data.size() + size; };
  c.OnConnectionReceived = text;
  c.OnDisconnectedEvent = text;
  c.OnMonitoredConnectedInformation = text;
  c.OnMonitoredSupervisoryInformation = text;
  c.OnMonitoredUnprotoInformation = text;
  c.OnMonitoredInformationRaw = [&](TAGWInterface*, int, const std::string&, const std::string&,
                                    const std::vector<std::uint8_t>& data, int size) {
    if (data.size() != static_cast<std::size_t>(size)) std::abort();
  };
  c.OnCallsignRegistration = [&](TAGWInterface*, const std::string& call, bool ok) { sink += call.size() + ok; };
  c.OnConnectionOutstandingFrames = [&](TAGWInterface*, int, const std::string&, const std::string&, int n) {
    sink += n;
  };
  c.OnOutstandingFrames = [&](TAGWInterface*, int port, int n) { sink += port + n; };
  c.OnPortCapabilities = [&](TAGWInterface*, int, const TPortCapabilities& caps) { sink += caps.BytesReceived; };
  c.OnPortInformation = [&](TAGWInterface*, int count, const std::vector<std::string>& ports) {
    if (static_cast<std::size_t>(count) != ports.size()) std::abort();
  };
  c.OnStationsHeard = [&](TAGWInterface*, int, const std::string& station, const std::string& info) {
    if (station.empty()) std::abort();
    sink += info.size();
  };
  c.OnVersionInfo = [&](TAGWInterface*, const TAGWVersionData& v) { sink += v.Major + v.Minor; };
  c.OnUnknownPacketType = [&](TAGWInterface*, const TAGWFrameHeader& h) { sink += h.DataSize; };
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  App();
  // The log folder cannot be made, so the writer stops at once: entries are still
  // formatted for OnEntryAdded but nothing reaches the disk.
  TAGWInterface client("/dev/null/varnak-fuzz");
  client.LogSettings().SetLogDetails(true);
  client.LogSettings().SetLogFrames(size % 2 == 0);
  std::size_t sink = 0;
  client.Logger().OnEntryAdded = [&](const std::string& e) { sink += e.size(); };
  WireEvents(client, sink);

  // The first byte sets the read size, so frames split at every boundary.
  if (size == 0) return 0;
  const std::size_t chunk = data[0] % 64 + 1;
  std::string_view stream(reinterpret_cast<const char*>(data) + 1, size - 1);
  for (std::size_t pos = 0; pos < stream.size(); pos += chunk) {
    client.ReceiveBytes(stream.substr(pos, chunk));
    while (client.DispatchOne()) {
    }
  }
  return sink == 42 ? 0 : 0;
}
