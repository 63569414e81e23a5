#pragma once
// Telnet option handling for the cluster link (RFC 854). The filter strips command
// sequences out of the received bytes and produces the answers to send back; it keeps
// its state between reads, so a negotiation split over two reads is still understood.
//
// We never start a negotiation and keep no record of options already agreed: every
// WILL/DO/WONT/DONT is answered, every time. The only subnegotiation we answer is the
// server's request for our terminal type.
#include <cstdint>
#include <string>
#include <string_view>

namespace varnak {

class TelnetOptionFilter {
 public:
  enum class State : std::uint8_t {
    Data,
    Command,     // after IAC
    Will,
    Do,
    Wont,
    Dont,
    SubStart,    // after IAC SB
    SubSkip,     // after IAC SB IAC
    SubData,
    SubCommand,  // IAC inside a subnegotiation
  };

  // Telnet byte values.
  static constexpr unsigned char kIac = 255, kDont = 254, kDo = 253, kWont = 252, kWill = 251,
                                 kSb = 250, kSe = 240;
  static constexpr unsigned char kOptEcho = 1, kOptTerminalType = 24, kOptEndOfRecord = 25;

  // An empty terminal name is reported as "dumb".
  explicit TelnetOptionFilter(std::string terminal = "dumb");

  // Runs one read through the filter: appends the plain data to `data` and the bytes to
  // write back to the server to `answers` (neither is cleared first).
  void Feed(std::string_view in, std::string& data, std::string& answers);

  State state() const { return state_; }
  void Reset();

 private:
  void AnswerOption(unsigned char command, unsigned char option, std::string& answers) const;
  void FinishSubnegotiation(std::string& answers) const;

  std::string terminal_;
  State state_ = State::Data;
  unsigned subCount_ = 0;
  int subLast_ = -1;  // last data byte of the subnegotiation, -1 = none
};

}  // namespace varnak
