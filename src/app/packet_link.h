#pragma once
// The cluster node over AX.25: the session side of the packet engine. Owns the engine
// client AGWInterface1, handles every engine event the main window listens to, cuts the
// node's connected data into lines for the classifier, and starts, stops and feeds the
// node connection for the connection control. The two packet windows ("Monitor",
// "Mheard") are reached through the Windows hooks only, so this runs headless.
//
// Texts are Windows-1252 bytes in std::string.
#include <QObject>
#include <functional>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "agw/agw_interface.h"

namespace varnak {

class Station;

class PacketLink : public QObject {
  Q_OBJECT
 public:
  // A stranger who connected instead of the node hears the busy text; this long later
  // the engine is told to drop it.
  static constexpr int kBusyDisconnectMs = 4000;
  // A node line that never ends is cut at this length and classified piecewise, instead
  // of the buffer growing without bound.
  static constexpr std::size_t kMaxNodeLine = 64 * 1024;

  struct Windows {
    std::function<void(const std::string&)> showdata;     // the monitor window's Showdata
    std::function<void()> clearHeard;                      // empty the heard window
    std::function<void(const std::string&)> addHeardLine;  // one line at its end
    std::function<void(bool)> setUpdateEnabled;            // the "Update" button
  };

  explicit PacketLink(Station& station, QObject* parent = nullptr);
  ~PacketLink() override;

  TAGWInterface AGWInterface1;
  Windows windows;
  // Where the link's own lines go (node lines, engine notices, banners); the station's
  // ClassifyLine unless replaced.
  std::function<void(const std::string&)> classifyLine;
  int BusyDisconnectMs = kBusyDisconnectMs;

  // Engine events.
  void AGWInterface1AGWConnecting(TAGWInterface* Sender);
  void AGWInterface1AGWConnect(TAGWInterface* Sender);
  void AGWInterface1AGWDisconnect(TAGWInterface* Sender);
  void AGWInterface1Error(TAGWInterface* Sender, int ErrorCode, const std::string& ErrorText);
  void AGWInterface1CallsignRegistration(TAGWInterface* Sender, const std::string& Callsign, bool Success);
  void AGWInterface1VersionInfo(TAGWInterface* Sender, const TAGWVersionData& Version);
  void AGWInterface1PortInformation(TAGWInterface* Sender, int Count, const std::vector<std::string>& PortInfo);
  void AGWInterface1StationsHeard(TAGWInterface* Sender, int Port, const std::string& Station,
                                  const std::string& StationInfo);
  void AGWInterface1ConnectionReceived(TAGWInterface* Sender, int Port, const std::string& FromCall,
                                       const std::string& ToCall, const std::string& Data, int DataSize);
  void AGWInterface1DisconnectedEvent(TAGWInterface* Sender, int Port, const std::string& FromCall,
                                      const std::string& ToCall, const std::string& Data, int DataSize);
  void AGWInterface1ConnectedData(TAGWInterface* Sender, int Port, int PID, const std::string& FromCall,
                                  const std::string& ToCall, const std::string& Data, int DataSize);
  void AGWInterface1MonitoredConnectedInformation(TAGWInterface* Sender, int Port, const std::string& FromCall,
                                                  const std::string& ToCall, const std::string& Data, int DataSize);
  void AGWInterface1MonitoredSupervisoryInformation(TAGWInterface* Sender, int Port, const std::string& FromCall,
                                                    const std::string& ToCall, const std::string& Data,
                                                    int DataSize);
  void AGWInterface1MonitoredUnprotoInformation(TAGWInterface* Sender, int Port, const std::string& FromCall,
                                                const std::string& ToCall, const std::string& Data, int DataSize);
  void AGWInterface1MonitorOwnInformationEvent(TAGWInterface* Sender, int Port, int PID,
                                               const std::string& FromCall, const std::string& ToCall,
                                               const std::string& Data, int DataSize);

  // Run for each connect or data notice while no node is connected. The node sets the
  // link up; anyone else hears the busy text and is disconnected BusyDisconnectMs later,
  // by a timer, so the window and the frames behind this one keep flowing.
  void AcceptPacketConnection(int Port, const std::string& FromCall, const std::string& ToCall);

  // What the connection control asks of the packet link.
  void StartPacketLink();
  void StopPacketLink();
  // One operator line to the node, CR added. Refused (reported, false) while no node is
  // connected: engines misbehave on data for a link that does not exist.
  bool SendPacketData(const std::string& text);
  void SendConnectedData(int Port, const std::string& FromCall, const std::string& Text, const std::string& ToCall);
  void DisconnectStation(int Port, const std::string& OwnCall, const std::string& RemoteCall);
  // The keep-alive's CR to the node (no echo).
  void SendKeepAlive(const std::string& text);

  // Monitor window text (lines at CR; the window keeps its last few thousand characters).
  void Showdata(const std::string& text);
  // The "Mheard" button's session part: from now on the port list stays out of the
  // cluster pane; the answer refills the heard window.
  void MheardButtonClick();

  const std::string& NodeLineBuffer() const { return nodeLineBuffer_; }
  const std::vector<std::string>& PortNames() const { return portNames_; }
  int LastHeardPort() const { return lastHeardPort_; }
  bool HeardWindowMode() const { return heardWindowMode_; }
  std::size_t StrangersWaiting() const { return strangers_.size(); }

  static std::string BusyText(const std::string& clientBanner, const std::string& toCall,
                              const std::string& connectCall);
  static std::string NotConnectedText(const std::string& connectCall);

 private:
  void Status(const std::string& text);
  void Classify(const std::string& line);
  void CutNodeLines();
  void NodeLine(const std::string& line);

  Station& station_;
  std::string nodeLineBuffer_;
  std::vector<std::string> portNames_;
  int lastHeardPort_ = -1;
  bool heardWindowMode_ = false;
  // Strangers told "busy" whose disconnect is still to come: (port, own call, their call).
  std::set<std::tuple<int, std::string, std::string>> strangers_;
};

}  // namespace varnak
