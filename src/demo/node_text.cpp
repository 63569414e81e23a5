#include "demo/node_text.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>

namespace varnak::demo {

namespace {
const char* const kMonths[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
}

std::string NodeDate(const UtcMinute& t) {
  char buf[32];
  const int m = t.month >= 1 && t.month <= 12 ? t.month - 1 : 0;
  std::snprintf(buf, sizeof buf, "%2d-%s-%04d", t.day, kMonths[m], t.year);
  return buf;
}

std::string NodeTime(const UtcMinute& t) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%02d%02dZ", t.hour, t.minute);
  return buf;
}

std::string PromptLine(const std::string& call, const std::string& node, const UtcMinute& t) {
  return call + " de " + node + " " + NodeDate(t) + " " + NodeTime(t) + " dxspider >";
}

std::string SpotLine(const Spot& s, const UtcMinute& t) {
  char buf[160];
  const std::string spotter = s.spotter + ":";
  std::snprintf(buf, sizeof buf, "DX de %-7s%11.1f  %-12.12s %-30.30s %s", spotter.c_str(), s.kHz, s.dxCall.c_str(),
                s.comment.c_str(), NodeTime(t).c_str());
  return buf;
}

std::string ListingLine(const Spot& s, const UtcMinute& t) {
  // The comment and "<spotter>" share 28 columns, the spotter at the right.
  const std::string spotter = "<" + s.spotter + ">";
  const int commentWidth = spotter.size() < 27 ? static_cast<int>(28 - spotter.size()) : 1;
  std::string comment = s.comment.substr(0, static_cast<std::size_t>(commentWidth > 1 ? commentWidth - 1 : 0));
  char buf[200];
  std::snprintf(buf, sizeof buf, "%9.1f %-11s %s %s %-*s%s", s.kHz, s.dxCall.c_str(), NodeDate(t).c_str(),
                NodeTime(t).c_str(), commentWidth, comment.c_str(), spotter.c_str());
  return buf;
}

bool ParseKhz(std::string_view text, double* kHz) {
  if (text.empty() || text.size() > 12) return false;
  int dots = 0;
  for (char c : text) {
    if (c == '.') {
      if (++dots > 1) return false;
    } else if (!std::isdigit(static_cast<unsigned char>(c))) {
      return false;
    }
  }
  const double v = std::strtod(std::string(text).c_str(), nullptr);
  if (v < 100.0) return false;  // DX Spider wants kHz
  *kHz = v;
  return true;
}

bool LooksLikeCall(std::string_view call) {
  if (call.size() < 3 || call.size() > 12) return false;
  bool letter = false, digit = false;
  for (char c : call) {
    const auto u = static_cast<unsigned char>(c);
    if (std::isupper(u)) {
      letter = true;
    } else if (std::isdigit(u)) {
      digit = true;
    } else if (c != '/' && c != '-') {
      return false;
    }
  }
  return letter && digit;
}

}  // namespace varnak::demo
