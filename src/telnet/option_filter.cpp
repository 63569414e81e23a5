#include "telnet/option_filter.h"

#include <cstring>

namespace varnak {

TelnetOptionFilter::TelnetOptionFilter(std::string terminal)
    : terminal_(terminal.empty() ? std::string("dumb") : std::move(terminal)) {}

void TelnetOptionFilter::Reset() {
  state_ = State::Data;
  subCount_ = 0;
  subLast_ = -1;
}

void TelnetOptionFilter::AnswerOption(unsigned char command, unsigned char option,
                                      std::string& answers) const {
  unsigned char reply = 0;
  switch (command) {
    case kWill: reply = (option == kOptEcho || option == kOptEndOfRecord) ? kDo : kDont; break;
    case kDo: reply = (option == kOptEcho || option == kOptTerminalType) ? kWill : kWont; break;
    case kWont: reply = kDont; break;
    default: reply = kWont; break;  // DONT
  }
  const char bytes[3] = {static_cast<char>(kIac), static_cast<char>(reply), static_cast<char>(option)};
  answers.append(bytes, 3);
}

// IAC SB 24 1 IAC SE asks for our terminal type; the option named after SB is not
// checked, only that the last data byte was SEND (1).
void TelnetOptionFilter::FinishSubnegotiation(std::string& answers) const {
  if (subCount_ < 1 || subLast_ != 1) return;
  answers.push_back(static_cast<char>(kIac));
  answers.push_back(static_cast<char>(kSb));
  answers.push_back(static_cast<char>(kOptTerminalType));
  answers.push_back('\0');  // IS
  answers += terminal_;
  answers.push_back(static_cast<char>(kIac));
  answers.push_back(static_cast<char>(kSe));
}

void TelnetOptionFilter::Feed(std::string_view in, std::string& data, std::string& answers) {
  const char* p = in.data();
  const char* const end = p + in.size();
  while (p < end) {
    if (state_ == State::Data) {
      // Cluster traffic is almost all plain text: copy whole runs up to the next IAC.
      const void* iac = std::memchr(p, kIac, static_cast<std::size_t>(end - p));
      const char* stop = iac ? static_cast<const char*>(iac) : end;
      data.append(p, static_cast<std::size_t>(stop - p));
      if (!iac) return;
      p = stop + 1;
      state_ = State::Command;
      continue;
    }
    const unsigned char b = static_cast<unsigned char>(*p++);
    switch (state_) {
      case State::Data: break;  // handled above
      case State::Command:
        if (b == kIac) {
          data.push_back(static_cast<char>(kIac));
          state_ = State::Data;
        } else if (b == kWill) {
          state_ = State::Will;
        } else if (b == kDo) {
          state_ = State::Do;
        } else if (b == kWont) {
          state_ = State::Wont;
        } else if (b == kDont) {
          state_ = State::Dont;
        } else if (b == kSb) {
          subCount_ = 0;
          subLast_ = -1;
          state_ = State::SubStart;
        } else {
          state_ = State::Data;  // NOP, GA, AYT ...: nothing to answer
        }
        break;
      case State::Will: AnswerOption(kWill, b, answers); state_ = State::Data; break;
      case State::Do: AnswerOption(kDo, b, answers); state_ = State::Data; break;
      case State::Wont: AnswerOption(kWont, b, answers); state_ = State::Data; break;
      case State::Dont: AnswerOption(kDont, b, answers); state_ = State::Data; break;
      case State::SubStart:
        if (b == kIac) {
          state_ = State::SubSkip;
        } else {
          subCount_ = 0;
          subLast_ = -1;
          state_ = State::SubData;
        }
        break;
      case State::SubSkip: state_ = State::Data; break;
      case State::SubData:
        if (b == kIac) {
          state_ = State::SubCommand;
        } else {
          ++subCount_;
          subLast_ = b;
        }
        break;
      case State::SubCommand:
        if (b == kSe) {
          FinishSubnegotiation(answers);
          state_ = State::Data;
        } else if (b == kSb) {
          FinishSubnegotiation(answers);
          state_ = State::SubStart;
        } else if (b == kIac) {
          ++subCount_;
          subLast_ = kIac;
          state_ = State::SubData;
        } else {
          state_ = State::Data;
        }
        break;
    }
  }
}

}  // namespace varnak
