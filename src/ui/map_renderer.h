#pragma once
// Draws the world map: the day and night images blended along the terminator, seen in
// the chosen projection, with its grid or rings, the path, the spots' points and labels,
// the own position and the sun. The blended earth is kept until the minute changes and
// the projected earth until the view or the blend changes, so a repaint is one image
// copy plus the marks.
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QString>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "map/map_model.h"

namespace varnak {

// A spot label as it is drawn: its text and its box in the view's pixels.
struct PlacedLabel {
  const MapLabel* label;
  QString text;
  QRect box;
};

// The labels to draw, newest first, each box inside the view: right above its point, or
// moved to stay inside the view. A label that would cover a newer one is left out, so
// that a crowd of spots near one place still leaves the newest readable. `metrics`
// gives the font of a label.
std::vector<PlacedLabel> PlaceLabels(const MapFrame& frame, const DxMap& map,
                                     const std::function<QFontMetrics(const MapLabel&)>& metrics);

// Where the azimuthal view writes the distance of the ring of `km`: just inside the
// ring at its top, so that the outermost ring's text stays inside the view, and clear of
// the bearing scale.
QRectF RingLabelBox(const MapFrame& frame, int km, const QFontMetricsF& metrics);

class MapRenderer {
 public:
  // Reads earth.jpg and night.jpg from the folder; on failure says which file and why.
  bool LoadImages(const QString& folder, QString* error);
  bool HasImages() const { return !day_.isNull(); }
  // Images given directly (the benchmarks and tests make their own).
  void SetImages(QImage day, QImage night);

  // Re-blends the greyline for the instant when its minute differs from the last blend.
  void SetTime(std::int64_t utcSeconds);
  void Reblend(std::int64_t utcSeconds);
  const QImage& World() const { return world_; }
  const GeoPoint& SubSolar() const { return subSolar_; }

  // The earth as the frame shows it (cached).
  const QImage& ProjectedEarth(const MapFrame& frame);
  // Everything, into a painter of the frame's size.
  // pathTo draws the path to that place instead of the map's target.
  void Paint(QPainter& p, const MapFrame& frame, const DxMap& map, std::int64_t nowUtc,
             std::optional<GeoPoint> pathTo = std::nullopt);

 private:
  void PaintGrid(QPainter& p, const MapFrame& frame);
  void PaintPath(QPainter& p, const MapFrame& frame, const GeoPoint& from, const GeoPoint& to);
  void PaintSpots(QPainter& p, const MapFrame& frame, const DxMap& map, std::int64_t nowUtc);

  QImage day_, night_, world_;
  GeoPoint subSolar_;
  std::int64_t blendedMinute_ = INT64_MIN;
  std::uint64_t worldVersion_ = 0;

  MapFrame tableFrame_;
  std::vector<std::int32_t> table_;
  MapFrame viewFrame_;
  std::uint64_t viewVersion_ = UINT64_MAX;
  QImage view_;
};

}  // namespace varnak
