#pragma once
// TMapForm, the built-in world map: it stands in for both outside map programs. As
// Atlas1 it is the greyline world map with its points, labels and path; as HamCapApp1
// it shows a DX station's short and long path with both ends' daylight, sunrise and
// sunset and the latest solar indices. The window is created once and only shown and
// hidden; its earth is re-blended every minute while it is shown.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <optional>

#include "map/map_link.h"
#include "ui/map_renderer.h"

namespace varnak {

class TMapForm;

class MapCanvas : public QWidget {
  Q_OBJECT
 public:
  explicit MapCanvas(TMapForm& form, QWidget* parent);
  MapFrame Frame() const;

 signals:
  void pointerMoved(const QString& text);

 protected:
  void paintEvent(QPaintEvent*) override;
  void wheelEvent(QWheelEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  TMapForm& form_;
  std::optional<QPointF> dragFrom_;
};

class TMapForm : public QWidget, public MapHost {
  Q_OBJECT
 public:
  explicit TMapForm(QWidget* parent = nullptr);
  ~TMapForm() override;

  // Where earth.jpg and night.jpg are read from when the map first starts.
  QString imageFolder = "/usr/share/xplanet/images";
  // The map's own settings file, read when it first starts.
  std::string settingsFile;
  std::function<std::int64_t()> nowUtc;  // unset: the system clock
  std::function<GeoPoint()> ownPosition;
  // Position of a DX call for the propagation view; nothing when unknown.
  std::function<std::optional<GeoPoint>(const std::string& call)> resolveCall;
  // The last "WWV de" line the cluster sent, empty when none came yet.
  std::function<std::string()> lastWwvLine;
  // The desktop's work area the window opens in; unset: its screen's.
  std::function<QRect()> workArea;

  TAtlas& Atlas1() override;
  THamCapApp& HamCapApp1() override;
  DxMap& Map() { return map_; }
  MapRenderer& Renderer() { return renderer_; }
  bool Started() const override { return started_; }
  std::int64_t Now() const;

  // Re-blends for the current minute, refreshes the path text and repaints.
  void Refresh();
  // The path text as the panel shows it (plain text).
  QString PathText() const;
  // While the path panel is shown, the propagation view's station, whose path is drawn
  // instead of the world map's.
  std::optional<GeoPoint> PathViewTarget() const;

  QComboBox* ProjectionBox = nullptr;
  QCheckBox* PathBox = nullptr;  // shows the path panel
  QLabel* PathPanel = nullptr;
  QLabel* StatusLine = nullptr;
  MapCanvas* Canvas = nullptr;

 private:
  friend class AtlasLink;
  friend class HamCapLink;
  // Loads the images (once); throws MapStartError when they cannot be read.
  void Start();
  // Shows the window where it is in the stack; BringToFront also raises and activates it.
  void ShowMap();
  void BringToFront();
  void UpdatePathPanel();
  void ApplyBounds(const std::array<int, 4>& b);
  QRect WorkArea() const;
  // Sets the geometry, moved and shrunk as needed to lie in the work area with its frame.
  void PlaceInside(QRect place);

  // Room for a window manager's frame before the window is shown and its frame known.
  static constexpr int kFrameGuess = 4;
  static constexpr int kTitleGuess = 30;

  DxMap map_;
  MapRenderer renderer_;
  QTimer minuteTimer_;
  bool started_ = false;
  bool placed_ = false;  // the window has had its first place
  std::unique_ptr<TAtlas> atlas_;
  std::unique_ptr<THamCapApp> hamcap_;
  // The propagation view's station.
  std::string pathCall_;
  std::optional<GeoPoint> pathCallAt_;
  int pathBand_ = 3;
};

}  // namespace varnak
