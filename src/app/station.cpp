#include "app/station.h"

#include <QDate>
#include <QLocale>
#include <cstdio>
#include <fmt/format.h>

#include "app/operator_log.h"
#include "app/packet_link.h"
#include "app/spot_resolver.h"
#include "app/station_folder.h"
#include "app/win1252.h"
#include "core/file_writer.h"
#include "core/text.h"
#include "callsign/locator_geometry.h"
#include "core/version.h"
#include "links/rigctld_client.h"
#include "telnet/connection_control.h"
#include "telnet/relay_server.h"

namespace varnak {

Station::Station(std::filesystem::path programDir, std::shared_ptr<const Clock> clock, QObject* parent)
    : QObject(parent), programDir_(WithTrailingSeparator(programDir)), clock_(std::move(clock)) {
  timer1_.setSingleShot(true);
  connect(&timer1_, &QTimer::timeout, this, &Station::ConfigurationCheck);
  WireClassifier();
  WireLinks();
  WirePacketLink();
  WireOperatorLog();
  WireSpotRows();
  OmniRigX1 = std::make_unique<RigctldClient>();
}

void Station::WireLinks() {
  ConnectionControl::Hooks h;
  h.isTelnet = [this] { return settings_.Telnet == 1; };
  h.clusterHost = [this] { return settings_.ClusterHost; };
  h.clusterPort = [this] { return settings_.ClusterPort; };
  h.connectCall = [this] { return settings_.ConnectCall; };
  h.nodeConnected = [this] { return NodeConnected; };
  h.setStatus = [this](const std::string& t) {
    if (view_) view_->SetStatus(ToQString(t));
  };
  h.setLinkUp = [this](bool up) {
    if (view_) view_->SetLinkButtons(up);
  };
  h.showInformation = [this](const std::string& t) {
    if (view_) view_->ShowInformation(ToQString(t));
  };
  h.showError = [this](const std::string& t) {
    if (view_) view_->ShowError(ToQString(t));
  };
  h.classifyLine = [this](const std::string& line) { ClassifyLine(line); };
  h.clearUsersRequested = [this] { classifier_->SetUsersRequested(false); };
  h.telnetConnectedChanged = [this](bool up) {
    TelnetConnected = up;
    classifier_->SetLoggingIn(up);
  };
  h.afterSend = [this] {
    if (freeze_->Frozen()) freeze_->ShortenForSend();
  };
  h.startPacketLink = [this] {
    if (StartPacketLink) StartPacketLink();
  };
  h.stopPacketLink = [this] {
    if (StopPacketLink) StopPacketLink();
  };
  h.sendPacketData = [this](const std::string& text) { return SendPacketData ? SendPacketData(text) : false; };
  h.reconnectEnabled = [this] { return settings_.Reconnect; };
  h.loggedIn = [this] { return !classifier_->LoggingIn(); };
  h.setReconnecting = [this] {
    if (view_) view_->ShowReconnecting();
  };
  h.timeText = [this] { return LongTimeText(); };
  control_ = std::make_unique<ConnectionControl>(std::move(h), this);

  RelayServer::Hooks r;
  r.sendLine = [this](const std::string& line) {
    if (SendLine) SendLine(line);
  };
  r.showError = [this](const std::string& t) {
    if (view_) view_->ShowError(ToQString(t));
  };
  relay_ = std::make_unique<RelayServer>(std::move(r), this);

  freeze_ = std::make_unique<FreezeControl>(FreezeControl::Callbacks{
      [this](const std::string& line) { ClassifyLine(line); }, [this] { return NodeConnected; },
      [this](bool shown) {
        if (!shown) CatchUpAfterFreeze();
        if (view_) view_->ShowFreezePanel(shown);
      }});
  keepAlive_ = std::make_unique<KeepAlive>(KeepAlive::Link{
      [this] { return settings_.Telnet == 0; }, [this] { return NodeConnected; },
      [this](const std::string& text) {
        if (SendConnectedData) SendConnectedData(text);
      }});
  keepAlive_->Start();
  StopKeepAlive = [this] { keepAlive_->Stop(); };
  StartKeepAlive = [this] { keepAlive_->Start(); };

  ConnectAction = [this] { control_->ConnectAction(); };
  DisconnectAction = [this] { control_->DisconnectAction(); };
  DisconnectTelnet = [this] { control_->TelnetDisconnect(); };
  SendLine = [this](const std::string& text) { control_->SendLine(text); };
  OpenRelay = [this](int port) { relay_->Open(static_cast<quint16>(port), settings_.OutTelnetBind); };
  CloseRelay = [this] { relay_->Close(); };
}

bool Station::SendTelnetLine(const std::string& text) { return control_->SendTelnetLine(text); }

void Station::RelayLine(const std::string& line) { relay_->RelayLine(line); }

// Lists trimmed in the last second are still written (the writer finishes them).
Station::~Station() { SaveTrimmedLists(); }

void Station::ReadConfiguration(const WorkArea& area) {
  std::string host = settings_.ClusterHost;
  int port = settings_.ClusterPort;
  settings_ = ReadSettingsFile(ProgramPath("Varnak.ini"), area);
  settings_.ClusterHost = host;
  settings_.ClusterPort = port;
  alerts_.SetSoundOn(settings_.Sound);
  alerts_.SetNeededOnly(settings_.SoundNeeded);
  ReadOperatorLog();
  GeoPosition own = LocatorToPosition(settings_.MyLocator);
  OwnLatitude = static_cast<double>(own.Latitude);
  OwnLongitude = static_cast<double>(own.Longitude);
  settings_.Password = ReadPasswordFile(PasswordFilePath(programDir_, settings_.ConnectCall));
  // The cluster table is opened by its bare name, from the working directory.
  SelectCluster(settings_, ReadClusterTable("telnet.cfg"));
  emit configurationRead();
}

bool Station::WriteConfiguration(std::string* error) {
  if (view_) view_->StorePlacement(settings_);
  bool ok = WriteSettingsFile(ProgramPath("Varnak.ini"), settings_, ShortVersionText(), error);
  std::string pwError;
  const std::filesystem::path pwFile = PasswordFilePath(programDir_, settings_.ConnectCall);
  if (!pwFile.empty() && !WritePasswordFile(pwFile, settings_.Password, &pwError)) {
    if (error) *error += (ok || error->empty() ? "" : "\n") + pwError;
    ok = false;
  }
  return ok;
}

std::string Station::LongTimeText() const {
  DateTime t = clock_->LocalNow();
  return fmt::format("{:02}:{:02}:{:02}", t.hour, t.minute, t.second);
}

std::string Station::ShortDateText() const {
  DateTime t = clock_->LocalNow();
  if (monthDayDates_ || lists_->RowWritten()) return fmt::format("{:02}-{:02}", t.month, t.day);
  return FromQString(QLocale::system().toString(QDate(t.year, t.month, t.day), QLocale::ShortFormat));
}

void Station::ClassifyLine(const std::string& line) { classifier_->ClassifyLine(line); }

void Station::StartupRoutine() {
  const Settings& s = settings_;
  // Once per start and once per "Save", also with an empty ConnectCall.
  startupDone_ = true;
  if (view_) {
    view_->SetNodeField(ToQString(s.ConnectCall));
    view_->SelectNewestRows();
  }
  if (s.IsSetUp()) {
    if (s.Telnet == 1) {
      if (view_) {
        view_->SetCaption(ToQString("Varnak " + ShortVersionText() + " - Telnet - " + s.ClusterHost));
        view_->SetPacketButtonsEnabled(false);
      }
    } else {
      if (OpenEngine) OpenEngine(s.AGWhost, s.AGWport);
      if (view_) {
        view_->SetPacketButtonsEnabled(true);
        view_->SetCaption(ToQString("Varnak " + ShortVersionText() + " - AGW Packet Engine"));
      }
    }
    if (s.TelnetOut == 1 && OpenRelay) OpenRelay(s.OutTelnetPort);
  }
  if (view_) {
    if (s.Sound) view_->SetSoundSwitch(true);
    view_->AdaptToScreen();
  }
  ClassifyLine("*** Varnak started " + LongTimeText() + " " + ShortDateText());
  if (s.Telnet == 1) {
    if (s.AutoConnect && ConnectAction) {
      ConnectAction();
    } else if (!s.AutoConnect) {
      ClassifyLine("*** Not yet connected, click \"Connect\"!");
    }
  }
  if (TelnetConnected) ClassifyLine("*** Connected to " + s.ClusterHost);
  if (view_) view_->MoveCaretsToEnd();
  timer1_.start(ConfigCheckDelayMs);
  if (view_) {
    view_->ShowFirstSendPage();
    view_->ResetUserListHeader();
  }
  ClientBanner = "{Varnak " + ShortVersionText() + "}";
  classifier_->ResetSpotHistory();
  if (view_) view_->ClearLookupLine();
}

void Station::ConfigurationCheck() {
  timer1_.stop();
  if (view_) view_->MoveCaretsToEnd();
  if (!settings_.IsSetUp() && view_) view_->ShowSetupDialog();
}

void Station::Shutdown() {
  auto wait = [this](int ms) {
    if (view_) view_->Wait(ms);
  };
  ClassifyLine("*** Varnak closed " + LongTimeText() + " " + ShortDateText() + "\r\n");
  std::string configError;
  bool configOk = WriteConfiguration(&configError);
  wait(ShutdownWaitMs);
  if (settings_.Telnet == 1) {
    if (DisconnectTelnet) DisconnectTelnet();
    wait(0);
  }
  if (EngineConnected) {
    if (NodeConnected) {
      if (SendLine) SendLine("b");
      // The disconnect request goes once the engine has sent the "b" (or after 3 s).
      if (StopPacketLink) StopPacketLink();
      for (int i = 0; i < 100 && view_ && PacketDisconnectPending && PacketDisconnectPending(); ++i) wait(50);
    }
    wait(ShutdownWaitMs);
    if (CloseEngine) CloseEngine();
  } else if (CloseEngine) {
    CloseEngine();  // no more tries to reopen a lost engine
  }
  keepAlive_->Stop();
  std::string listsError;
  bool listsOk = SaveListsAndPanesNow(&listsError);
  // The old files are still whole (atomic writes), but what this run added is lost:
  // the operator must hear of it, and a log of the terminal too.
  if (!configOk || !listsOk) {
    std::string reasons = configError;
    if (!listsError.empty()) reasons += (reasons.empty() ? "" : "\n") + listsError;
    std::fprintf(stderr, "varnak: at exit: %s\n", reasons.c_str());
    emit shutdownFailed(QString::fromLocal8Bit(reasons.c_str()));
  }
  wait(ShutdownWaitMs);
  if (SaveMapSettings) SaveMapSettings();
}

}  // namespace varnak
