#include "app/spot.h"

#include <QDate>
#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>

#include "app/spot_model.h"
#include "core/text.h"

namespace varnak {

namespace {

constexpr std::size_t kMaxCall = 15;
constexpr std::size_t kDayTailSize = 8;  // " | MM-DD", appended when filed

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

// "JO62" or "JO62QM": two field letters A-R, two digits, maybe two square letters A-X.
bool IsLocatorWord(std::string_view w) {
  const auto letter = [](char c, char last) {
    c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return c >= 'A' && c <= last;
  };
  if (w.size() != 4 && w.size() != 6) return false;
  if (!letter(w[0], 'R') || !letter(w[1], 'R') || !IsDigit(w[2]) || !IsDigit(w[3])) return false;
  return w.size() == 4 || (letter(w[4], 'X') && letter(w[5], 'X'));
}

int IntOf(std::string_view text) {
  int value = -1;
  const auto [p, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  return ec == std::errc() ? value : -1;
}

// The words of a line that follows the spot layout, as views into it.
struct LineWords {
  std::string_view spotter, khzText, dx, comment, utc, afterTime;
  double khz = 0;
};

bool SplitLayout(std::string_view line, LineWords& w) {
  if (line.substr(0, 6) != "DX de ") return false;
  const std::size_t colon = line.find(':', 6);
  if (colon == std::string_view::npos) return false;
  w.spotter = TrimView(line.substr(6, colon - 6));
  if (!IsCallText(w.spotter)) return false;

  std::string_view rest = TrimView(line.substr(colon + 1));
  w.khzText = rest.substr(0, rest.find(' '));
  const auto [end, ec] = std::from_chars(w.khzText.data(), w.khzText.data() + w.khzText.size(), w.khz);
  if (ec != std::errc() || end != w.khzText.data() + w.khzText.size() || !(w.khz > 0)) return false;
  rest = TrimView(rest.substr(w.khzText.size()));
  w.dx = rest.substr(0, rest.find(' '));
  if (!IsCallText(w.dx)) return false;
  rest = rest.substr(w.dx.size());

  std::size_t time = std::string_view::npos;
  for (std::size_t i = rest.size(); i-- > 0;) {
    if (IsTimeAt(rest, i)) {
      time = i;
      break;
    }
  }
  if (time == std::string_view::npos) return false;
  w.utc = rest.substr(time, 5);
  w.comment = TrimView(rest.substr(0, time));
  w.afterTime = TrimView(rest.substr(time + 5));
  return true;
}

// The spot layout of line into a fresh spot; a text that does not follow it is kept
// whole as the comment.
void ParseLayout(Spot& spot, std::string_view line, std::string_view text) {
  LineWords w;
  if (!SplitLayout(line, w)) {
    spot.comment = text;
    return;
  }
  spot.spotter = w.spotter;
  spot.khz = w.khz;
  spot.khzText = w.khzText;
  spot.dx = w.dx;
  spot.utc = w.utc;
  spot.comment = w.comment;
  if (IsLocatorWord(w.afterTime)) spot.spotterLocator = ToUpperAscii(w.afterTime);
  spot.skimmer = EndsWith(spot.spotter, "-#");
  spot.mode = SpotModeGroup(spot.khz, spot.comment);
  spot.valid = true;
}

// A unit separator cannot occur in a call or a time, so no two spots share a key.
std::string HistoryKey(std::string_view spotter, std::string_view dx, double khz, std::string_view utc) {
  char tenths[24];
  const auto end = std::to_chars(tenths, tenths + sizeof tenths, std::llround(khz * 10)).ptr;
  std::string key;
  key.reserve(spotter.size() + dx.size() + static_cast<std::size_t>(end - tenths) + utc.size() + 3);
  key.append(spotter).append(1, '\x1f').append(dx).append(1, '\x1f');
  key.append(tenths, end).append(1, '\x1f').append(utc);
  return key;
}

std::string LineKey(std::string_view line) { return std::string(line.substr(0, std::min(line.size(), SpotHistory::kKeyLength))); }

}  // namespace

Spot ParseSpotRow(std::string_view row) {
  const std::size_t tail = row.rfind(" | ");
  Spot spot;
  ParseLayout(spot, row.substr(0, tail), row);
  spot.band = BandOfSpotLine(row);
  spot.row = row;
  spot.lineSize = tail == std::string_view::npos ? row.size() : tail;
  return spot;
}

void ParseSpotLine(std::string_view line, Spot& spot) {
  ParseLayout(spot, line, line);
  spot.band = BandOfSpotLine(line);
  spot.row.reserve(line.size() + kDayTailSize);
  spot.row = line;
  spot.lineSize = line.size();
}

Spot ParseSpotLine(std::string_view line) {
  Spot spot;
  ParseSpotLine(line, spot);
  return spot;
}

std::string SpotHistoryKey(const Spot& spot) {
  return spot.valid ? HistoryKey(spot.spotter, spot.dx, spot.khz, spot.utc) : LineKey(spot.line());
}

std::string SpotHistoryKeyOfLine(std::string_view line) {
  LineWords w;
  return SplitLayout(line, w) ? HistoryKey(w.spotter, w.dx, w.khz, w.utc) : LineKey(line);
}

std::int64_t MinuteOf(const DateTime& t) {
  const QDate date(t.year, t.month, t.day);
  if (!date.isValid()) return kUnknownMinute;
  return date.toJulianDay() * 1440 + t.hour * 60 + t.minute;
}

std::int64_t EstimatedAddedMinute(const Spot& info, std::string_view row, std::int64_t nowMinute,
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

}  // namespace varnak
