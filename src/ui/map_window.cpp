#include "ui/map_window.h"

#include <QDateTime>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QMouseEvent>
#include <QScreen>
#include <QSignalBlocker>
#include <QTimeZone>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>
#include <fmt/format.h>

#include "app/win1252.h"

namespace varnak {

class AtlasLink : public TAtlas {
 public:
  explicit AtlasLink(TMapForm& form) : form_(form) {}
  void Connect() override {
    form_.Start();
    connected_ = true;
  }
  void Disconnect() override { connected_ = false; }
  bool Connected() const override { return connected_; }
  void SetVisible(bool visible) override {
    if (visible) form_.ShowMap();
    else form_.hide();
  }
  void BringToFront() override { form_.BringToFront(); }
  DxMap& Map() override { return form_.map_; }

 private:
  TMapForm& form_;
  bool connected_ = false;
};

class HamCapLink : public THamCapApp {
 public:
  explicit HamCapLink(TMapForm& form) : form_(form) {}
  void Connect() override {
    form_.Start();
    connected_ = true;
  }
  void Disconnect() override { connected_ = false; }
  bool Connected() const override { return connected_; }
  int Band() const override { return form_.pathBand_; }
  void SetBand(int index) override { form_.pathBand_ = index; }
  void SetProperty(const std::string& name, const std::string& value) override {
    if (name == "DxCall") form_.pathCall_ = value;
  }
  void SetVisible(bool visible) override {
    if (visible) form_.ShowMap();
    else form_.hide();
  }
  void BringToFront() override { form_.BringToFront(); }
  void Calculate() override {
    std::optional<GeoPoint> at = form_.resolveCall ? form_.resolveCall(form_.pathCall_) : std::nullopt;
    form_.pathCallAt_ = at;
    DxMap& map = form_.map_;
    if (form_.ownPosition) map.SetHome(form_.ownPosition());
    if (at) map.PositionOn(*at);
    form_.UpdatePathPanel();
  }
  void SetPathShown(bool shown) override { form_.PathBox->setChecked(shown); }
  // The repaint is already queued; running the event loop here would re-enter the
  // classifier that called us.
  void ProcessEvents() override {}

 private:
  TMapForm& form_;
  bool connected_ = false;
};

MapCanvas::MapCanvas(TMapForm& form, QWidget* parent) : QWidget(parent), form_(form) {
  setMouseTracking(true);
  setMinimumSize(360, 180);
  setAttribute(Qt::WA_OpaquePaintEvent);
}

MapFrame MapCanvas::Frame() const {
  const MapSettings& v = form_.Map().View();
  MapFrame f{v.projection, width(), height(), v.centre, v.zoom,
             form_.ownPosition ? form_.ownPosition() : form_.Map().Home()};
  ClampFrame(f);
  return f;
}

void MapCanvas::paintEvent(QPaintEvent*) {
  QPainter p(this);
  const MapFrame f = Frame();
  form_.Map().View().centre = f.centre;
  form_.Map().View().zoom = f.zoom;
  form_.Renderer().Paint(p, f, form_.Map(), form_.Now(), form_.PathViewTarget());
}

void MapCanvas::wheelEvent(QWheelEvent* event) {
  MapFrame f = Frame();
  if (f.projection != Projection::Equirectangular) return;
  const PixelPoint at{event->position().x(), event->position().y()};
  const auto under = Unproject(f, at);
  f.zoom *= event->angleDelta().y() > 0 ? 1.25 : 0.8;
  ClampFrame(f);
  if (under) {
    // Keep the place under the pointer where it is.
    f.centre.lon = under->lon - (at.x - f.width / 2.0) / f.Scale();
    f.centre.lat = under->lat + (at.y - f.height / 2.0) / f.Scale();
    ClampFrame(f);
  }
  form_.Map().View().zoom = f.zoom;
  form_.Map().View().centre = f.centre;
  update();
}

void MapCanvas::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) dragFrom_ = event->position();
}

void MapCanvas::mouseMoveEvent(QMouseEvent* event) {
  MapFrame f = Frame();
  const QPointF pos = event->position();
  if (dragFrom_ && f.projection == Projection::Equirectangular) {
    const QPointF d = pos - *dragFrom_;
    dragFrom_ = pos;
    f.centre.lon -= d.x() / f.Scale();
    f.centre.lat += d.y() / f.Scale();
    ClampFrame(f);
    form_.Map().View().centre = f.centre;
    update();
  }
  const auto g = Unproject(f, {pos.x(), pos.y()});
  if (!g) {
    emit pointerMoved(QString());
    return;
  }
  std::string text = fmt::format("{:.1f} {} {:.1f} {}", std::abs(g->lat), g->lat >= 0 ? 'N' : 'S', std::abs(g->lon),
                                 g->lon >= 0 ? 'E' : 'W');
  if (auto bd = AzimuthalBearingDistance(f, {pos.x(), pos.y()}))
    text += fmt::format("   {:.0f} deg {:.0f} km", bd->bearingDeg, bd->distanceKm);
  emit pointerMoved(QString::fromStdString(text));
}

void MapCanvas::mouseReleaseEvent(QMouseEvent*) { dragFrom_.reset(); }

TMapForm::TMapForm(QWidget* parent) : QWidget(parent, Qt::Window) {
  setObjectName("MapForm");
  setWindowTitle("World map");
  atlas_ = std::make_unique<AtlasLink>(*this);
  hamcap_ = std::make_unique<HamCapLink>(*this);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(2, 2, 2, 2);
  auto* bar = new QHBoxLayout;
  ProjectionBox = new QComboBox(this);
  ProjectionBox->addItems({"Equirectangular", "Azimuthal (beam headings)"});
  ProjectionBox->setToolTip("Map projection; the azimuthal map is centred on your locator");
  PathBox = new QCheckBox("Path details", this);
  StatusLine = new QLabel(this);
  bar->addWidget(ProjectionBox);
  bar->addWidget(PathBox);
  bar->addWidget(StatusLine, 1);
  layout->addLayout(bar);
  auto* body = new QHBoxLayout;
  Canvas = new MapCanvas(*this, this);
  body->addWidget(Canvas, 1);
  PathPanel = new QLabel(this);
  PathPanel->setObjectName("PathPanel");
  PathPanel->setFixedWidth(270);
  PathPanel->setAlignment(Qt::AlignTop | Qt::AlignLeft);
  PathPanel->setWordWrap(true);
  PathPanel->setTextInteractionFlags(Qt::TextSelectableByMouse);
  PathPanel->setMargin(6);
  PathPanel->hide();
  body->addWidget(PathPanel);
  layout->addLayout(body, 1);
  resize(1100, 560);

  connect(ProjectionBox, &QComboBox::currentIndexChanged, this,
          [this](int index) { map_.SetProjection(index == 1 ? Projection::Azimuthal : Projection::Equirectangular); });
  connect(PathBox, &QCheckBox::toggled, this, [this](bool on) {
    PathPanel->setVisible(on);
    Canvas->update();
  });
  connect(Canvas, &MapCanvas::pointerMoved, this, [this](const QString& where) {
    const GeoPoint& sun = renderer_.SubSolar();
    QString text = QDateTime::fromSecsSinceEpoch(Now(), Qt::UTC).toString("HH:mm") + " UTC   Sun overhead " +
                   QString::fromStdString(fmt::format("{:.1f} {:.1f}", sun.lat, sun.lon));
    StatusLine->setText(where.isEmpty() ? text : text + "    " + where);
  });
  map_.onChanged = [this] {
    QSignalBlocker block(ProjectionBox);
    ProjectionBox->setCurrentIndex(map_.View().projection == Projection::Azimuthal ? 1 : 0);
    UpdatePathPanel();
    Canvas->update();
  };
  map_.nowUtc = [this] { return Now(); };
  map_.currentBounds = [this]() -> std::optional<std::array<int, 4>> {
    if (!started_) return std::nullopt;
    const QRect g = geometry();
    return std::array<int, 4>{g.left(), g.top(), g.width(), g.height()};
  };
  map_.applyBounds = [this](const std::array<int, 4>& b) { ApplyBounds(b); };
  minuteTimer_.setInterval(60000);
  connect(&minuteTimer_, &QTimer::timeout, this, &TMapForm::Refresh);
}

TMapForm::~TMapForm() = default;

TAtlas& TMapForm::Atlas1() { return *atlas_; }
THamCapApp& TMapForm::HamCapApp1() { return *hamcap_; }

std::int64_t TMapForm::Now() const { return nowUtc ? nowUtc() : QDateTime::currentSecsSinceEpoch(); }

void TMapForm::Start() {
  if (started_) return;
  QString error;
  if (!renderer_.LoadImages(imageFolder, &error)) throw MapStartError(FromQString(error));
  started_ = true;
  // The map starts with the view and place it had when it last closed.
  if (!settingsFile.empty()) map_.LoadSettings(settingsFile);
  if (ownPosition) map_.SetHome(ownPosition());
  Refresh();
  minuteTimer_.start();
}

QRect TMapForm::WorkArea() const {
  if (workArea) return workArea();
  QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen();
  return s ? s->availableGeometry() : QRect();
}

// Shown, but left where it is in the stack of windows: only the operator's own request
// brings it to the front.
void TMapForm::ShowMap() {
  if (isVisible()) return;
  if (!placed_) {
    placed_ = true;
    const QRect area = WorkArea();
    QRect place(QPoint(), size());
    if (area.isValid()) place.moveCenter(area.center());
    PlaceInside(place);
  }
  show();
}

void TMapForm::BringToFront() {
  ShowMap();
  raise();
  activateWindow();
}

void TMapForm::ApplyBounds(const std::array<int, 4>& b) {
  placed_ = true;
  PlaceInside(QRect(b[0], b[1], std::max(b[2], 400), std::max(b[3], 240)));
}

void TMapForm::PlaceInside(QRect place) {
  // A place kept from a bigger screen, or none at all, must not leave the window where
  // the operator cannot reach its title bar. The frame's margins are known once shown.
  const QRect area = WorkArea();
  if (area.isValid()) {
    const QMargins frame = isVisible() ? QMargins(geometry().left() - frameGeometry().left(),
                                                  geometry().top() - frameGeometry().top(),
                                                  frameGeometry().right() - geometry().right(),
                                                  frameGeometry().bottom() - geometry().bottom())
                                       : QMargins(kFrameGuess, kTitleGuess, kFrameGuess, kFrameGuess);
    const QRect inner = area.marginsRemoved(frame);
    place.setWidth(std::min(place.width(), inner.width()));
    place.setHeight(std::min(place.height(), inner.height()));
    place.moveLeft(std::clamp(place.left(), inner.left(), inner.right() + 1 - place.width()));
    place.moveTop(std::clamp(place.top(), inner.top(), inner.bottom() + 1 - place.height()));
  }
  setGeometry(place);
}

void TMapForm::Refresh() {
  renderer_.SetTime(Now());
  UpdatePathPanel();
  Canvas->update();
}

namespace {
std::string PositionText(const GeoPoint& g) {
  return fmt::format("{:.2f} {} {:.2f} {}", std::abs(g.lat), g.lat >= 0 ? 'N' : 'S', std::abs(g.lon), g.lon >= 0 ? 'E' : 'W');
}
std::string EndText(const std::string& name, const GeoPoint& g, std::int64_t now) {
  SunTimes sun = SunriseSunset(g, now);
  std::string times;
  if (sun.riseMinute || sun.setMinute)
    times = "sunrise " + UtcMinuteText(sun.riseMinute) + ", sunset " + UtcMinuteText(sun.setMinute) + " UTC";
  else
    times = sun.polarDay ? "sun up all day" : "sun down all day";
  return name + " (" + PositionText(g) + "): " + DaylightText(DaylightAt(g, now)) + " now, " + times;
}
}  // namespace

std::optional<GeoPoint> TMapForm::PathViewTarget() const {
  if (!PathBox->isChecked() || pathCall_.empty()) return std::nullopt;
  return pathCallAt_;
}

QString TMapForm::PathText() const {
  if (!map_.PathShown() && pathCall_.empty()) return "No station chosen.";
  const std::int64_t now = Now();
  const bool hamcapTarget = !pathCall_.empty() && pathCallAt_;
  const GeoPoint target = hamcapTarget ? *pathCallAt_ : map_.Target();
  std::vector<std::string> lines;
  const std::string band = HamCapBandText(pathBand_);
  if (!pathCall_.empty() && !hamcapTarget && !pathCallAt_) {
    lines.push_back(pathCall_ + (band.empty() ? "" : " on " + band + " m") + ": position unknown");
  } else {
    const std::string name = hamcapTarget ? pathCall_ : std::string("DX");
    if (hamcapTarget) lines.push_back(pathCall_ + (band.empty() ? "" : " on " + band + " m"));
    GreatCirclePaths paths = PathsBetween(map_.Home(), target, 5.0);
    lines.push_back(fmt::format("Short path: {:.0f} deg, {:.0f} km", paths.shortPath.bearingDeg, paths.shortPath.distanceKm));
    lines.push_back(fmt::format("Long path: {:.0f} deg, {:.0f} km", paths.longPath.bearingDeg, paths.longPath.distanceKm));
    lines.push_back(EndText("Home", map_.Home(), now));
    lines.push_back(EndText(name, target, now));
  }
  const std::string wwv = lastWwvLine ? lastWwvLine() : std::string();
  SolarIndices s = ParseWwvLine(wwv);
  auto num = [](std::optional<int> v) { return v ? std::to_string(*v) : std::string("?"); };
  if (wwv.empty()) lines.push_back("Solar flux, A and K: no WWV report yet");
  else lines.push_back("Solar flux " + num(s.flux) + ", A " + num(s.a) + ", K " + num(s.k));
  QString text;
  for (const std::string& l : lines) text += ToQString(l) + "\n";
  return text.trimmed();
}

void TMapForm::UpdatePathPanel() {
  if (PathPanel) PathPanel->setText(PathText());
}

}  // namespace varnak
