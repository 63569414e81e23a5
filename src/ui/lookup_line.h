#pragma once
// The lookup line (Label2) under a spot flood. A node can send a thousand spots a
// second; setting a label that many times costs more than filing the spots, and a
// label with selectable text re-lays out the whole window on every change. So the
// newest spot is shown at most ten times a second, as often as the lists take new rows
// (the last one wins), a spot the operator picks is shown at once, and the label sits
// at a fixed size in a slot of the row, its text cut to the width with the whole text
// in the tooltip.
#include <QLabel>
#include <QWidget>

#include "ui/throttle.h"

namespace varnak {

class LookupLine : public QWidget {
  Q_OBJECT
 public:
  static constexpr int kMinIntervalMs = 100;

  // Takes the label into this slot; the slot goes into the row in its place.
  explicit LookupLine(QLabel* label, QWidget* parent = nullptr);

  // The newest spot's line: shown now if the last change is kMinIntervalMs old, else
  // when it is (unless a newer line comes first).
  void Present(const QString& text);
  // A line the operator asked for: shown at once, a waiting line dropped.
  void PresentNow(const QString& text);
  void Clear() { PresentNow(QString()); }
  // The whole line, as the tooltip shows it.
  const QString& FullText() const { return full_; }

  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  void Apply();

  QLabel* label_;
  QString full_;
  QString waiting_;
  Throttle throttle_;
};

}  // namespace varnak
