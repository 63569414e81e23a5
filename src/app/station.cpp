#include "app/station.h"

#include <QDate>
#include <QLocale>
#include <cstdio>
#include <fmt/format.h>

#include "app/login_commands.h"
#include "app/map_controller.h"
#include "app/operator_log.h"
#include "agw/packet_cluster_link.h"
#include "app/rig_controller.h"
#include "app/spot_resolver.h"
#include "app/station_folder.h"
#include "app/win1252.h"
#include "core/file_writer.h"
#include "core/text.h"
#include "callsign/locator_geometry.h"
#include "core/version.h"
#include "telnet/telnet_cluster_link.h"
#include "telnet/relay_server.h"

namespace varnak {

Station::Station(std::filesystem::path programDir, std::shared_ptr<const Clock> clock, QObject* parent)
    : QObject(parent), programDir_(WithTrailingSeparator(programDir)), clock_(std::move(clock)) {
  timer1_.setSingleShot(true);
  connect(&timer1_, &QTimer::timeout, this, &Station::ConfigurationCheck);
  WireClassifier();
  WireLinks();
  WireOperatorLog();
  WireSpotRows();
  rig_ = std::make_unique<RigController>(settings_);
  // What the rig link does by itself goes to the pane, never to a box.
  connect(rig_.get(), &RigController::note, this, [this](const QString& text) { ClassifyLine("*** " + FromQString(text)); });
  maps_ = std::make_unique<MapController>(*this);
  WireAlerts();
}

namespace {

// The links read the settings through this, at the moment they need them.
class StationLinkSettings : public LinkSettings {
 public:
  explicit StationLinkSettings(const Station& s) : s_(s) {}
  bool Telnet() const override { return settings().Telnet == 1; }
  const std::string& MyCall() const override { return settings().MyCall; }
  const std::string& MyLocator() const override { return settings().MyLocator; }
  const std::string& ConnectCall() const override { return settings().ConnectCall; }
  const std::string& ClusterHost() const override { return settings().ClusterHost; }
  int ClusterPort() const override { return settings().ClusterPort; }
  bool Reconnect() const override { return settings().Reconnect; }
  bool AutoConnect() const override { return settings().AutoConnect; }
  const std::string& AGWhost() const override { return settings().AGWhost; }
  const std::string& AGWport() const override { return settings().AGWport; }
  int AX25port() const override { return settings().AX25port; }
  const std::string& ClientBanner() const override { return s_.ClientBanner; }
  std::string TimeText() const override { return s_.LongTimeText(); }

 private:
  const Settings& settings() const { return s_.settings(); }
  const Station& s_;
};

}  // namespace

void Station::WireLinks() {
  linkSettings_ = std::make_unique<StationLinkSettings>(*this);
  loginCommands_ = std::make_unique<LoginCommands>(ProgramPath(kLoginCommandsFile), *linkSettings_);
  UseLinks(LinkFactory{});

  RelayServer::Hooks r;
  r.sendLine = [this](const std::string& line) { RelayClientLine(line); };
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
        Packet().SendConnectedData(settings_.AX25port, settings_.MyCall, text, settings_.ConnectCall);
      }});
  keepAlive_->Start();
}

void Station::UseLinks(const LinkFactory& factory) {
  telnet_ = factory.Make(LinkKind::Telnet, *linkSettings_, programDir_);
  packet_ = factory.Make(LinkKind::Packet, *linkSettings_, programDir_);
  // First to hear the links' lines (see Follow).
  loginCommands_->Follow(*telnet_);
  loginCommands_->Follow(*packet_);
  WireClusterLink(*telnet_, LinkKind::Telnet);
  WireClusterLink(*packet_, LinkKind::Packet);
  WirePacketLink();
}

void Station::WireClusterLink(ClusterLink& link, LinkKind kind) {
  // A packet node pauses while the lists are frozen; a Telnet node cannot be paused.
  const auto source = kind == LinkKind::Packet ? FreezeControl::Source::PacketNode : FreezeControl::Source::Telnet;
  connect(&link, &ClusterLink::lineReceived, this, [this, source](const std::string& line) {
    if (!freeze_->HoldIfFrozen(source, line)) ClassifyLine(line);
  });
  connect(&link, &ClusterLink::noticeLine, this, [this](const std::string& line) { ClassifyLine(line); });
  // A line sent while the lists are frozen ends the freeze soon.
  connect(&link, &ClusterLink::lineSent, this, [this](const std::string& line) {
    ClassifyLine(line);
    if (freeze_->Frozen()) freeze_->ShortenForSend();
  });
  connect(&link, &ClusterLink::statusText, this, [this](const std::string& text) {
    if (view_) view_->SetStatus(ToQString(text));
  });
  connect(&link, &ClusterLink::problem, this, [this](ClusterLink::Problem kind, const std::string& text) {
    if (relaySending_) {  // nobody at the window asked for it
      ClassifyLine("*** Line from the relay client not sent: " + text);
      return;
    }
    if (!view_) return;
    if (kind == ClusterLink::Problem::Information)
      view_->ShowInformation(ToQString(text));
    else
      view_->ShowError(ToQString(text));
  });
  connect(&link, &ClusterLink::stateChanged, this, [this, &link, kind] { FollowLinkState(link, kind); });
}

// "sh/users" goes once per connection: a Telnet connection is over once it is down, a
// packet one is new from its connect request on.
void Station::FollowLinkState(ClusterLink& link, LinkKind kind) {
  using State = ClusterLink::State;
  const State state = link.state();
  if (kind == LinkKind::Telnet) {
    if (state == State::Down && TelnetConnected) {
      users_->Clear();  // filled again after the next login
      classifier_->SetUsersRequested(false);
      TelnetConnected = false;
      classifier_->SetLoggingIn(false);
    } else if (state == State::LoggingIn) {
      TelnetConnected = true;
      classifier_->SetLoggingIn(true);
    }
  } else {
    if (state == State::Connecting) classifier_->SetUsersRequested(false);
    if (NodeConnected && state != State::LoggedIn) users_->Clear();
    NodeConnected = state == State::LoggedIn;
  }
  if (!view_) return;
  switch (state) {
    case State::Down: view_->SetLinkButtons(false); break;
    case State::Connecting:
      if (link.ConnectCanBeCalledOff())
        view_->ShowLinkPending();
      else
        view_->SetLinkButtons(false);
      break;
    case State::LoggingIn:
    case State::LoggedIn: view_->SetLinkButtons(true); break;
    case State::WaitingToReconnect: view_->ShowLinkPending(); break;
  }
}

ClusterLink& Station::Link() { return settings_.Telnet == 1 ? *telnet_ : *packet_; }

TelnetClusterLink& Station::Control() { return static_cast<TelnetClusterLink&>(*telnet_); }

void Station::ConnectAction() { Link().Connect(); }

void Station::DisconnectAction() { Link().Disconnect(); }

bool Station::SendLine(const std::string& text) { return Link().Send(text); }

bool Station::SendTelnetLine(const std::string& text) { return telnet_->SendQuiet(text); }

void Station::LoginThrough() { telnet_->LoginThrough(); }

void Station::RelayLine(const std::string& line) { relay_->RelayLine(line); }

void Station::RelayClientLine(const std::string& line) {
  relaySending_ = true;
  SendLine(line);
  relaySending_ = false;
}

// Lists trimmed in the last second are still written (the writer finishes them).
Station::~Station() { SaveTrimmedLists(); }

void Station::ReadConfiguration(const WorkArea& area) {
  std::string host = settings_.ClusterHost;
  int port = settings_.ClusterPort;
  settingsNotices_.clear();
  settings_ = ReadSettingsFile(ProgramPath("Varnak.ini"), area, &settingsNotices_);
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
      packet_->Open();
      if (view_) {
        view_->SetPacketButtonsEnabled(true);
        view_->SetCaption(ToQString("Varnak " + ShortVersionText() + " - AGW Packet Engine"));
      }
    }
    if (s.TelnetOut == 1) relay_->Open(static_cast<quint16>(s.OutTelnetPort), s.OutTelnetBind);
  }
  if (view_) {
    if (s.Sound) view_->SetSoundSwitch(true);
    view_->AdaptToScreen();
  }
  ClassifyLine("*** Varnak started " + LongTimeText() + " " + ShortDateText());
  for (const std::string& notice : settingsNotices_) ClassifyLine("*** " + notice);
  settingsNotices_.clear();
  if (s.Telnet == 1) {
    if (s.AutoConnect) {
      ConnectAction();
    } else {
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

void Station::CloseLinksForSetup() {
  // Close the link kind in force before this change.
  if (settings_.Telnet == 1) {
    telnet_->Close();
  } else {
    packet_->Close();
  }
  if (settings_.TelnetOut == 1) relay_->Close();
  if (TelnetConnected) DisconnectAction();
  if (EngineConnected) DisconnectAction();
}

bool Station::RestartWithSettings(const WorkArea& area, std::string* error) {
  if (!WriteConfiguration(error)) return false;
  ReadConfiguration(area);
  StartupRoutine();
  return true;
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
    telnet_->Close();
    wait(0);
  }
  if (EngineConnected) {
    if (NodeConnected) {
      SendLine("b");
      // The disconnect request goes once the engine has sent the "b" (or after 3 s).
      Packet().StopPacketLink();
      for (int i = 0; i < 100 && view_ && Packet().DisconnectPending(); ++i) wait(50);
    }
    wait(ShutdownWaitMs);
    packet_->Close();
  } else {
    packet_->Close();  // no more tries to reopen a lost engine
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
  maps_->SaveSettings();
}

}  // namespace varnak
