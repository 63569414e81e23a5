#include "ui/main_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QEventLoop>
#include <QFontDatabase>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QMenuBar>
#include <QMessageBox>
#include <QPainter>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStringListModel>
#include <QUrl>
#include <QVBoxLayout>
#include <QWindow>
#include <algorithm>

#include "agw/packet_cluster_link.h"
#include "ui/band_map_window.h"
#include "ui/batched_list_proxy.h"
#include "ui/lookup_line.h"
#include "ui/main_window_demo.h"
#include "ui/quiet_tab_widget.h"
#include "ui/spot_tab_counts.h"
#include "app/spot_filter_controller.h"
#include "app/win1252.h"
#include "ui/message_boxes.h"

namespace varnak {

namespace {
const char* const kSearchPageTitle = "[ Search ]";
// "GridAll", "Grid160" ... "Grid70", "GridSHF".
QString GridName(int list) {
  if (list == kAllList) return "GridAll";
  const std::string_view band = kBandTexts[static_cast<size_t>(list - 1)];
  return QString("Grid") + QString::fromLatin1(band == "70cm" ? std::string_view("70") : band);
}

QFont FixedFont(int size) {
  QFont f("Courier New");
  f.setStyleHint(QFont::TypeWriter);
  f.setFixedPitch(true);
  f.setPointSize(size > 0 ? size : 10);
  return f;
}

// A small speaker drawn in code, with or without sound waves.
QPixmap SpeakerImage(bool on) {
  QPixmap pm(18, 18);
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  p.setBrush(Qt::black);
  p.drawPolygon(QPolygon({QPoint(2, 6), QPoint(6, 6), QPoint(10, 2), QPoint(10, 16), QPoint(6, 12), QPoint(2, 12)}));
  QPen pen(on ? QColor(0, 128, 0) : QColor(200, 0, 0), 1.6);
  p.setPen(pen);
  if (on) {
    p.drawArc(QRectF(8, 5, 6, 8), -60 * 16, 120 * 16);
    p.drawArc(QRectF(8, 2, 9, 14), -60 * 16, 120 * 16);
  } else {
    p.drawLine(12, 6, 17, 12);
    p.drawLine(17, 6, 12, 12);
  }
  return pm;
}

}  // namespace

TForm1::TForm1(std::filesystem::path programDir, std::shared_ptr<const Clock> clock, QWidget* parent)
    : QMainWindow(parent), station_(std::make_unique<Station>(std::move(programDir), std::move(clock))) {
  setObjectName("Form1");
  setWindowTitle("Varnak");
  desktopWidth = [this] {
    QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen();
    return s ? s->geometry().width() : 0;
  };
  station_->SetView(this);
  BuildLayout();
  BuildMenus();
  WireFreeze();
  WireOperatorCommands();
  WireSpotLists();
  WireFreezeView();
  WireKeyboard();
  WireRig();
  WireMapLinks();
  WireSpotColumns();
  WireAlerts();
  WireFilter();
  station_->ReadConfiguration(CurrentWorkArea());
  station_->LoadListsAndPanes();
  ApplyPlacement();
  WireBandMap(*this);
  ApplyFilterToViews();
}

TForm1::~TForm1() = default;

void TForm1::CreateSecondaryWindows() {
  SetupDlg = new TSetupDlg(*station_, this);
  Form3 = new TForm3(this);
  AboutBox = new TAboutBox(this);
  ChatForm = new TChatForm(this);
  MoniForm = new TMoniForm(this);
  Mheard = new TMheard(this);
  PacketClusterLink& packet = station_->Packet();
  connect(&packet, &PacketClusterLink::monitorWindowText, MoniForm,
          [this](const std::string& text) { MoniForm->Showdata(text); });
  connect(&packet, &PacketClusterLink::heardCleared, Mheard, &TextWindow::Clear);
  connect(&packet, &PacketClusterLink::heardLine, Mheard,
          [this](const std::string& line) { Mheard->AddLine(ToQString(line)); });
  // Without the engine there is no user list to update.
  connect(&packet, &PacketClusterLink::engineStateChanged, VrDemoButton1, [this](bool up) {
    if (!up) VrDemoButton1->setEnabled(false);
  });
  connect(MonitorButton, &QPushButton::clicked, MoniForm, &TextWindow::ShowCentred);
  connect(MheardButton, &QPushButton::clicked, this, [this] {
    station_->Packet().MheardButtonClick();
    Mheard->ShowCentred();
  });
}

WorkArea TForm1::CurrentWorkArea() const {
  QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen();
  if (!s) return WorkArea{};
  QRect r = s->availableGeometry();
  return WorkArea{r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
}

void TForm1::BuildLayout() {
  const int fontSize = 10;
  auto* central = new QWidget(this);
  auto* outer = new QVBoxLayout(central);
  outer->setContentsMargins(4, 4, 4, 4);
  outer->setSpacing(3);

  // Status line.
  auto* statusRow = new QHBoxLayout;
  statusRow->addWidget(new QLabel("Status:", central));
  StatLabel = new QLabel("Disconnected", central);
  StatLabel->setObjectName("StatLabel");
  statusRow->addWidget(StatLabel, 1);
  // In the status line, where it hides no row of a list; its place is kept while it is
  // hidden, so showing it moves nothing.
  FreezePanel = new QLabel("Freeze ...", central);
  FreezePanel->setObjectName("FreezePanel");
  FreezePanel->setAlignment(Qt::AlignCenter);
  FreezePanel->setStyleSheet("background: #ffe080; color: black; font-weight: bold; padding: 0 8px;");
  QSizePolicy keepPlace = FreezePanel->sizePolicy();
  keepPlace.setRetainSizeWhenHidden(true);
  FreezePanel->setSizePolicy(keepPlace);
  FreezePanel->hide();
  statusRow->addWidget(FreezePanel);
  RigStatus = new QLabel(central);
  RigStatus->setObjectName("RigStatus");
  statusRow->addWidget(RigStatus);
  outer->addLayout(statusRow);

  // Lookup line.
  LookupPanel = new QWidget(central);
  auto* lookupRow = new QHBoxLayout(LookupPanel);
  lookupRow->setContentsMargins(0, 0, 0, 0);
  Label2 = new QLabel("Prefix:", central);
  Label2->setObjectName("Label2");
  Label2->setFont(FixedFont(fontSize));
  Label2->setTextFormat(Qt::PlainText);
  Label2->setTextInteractionFlags(Qt::TextSelectableByMouse);
  LookupSlot = new LookupLine(Label2, LookupPanel);
  lookupRow->addWidget(LookupSlot, 1);
  Edit3 = new QLineEdit(central);
  Edit3->setObjectName("Edit3");
  Edit3->setReadOnly(true);
  QFont bold = Edit3->font();
  bold.setBold(true);
  Edit3->setFont(bold);
  Edit3->setMaximumWidth(110);
  lookupRow->addWidget(Edit3);
  CheckBox1 = new QCheckBox(central);
  CheckBox1->setObjectName("CheckBox1");
  CheckBox1->setToolTip("Sound Off/On");
  lookupRow->addWidget(CheckBox1);
  SoundOnImg = new QLabel(central);
  SoundOnImg->setPixmap(SpeakerImage(true));
  SoundOnImg->hide();
  SoundOffimg = new QLabel(central);
  SoundOffimg->setPixmap(SpeakerImage(false));
  lookupRow->addWidget(SoundOnImg);
  lookupRow->addWidget(SoundOffimg);
  HelpButton = new QPushButton("?", central);
  HelpButton->setToolTip("Quick command help window");
  HelpButton->setMaximumWidth(28);
  lookupRow->addWidget(HelpButton);
  VrConnect = new QPushButton("Connect", central);
  VrConnect->setObjectName("VrConnect");
  VrConnect->setToolTip("Connect to cluster");
  VrDisconnect = new QPushButton("Disconnect", central);
  VrDisconnect->setObjectName("VrDisconnect");
  VrDisconnect->setToolTip("Disconnect from cluster");
  VrDisconnect->hide();
  lookupRow->addWidget(VrConnect);
  lookupRow->addWidget(VrDisconnect);
  outer->addWidget(LookupPanel);

  // Centre: notebook above the panes, the side panel at the right.
  auto* middle = new QHBoxLayout;
  auto* centre = new QVBoxLayout;
  Splitter1 = new QSplitter(Qt::Vertical, central);
  Splitter1->setObjectName("Splitter1");
  TabbedNotebook1 = new QuietTabWidget(Splitter1);
  TabbedNotebook1->setObjectName("TabbedNotebook1");
  for (int i = 0; i < kSpotListCount; ++i) {
    // The page holds the one-column view and, while ticked, the columns view.
    SpotPages[i] = new QStackedWidget(TabbedNotebook1);
    SpotGrids[i] = new SpotListView(station_->lists().List(i), SpotPages[i]);
    SpotGrids[i]->setObjectName(GridName(i));
    SpotGrids[i]->setFont(FixedFont(fontSize));
    SpotPages[i]->addWidget(SpotGrids[i]);
    TabbedNotebook1->addTab(SpotPages[i], QString::fromLatin1(kSpotPageTitles[static_cast<size_t>(i)]));
  }
  auto* searchPage = new QWidget(TabbedNotebook1);
  auto* searchLayout = new QVBoxLayout(searchPage);
  auto* searchRow = new QHBoxLayout;
  SearchEdit = new QLineEdit(searchPage);
  SearchEdit->setObjectName("Edit2");
  SearchDxButton = new QPushButton("DX", searchPage);
  SearchAnnounceButton = new QPushButton("Announce", searchPage);
  searchRow->addWidget(new QLabel("Call/Text:", searchPage));
  searchRow->addWidget(SearchEdit, 1);
  searchRow->addWidget(SearchDxButton);
  searchRow->addWidget(SearchAnnounceButton);
  searchLayout->addLayout(searchRow);
  SearchModel = new SearchResultsModel(this);
  SearchResults = new SearchResultsView(SearchModel, searchPage);
  SearchResults->setObjectName("SearchResults");
  SearchResults->setFont(FixedFont(fontSize));
  searchLayout->addWidget(SearchResults, 1);
  TabbedNotebook1->addTab(searchPage, kSearchPageTitle);
  TabCounts = new SpotTabCounts(TabbedNotebook1, this);

  Splitter2 = new QSplitter(Qt::Vertical, Splitter1);
  Splitter2->setObjectName("Splitter2");
  auto* pane = new ClusterTextView(&station_->pane(), Splitter2);
  pane->setFont(FixedFont(fontSize));
  pane->setObjectName("RichEditAll");
  RichEditAll = pane;
  Memo1 = new TalkView(&station_->talk(), Splitter2);
  Memo1->setObjectName("Memo1");
  Memo1->setFont(FixedFont(fontSize));
  Splitter1->setStretchFactor(0, 3);
  Splitter1->setStretchFactor(1, 2);
  centre->addWidget(Splitter1, 1);
  centre->addWidget(BuildSendNotebook());

  Panel4 = new QWidget(central);
  Panel4->setObjectName("Panel4");
  Panel4->setToolTip("You can Edit/Setup your own buttons via the Setup menu!");
  Panel4->setMinimumHeight(26);
  centre->addWidget(Panel4);

  middle->addLayout(centre, 1);
  // On a small desktop the side column scrolls rather than holding the window too tall.
  auto* sideScroll = new QScrollArea(central);
  sideScroll->setWidget(BuildSidePanel());
  sideScroll->setWidgetResizable(true);
  sideScroll->setFrameShape(QFrame::NoFrame);
  sideScroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  // 150 pixels, or what the "Packet" buttons need to show their captions in the theme's font.
  const int packetButtons = CaptionWidth(MonitorButton, MonitorButton->text()) +
                            CaptionWidth(MheardButton, MheardButton->text()) + 24;
  sideScroll->setFixedWidth(std::max(150, packetButtons + sideScroll->verticalScrollBar()->sizeHint().width()));
  middle->addWidget(sideScroll);
  outer->addLayout(middle, 1);
  setCentralWidget(central);

  connect(CheckBox1, &QCheckBox::toggled, this, [this](bool on) {
    station_->settings().Sound = on;
    station_->alerts().SetSoundOn(on);
    SoundOnImg->setVisible(on);
    SoundOffimg->setVisible(!on);
  });
  connect(VrConnect, &QPushButton::clicked, this, [this] { station_->ConnectAction(); });
  connect(EditCallSign, &QLineEdit::returnPressed, this, [this] {
    if (!Callsign) return;
    Callsign->Edit1->setText(EditCallSign->text().toUpper());
    EditCallSign->clear();
    Callsign->show();
    Callsign->raise();
  });
  connect(UserGrid, &QTableView::clicked, this, [this](const QModelIndex& index) {
    TalkCallEdit->setText(index.data().toString());
    FocusVisibleSendPage();
  });
  connect(VrDisconnect, &QPushButton::clicked, this, [this] { station_->DisconnectAction(); });
}

QWidget* TForm1::BuildSidePanel() {
  auto* side = new QWidget(this);
  SidePanel = side;
  side->setMinimumWidth(120);  // narrower than its buttons like: the column is 150 wide
  auto* layout = new QVBoxLayout(side);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(new QLabel("Call lookup:", side));
  EditCallSign = new QLineEdit(side);
  EditCallSign->setObjectName("EditCallSign");
  EditCallSign->setToolTip("Look up Callsign or Prefix");
  connect(EditCallSign, &QLineEdit::textEdited, EditCallSign, [e = EditCallSign](const QString& t) {
    int pos = e->cursorPosition();
    e->setText(t.toUpper());
    e->setCursorPosition(pos);
  });
  layout->addWidget(EditCallSign);

  UserGrid = new UserListView(&station_->users(), side);
  UserGrid->setObjectName("UserGrid");
  layout->addWidget(UserGrid, 1);

  auto* packet = new QGroupBox("Packet", side);
  PacketBox = packet;
  auto* pl = new QHBoxLayout(packet);
  MonitorButton = new QPushButton("Monitor", packet);
  MheardButton = new QPushButton("Mheard", packet);
  MonitorButton->setToolTip("Open monitor window");
  MheardButton->setToolTip("Open Mheard window");
  pl->addWidget(MonitorButton);
  pl->addWidget(MheardButton);
  layout->addWidget(packet);

  auto* rig = new QGroupBox("OmniRig", side);
  OmniRigBox = rig;
  rig->setToolTip("The radio, through Hamlib's rigctld (host and port in \"Setup Omnirig\")");
  auto* rl = new QVBoxLayout(rig);
  VrCheckLed1 = new QCheckBox("On", rig);
  VrCheckLed1->setToolTip("Switch on/off the OmniRig driver");
  ModeBox = new QComboBox(rig);
  ModeBox->addItems({"CW", "CWR", "USB", "LSB", "DIG", "DIGR", "AM", "FM"});
  VrStrEdit1 = new QLabel("- - - - - -", rig);
  VrStrEdit1->setAlignment(Qt::AlignCenter);
  VrStrEdit1->setStyleSheet("background: black; color: #30ff30; font-family: monospace;");
  SplitFromSpotCheck = new QCheckBox("Split from spot", rig);
  SplitFromSpotCheck->setObjectName("SplitFromSpotCheck");
  SplitFromSpotCheck->setToolTip("Tuning to a spot sets the radio's split from its comment (\"UP 5\", \"QSX 14195\")");
  rl->addWidget(VrCheckLed1);
  rl->addWidget(SplitFromSpotCheck);
  rl->addWidget(ModeBox);
  rl->addWidget(VrStrEdit1);
  layout->addWidget(rig);

  auto* users = new QGroupBox(side);
  auto* ul = new QHBoxLayout(users);
  VrDemoButton1 = new QPushButton("Update", users);
  VrDemoButton1->setToolTip("Show the locally connected users");
  VrDemoButton1->setEnabled(false);
  ul->addWidget(VrDemoButton1);
  layout->addWidget(users);

  auto* hamcap = new QGroupBox("Hamcap", side);
  hamcap->setToolTip("The built-in path view: the short and long path to the spot's station");
  auto* hl = new QHBoxLayout(hamcap);
  HamcapAuto = new QCheckBox("Auto", hamcap);
  hl->addWidget(HamcapAuto);
  layout->addWidget(hamcap);
  auto* atlas = new QGroupBox("Dxatlas", side);
  atlas->setToolTip("The built-in world map: the spots on the map");
  auto* al = new QHBoxLayout(atlas);
  DxAuto = new QCheckBox("Auto", atlas);
  al->addWidget(DxAuto);
  layout->addWidget(atlas);
  return side;
}

QWidget* TForm1::BuildSendNotebook() {
  TabbedNotebook2 = new QuietTabWidget(this);
  TabbedNotebook2->setObjectName("TabbedNotebook2");
  TabbedNotebook2->setMaximumHeight(70);

  auto* text = new QWidget(TabbedNotebook2);
  auto* tl = new QHBoxLayout(text);
  SendTextEdit = new QLineEdit(text);
  SendTextEdit->setObjectName("Edit7");
  SendTextButton = new QPushButton("Send", text);
  tl->addWidget(SendTextEdit, 1);
  tl->addWidget(SendTextButton);
  TabbedNotebook2->addTab(text, "Send text");

  auto* dx = new QWidget(TabbedNotebook2);
  auto* dl = new QHBoxLayout(dx);
  DxCallEdit = new QLineEdit(dx);
  DxCallEdit->setObjectName("Edit4");
  DxCallEdit->setToolTip("Enter DxCall");
  DxQrgEdit = new QLineEdit(dx);
  DxQrgEdit->setObjectName("Edit5");
  DxQrgEdit->setToolTip("Enter qrg in Khz (Decimal with a DOT )");
  DxInfoEdit = new QLineEdit(dx);
  DxInfoEdit->setObjectName("Edit6");
  DxInfoEdit->setToolTip("Enter additional info here!");
  SendSpotButton = new QPushButton("Send spot", dx);
  dl->addWidget(DxCallEdit);
  dl->addWidget(DxQrgEdit);
  dl->addWidget(DxInfoEdit, 1);
  dl->addWidget(SendSpotButton);
  TabbedNotebook2->addTab(dx, "Send DX");

  auto* ann = new QWidget(TabbedNotebook2);
  auto* anl = new QHBoxLayout(ann);
  AnnounceLocal = new QRadioButton("Local", ann);
  AnnounceLocal->setChecked(true);
  AnnounceAll = new QRadioButton("All", ann);
  AnnounceEdit = new QLineEdit(ann);
  AnnounceEdit->setObjectName("Edit9");
  AnnounceButton = new QPushButton("Send", ann);
  anl->addWidget(AnnounceLocal);
  anl->addWidget(AnnounceAll);
  anl->addWidget(AnnounceEdit, 1);
  anl->addWidget(AnnounceButton);
  TabbedNotebook2->addTab(ann, "Announce");

  auto* talk = new QWidget(TabbedNotebook2);
  auto* kl = new QHBoxLayout(talk);
  TalkCallEdit = new QLineEdit(talk);
  TalkCallEdit->setObjectName("Edit1");
  TalkCallEdit->setMaximumWidth(100);
  TalkTextEdit = new QLineEdit(talk);
  TalkTextEdit->setObjectName("Edit8");
  TalkButton = new QPushButton("Send", talk);
  kl->addWidget(TalkCallEdit);
  kl->addWidget(TalkTextEdit, 1);
  kl->addWidget(TalkButton);
  TabbedNotebook2->addTab(talk, "Talk");
  return TabbedNotebook2;
}

void TForm1::BuildMenus() {
  QMenu* file = menuBar()->addMenu("&File");
  file->addAction("Exit", this, &QWidget::close)->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
  QMenu* setup = menuBar()->addMenu("&Setup");
  setup->addAction("Setup Varnak", this, [this] { ShowSetupDialog(); });
  setup->addAction("Setup user buttons", this, [this] {
    if (EditButtonDlg) EditButtonDlg->show();
  });
  setup->addAction("Setup Omnirig", this, [this] { SetupOmnirig1Click(); });
  SpotColumnsAction = setup->addAction("Spot columns");
  SpotColumnsAction->setObjectName("SpotColumnsAction");
  SpotColumnsAction->setCheckable(true);
  QMenu* run = menuBar()->addMenu("&Run");
  run->addAction("Callsign lookup", this, [this] {
    if (Callsign) Callsign->show();
  });
  QMenu* help = menuBar()->addMenu("&Help");
  help->addAction("Quick help", this, [this] {
    if (Form3) Form3->show();
  })->setShortcut(QKeySequence(Qt::Key_F1));
  help->addAction("Visit webpage", this, [] { QDesktopServices::openUrl(QUrl("https://www.dxcluster.info/")); });
  help->addAction("About", this, [this] {
    if (AboutBox) AboutBox->show();
  });
  connect(HelpButton, &QPushButton::clicked, this, [this] {
    if (Form3) Form3->show();
  });
}

void TForm1::ApplyFontSize(int size) {
  for (auto* grid : SpotGrids) grid->setFont(FixedFont(size));
  for (std::size_t i = 0; i < ColumnGrids.size(); ++i) {
    if (!ColumnGrids[i]) continue;
    ColumnGrids[i]->setFont(FixedFont(size));
    ColumnGrids[i]->SetRowHeight(SpotGrids[i]->RowHeight());
  }
  SearchResults->setFont(FixedFont(size));
  RichEditAll->setFont(FixedFont(size));
  Memo1->setFont(FixedFont(size));
}

void TForm1::SetClusterTextView(QWidget* view) {
  int index = Splitter2->indexOf(RichEditAll);
  QWidget* old = RichEditAll;
  Splitter2->replaceWidget(index, view);
  view->setObjectName("RichEditAll");
  RichEditAll = view;
  station_->freeze().ShortenOnMouseOver(view);
  old->deleteLater();
}

void TForm1::changeEvent(QEvent* event) {
  QMainWindow::changeEvent(event);
  if (event->type() == QEvent::ActivationChange && isActiveWindow()) OnActivate();
}

void TForm1::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  // Some platforms (and the offscreen one) never report activation of a new window.
  QTimer::singleShot(0, this, [this] {
    if (!station_->StartupDone() && !closing_) OnActivate();
  });
}

void TForm1::WireFreeze() {
  // A press on a spot list freezes the lists so the operator can pick a row in peace;
  // moving to another part of the window ends the freeze almost at once.
  for (auto* grid : SpotGrids) grid->viewport()->installEventFilter(this);
  FreezeControl& freeze = station_->freeze();
  for (QWidget* w : {RichEditAll, static_cast<QWidget*>(Memo1), LookupPanel, SidePanel, PacketBox, OmniRigBox})
    freeze.ShortenOnMouseOver(w);
  IsFrozen = [this] { return station_->freeze().Frozen(); };
  SetFreezeInterval = [this](int) { station_->freeze().ShortenForSend(); };
  connect(station_.get(), &Station::configurationRead, this,
          [this] { ApplyFontSize(station_->settings().FontSize); });
}

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseButtonPress) {
    if (IsSpotViewport(watched)) station_->freeze().StartFreeze();
  }
  return QMainWindow::eventFilter(watched, event);
}

void TForm1::OnActivate() {
  if (!station_->StartupDone()) station_->StartupRoutine();
  FocusVisibleSendPage();
}

void TForm1::FocusVisibleSendPage() {
  switch (TabbedNotebook2->currentIndex()) {
    case 0: SendTextEdit->setFocus(); break;
    case 2: AnnounceEdit->setFocus(); break;
    case 3: TalkTextEdit->setFocus(); break;
    default: break;
  }
}

void TForm1::closeEvent(QCloseEvent* event) {
  if (closing_) {
    event->accept();
    return;
  }
  closing_ = true;
  station_->Shutdown();
  event->accept();
}

// Raised from socket, timer and classifier handlers: never a nested event loop here.
void TForm1::ShowInformation(const QString& text) {
  OpenMessageBox(this, QMessageBox::Information, "Information", text);
}
void TForm1::ShowError(const QString& text) { OpenMessageBox(this, QMessageBox::Critical, "Error", text); }

void TForm1::ShowSetupDialog() {
  if (!SetupDlg) return;
  // Placed before it is shown: showing it keeps it inside the work area.
  SetupDlg->move(geometry().center() - SetupDlg->rect().center());
  SetupDlg->show();
  SetupDlg->raise();
}

int TForm1::VisibleSpotPage() const { return TabbedNotebook1->currentIndex(); }

void TForm1::RememberFocus() { rememberedFocus_ = QApplication::focusWidget(); }

void TForm1::RestoreFocus() {
  if (rememberedFocus_ && rememberedFocus_ != QApplication::focusWidget()) rememberedFocus_->setFocus();
}

void TForm1::WireSpotLists() {
  PopupMenu1 = new QMenu(this);
  SpotMenuCaptions design = DesignSpotMenuCaptions();
  for (size_t i = 0; i < design.size(); ++i) SpotMenuItems[i] = PopupMenu1->addAction(ToQString(design[i]));
  for (size_t i = 0; i < kSpotLookups.size(); ++i) {
    SpotLookup item = kSpotLookups[i];
    connect(SpotMenuItems[Showqrz1 + i], &QAction::triggered, this, [this, item] {
      SendSpotLookup(item, station_->CurrentSpot.SpotCall, station_->CurrentSpot.HomeCall);
    });
  }
  // The map displays come with the map links.
  SpotMenuItems[ShowinHamcap1]->setEnabled(false);
  SpotMenuItems[ShowinDxAtlas1]->setEnabled(false);

  for (int list = 0; list < kSpotListCount; ++list) {
    SpotListView* grid = SpotGrids[static_cast<size_t>(list)];
    // The press itself has frozen the lists already (eventFilter).
    connect(grid, &SpotListView::rowPressed, this,
            [this, list](int row, const QByteArray&, Qt::MouseButton button) { SpotRowPressed(list, row, button); });
    connect(grid, &SpotListView::rowEntered, this, [this, list](int row) { SpotRowEntered(list, row); });
    connect(grid, &SpotListView::rowDoubleClicked, this, [this, list](int row) { SpotRowDoubleClicked(list, row); });
    WireScrollHold(grid->hold());
  }
  // A new spot is shown when the page in view lists it.
  connect(station_.get(), &Station::spotFiled, this, [this](const Spot& spot, int list) {
    // A spot the filter hides neither becomes the current spot nor counts on its tab.
    if (!station_->filter().Shows(spot)) return;
    if (SpotShownOnPage(list, VisibleSpotPage())) station_->PresentFiledSpot();
    TabCounts->SpotFiled(list);
  });
  connect(&station_->classifier(), &Classifier::lineStarted, this, &TForm1::RememberFocus);
  connect(&station_->classifier(), &Classifier::lineFinished, this, &TForm1::RestoreFocus);
  connect(TabbedNotebook1, &QTabWidget::currentChanged, this, [this](int page) {
    PauseHiddenSpotLists(page);
    LookupSlot->Clear();
    if (page >= 0 && page < kSpotListCount) {
      SpotGrids[static_cast<size_t>(page)]->spotModel()->SelectLastRow();
    } else {
      SearchEdit->clear();
      SearchModel->Clear();
    }
  });
  PauseHiddenSpotLists(TabbedNotebook1->currentIndex());
  connect(TabbedNotebook1, &QTabWidget::tabBarClicked, this, [this](int page) {
    if (page == kSpotListCount) SearchEdit->setFocus();
    else FocusVisibleSendPage();
  });
  SearchDxButton->setCheckable(true);
  SearchAnnounceButton->setCheckable(true);
  SearchDxButton->setChecked(true);
  SearchDxButton->setAutoExclusive(true);
  SearchAnnounceButton->setAutoExclusive(true);
  SearchButton = new QPushButton("Search", SearchDxButton->parentWidget());
  SearchDxButton->parentWidget()->layout()->itemAt(0)->layout()->addWidget(SearchButton);
  connect(SearchButton, &QPushButton::clicked, this, &TForm1::Search);
  connect(SearchEdit, &QLineEdit::returnPressed, this, &TForm1::Search);
}

void TForm1::PauseHiddenSpotLists(int page) {
  // Resume the page in front first: its rows are up to date before it paints.
  if (page >= 0 && page < kSpotListCount) SpotGrids[static_cast<size_t>(page)]->shownModel()->SetPaused(false);
  for (int i = 0; i < kSpotListCount; ++i)
    if (i != page) SpotGrids[static_cast<size_t>(i)]->shownModel()->SetPaused(true);
}

void TForm1::SpotRowPressed(int list, int row, Qt::MouseButton button) {
  station_->PickSpot(list, row);
  PresentSpotNow(station_->CurrentSpot);
  if (button == Qt::RightButton) {
    station_->freeze().LengthenForSpotMenu();
    PopupMenu1->popup(QCursor::pos());
  }
}

void TForm1::Search() {
  SearchSpots(SearchAnnounceButton->isChecked() ? SearchMode::Announce : SearchMode::Dx,
              FromQString(SearchEdit->text()), *station_->lists().All(), station_->pane(), *SearchModel);
  SearchEdit->setFocus();
}

void TForm1::SetCaption(const QString& caption) { setWindowTitle(demo_ ? caption + kDemoCaptionTail : caption); }
void TForm1::SetStatus(const QString& text) { StatLabel->setText(demo_ ? kDemoStatusHead + text : text); }

void TForm1::SetLinkButtons(bool connected) {
  VrConnect->setVisible(!connected);
  VrDisconnect->setVisible(connected);
  VrDemoButton1->setEnabled(connected);
}

void TForm1::SetPacketButtonsEnabled(bool enabled) {
  MonitorButton->setEnabled(enabled);
  MheardButton->setEnabled(enabled);
}

void TForm1::SetSoundSwitch(bool on) {
  CheckBox1->setChecked(on);
  SoundOnImg->setVisible(on);
  SoundOffimg->setVisible(!on);
}

void TForm1::SetNodeField(const QString& connectCall) { Edit3->setText(connectCall.toUpper()); }

void TForm1::SelectNewestRows() {
  for (auto* grid : SpotGrids) grid->spotModel()->SelectLastRow();
}

void TForm1::MoveCaretsToEnd() {
  if (auto* pane = qobject_cast<LinePaneView*>(RichEditAll)) {
    pane->Sync();
    pane->moveCursor(QTextCursor::End);
  }
  Memo1->Sync();
  Memo1->moveCursor(QTextCursor::End);
}

void TForm1::ShowFirstSendPage() { TabbedNotebook2->setCurrentIndex(0); }

void TForm1::ResetUserListHeader() {}  // the user list's header is always "Local users"

void TForm1::ClearLookupLine() { LookupSlot->Clear(); }

void TForm1::Wait(int ms) {
  QEventLoop loop;
  QTimer::singleShot(ms, &loop, &QEventLoop::quit);
  loop.exec();
}

}  // namespace varnak
