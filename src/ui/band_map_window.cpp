#include "ui/band_map_window.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QShortcut>
#include <QSignalBlocker>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "app/rig_controller.h"
#include "core/ini_file.h"
#include "app/spot_lists.h"
#include "app/spot_model.h"
#include "ui/work_area_fit.h"

namespace varnak {

namespace {
constexpr double kZoomStep = 0.7;
constexpr double kScrollUnitsPerKhz = 10;
constexpr const char* kDefaultBand = "20";
constexpr const char* kSection = "BandMap";
}  // namespace

BandMapWindow::BandMapWindow(SpotLists& lists, RigController& rig, QWidget* parent)
    : QWidget(parent, Qt::Window), lists_(lists), rig_(rig) {
  setObjectName("BandMap");
  setWindowTitle("Band map");
  auto* outer = new QVBoxLayout(this);
  outer->setContentsMargins(4, 4, 4, 4);
  outer->setSpacing(4);
  auto* bar = new QHBoxLayout;
  BandBox = new QComboBox(this);
  BandBox->setObjectName("BandBox");
  BandBox->setToolTip("The band shown; with the rig on, the radio's band");
  for (std::string_view band : kBandTexts)
    if (BandEdges(band) && ListIndexOfBand(band) > 0)
      BandBox->addItem(kSpotPageTitles[static_cast<size_t>(ListIndexOfBand(band))].data(), QString(band.data()));
  auto* zoomOut = new QToolButton(this);
  zoomOut->setText("\u2212");
  zoomOut->setToolTip("Zoom out (\u2212 or the wheel)");
  auto* zoomIn = new QToolButton(this);
  zoomIn->setText("+");
  zoomIn->setToolTip("Zoom in (+ or the wheel)");
  StatusLine = new QLabel(this);
  bar->addWidget(BandBox);
  bar->addWidget(zoomOut);
  bar->addWidget(zoomIn);
  bar->addWidget(StatusLine, 1);
  outer->addLayout(bar);
  auto* body = new QHBoxLayout;
  body->setSpacing(0);
  View = new BandMapView(this);
  View->setToolTip("Click: the spot's details  Double-click: tune  Right: the spot menu\n"
                   "Wheel, + and \u2212: zoom  Drag, Page Up/Down: move  Ctrl+Up/Down: tune to the next spot");
  ScrollBar = new QScrollBar(Qt::Vertical, this);
  body->addWidget(View, 1);
  body->addWidget(ScrollBar);
  outer->addLayout(body, 1);
  resize(300, 600);

  connect(BandBox, &QComboBox::activated, this,
          [this](int index) { ShowBand(BandBox->itemData(index).toString().toStdString()); });
  connect(zoomIn, &QToolButton::clicked, this, [this] { View->Zoom(kZoomStep); });
  connect(zoomOut, &QToolButton::clicked, this, [this] { View->Zoom(1 / kZoomStep); });
  connect(View, &BandMapView::viewChanged, this, &BandMapWindow::ViewMoved);
  connect(ScrollBar, &QScrollBar::valueChanged, this, [this](int value) {
    View->SetView(View->Band().high - value / kScrollUnitsPerKhz - View->SpanKhz() / 2, View->SpanKhz());
  });
  connect(View, &BandMapView::spotClicked, this, [this](const std::shared_ptr<Spot>& spot) {
    stepKhz_.reset();
    emit spotPicked(spot);
  });
  connect(View, &BandMapView::spotDoubleClicked, this, &BandMapWindow::spotTuned);
  connect(View, &BandMapView::spotMenuRequested, this, &BandMapWindow::spotMenuRequested);

  auto key = [this](QKeySequence sequence, std::function<void()> act) {
    auto* shortcut = new QShortcut(sequence, this);
    connect(shortcut, &QShortcut::activated, this, std::move(act));
  };
  key(QKeySequence(Qt::CTRL | Qt::Key_Up), [this] { TuneNext(true); });
  key(QKeySequence(Qt::CTRL | Qt::Key_Down), [this] { TuneNext(false); });
  for (int k : {int(Qt::Key_Plus), int(Qt::Key_Equal)}) key(QKeySequence(k), [this] { View->Zoom(kZoomStep); });
  key(QKeySequence(Qt::Key_Minus), [this] { View->Zoom(1 / kZoomStep); });
  key(QKeySequence(Qt::Key_PageUp), [this] { View->Pan(View->SpanKhz() / 2); });
  key(QKeySequence(Qt::Key_PageDown), [this] { View->Pan(-View->SpanKhz() / 2); });

  connect(&rig_, &RigController::frequencyChanged, this, &BandMapWindow::RadioMoved);
  connect(&rig_, &RigController::stateChanged, this, &BandMapWindow::RadioMoved);
  ShowBand(kDefaultBand);
  KeepInWorkArea(this);
}

void BandMapWindow::SetShownFilter(std::function<bool(const Spot&)> shows) { View->SetShownFilter(std::move(shows)); }

void BandMapWindow::ShowBand(const std::string& band) {
  const int list = ListIndexOfBand(band);
  const std::optional<KhzRange> edges = BandEdges(band);
  if (list <= 0 || !edges) return;
  if (band != View->BandText()) {
    View->SetList(lists_.List(list), band, *edges);
    stepKhz_.reset();
  }
  QSignalBlocker block(BandBox);
  BandBox->setCurrentIndex(BandBox->findData(QString::fromStdString(band)));
  ShowRadio();
}

std::optional<double> BandMapWindow::RadioKhz() const {
  const long long hz = rig_.LastFrequency();
  if (rig_.CurrentState() != RigController::State::On || hz <= 0) return std::nullopt;
  return hz / 1000.0;
}

void BandMapWindow::RadioMoved() {
  // Only a move takes the map along: a mode report leaves the band the operator chose.
  const std::optional<double> khz = RadioKhz();
  if (khz == lastRadioKhz_) return;
  lastRadioKhz_ = khz;
  stepKhz_.reset();
  if (khz) ShowBand(std::string(BandTextOfKhz(static_cast<long long>(*khz))));
  ShowRadio();
}

void BandMapWindow::ShowRadio() {
  const std::optional<double> khz = RadioKhz();
  if (!khz || !View->Band().Contains(*khz) || BandTextOfKhz(static_cast<long long>(*khz)) != View->BandText()) {
    View->SetRadioKhz(std::nullopt);
    return;
  }
  View->SetRadioKhz(khz);
  View->KeepInView(*khz);
}

void BandMapWindow::ViewMoved() {
  const KhzRange band = View->Band();
  QSignalBlocker block(ScrollBar);
  ScrollBar->setRange(0, static_cast<int>(std::lround((band.Span() - View->SpanKhz()) * kScrollUnitsPerKhz)));
  ScrollBar->setPageStep(static_cast<int>(std::lround(View->SpanKhz() * kScrollUnitsPerKhz)));
  ScrollBar->setSingleStep(std::max(1, ScrollBar->pageStep() / 10));
  ScrollBar->setValue(static_cast<int>(std::lround((band.high - View->View().high) * kScrollUnitsPerKhz)));
  StatusLine->setText(QString("%1 kHz a screen").arg(View->SpanKhz(), 0, 'f', View->SpanKhz() < 10 ? 1 : 0));
}

bool BandMapWindow::TuneNext(bool up) {
  const std::vector<std::shared_ptr<Spot>> standing = View->Standing();
  std::vector<double> khz;
  khz.reserve(standing.size());
  for (const auto& s : standing) khz.push_back(s->khz);
  std::optional<double> from = stepKhz_ ? stepKhz_ : View->RadioKhz();
  if (!from && currentSpotKhz) {
    from = currentSpotKhz();
    if (from && !View->Band().Contains(*from)) from.reset();
  }
  const int next = NextKhz(khz, from.value_or(View->CentreKhz()), up);
  if (next < 0) return false;
  const std::shared_ptr<Spot> spot = standing[static_cast<size_t>(next)];
  emit spotTuned(spot);
  // After the tune: a radio that answered at once has reset the step already.
  stepKhz_ = spot->khz;
  View->KeepInView(spot->khz);
  return true;
}

void BandMapWindow::Restore(const IniFile& ini) {
  ShowBand(ini.ReadString(kSection, "Band", kDefaultBand));
  const int spanHz = ini.ReadInteger(kSection, "SpanHz", 0);
  if (spanHz > 0) View->SetView(ini.ReadInteger(kSection, "CentreHz", 0) / 1000.0, spanHz / 1000.0);
  const QRect bounds(ini.ReadInteger(kSection, "Left", 0), ini.ReadInteger(kSection, "Top", 0),
                     ini.ReadInteger(kSection, "Width", 0), ini.ReadInteger(kSection, "Height", 0));
  if (bounds.width() > 0 && bounds.height() > 0) {
    storedBounds_ = bounds;
    setGeometry(bounds);
  }
  open_ = ini.ReadBool(kSection, "Open", false);
}

void BandMapWindow::Store(IniFile& ini) const {
  ini.WriteBool(kSection, "Open", open_);
  ini.WriteString(kSection, "Band", View->BandText());
  ini.WriteInteger(kSection, "CentreHz", static_cast<int>(std::lround(View->CentreKhz() * 1000)));
  ini.WriteInteger(kSection, "SpanHz", static_cast<int>(std::lround(View->SpanKhz() * 1000)));
  const QRect bounds = placed_ ? geometry() : storedBounds_;
  if (bounds.isValid()) {
    ini.WriteInteger(kSection, "Left", bounds.left());
    ini.WriteInteger(kSection, "Top", bounds.top());
    ini.WriteInteger(kSection, "Width", bounds.width());
    ini.WriteInteger(kSection, "Height", bounds.height());
  }
}

bool BandMapWindow::Store(const std::filesystem::path& iniPath, std::string* error) const {
  IniFile ini;
  ini.Load(iniPath);
  Store(ini);
  return ini.Save(iniPath, error);
}

void BandMapWindow::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  open_ = true;
  placed_ = true;
}

void BandMapWindow::closeEvent(QCloseEvent* event) {
  open_ = false;
  QWidget::closeEvent(event);
}

}  // namespace varnak
