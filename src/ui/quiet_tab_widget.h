#pragma once
// Responsibilities: a notebook whose caption changes repaint no more than its tab bar. A
// new caption ("20m (57)") makes the tab bar ask its notebook for a new layout, and the
// notebook then repaints all of itself though nothing but the tab bar moved: its frame
// edges run the notebook's height in a translucent pen, which Qt's raster engine spreads
// over worker threads, once a second while spots come in on other bands. Captions set on
// the tab bar (QTabWidget::setTabText lays out and repaints at once) reach the notebook
// as a layout request, and here it repaints only when the layout really moved the tab bar
// or the pages; the tab bar still paints its own changes.
//
// Collaborations: the main window's notebooks; the caption counter that renames tabs.
#include <QTabWidget>

namespace varnak {

class QuietTabWidget : public QTabWidget {
 public:
  using QTabWidget::QTabWidget;

 protected:
  bool event(QEvent* event) override;
};

}  // namespace varnak
