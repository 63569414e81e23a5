// ReadRtf takes any bytes without failing, and what it read survives WriteRtf and a
// second ReadRtf unchanged.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "app/rtf.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view in(reinterpret_cast<const char*>(data), size);
  auto lines = varnak::ReadRtf(in);
  if (varnak::ReadRtf(varnak::WriteRtf(lines)) != lines) std::abort();
  return 0;
}
