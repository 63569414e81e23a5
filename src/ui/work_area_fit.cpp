#include "ui/work_area_fit.h"

#include <QEvent>
#include <QScreen>
#include <QScrollArea>
#include <QWidget>
#include <algorithm>

namespace varnak {

namespace {

// Until a window manager has framed the window its frame is unknown; a title bar and
// thin borders are what most of them add.
constexpr QMargins kFrameGuess(4, 30, 4, 4);

class WorkAreaFit : public QObject {
 public:
  explicit WorkAreaFit(QWidget* window) : QObject(window), window_(window) { window->installEventFilter(this); }

 private:
  // Shown, the window is fitted with a guessed frame; once the window manager has framed
  // it, once more with the real one (a title bar above the screen's top is out of reach).
  bool eventFilter(QObject*, QEvent* event) override {
    switch (event->type()) {
      case QEvent::Show:
        framedFit_ = false;
        FitToWorkArea(window_);
        break;
      case QEvent::Move:
      case QEvent::Resize:
      case QEvent::WindowActivate:
        if (!framedFit_ && window_->isVisible() && window_->frameGeometry() != window_->geometry()) {
          framedFit_ = true;
          FitToWorkArea(window_);
        }
        break;
      default:
        break;
    }
    return false;
  }

  QWidget* window_;
  bool framedFit_ = false;
};

}  // namespace

void FitToWorkArea(QWidget* window) {
  if (window->windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen)) return;
  QScreen* screen = window->screen();
  if (!screen) return;
  const QRect area = screen->availableGeometry();
  const QRect inner = window->geometry();
  const QRect outer = window->frameGeometry();
  QMargins frame(inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
                 outer.bottom() - inner.bottom());
  if (frame.isNull()) frame = kFrameGuess;
  const QSize room = area.size().shrunkBy(frame);
  const QSize size = window->size().boundedTo(room);
  if (size != window->size()) window->resize(size);
  const QSize whole = size.grownBy(frame);
  const int x = std::clamp(outer.left(), area.left(), std::max(area.left(), area.right() + 1 - whole.width()));
  const int y = std::clamp(outer.top(), area.top(), std::max(area.top(), area.bottom() + 1 - whole.height()));
  if (QPoint(x, y) != outer.topLeft()) window->move(x, y);
}

void KeepInWorkArea(QWidget* window) { new WorkAreaFit(window); }

QScrollArea* ScrollingBody(QWidget* body, QWidget* parent) {
  auto* area = new QScrollArea(parent);
  area->setWidget(body);
  area->setWidgetResizable(true);
  area->setFrameShape(QFrame::NoFrame);
  return area;
}

}  // namespace varnak
