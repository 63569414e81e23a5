#include "support/box_closer.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <algorithm>

namespace varnak::test {

BoxCloser::BoxCloser(int pollMs) {
  close = [](QMessageBox* box) {
    if (QPushButton* ok = box->defaultButton()) ok->click();
    else box->accept();
  };
  connect(&timer_, &QTimer::timeout, this, &BoxCloser::Poll);
  timer_.start(pollMs);
}

int BoxCloser::OpenCount() const {
  int n = 0;
  for (QWidget* w : QApplication::topLevelWidgets())
    if (qobject_cast<QMessageBox*>(w) && w->isVisible()) ++n;
  return n;
}

void BoxCloser::CloseAll() {
  for (QWidget* w : QApplication::topLevelWidgets())
    if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible()) close(box);
}

// Re-entered when closing a box runs the loop (a box raised by the key that closed
// the last one); each box is handled once.
void BoxCloser::Poll() {
  std::vector<QPointer<QMessageBox>> boxes;
  for (QWidget* w : QApplication::topLevelWidgets())
    if (auto* box = qobject_cast<QMessageBox*>(w)) boxes.emplace_back(box);
  for (QPointer<QMessageBox>& box : boxes) {
    if (!box || !box->isVisible()) continue;
    if (std::find(seen_.begin(), seen_.end(), box) != seen_.end()) continue;
    seen_.push_back(box);
    texts_ << box->text();
    const bool closeNow = !whileOpen || whileOpen(box);
    if (!closeNow) waiting_.push_back(box);
    else if (box && box->isVisible()) close(box);
  }
  if (!waiting_.empty() && (!closeWhen || closeWhen())) {
    auto waiting = std::move(waiting_);
    waiting_.clear();
    for (auto& box : waiting)
      if (box && box->isVisible()) close(box);
  }
  seen_.erase(std::remove_if(seen_.begin(), seen_.end(), [](const auto& b) { return b.isNull(); }), seen_.end());
}

void CloseWithEnter(QMessageBox* box) {
  QWidget* target = box->focusWidget() ? box->focusWidget() : box;
  QTest::keyPress(target, Qt::Key_Return);
  if (QWidget* focus = QApplication::focusWidget()) QTest::keyRelease(focus, Qt::Key_Return);
}

}  // namespace varnak::test
