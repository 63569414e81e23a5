#include "ui/spot_tab_counts.h"

#include <QTabBar>
#include <QTabWidget>


namespace varnak {

SpotTabCounts::SpotTabCounts(QTabWidget* notebook, QObject* parent)
    : QObject(parent), notebook_(notebook), captions_(kCaptionMs, [this] { ShowCounts(); }) {
  connect(notebook_, &QTabWidget::currentChanged, this, &SpotTabCounts::PageShown);
}

void SpotTabCounts::SpotFiled(int list) {
  if (list <= kAllList || list >= kSpotListCount || notebook_->currentIndex() == list) return;
  ++counts_[static_cast<size_t>(list)];
  captions_.Schedule();
}

void SpotTabCounts::PageShown(int page) {
  if (page <= kAllList || page >= kSpotListCount) return;
  counts_[static_cast<size_t>(page)] = 0;
  ShowCaption(page);
}

void SpotTabCounts::ShowCounts() {
  for (int list = kAllList + 1; list < kSpotListCount; ++list) ShowCaption(list);
}

void SpotTabCounts::ShowCaption(int list) {
  QString text = QString::fromLatin1(kSpotPageTitles[static_cast<size_t>(list)]);
  if (const int n = counts_[static_cast<size_t>(list)]; n > 0) text += QString(" (%1)").arg(n);
  // Setting a caption lays out the whole tab bar, even to the same text. It goes to the
  // tab bar: QTabWidget::setTabText would also repaint the whole notebook (QuietTabWidget).
  if (notebook_->tabText(list) != text) notebook_->tabBar()->setTabText(list, text);
}

}  // namespace varnak
