#pragma once
// How a spot row is coloured in both spot list views: a stripe in the band's colour at
// the row's left edge (the kHz cell's background in the columns view), text fading to
// grey over half an hour, the operator's own call in bold, and a background for spots
// the log marks as needed. Every colour is mixed from the view's palette, so a dark
// desktop theme stays as readable as a light one.
#include <QColor>
#include <QPalette>
#include <QStyledItemDelegate>
#include <array>
#include <functional>
#include <optional>

#include "app/spot.h"

namespace varnak {

inline constexpr int kFadeMinutes = 30;
inline constexpr double kMinContrast = 4.5;

// WCAG contrast ratio of two colours, 1 to 21.
double ContrastRatio(const QColor& a, const QColor& b);
// The band colours of the map, as QColor (grey for other bands and none).
QColor BandQColor(const std::string& band);
// colour laid over base with the given strength, made weaker until text stays readable.
QColor ReadableTint(const QColor& colour, const QColor& base, const QColor& text, double strength);
// A dark palette: light text on a dark base.
bool IsDarkPalette(const QPalette& palette);
// A text colour of the panes as it shows on this palette: exact on a light one; on a
// dark one black becomes the palette's text and other colours a tint of them readable
// on the base (contrast at least kMinContrast).
QColor ReadableTextColour(const QColor& colour, const QPalette& palette);
// The kHz cell's background in the columns view.
QColor BandCellBackground(const std::string& band, const QPalette& palette);
// Row background for a needed spot; invalid for NeedMark::None.
QColor MarkBackground(NeedMark mark, const QPalette& palette);
// The operator's alert rules may give a spot's row a background (invalid for none); the
// window sets where it comes from.
void SetRuleRowColour(std::function<QColor(const Spot&)> colourOf);
// Text colour of a row of this age (unknown age: full strength).
QColor AgedText(const QPalette& palette, std::int64_t ageMinutes, bool selected);

// A row the program writes into the lists ("*** Varnak started at 21:07"), no spot.
bool IsMarkerRow(const Spot& spot);

// Paints the rows of both views. The view tells it, per index, the row's spot (or
// nullptr) and whether the cell is the kHz cell of the columns view.
class SpotRowDelegate : public QStyledItemDelegate {
 public:
  using InfoOf = std::function<const Spot*(const QModelIndex&)>;
  using NowMinute = std::function<std::int64_t()>;
  SpotRowDelegate(InfoOf info, NowMinute now, QObject* parent);

  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;

  // Lays a cell's text out once and keeps it (a bounded cache shared by every view),
  // drawing exactly what the style would, and sizes rows of a fixed-pitch font by their
  // length; off only to compare with the style's own answers in tests.
  bool reuseTextLayout = true;
  int height = 0;          // fixed row height; 0 = from the font
  int khzColumn = -1;      // the column whose cell shows the band's colour; -1 = stripe
  int stripeColumn = 0;    // the column the stripe is drawn in (the first shown one)

 protected:
  void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;

 private:
  QSize StyleSizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const;
  void PaintCell(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const;
  const QPalette& AgedPalette(const QPalette& palette, std::int64_t ageMinutes, bool selected) const;
  InfoOf info_;
  NowMinute now_;
  // A row's palette by colour group (active, disabled, inactive), age (0..kFadeMinutes)
  // and selection, for the view's palette of agedOf_: setting the text colour copies the
  // whole palette, and that was a tenth of what painting a table cost.
  static constexpr int kAgedGroups = 3;
  mutable qint64 agedOf_ = 0;
  mutable std::array<std::optional<QPalette>, kAgedGroups * (kFadeMinutes + 1) * 2> aged_;
};

}  // namespace varnak
