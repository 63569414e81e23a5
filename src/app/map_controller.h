#pragma once
// MapController: the world map and the propagation map as the operator uses them.
//
// Responsibilities:
//  - the automatic displays: while the world map's "Auto" is on, each presented spot
//    whose position is known is plotted; while the propagation map's is on, its path
//    is shown. A map that fails is switched off, so a burst of spots gives one report;
//  - the spot menu's "Show in" commands for the current spot, and both "Auto" switches;
//  - the map's settings file ("Atlas.ini"): read when the world map starts, written
//    when its "Auto" goes off and at shutdown;
//  - the position of a DX call for the propagation view.
//
// Collaborations: Station gives the current spot, the own position and the call
// parser; the map window is reached through MapHost (map_link.h). The window ticks its
// boxes from the *AutoChanged signals and shows the texts of notFound and failed in boxes.
#include <QObject>
#include <QString>
#include <optional>
#include <string>

#include "map/map_geometry.h"

namespace varnak {

class MapHost;
class Station;
struct dxrec;

class MapController : public QObject {
  Q_OBJECT
 public:
  explicit MapController(Station& station, QObject* parent = nullptr);

  // The window with both maps; without one every command does nothing.
  void SetHost(MapHost* host) { host_ = host; }

  std::string SettingsFile() const;
  GeoPoint OwnPosition() const;
  // Where a DX call is: the current spot's position when it is that call's, else the
  // prefix table's; nothing for a call the table does not know.
  std::optional<GeoPoint> PositionOfCall(const std::string& call) const;

  void ShowInHamcap();
  void ShowInDxAtlas();
  // The operator's "Auto" switches; the same state again does nothing.
  void SetAtlasAuto(bool on);
  void SetHamcapAuto(bool on);

  // The automatic displays of a spot that was just presented (the station's
  // spotPresented brings every one).
  void ShowSpot(const dxrec& spot);
  // At shutdown: the world map keeps its view and place for the next run.
  void SaveSettings();

 signals:
  // A map failed and switched its "Auto" off by itself.
  void atlasAutoChanged(bool on);
  void hamcapAutoChanged(bool on);
  // A map could not be started: what is missing and where to get it, and the detail.
  void notFound(const QString& text, const QString& detail);
  // A map could not do what was asked.
  void failed(const QString& text);

 private:
  void ReportNotFound(const char* what, const std::exception& why);

  Station& station_;
  MapHost* host_ = nullptr;
  bool atlasAuto_ = false;
  bool hamcapAuto_ = false;
};

}  // namespace varnak
