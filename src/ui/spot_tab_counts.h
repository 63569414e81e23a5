#pragma once
// SpotTabCounts: the band tabs of the spot notebook tell how many spots came since the
// page was last looked at, "20m (12)"; looking at it gives back "20m". "All" stays plain:
// it would count every spot and say nothing the band tabs do not.
//
// Responsibilities: count the spots filed into each band list while its page is not in
// view, and bring the captions up to date at most once a second and only where the text
// changes: a caption's new text lays out the tab bar and the notebook around it, which at
// the lists' ten refreshes a second cost more than the rows themselves.
//
// Collaborations: the window hands it each filed spot's list (Station::spotFiled); it
// follows the notebook's page changes itself. Pages 0 to kSpotListCount - 1 are the
// lists, in kSpotPageTitles order.
#include <QObject>
#include <array>

#include "app/spot_model.h"
#include "ui/throttle.h"

class QTabWidget;

namespace varnak {

class SpotTabCounts : public QObject {
  Q_OBJECT
 public:
  static constexpr int kCaptionMs = 1000;

  explicit SpotTabCounts(QTabWidget* notebook, QObject* parent = nullptr);

  // A spot went into this list (0: "All" only).
  void SpotFiled(int list);
  int Count(int list) const { return counts_[static_cast<size_t>(list)]; }

 private:
  void PageShown(int page);
  void ShowCounts();
  void ShowCaption(int list);

  QTabWidget* notebook_;
  std::array<int, kSpotListCount> counts_{};
  Throttle captions_;
};

}  // namespace varnak
