#pragma once
// The client side of the AGW Packet Engine TCP interface.
//
// Responsibilities: one TCP connection to the engine on the user-interface thread;
// requests become frames (split into 255-byte pieces where needed); received bytes
// become frames, each dispatched to its event from its own event-loop turn, in
// arrival order, never from inside the socket's read notification. Errors never
// reach the caller as exceptions: they become OnError and a log line.
#include <QAbstractSocket>
#include <QObject>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "agw/frames.h"
#include "agw/message_logger.h"

class QTcpSocket;

namespace varnak {

class TAGWInterface;

// The numbers the operator knows from the engine's home platform for socket errors
// (10061 refused, 10060 timed out, 11001 host not found ...).
int SocketErrorCode(QAbstractSocket::SocketError error);

// Error codes of OnError beyond the socket's own.
inline constexpr int kAGWErrorInvalidFrame = 1001;
inline constexpr int kAGWErrorOversizedFrame = 1002;

// The client's logging switches plus the settings of its logger.
class TLogSettings {
 public:
  explicit TLogSettings(TAGWInterface& owner) : owner_(owner) {}

  std::string DateFormat() const;
  void SetDateFormat(std::string value);
  bool LogDetails() const { return logDetails_; }
  void SetLogDetails(bool value) { logDetails_ = value; }
  std::string LogEntryFormat() const;
  void SetLogEntryFormat(std::string value);
  bool LogFrames() const { return logFrames_; }
  void SetLogFrames(bool value) { logFrames_ = value; }
  std::string LogFileName() const;
  void SetLogFileName(std::string_view value);
  std::string LogFilePath() const;
  void SetLogFilePath(std::string_view value);
  std::int64_t MaxFileSize() const;
  void SetMaxFileSize(std::int64_t value);
  TThreadPriority Priority() const;
  void SetPriority(TThreadPriority value);
  int PurgeFileDays() const;
  void SetPurgeFileDays(int value);
  std::string TimeStampFormat() const;
  void SetTimeStampFormat(std::string value);
  bool UTC() const;
  void SetUTC(bool value);
  bool ShowLocalZulu() const;
  void SetShowLocalZulu(bool value);

 private:
  TAGWInterface& owner_;
  bool logDetails_ = false;
  bool logFrames_ = false;
};

class TAGWInterface : public QObject {
  Q_OBJECT

 public:
  using TNotifyEvent = std::function<void(TAGWInterface* Sender)>;
  using TAGWInterfaceErrorEvent =
      std::function<void(TAGWInterface* Sender, int ErrorCode, const std::string& ErrorText)>;
  using TCallsignRegistrationEvent =
      std::function<void(TAGWInterface* Sender, const std::string& Callsign, bool Success)>;
  using TConnectedDataEvent =
      std::function<void(TAGWInterface* Sender, int Port, int PID, const std::string& FromCall,
                         const std::string& ToCall, const std::string& Data, int DataSize)>;
  using TConnectionOutstandingFramesEvent = std::function<void(
      TAGWInterface* Sender, int Port, const std::string& FromCall, const std::string& ToCall, int FrameCount)>;
  using TConnectionReceivedEvent =
      std::function<void(TAGWInterface* Sender, int Port, const std::string& FromCall, const std::string& ToCall,
                         const std::string& Data, int DataSize)>;
  using TDisconnectedEvent = TConnectionReceivedEvent;
  using TMonitoredConnectedInformationEvent = TConnectionReceivedEvent;
  using TMonitoredSupervisoryInformationEvent = TConnectionReceivedEvent;
  using TMonitoredUnprotoInformationEvent = TConnectionReceivedEvent;
  using TMonitoredInformationRawEvent =
      std::function<void(TAGWInterface* Sender, int Port, const std::string& FromCall, const std::string& ToCall,
                         const std::vector<std::uint8_t>& Data, int DataSize)>;
  using TMonitorOwnInformationEvent = TConnectedDataEvent;
  using TOutstandingFramesEvent = std::function<void(TAGWInterface* Sender, int Port, int OutstandingFrames)>;
  using TPortCapabilitiesEvent =
      std::function<void(TAGWInterface* Sender, int Port, const TPortCapabilities& PortCapabilities)>;
  using TPortInformationEvent =
      std::function<void(TAGWInterface* Sender, int Count, const std::vector<std::string>& PortInfo)>;
  using TStationsHeardEvent = std::function<void(TAGWInterface* Sender, int Port, const std::string& Station,
                                                 const std::string& StationInfo)>;
  using TVersionInfoEvent = std::function<void(TAGWInterface* Sender, const TAGWVersionData& Version)>;
  using TUnknownPacketTypeEvent = std::function<void(TAGWInterface* Sender, const TAGWFrameHeader& FrameHeader)>;

  // logFolder: where the daily log files "varnak <date><L|Z>.log" go (the station
  // folder). The logger reports OnFileCreated on this object's thread.
  explicit TAGWInterface(const std::string& logFolder, QObject* parent = nullptr);
  ~TAGWInterface() override;

  // Starts an asynchronous connect; an empty host means "localhost", a port text
  // that is no number 1..65535 means 8000. Closes an open connection first.
  void OpenEngine(const std::string& Host, const std::string& Port);
  void CloseEngine();
  bool Connected() const;
  // No connection and no attempt running.
  bool Closed() const;
  const std::string& EngineHost() const { return host_; }
  int EnginePort() const { return port_; }

  // Each returns false (and logs a line) when there is no connection.
  bool RegisterCallsign(const std::string& Callsign);
  bool AskVersion();
  bool AskPortInformation();
  bool StartMonitoring();
  bool AskHeardStations(int Port);
  bool ConnectStation(int Port, const std::string& FromCall, const std::string& ToCall);
  bool DisconnectStation(int Port, const std::string& FromCall, const std::string& ToCall);
  bool AskConnectionOutstandingFrames(int Port, const std::string& FromCall, const std::string& ToCall);
  bool SendConnectedData(int Port, const std::string& FromCall, const std::string& ToCall, const std::string& Data);
  bool SendUnproto(int Port, const std::string& FromCall, const std::string& ToCall, const std::string& Data);
  // Port is 1-based; DataSize bytes of Data are sent (never more than Data holds).
  virtual bool SendFrame(int Port, int PID, char DataKind, const std::string& FromCall, const std::string& ToCall,
                         int DataSize, const std::string& Data);

  // The receive path: ReceiveData reads the socket; ReceiveBytes takes bytes as if
  // read (also for benchmarks and fuzzing); ExtractFrames queues whole frames.
  virtual void ReceiveData();
  void ReceiveBytes(std::string_view bytes);
  virtual void ExtractFrames();
  // Dispatches the oldest queued frame now; false when none was queued. The event
  // loop does this by itself, one frame per turn.
  bool DispatchOne();
  std::size_t PendingFrames() const { return pending_.size(); }
  // Raises the event of one frame and writes its log lines.
  void DispatchPacket(const TPacket& packet);

  TLogSettings& LogSettings() { return logSettings_; }
  TMessageLogger& Logger() { return *logger_; }

  TNotifyEvent OnAGWConnecting;
  TNotifyEvent OnAGWConnect;
  TNotifyEvent OnAGWDisconnect;
  TAGWInterfaceErrorEvent OnError;
  TCallsignRegistrationEvent OnCallsignRegistration;
  TConnectedDataEvent OnConnectedData;
  TConnectionOutstandingFramesEvent OnConnectionOutstandingFrames;
  TConnectionReceivedEvent OnConnectionReceived;
  TDisconnectedEvent OnDisconnectedEvent;
  TMonitoredConnectedInformationEvent OnMonitoredConnectedInformation;
  TMonitoredInformationRawEvent OnMonitoredInformationRaw;
  TMonitoredSupervisoryInformationEvent OnMonitoredSupervisoryInformation;
  TMonitoredUnprotoInformationEvent OnMonitoredUnprotoInformation;
  TMonitorOwnInformationEvent OnMonitorOwnInformationEvent;
  TOutstandingFramesEvent OnOutstandingFrames;
  TPortCapabilitiesEvent OnPortCapabilities;
  TPortInformationEvent OnPortInformation;
  TStationsHeardEvent OnStationsHeard;
  TVersionInfoEvent OnVersionInfo;
  TUnknownPacketTypeEvent OnUnknownPacketType;
  // An event handler threw while dispatching a frame of this kind; the frames behind it
  // are dispatched all the same. Unassigned: a Qt warning.
  std::function<void(TAGWInterface* Sender, char DataKind, const std::string& What)> OnHandlerFailure;

 protected:
  void customEvent(QEvent* event) override;

 private:
  enum class Phase { Closed, Connecting, Connected, Closing };

  void SocketStateChanged(QAbstractSocket::SocketState state);
  void SocketConnected();
  void SocketDisconnected();
  void SocketError(QAbstractSocket::SocketError error);
  void PostDispatch();
  void RaiseError(int code, const std::string& text);
  void HandleOversizedFrame();
  void LogDetail(const std::string& line);
  void LogFromTo(const TPacket& packet);
  void LogConnectionFrame(const char* title, const TPacket& packet, int port);

  std::unique_ptr<TMessageLogger> logger_;
  TLogSettings logSettings_;
  QTcpSocket* socket_ = nullptr;
  std::string host_ = "localhost";
  int port_ = 8000;
  Phase phase_ = Phase::Closed;

  std::string receiveBuffer_;
  std::deque<TPacket> pending_;
  bool dispatchPosted_ = false;
  // After a frame too large to wait for, the rest of that connection's stream is
  // unusable: drop it until the next OpenEngine.
  bool discarding_ = false;
  bool oversizePending_ = false;
};

}  // namespace varnak
