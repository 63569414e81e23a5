#pragma once
// The world map (Atlas1) and the propagation map (HamCapApp1) as the program drives
// them, and the program's few uses of them: show a spot, plot spots as they come, keep
// the map's settings in "Atlas.ini".
//
// Responsibilities: TAtlas and THamCapApp offer exactly the members the program calls;
// Connect() starts the map when it is not running and throws MapStartError when it
// cannot. The functions below are the program's side and hold no state of their own.
#include <stdexcept>
#include <string>

#include "map/map_model.h"

namespace varnak {

struct MapStartError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

class TAtlas {
 public:
  virtual ~TAtlas() = default;
  virtual void Connect() = 0;
  virtual void Disconnect() = 0;
  virtual bool Connected() const = 0;
  virtual void SetVisible(bool visible) = 0;
  virtual void BringToFront() = 0;
  virtual DxMap& Map() = 0;
};

class THamCapApp {
 public:
  virtual ~THamCapApp() = default;
  virtual void Connect() = 0;
  virtual void Disconnect() = 0;
  virtual bool Connected() const = 0;
  virtual int Band() const = 0;  // 0 "80" ... 7 "10"
  virtual void SetBand(int index) = 0;
  // Late-bound properties by name; "DxCall" is the one the program sets.
  virtual void SetProperty(const std::string& name, const std::string& value) = 0;
  virtual void SetVisible(bool visible) = 0;
  virtual void BringToFront() = 0;
  virtual void Calculate() = 0;
  virtual void SetPathShown(bool shown) = 0;
  virtual void ProcessEvents() = 0;
};

// The window that hosts both maps, as the program's side reaches it.
class MapHost {
 public:
  virtual ~MapHost() = default;
  virtual TAtlas& Atlas1() = 0;
  virtual THamCapApp& HamCapApp1() = 0;
  // A map has been shown this run: the place it has is worth keeping.
  virtual bool Started() const = 0;
};

// The band index of the propagation map for a band text; other bands keep `current`.
int HamCapBandIndex(const std::string& band, int current);
// "20" for index 3; empty for an index outside 0..7.
std::string HamCapBandText(int index);

// The spot fields the world map needs.
struct SpotMark {
  GeoPoint at;
  std::string band, call, frequencyText;
};

// Who a display is for. The operator's ("Show in ...", ticking "Auto") shows the map and
// brings it to the front; an automatic one (a new spot) only updates it: the operator
// may be typing in another window, or may have closed the map.
enum class Display { Asked, Automatic };

void HamcapShowSpot(THamCapApp& hamcap, const std::string& band, const std::string& call, Display display);
// HamcapAuto ticked: connect, the map shown in front.
void HamcapAutoTicked(THamCapApp& hamcap);
void ShowInDxAtlas(TAtlas& atlas, const GeoPoint& own, const GeoPoint& spot);
void AtlasPlotSpot(TAtlas& atlas, const GeoPoint& own, const SpotMark& spot);
// DxAuto ticked: connect, load the settings file, home and target at the own position,
// the map shown in front. Unticked (and at shutdown while ticked): save the settings, disconnect.
void DxAutoTicked(TAtlas& atlas, const std::string& settingsFile, const GeoPoint& own);
void DxAutoUnticked(TAtlas& atlas, const std::string& settingsFile);

// The boxes when a map cannot be started.
inline constexpr char kAtlasNotFound[] = "Dx Atlas not found";
inline constexpr char kHamCapNotFound[] = "Ham Cap not found";
inline constexpr char kDownloadAt[] = "Please download at ";
// The map's images come from Debian's xplanet-images package.
inline constexpr char kMapDownloadAddress[] = "https://packages.debian.org/bookworm/xplanet-images";

}  // namespace varnak
