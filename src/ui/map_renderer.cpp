#include "ui/map_renderer.h"

#include <QFileInfo>
#include <QImageReader>
#include <QPainterPath>
#include <algorithm>
#include <cmath>
#include <map>

#include "app/win1252.h"

namespace varnak {

namespace {

QColor FromBgr(BgrColour c, double alpha = 1.0) {
  return QColor(RedOf(c), GreenOf(c), BlueOf(c), static_cast<int>(std::lround(255 * alpha)));
}

// What a cached projection depends on: the azimuthal view ignores centre and zoom, the
// equirectangular one the own position.
MapFrame CacheKey(MapFrame f) {
  if (f.projection == Projection::Azimuthal) {
    f.centre = {};
    f.zoom = 1;
  } else {
    f.own = {};
  }
  return f;
}

// The pixel places of a position: the equirectangular view repeats the world sideways
// when it is wider than 360 degrees.
template <typename F>
void ForEachPlace(const MapFrame& f, const GeoPoint& g, F&& draw) {
  auto px = Project(f, g);
  if (!px) return;
  draw(QPointF(px->x, px->y));
  if (f.projection != Projection::Equirectangular) return;
  const double turn = 360.0 * f.Scale();
  for (double x = px->x - turn; x > -40; x -= turn) draw(QPointF(x, px->y));
  for (double x = px->x + turn; x < f.width + 40; x += turn) draw(QPointF(x, px->y));
}

}  // namespace

std::vector<PlacedLabel> PlaceLabels(const MapFrame& f, const DxMap& map,
                                     const std::function<QFontMetrics(const MapLabel&)>& metrics) {
  std::vector<PlacedLabel> placed;
  const QRect view(0, 0, f.width, f.height);
  // The last added is the newest: from the top layer down, each from its end.
  for (int layer = DxMap::kLayerCount - 1; layer >= 0; --layer) {
    const std::deque<MapLabel>& labels = map.Layer(layer).labels;
    for (auto it = labels.rbegin(); it != labels.rend(); ++it) {
      const MapLabel& label = *it;
      const QString text = ToQString(label.text);
      const QFontMetrics fm = metrics(label);
      const int w = fm.horizontalAdvance(text) + 2, h = fm.height();
      ForEachPlace(f, label.at, [&](QPointF c) {
        const QPoint at(static_cast<int>(c.x()), static_cast<int>(c.y()));
        if (!view.contains(at)) return;
        // Up and to the right of the point; to its left or below where the view ends.
        QRect box(at.x() + 4, at.y() - h - 2, w, h);
        if (box.right() > view.right()) box.moveRight(at.x() - 4);
        if (box.top() < view.top()) box.moveTop(at.y() + 2);
        box.moveLeft(std::clamp(box.left(), view.left(), std::max(view.left(), view.right() + 1 - w)));
        box.moveTop(std::clamp(box.top(), view.top(), std::max(view.top(), view.bottom() + 1 - h)));
        for (const PlacedLabel& newer : placed)
          if (newer.box.intersects(box)) return;
        placed.push_back(PlacedLabel{&label, text, box});
      });
    }
  }
  return placed;
}

QRectF RingLabelBox(const MapFrame& f, int km, const QFontMetricsF& metrics) {
  const QPointF c(f.width / 2.0, f.height / 2.0);
  const double r = km / kRingKmPerDegree / 180.0 * f.DiskRadius();
  const QString text = QString::number(km) + " km";
  // Right of the bearing text "0°" that stands just inside the rim.
  return QRectF(c.x() + 17, std::max(0.0, c.y() - r + 2), metrics.horizontalAdvance(text) + 2, metrics.height());
}

bool MapRenderer::LoadImages(const QString& folder, QString* error) {
  QImage images[2];
  const char* names[2] = {"earth.jpg", "night.jpg"};
  for (int i = 0; i < 2; ++i) {
    const QString file = QFileInfo(folder + "/" + names[i]).absoluteFilePath();
    QImageReader reader(file);
    images[i] = reader.read();
    if (images[i].isNull()) {
      if (error) *error = "Cannot read the map image " + file + ": " + reader.errorString();
      return false;
    }
  }
  SetImages(std::move(images[0]), std::move(images[1]));
  return true;
}

void MapRenderer::SetImages(QImage day, QImage night) {
  day_ = day.convertToFormat(QImage::Format_RGB32);
  night_ = night.convertToFormat(QImage::Format_RGB32).scaled(day_.size());
  world_ = QImage(day_.size(), QImage::Format_RGB32);
  blendedMinute_ = INT64_MIN;
  table_.clear();
  viewVersion_ = UINT64_MAX;
}

void MapRenderer::SetTime(std::int64_t utcSeconds) {
  const std::int64_t minute = utcSeconds / 60;
  if (minute != blendedMinute_) Reblend(utcSeconds);
}

void MapRenderer::Reblend(std::int64_t utcSeconds) {
  blendedMinute_ = utcSeconds / 60;
  subSolar_ = SubSolarPoint(utcSeconds);
  if (day_.isNull()) return;
  BlendGreyline(reinterpret_cast<const std::uint32_t*>(day_.constBits()),
                reinterpret_cast<const std::uint32_t*>(night_.constBits()),
                reinterpret_cast<std::uint32_t*>(world_.bits()), world_.width(), world_.height(), subSolar_);
  ++worldVersion_;
}

const QImage& MapRenderer::ProjectedEarth(const MapFrame& frame) {
  const MapFrame key = CacheKey(frame);
  if (table_.empty() || !(key == tableFrame_)) {
    table_ = SourceIndexTable(key, world_.width(), world_.height());
    tableFrame_ = key;
    viewVersion_ = UINT64_MAX;
  }
  if (viewVersion_ != worldVersion_ || !(viewFrame_ == key)) {
    if (view_.size() != QSize(frame.width, frame.height)) view_ = QImage(frame.width, frame.height, QImage::Format_RGB32);
    GatherPixels(table_, reinterpret_cast<const std::uint32_t*>(world_.constBits()),
                 reinterpret_cast<std::uint32_t*>(view_.bits()), 0xFF101820u);
    viewVersion_ = worldVersion_;
    viewFrame_ = key;
  }
  return view_;
}

void MapRenderer::Paint(QPainter& p, const MapFrame& frame, const DxMap& map, std::int64_t nowUtc,
                        std::optional<GeoPoint> pathTo) {
  if (frame.width <= 0 || frame.height <= 0) return;
  if (HasImages()) p.drawImage(0, 0, ProjectedEarth(frame));
  else p.fillRect(0, 0, frame.width, frame.height, QColor(16, 24, 32));
  p.setRenderHint(QPainter::Antialiasing, true);
  PaintGrid(p, frame);
  if (pathTo) PaintPath(p, frame, map.Home(), *pathTo);
  else if (map.PathShown()) PaintPath(p, frame, map.Home(), map.Target());
  PaintSpots(p, frame, map, nowUtc);

  // The own position: a red ring with a dot; the sun: a yellow disc.
  ForEachPlace(frame, map.Home(), [&](QPointF c) {
    p.setPen(QPen(QColor(255, 40, 40), 2));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(c, 6, 6);
    p.setBrush(QColor(255, 40, 40));
    p.drawEllipse(c, 1.5, 1.5);
  });
  ForEachPlace(frame, subSolar_, [&](QPointF c) {
    p.setPen(QPen(QColor(120, 80, 0), 1));
    p.setBrush(QColor(255, 220, 40));
    p.drawEllipse(c, 5, 5);
  });
}

void MapRenderer::PaintGrid(QPainter& p, const MapFrame& f) {
  QFont font = p.font();
  font.setPixelSize(10);
  p.setFont(font);
  if (f.projection == Projection::Equirectangular) {
    p.setPen(QPen(QColor(255, 255, 255, 50), 1));
    for (int lon = -180; lon < 180; lon += 30) {
      ForEachPlace(f, {0, double(lon)}, [&](QPointF c) { p.drawLine(QPointF(c.x(), 0), QPointF(c.x(), f.height)); });
    }
    for (int lat = -60; lat <= 60; lat += 30) {
      auto px = Project(f, {double(lat), f.centre.lon});
      if (px) p.drawLine(QPointF(0, px->y), QPointF(f.width, px->y));
    }
    return;
  }
  // Azimuthal: bearing lines every 30 degrees and distance rings every 5000 km.
  const QPointF c(f.width / 2.0, f.height / 2.0);
  const double radius = f.DiskRadius();
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(QColor(255, 255, 255, 70), 1));
  for (int km = 5000; km * 1.0 / kRingKmPerDegree < 180.0; km += 5000) {
    const double r = km / kRingKmPerDegree / 180.0 * radius;
    p.drawEllipse(c, r, r);
    p.drawText(RingLabelBox(f, km, QFontMetricsF(p.font())), Qt::AlignLeft | Qt::AlignTop, QString::number(km) + " km");
  }
  p.setPen(QPen(QColor(255, 255, 255, 140), 1.5));
  p.drawEllipse(c, radius, radius);
  for (int b = 0; b < 360; b += 30) {
    const double th = b * M_PI / 180.0;
    const QPointF dir(std::sin(th), -std::cos(th));
    p.setPen(QPen(QColor(255, 255, 255, 70), 1));
    p.drawLine(c, c + dir * radius);
    p.setPen(QColor(230, 230, 230));
    const QPointF at = c + dir * (radius - 12);
    p.drawText(QRectF(at.x() - 15, at.y() - 7, 30, 14), Qt::AlignCenter, QString::number(b) + QChar(0x00B0));
  }
}

void MapRenderer::PaintPath(QPainter& p, const MapFrame& f, const GeoPoint& from, const GeoPoint& to) {
  const GreatCirclePaths paths = PathsBetween(from, to, 1.0);
  const double jump = f.projection == Projection::Equirectangular ? f.width / 2.0 : f.DiskRadius() / 2.0;
  auto drawLeg = [&](const PathLeg& leg, const QPen& pen) {
    p.setPen(pen);
    QPainterPath path;
    bool open = false;
    QPointF last;
    for (const GeoPoint& g : leg.points) {
      auto px = Project(f, g);
      if (!px) {
        open = false;
        continue;
      }
      QPointF q(px->x, px->y);
      if (open && std::hypot(q.x() - last.x(), q.y() - last.y()) < jump) path.lineTo(q);
      else path.moveTo(q);
      open = true;
      last = q;
    }
    p.setBrush(Qt::NoBrush);
    p.drawPath(path);
  };
  QPen longPen(QColor(255, 150, 40, 200), 2, Qt::DashLine);
  drawLeg(paths.longPath, longPen);
  drawLeg(paths.shortPath, QPen(QColor(255, 255, 60), 2.5));
  ForEachPlace(f, to, [&](QPointF c) {
    p.setPen(QPen(QColor(255, 255, 60), 2));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(c, 7, 7);
  });
}

void MapRenderer::PaintSpots(QPainter& p, const MapFrame& f, const DxMap& map, std::int64_t nowUtc) {
  for (int layer = 0; layer < DxMap::kLayerCount; ++layer) {
    for (const MapPoint& pt : map.Layer(layer).points) {
      const double fade = FadeOf(pt.addedUtc, nowUtc);
      p.setPen(QPen(FromBgr(pt.colour2, fade), 1));
      p.setBrush(FromBgr(pt.colour1, fade));
      const double r = pt.size / 2.0 + 0.5;
      ForEachPlace(f, pt.at, [&](QPointF c) { p.drawEllipse(c, r, r); });
    }
  }
  p.setRenderHint(QPainter::Antialiasing, false);
  // One font per name and size: a few at most, however many labels.
  std::map<std::pair<std::string, int>, QFont> fonts;
  auto fontOf = [&fonts](const MapLabel& label) -> const QFont& {
    auto [it, added] = fonts.try_emplace({label.fontName, label.fontSize});
    if (added) {
      it->second = QFont(ToQString(label.fontName));
      it->second.setStyleHint(QFont::SansSerif);
      it->second.setPointSize(std::max(5, label.fontSize));
    }
    return it->second;
  };
  const std::vector<PlacedLabel> placed =
      PlaceLabels(f, map, [&](const MapLabel& label) { return QFontMetrics(fontOf(label)); });
  for (auto it = placed.rbegin(); it != placed.rend(); ++it) {
    const MapLabel& label = *it->label;
    const double fade = FadeOf(label.addedUtc, nowUtc);
    p.setFont(fontOf(label));
    p.fillRect(it->box, FromBgr(label.colour2, fade * 0.85));
    p.setPen(FromBgr(label.colour1, fade));
    p.drawText(it->box, Qt::AlignVCenter | Qt::AlignLeft, it->text);
  }
}

}  // namespace varnak
