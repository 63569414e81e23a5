// The station's side of the alert rules and the stations view: both follow the filed
// spots, and a spot kept by either can be made the current one.
#include "app/alert_controller.h"
#include "app/spot_filter_controller.h"
#include "app/spot_lists.h"
#include "app/spot_resolver.h"
#include "app/station.h"
#include "app/stations_model.h"

namespace varnak {

void Station::WireAlerts() {
  alertRules_ = new AlertController(*this);
  filter_ = new SpotFilterController(*this);
  stations_ = new StationsModel([this] { return NowMinute(); }, this);
  connect(this, &Station::configurationRead, stations_, [this] { stations_->SetWindowMinutes(settings_.StationsMinutes); });
  stations_->SetContinentOf([this](std::string_view spotter) { return alertRules_->continents().Of(spotter); });
  connect(lists_.get(), &SpotLists::spotFiled, stations_, [this](const std::shared_ptr<Spot>& spot) { stations_->Add(spot); });
}

void Station::PickSpot(const Spot& spot) {
  auto copy = std::make_shared<Spot>(spot);
  spotResolver_->Update(*copy, true);
  MakeCurrent(std::move(copy));
}

}  // namespace varnak
