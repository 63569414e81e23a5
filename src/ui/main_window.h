#pragma once
// TForm1, the main window: the spot notebook, the cluster text and talk panes, the send
// notebook, the side panel and the menus. The session state lives in Station; this
// class lays out the views, forwards the operator's actions and implements StationView.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QListView>
#include <QMainWindow>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSplitter>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTableWidget>
#include <QTimer>
#include <QPointer>
#include <QMenu>
#include <array>
#include <memory>
#include <vector>

#include "app/station.h"
#include "telnet/operator_commands.h"
#include "ui/callsign_window.h"
#include "ui/pane_views.h"
#include "ui/spot_columns_view.h"
#include "ui/spot_list_views.h"
#include "ui/edit_button_dialog.h"
#include "ui/map_window.h"
#include "ui/quick_help.h"
#include "ui/rig_setup_dialog.h"
#include "ui/setup_dialog.h"
#include "ui/stations_view.h"
#include "ui/windows.h"

namespace varnak {

class DemoNode;
class LookupLine;
class SpotTabCounts;
class TAlertsDlg;
class TFilterDlg;
class FilterSwitch;

class TForm1 : public QMainWindow, public StationView {
  Q_OBJECT
 public:
  // Creation: reads the configuration and places the window.
  TForm1(std::filesystem::path programDir, std::shared_ptr<const Clock> clock, QWidget* parent = nullptr);
  ~TForm1() override;

  Station& station() { return *station_; }

  // Creates the other windows, in the order the program has always made them.
  void CreateSecondaryWindows();

  // Work area of the screen the window is on.
  WorkArea CurrentWorkArea() const;
  // Desktop width used by the screen adaptation; tests may set it.
  std::function<int()> desktopWidth;

  // StationView
  void ShowInformation(const QString& text) override;
  void ShowError(const QString& text) override;
  void ShowSetupDialog() override;
  void SetCaption(const QString& caption) override;
  void SetStatus(const QString& text) override;
  void SetLinkButtons(bool connected) override;
  void ShowLinkPending() override;  // main_window_reconnect.cpp
  void SetPacketButtonsEnabled(bool enabled) override;
  void SetSoundSwitch(bool on) override;
  void SetNodeField(const QString& connectCall) override;
  void SelectNewestRows() override;
  void AdaptToScreen() override;
  void MoveCaretsToEnd() override;
  void ShowFirstSendPage() override;
  void ResetUserListHeader() override;
  void ClearLookupLine() override;
  void Wait(int ms) override;
  void StorePlacement(Settings& s) override;
  void ShowFreezePanel(bool shown) override;
  void PresentSpot(const dxrec& spot) override;
  void PresentSpotNow(const dxrec& spot);  // main_window_freeze.cpp
  // Page of the spot notebook in view: 0 "All", then the bands, kSpotListCount the search.
  int VisibleSpotPage() const;
  // The control that had the keyboard focus before a line was classified gets it back.
  void RememberFocus();
  void RestoreFocus();

  // Named parts other features reach.
  QLabel* StatLabel = nullptr;
  QLabel* RigStatus = nullptr;  // the radio's frequency and band
  QLabel* Label2 = nullptr;
  LookupLine* LookupSlot = nullptr;  // holds Label2
  QLineEdit* Edit3 = nullptr;
  QCheckBox* CheckBox1 = nullptr;
  QLabel* SoundOnImg = nullptr;
  QLabel* SoundOffimg = nullptr;
  QPushButton* HelpButton = nullptr;  // "?"
  QPushButton* VrConnect = nullptr;
  QPushButton* VrDisconnect = nullptr;
  QLineEdit* EditCallSign = nullptr;
  UserListView* UserGrid = nullptr;
  QPushButton* MonitorButton = nullptr;
  QPushButton* MheardButton = nullptr;
  QCheckBox* VrCheckLed1 = nullptr;
  QCheckBox* SplitFromSpotCheck = nullptr;
  QComboBox* ModeBox = nullptr;
  QLabel* VrStrEdit1 = nullptr;
  QPushButton* VrDemoButton1 = nullptr;  // "Update"
  QCheckBox* HamcapAuto = nullptr;
  QCheckBox* DxAuto = nullptr;
  QSplitter* Splitter1 = nullptr;  // notebook | lower panes
  QSplitter* Splitter2 = nullptr;  // cluster text | talk
  QTabWidget* TabbedNotebook1 = nullptr;
  std::array<SpotListView*, kSpotListCount> SpotGrids{};  // GridAll, Grid160 ... GridSHF
  SpotTabCounts* TabCounts = nullptr;  // "20m (12)" on the band tabs
  // ---- The columns view of the spot lists (main_window_columns.cpp) ----
  std::array<QStackedWidget*, kSpotListCount> SpotPages{};     // each page: SpotGrids[i], then ColumnGrids[i]
  std::array<SpotColumnsView*, kSpotListCount> ColumnGrids{};  // only while "Spot columns" is ticked
  QAction* SpotColumnsAction = nullptr;  // "Spot columns" in "Setup"
  bool SpotColumnsShown() const { return ColumnGrids[0] != nullptr; }
  void SetSpotColumns(bool on);
  // Age column and fading: repaints the views (also each minute by itself).
  void RefreshSpotAges();
  QLineEdit* SearchEdit = nullptr;         // Edit2 on the search page
  QPushButton* SearchDxButton = nullptr;
  QPushButton* SearchAnnounceButton = nullptr;
  QPushButton* SearchButton = nullptr;
  SearchResultsModel* SearchModel = nullptr;
  SearchResultsView* SearchResults = nullptr;
  QMenu* PopupMenu1 = nullptr;  // the spot menu
  std::array<QAction*, 13> SpotMenuItems{};
  QWidget* RichEditAll = nullptr;  // the cluster text pane (ClusterTextView)
  TalkView* Memo1 = nullptr;
  QTabWidget* TabbedNotebook2 = nullptr;
  QLineEdit* SendTextEdit = nullptr;  // Edit7
  QPushButton* SendTextButton = nullptr;
  QLineEdit* DxCallEdit = nullptr;  // Edit4
  QLineEdit* DxQrgEdit = nullptr;   // Edit5
  QLineEdit* DxInfoEdit = nullptr;  // Edit6
  QPushButton* SendSpotButton = nullptr;
  QRadioButton* AnnounceLocal = nullptr;
  QRadioButton* AnnounceAll = nullptr;
  QLineEdit* AnnounceEdit = nullptr;  // Edit9
  QPushButton* AnnounceButton = nullptr;
  QLineEdit* TalkCallEdit = nullptr;  // Edit1
  QLineEdit* TalkTextEdit = nullptr;  // Edit8
  QPushButton* TalkButton = nullptr;
  QWidget* Panel4 = nullptr;  // user buttons
  QWidget* LookupPanel = nullptr;
  QWidget* SidePanel = nullptr;
  QWidget* PacketBox = nullptr;
  QWidget* OmniRigBox = nullptr;
  QLabel* FreezePanel = nullptr;

  // The other windows.
  TEditButtonDlg* EditButtonDlg = nullptr;
  TCallsign* Callsign = nullptr;
  TSetupDlg* SetupDlg = nullptr;
  TForm3* Form3 = nullptr;
  TAboutBox* AboutBox = nullptr;
  TChatForm* ChatForm = nullptr;
  TMoniForm* MoniForm = nullptr;
  TMheard* Mheard = nullptr;
  TMapForm* MapForm = nullptr;  // stands in for Atlas1 and HamCapApp1

  // ---- Alert rules and the "Stations" page (main_window_alerts.cpp) ----
  StationsView* StationsGrid = nullptr;
  TAlertsDlg* AlertsDlg = nullptr;
  QAction* AlertsAction = nullptr;  // "Alerts" in "Setup"
  void WireAlerts();

  // ---- The spot filter's dialog and switch (main_window_filter.cpp) ----
  TFilterDlg* FilterDlg = nullptr;
  QAction* FilterAction = nullptr;  // "Filter" in "Setup"
  FilterSwitch* FilterBar = nullptr;  // at the spot notebook's tabs
  void WireFilter();
  void ApplyFilterToViews();
  void UpdateRowLookups();
  SpotListView* FilteredGridInView() const;

  // ---- Map and propagation links (main_window_map.cpp) ----
  void WireMapLinks();

  // Send notebook, user buttons, menus of the panes (main_window_commands.cpp).
  void WireOperatorCommands();
  void BuildUserButtons();
  void FreeButtons();

  // Replaces the cluster text pane's widget (the pane view of the classifier).
  void SetClusterTextView(QWidget* view);

  // ---- Operator commands and user buttons (main_window_commands.cpp) ----
  CommandHistory History;
  std::string AnnouncePrefix = kAnnounceLocal;
  std::vector<QPushButton*> UserButtons;
  QPushButton* ClearDxButton = nullptr;  // "Clear" (Button7) on the "Send DX" page
  QMenu* RichPopup = nullptr;            // menu of the cluster text pane
  RandomInt ChallengeRandom = DefaultRandom();
  // Where the operator's lines go when set (tests record them); unset, the station's
  // SendLine. False when the line was refused (link down), which stops the action
  // that sent.
  std::function<bool(const std::string&)> SendLineChecked;
  // Freeze state of the spot lists; a send-page change shortens a running freeze.
  std::function<bool()> IsFrozen;
  std::function<void(int ms)> SetFreezeInterval;

  bool SendCommandLine(const std::string& text);
  void Button4Click();   // "Send text"
  void Button5Click();   // "Send spot"
  void Button7Click();   // "Clear" of the spot form
  void Button8Click();   // "Send" announcement
  void Button1Click();   // "Send" talk
  void RadioButton1Click();
  void RadioButton2Click();
  void VrDemoButton1Click();  // "Update"
  void TabbedNotebook2Click();
  void Sendpassword1Click();
  void ButtonClicked(QObject* sender);
  // A look-up item of the spot menu for CurrentSpot's DX call and home call.
  void SendSpotLookup(SpotLookup item, const std::string& dxCall, const std::string& homeCall);
  // Puts RichPopup on the current cluster text pane (again after SetClusterTextView).
  void AttachRichPopup();
  // The button editor registers itself here when created with this window as parent.
  void AttachButtonEditor(TEditButtonDlg* dialog);
  // ---- end of operator commands ----

  // ---- The radio (main_window_rig.cpp) ----
  TRigSetupDlg* RigSetupDlg = nullptr;
  QPointer<QMessageBox> RigBox;  // the last box the rig link raised
  void WireRig();
  void SetQRG1Click();
  void ModeBoxChange(int index);
  void SetupOmnirig1Click();
  // ---- end of the radio ----
  // The demo run with the practice node (main_window_demo.cpp): the caption and the
  // status line say so, and a node that ends is reported in the pane.
  void AttachDemoNode(DemoNode* node);
  bool IsDemo() const { return demo_; }

 protected:
  void changeEvent(QEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void BuildLayout();
  void BuildMenus();
  QWidget* BuildSidePanel();
  QWidget* BuildSendNotebook();
  void ApplyPlacement();
  void ApplyFontSize(int size);
  void OnActivate();
  void WireFreeze();
  void WireSpotLists();
  // main_window_freeze.cpp
  void WireFreezeView();
  void UpdateSpotMenuCaptions();
  void ReportShutdownFailure(const QString& reasons);
  // main_window_columns.cpp
  void WireSpotColumns();
  void ColumnLayoutEdited(SpotColumnsView* from);
  // A row of a list picked with the mouse, the arrow keys or Enter.
  void SpotRowPressed(int list, int row, Qt::MouseButton button);
  void SpotRowKeyed(int list, int row);
  void SpotRowEntered(int list, int row);
  void SpotRowDoubleClicked(int list, int row);  // main_window_freeze.cpp
  // Scrolling a list away from its newest row freezes the lists; back at it, the freeze ends.
  void WireScrollHold(SpotViewHold* hold);
  // Only the page in front follows new spots; the others catch up when shown.
  void PauseHiddenSpotLists(int page);
  bool IsSpotViewport(QObject* watched) const;
  QTimer ageTimer_;
  // main_window_keyboard.cpp
  void WireKeyboard();
  void Search();
  QPointer<QWidget> rememberedFocus_;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void FocusVisibleSendPage();
  void OpenRigBox(int icon, const QString& title, const QString& text);

  std::unique_ptr<Station> station_;
  bool closing_ = false;
  bool demo_ = false;
};

}  // namespace varnak
