#pragma once
// Just enough RTF for the cluster text pane: lines of Windows-1252 text, one colour per
// line. WriteRtf's output reads back through ReadRtf to exactly the same lines; ReadRtf
// also takes what word processors save, e.g.
//   {\rtf1\ansi{\fonttbl{\f0 Courier New;}}{\colortbl ;\red255\green0\blue0;}
//   \pard\cf1 *** Connected to node\par }
// and never fails: what it cannot make sense of is dropped, the rest is kept.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace varnak {

struct RtfLine {
  uint8_t r = 0, g = 0, b = 0;
  std::string text;  // Windows-1252 bytes, no line end

  bool operator==(const RtfLine&) const = default;
};

std::string WriteRtf(const std::vector<RtfLine>& lines);

// Each paragraph (\par or \line) is one line, coloured as its first character (or, for
// an empty line, as the text position at its end). Colour 0 and unknown colours are
// black. Input that does not start with "{\rtf" is taken as plain text lines in black.
std::vector<RtfLine> ReadRtf(std::string_view bytes);

}  // namespace varnak
