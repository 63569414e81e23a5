#pragma once
// Reader of the ADI text form of an ADIF log, as loggers write it:
//   <ADIF_VER:5>3.1.4 <PROGRAMID:4>QLog <EOH>
//   <CALL:6>DL1ABC <BAND:3>20m <MODE:2>CW <QSL_RCVD:1>Y <EOR>
// Lengths count bytes (the file may be UTF-8 or Windows-1252; values stay bytes). Only the
// fields a needed-entity check uses are kept. Whatever the bytes, the reader makes one
// pass over them: a damaged record is skipped and counted, and reading goes on at the
// next tag it can make sense of.
#include <cstddef>
#include <functional>
#include <string_view>

namespace varnak {

// Views into the text handed to ReadAdif; empty when the record has no such field.
struct AdifRecord {
  std::string_view Call, Band, Mode, Submode, Freq, Dxcc, QslRcvd, LotwQslRcvd, EqslQslRcvd;
};

struct AdifCounts {
  std::size_t Records = 0;  // handed to the callback
  std::size_t Skipped = 0;  // damaged, cut off at the end, or without CALL and DXCC
};

using AdifRecordSink = std::function<void(const AdifRecord&)>;

// Reads every record of text after the header (a file whose header has no <EOH> is read
// from its first tag).
AdifCounts ReadAdif(std::string_view text, const AdifRecordSink& sink);

}  // namespace varnak
