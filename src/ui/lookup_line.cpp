#include "ui/lookup_line.h"

#include <QResizeEvent>

namespace varnak {

LookupLine::LookupLine(QLabel* label, QWidget* parent)
    : QWidget(parent), label_(label), throttle_(kMinIntervalMs, [this] {
        full_ = waiting_;
        Apply();
      }) {
  label_->setParent(this);
  label_->move(0, 0);
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
  full_ = waiting_ = label_->text();
}

QSize LookupLine::sizeHint() const {
  const QFontMetrics fm(label_->font());
  const QMargins m = label_->contentsMargins();
  return {fm.horizontalAdvance(QLatin1Char('M')) * 20, fm.height() + m.top() + m.bottom() + 2};
}

QSize LookupLine::minimumSizeHint() const { return {0, sizeHint().height()}; }

void LookupLine::Present(const QString& text) {
  waiting_ = text;
  throttle_.Request();
}

void LookupLine::PresentNow(const QString& text) {
  waiting_ = text;
  throttle_.RunNow();
}

void LookupLine::Apply() {
  // A fixed size (minimum = maximum) keeps a new text from asking the row, and so the
  // window, to lay itself out again.
  if (label_->size() != size()) label_->setFixedSize(size());
  const QMargins m = label_->contentsMargins();
  const int room = width() - m.left() - m.right() - 2 * label_->margin();
  const QString shown = label_->fontMetrics().elidedText(full_, Qt::ElideRight, std::max(room, 0));
  if (shown != label_->text()) label_->setText(shown);
  const QString tip = shown == full_ ? QString() : full_;
  if (tip != label_->toolTip()) label_->setToolTip(tip);
}

void LookupLine::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  Apply();
}

}  // namespace varnak
