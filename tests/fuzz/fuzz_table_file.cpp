// Table files: any bytes parse; formatting what was parsed and parsing again is stable.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "app/settings.h"
#include "core/table_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  varnak::Table t = varnak::ParseTable(text);
  varnak::Table again = varnak::ParseTable(varnak::FormatTable(t));
  // Rows without CR or LF inside their cells survive a save and load exactly.
  if (again != t) std::abort();
  varnak::Settings s;
  varnak::SelectCluster(s, varnak::ParseClusterTable(t));
  return 0;
}
