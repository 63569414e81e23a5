#include "agw/agw_interface.h"

#include <QCoreApplication>
#include <QEvent>
#include <QMetaObject>
#include <QTcpSocket>
#include <algorithm>
#include <cstring>
#include <exception>
#include <mutex>

#include <fmt/format.h>

#include "core/text.h"

namespace varnak {

namespace {

// Shared by every client in the process: the pieces of one request are never
// interleaved with another request's frames, even when a handler sends from
// inside a request.
std::recursive_mutex& SendLock() {
  static std::recursive_mutex lock;
  return lock;
}

std::mutex& ReceiveLock() {
  static std::mutex lock;
  return lock;
}

const QEvent::Type kDispatchEvent = static_cast<QEvent::Type>(QEvent::registerEventType());

const char* const kNoConnection = "Error: Can not send - no connection to Packet Engine";

}  // namespace

int SocketErrorCode(QAbstractSocket::SocketError error) {
  switch (error) {
    case QAbstractSocket::ConnectionRefusedError: return 10061;
    case QAbstractSocket::RemoteHostClosedError: return 10054;
    case QAbstractSocket::HostNotFoundError: return 11001;
    case QAbstractSocket::SocketAccessError: return 10013;
    case QAbstractSocket::SocketResourceError: return 10055;
    case QAbstractSocket::SocketTimeoutError: return 10060;
    case QAbstractSocket::DatagramTooLargeError: return 10040;
    case QAbstractSocket::NetworkError: return 10065;
    case QAbstractSocket::AddressInUseError: return 10048;
    case QAbstractSocket::SocketAddressNotAvailableError: return 10049;
    case QAbstractSocket::UnsupportedSocketOperationError: return 10045;
    case QAbstractSocket::UnfinishedSocketOperationError: return 10036;
    case QAbstractSocket::ProxyConnectionRefusedError: return 10061;
    case QAbstractSocket::ProxyConnectionClosedError: return 10054;
    case QAbstractSocket::ProxyConnectionTimeoutError: return 10060;
    case QAbstractSocket::ProxyNotFoundError: return 11001;
    case QAbstractSocket::TemporaryError: return 10035;
    default: return 10004;
  }
}

// ---------------------------------------------------------------------------------------

std::string TLogSettings::DateFormat() const { return owner_.Logger().DateFormat(); }
void TLogSettings::SetDateFormat(std::string value) { owner_.Logger().SetDateFormat(std::move(value)); }
std::string TLogSettings::LogEntryFormat() const { return owner_.Logger().LogEntryFormat(); }
void TLogSettings::SetLogEntryFormat(std::string value) { owner_.Logger().SetLogEntryFormat(std::move(value)); }
std::string TLogSettings::LogFileName() const { return owner_.Logger().LogFileName(); }
void TLogSettings::SetLogFileName(std::string_view value) { owner_.Logger().SetLogFileName(value); }
std::string TLogSettings::LogFilePath() const { return owner_.Logger().LogFilePath(); }
void TLogSettings::SetLogFilePath(std::string_view value) { owner_.Logger().SetLogFilePath(value); }
std::int64_t TLogSettings::MaxFileSize() const { return owner_.Logger().MaxFileSize(); }
void TLogSettings::SetMaxFileSize(std::int64_t value) { owner_.Logger().SetMaxFileSize(value); }
TThreadPriority TLogSettings::Priority() const { return owner_.Logger().Priority(); }
void TLogSettings::SetPriority(TThreadPriority value) { owner_.Logger().SetPriority(value); }
int TLogSettings::PurgeFileDays() const { return owner_.Logger().PurgeFileDays(); }
void TLogSettings::SetPurgeFileDays(int value) { owner_.Logger().SetPurgeFileDays(value); }
std::string TLogSettings::TimeStampFormat() const { return owner_.Logger().TimeStampFormat(); }
void TLogSettings::SetTimeStampFormat(std::string value) { owner_.Logger().SetTimeStampFormat(std::move(value)); }
bool TLogSettings::UTC() const { return owner_.Logger().UTC(); }
void TLogSettings::SetUTC(bool value) { owner_.Logger().SetUTC(value); }
bool TLogSettings::ShowLocalZulu() const { return owner_.Logger().ShowLocalZulu(); }
void TLogSettings::SetShowLocalZulu(bool value) { owner_.Logger().SetShowLocalZulu(value); }

// ---------------------------------------------------------------------------------------

TAGWInterface::TAGWInterface(const std::string& logFolder, QObject* parent)
    : QObject(parent), logger_(std::make_unique<TMessageLogger>(logFolder, "varnak.log")), logSettings_(*this) {
  logger_->SetUiPoster([this](std::function<void()> fn) {
    QMetaObject::invokeMethod(this, std::move(fn), Qt::QueuedConnection);
  });
  socket_ = new QTcpSocket(this);
  connect(socket_, &QAbstractSocket::stateChanged, this, &TAGWInterface::SocketStateChanged);
  connect(socket_, &QAbstractSocket::connected, this, &TAGWInterface::SocketConnected);
  connect(socket_, &QAbstractSocket::disconnected, this, &TAGWInterface::SocketDisconnected);
  connect(socket_, &QAbstractSocket::errorOccurred, this, &TAGWInterface::SocketError);
  connect(socket_, &QIODevice::readyRead, this, &TAGWInterface::ReceiveData);
}

TAGWInterface::~TAGWInterface() {
  // No events from a half-destroyed client.
  socket_->disconnect(this);
  socket_->abort();
  // Stops the writer while this object can still take its queued calls.
  logger_.reset();
}

void TAGWInterface::OpenEngine(const std::string& Host, const std::string& Port) {
  if (socket_->state() != QAbstractSocket::UnconnectedState) {
    phase_ = Phase::Closing;
    socket_->abort();
  }
  host_ = Trim(Host).empty() ? "localhost" : Trim(Host);
  int port = 0;
  port_ = ParseInt(Trim(Port), port) && port > 0 && port <= 65535 ? port : 8000;
  // A frame half-received on the old connection would put the new stream out of
  // step for good.
  {
    std::lock_guard g(ReceiveLock());
    receiveBuffer_.clear();
  }
  discarding_ = false;
  phase_ = Phase::Connecting;
  socket_->connectToHost(QString::fromStdString(host_), static_cast<quint16>(port_));
}

void TAGWInterface::CloseEngine() {
  if (socket_->state() == QAbstractSocket::UnconnectedState) return;
  phase_ = Phase::Closing;
  socket_->disconnectFromHost();
}

bool TAGWInterface::Connected() const { return socket_->state() == QAbstractSocket::ConnectedState; }

bool TAGWInterface::Closed() const { return socket_->state() == QAbstractSocket::UnconnectedState; }

void TAGWInterface::SocketStateChanged(QAbstractSocket::SocketState state) {
  if (state != QAbstractSocket::ConnectingState) return;
  LogDetail("Connecting to Packet Engine...");
  if (OnAGWConnecting) OnAGWConnecting(this);
}

void TAGWInterface::SocketConnected() {
  phase_ = Phase::Connected;
  LogDetail("Connected to Packet Engine");
  if (OnAGWConnect) OnAGWConnect(this);
}

void TAGWInterface::SocketDisconnected() {
  phase_ = Phase::Closed;
  LogDetail("Disconnected from Packet Engine");
  if (OnAGWDisconnect) OnAGWDisconnect(this);
}

void TAGWInterface::SocketError(QAbstractSocket::SocketError error) {
  // The engine closing its end (or resetting it: the socket layer reports both alike) is
  // an ordinary disconnect, reported as such; the log still says who ended it.
  if (error == QAbstractSocket::RemoteHostClosedError) {
    if (phase_ == Phase::Connected) logger_->Log("Connection closed or reset by the Packet Engine");
    return;
  }
  const char* operation = "General";
  switch (phase_) {
    case Phase::Connecting: operation = "Connect"; break;
    case Phase::Connected: operation = "Receive"; break;
    case Phase::Closing: operation = "Disconnect"; break;
    case Phase::Closed: break;
  }
  if (phase_ == Phase::Connecting) phase_ = Phase::Closed;
  const int code = SocketErrorCode(error);
  logger_->Log(fmt::format("{} Error [{}]", operation, code));
  RaiseError(code, std::string(operation) + " Error");
}

void TAGWInterface::RaiseError(int code, const std::string& text) {
  if (OnError) OnError(this, code, text);
}

// ---------------------------------------------------------------------------------------

bool TAGWInterface::RegisterCallsign(const std::string& Callsign) { return SendFrame(0, 0, 'X', Callsign, "", 0, ""); }
bool TAGWInterface::AskVersion() { return SendFrame(0, 0, 'R', "", "", 0, ""); }
bool TAGWInterface::AskPortInformation() { return SendFrame(0, 0, 'G', "", "", 0, ""); }
bool TAGWInterface::StartMonitoring() { return SendFrame(0, 0, 'm', "", "", 0, ""); }
bool TAGWInterface::AskHeardStations(int Port) { return SendFrame(Port, 0, 'H', "", "", 0, ""); }

bool TAGWInterface::ConnectStation(int Port, const std::string& FromCall, const std::string& ToCall) {
  return SendFrame(Port, 0, 'C', FromCall, ToCall, 0, "");
}

bool TAGWInterface::DisconnectStation(int Port, const std::string& FromCall, const std::string& ToCall) {
  return SendFrame(Port, 0, 'd', FromCall, ToCall, 0, "");
}

bool TAGWInterface::AskConnectionOutstandingFrames(int Port, const std::string& FromCall, const std::string& ToCall) {
  return SendFrame(Port, 0, 'Y', FromCall, ToCall, 0, "");
}

bool TAGWInterface::SendConnectedData(int Port, const std::string& FromCall, const std::string& ToCall,
                                      const std::string& Data) {
  return SendFrame(Port, 0, 'D', FromCall, ToCall, static_cast<int>(Data.size()), Data);
}

bool TAGWInterface::SendUnproto(int Port, const std::string& FromCall, const std::string& ToCall,
                                const std::string& Data) {
  return SendFrame(Port, 0, 'M', FromCall, ToCall, static_cast<int>(Data.size()), Data);
}

bool TAGWInterface::SendFrame(int Port, int PID, char DataKind, const std::string& FromCall,
                              const std::string& ToCall, int DataSize, const std::string& Data) {
  if (!Connected()) {
    logger_->Log(kNoConnection);
    return false;
  }
  std::lock_guard g(SendLock());
  const std::size_t n = std::min(static_cast<std::size_t>(std::max(DataSize, 0)), Data.size());
  const bool logFrames = logSettings_.LogFrames();
  for (const TOutFrame& frame :
       BuildRequestFrames(Port, PID, DataKind, FromCall, ToCall, std::string_view(Data).substr(0, n))) {
    socket_->write(frame.Header.data(), static_cast<qint64>(frame.Header.size()));
    if (!frame.Data.empty()) socket_->write(frame.Data.data(), static_cast<qint64>(frame.Data.size()));
    if (logFrames) {
      logger_->Log("<txframe>");
      logger_->LogBuffer(frame.Header.data(), frame.Header.size());
      logger_->LogBuffer(frame.Data.data(), frame.Data.size());
    }
  }
  return true;
}

// ---------------------------------------------------------------------------------------

void TAGWInterface::ReceiveData() {
  const QByteArray bytes = socket_->readAll();
  ReceiveBytes(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
}

void TAGWInterface::ReceiveBytes(std::string_view bytes) {
  if (discarding_) return;
  std::lock_guard g(ReceiveLock());
  receiveBuffer_.append(bytes);
  ExtractFrames();
}

void TAGWInterface::ExtractFrames() {
  if (varnak::ExtractFrames(receiveBuffer_, pending_) == TExtractResult::Oversize) {
    receiveBuffer_.clear();
    discarding_ = true;
    oversizePending_ = true;
  }
  PostDispatch();
}

// Frames are never dispatched inside the read notification: a posted event takes
// them to the event loop. One event serves all frames of a read, each dispatched on
// its own and in arrival order - the same order a posted event per frame gives,
// since Qt delivers queued events in one pass, but without waking the event loop
// once per frame, which under the GLib dispatcher cost more than the frames did.
void TAGWInterface::PostDispatch() {
  if (dispatchPosted_ || (pending_.empty() && !oversizePending_)) return;
  dispatchPosted_ = true;
  QCoreApplication::postEvent(this, new QEvent(kDispatchEvent));
}

void TAGWInterface::customEvent(QEvent* event) {
  if (event->type() != kDispatchEvent) return QObject::customEvent(event);
  dispatchPosted_ = false;
  // Frames that arrive while these are dispatched (a handler running a nested
  // event loop) wait for the next event, behind these.
  std::size_t n = pending_.size() + (oversizePending_ ? 1 : 0);
  while (n-- > 0 && DispatchOne()) {
  }
  PostDispatch();
}

bool TAGWInterface::DispatchOne() {
  if (pending_.empty()) {
    if (!oversizePending_) return false;
    oversizePending_ = false;
    HandleOversizedFrame();
    return true;
  }
  TPacket packet = std::move(pending_.front());
  pending_.pop_front();
  // A failing handler must not stop the frames behind it.
  std::string what;
  try {
    DispatchPacket(packet);
    return true;
  } catch (const std::exception& e) {
    what = e.what();
  } catch (...) {
    what = "unknown exception";
  }
  const char kind = packet.Header.DataKind;
  logger_->Log(fmt::format("Error: event handler for frame kind {} failed: {}", kind, what));
  if (!OnHandlerFailure) {
    qWarning("Packet engine event handler failed: %s", what.c_str());
    return true;
  }
  try {
    OnHandlerFailure(this, kind, what);
  } catch (...) {
    qWarning("Packet engine event handler failed: %s", what.c_str());
  }
  return true;
}

void TAGWInterface::HandleOversizedFrame() {
  logger_->Log("Error: Oversized frame received - connection to Packet Engine closed");
  RaiseError(kAGWErrorOversizedFrame, "Oversized frame received");
  if (socket_->state() != QAbstractSocket::UnconnectedState) {
    phase_ = Phase::Closing;
    socket_->abort();
  }
}

void TAGWInterface::LogDetail(const std::string& line) {
  if (logSettings_.LogDetails()) logger_->Log(line);
}

void TAGWInterface::LogFromTo(const TPacket& p) {
  logger_->Log("      From: " + ReadCallField(p.Header.FromCall));
  logger_->Log("        To: " + ReadCallField(p.Header.ToCall));
}

void TAGWInterface::LogConnectionFrame(const char* title, const TPacket& p, int port) {
  if (!logSettings_.LogDetails()) return;
  logger_->Log(fmt::format("{} - Port: {}", title, port));
  LogFromTo(p);
  logger_->Log(fmt::format("  DataSize: {}", p.Header.DataSize));
  logger_->Log("      Data: " + p.Data);
}

void TAGWInterface::DispatchPacket(const TPacket& p) {
  const TAGWFrameHeader& h = p.Header;
  if (logSettings_.LogFrames()) {
    const auto header = EncodeHeader(h);
    logger_->Log("<rxframe>");
    logger_->LogBuffer(header.data(), header.size());
    logger_->Log("<data>");
    logger_->LogBuffer(p.Data.data(), p.Data.size());
  }
  const int port = EventPort(h.Port);
  const int size = static_cast<int>(h.DataSize);
  const bool details = logSettings_.LogDetails();

  switch (h.DataKind) {
    case 'D':
    case 'T': {
      const std::string from = ReadCallField(h.FromCall), to = ReadCallField(h.ToCall);
      if (h.DataKind == 'D') {
        if (OnConnectedData) OnConnectedData(this, port, h.PID, from, to, p.Data, size);
      } else if (OnMonitorOwnInformationEvent) {
        OnMonitorOwnInformationEvent(this, port, h.PID, from, to, p.Data, size);
      }
      if (details) {
        logger_->Log(fmt::format("{} - Port: {} PID: ${:02X}",
                                 h.DataKind == 'D' ? "Connected Data" : "Monitoring Own Information", port, h.PID));
        LogFromTo(p);
        logger_->Log(fmt::format(" Data size: {}", h.DataSize));
      }
      break;
    }
    case 'C':
    case 'd':
    case 'I':
    case 'S':
    case 'U': {
      const std::string from = ReadCallField(h.FromCall), to = ReadCallField(h.ToCall);
      const TConnectionReceivedEvent* event = nullptr;
      const char* title = "";
      switch (h.DataKind) {
        case 'C': event = &OnConnectionReceived; title = "Connection Received"; break;
        case 'd': event = &OnDisconnectedEvent; title = "Disconnected"; break;
        case 'I': event = &OnMonitoredConnectedInformation; title = "Monitored Connected Information"; break;
        case 'S': event = &OnMonitoredSupervisoryInformation; title = "Monitored Supervisory Information"; break;
        default: event = &OnMonitoredUnprotoInformation; title = "Monitored UNPROTO Information"; break;
      }
      if (*event) (*event)(this, port, from, to, p.Data, size);
      LogConnectionFrame(title, p, port);
      break;
    }
    case 'K': {
      if (OnMonitoredInformationRaw) {
        std::vector<std::uint8_t> raw(p.Data.begin(), p.Data.end());
        OnMonitoredInformationRaw(this, port, ReadCallField(h.FromCall), ReadCallField(h.ToCall), raw, size);
      }
      if (details) {
        logger_->Log(fmt::format("Monitored Information Raw - Port: {}", port));
        LogFromTo(p);
        logger_->Log(fmt::format("  DataSize: {}", h.DataSize));
      }
      break;
    }
    case 'X': {
      const std::string call = ReadCallField(h.FromCall);
      const bool success = !p.Data.empty() && p.Data[0] == 1;
      if (OnCallsignRegistration) OnCallsignRegistration(this, call, success);
      if (details) logger_->Log(fmt::format("Callsign Registration for {} {}", call, success ? "Succeeded" : "Failed"));
      break;
    }
    case 'R': {
      const TAGWVersionData version = ReadVersionData(p.Data);
      if (OnVersionInfo) OnVersionInfo(this, version);
      if (details) logger_->Log(fmt::format("AGW Version {}.{}", version.Major, version.Minor));
      break;
    }
    case 'G': {
      const std::vector<std::string> ports = ParsePortList(p.Data);
      if (OnPortInformation) OnPortInformation(this, static_cast<int>(ports.size()), ports);
      if (details) {
        logger_->Log("Port Information");
        for (const std::string& info : ports) logger_->Log("  " + info);
      }
      break;
    }
    case 'H': {
      const std::string station = Trim(ReadCallField(h.FromCall));
      if (station.empty()) break;
      const std::string info = p.Data.substr(0, p.Data.find('\0'));
      if (OnStationsHeard) OnStationsHeard(this, port, station, info);
      if (details) {
        logger_->Log(fmt::format("Station Heard - Port: {}", port));
        logger_->Log("  " + info);
      }
      break;
    }
    case 'Y': {
      int count = 0;
      if (h.DataSize == 4)
        count = ReadInt32(p.Data);
      else
        RaiseError(kAGWErrorInvalidFrame, "Invalid frame header received");
      const std::string from = ReadCallField(h.FromCall), to = ReadCallField(h.ToCall);
      if (OnConnectionOutstandingFrames) OnConnectionOutstandingFrames(this, port, from, to, count);
      if (details) {
        logger_->Log(fmt::format("Connection Outstanding Frames - Port: {}", port));
        LogFromTo(p);
        logger_->Log(fmt::format("    Frames: {}", count));
      }
      break;
    }
    case 'y': {
      if (h.DataSize != 4) {
        RaiseError(kAGWErrorInvalidFrame, "Invalid frame header received");
        break;
      }
      const int count = ReadInt32(p.Data);
      if (OnOutstandingFrames) OnOutstandingFrames(this, port, count);
      if (details) {
        logger_->Log(fmt::format("Outstanding Frames - Port: {}", port));
        logger_->Log(fmt::format("  Frames: {}", count));
      }
      break;
    }
    case 'g': {
      if (h.DataSize != 12) {
        RaiseError(kAGWErrorInvalidFrame, "Invalid frame header received");
        break;
      }
      const TPortCapabilities caps = ReadPortCapabilities(p.Data);
      if (OnPortCapabilities) OnPortCapabilities(this, port, caps);
      if (details) {
        logger_->Log(fmt::format("Port Capabilities - Port: {}", port));
        logger_->Log(fmt::format("  BaudRate: {}", caps.BaudRate));
        logger_->Log(fmt::format("  TrafficLevel: {}", caps.TrafficLevel));
        logger_->Log(fmt::format("  TxDelay: {}", caps.TxDelay));
        logger_->Log(fmt::format("  TxTail: {}", caps.TxTail));
        logger_->Log(fmt::format("  Persist: {}", caps.Persist));
        logger_->Log(fmt::format("  SlotTime: {}", caps.SlotTime));
        logger_->Log(fmt::format("  MaxFrame: {}", caps.MaxFrame));
        logger_->Log(fmt::format("  ActiveConnections: {}", caps.ActiveConnections));
        logger_->Log(fmt::format("  BytesReceived (2min): {}", caps.BytesReceived));
      }
      break;
    }
    default:
      if (OnUnknownPacketType) OnUnknownPacketType(this, h);
      break;
  }
}

}  // namespace varnak
