#include "telnet/option_filter.h"

#include <gtest/gtest.h>

#include "telnet/line_cutter.h"

namespace varnak {
namespace {

std::string Bytes(std::initializer_list<int> values) {
  std::string s;
  for (int v : values) s.push_back(static_cast<char>(v));
  return s;
}

struct Result {
  std::string data, answers;
};

Result Filter(const std::string& in) {
  TelnetOptionFilter filter;
  Result r;
  filter.Feed(in, r.data, r.answers);
  return r;
}

TEST(TelnetOptionFilter, AnswersTerminalTypeRequest) {
  const Result r = Filter(Bytes({255, 253, 24, 255, 250, 24, 1, 255, 240}));
  EXPECT_EQ(r.data, "");
  EXPECT_EQ(r.answers, Bytes({255, 251, 24, 255, 250, 24, 0, 'd', 'u', 'm', 'b', 255, 240}));
}

TEST(TelnetOptionFilter, AnswersEveryOptionCommandEveryTime) {
  struct Case {
    int command, option, reply;
  } cases[] = {
      {251, 1, 253},  {251, 25, 253}, {251, 3, 254},  {251, 24, 254},  // WILL
      {253, 1, 251},  {253, 24, 251}, {253, 31, 252}, {253, 37, 252},  // DO
      {252, 1, 254},  {252, 24, 254},                                  // WONT
      {254, 1, 252},  {254, 24, 252},                                  // DONT
  };
  for (const Case& c : cases) {
    const Result r = Filter(Bytes({255, c.command, c.option, 255, c.command, c.option}));
    EXPECT_EQ(r.answers, Bytes({255, c.reply, c.option, 255, c.reply, c.option}))
        << "command " << c.command << " option " << c.option;
    EXPECT_EQ(r.data, "");
  }
}

TEST(TelnetOptionFilter, PassesDataAroundCommands) {
  // IAC IAC is a data byte 255; other two-byte commands (NOP, GA) vanish unanswered.
  const Result r = Filter("ab" + Bytes({255, 255}) + "c" + Bytes({255, 241, 255, 249}) + std::string("d\0e", 3));
  EXPECT_EQ(r.data, "ab\xff" "c" + std::string("d\0e", 3));
  EXPECT_EQ(r.answers, "");
}

TEST(TelnetOptionFilter, SubnegotiationVariants) {
  // Not a SEND request: no answer.
  EXPECT_EQ(Filter(Bytes({255, 250, 24, 0, 'x', 255, 240})).answers, "");
  // IAC SB IAC: the next byte is discarded, then plain data again.
  EXPECT_EQ(Filter(Bytes({255, 250, 255, 'x'}) + "ok").data, "ok");
  // A second SB right after the first finishes the first one.
  EXPECT_EQ(Filter(Bytes({255, 250, 24, 1, 255, 250, 24, 1, 255, 240})).answers.size(), 20u);
  // An escaped 255 inside the subnegotiation counts as its last data byte.
  EXPECT_EQ(Filter(Bytes({255, 250, 24, 1, 255, 255, 255, 240})).answers, "");
  // A stray command inside drops the subnegotiation and data follows.
  const Result r = Filter(Bytes({255, 250, 24, 1, 255, 241}) + "after");
  EXPECT_EQ(r.answers, "");
  EXPECT_EQ(r.data, "after");
  // Without SE everything that follows is taken as subnegotiation data.
  TelnetOptionFilter filter;
  std::string data, answers;
  filter.Feed(Bytes({255, 250, 24}) + std::string(100000, 'x'), data, answers);
  EXPECT_EQ(data, "");
  EXPECT_EQ(filter.state(), TelnetOptionFilter::State::SubData);
}

TEST(TelnetOptionFilter, SameResultWhateverTheReadBoundaries) {
  const std::string stream = "login: " + Bytes({255, 253, 24, 255, 250, 24, 1, 255, 240, 255, 251, 1}) + "Q1AB" +
                             Bytes({255, 255}) + "C\r\n" + Bytes({255, 250, 255, 7, 255, 254, 1}) + "end" +
                             Bytes({255});
  const Result whole = Filter(stream);
  for (std::size_t cut1 = 0; cut1 <= stream.size(); ++cut1) {
    for (std::size_t cut2 = cut1; cut2 <= stream.size(); ++cut2) {
      TelnetOptionFilter filter;
      Result r;
      filter.Feed(stream.substr(0, cut1), r.data, r.answers);
      filter.Feed(stream.substr(cut1, cut2 - cut1), r.data, r.answers);
      filter.Feed(stream.substr(cut2), r.data, r.answers);
      ASSERT_EQ(r.data, whole.data) << cut1 << "," << cut2;
      ASSERT_EQ(r.answers, whole.answers) << cut1 << "," << cut2;
    }
  }
  EXPECT_EQ(whole.data, "login: Q1AB\xff" "C\r\nend");
}

TEST(TelnetOptionFilter, EmptyTerminalIsReportedAsDumb) {
  TelnetOptionFilter filter("");
  std::string data, answers;
  filter.Feed(Bytes({255, 250, 24, 1, 255, 240}), data, answers);
  EXPECT_EQ(answers, Bytes({255, 250, 24, 0, 'd', 'u', 'm', 'b', 255, 240}));
}

std::vector<std::string> Cut(LineCutter& cutter, const std::string& chunk) {
  std::vector<std::string> lines;
  cutter.Feed(chunk, lines);
  return lines;
}

using Lines = std::vector<std::string>;

TEST(LineCutter, KeepsTheTailForTheNextRead) {
  LineCutter cutter;
  EXPECT_EQ(Cut(cutter, "abc\r\ndef"), Lines{"abc"});
  EXPECT_EQ(Cut(cutter, "ghi\r\n"), Lines{"defghi"});
  EXPECT_FALSE(cutter.HasTail());
  // A pair split between two reads.
  EXPECT_EQ(Cut(cutter, "jkl\r"), Lines{});
  EXPECT_EQ(Cut(cutter, "\nmno\r\n"), (Lines{"jkl", "mno"}));
}

TEST(LineCutter, OnlyCrLfEndsALine) {
  LineCutter cutter;
  EXPECT_EQ(Cut(cutter, "a\nb\r\n\r\n\r\nc\rd\r\n"), (Lines{"a\nb", "", "", "c\rd"}));
}

TEST(LineCutter, FlushedTailIsALineOfItsOwn) {
  LineCutter cutter;
  EXPECT_EQ(Cut(cutter, "abc\r\ndef"), Lines{"abc"});
  std::string tail;
  ASSERT_TRUE(cutter.FlushTail(tail));
  EXPECT_EQ(tail, "def");
  EXPECT_FALSE(cutter.FlushTail(tail));
  EXPECT_EQ(Cut(cutter, "ghi\r\n"), Lines{"ghi"});
  // A prompt flushed with its CR: the LF that follows closes it, no empty line.
  EXPECT_EQ(Cut(cutter, "login: \r"), Lines{});
  ASSERT_TRUE(cutter.FlushTail(tail));
  EXPECT_EQ(tail, "login: ");
  EXPECT_EQ(Cut(cutter, "\nnext\r\n"), Lines{"next"});
}

TEST(LineCutter, OverlongLinesComeInPieces) {
  LineCutter cutter;
  std::string input;
  for (int i = 0; i < 1000000; ++i) input.push_back(static_cast<char>('a' + i % 26));
  std::string joined;
  for (std::size_t at = 0; at < input.size(); at += 4096) {
    for (const std::string& piece : Cut(cutter, input.substr(at, 4096))) {
      EXPECT_EQ(piece.size(), LineCutter::kMaxLine);
      joined += piece;
    }
  }
  std::string tail;
  ASSERT_TRUE(cutter.FlushTail(tail));
  EXPECT_LE(tail.size(), LineCutter::kMaxLine);
  EXPECT_EQ(joined + tail, input);

  // The same with a line end: pieces, then the rest up to the CR LF, then the next line.
  const Lines lines = Cut(cutter, std::string(LineCutter::kMaxLine * 2 + 5, 'x') + "\r\nok\r\n");
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[2], "xxxxx");
  EXPECT_EQ(lines[3], "ok");
}

}  // namespace
}  // namespace varnak
