#pragma once
// Lets the program's real message boxes open, and closes them as an operator would: a
// timer on the event loop finds every visible QMessageBox, also one that runs its own
// nested loop (exec()), records its text and clicks its default button. A test can act
// while a box is up (a peer disconnecting, a key released) through whileOpen.
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QTimer>
#include <functional>
#include <vector>

class QMessageBox;

namespace varnak::test {

class BoxCloser : public QObject {
 public:
  explicit BoxCloser(int pollMs = 20);

  // Runs once for each new box before it is closed; it may run the event loop. Return
  // false to leave the box open: it is closed at a later tick once closeWhen() holds,
  // so whatever the box's own loop (if any) does meanwhile happens inside it.
  std::function<bool(QMessageBox*)> whileOpen;
  std::function<bool()> closeWhen;
  // How a box is closed; the default clicks its default button (OK).
  std::function<void(QMessageBox*)> close;

  QStringList Texts() const { return texts_; }  // every box seen, in order
  int Seen() const { return static_cast<int>(texts_.size()); }
  int OpenCount() const;
  void CloseAll();

 private:
  void Poll();

  QTimer timer_;
  QStringList texts_;
  std::vector<QPointer<QMessageBox>> seen_, waiting_;
};

// Presses Enter on the box, then releases it on whatever has the focus once the box is
// gone, as a real keyboard does.
void CloseWithEnter(QMessageBox* box);

}  // namespace varnak::test
