// Any list row cuts into cells without failing; a row that does not follow the spot
// layout keeps its whole text in the comment, and a valid one has a time and a call.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "app/spot.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view row(reinterpret_cast<const char*>(data), size);
  const varnak::Spot info = varnak::ParseSpotRow(row);
  if (info.row != row || info.line() != row.substr(0, info.line().size())) std::abort();
  if (!info.valid && info.comment != row) std::abort();
  if (info.valid && (info.utc.size() != 5 || info.dx.empty() || info.dx.size() > 15)) std::abort();
  (void)varnak::EstimatedAddedMinute(info, row, 29000000000LL, 60, 2026);
  return 0;
}
