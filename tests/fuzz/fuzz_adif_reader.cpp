// ADIF reader: any bytes read in one pass without a crash, every field handed out lies
// inside the input, and each record is either read or skipped.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "log/adif.h"
#include "log/log_book.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const auto inside = [&](std::string_view v) {
    if (!v.empty() && (v.data() < text.data() || v.data() + v.size() > text.data() + text.size())) std::abort();
  };
  std::size_t seen = 0;
  const varnak::AdifCounts counts = varnak::ReadAdif(text, [&](const varnak::AdifRecord& r) {
    ++seen;
    for (std::string_view v : {r.Call, r.Band, r.Mode, r.Submode, r.Freq, r.Dxcc, r.QslRcvd, r.LotwQslRcvd,
                               r.EqslQslRcvd})
      inside(v);
  });
  if (seen != counts.Records) std::abort();
  // The log book over the same bytes, calls all of one entity.
  const varnak::LogReadResult book = varnak::BuildLogBook(text, [](std::string_view) { return 230; });
  if (book.Qsos + book.Skipped != counts.Records + counts.Skipped) std::abort();
  (void)book.Book->MarkSpot("230", 14025, "CW");
  return 0;
}
