// The station's side of the lists' spots: one lookup for all, brought up to date when
// the settings or the operator's log change.
#include "app/operator_log.h"
#include "app/spot_resolver.h"
#include "app/station.h"

namespace varnak {

void Station::WireSpotRows() {
  connect(this, &Station::configurationRead, this, &Station::UpdateSpotResolver);
  connect(log_.get(), &OperatorLog::marksChanged, this, &Station::UpdateSpotResolver);
  UpdateSpotResolver();
}

void Station::SetRowLookupsWanted(bool wanted) {
  rowLookupsWanted_ = wanted;
  UpdateSpotResolver();
}

void Station::UpdateSpotResolver() {
  SpotResolver& resolver = *spotResolver_;
  const int before = resolver.Generation();
  resolver.SetOwnCall(settings_.MyCall);
  resolver.SetOwnPosition(OwnLatitude, OwnLongitude);
  resolver.SetMarker(log_->Marker(), log_->Loaded());
  resolver.SetLookups(rowLookupsWanted_ || log_->Loaded());
  if (resolver.Generation() != before) lists_->Refresh();
}

}  // namespace varnak
