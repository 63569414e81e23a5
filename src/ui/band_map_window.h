#pragma once
// BandMapWindow: the band map, a window of its own beside the main window.
//
// Responsibilities: shows one band's list on a BandMapView with the radio's frequency;
// follows the radio to its band and keeps its frequency in view while the rig is on,
// and offers a band chooser for when it is not; zoom and pan from buttons, keys and a
// scroll bar; Ctrl+Up and Ctrl+Down step to the next spot above or below the radio (or,
// without one, the current spot or the view's middle); keeps its bounds, band and view
// in the settings.
//
// Collaborations: reads the station's SpotLists and RigController; the main window
// turns spotPicked, spotTuned and spotMenuRequested into its own spot actions (the
// current spot, "Set QRG", the spot menu), so the band map tunes as the lists do.
#include <QComboBox>
#include <QLabel>
#include <QScrollBar>
#include <QWidget>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "ui/band_map_view.h"

namespace varnak {

class IniFile;
class RigController;
class SpotLists;
class TForm1;

class BandMapWindow : public QWidget {
  Q_OBJECT
 public:
  BandMapWindow(SpotLists& lists, RigController& rig, QWidget* parent = nullptr);

  // Same meaning as the spot lists' filter: an empty function shows every spot.
  void SetShownFilter(std::function<bool(const Spot&)> shows);
  // Shows a band of the band table (its text, "20"); other texts change nothing.
  void ShowBand(const std::string& band);
  const std::string& BandText() const { return View->BandText(); }
  // One step to the next spot above (up) or below; false when there is none.
  bool TuneNext(bool up);

  // Bounds, band, view and open state from the [BandMap] section of the settings file,
  // and back into it (the rest of the file stays as it is).
  void Restore(const IniFile& ini);
  void Store(IniFile& ini) const;
  bool Store(const std::filesystem::path& iniPath, std::string* error = nullptr) const;
  // The operator has it open (it stays open across a restart).
  bool IsOpen() const { return open_; }

  // The current spot's kHz, where a step starts when there is no radio.
  std::function<std::optional<double>()> currentSpotKhz;

  BandMapView* View = nullptr;
  QComboBox* BandBox = nullptr;
  QScrollBar* ScrollBar = nullptr;
  QLabel* StatusLine = nullptr;

 signals:
  void spotPicked(const std::shared_ptr<varnak::Spot>& spot);
  void spotTuned(const std::shared_ptr<varnak::Spot>& spot);
  void spotMenuRequested(const std::shared_ptr<varnak::Spot>& spot, QPoint globalPos);

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  // The radio's frequency while the rig is on and has reported one.
  std::optional<double> RadioKhz() const;
  void RadioMoved();
  void ShowRadio();
  void ViewMoved();

  SpotLists& lists_;
  RigController& rig_;
  bool open_ = false;
  bool placed_ = false;  // bounds are the window's own, not the stored ones
  QRect storedBounds_;
  // Where the last step went, until the radio reports: quick steps walk on from there.
  std::optional<double> stepKhz_;
  std::optional<double> lastRadioKhz_;
};

// Makes the main window's band map: "Run" -> "Band map" (F8), its spot actions bound to
// the ones the lists have, its place in the settings file. The window is its parent.
BandMapWindow* WireBandMap(TForm1& form);
// The band map the main window has (null before WireBandMap).
BandMapWindow* BandMapOf(const TForm1& form);

}  // namespace varnak
