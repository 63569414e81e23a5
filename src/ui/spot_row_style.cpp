#include "ui/spot_row_style.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QCache>
#include <QFontMetrics>
#include <QGlyphRun>
#include <QRawFont>
#include <QPainter>
#include <QScrollBar>
#include <QStyle>
#include <QTextLayout>
#include <algorithm>
#include <array>
#include <bitset>
#include <cmath>
#include <cstdint>
#include <unordered_map>
#include <vector>

#include "map/map_model.h"

namespace varnak {

namespace {

constexpr int kStripeWidth = 4;
// A new entity stands out; a new band or mode less so.
const QColor kNeedColour(230, 40, 160);

double Channel(double c) {
  c /= 255.0;
  return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

double Luminance(const QColor& c) {
  return 0.2126 * Channel(c.red()) + 0.7152 * Channel(c.green()) + 0.0722 * Channel(c.blue());
}

std::function<QColor(const Spot&)>& RuleRowColour() {
  static std::function<QColor(const Spot&)> colourOf;
  return colourOf;
}

QColor Mix(const QColor& over, const QColor& base, double strength) {
  const auto mix = [strength](int a, int b) { return static_cast<int>(std::lround(a * strength + b * (1 - strength))); };
  return QColor(mix(over.red(), base.red()), mix(over.green(), base.green()), mix(over.blue(), base.blue()));
}

}  // namespace

double ContrastRatio(const QColor& a, const QColor& b) {
  const double la = Luminance(a), lb = Luminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

bool IsDarkPalette(const QPalette& palette) {
  return Luminance(palette.color(QPalette::Base)) < Luminance(palette.color(QPalette::Text));
}

QColor ReadableTextColour(const QColor& colour, const QPalette& palette) {
  if (!IsDarkPalette(palette)) return colour;
  const QColor base = palette.color(QPalette::Base);
  const QColor text = palette.color(QPalette::Text);
  if (colour.rgb() == qRgb(0, 0, 0)) return text;
  // Towards the palette's own text colour (white if even that is too dark), only as far
  // as needed, so the lines keep their hue: blue turns light blue, red a light red.
  const QColor towards = ContrastRatio(text, base) >= kMinContrast ? text : QColor(Qt::white);
  for (int step = 0; step <= 20; ++step) {
    const QColor tint = Mix(towards, colour, step / 20.0);
    if (ContrastRatio(tint, base) >= kMinContrast) return tint;
  }
  return towards;
}

QColor BandQColor(const std::string& band) {
  const BgrColour c = BandColour(band);
  return QColor(RedOf(c), GreenOf(c), BlueOf(c));
}

QColor ReadableTint(const QColor& colour, const QColor& base, const QColor& text, double strength) {
  // Asked for every cell painted, with a handful of different arguments in a run: the
  // search below costs dozens of pow() calls, so each answer is kept.
  struct Key {
    QRgb colour, base, text;
    long strength;
    bool operator==(const Key&) const = default;
  };
  struct KeyHash {
    std::size_t operator()(const Key& k) const {
      return std::hash<std::uint64_t>()((std::uint64_t{k.colour} << 32 | k.base) ^
                                        (std::uint64_t{k.text} << 16) ^ static_cast<std::uint64_t>(k.strength));
    }
  };
  static std::unordered_map<Key, QRgb, KeyHash> known;
  const Key key{colour.rgb(), base.rgb(), text.rgb(), std::lround(strength * 1000)};
  if (const auto it = known.find(key); it != known.end()) return QColor::fromRgb(it->second);
  QColor result = base;
  for (; strength > 0.02; strength -= 0.02) {
    const QColor tint = Mix(colour, base, strength);
    if (ContrastRatio(tint, text) > kMinContrast + 0.1) {
      result = tint;
      break;
    }
  }
  if (known.size() > 256) known.clear();  // palettes changed many times over
  known.emplace(key, result.rgb());
  return result;
}

QColor BandCellBackground(const std::string& band, const QPalette& palette) {
  return ReadableTint(BandQColor(band), palette.color(QPalette::Base), palette.color(QPalette::Text), 0.45);
}

QColor MarkBackground(NeedMark mark, const QPalette& palette) {
  double strength = 0;
  switch (mark) {
    case NeedMark::NewEntity: strength = 0.45; break;
    case NeedMark::NewBand:
    case NeedMark::NewMode: strength = 0.18; break;
    case NeedMark::Unconfirmed:
    case NeedMark::None: return {};
  }
  return ReadableTint(kNeedColour, palette.color(QPalette::Base), palette.color(QPalette::Text), strength);
}

void SetRuleRowColour(std::function<QColor(const Spot&)> colourOf) { RuleRowColour() = std::move(colourOf); }

QColor AgedText(const QPalette& palette, std::int64_t ageMinutes, bool selected) {
  const QColor text = palette.color(selected ? QPalette::HighlightedText : QPalette::Text);
  if (selected || ageMinutes <= 0) return text;
  // Grey halfway between the text and the background: still legible, clearly old.
  const QColor grey = Mix(text, palette.color(QPalette::Base), 0.55);
  const double fade = std::min<double>(static_cast<double>(ageMinutes), kFadeMinutes) / kFadeMinutes;
  return Mix(grey, text, fade);
}

bool IsMarkerRow(const Spot& spot) { return !spot.valid && spot.comment.rfind("*** ", 0) == 0; }

namespace {
// A marker row of the columns view: one rule across the whole row with the marker's
// text on it. Each cell paints its own stretch of the rule and of the text, so a cell
// repainted alone matches its neighbours.
void PaintMarkerCell(QPainter* painter, const QStyleOptionViewItem& option, const std::string& text) {
  const auto* view = qobject_cast<const QAbstractScrollArea*>(option.widget);
  const int rowLeft = view ? -view->horizontalScrollBar()->value() : option.rect.left();
  const int rowRight = view ? view->viewport()->width() : option.rect.right();
  painter->save();
  painter->setClipRect(option.rect);
  painter->fillRect(option.rect, option.palette.color(QPalette::Base));
  const QColor ink = Mix(option.palette.color(QPalette::Text), option.palette.color(QPalette::Base), 0.6);
  painter->setPen(ink);
  const QString caption = QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
  const QRect textRect(rowLeft + 6, option.rect.top(), std::max(0, rowRight - rowLeft - 6), option.rect.height());
  QRect drawn;
  painter->drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter, caption, &drawn);
  const int y = option.rect.center().y();
  painter->drawLine(rowLeft, y, rowLeft + 3, y);
  painter->drawLine(drawn.right() + 6, y, std::max(rowRight, option.rect.right()), y);
  painter->restore();
}
}  // namespace

SpotRowDelegate::SpotRowDelegate(InfoOf info, NowMinute now, QObject* parent)
    : QStyledItemDelegate(parent), info_(std::move(info)), now_(std::move(now)) {}

namespace {
// The glyphs of a fixed-pitch font for the Latin-1 characters it draws at its one width.
// A row made only of those needs no shaping: its glyphs stand one advance apart, which is
// where shaping would put them. Painting a flood's new rows is mostly shaping otherwise.
class MonoGlyphs {
 public:
  struct Font {
    QFont font;
    QRawFont raw;
    bool usable = false;
    std::array<quint32, 256> glyph{};  // 0: a character to leave to the text layout
    qreal advance = 0, ascent = 0;
    int height = 0;  // of a laid-out line, as the text layout gives it
  };
  static const Font* For(const QFont& qfont) {
    static std::vector<Font> fonts;
    for (const Font& font : fonts)
      if (font.font == qfont) return font.usable ? &font : nullptr;
    if (fonts.size() >= 8) fonts.clear();  // fonts changed many times over
    Font font;
    font.font = qfont;
    font.raw = QRawFont::fromFont(qfont);
    if (font.raw.isValid()) {
      const QFontMetrics metrics(qfont);
      const int width = metrics.horizontalAdvance(QChar('M'));
      QString chars;
      for (char16_t c = 0x20; c <= 0xff; ++c) chars += QChar(c);
      const QList<quint32> glyphs = font.raw.glyphIndexesForString(chars);
      const QList<QPointF> advances = font.raw.advancesForGlyphIndexes(glyphs);
      if (glyphs.size() == chars.size() && advances.size() == chars.size()) {
        int same = 0;
        font.advance = advances[QChar('M').unicode() - 0x20].x();
        for (char16_t c = 0x20; c <= 0xff; ++c) {
          const auto i = static_cast<qsizetype>(c - 0x20);
          const bool drawn = glyphs[i] != 0 && (c < 0x7f || c >= 0xa0) && c != 0xad &&
                             metrics.inFontUcs4(c) && metrics.horizontalAdvance(QChar(c)) == width &&
                             advances[i].x() == font.advance;
          font.glyph[c] = drawn ? glyphs[i] : 0;
          same += drawn ? 1 : 0;
        }
        QTextLayout line(QStringLiteral("M"), qfont);
        line.beginLayout();
        line.createLine();
        line.endLayout();
        font.height = line.boundingRect().size().toSize().height();
        font.ascent = QFontMetricsF(qfont).ascent();
        // A proportional font may kern or join letters of one width: only a font of
        // one width throughout is drawn this way.
        font.usable = font.advance > 0 && same >= 64;
      }
    }
    fonts.push_back(std::move(font));
    return fonts.back().usable ? &fonts.back() : nullptr;
  }
};

// A list view that keeps its rows one size asks for the newest row's size after every
// batch; the style answers by shaping the row's text. In a fixed-pitch font a one-line
// row whose characters all come from that font is as wide as its character count says
// (trailing spaces aside), so the style is asked once per count and font.
class RowSizes {
 public:
  // The size the style would give, when a count decides it; invalid otherwise.
  QSize Known(const QStyleOptionViewItem& opt, const QStyle* style) {
    Font* font = For(opt.font, style);
    if (!font) return {};
    const auto key = Key(opt.text, *font);
    if (key < 0) return {};
    const auto it = font->sizes.find(key);
    return it == font->sizes.end() ? QSize() : it->second;
  }
  void Learn(const QStyleOptionViewItem& opt, const QStyle* style, QSize size) {
    Font* font = For(opt.font, style);
    const auto key = font ? Key(opt.text, *font) : -1;
    if (key < 0) return;
    if (font->sizes.size() > 512) font->sizes.clear();
    font->sizes.emplace(key, size);
  }

 private:
  struct Font {
    QFont font;
    const QStyle* style;
    bool fixedPitch;
    std::bitset<256> inFont;  // Latin-1 characters the font itself draws, at its one width
    std::unordered_map<std::int64_t, QSize> sizes;
  };
  Font* For(const QFont& qfont, const QStyle* style) {
    for (Font& font : fonts_)
      if (font.style == style && font.font == qfont) return font.fixedPitch ? &font : nullptr;
    if (fonts_.size() >= 8) fonts_.clear();  // fonts or styles changed many times over
    const MonoGlyphs::Font* mono = MonoGlyphs::For(qfont);
    Font font{qfont, style, mono != nullptr, {}, {}};
    for (char16_t c = 0x20; mono && c <= 0xff; ++c) font.inFont[c] = mono->glyph[c] != 0;
    fonts_.push_back(std::move(font));
    return fonts_.back().fixedPitch ? &fonts_.back() : nullptr;
  }
  // Length with and without the trailing white space a line does not count, and the
  // bells (nodes ring them after spots, and rows keep them); -1 when the text has a
  // character the count cannot speak for.
  static std::int64_t Key(const QString& text, const Font& font) {
    qsizetype trailing = 0, bells = 0;
    for (const QChar c : text) {
      const char16_t u = c.unicode();
      if (u == 0x07) ++bells;
      else if (u > 0xff || !font.inFont[u]) return -1;
      trailing = c.isSpace() ? trailing + 1 : 0;
    }
    if (text.size() >= (1 << 20) || bells >= (1 << 10)) return -1;
    return (static_cast<std::int64_t>(text.size()) << 30) | (static_cast<std::int64_t>(text.size() - trailing) << 10) | bells;
  }
  std::vector<Font> fonts_;
};

RowSizes& KnownRowSizes() {
  static RowSizes sizes;
  return sizes;
}
}  // namespace

QSize SpotRowDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const {
  QSize size = StyleSizeHint(option, index);
  if (height > 0) size.setHeight(height);
  if (khzColumn < 0) size.rwidth() += kStripeWidth;
  return size;
}

QSize SpotRowDelegate::StyleSizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const {
  if (!reuseTextLayout || index.data(Qt::SizeHintRole).isValid()) return QStyledItemDelegate::sizeHint(option, index);
  QStyleOptionViewItem opt = option;
  initStyleOption(&opt, index);
  constexpr auto kOwnWay = QStyleOptionViewItem::WrapText | QStyleOptionViewItem::HasDecoration |
                           QStyleOptionViewItem::HasCheckIndicator;
  if (opt.features & kOwnWay) return QStyledItemDelegate::sizeHint(option, index);
  const QStyle* style = opt.widget ? opt.widget->style() : QApplication::style();
  if (const QSize known = KnownRowSizes().Known(opt, style); known.isValid()) return known;
  const QSize size = QStyledItemDelegate::sizeHint(option, index);
  KnownRowSizes().Learn(opt, style, size);
  return size;
}

// What QStyledItemDelegate::initStyleOption makes of a cell, for models that give a cell
// its text and alignment and nothing else (the spot lists, the columns, the stations):
// two reads instead of the seven roles it asks every model for.
void SpotRowDelegate::initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const {
  option->index = index;
  if (const QVariant align = index.data(Qt::TextAlignmentRole); align.isValid() && !align.isNull()) {
    option->displayAlignment = align.metaType() == QMetaType::fromType<Qt::Alignment>()
                                   ? align.value<Qt::Alignment>()
                                   : Qt::Alignment::fromInt(align.toInt());
  }
  if (const QVariant text = index.data(Qt::DisplayRole); text.isValid() && !text.isNull()) {
    option->features |= QStyleOptionViewItem::HasDisplay;
    option->text = displayText(text, option->locale);
  }
  option->backgroundBrush = QBrush();
  option->styleObject = nullptr;
  const Spot* info = info_ ? info_(index) : nullptr;
  if (!info || !info->valid) return;
  const bool selected = option->state & QStyle::State_Selected;
  const std::int64_t now = now_ ? now_() : kUnknownMinute;
  // A loaded row whose day cannot be told is an old one.
  const std::int64_t age =
      (info->filedMinute == kUnknownMinute || now == kUnknownMinute) ? kFadeMinutes : now - info->filedMinute;
  // Backgrounds are made readable for the full text colour; the fade comes after.
  if (index.column() == khzColumn && khzColumn >= 0) {
    option->backgroundBrush = BandCellBackground(info->band, option->palette);
  } else if (const QColor rule = RuleRowColour() ? RuleRowColour()(*info) : QColor(); rule.isValid()) {
    option->backgroundBrush = ReadableTint(rule, option->palette.color(QPalette::Base), option->palette.color(QPalette::Text), 0.6);
  } else if (const QColor mark = MarkBackground(info->need, option->palette); mark.isValid()) {
    option->backgroundBrush = mark;
  }
  option->palette = AgedPalette(option->palette, age, selected);
  if (info->ownCall) option->font.setBold(true);
}

const QPalette& SpotRowDelegate::AgedPalette(const QPalette& palette, std::int64_t ageMinutes, bool selected) const {
  // The key leaves out the current colour group (Active, Disabled or Inactive), which the
  // text colour is read from.
  const int group = std::clamp<int>(palette.currentColorGroup(), 0, kAgedGroups - 1);
  if (palette.cacheKey() != agedOf_) {
    agedOf_ = palette.cacheKey();
    aged_.fill(std::nullopt);
  }
  const std::int64_t age = std::clamp<std::int64_t>(ageMinutes, 0, kFadeMinutes);
  std::optional<QPalette>& slot = aged_[static_cast<std::size_t>((group * (kFadeMinutes + 1) + age) * 2 + (selected ? 1 : 0))];
  if (!slot) {
    slot = palette;
    slot->setColor(QPalette::Text, AgedText(palette, age, selected));
  }
  return *slot;
}

void SpotRowDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const {
  if (khzColumn >= 0 && info_) {
    if (const Spot* row = info_(index); row && IsMarkerRow(*row)) return PaintMarkerCell(painter, option, row->comment);
  }
  const bool striped = khzColumn >= 0 ? index.column() == stripeColumn : index.column() == 0;
  const Spot* info = striped && info_ ? info_(index) : nullptr;
  if (!info || !info->valid) return PaintCell(painter, option, index);
  // The stripe goes beside the text, never over its first letter.
  QRect stripe = option.rect;
  stripe.setWidth(kStripeWidth);
  painter->fillRect(stripe, BandQColor(info->band));
  QStyleOptionViewItem rest = option;
  rest.rect.adjust(kStripeWidth, 0, 0, 0);
  PaintCell(painter, rest, index);
}

namespace {
// A cell's text laid out for one width and alignment. Shaping the text is most of what
// painting a list costs, and a flood repaints the same rows ten times a second.
struct LaidOutText {
  QFont font;
  QTextLayout layout;
  qreal naturalWidth = 0;
  QSize bounds;
};

// A cell costs what its glyphs take plus a fixed part, counted in characters: the
// budget holds a page of the columns view's short cells on a large screen, or the rows
// in sight of the one-column view, whose long rows would otherwise fill it with a few
// hundred rows long scrolled away.
constexpr qsizetype kCellOverhead = 24;
constexpr qsizetype kLayoutBudget = 660 * (kCellOverhead + 7);

QCache<QString, LaidOutText>& LayoutCache() {
  static QCache<QString, LaidOutText> cache(kLayoutBudget);
  return cache;
}

const LaidOutText& LaidOut(const QString& text, const QFont& font, int width, Qt::Alignment alignment,
                           Qt::LayoutDirection direction) {
  QString key = text;
  key += QChar(0);
  key += QString::number(width);
  key += QChar(' ');
  key += QString::number(static_cast<int>(alignment) | (direction == Qt::RightToLeft ? 1 << 30 : 0));
  if (LaidOutText* known = LayoutCache().object(key); known && known->font == font) return *known;
  auto* laid = new LaidOutText{font, QTextLayout(text, font), 0, {}};
  // As the style lays out a view item's text: one line, no wrapping, the option's alignment.
  QTextOption textOption;
  textOption.setWrapMode(QTextOption::ManualWrap);
  textOption.setTextDirection(direction);
  textOption.setAlignment(QStyle::visualAlignment(direction, alignment));
  laid->layout.setTextOption(textOption);
  laid->layout.setCacheEnabled(true);
  laid->layout.beginLayout();
  QTextLine line = laid->layout.createLine();
  if (line.isValid()) {
    line.setLineWidth(width);
    line.setPosition(QPointF(0, 0));
    laid->naturalWidth = line.naturalTextWidth();
  }
  laid->layout.endLayout();
  laid->bounds = laid->layout.boundingRect().size().toSize();
  LayoutCache().insert(key, laid, kCellOverhead + std::min<qsizetype>(text.size(), kLayoutBudget / 4));
  return *LayoutCache().object(key);
}

// text as a run of the font's glyphs, when the table covers every character and the text
// fits the width (text cut short goes the style's way).
bool MonoRun(const QString& text, const MonoGlyphs::Font& font, int width, QGlyphRun* run) {
  if (static_cast<qreal>(text.size()) * font.advance > width) return false;
  QList<quint32> glyphs(text.size());
  QList<QPointF> positions(text.size());
  for (qsizetype i = 0; i < text.size(); ++i) {
    const char16_t c = text[i].unicode();
    if (c > 0xff || font.glyph[c] == 0) return false;
    glyphs[i] = font.glyph[c];
    positions[i] = QPointF(static_cast<qreal>(i) * font.advance, 0);
  }
  run->setRawFont(font.raw);
  run->setGlyphIndexes(glyphs);
  run->setPositions(positions);
  return true;
}
}  // namespace

void SpotRowDelegate::PaintCell(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const {
  QStyleOptionViewItem opt = option;
  initStyleOption(&opt, index);
  const QWidget* widget = opt.widget;
  QStyle* style = widget ? widget->style() : QApplication::style();
  // Anything but one line of plain text in a whole-cell item goes the style's own way.
  constexpr auto kOwnWay = QStyleOptionViewItem::WrapText | QStyleOptionViewItem::HasDecoration |
                           QStyleOptionViewItem::HasCheckIndicator;
  const bool plain = reuseTextLayout && opt.showDecorationSelected &&
                     !(opt.features & kOwnWay) && !(opt.state & QStyle::State_Editing) &&
                     !opt.text.contains(QChar('\n')) && !opt.text.contains(QChar::LineSeparator);
  if (!plain) return style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);
  const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, widget) + 1;
  const QRect textRect = opt.rect.adjusted(margin, 0, -margin, 0);
  const QString text = opt.text;
  // The background, selection and focus frame without the text, which follows as the
  // style draws it: its pen, its clip, its position.
  const auto background = [&] {
    opt.text.clear();
    opt.features &= ~QStyleOptionViewItem::HasDisplay;
    // A cell neither selected nor current is its background brush and nothing else; the
    // style would work out where an icon, a check box and the text would go to draw that.
    if (opt.state & (QStyle::State_Selected | QStyle::State_HasFocus))
      style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);
    else if (opt.backgroundBrush.style() == Qt::SolidPattern)
      painter->fillRect(opt.rect, opt.backgroundBrush.color());
    else if (opt.backgroundBrush.style() != Qt::NoBrush)
      style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);
    QPalette::ColorGroup group = (opt.state & QStyle::State_Enabled) ? QPalette::Normal : QPalette::Disabled;
    if (group == QPalette::Normal && !(opt.state & QStyle::State_Active)) group = QPalette::Inactive;
    painter->save();
    painter->setClipRect(opt.rect);
    painter->setPen(opt.palette.color(group, (opt.state & QStyle::State_Selected) ? QPalette::HighlightedText
                                                                                   : QPalette::Text));
  };
  if (text.isEmpty()) {  // an empty cell: its background alone
    background();
    return painter->restore();
  }
  // Left or right in a left-to-right row; text right-aligned with white space at its end
  // is placed as the text layout sees fit.
  const bool left = opt.displayAlignment & Qt::AlignLeft;
  const bool right = (opt.displayAlignment & Qt::AlignRight) && !text.isEmpty() && !text.back().isSpace();
  const MonoGlyphs::Font* mono =
      (left || right) && opt.direction == Qt::LeftToRight ? MonoGlyphs::For(opt.font) : nullptr;
  if (QGlyphRun run; mono && MonoRun(text, *mono, textRect.width(), &run)) {
    background();
    const QRect placed = QStyle::alignedRect(Qt::LayoutDirectionAuto, opt.displayAlignment,
                                             QSize(textRect.width(), mono->height), textRect);
    const qreal x = left ? 0 : textRect.width() - static_cast<qreal>(text.size()) * mono->advance;
    painter->drawGlyphRun(QPointF(textRect.x() + x, placed.top() + mono->ascent), run);
    return painter->restore();
  }
  const LaidOutText& laid = LaidOut(text, opt.font, textRect.width(), opt.displayAlignment, opt.direction);
  // Text cut short with an ellipsis is rare (a narrow column): the style does it.
  if (laid.naturalWidth > textRect.width()) return style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);
  background();
  const QRect placed = QStyle::alignedRect(Qt::LayoutDirectionAuto, opt.displayAlignment, laid.bounds, textRect);
  laid.layout.draw(painter, QPointF(textRect.x(), placed.top()));
  painter->restore();
}

}  // namespace varnak
