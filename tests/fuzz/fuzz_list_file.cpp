// A list file of any bytes parses without failing; writing the rows and parsing them
// again gives the same rows.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "app/list_files.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view in(reinterpret_cast<const char*>(data), size);
  auto rows = varnak::ParseListFile(in);
  if (varnak::ParseListFile(varnak::FormatListFile(rows)) != rows) std::abort();
  return 0;
}
