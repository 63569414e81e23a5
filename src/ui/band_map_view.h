#pragma once
// BandMapView: one band's spots on a vertical kHz scale.
//
// Responsibilities: paints the scale, the radio's frequency as a marker line and each
// standing spot's call as a label stacked beside the scale with a leader to its kHz,
// coloured as the spot lists colour the row; zooms and pans the stretch shown; tells
// which spot a click, double-click or right click was on. Repaints for new spots are
// gathered, at most kRepaintsPerSecond, so a flood of spots costs few repaints.
//
// Collaborations: reads its band's SpotListModel (never changes it) and the colours of
// spot_row_style.h; BandMapWindow sets its band, radio frequency and filter and turns
// its signals into the station's spot actions.
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/band_map_layout.h"
#include "app/spot.h"

namespace varnak {

class SpotListModel;

class BandMapView : public QWidget {
  Q_OBJECT
 public:
  static constexpr int kRepaintsPerSecond = 10;

  explicit BandMapView(QWidget* parent = nullptr);

  // The band's list and edges; the view shows the whole band until told otherwise.
  void SetList(SpotListModel* list, std::string band, KhzRange edges);
  const std::string& BandText() const { return bandText_; }
  KhzRange Band() const { return band_; }
  // The stretch shown, kept inside the band and no narrower than kNarrowestSpanKhz.
  void SetView(double centreKhz, double spanKhz);
  double CentreKhz() const { return (view_.low + view_.high) / 2; }
  double SpanKhz() const { return view_.Span(); }
  KhzRange View() const { return view_; }
  // factor < 1 zooms in; the kHz at aroundKhz (else the radio's in view, else the
  // middle) stays where it is on screen.
  void Zoom(double factor, std::optional<double> aroundKhz = {});
  void Pan(double khz);
  // Moves the view the least so that khz stands in its middle half.
  void KeepInView(double khz);

  // The radio's frequency; nothing hides the marker.
  void SetRadioKhz(std::optional<double> khz);
  std::optional<double> RadioKhz() const { return radioKhz_; }
  void SetShownFilter(std::function<bool(const Spot&)> shows);
  std::function<std::int64_t()> nowMinute;  // unset: no spot fades

  // The spots that stand on the band now (filtered, one per call within 1 kHz), newest first.
  std::vector<std::shared_ptr<Spot>> Standing() const;
  // The spot whose label is at pos in the last paint; null when none.
  std::shared_ptr<Spot> SpotAt(QPoint pos) const;
  // Where the label of a standing spot was painted last (empty when it was left out).
  QRect LabelRect(const Spot& spot) const;
  int Unplaced() const { return unplaced_; }
  int Placed() const { return static_cast<int>(hits_.size()); }
  int Repaints() const { return repaints_; }

  // Paints the whole map into painter at size (the benchmark calls it without a screen).
  void Render(QPainter& painter, QSize size);

 signals:
  void spotClicked(const std::shared_ptr<varnak::Spot>& spot);
  void spotDoubleClicked(const std::shared_ptr<varnak::Spot>& spot);
  void spotMenuRequested(const std::shared_ptr<varnak::Spot>& spot, QPoint globalPos);
  // Zoomed or panned (the scroll bar and the stored view follow).
  void viewChanged();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  struct Hit {
    QRect box;
    int row;
    const Spot* spot;
  };
  void ListChanged();
  void PaintScale(QPainter& p, const KhzScale& scale, int width);
  std::vector<const Spot*> Rows() const;

  QPointer<SpotListModel> list_;
  std::vector<QMetaObject::Connection> listConnections_;
  std::string bandText_;
  KhzRange band_{14000, 14350};
  KhzRange view_{14000, 14350};
  std::optional<double> radioKhz_;
  std::function<bool(const Spot&)> shows_;
  QTimer repaint_;
  bool stale_ = false;  // the list changed while hidden
  std::vector<Hit> hits_;
  int unplaced_ = 0;
  int repaints_ = 0;
  std::optional<QPoint> dragFrom_;
  double dragFromCentre_ = 0;
};

}  // namespace varnak
