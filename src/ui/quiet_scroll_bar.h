#pragma once
// Responsibilities: scroll bars for the spot views that repaint only when what they draw
// changes. A list taking a batch of rows ten times a second sets its bars' range and value
// each time; on a long list the handle moves by less than a pixel, yet the bar would be
// painted again, which costs about as much as painting a row.
//
// Collaborations: the view whose bars are replaced; it keeps its own handling of the
// bars' signals (Qt drops it with the old bars, so Install() connects the new ones).
#include <QAbstractItemView>
#include <QScrollBar>
#include <functional>

namespace varnak {

class QuietScrollBar : public QScrollBar {
 public:
  explicit QuietScrollBar(Qt::Orientation orientation, QWidget* parent = nullptr);

  // Gives the view quiet bars both ways. valueChanged and action stand for the view's
  // own (protected) handlers of its bars.
  static void Install(QAbstractItemView* view, std::function<void(Qt::Orientation, int value)> valueChanged,
                      std::function<void(Qt::Orientation, int action)> action);

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
