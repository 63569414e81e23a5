// The hex dump of any buffer has the fixed layout: the "|" at column 50, at most
// 16 characters after it, one line per 16 bytes.
#include <cstdint>
#include <cstdlib>

#include "agw/message_logger.h"

using namespace varnak;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static TMessageLogger* logger = [] {
    auto* l = new TMessageLogger("/dev/null/varnak-fuzz", "varnak.log");
    l->SetLogEntryFormat("%s|%s|%%");
    return l;
  }();
  std::size_t lines = 0;
  logger->OnEntryAdded = [&](const std::string&) { ++lines; };
  logger->LogBuffer(data, size);
  if (lines != (size + 15) / 16) std::abort();

  for (const std::string& line : HexDumpLines(data, size)) {
    if (line.size() < 51 || line[50] != '|' || line.size() > 67) std::abort();
  }
  return 0;
}
