#pragma once
// Responsibilities: scroll bars for the spot views that repaint only when what they draw
// changes. A list taking a batch of rows ten times a second sets its bars' range and value
// each time; on a long list the handle moves by less than a pixel, yet the bar would be
// painted again, which costs about as much as painting a row.
//
// Laying out a view with both bars shown raises each bar above the other, which repaints
// both though nothing moved; Relayout() keeps them from being painted then.
//
// Collaborations: the view whose bars are replaced; it keeps its own handling of the
// bars' signals (Qt drops it with the old bars, so Install() connects the new ones), and
// runs what lays out its bars through Relayout().
#include <QAbstractItemView>
#include <QScrollBar>
#include <functional>

namespace varnak {

class QuietScrollBar : public QScrollBar {
 public:
  explicit QuietScrollBar(Qt::Orientation orientation, QWidget* parent = nullptr);

  // Gives the view quiet bars both ways. valueChanged and action stand for an item view's
  // own (protected) handlers of its bars; a plain scroll area needs none.
  static void Install(QAbstractScrollArea* view, std::function<void(Qt::Orientation, int value)> valueChanged,
                      std::function<void(Qt::Orientation, int action)> action);
  // Runs layout (which may place the view's bars again), then paints the bars' boxes only
  // where they moved, appeared or vanished; the bars still paint what changed on them.
  static void Relayout(QAbstractScrollArea* view, const std::function<void()>& layout);

 protected:
  void sliderChange(SliderChange change) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  // What the bar shows: the handle's place, the arrows at the ends, enabled or not.
  struct Drawn {
    QRect handle;
    bool atMinimum = false, atMaximum = false, enabled = false;
    bool operator==(const Drawn&) const = default;
  };
  Drawn Now() const;
  Drawn drawn_;  // as last painted
  bool checkPending_ = false;
};

}  // namespace varnak
