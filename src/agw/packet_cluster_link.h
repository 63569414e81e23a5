#pragma once
// The cluster link over AX.25, through a packet engine.
//
// Responsibilities: the engine connection (opened at start-up and by a new setup,
// reopened by itself when lost, later each time), every engine event: the callsign
// registration and the station's ID beacon, the node connection (connect, a disconnect
// that lets the engine send the "b" first, the keep-alive's CR), cutting the node's
// connected data into lines, turning away strangers who connect instead of the node
// with the busy text, and the monitor text and heard list for the packet windows.
//
// Collaborations: AGWInterface1 speaks the engine's frames; LinkSettings gives the
// calls, the port and the engine's address at the moment of use; the station
// classifies its lines (holding the node's while the lists are frozen) and the
// monitor text; the "Monitor" and "Mheard" windows follow its signals.
//
// Texts are Windows-1252 bytes in std::string.
#include <QElapsedTimer>
#include <QTimer>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "agw/agw_interface.h"
#include "links/cluster_link.h"

namespace varnak {

class PacketClusterLink : public ClusterLink {
  Q_OBJECT
 public:
  // A stranger who connected instead of the node hears the busy text; this long later
  // the engine is told to drop it.
  static constexpr int kBusyDisconnectMs = 4000;
  // A node line that never ends is cut at this length and classified piecewise, instead
  // of the buffer growing without bound.
  static constexpr std::size_t kMaxNodeLine = 64 * 1024;
  // A lost engine is reopened after 1 s, then 2 s, 4 s ... at most 60 s between tries.
  static constexpr int kReconnectFirstMs = 1000;
  static constexpr int kReconnectMaxMs = 60000;
  // "Disconnect" lets the engine send what it still holds for the node (the "b") first,
  // but waits no longer than this.
  static constexpr int kDisconnectWaitMs = 3000;
  static constexpr int kOutstandingPollMs = 250;
  // Engines that keep no heard list never answer the question.
  static constexpr int kHeardWaitMs = 3000;
  static constexpr const char* kEngineLost = "*** Packet engine connection lost";
  static constexpr const char* kNoHeardList = "The packet engine sent no heard list";

  // logFolder: where the engine's frame log goes (the station folder).
  PacketClusterLink(const LinkSettings& settings, const std::string& logFolder, QObject* parent = nullptr);
  ~PacketClusterLink() override;

  TAGWInterface AGWInterface1;
  int BusyDisconnectMs = kBusyDisconnectMs;
  int ReconnectFirstMs = kReconnectFirstMs;
  int ReconnectMaxMs = kReconnectMaxMs;
  int DisconnectWaitMs = kDisconnectWaitMs;
  int OutstandingPollMs = kOutstandingPollMs;
  int HeardWaitMs = kHeardWaitMs;
  // From the node's connect until its first prompt, at most this long, a "login:" or
  // "password:" at the end of the node's data is taken as a prompt.
  int LoginPhaseMs = 60000;

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
  void AGWInterface1ConnectionOutstandingFrames(TAGWInterface* Sender, int Port, const std::string& FromCall,
                                                const std::string& ToCall, int FrameCount);

  // "Connect" with no engine is refused (and the operator told why) before it shows
  // "Trying" and "Disconnect"; the node's connect is the login.
  void Connect() override;
  // "b" to a node that is there; the disconnect request always goes, so a connect the
  // node has not answered yet can still be called off.
  void Disconnect() override;
  // One operator line to the node, CR added. Refused (reported, false) while no node is
  // connected: engines misbehave on data for a link that does not exist.
  bool Send(const std::string& text) override;
  // text + CR to the connected node, no echo (the keep-alive).
  bool SendQuiet(const std::string& text) override;
  // The engine at the configured address, and CloseEngine.
  void Open() override;
  void Close() override { CloseEngine(); }
  bool ConnectCanBeCalledOff() const override { return true; }

  bool EngineConnected() const { return engineConnected_; }
  bool NodeConnected() const { return nodeConnected_; }

  // The engine connection as the start-up, the setup dialog and shutdown open and close
  // it. Between the two, a lost connection is reopened by itself.
  void OpenEngine(const std::string& host, const std::string& port);
  void CloseEngine();
  bool Reconnecting() const { return reconnectTimer_.isActive(); }
  int NextReconnectMs() const { return reconnectMs_; }

  // Run for each connect or data notice while no node is connected. The node sets the
  // link up; anyone else hears the busy text and is disconnected BusyDisconnectMs later,
  // by a timer, so the window and the frames behind this one keep flowing.
  void AcceptPacketConnection(int Port, const std::string& FromCall, const std::string& ToCall);

  // False (and the operator told why) while there is no engine to make the connection.
  bool CanConnect();
  bool StartPacketLink();
  // With the node connected, the disconnect request waits until the engine has sent
  // everything queued for it, or DisconnectWaitMs.
  void StopPacketLink();
  bool DisconnectPending() const { return disconnectDeadline_.isActive(); }
  void SendConnectedData(int Port, const std::string& FromCall, const std::string& Text, const std::string& ToCall);
  void DisconnectStation(int Port, const std::string& OwnCall, const std::string& RemoteCall);

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
  static std::string NoEngineText(const std::string& host, const std::string& port, const std::string& connectCall,
                                  bool retrying);
  // Monitored text as the monitor window shows it: control bytes but CR as ".".
  static std::string PrintableMonitorText(const std::string& data);

 signals:
  void engineStateChanged(bool connected);
  // Monitored frames as received, for the classifier to cut into lines.
  void monitoredText(const std::string& text);
  // Text for the monitor window (Showdata).
  void monitorWindowText(const std::string& text);
  // The heard window: emptied, then one line at a time at its end.
  void heardCleared();
  void heardLine(const std::string& line);

 private:
  void Status(const std::string& text) { emit statusText(text); }
  void Classify(const std::string& line) { emit noticeLine(line); }
  void CutNodeLines();
  void CloseLoginPrompt();
  bool LoggingIn() const;
  void NodeLine(const std::string& line);
  void MonitorText(const std::string& data);
  // The node link is gone (or never came): state, buttons and half a line cleared.
  void NodeLinkDown();
  void ScheduleReconnect(const std::string& why);
  void FinishDisconnect();
  bool IsNodeLink(const std::string& a, const std::string& b) const;
  // A program line in the pane, once per kind of failure.
  void ReportFailureOnce(const std::string& kind, const std::string& line);

  const LinkSettings& settings_;
  bool engineConnected_ = false;
  bool nodeConnected_ = false;
  std::string nodeLineBuffer_;
  bool loggingIn_ = false, loginCrAdded_ = false, passwordCrAdded_ = false;
  QElapsedTimer loginClock_;
  std::vector<std::string> portNames_;
  int lastHeardPort_ = -1;
  bool heardWindowMode_ = false;
  // Strangers told "busy" whose disconnect is still to come: (port, own call, their call).
  std::set<std::tuple<int, std::string, std::string>> strangers_;
  bool engineWanted_ = false;
  bool engineLost_ = false;
  int reconnectMs_ = kReconnectFirstMs;
  QTimer reconnectTimer_;
  QTimer disconnectDeadline_;
  QTimer outstandingPoll_;
  QTimer heardTimer_;
  bool heardAnswered_ = false;
  std::set<std::string> failuresReported_;
};

}  // namespace varnak
