#pragma once
// The lines a DX Spider 1.57 node writes, as seen on the wire.
#include <string>
#include <string_view>

#include "demo/traffic.h"

namespace varnak::demo {

struct UtcMinute {
  int year = 2026, month = 12, day = 8, hour = 21, minute = 50;
};

// " 8-Dec-2026": the day is padded to two places.
std::string NodeDate(const UtcMinute& t);
// "2150Z"
std::string NodeTime(const UtcMinute& t);
// Q1ABC de Q9DEMO  8-Dec-2026 2150Z dxspider >
std::string PromptLine(const std::string& call, const std::string& node, const UtcMinute& t);
// DX de Q2XYZ:     14025.0  Q3DEF        up 2                           2150Z
// (the node adds two BEL bytes before CR LF)
std::string SpotLine(const Spot& s, const UtcMinute& t);
//   14195.0 K1BAD        8-Dec-2026 0146Z live spot            <Q2XYZ>
std::string ListingLine(const Spot& s, const UtcMinute& t);

// A frequency in kHz as the operator typed it ("14025", "14025.5"); false for
// anything else.
bool ParseKhz(std::string_view text, double* kHz);
// What the node takes as a callsign at the login: letters, digits and "/", "-", with at
// least one letter and one digit, 3 to 12 characters.
bool LooksLikeCall(std::string_view call);

}  // namespace varnak::demo
