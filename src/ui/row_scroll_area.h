#pragma once
// Responsibilities: what the spot views that draw their own rows share. Every row is one
// height, so a row's place is a product and the vertical bar counts rows; a batch of new
// rows scrolls the pixels already painted and paints only the rows that came in; moving
// the current row repaints two rows.
//
// Collaborations: the view draws the rows, keeps its current row and says how many rows
// there are, how tall and how wide; its bars are quiet scroll bars.
#include <QAbstractScrollArea>
#include <QStyleOptionViewItem>

#include "ui/spot_view_hold.h"

namespace varnak {

class RowScrollArea : public QAbstractScrollArea {
 public:
  explicit RowScrollArea(QWidget* parent = nullptr);

 protected:
  virtual int RowCount() const = 0;
  virtual int Step() const = 0;           // a row's height in pixels
  virtual int ContentsWidth() const = 0;  // of the widest row
  virtual int CurrentRow() const = 0;     // -1 for none

  int TopRow() const;
  int RowsInView() const;        // rows wholly in the viewport
  int RowAt(int y) const;        // -1 below the last row
  QRect RowRect(int row) const;  // in the viewport, the whole row
  void ScrollToRow(int row);
  void UpdateRow(int row);
  void UpdateBars();
  // Rows from first on came in; PaintNewRows paints them once the batch has scrolled the
  // view, where they then are.
  void NoteNewRows(int first);
  void PaintNewRows();
  // The rows moved or changed: the bars and every row again.
  void RowsChanged();
  // The row a movement key takes the current row to; -1 for a key that moves nothing.
  int RowForKey(int key) const;
  // What an item view hands its delegate, so these rows look as in any other list.
  void InitOption(QStyleOptionViewItem* option) const;
  // Where the rows are, for the hold of the frozen lists.
  SpotViewHold::Rows HoldRows() const;

  void scrollContentsBy(int dx, int dy) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  bool event(QEvent* event) override;

 private:
  int newFrom_ = -1;  // first row of a batch not painted yet
};

}  // namespace varnak
