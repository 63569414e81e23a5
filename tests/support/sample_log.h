#pragma once
// A small ADIF log that the log's own tests and the session's tests both read.
#include <string>

namespace varnak::test {

// Germany (230) from the calls alone; the USA (291) from DXCC.
inline const std::string kSampleLog =
    "Written by a logger\n<ADIF_VER:5>3.1.4 <PROGRAMID:4>Test\n<eoh>\n"
    "<CALL:6>DL1ABC <BAND:3>20m <MODE:2>CW <LOTW_QSL_RCVD:1>Y <EOR>\n"
    "<call:6>dk2xyz <freq:5:N>7.150 <mode:3>SSB <submode:3>LSB <eor>\n"
    "<CALL:4>W1AW <DXCC:3>291 <BAND:3>20M <MODE:3>FT8 <QSL_RCVD:1>Y <EOR>\n";

}  // namespace varnak::test
