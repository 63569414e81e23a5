// Where the main window stands and how its panes divide it. "Left", "Top", "Width" and
// "Height" are the window's outer bounds, frame included; "Window1" and "Window2" are
// the heights of the spot notebook and of the cluster text pane, which keep those heights
// when the window changes size (the talk pane takes the rest), so they come back exactly
// as stored at every start.
#include <QEvent>
#include <QSplitter>
#include <QSplitterHandle>
#include <algorithm>

#include "ui/band_map_window.h"
#include "ui/main_window.h"

namespace varnak {

namespace {

// As the splitter itself counts it: a minimum set on the pane, else its layout's.
int MinimumHeight(const QWidget* pane) {
  return pane->minimumHeight() > 0 ? pane->minimumHeight() : pane->minimumSizeHint().height();
}

// Holds the first pane of a two-pane splitter at a wanted height; dragging the divider
// sets a new wanted height. A splitter left to itself scales both panes whenever its own
// height changes, and the scaled heights would be written back at exit.
class FirstPaneHeight : public QObject {
 public:
  FirstPaneHeight(QSplitter* splitter, int wanted) : QObject(splitter), splitter_(splitter), wanted_(wanted) {
    splitter->installEventFilter(this);
    connect(splitter, &QSplitter::splitterMoved, this, [this] { wanted_ = splitter_->sizes().value(0, wanted_); });
    Apply();
  }
  int Wanted() const { return wanted_; }
  void SetWanted(int height) {
    wanted_ = height;
    Apply();
  }

 private:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Resize || event->type() == QEvent::LayoutRequest) Apply();
    return false;
  }
  void Apply() {
    if (splitter_->count() < 2) return;
    QSplitterHandle* handle = splitter_->handle(1);
    const int handleHeight = handle && !handle->isHidden() ? handle->sizeHint().height() : 0;
    const int total = splitter_->contentsRect().height() - handleHeight;
    if (total <= 0) return;
    // A divider stored in a taller window (maximized, another screen) must not squeeze
    // either pane below its minimum; the wanted height stays for when there is room.
    const int minFirst = MinimumHeight(splitter_->widget(0));
    const int minSecond = MinimumHeight(splitter_->widget(1));
    const int lowest = std::min(minFirst, total);
    const int first = std::clamp(wanted_, lowest, std::max(lowest, total - minSecond));
    if (splitter_->sizes() != QList<int>{first, total - first}) splitter_->setSizes({first, total - first});
  }

  QSplitter* splitter_;
  int wanted_;
};

QFont SmallFixedFont() {
  QFont font = FixedPitchFont();
  font.setPointSize(8);
  return font;
}

FirstPaneHeight* KeeperOf(QSplitter* splitter) {
  for (QObject* child : splitter->children())
    if (auto* keeper = dynamic_cast<FirstPaneHeight*>(child)) return keeper;
  return nullptr;
}

void KeepFirstPaneHeight(QSplitter* splitter, int height) {
  if (FirstPaneHeight* keeper = KeeperOf(splitter))
    keeper->SetWanted(height);
  else
    new FirstPaneHeight(splitter, height);
}

int FirstPaneHeightOf(QSplitter* splitter, int otherwise) {
  FirstPaneHeight* keeper = KeeperOf(splitter);
  return keeper ? keeper->Wanted() : otherwise;
}

// The frame is known only once a window manager has framed the window. Until then the
// outer bounds are the window's own; when the frame appears, the window shrinks by it
// so that the whole of it, frame included, stands where the bounds say.
class OuterBounds : public QObject {
 public:
  OuterBounds(QWidget* window, QRect bounds) : QObject(window), window_(window), bounds_(bounds) {
    window->installEventFilter(this);
  }
  void Set(QRect bounds) {
    bounds_ = bounds;
    framed_ = false;
    window_->move(bounds.topLeft());
    window_->resize(bounds.size());
    Check();
  }

 private:
  bool eventFilter(QObject*, QEvent* event) override {
    switch (event->type()) {
      case QEvent::Move:
      case QEvent::Resize:
      case QEvent::Show:
      case QEvent::WindowActivate:
        Check();
        break;
      default:
        break;
    }
    return false;
  }
  void Check() {
    if (framed_ || !window_->isVisible() || (window_->windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen)))
      return;
    const QSize frame = window_->frameGeometry().size() - window_->geometry().size();
    if (frame.width() <= 0 && frame.height() <= 0) return;
    framed_ = true;
    window_->move(bounds_.topLeft());
    window_->resize(bounds_.size() - frame);
  }

  QWidget* window_;
  QRect bounds_;
  bool framed_ = false;
};

OuterBounds* BoundsOf(QWidget* window) {
  for (QObject* child : window->children())
    if (auto* bounds = dynamic_cast<OuterBounds*>(child)) return bounds;
  return nullptr;
}

void PlaceOuterBounds(QWidget* window, QRect bounds) {
  OuterBounds* keeper = BoundsOf(window);
  if (!keeper) keeper = new OuterBounds(window, bounds);
  keeper->Set(bounds);
}

}  // namespace

void TForm1::ApplyPlacement() {
  // The lists and panes may shrink to a few lines, so that the window fits a 480-pixel
  // desktop; their own minimum would hold the window taller than the screen.
  for (QWidget* pane : {static_cast<QWidget*>(RichEditAll), static_cast<QWidget*>(Memo1)}) pane->setMinimumHeight(30);
  for (auto* grid : SpotGrids) grid->setMinimumHeight(30);
  SearchResults->setMinimumHeight(30);
  const Settings& s = station_->settings();
  PlaceOuterBounds(this, QRect(s.Left, s.Top, s.Width, s.Height));
  KeepFirstPaneHeight(Splitter1, s.Window1);
  KeepFirstPaneHeight(Splitter2, s.Window2);
  // The bounds above are the ones the window returns to from maximized.
  if (s.Maximized) setWindowState(windowState() | Qt::WindowMaximized);
  if (s.Tab >= 0 && s.Tab < TabbedNotebook1->count()) TabbedNotebook1->setCurrentIndex(s.Tab);
  ApplyFontSize(s.FontSize);
}

void TForm1::StorePlacement(Settings& s) {
  s.Maximized = isMaximized();
  if (!s.Maximized) {
    QRect g = frameGeometry();
    s.Left = g.left();
    s.Top = g.top();
    s.Width = g.width();
    s.Height = g.height();
  }
  s.Window1 = FirstPaneHeightOf(Splitter1, Splitter1->sizes().value(0, s.Window1));
  s.Window2 = FirstPaneHeightOf(Splitter2, Splitter2->sizes().value(0, s.Window2));
  s.Tab = TabbedNotebook1->currentIndex();
  // Its own section, written before the rest of the file, which keeps it.
  if (BandMapWindow* map = BandMapOf(*this)) map->Store(station_->ProgramPath("Varnak.ini"));
}

void TForm1::AdaptToScreen() {
  int desktop = desktopWidth ? desktopWidth() : 0;
  if (desktop == 640) {
    RichEditAll->setFont(SmallFixedFont());
    SpotGrids[0]->setFont(SmallFixedFont());
    SpotGrids[0]->SetRowHeight(16);
    if (ColumnGrids[0]) {
      ColumnGrids[0]->setFont(SmallFixedFont());
      ColumnGrids[0]->SetRowHeight(16);
    }
    PlaceOuterBounds(this, QRect(0, 0, 635, 458));
    showMaximized();
  } else if (desktop == 800) {
    PlaceOuterBounds(this, QRect(3, 3, frameGeometry().width(), 560));
    showMaximized();
  }
}

}  // namespace varnak
