#pragma once
// The operator's log as the spot marks need it: per DXCC entity number, the bands and
// mode groups worked and confirmed. Built off the window's thread from an ADIF file and
// never changed afterwards, so the window may ask it while the next one is being built.
#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

#include "core/need_mark.h"

namespace varnak {

class TCallParser;

enum class ModeGroup : std::uint8_t { Cw, Phone, Digital };

// The bands of the ADIF band enumeration, 2190m up to submm.
inline constexpr int kAdifBandCount = 33;
// Index of an ADIF band name ("20m", "70CM"), or -1.
int AdifBandOfName(std::string_view name);
// Index of the band holding a frequency, or -1 outside every band.
int AdifBandOfKhz(double kHz);
std::string_view AdifBandName(int band);

// The group of an ADIF MODE (and SUBMODE when MODE is empty): CW; SSB, AM, FM and
// DIGITALVOICE are phone; any other mode is digital. None without either.
std::optional<ModeGroup> ModeGroupOfAdif(std::string_view mode, std::string_view submode);
// The group a spot is worked in: a mode word of its comment ("FT8 -12 dB", "CW 25 WPM",
// "RTTY", "SSB"), else the FT8/FT4 frequencies, else the rig link's band plan.
ModeGroup SpotModeGroup(double kHz, std::string_view comment);

class LogBook {
 public:
  // band -1: a QSO whose band is unknown still counts for the entity.
  void Add(int entity, int band, std::optional<ModeGroup> mode, bool confirmed);
  NeedMark Mark(int entity, int band, ModeGroup mode) const;
  // The NeedMarker's question: entity number as the prefix table gives it.
  NeedMark MarkSpot(std::string_view entityNumber, double kHz, std::string_view comment) const;
  std::size_t EntityCount() const { return entities_.size(); }

 private:
  struct Slots {
    std::array<std::uint8_t, kAdifBandCount> worked{};     // one bit per ModeGroup, bit 3: any mode
    std::array<std::uint8_t, kAdifBandCount> confirmed{};  // one bit per ModeGroup
  };
  std::unordered_map<int, Slots> entities_;
};

struct LogReadResult {
  std::shared_ptr<const LogBook> Book;  // null when the file could not be read
  std::size_t Qsos = 0;
  std::size_t Skipped = 0;
  std::string Error;  // what failed and why; empty after a read
};

// Entity number of a callsign, 0 when none is known.
using EntityOfCall = std::function<int(std::string_view call)>;
// The entity comes from DXCC (0 means none: maritime mobile and the like), else from
// the call; a record with neither is skipped. The band from BAND, else from FREQ (MHz).
LogReadResult BuildLogBook(std::string_view adifText, const EntityOfCall& entityOfCall);
// Reads the file and looks calls up with the parser (which must not be used elsewhere
// meanwhile; a parser sharing the window's prefix table is meant).
LogReadResult ReadLogFile(const std::filesystem::path& path, TCallParser& parser);

// "Log: 152,344 QSOs read, 3 skipped", or the failure.
std::string LogReadLine(const LogReadResult& result);

}  // namespace varnak
