#include "demo/traffic.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <fstream>
#include <sstream>

namespace varnak::demo {

namespace {

const std::array<const char*, 6> kContinents = {"EU", "NA", "AS", "SA", "OC", "AF"};

int ContinentIndex(const std::string& c) {
  for (std::size_t i = 0; i < kContinents.size(); ++i)
    if (c == kContinents[i]) return static_cast<int>(i);
  return -1;
}

// One prefix of cty.csv without its zone and position overrides: "AA0(4)[7]" -> "AA0".
std::string PlainPrefix(const std::string& token) {
  std::string out;
  for (char c : token) {
    if (c == '(' || c == '[' || c == '<' || c == '{' || c == '~') break;
    out += c;
  }
  return out;
}

enum class Mode { Cw, Digital, Phone };

struct Segment {
  double lo, hi;  // kHz; lo == hi is a calling frequency (FT8, FT4)
  Mode mode;
  const char* digitalName;
};

struct Band {
  int weight;
  std::vector<Segment> segments;
};

// Where the activity is on a winter evening: 20 and 40 m busiest, SHF a rare treat.
const std::vector<Band>& Bands() {
  static const std::vector<Band> bands = {
      {3, {{1810, 1838, Mode::Cw, ""}, {1840, 1840, Mode::Digital, "FT8"}, {1843, 1990, Mode::Phone, ""}}},
      {6, {{3500, 3570, Mode::Cw, ""}, {3573, 3573, Mode::Digital, "FT8"}, {3600, 3795, Mode::Phone, ""}}},
      {2, {{5351.5, 5354, Mode::Cw, ""}, {5357, 5357, Mode::Digital, "FT8"}, {5360, 5366, Mode::Phone, ""}}},
      {14,
       {{7000, 7040, Mode::Cw, ""},
        {7074, 7074, Mode::Digital, "FT8"},
        {7047.5, 7047.5, Mode::Digital, "FT4"},
        {7080, 7200, Mode::Phone, ""}}},
      {7, {{10100, 10130, Mode::Cw, ""}, {10136, 10136, Mode::Digital, "FT8"}}},
      {22,
       {{14000, 14070, Mode::Cw, ""},
        {14074, 14074, Mode::Digital, "FT8"},
        {14080, 14080, Mode::Digital, "FT4"},
        {14125, 14345, Mode::Phone, ""}}},
      {9, {{18068, 18095, Mode::Cw, ""}, {18100, 18100, Mode::Digital, "FT8"}, {18111, 18165, Mode::Phone, ""}}},
      {11, {{21000, 21070, Mode::Cw, ""}, {21074, 21074, Mode::Digital, "FT8"}, {21151, 21445, Mode::Phone, ""}}},
      {6, {{24890, 24915, Mode::Cw, ""}, {24915, 24915, Mode::Digital, "FT8"}, {24931, 24987, Mode::Phone, ""}}},
      {9, {{28000, 28070, Mode::Cw, ""}, {28074, 28074, Mode::Digital, "FT8"}, {28300, 28700, Mode::Phone, ""}}},
      {5, {{50000, 50100, Mode::Cw, ""}, {50313, 50313, Mode::Digital, "FT8"}, {50110, 50200, Mode::Phone, ""}}},
      {1, {{70000, 70050, Mode::Cw, ""}, {70154, 70154, Mode::Digital, "FT8"}, {70200, 70250, Mode::Phone, ""}}},
      {2,
       {{144050, 144100, Mode::Cw, ""}, {144174, 144174, Mode::Digital, "FT8"}, {144200, 144400, Mode::Phone, ""}}},
      {1,
       {{432050, 432100, Mode::Cw, ""}, {432174, 432174, Mode::Digital, "FT8"}, {432200, 432300, Mode::Phone, ""}}},
      {1,
       {{1296050, 1296100, Mode::Cw, ""},
        {10368100, 10368200, Mode::Cw, ""},
        {10489550, 10489790, Mode::Phone, ""}}},
  };
  return bands;
}

// Prefixes of the places most spots come from, per continent; the rest is drawn from
// the whole country file.
const std::vector<std::string>& BusyPrefixes(int continent) {
  static const std::vector<std::string> busy[6] = {
      {"DL", "G", "F", "I", "EA", "ON", "PA", "OK", "SP", "OH", "SM", "HA", "LZ", "UA", "UR", "S5", "9A", "OE", "HB9"},
      {"K", "W", "N", "VE", "AA", "KD", "XE"},
      {"JA", "BV", "BY", "HL", "VU", "UA9", "4X", "A6"},
      {"PY", "LU", "CE", "CX", "YV", "HK"},
      {"VK", "ZL", "KH6", "YB", "DU"},
      {"ZS", "CN", "5H", "EA8", "SU"},
  };
  return busy[continent];
}

std::string Format(const char* fmt, int a, int b = 0, int c = 0) {
  char buf[96];
  std::snprintf(buf, sizeof buf, fmt, a, b, c);
  return buf;
}

}  // namespace

bool LoadCallData(const std::string& folder, CallData* data, std::string* error) {
  const std::string ctyPath = folder + "/cty.csv";
  std::ifstream cty(ctyPath);
  if (!cty) {
    if (error)
      *error = "cannot read the country file " + ctyPath + " (it comes with the Debian package hamradio-files)";
    return false;
  }
  data->entities.clear();
  std::string line;
  // 3B8,Mauritius,165,AF,39,53,-20.35,-57.50,-4.0,3B8;
  while (std::getline(cty, line)) {
    std::vector<std::string> fields;
    std::stringstream ss(line);
    std::string f;
    while (std::getline(ss, f, ',')) fields.push_back(f);
    if (fields.size() < 10 || fields[0].empty() || fields[0][0] == '*') continue;  // '*': not an entity
    if (ContinentIndex(fields[3]) < 0) continue;
    CallData::Entity e;
    e.name = fields[1];
    e.continent = fields[3];
    std::string list = fields[9];
    if (!list.empty() && list.back() == ';') list.pop_back();
    std::stringstream ps(list);
    std::string token;
    while (ps >> token) {
      if (token[0] == '=') continue;  // exact calls
      std::string p = PlainPrefix(token);
      if (p.empty() || p.find('/') != std::string::npos) continue;
      if (std::find(e.prefixes.begin(), e.prefixes.end(), p) == e.prefixes.end()) e.prefixes.push_back(p);
    }
    if (!e.prefixes.empty()) data->entities.push_back(std::move(e));
  }
  if (data->entities.empty()) {
    if (error) *error = "the country file " + ctyPath + " holds no entity";
    return false;
  }
  data->masterCalls.clear();
  std::ifstream scp(folder + "/MASTER.SCP");
  while (std::getline(scp, line)) {
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
    if (line.empty() || line[0] == '#' || line.size() > 12) continue;
    data->masterCalls.push_back(line);
  }
  return true;
}

Traffic::Traffic(const CallData& data, std::uint64_t seed) : data_(data), rng_(seed) {
  for (std::size_t i = 0; i < data_.entities.size(); ++i) {
    int c = ContinentIndex(data_.entities[i].continent);
    if (c >= 0) byContinent_[c].push_back(i);
  }
}

int Traffic::Uniform(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng_); }

double Traffic::Chance() { return std::uniform_real_distribution<double>(0.0, 1.0)(rng_); }

std::string Traffic::Pick(const std::vector<std::string>& from) {
  return from[static_cast<std::size_t>(Uniform(0, static_cast<int>(from.size()) - 1))];
}

std::string Traffic::CallFromPrefix(const std::string& prefix) {
  // A call needs a digit after its first character: "4X" -> "4X4ABC", "VP2E" -> "VP2EAB".
  std::string call = prefix;
  if (call.size() < 2 || call.find_first_of("0123456789", 1) == std::string::npos)
    call += static_cast<char>('0' + Uniform(0, 9));
  const int letters = Uniform(1, 10) <= 2 ? 2 : (Uniform(0, 1) ? 3 : 2);
  for (int i = 0; i < letters; ++i) call += static_cast<char>('A' + Uniform(0, 25));
  return call;
}

std::string Traffic::AnyCall(std::string* continent) {
  const auto& e = data_.entities[static_cast<std::size_t>(Uniform(0, static_cast<int>(data_.entities.size()) - 1))];
  if (continent) *continent = e.continent;
  if (!data_.masterCalls.empty() && Chance() < 0.4) return Pick(data_.masterCalls);
  // The primary prefix most of the time, now and then one of the others.
  const std::string& prefix = Chance() < 0.7 ? e.prefixes.front() : Pick(e.prefixes);
  return CallFromPrefix(prefix);
}

std::string Traffic::CallOf(const std::string& continent) {
  const int c = std::max(0, ContinentIndex(continent));
  if (Chance() < 0.6 || byContinent_[c].empty()) return CallFromPrefix(Pick(BusyPrefixes(c)));
  const auto& list = byContinent_[c];
  const auto& e = data_.entities[list[static_cast<std::size_t>(Uniform(0, static_cast<int>(list.size()) - 1))]];
  return CallFromPrefix(e.prefixes.front());
}

std::string Traffic::Spotter() {
  const double r = Chance();
  const char* continent = r < 0.45 ? "EU" : r < 0.75 ? "NA" : r < 0.87 ? "AS" : r < 0.92 ? "SA" : r < 0.97 ? "OC" : "AF";
  return CallOf(continent);
}

Spot Traffic::NextSpot() {
  Spot s;
  const auto& bands = Bands();
  int total = 0;
  for (const auto& b : bands) total += b.weight;
  int pick = Uniform(1, total);
  const Band* band = &bands.front();
  for (const auto& b : bands) {
    if (pick <= b.weight) {
      band = &b;
      break;
    }
    pick -= b.weight;
  }
  const Segment& seg = band->segments[static_cast<std::size_t>(Uniform(0, static_cast<int>(band->segments.size()) - 1))];
  std::string continent;
  s.dxCall = AnyCall(&continent);
  s.spotter = Spotter();
  const bool skimmer = seg.mode != Mode::Phone && Chance() < 0.08;
  if (skimmer) s.spotter += "-#";

  if (seg.lo == seg.hi) {
    s.kHz = seg.lo + (Chance() < 0.5 ? 0.0 : Uniform(3, 28) / 10.0);  // dial, or dial + audio offset
  } else if (seg.mode == Mode::Phone) {
    s.kHz = seg.lo + Uniform(0, static_cast<int>((seg.hi - seg.lo) * 2)) / 2.0;
  } else {
    s.kHz = seg.lo + Uniform(0, static_cast<int>((seg.hi - seg.lo) * 10)) / 10.0;
  }

  const double r = Chance();
  if (skimmer) {
    s.comment = seg.mode == Mode::Cw ? Format("CW %d dB %d WPM CQ", Uniform(3, 38), Uniform(18, 32))
                                     : std::string(seg.digitalName) + Format(" %+03d dB", Uniform(-22, 8));
  } else if (r < 0.08) {
    s.comment = "IOTA " + continent + Format("-%03d", Uniform(1, 190));
  } else if (r < 0.16) {
    s.comment = "POTA " + (Chance() < 0.5 ? std::string("K") : std::string("DE")) + Format("-%04d", Uniform(1, 9999));
  } else if (r < 0.20) {
    s.comment = Format("WWFF DLFF-%04d", Uniform(1, 999));
  } else if (seg.mode == Mode::Digital) {
    const int db = Uniform(-24, 10);
    s.comment = std::string(seg.digitalName) + Format(" %+03ddB", db);
    if (Chance() < 0.4) s.comment += Format(" %dHz", Uniform(300, 2800));
  } else if (seg.mode == Mode::Cw) {
    static const char* const cw[] = {"CW 599", "up 2", "up 1-3", "tnx QSO", "CW 579 QSB", "cq cq", "nice signal", ""};
    s.comment = cw[Uniform(0, 7)];
    if (Chance() < 0.12) s.comment = Format("QSX %d", static_cast<int>(s.kHz) + Uniform(1, 5));
  } else {
    static const char* const ph[] = {"SSB 59", "up 5", "listening up 5-10", "tnx QSO 73", "59 both ways", "big signal", ""};
    s.comment = ph[Uniform(0, 6)];
    if (Chance() < 0.10) s.comment = Format("QSX %d", static_cast<int>(s.kHz) + Uniform(5, 20));
  }
  return s;
}

std::string Traffic::AnnouncementText() {
  static const char* const texts[] = {
      "anyone QRV on 6m? Es opening to EA8",  "QRT for tonight, 73 all",       "strong aurora, 2m CW to the north",
      "CQ contest this weekend, good luck",    "new DXCC #300 tonight, tnx all", "QSL via bureau please, no cards via LoTW",
      "big pile-up on 17m, work them split",  "FT8 fox on 12m, hound mode",     "the node restarts at 0300Z for updates",
  };
  return texts[Uniform(0, 8)];
}

std::string Traffic::WwvText() {
  static const char* const storm[] = {"No Storms -> No Storms", "Minor w/G1 -> No Storms", "No Storms -> Minor w/G1"};
  return Format("SFI=%d, A=%d, K=%d, ", Uniform(95, 210), Uniform(2, 30), Uniform(0, 5)) + storm[Uniform(0, 2)];
}

std::string Traffic::WcyText() {
  static const char* const sa[] = {"qui", "act", "eru"};
  static const char* const gmf[] = {"qui", "act", "min"};
  return Format("K=%d expK=%d A=%d ", Uniform(0, 5), Uniform(0, 5), Uniform(2, 30)) +
         Format("R=%d SFI=%d ", Uniform(20, 180), Uniform(95, 210)) + "SA=" + sa[Uniform(0, 2)] + " GMF=" +
         gmf[Uniform(0, 2)] + " Au=no";
}

std::string Traffic::TalkText() {
  static const char* const texts[] = {"good evening, are you QRV on 40m tonight?", "tnx for the QSO, 73",
                                      "your signal is 599 here, nice antenna", "sked on 14025 in 10 min?",
                                      "heard you calling the VK, did you make it?"};
  return texts[Uniform(0, 4)];
}

std::string Traffic::TalkReply() {
  static const char* const texts[] = {"hi, tnx for the call, 73", "QRL at the moment, later?", "ok, see you on 20m",
                                      "fb, cu agn"};
  return texts[Uniform(0, 3)];
}

}  // namespace varnak::demo
