#include "callsign/lookup.h"

#include <cmath>
#include <cstdio>
#include <iostream>

#include "core/text.h"

namespace varnak {

namespace {

std::string Cut(std::string s, std::size_t capacity) {
  if (s.size() > capacity) s.resize(capacity);
  return s;
}

}  // namespace

std::string HomeCallOf(std::string_view call) {
  const std::size_t slash = call.find('/');
  if (slash == std::string_view::npos) return std::string(call);
  const std::string_view a = call.substr(0, slash), b = call.substr(slash + 1);
  return std::string(b.size() < a.size() ? a : b);
}

std::string HzTextOf(std::string_view frequencyText) {
  std::string s(frequencyText);
  const std::size_t dot = s.find('.');
  if (dot != std::string::npos) s.erase(dot, 1);
  return Trim(s) + "00";
}

long double WholeNumber(long double x) {
  if (!std::isfinite(x)) return 0;
  long double whole = std::floor(x);
  const long double frac = x - whole;
  if (frac > 0.5L || (frac == 0.5L && std::fmod(whole, 2.0L) != 0)) whole += 1;
  return whole;
}

std::string WholeNumberText(long double x) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.0Lf", WholeNumber(x));
  return buf;
}

dxrec SpotLineTexts(std::string_view spotLine, const BandOfKhz& bandOf) {
  dxrec r;
  const std::size_t colon = spotLine.find(':');
  std::string_view s = TrimView(colon == std::string_view::npos ? spotLine : spotLine.substr(colon + 1));

  const std::string_view token = s.substr(0, s.find(' '));
  r.FrequencyText = token.substr(0, dxrec::TextCapacity);
  s.remove_prefix(std::min(s.size(), token.size() + 1));
  r.HzText = Cut(HzTextOf(r.FrequencyText), dxrec::TextCapacity);

  s = TrimView(s);
  r.SpotCall = s.substr(0, std::min(s.find(' '), dxrec::CallCapacity));
  r.HomeCall = Cut(HomeCallOf(r.SpotCall), dxrec::CallCapacity);

  // A token without "." or with a non-numeric integer part has no band.
  const std::size_t dot = r.FrequencyText.find('.');
  int kHz = 0;
  if (bandOf && dot != std::string::npos && ParseInt(std::string_view(r.FrequencyText).substr(0, dot), kHz))
    r.BandText = Cut(bandOf(kHz), dxrec::TextCapacity);
  return r;
}

void SetHitTexts(dxrec& r, const TPrefixData& row) {
  r.Lon = row.Longitude / 180.0;
  r.Lat = row.Latitude / 180.0;
  r.PrefixText = Cut(row.Prefix, dxrec::TextCapacity);
  r.EntityName = Cut(row.Name, dxrec::TextCapacity);
  r.RegionsText = Cut(row.Regions, dxrec::TextCapacity);
  r.SubAreaText = Cut(row.SubArea, dxrec::TextCapacity);
}

void SetPathTexts(dxrec& r, const DistanceAndBearing& path, std::string_view prefix, std::string_view entity) {
  r.DistanceText = Cut(WholeNumberText(path.DistanceKm) + " km", dxrec::DirectionCapacity);
  r.BearingText = Cut(WholeNumberText(path.BearingDeg) + " deg", dxrec::DirectionCapacity);
  r.LookupText.clear();
  r.LookupText.reserve(r.SpotCall.size() + prefix.size() + entity.size() + r.BearingText.size() +
                       r.DistanceText.size() + 16);
  r.LookupText.append(r.SpotCall).append(" = ").append(prefix).append(": ").append(entity);
  r.LookupText.append(" [").append(r.BearingText).append("] [").append(r.DistanceText).append("]");
}

dxrec LookupSpotLine(std::string_view spotLine, TCallParser& parser, double ownLat, double ownLon,
                     const BandOfKhz& bandOf) {
  dxrec r = SpotLineTexts(spotLine, bandOf);
  try {
    parser.ParseCall(r.SpotCall);
  } catch (const ConvertError&) {
    return r;
  }
  if (parser.HitList().empty()) return r;
  const TPrefixData& row = parser.HitList().front();
  SetHitTexts(r, row);
  SetPathTexts(r, DistanceBearing(ownLat, ownLon, r.Lat, r.Lon), row.Prefix, row.Name);
  return r;
}

SpotMenuCaptions SpotMenuCaptionsFor(const dxrec& spot) {
  const std::string& call = spot.SpotCall;
  const std::string& home = spot.HomeCall;
  return {
      "Set QRG " + spot.FrequencyText,
      "SHOW/QRZ " + home + " (QRZ callbook)",
      "SHOW/DX " + home,
      "SHOW/DB0SDX " + home + " (QSL-info)",
      "SHOW/WM7D " + home + " (US callbook)",
      "SHOW/DXQSL " + home,
      "SHOW/PREFIX " + call,
      "SHOW/DXCC " + call,
      "SHOW/TIME " + call + " (local time)",
      "SHOW/SUN " + call + " (Sun set/rise)",
      "SHOW/MOON " + call + " (Moon set/rise)",
      "Show " + call + " in Hamcap (S/N prediction map)",
      "Show " + call + " in Dx Atlas",
  };
}

SpotMenuCaptions DesignSpotMenuCaptions() {
  return {"Set QRG",   "Show/qrz",  "Show/dx",  "Show/db0sdx",    "Show/wm7d",
          "Show/dxqsl", "Show/prefix", "Show/dxcc", "Show/time", "Show/sun",
          "Show/moon", "Show in Hamcap", "Show in Dx Atlas"};
}

std::vector<std::string> LookupRowLines(const TPrefixData& row) {
  std::vector<std::string> lines;
  char head[96];
  std::snprintf(head, sizeof head, "Lat=%6.2f Lon=%7.2f ", row.Latitude / 180.0, row.Longitude / 180.0);
  std::string prefix = row.Prefix;
  if (prefix.size() < 6) prefix.insert(0, 6 - prefix.size(), ' ');
  lines.push_back(head + prefix + "  " + row.Name + " / " + row.Regions + " / " + row.SubArea);
  for (const auto& name : row.ExtraNames) lines.push_back("    " + name);
  return lines;
}

std::vector<std::string> CallsignLookupLines(TCallParser& parser, const std::string& text) {
  parser.ParseCall(text);
  std::vector<std::string> lines;
  for (const auto& row : parser.HitList()) {
    auto more = LookupRowLines(row);
    lines.insert(lines.end(), more.begin(), more.end());
  }
  return lines;
}

int RunLookupCli(const std::vector<std::string>& texts, std::istream& in, std::ostream& out,
                 const std::string& prefixFile, double /*ownLat*/, double /*ownLon*/) {
  TCallParser parser;
  parser.SetPrefixFile(prefixFile);
  if (!parser.LastLoadError().empty()) {
    std::cerr << "varnak: " << parser.LastLoadError() << "\n";
    return 2;
  }
  int status = 0;
  auto one = [&](const std::string& text) {
    out << text << "\n";
    try {
      for (const auto& line : CallsignLookupLines(parser, text)) out << line << "\n";
    } catch (const std::exception& e) {
      std::cerr << "varnak: " << text << ": " << e.what() << "\n";
      status = 1;
    }
  };
  if (!texts.empty()) {
    for (const auto& t : texts) one(t);
  } else {
    std::string line;
    while (std::getline(in, line)) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      if (Trim(line).empty()) continue;
      one(line);
    }
  }
  out.flush();
  return status;
}

}  // namespace varnak
