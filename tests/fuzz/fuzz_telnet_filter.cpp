// Any byte stream from a node, cut into reads anywhere: the filter gives the same
// result as for one read, and lines stay within the cutter's bound.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "telnet/line_cutter.h"
#include "telnet/option_filter.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  if (size < 1) return 0;
  // The first byte picks the read size (1 to 256 bytes), the rest is the stream.
  const std::size_t step = static_cast<std::size_t>(bytes[0]) + 1;
  const std::string_view stream(reinterpret_cast<const char*>(bytes + 1), size - 1);

  varnak::TelnetOptionFilter whole;
  std::string wholeData, wholeAnswers;
  whole.Feed(stream, wholeData, wholeAnswers);

  varnak::TelnetOptionFilter filter;
  varnak::LineCutter cutter;
  std::string data, answers, plain;
  std::vector<std::string> lines;
  for (std::size_t at = 0; at < stream.size(); at += step) {
    plain.clear();
    filter.Feed(stream.substr(at, step), plain, answers);
    data += plain;
    cutter.Feed(plain, lines);
    if (at / step % 7 == 3) {  // now and then the node goes quiet
      std::string tail;
      if (cutter.FlushTail(tail)) lines.push_back(tail);
    }
  }
  if (data != wholeData || answers != wholeAnswers || filter.state() != whole.state()) std::abort();
  std::size_t total = 0;
  for (const std::string& line : lines) {
    if (line.size() > varnak::LineCutter::kMaxLine) std::abort();
    total += line.size();
  }
  if (total > data.size()) std::abort();
  return 0;
}
