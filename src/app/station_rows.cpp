// The station's side of the spot rows' cells: one cache per list, one resolver for all,
// brought up to date when the settings or the operator's log change.
#include "app/operator_log.h"
#include "app/spot_row_cache.h"
#include "app/station.h"

namespace varnak {

void Station::WireSpotRows() {
  rowResolver_ = std::make_unique<SpotRowResolver>(*parser_, *clock_);
  for (int i = 0; i < kSpotListCount; ++i)
    rowCaches_[static_cast<size_t>(i)] = std::make_unique<SpotRowCache>(*lists_->List(i), *rowResolver_);
  connect(this, &Station::configurationRead, this, &Station::UpdateRowResolver);
  connect(log_.get(), &OperatorLog::marksChanged, this, &Station::UpdateRowResolver);
  UpdateRowResolver();
}

void Station::SetRowLookupsWanted(bool wanted) {
  rowLookupsWanted_ = wanted;
  UpdateRowResolver();
}

void Station::UpdateRowResolver() {
  SpotRowResolver& r = *rowResolver_;
  const int before = r.Generation();
  r.SetOwnCall(settings_.MyCall);
  r.SetOwnPosition(OwnLatitude, OwnLongitude);
  r.SetMarker(log_->Marker(), log_->Loaded());
  r.SetLookups(rowLookupsWanted_ || log_->Loaded());
  if (r.Generation() == before) return;
  for (auto& cache : rowCaches_) cache->Refresh();
}

}  // namespace varnak
