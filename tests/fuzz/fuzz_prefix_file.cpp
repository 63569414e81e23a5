// The prefix-file loader on arbitrary bytes, followed by a few queries on what it kept.
#include <cstdint>
#include <cstdio>
#include <string>
#include <unistd.h>

#include "callsign/call_parser.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string path = "/tmp/varnak_fuzz_prefix_" + std::to_string(getpid()) + ".lst";
  if (FILE* f = std::fopen(path.c_str(), "wb")) {
    std::fwrite(data, 1, size, f);
    std::fclose(f);
  } else {
    return 0;
  }
  varnak::TCallParser parser;
  parser.SetPrefixFile(path);
  for (const char* call : {"DL1ABC", "K1", "KH", "W1ABC/4", "EA8/DL1ABC/P", "ADIF230", "A1/P"}) {
    try {
      parser.ParseCall(call);
    } catch (const varnak::ConvertError&) {
    }
  }
  return 0;
}
