#include "app/spot_filter_controller.h"

#include <QPointer>

#include "app/alert_controller.h"
#include "app/operator_log.h"
#include "app/station.h"
#include "core/ini_file.h"
#include "core/text.h"

namespace varnak {

namespace {
constexpr const char* kIniFile = "Varnak.ini";
}  // namespace

SpotFilterController::SpotFilterController(Station& station)
    : QObject(&station), station_(station), places_(station.parser(), station.alertRules().continents()) {
  settings_ = ReadSpotFilterSettings(IniFile());
  connect(&station, &Station::configurationRead, this, &SpotFilterController::Reload);
  // Another log (or none) gives the spots other marks.
  connect(&station.operatorLog(), &OperatorLog::marksChanged, this, [this] {
    const SpotFilter& f = settings_.filters[static_cast<std::size_t>(settings_.chosen)];
    if (!f.needs.empty()) Rebuild();
  });
}

bool SpotFilterController::Shows(const Spot& spot) const {
  return !settings_.on || matcher_.Shows(spot, places_);
}

std::function<bool(const Spot&)> SpotFilterController::ShownFilter() const {
  if (!settings_.on || matcher_.ShowsAll()) return {};
  return [self = QPointer<const SpotFilterController>(this)](const Spot& spot) { return !self || self->Shows(spot); };
}

void SpotFilterController::Reload() {
  IniFile ini;
  ini.Load(station_.ProgramPath(kIniFile));
  settings_ = ReadSpotFilterSettings(ini);
  places_.SetOwnPosition(station_.OwnLatitude, station_.OwnLongitude);
  places_.Clear();  // the prefix table may be another
  Rebuild();
}

void SpotFilterController::Rebuild() {
  matcher_ = SpotFilterMatcher(settings_.filters[static_cast<std::size_t>(settings_.chosen)],
                               station_.operatorLog().Loaded());
  emit changed();
}

bool SpotFilterController::Write(std::string* error) {
  IniFile ini;
  ini.Load(station_.ProgramPath(kIniFile));
  WriteSpotFilterSettings(ini, settings_);
  return ini.Save(station_.ProgramPath(kIniFile), error);
}

void SpotFilterController::SetEnabled(bool on) {
  if (on == settings_.on) return;
  settings_.on = on;
  std::string error;
  if (!Write(&error)) station_.pane().AddPaneLine(pane_colour::kRed, "*** The filter switch was not saved: " + error);
  emit changed();
}

void SpotFilterController::Choose(int index) {
  if (index < 0 || index >= static_cast<int>(settings_.filters.size()) || index == settings_.chosen) return;
  settings_.chosen = index;
  std::string error;
  if (!Write(&error)) station_.pane().AddPaneLine(pane_colour::kRed, "*** The chosen filter was not saved: " + error);
  Rebuild();
}

bool SpotFilterController::SaveFilters(std::vector<SpotFilter> named, std::string* error) {
  SpotFilterSettings next = settings_;
  next.filters.resize(1);
  for (SpotFilter& f : named) next.filters.push_back(std::move(f));
  while (next.filters.size() < 1 + kNamedFiltersAtLeast) next.filters.emplace_back();
  for (std::size_t i = 1; i < next.filters.size(); ++i) {
    next.filters[i].name = Trim(next.filters[i].name);
    if (next.filters[i].name.empty()) next.filters[i].name = "Filter " + std::to_string(i);
  }
  next.chosen = std::min(next.chosen, static_cast<int>(next.filters.size()) - 1);
  std::swap(next, settings_);
  if (!Write(error)) {
    settings_ = std::move(next);
    return false;
  }
  Rebuild();
  return true;
}

}  // namespace varnak
