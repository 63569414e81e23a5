#pragma once
// SpotFilterController: the spot filter in force.
//
// Responsibilities: keeps the named filters, the chosen one and the on/off switch, read
// from the "Filter" section of "Varnak.ini" with the rest of the configuration and
// written back as soon as the operator changes them; answers for any spot whether the
// filter shows it (every spot while it is off); tells everyone who draws spots when
// the answer may have changed.
//
// Collaborations: Station (configuration, own position, call parser, operator's log);
// the alert rules' spotter continents (one cache for both); the spot sound, the alert
// rules' sounds and the automatic map plots ask Shows; the window binds the switch, the
// dialog, the lists and the band map to it.
#include <QObject>
#include <functional>
#include <string>

#include "app/spot_filter.h"

namespace varnak {

class Station;

class SpotFilterController : public QObject {
  Q_OBJECT
 public:
  explicit SpotFilterController(Station& station);

  bool Enabled() const { return settings_.on; }
  // True while the filter is off, for rows that are no spots, and for spots it passes.
  bool Shows(const Spot& spot) const;
  // For the views: an empty function while every spot shows.
  std::function<bool(const Spot&)> ShownFilter() const;

  const SpotFilterSettings& Settings() const { return settings_; }
  // "All" first, then the operator's.
  const std::vector<SpotFilter>& Filters() const { return settings_.filters; }
  int Chosen() const { return settings_.chosen; }

  // The operator's switch and pick; written to the file at once. An index out of range
  // changes nothing.
  void SetEnabled(bool on);
  void Choose(int index);
  // The dialog's "OK": the operator's named filters (without "All"). False (error says
  // why) when the file cannot be written; the filters in force stay then.
  bool SaveFilters(std::vector<SpotFilter> named, std::string* error = nullptr);
  // Reads the section again (with the configuration).
  void Reload();

 signals:
  // What Shows answers may have changed: on/off, another filter, an edited one, the own
  // position, or the log's need marks under a "needed only" filter.
  void changed();

 private:
  void Rebuild();
  bool Write(std::string* error);

  Station& station_;
  SpotFilterSettings settings_;
  SpotFilterMatcher matcher_;
  mutable SpotterPlaces places_;
};

}  // namespace varnak
