#include "ui/pane_views.h"

#include <QAbstractItemModel>
#include <QFontDatabase>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>

#include "app/pane_models.h"

namespace varnak {

QFont FixedPitchFont() {
  QFont font("Courier New");
  font.setStyleHint(QFont::TypeWriter);
  font.setFixedPitch(true);
  if (!QFontInfo(font).fixedPitch()) font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  return font;
}

LinePaneView::LinePaneView(QAbstractItemModel* model, bool followEnd, QWidget* parent)
    : QPlainTextEdit(parent), model_(model), followEnd_(followEnd) {
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
  connect(model_, &QAbstractItemModel::modelReset, this, &LinePaneView::Rebuild);
  connect(model_, &QAbstractItemModel::dataChanged, this, &LinePaneView::Rebuild);
  Rebuild();
}

QTextCharFormat LinePaneView::FormatOf(int row) {
  const QVariant colour = model_->data(model_->index(row, 0), Qt::ForegroundRole);
  const QRgb rgb = colour.isValid() ? colour.value<QColor>().rgba() : pane_colour::kBlack;
  auto it = formats_.find(rgb);
  if (it == formats_.end()) {
    QTextCharFormat format;
    format.setForeground(QColor::fromRgba(rgb));
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
  for (int row = 0, n = model_->rowCount(); row < n; ++row) AppendBlock(row, cursor);
  moveCursor(QTextCursor::End);
  FollowEnd(true);
}

void LinePaneView::LinesInserted(int first, int last) {
  const int linesBefore = empty_ ? 0 : document()->blockCount();
  if (first != linesBefore) {  // the panes only ever grow at the end
    Rebuild();
    return;
  }
  const bool wasAtEnd = AtEnd();
  QTextCursor cursor(document());
  cursor.movePosition(QTextCursor::End);
  for (int row = first; row <= last; ++row) AppendBlock(row, cursor);
  if (followEnd_) moveCursor(QTextCursor::End);
  FollowEnd(wasAtEnd);
}

void LinePaneView::LinesRemoved(int first, int last) {
  const int lines = empty_ ? 0 : document()->blockCount();
  if (model_->rowCount() == 0) {
    document()->clear();
    empty_ = true;
    return;
  }
  if (first != 0 || lines - (last - first + 1) != model_->rowCount()) {
    Rebuild();
    return;
  }
  QTextCursor cursor(document());
  cursor.movePosition(QTextCursor::Start);
  cursor.setPosition(document()->findBlockByNumber(last + 1).position(), QTextCursor::KeepAnchor);
  cursor.removeSelectedText();
}

ClusterTextView::ClusterTextView(ClusterTextModel* model, QWidget* parent) : LinePaneView(model, false, parent) {}

TalkView::TalkView(TalkModel* model, QWidget* parent) : LinePaneView(model, true, parent) {}

}  // namespace varnak
