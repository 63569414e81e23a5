#pragma once
// Station: the program-wide state of the main window and the session logic that runs
// on it - configuration, start-up routine, configuration check and shutdown. It owns no
// widgets; the window implements StationView for the few things only a window can do,
// so the whole session runs headless in tests.
#include <QObject>
#include <QString>
#include <QTimer>
#include <array>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/settings.h"
#include "core/clock.h"

#include "app/alerts.h"
#include "app/classifier.h"
#include "app/pane_models.h"
#include "app/spot.h"
#include "app/spot_lists.h"
#include "callsign/call_parser.h"
#include "callsign/lookup.h"
#include "app/freeze_control.h"
#include "app/keep_alive.h"
#include "app/link_factory.h"

namespace varnak {

class ClusterLink;
class FileWriter;
class LinkFactory;
class LinkSettings;
class LoginCommands;
class OperatorLog;
class PacketClusterLink;
class TelnetClusterLink;
class RelayServer;
class RigController;
class MapController;
class SpotResolver;
class AlertController;
class SpotFilterController;
class StationsModel;
}  // namespace varnak

namespace varnak {

// What the session asks of the main window.
class StationView {
 public:
  virtual ~StationView() = default;
  virtual void ShowInformation(const QString& text) = 0;
  virtual void ShowError(const QString& text) = 0;
  virtual void ShowSetupDialog() = 0;
  virtual void SetCaption(const QString& caption) = 0;
  virtual void SetStatus(const QString& text) = 0;
  virtual void SetLinkButtons(bool connected) = 0;      // "Disconnect" shown instead of "Connect"
  // A connect is under way, or a lost link waits for its next try: "Disconnect" (which
  // calls it off) shown, and nothing to update until the node is connected.
  virtual void ShowLinkPending() { SetLinkButtons(true); }
  virtual void SetPacketButtonsEnabled(bool enabled) = 0;  // "Monitor", "Mheard"
  virtual void SetSoundSwitch(bool on) = 0;
  virtual void SetNodeField(const QString& connectCall) = 0;  // Edit3
  // Window-only steps of the start-up routine.
  virtual void SelectNewestRows() = 0;
  virtual void AdaptToScreen() = 0;
  virtual void MoveCaretsToEnd() = 0;
  virtual void ShowFirstSendPage() = 0;
  virtual void ResetUserListHeader() = 0;
  virtual void ClearLookupLine() = 0;
  // Lets pending window events run for the given time without blocking the window.
  virtual void Wait(int ms) = 0;
  // Copies the window's bounds, divider positions and page into the settings.
  virtual void StorePlacement(Settings& s) = 0;
  virtual void ShowFreezePanel(bool shown) = 0;
  // The lookup line and the spot menu's captions for the current spot.
  virtual void PresentSpot(const dxrec& spot) = 0;
};

class Station : public QObject {
  Q_OBJECT
 public:
  Station(std::filesystem::path programDir, std::shared_ptr<const Clock> clock, QObject* parent = nullptr);
  ~Station() override;

  void SetView(StationView* view) { view_ = view; }
  StationView* View() const { return view_; }

  // ProgramDir ends with a path separator.
  const std::string& ProgramDir() const { return programDir_; }
  std::filesystem::path ProgramPath(const std::string& name) const { return std::filesystem::path(programDir_) / name; }
  const Clock& clock() const { return *clock_; }

  Settings& settings() { return settings_; }
  const Settings& settings() const { return settings_; }

  // Reads "Varnak.ini", the node's password file and "telnet.cfg" (by bare name).
  void ReadConfiguration(const WorkArea& area);
  // Writes "Varnak.ini" and the password file; placement values come from the window.
  bool WriteConfiguration(std::string* error = nullptr);

  // Runs at the first activation (and after setup accepts new settings).
  void StartupRoutine();
  // The setup's "Save", in two steps around the dialog taking its fields: first the
  // link kind in force and the relay close; then the configuration is written and read
  // back and the start-up routine runs again. False when the configuration cannot be
  // written (error says why).
  void CloseLinksForSetup();
  bool RestartWithSettings(const WorkArea& area, std::string* error);
  bool StartupDone() const { return startupDone_; }
  // Shutdown steps in order; waits go through the view so the window stays alive.
  void Shutdown();

  // The single entry for every received, sent or banner line.
  void ClassifyLine(const std::string& line);

  // The spot lists, the panes and the user list the classifier fills.
  SpotLists& lists() { return *lists_; }
  ClusterTextModel& pane() { return *pane_; }
  TalkModel& talk() { return *talk_; }
  UserListModel& users() { return *users_; }
  Classifier& classifier() { return *classifier_; }
  TCallParser& parser() { return *parser_; }

  // The spot last filed or picked, and its lookup record, which the spot menu's
  // commands read. The record is a copy: a test may change it.
  const Spot& currentSpot() const;
  dxrec CurrentSpot;
  // What the operator's log says of CurrentSpot (None without a log).
  NeedMark CurrentSpotMark = NeedMark::None;
  // The operator picked a row of a list (a click, a key): its spot becomes the current
  // one, looked up now if it never was.
  void PickSpot(int list, int row);
  // A spot kept elsewhere (a notification's, a stations row's) becomes the current one.
  void PickSpot(const Spot& spot);
  // The spot filed last is on the page in view: it is presented now, or when the freeze
  // that holds it ends.
  void PresentFiledSpot();
  double OwnLatitude = 0, OwnLongitude = 0;

  // Lists and panes from their files (at creation) and back (at shutdown).
  void LoadListsAndPanes();

  // The lists' spots are kept up to date with the settings and the log's marks
  // (station_rows.cpp). The clock's minute, as spots count their age.
  std::int64_t NowMinute() const { return MinuteOf(clock_->LocalNow()); }
  SpotResolver& spotResolver() { return *spotResolver_; }
  // A view shows every row's lookup (the columns view is up); rows from the files are
  // looked up only while one does or a log is read.
  void SetRowLookupsWanted(bool wanted);
  bool SaveListsAndPanesNow(std::string* error = nullptr);

  // Time stamps as banners and rows show them.
  std::string LongTimeText() const;
  std::string ShortDateText() const;
  void SwitchDatesToMonthDay() { monthDayDates_ = true; }

  // Program-wide flags; they follow the links' states.
  bool TelnetConnected = false;
  bool EngineConnected = false;
  bool NodeConnected = false;
  std::string ClientBanner;

  // The cluster link in force (the Telnet link or the packet link, by the settings).
  ClusterLink& Link();
  // The buttons and the operator's sends, on the link in force. SendLine is false when
  // the line was refused or failed (and reported).
  void ConnectAction();
  void DisconnectAction();
  bool SendLine(const std::string& text);
  // Makes the links anew with the given factory and wires them (tests: doubles).
  void UseLinks(const LinkFactory& factory);
  // The Telnet link, and the relay.
  TelnetClusterLink& Control();
  Alerts& alerts() { return alerts_; }
  FreezeControl& freeze() { return *freeze_; }
  KeepAlive& keepAlive() { return *keepAlive_; }
  // The packet link with AGWInterface1; the packet windows follow its signals.
  PacketClusterLink& Packet();
  RelayServer& Relay() { return *relay_; }
  // "login.cfg", sent after every login on either link.
  LoginCommands& loginCommands() { return *loginCommands_; }
  // The operator's ADIF log ("Log" section): its marks for the spot views come from
  // operatorLog().Marker(), and operatorLog() signals marksChanged() after each re-read.
  OperatorLog& operatorLog() { return *log_; }
  // The radio (a test may give it another rig link) and the two maps.
  RigController& rig() { return *rig_; }
  MapController& maps() { return *maps_; }
  // The operator's alert rules and the one-row-per-station view (station_alerts.cpp).
  AlertController& alertRules() { return *alertRules_; }
  StationsModel& stations() { return *stations_; }
  // The spot filter: what the lists show, what sounds and what the maps plot.
  SpotFilterController& filter() { return *filter_; }
  // Sends text + CR LF on the Telnet link, no echo (login and password replies).
  bool SendTelnetLine(const std::string& text);
  // The classifier saw the node's first prompt: the Telnet login is through.
  void LoginThrough();
  void RelayLine(const std::string& line);
  // A line from the relay client: sent like the operator's, but a failure is a pane
  // line, never a box.
  void RelayClientLine(const std::string& line);

  int ConfigCheckDelayMs = 1000;
  int ShutdownWaitMs = 500;

 signals:
  void configurationRead();
  // CurrentSpot was replaced (a new spot, a clicked or keyed row): the spot menu follows.
  void currentSpotChanged();
  // A new spot was filed into its band list (list 1 to 13; 0 when the band has no list)
  // and into "All". Once per spot, after the lists have it.
  void spotFiled(const varnak::Spot& spot, int list);
  // A new spot became the current one and was shown, or was filed on the page in view
  // while the lists are frozen; the automatic map displays follow.
  void spotPresented(const varnak::Spot& spot);
  // Files that could not be written at shutdown, one reason per line.
  void shutdownFailed(const QString& reasons);

 private:
  void ConfigurationCheck();
  void WireLinks();
  // The station's side of one cluster link: its lines classified, its state followed.
  void WireClusterLink(ClusterLink& link, LinkKind kind);
  void FollowLinkState(ClusterLink& link, LinkKind kind);
  void WireClassifier();
  void WirePacketLink();
  void WireOperatorLog();
  void ReadOperatorLog();
  void WireSpotRows();
  void WireAlerts();
  void UpdateSpotResolver();
  void SpotFiled(const std::shared_ptr<Spot>& spot, int list);
  void MakeCurrent(std::shared_ptr<Spot> spot);
  // After a freeze the spot filed last while frozen becomes the current spot.
  void CatchUpAfterFreeze();
  // Hands the lists trimmed since the last call to the writer.
  void SaveTrimmedLists();

  std::string programDir_;
  std::shared_ptr<const Clock> clock_;
  Settings settings_;
  StationView* view_ = nullptr;
  QTimer timer1_;
  QTimer trimSaveTimer_;
  std::array<bool, kSpotListCount> trimmed_{};
  bool startupDone_ = false;
  bool monthDayDates_ = false;
  std::unique_ptr<RelayServer> relay_;
  Alerts alerts_;
  std::unique_ptr<FreezeControl> freeze_;
  std::unique_ptr<KeepAlive> keepAlive_;
  std::unique_ptr<SpotResolver> spotResolver_;
  std::unique_ptr<SpotLists> lists_;
  std::unique_ptr<ClusterTextModel> pane_;
  std::unique_ptr<TalkModel> talk_;
  std::unique_ptr<UserListModel> users_;
  std::unique_ptr<TCallParser> parser_;
  std::unique_ptr<ClassifierHost> host_;
  std::unique_ptr<Classifier> classifier_;
  // After the classifier and the models, so that the links go first: a link going
  // down as it is destroyed still reaches them.
  std::unique_ptr<LinkSettings> linkSettings_;
  std::unique_ptr<LoginCommands> loginCommands_;  // outlives the links it follows
  std::unique_ptr<ClusterLink> telnet_;
  std::unique_ptr<ClusterLink> packet_;
  std::unique_ptr<OperatorLog> log_;
  std::unique_ptr<FileWriter> writer_;  // the lists saved after a trim
  std::unique_ptr<RigController> rig_;
  std::unique_ptr<MapController> maps_;
  AlertController* alertRules_ = nullptr;  // children of the station
  StationsModel* stations_ = nullptr;
  SpotFilterController* filter_ = nullptr;
  bool rowLookupsWanted_ = false;
  bool relaySending_ = false;
  std::vector<std::string> settingsNotices_;  // for the pane at the next start-up routine
  std::shared_ptr<Spot> current_;  // never null
  std::shared_ptr<Spot> held_;     // the newest spot filed while frozen
  bool heldShown_ = false;         // ... and it was for the page in view
};

}  // namespace varnak
