#include "app/spot_row.h"

#include <QDate>
#include <algorithm>
#include <cctype>
#include <charconv>

#include "app/spot_model.h"
#include "callsign/call_parser.h"
#include "callsign/lookup.h"
#include "core/text.h"

namespace varnak {

namespace {

constexpr std::size_t kMaxCall = 15;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool IsCallText(std::string_view s) {
  if (s.empty() || s.size() > kMaxCall) return false;
  for (char c : s)
    if (!std::isalnum(static_cast<unsigned char>(c)) && c != '/' && c != '-' && c != '#') return false;
  return true;
}

// "2215Z" standing as a word: a blank (or the start) before, the end, a blank or the
// "|" of a converted listing row after.
bool IsTimeAt(std::string_view s, std::size_t i) {
  if (i + 5 > s.size()) return false;
  if (i > 0 && s[i - 1] != ' ') return false;
  for (std::size_t k = 0; k < 4; ++k)
    if (!IsDigit(s[i + k])) return false;
  if (s[i + 4] != 'Z') return false;
  return i + 5 == s.size() || s[i + 5] == ' ' || s[i + 5] == '|';
}

int IntOf(std::string_view text) {
  int value = -1;
  const auto [p, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  return ec == std::errc() ? value : -1;
}

SpotRowInfo BadRow(std::string_view row) {
  SpotRowInfo info;
  info.comment = std::string(row);
  return info;
}

}  // namespace

SpotRowInfo ParseSpotRow(std::string_view row) {
  std::string_view line = row;
  const std::size_t tail = line.rfind(" | ");
  if (tail != std::string_view::npos) line = line.substr(0, tail);
  if (line.substr(0, 6) != "DX de ") return BadRow(row);
  const std::size_t colon = line.find(':', 6);
  if (colon == std::string_view::npos) return BadRow(row);
  SpotRowInfo info;
  info.spotter = std::string(TrimView(line.substr(6, colon - 6)));
  if (!IsCallText(info.spotter)) return BadRow(row);

  std::string_view rest = TrimView(line.substr(colon + 1));
  const std::string_view freq = rest.substr(0, rest.find(' '));
  const auto [end, ec] = std::from_chars(freq.data(), freq.data() + freq.size(), info.khz);
  if (ec != std::errc() || end != freq.data() + freq.size() || !(info.khz > 0)) return BadRow(row);
  info.khzText = std::string(freq);
  rest = TrimView(rest.substr(freq.size()));
  const std::string_view call = rest.substr(0, rest.find(' '));
  if (!IsCallText(call)) return BadRow(row);
  info.dx = std::string(call);
  rest = rest.substr(call.size());

  std::size_t time = std::string_view::npos;
  for (std::size_t i = rest.size(); i-- > 0;) {
    if (IsTimeAt(rest, i)) {
      time = i;
      break;
    }
  }
  if (time == std::string_view::npos) return BadRow(row);
  info.utc = std::string(rest.substr(time, 5));
  info.comment = std::string(TrimView(rest.substr(0, time)));
  info.band = std::string(BandOfFrequencyToken(freq));
  info.valid = true;
  return info;
}

std::int64_t MinuteOf(const DateTime& t) {
  const QDate date(t.year, t.month, t.day);
  if (!date.isValid()) return kUnknownMinute;
  return date.toJulianDay() * 1440 + t.hour * 60 + t.minute;
}

std::int64_t EstimatedAddedMinute(const SpotRowInfo& info, std::string_view row, std::int64_t nowMinute,
                                  int utcOffsetMinutes, int year) {
  if (!info.valid || nowMinute == kUnknownMinute) return kUnknownMinute;
  const std::size_t tail = row.rfind(" | ");
  if (tail == std::string_view::npos) return kUnknownMinute;
  const std::string_view day = row.substr(tail + 3);
  if (day.size() != 5 || day[2] != '-') return kUnknownMinute;
  const int month = IntOf(day.substr(0, 2)), dayOfMonth = IntOf(day.substr(3, 2));
  const int hour = IntOf(std::string_view(info.utc).substr(0, 2)), minute = IntOf(std::string_view(info.utc).substr(2, 2));
  if (hour < 0 || hour > 23 || minute < 0 || minute > 59) return kUnknownMinute;
  std::int64_t best = kUnknownMinute;
  for (int y : {year, year - 1}) {
    const std::int64_t base = MinuteOf(DateTime{y, month, dayOfMonth, 0, 0});
    if (base == kUnknownMinute) continue;
    // The row's date is the local one, the spot's time UTC: the day may be one off.
    for (int shift : {-1, 0, 1}) {
      const std::int64_t at = base + shift * 1440 + hour * 60 + minute + utcOffsetMinutes;
      if (at <= nowMinute && (best == kUnknownMinute || at > best)) best = at;
    }
    if (best != kUnknownMinute) break;
  }
  return best;
}

void SpotRowResolver::SetOwnCall(std::string_view call) {
  std::string home = HomeCallOf(call.substr(0, call.find('-')));
  if (home == ownHome_) return;
  ownHome_ = std::move(home);
  Touch();
}

void SpotRowResolver::SetOwnPosition(double lat, double lon) {
  if (lat == lat_ && lon == lon_) return;
  lat_ = lat;
  lon_ = lon;
  Touch();
}

void SpotRowResolver::SetMarker(NeedMarker marker, bool active) {
  marker_ = std::move(marker);
  markerActive_ = active && marker_;
  ++generation_;
}

void SpotRowResolver::SetLookups(bool on) {
  if (on == lookups_) return;
  lookups_ = on;
  ++generation_;
}

int SpotRowResolver::UtcOffsetMinutes() const {
  const std::int64_t utc = MinuteOf(clock_.UtcNow()), local = MinuteOf(clock_.LocalNow());
  if (utc == kUnknownMinute || local == kUnknownMinute) return 0;
  return static_cast<int>(local - utc);
}

const SpotRowResolver::Looked& SpotRowResolver::Lookup(const SpotRowInfo& info) {
  if (auto it = memo_.find(info.dx); it != memo_.end()) return it->second;
  if (memo_.size() > 64) memo_.clear();
  Looked looked;
  // The lookup line's own way: only the call token after the frequency matters.
  const std::string line = "DX de " + info.spotter + ": " + info.khzText + " " + info.dx;
  const dxrec spot = LookupSpotLine(line, parser_, lat_, lon_, {});
  if (!spot.LookupText.empty() && !parser_.HitList().empty()) {
    const TPrefixData& hit = parser_.HitList().front();
    looked.found = true;
    looked.entity = hit.Name;
    looked.continent = hit.Text5;
    looked.entityNumber = hit.EntityNumber;
    looked.km = IntOf(std::string_view(spot.DistanceText).substr(0, spot.DistanceText.find(' ')));
    looked.deg = IntOf(std::string_view(spot.BearingText).substr(0, spot.BearingText.find(' ')));
  }
  return memo_.emplace(info.dx, std::move(looked)).first->second;
}

std::shared_ptr<SpotRowInfo> SpotRowResolver::NewRow(const std::string& row) {
  const std::int64_t now = NowMinute();
  if (lastInfo_ && row == lastRow_ && lastInfo_->generation == generation_ && lastInfo_->addedMinute == now)
    return lastInfo_;
  auto info = std::make_shared<SpotRowInfo>(ParseSpotRow(row));
  if (info->valid) info->addedMinute = now;
  Update(*info);
  lastRow_ = row;
  lastInfo_ = info;
  return info;
}

void SpotRowResolver::Update(SpotRowInfo& info) {
  info.generation = generation_;
  if (!info.valid) return;
  const auto own = [this](std::string_view call) {
    return !ownHome_.empty() && HomeCallOf(call.substr(0, call.find('-'))) == ownHome_;
  };
  info.ownCall = own(info.dx) || own(info.spotter);
  info.mark = NeedMark::None;
  if (!lookups_) return;
  const Looked& looked = Lookup(info);
  info.resolved = true;
  info.entity = looked.entity;
  info.continent = looked.continent;
  info.entityNumber = looked.entityNumber;
  info.km = looked.km;
  info.deg = looked.deg;
  if (looked.found && markerActive_) info.mark = marker_(info.entityNumber, info.khz, info.comment);
}

}  // namespace varnak
