#include "ui/pane_views.h"

#include <QAbstractItemModel>
#include <QFontDatabase>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>

#include "app/pane_models.h"
#include "ui/batched_list_proxy.h"
#include "ui/spot_row_style.h"

namespace varnak {

QFont FixedPitchFont() {
  // Columns of spot lines only line up in a font whose every glyph has one width; font
  // substitution may hand out a proportional font for a missing family.
  for (const char* family : {"Courier New", "DejaVu Sans Mono", "Liberation Mono", "Noto Mono", "Nimbus Mono PS"}) {
    QFont font(family);
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    if (QFontInfo(font).fixedPitch()) return font;
  }
  return QFontDatabase::systemFont(QFontDatabase::FixedFont);
}

LinePaneView::LinePaneView(QAbstractItemModel* model, bool followEnd, QWidget* parent)
    : QPlainTextEdit(parent), model_(model), followEnd_(followEnd), throttle_(new Throttle(BatchedListProxy::kRefreshMs, [this] { Sync(); }, this)) {
  setReadOnly(true);
  setUndoRedoEnabled(false);
  setFont(FixedPitchFont());
  // Keeps the selection shown when the operator moves on to type a command.
  QPalette p = palette();
  p.setColor(QPalette::Inactive, QPalette::Highlight, p.color(QPalette::Active, QPalette::Highlight));
  p.setColor(QPalette::Inactive, QPalette::HighlightedText, p.color(QPalette::Active, QPalette::HighlightedText));
  setPalette(p);
  connect(model_, &QAbstractItemModel::rowsInserted, this,
          [this](const QModelIndex&, int first, int last) { LinesInserted(first, last); });
  connect(model_, &QAbstractItemModel::rowsRemoved, this,
          [this](const QModelIndex&, int first, int last) { LinesRemoved(first, last); });
  connect(model_, &QAbstractItemModel::modelReset, this, [this] {
    rebuild_ = true;
    Schedule();
  });
  connect(model_, &QAbstractItemModel::dataChanged, this, [this] {
    rebuild_ = true;
    Schedule();
  });
  Rebuild();
}

QTextCharFormat LinePaneView::FormatOf(int row) {
  const QVariant colour = model_->data(model_->index(row, 0), Qt::ForegroundRole);
  const QRgb rgb = colour.isValid() ? colour.value<QColor>().rgba() : pane_colour::kBlack;
  auto it = formats_.find(rgb);
  if (it == formats_.end()) {
    QTextCharFormat format;
    format.setForeground(ReadableTextColour(QColor::fromRgba(rgb), palette()));
    it = formats_.insert(rgb, format);
  }
  return *it;
}

void LinePaneView::AppendBlock(int row, QTextCursor& cursor) {
  const QString text = model_->data(model_->index(row, 0), Qt::DisplayRole).toString();
  const QTextCharFormat format = FormatOf(row);
  if (empty_) {
    empty_ = false;
  } else {
    cursor.insertBlock(QTextBlockFormat(), format);
  }
  cursor.setCharFormat(format);
  cursor.insertText(text, format);
}

bool LinePaneView::AtEnd() const {
  const QScrollBar* bar = verticalScrollBar();
  return bar->value() >= bar->maximum();
}

void LinePaneView::FollowEnd(bool wasAtEnd) {
  if (!followEnd_ && !wasAtEnd) return;
  QScrollBar* bar = verticalScrollBar();
  bar->setValue(bar->maximum());
}

void LinePaneView::Rebuild() {
  document()->clear();
  formats_.clear();
  empty_ = true;
  QTextCursor cursor(document());
  cursor.beginEditBlock();
  for (int row = 0, n = model_->rowCount(); row < n; ++row) AppendBlock(row, cursor);
  cursor.endEditBlock();
  moveCursor(QTextCursor::End);
  FollowEnd(true);
}

void LinePaneView::Schedule() { throttle_->Schedule(); }

void LinePaneView::changeEvent(QEvent* event) {
  QPlainTextEdit::changeEvent(event);
  // The line colours are tinted for the palette: a theme switch paints them anew.
  if (event->type() == QEvent::PaletteChange) {
    rebuild_ = true;
    Schedule();
  }
}

void LinePaneView::LinesInserted(int first, int last) {
  // The panes only ever grow at the end.
  if (last + 1 != model_->rowCount()) rebuild_ = true;
  appended_ += last - first + 1;
  Schedule();
}

void LinePaneView::LinesRemoved(int first, int last) {
  if (first != 0) rebuild_ = true;
  removedFront_ += last - first + 1;
  Schedule();
}

void LinePaneView::Sync() {
  const int appended = appended_, removedFront = removedFront_;
  appended_ = removedFront_ = 0;
  const int lines = empty_ ? 0 : document()->blockCount();
  const int removeFromDocument = std::min(removedFront, lines);
  // Lines that came and went again before the update never reach the document.
  const int append = appended - (removedFront - removeFromDocument);
  if (rebuild_ || append < 0 || lines - removeFromDocument + append != model_->rowCount()) {
    rebuild_ = false;
    Rebuild();
    return;
  }
  if (removeFromDocument == 0 && append == 0) return;
  const bool wasAtEnd = AtEnd();
  QTextCursor cursor(document());
  cursor.beginEditBlock();
  if (removeFromDocument == lines && removeFromDocument > 0) {
    cursor.select(QTextCursor::Document);
    cursor.removeSelectedText();
    cursor.setBlockCharFormat(QTextCharFormat());
    empty_ = true;
  } else if (removeFromDocument > 0) {
    cursor.setPosition(document()->findBlockByNumber(removeFromDocument).position(), QTextCursor::KeepAnchor);
    cursor.removeSelectedText();
  }
  cursor.movePosition(QTextCursor::End);
  for (int row = model_->rowCount() - append; row < model_->rowCount(); ++row) AppendBlock(row, cursor);
  cursor.endEditBlock();
  if (followEnd_) moveCursor(QTextCursor::End);
  FollowEnd(wasAtEnd);
}

ClusterTextView::ClusterTextView(ClusterTextModel* model, QWidget* parent) : LinePaneView(model, false, parent) {}

TalkView::TalkView(TalkModel* model, QWidget* parent) : LinePaneView(model, true, parent) {}

}  // namespace varnak
