#include "ui/band_map_view.h"

#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>
#include <iterator>

#include "app/spot_lists.h"
#include "ui/spot_row_style.h"

namespace varnak {

namespace {

// Scale ticks: the smallest step from this row whose labels stand this far apart.
constexpr double kTickSteps[] = {0.1, 0.2, 0.5, 1, 2, 5, 10, 20, 50, 100, 200, 500, 1000, 2000, 5000, 10000};
constexpr int kLeaderGap = 16;  // between the scale and the first column of labels
// A label sits at most this many label heights below its kHz; further is another column's.
constexpr double kMaxShiftLabels = 2.5;

QString KhzText(double khz, double step) {
  return QString::number(khz, 'f', step < 1 ? 1 : 0);
}

}  // namespace

BandMapView::BandMapView(QWidget* parent) : QWidget(parent) {
  setObjectName("BandMapView");
  setFocusPolicy(Qt::StrongFocus);
  setMouseTracking(false);
  setMinimumSize(160, 120);
  repaint_.setSingleShot(true);
  repaint_.setInterval(1000 / kRepaintsPerSecond);
  connect(&repaint_, &QTimer::timeout, this, qOverload<>(&QWidget::update));
  // Labels fade by the minute, as the rows of the lists do.
  auto* minute = new QTimer(this);
  connect(minute, &QTimer::timeout, this, qOverload<>(&QWidget::update));
  minute->start(60'000);
}

void BandMapView::SetList(SpotListModel* list, std::string band, KhzRange edges) {
  for (const auto& c : listConnections_) disconnect(c);
  listConnections_.clear();
  list_ = list;
  bandText_ = std::move(band);
  band_ = edges;
  view_ = edges;
  if (list) {
    auto changed = [this] { ListChanged(); };
    listConnections_ = {connect(list, &QAbstractItemModel::rowsInserted, this, changed),
                        connect(list, &QAbstractItemModel::rowsRemoved, this, changed),
                        connect(list, &QAbstractItemModel::modelReset, this, changed),
                        connect(list, &QAbstractItemModel::dataChanged, this, changed),
                        connect(list, &SpotListModel::cellsChanged, this, changed)};
  }
  emit viewChanged();
  update();
}

void BandMapView::SetView(double centreKhz, double spanKhz) {
  const double span = std::clamp(spanKhz, std::min(kNarrowestSpanKhz, band_.Span()), band_.Span());
  const double centre = std::clamp(centreKhz, band_.low + span / 2, band_.high - span / 2);
  const KhzRange next{centre - span / 2, centre + span / 2};
  if (next.low == view_.low && next.high == view_.high) return;
  view_ = next;
  emit viewChanged();
  update();
}

void BandMapView::Zoom(double factor, std::optional<double> aroundKhz) {
  // Keys and buttons zoom around the radio while it is in view, so it stays there.
  const double around = aroundKhz.value_or(radioKhz_ && view_.Contains(*radioKhz_) ? *radioKhz_ : CentreKhz());
  const double span = std::clamp(SpanKhz() * factor, std::min(kNarrowestSpanKhz, band_.Span()), band_.Span());
  // The kHz under the pointer keeps its share of the view above it.
  const double share = (view_.high - around) / SpanKhz();
  SetView(around + share * span - span / 2, span);
}

void BandMapView::Pan(double khz) { SetView(CentreKhz() + khz, SpanKhz()); }

void BandMapView::KeepInView(double khz) {
  const double quarter = SpanKhz() / 4;
  if (!view_.Contains(khz))
    SetView(khz, SpanKhz());  // a jump: the radio in the middle
  else if (khz > view_.high - quarter)
    SetView(khz - quarter, SpanKhz());  // a step: the view moves along, the radio a quarter from its edge
  else if (khz < view_.low + quarter)
    SetView(khz + quarter, SpanKhz());
}

void BandMapView::SetRadioKhz(std::optional<double> khz) {
  if (radioKhz_ == khz) return;
  radioKhz_ = khz;
  update();
}

void BandMapView::SetShownFilter(std::function<bool(const Spot&)> shows) {
  shows_ = std::move(shows);
  update();
}

void BandMapView::ListChanged() {
  // Many spots a second arrive in bursts: one repaint for all that came within the interval.
  if (!isVisible()) {
    stale_ = true;
    return;
  }
  if (!repaint_.isActive()) repaint_.start();
}

void BandMapView::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (stale_) update();
  stale_ = false;
}

std::vector<const Spot*> BandMapView::Rows() const {
  std::vector<const Spot*> rows;
  if (!list_) return rows;
  rows.reserve(static_cast<size_t>(list_->Size()));
  for (int i = 0; i < list_->Size(); ++i) rows.push_back(list_->SpotAt(i));
  return rows;
}

std::vector<std::shared_ptr<Spot>> BandMapView::Standing() const {
  std::vector<std::shared_ptr<Spot>> out;
  if (!list_) return out;
  for (int row : StandingSpots(Rows(), shows_)) out.push_back(list_->SharedSpot(row));
  return out;
}

std::shared_ptr<Spot> BandMapView::SpotAt(QPoint pos) const {
  if (!list_) return nullptr;
  for (const Hit& h : hits_) {
    if (!h.box.contains(pos)) continue;
    // The list may have lost its oldest rows since the paint: find the spot again.
    if (list_->SpotAt(h.row) == h.spot) return list_->SharedSpot(h.row);
    for (int i = 0; i < list_->Size(); ++i)
      if (list_->SpotAt(i) == h.spot) return list_->SharedSpot(i);
    return nullptr;
  }
  return nullptr;
}

QRect BandMapView::LabelRect(const Spot& spot) const {
  for (const Hit& h : hits_)
    if (h.spot == &spot) return h.box;
  return {};
}

void BandMapView::PaintScale(QPainter& p, const KhzScale& scale, int width) {
  const QFontMetrics fm = p.fontMetrics();
  const double pxPerKhz = scale.height / scale.view.Span();
  double step = kTickSteps[std::size(kTickSteps) - 1];
  for (double s : kTickSteps)
    if (s * pxPerKhz >= fm.height() * 2.5) {
      step = s;
      break;
    }
  const double minor = step / (step >= 1 && std::fmod(step, 2) == 0 ? 4 : 5);
  p.fillRect(QRect(width - 4, 0, 4, static_cast<int>(scale.height)), BandQColor(bandText_));
  const QColor ink = palette().color(QPalette::Text);
  p.setPen(ink);
  for (double k = std::ceil(scale.view.low / minor) * minor; k <= scale.view.high + 1e-9; k += minor) {
    const int y = static_cast<int>(std::lround(scale.YOf(k)));
    const bool major = std::abs(std::remainder(k, step)) < minor / 10;
    p.drawLine(width - (major ? 10 : 5), y, width, y);
    if (major) {
      const QString text = KhzText(k, step);
      const int top = std::clamp(y - fm.height() / 2, 0, static_cast<int>(scale.height) - fm.height());
      p.drawText(QPoint(width - 12 - fm.horizontalAdvance(text), top + fm.ascent()), text);
    }
  }
}

void BandMapView::Render(QPainter& p, QSize size) {
  ++repaints_;
  const QPalette& pal = palette();
  p.fillRect(QRect(QPoint(0, 0), size), pal.color(QPalette::Base));
  p.setFont(font());
  const QFontMetrics fm(font());
  const KhzScale scale{view_, static_cast<double>(std::max(size.height(), 1))};
  const int scaleWidth = fm.horizontalAdvance("000000.0") + 14;
  PaintScale(p, scale, scaleWidth);

  // Which spots stand, and where their labels go.
  hits_.clear();
  const std::vector<const Spot*> rows = Rows();
  std::vector<int> inView;
  std::vector<double> anchors;
  for (int row : StandingSpots(rows, shows_)) {
    const Spot* s = rows[static_cast<size_t>(row)];
    if (!view_.Contains(s->khz)) continue;
    inView.push_back(row);
    anchors.push_back(scale.YOf(s->khz));
  }
  const int labelHeight = fm.height() + 2;
  const int columnWidth = fm.averageCharWidth() * 11 + 10;
  const int left = scaleWidth + kLeaderGap;
  const int columns = std::max(1, (size.width() - left) / columnWidth);
  const LabelLayout layout = PlaceLabels(anchors, labelHeight, size.height(), columns, labelHeight * kMaxShiftLabels);
  unplaced_ = layout.unplaced;

  // Leaders first: labels of outer columns are drawn over the leaders that pass behind them.
  QColor leader = pal.color(QPalette::Text);
  leader.setAlphaF(0.45f);
  p.setPen(leader);
  for (const LabelPlace& l : layout.placed) {
    const int x = left + l.column * columnWidth;
    const QPointF anchor(scaleWidth, l.anchorY);
    p.drawLine(anchor, QPointF(scaleWidth + 4, l.anchorY));
    p.drawLine(QPointF(scaleWidth + 4, l.anchorY), QPointF(x, l.top + labelHeight / 2.0));
  }

  if (radioKhz_ && view_.Contains(*radioKhz_)) {
    // The selection colour: no band's colour, and readable on the desktop's theme.
    const double y = scale.YOf(*radioKhz_);
    p.setPen(QPen(ReadableTextColour(pal.color(QPalette::Highlight), pal), 2));
    p.drawLine(QPointF(0, y), QPointF(size.width(), y));
  }

  const std::int64_t now = nowMinute ? nowMinute() : kUnknownMinute;
  QFont plain = font(), bold = font(), italic = font(), boldItalic = font();
  bold.setBold(true);
  italic.setItalic(true);
  boldItalic.setBold(true);
  boldItalic.setItalic(true);
  const int hashWidth = fm.horizontalAdvance("#") + 3;
  const QFont* current = nullptr;
  const QFontMetrics boldMetrics(bold);
  for (const LabelPlace& l : layout.placed) {
    const int row = inView[static_cast<size_t>(l.input)];
    const Spot& s = *rows[static_cast<size_t>(row)];
    const QRect box(left + l.column * columnWidth, static_cast<int>(std::lround(l.top)), columnWidth - 4, labelHeight);
    const QColor mark = MarkBackground(s.need, pal);
    p.fillRect(box, mark.isValid() ? mark : pal.color(QPalette::Base));
    const std::int64_t age = (s.filedMinute == kUnknownMinute || now == kUnknownMinute) ? (nowMinute ? kFadeMinutes : 0)
                                                                                          : now - s.filedMinute;
    const QColor ink = AgedText(pal, age, false);
    p.setPen(ink);
    // Changing the painter's font is dear; most labels share one.
    const QFont* wanted = s.ownCall ? (s.skimmer ? &boldItalic : &bold) : (s.skimmer ? &italic : &plain);
    if (wanted != current) p.setFont(*(current = wanted));
    // Text at a point, measured once: laying out text in a box costs several times more.
    const QFontMetrics& metrics = s.ownCall ? boldMetrics : fm;
    const int room = box.width() - 5 - (s.skimmer ? hashWidth : 0);
    QString call = QString::fromStdString(s.dx);
    int callWidth = metrics.horizontalAdvance(call);
    if (callWidth > room) {
      call = metrics.elidedText(call, Qt::ElideRight, room);
      callWidth = metrics.horizontalAdvance(call);
    }
    const int baseline = box.top() + (box.height() - fm.height()) / 2 + fm.ascent();
    p.drawText(QPoint(box.left() + 3, baseline), call);
    if (s.skimmer) {
      // A skimmer's spot: decoded by a machine, so it gets a quiet mark of its own.
      p.setFont(*(current = &plain));
      p.drawText(QPoint(box.left() + 6 + callWidth, baseline), "#");
    }
    hits_.push_back(Hit{box, row, &s});
  }
  p.setFont(plain);

  if (radioKhz_ && view_.Contains(*radioKhz_)) {
    // Its kHz on top of everything; the line itself went under the labels.
    const QColor marker = pal.color(QPalette::Highlight);
    const double y = scale.YOf(*radioKhz_);
    const QString text = QString::number(*radioKhz_, 'f', 1);
    const int tagWidth = fm.horizontalAdvance(text) + 8;
    const int tagTop = y > fm.height() + 2 ? static_cast<int>(y) - fm.height() - 1 : static_cast<int>(y) + 2;
    const QRect tag(size.width() - tagWidth - 2, tagTop, tagWidth, fm.height());
    p.fillRect(tag, marker);
    p.setPen(pal.color(QPalette::HighlightedText));
    p.drawText(tag, Qt::AlignCenter, text);
  }
}

void BandMapView::paintEvent(QPaintEvent*) {
  QPainter p(this);
  Render(p, size());
}

void BandMapView::wheelEvent(QWheelEvent* event) {
  const double steps = event->angleDelta().y() / 120.0;
  if (steps == 0) return;
  const KhzScale scale{view_, static_cast<double>(std::max(height(), 1))};
  if (event->modifiers() & Qt::ShiftModifier)
    Pan(steps * SpanKhz() / 10);
  else
    Zoom(std::pow(0.8, steps), scale.KhzAt(event->position().y()));
  event->accept();
}

void BandMapView::mousePressEvent(QMouseEvent* event) {
  setFocus(Qt::MouseFocusReason);
  const std::shared_ptr<Spot> spot = SpotAt(event->pos());
  if (spot && event->button() == Qt::LeftButton) emit spotClicked(spot);
  if (spot && event->button() == Qt::RightButton) emit spotMenuRequested(spot, event->globalPosition().toPoint());
  if (!spot && event->button() == Qt::LeftButton) {
    dragFrom_ = event->pos();
    dragFromCentre_ = CentreKhz();
  }
}

void BandMapView::mouseMoveEvent(QMouseEvent* event) {
  if (!dragFrom_) return;
  const double khzPerPx = SpanKhz() / std::max(height(), 1);
  SetView(dragFromCentre_ + (event->pos().y() - dragFrom_->y()) * khzPerPx, SpanKhz());
}

void BandMapView::mouseReleaseEvent(QMouseEvent*) { dragFrom_.reset(); }

void BandMapView::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  if (const std::shared_ptr<Spot> spot = SpotAt(event->pos())) emit spotDoubleClicked(spot);
}

}  // namespace varnak
