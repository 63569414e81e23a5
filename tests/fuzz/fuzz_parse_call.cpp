// ParseCall on arbitrary text against the generated prefix file of the build tree (or
// a small built-in one with pattern masks and regions when it is missing).
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <unistd.h>

#include "callsign/call_parser.h"

namespace {

varnak::TCallParser& Parser() {
  static varnak::TCallParser* parser = [] {
    auto* p = new varnak::TCallParser;
    // build-fuzz/tests/fuzz/fuzz_parse_call -> build-fuzz/share/varnak/prefix.lst
    std::error_code ec;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (!ec) p->SetPrefixFile((exe.parent_path() / "../../share/varnak/prefix.lst").string());
    if (p->PrefixList().Count() == 0) {
      const std::string path = "/tmp/varnak_fuzz_call_" + std::to_string(getpid()) + ".lst";
      if (FILE* f = std::fopen(path.c_str(), "wb")) {
        std::fputs("h\nh\nh\n0100|1|2|Germany|DL|EU|14|28|-1|230||||D[A-R],DL#.,\"K\"|\n"
                   "0201|3|4|Bavaria|DL|||||230||||D[A-R]#@@/P|\n0902||4|City|X|||||x||||DL1.|\n"
                   "0600|5|6|USA|K|NA|5|8|5|291||||K,W,N,A[A-L],?#@/M|\n",
                   f);
        std::fclose(f);
      }
      p->SetPrefixFile(path);
    }
    return p;
  }();
  return *parser;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  auto& parser = Parser();
  try {
    parser.ParseCall(std::string(reinterpret_cast<const char*>(data), size));
  } catch (const varnak::ConvertError&) {
  }
  return 0;
}
