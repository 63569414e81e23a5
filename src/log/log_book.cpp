#include "log/log_book.h"

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <fmt/format.h>

#include "callsign/call_parser.h"
#include "core/text.h"
#include "core/band_plan.h"
#include "log/adif.h"

namespace varnak {

namespace {

struct BandRow {
  std::string_view name;
  double lowKhz, highKhz;
};
// The ADIF band enumeration with its limits.
constexpr BandRow kBands[kAdifBandCount] = {
    {"2190m", 135.7, 137.8},          {"630m", 472, 479},
    {"560m", 501, 504},               {"160m", 1800, 2000},
    {"80m", 3500, 4000},              {"60m", 5060, 5450},
    {"40m", 7000, 7300},              {"30m", 10100, 10150},
    {"20m", 14000, 14350},            {"17m", 18068, 18168},
    {"15m", 21000, 21450},            {"12m", 24890, 24990},
    {"10m", 28000, 29700},            {"8m", 40000, 45000},
    {"6m", 50000, 54000},             {"5m", 54000.001, 69900},
    {"4m", 70000, 71000},             {"2m", 144000, 148000},
    {"1.25m", 222000, 225000},        {"70cm", 420000, 450000},
    {"33cm", 902000, 928000},         {"23cm", 1240000, 1300000},
    {"13cm", 2300000, 2450000},       {"9cm", 3300000, 3500000},
    {"6cm", 5650000, 5925000},        {"3cm", 10000000, 10500000},
    {"1.25cm", 24000000, 24250000},   {"6mm", 47000000, 47200000},
    {"4mm", 75500000, 81000000},      {"2.5mm", 119980000, 123000000},
    {"2mm", 134000000, 149000000},    {"1mm", 241000000, 250000000},
    {"submm", 300000000, 7500000000}};

constexpr std::uint8_t kAnyMode = 1 << 3;
// A log of a million QSOs is some 300 MiB; anything beyond this is no log.
constexpr std::size_t kMaxLogBytes = std::size_t{1} << 30;
std::uint8_t Bit(ModeGroup m) { return static_cast<std::uint8_t>(1u << static_cast<unsigned>(m)); }

bool ParseNumber(std::string_view s, double& out) {
  s = TrimView(s);
  const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), out);
  return ec == std::errc() && end == s.data() + s.size() && !s.empty();
}

bool IsYes(std::string_view v) { return EqualsNoCase(TrimView(v), "Y"); }

bool IsAlnum(char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

std::optional<ModeGroup> ModeWord(std::string_view word) {
  static constexpr std::string_view kDigital[] = {"FT8", "FT4", "FT2", "RTTY", "JT65", "JT9", "JT4", "FST4",
                                                  "FST4W", "WSPR", "MSK144", "Q65", "JS8", "FSK441", "HELL",
                                                  "THOR", "THROB", "PACKET", "PKT", "DIGI", "VARA", "ARDOP",
                                                  "PACTOR", "CONTESTIA", "DATA"};
  static constexpr std::string_view kDigitalStems[] = {"PSK", "BPSK", "QPSK", "MFSK", "OLIVIA", "DOMINO"};
  static constexpr std::string_view kPhone[] = {"SSB", "USB", "LSB", "AM", "FM"};
  const std::string w = ToUpperAscii(word);
  if (w == "CW" || w == "WPM") return ModeGroup::Cw;
  for (std::string_view d : kDigital)
    if (w == d) return ModeGroup::Digital;
  for (std::string_view d : kDigitalStems)
    if (StartsWith(w, d)) return ModeGroup::Digital;
  for (std::string_view p : kPhone)
    if (w == p) return ModeGroup::Phone;
  return std::nullopt;
}

// The dial frequencies of FT8 and FT4 (kHz): signals sit up to 3 kHz above them.
constexpr double kDigitalDials[] = {1840,  3573,  3575,  7074,  7047.5, 10136, 10140, 14074, 14080,
                                    18100, 18104, 21074, 21140, 24915,  24919, 28074, 28180, 50313,
                                    50318, 144174};

}  // namespace

int AdifBandOfName(std::string_view name) {
  name = TrimView(name);
  for (int i = 0; i < kAdifBandCount; ++i)
    if (EqualsNoCase(name, kBands[i].name)) return i;
  return -1;
}

int AdifBandOfKhz(double kHz) {
  for (int i = 0; i < kAdifBandCount; ++i)
    if (kHz >= kBands[i].lowKhz && kHz <= kBands[i].highKhz) return i;
  return -1;
}

std::string_view AdifBandName(int band) { return band >= 0 && band < kAdifBandCount ? kBands[band].name : ""; }

std::optional<ModeGroup> ModeGroupOfAdif(std::string_view mode, std::string_view submode) {
  mode = TrimView(mode);
  if (mode.empty()) mode = TrimView(submode);
  if (mode.empty()) return std::nullopt;
  static constexpr std::string_view kPhone[] = {"SSB", "AM", "FM", "DIGITALVOICE", "USB", "LSB",
                                                "PHONE", "C4FM", "DSTAR", "DMR"};
  if (EqualsNoCase(mode, "CW")) return ModeGroup::Cw;
  for (std::string_view p : kPhone)
    if (EqualsNoCase(mode, p)) return ModeGroup::Phone;
  return ModeGroup::Digital;
}

ModeGroup SpotModeGroup(double kHz, std::string_view comment) {
  for (std::size_t i = 0; i < comment.size();) {
    while (i < comment.size() && !IsAlnum(comment[i])) ++i;
    const std::size_t start = i;
    while (i < comment.size() && IsAlnum(comment[i])) ++i;
    if (i > start)
      if (auto m = ModeWord(comment.substr(start, i - start))) return *m;
  }
  for (double dial : kDigitalDials)
    if (kHz >= dial && kHz <= dial + 3) return ModeGroup::Digital;
  switch (BandPlanMode(static_cast<long long>(kHz))) {
    case RigMode::CW:
    case RigMode::CWR: return ModeGroup::Cw;
    case RigMode::DIG:
    case RigMode::DIGR: return ModeGroup::Digital;
    default: return ModeGroup::Phone;
  }
}

void LogBook::Add(int entity, int band, std::optional<ModeGroup> mode, bool confirmed) {
  Slots& s = entities_[entity];
  if (band < 0 || band >= kAdifBandCount) return;
  s.worked[band] |= kAnyMode;
  if (!mode) return;
  s.worked[band] |= Bit(*mode);
  if (confirmed) s.confirmed[band] |= Bit(*mode);
}

NeedMark LogBook::Mark(int entity, int band, ModeGroup mode) const {
  const auto it = entities_.find(entity);
  if (it == entities_.end()) return NeedMark::NewEntity;
  if (band < 0 || band >= kAdifBandCount) return NeedMark::None;
  const Slots& s = it->second;
  if (!(s.worked[band] & kAnyMode)) return NeedMark::NewBand;
  if (!(s.worked[band] & Bit(mode))) return NeedMark::NewMode;
  if (!(s.confirmed[band] & Bit(mode))) return NeedMark::Unconfirmed;
  return NeedMark::None;
}

NeedMark LogBook::MarkSpot(std::string_view entityNumber, double kHz, std::string_view comment) const {
  int entity = 0;
  if (!ParseInt(entityNumber, entity) || entity <= 0) return NeedMark::None;
  return Mark(entity, AdifBandOfKhz(kHz), SpotModeGroup(kHz, comment));
}

LogReadResult BuildLogBook(std::string_view adifText, const EntityOfCall& entityOfCall) {
  auto book = std::make_shared<LogBook>();
  LogReadResult result;
  std::size_t noEntity = 0;
  const AdifCounts counts = ReadAdif(adifText, [&](const AdifRecord& r) {
    int entity = 0;
    if (!TrimView(r.Dxcc).empty()) {
      if (!ParseInt(r.Dxcc, entity) || entity < 0) {
        ++noEntity;
        return;
      }
      if (entity == 0) return;  // a QSO, but with no entity to count
    } else {
      entity = entityOfCall ? entityOfCall(TrimView(r.Call)) : 0;
      if (entity <= 0) {
        ++noEntity;
        return;
      }
    }
    int band = AdifBandOfName(r.Band);
    double mhz = 0;
    if (band < 0 && ParseNumber(r.Freq, mhz)) band = AdifBandOfKhz(mhz * 1000);
    const bool confirmed = IsYes(r.QslRcvd) || IsYes(r.LotwQslRcvd) || IsYes(r.EqslQslRcvd);
    book->Add(entity, band, ModeGroupOfAdif(r.Mode, r.Submode), confirmed);
  });
  result.Book = std::move(book);
  result.Qsos = counts.Records - noEntity;
  result.Skipped = counts.Skipped + noEntity;
  return result;
}

LogReadResult ReadLogFile(const std::filesystem::path& path, TCallParser& parser) {
  LogReadResult failed;
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) {
    failed.Error = fmt::format("cannot open {}: {}", path.string(), std::strerror(errno));
    return failed;
  }
  // Read to the end as it is now: a logger appending meanwhile leaves at most a cut
  // record at the end, and its next write makes us read again.
  std::string text;
  char buf[1 << 16];
  std::size_t n;
  bool tooLarge = false;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) {
    if (text.size() + n > kMaxLogBytes) {
      tooLarge = true;
      break;
    }
    text.append(buf, n);
  }
  const bool readError = std::ferror(f) != 0;
  const int readErrno = errno;
  std::fclose(f);
  if (tooLarge) {
    failed.Error = fmt::format("{} is larger than {} MiB: not read", path.string(), kMaxLogBytes >> 20);
    return failed;
  }
  if (readError) {
    failed.Error = fmt::format("cannot read {}: {}", path.string(), std::strerror(readErrno));
    return failed;
  }

  std::unordered_map<std::string, int> cache;
  return BuildLogBook(text, [&](std::string_view call) {
    std::string key = ToUpperAscii(call);
    auto [it, fresh] = cache.try_emplace(key, 0);
    if (!fresh) return it->second;
    try {
      parser.ParseCall(key);
    } catch (const ConvertError&) {
      return 0;
    }
    int entity = 0;
    if (!parser.HitList().empty() && ParseInt(parser.HitList().front().EntityNumber, entity)) it->second = entity;
    return it->second;
  });
}

std::string LogReadLine(const LogReadResult& result) {
  if (!result.Error.empty()) return "Log: " + result.Error;
  const auto grouped = [](std::size_t n) {
    std::string digits = std::to_string(n), out;
    for (std::size_t i = 0; i < digits.size(); ++i) {
      if (i > 0 && (digits.size() - i) % 3 == 0) out += ',';
      out += digits[i];
    }
    return out;
  };
  return "Log: " + grouped(result.Qsos) + (result.Qsos == 1 ? " QSO read, " : " QSOs read, ") +
         grouped(result.Skipped) + " skipped";
}

}  // namespace varnak
