#include "app/classifier.h"

#include <fmt/format.h>
#include <gtest/gtest.h>

#include "recording_host.h"
#include "support/wait_until.h"

using namespace varnak;
using varnak::test::RecordingHost;

namespace {

std::string SpotLine(const std::string& call, const std::string& freq = "14025.0") {
  return "DX de Q2ABC:     " + freq + "  " + call + "        up 2                       2215Z";
}

}  // namespace

TEST(Classifier, RepeatFilterDropsOnlyImmediateRepeats) {
  RecordingHost h;
  h.telnetOut = 1;
  for (const char* line : {"hello", "hello", "other", "hello", "", ""}) h.classifier.ClassifyLine(line);
  EXPECT_EQ(h.PaneTexts(), (std::vector<std::string>{"hello", "other", "hello", ""}));
  EXPECT_EQ(h.relayed, h.PaneTexts());  // dropped lines are not relayed either
  EXPECT_EQ(h.focusGiven, 4);
  EXPECT_EQ(h.classifier.LastLine(), "");
}

TEST(Classifier, MonitoredFramesDroppedWhileNodeConnected) {
  RecordingHost h;
  h.telnet = 0;
  h.nodeConnected = true;
  h.telnetOut = 1;
  h.classifier.ClassifyLine("1:Fm Q3X To Q4Y <UI>");
  EXPECT_TRUE(h.PaneTexts().empty());
  EXPECT_TRUE(h.relayed.empty());
  EXPECT_EQ(h.classifier.LastLine(), "");
  h.nodeConnected = false;
  h.classifier.ClassifyLine("10:Fm Q3X To Q4Y <UI>");
  EXPECT_EQ(h.LastPaneLine().colour, pane_colour::kGrey);
}

TEST(Classifier, SpotsFiledOnceIntoBandAndAll) {
  RecordingHost h;
  h.sound = true;
  h.page = ListIndexOfBand("20");
  h.classifier.ClassifyLine(SpotLine("Q3DEF") + "\a\a");  // DX Spider's BELs are trimmed
  h.classifier.ClassifyLine("something else");
  h.classifier.ClassifyLine(SpotLine("Q3DEF"));  // within 50 spots: a plain black pane line
  h.classifier.ClassifyLine(SpotLine("Q3NOB", "14025"));  // no decimal point: "All" only
  ASSERT_EQ(h.lists.List(ListIndexOfBand("20"))->rowCount(), 2);
  EXPECT_EQ(h.lists.List(ListIndexOfBand("20"))->Row(1), SpotLine("Q3DEF") + " | 12-06");
  EXPECT_EQ(h.lists.All()->Rows(),
            (std::vector<std::string>{"", SpotLine("Q3DEF") + " | 12-06", SpotLine("Q3NOB", "14025") + " | 12-06"}));
  EXPECT_EQ(h.PaneTexts(), (std::vector<std::string>{"something else", SpotLine("Q3DEF")}));
  EXPECT_EQ(h.spotSounds, 2);
  EXPECT_EQ(h.presented, 1);  // the band-less spot is not on the 20m page
  EXPECT_EQ(h.lists.All()->SelectedRow(), 2);
}

TEST(Classifier, SpotsFromMonitoredTrafficAlsoGoToThePane) {
  RecordingHost h;
  h.telnet = 0;
  h.classifier.ClassifyLine(SpotLine("Q3DEF", "7010.0"));
  EXPECT_EQ(h.PaneTexts(), std::vector<std::string>{SpotLine("Q3DEF", "7010.0")});
  EXPECT_EQ(h.lists.List(ListIndexOfBand("40"))->rowCount(), 2);
}

TEST(Classifier, TrimsBandListAt1001AndAllAt2001AndSavesThem) {
  RecordingHost h;
  for (int i = 1; i <= 1000; ++i) h.classifier.ClassifyLine(SpotLine(fmt::format("Q{}", i), "7010.0"));
  EXPECT_EQ(h.lists.List(ListIndexOfBand("40"))->rowCount(), 1001);
  EXPECT_TRUE(h.saved.empty());
  h.classifier.ClassifyLine(SpotLine("Q1001", "7010.0"));
  ASSERT_EQ(h.saved.size(), 1u);
  EXPECT_EQ(h.saved[0].first, "40.dxc");
  EXPECT_EQ(h.saved[0].second.size(), 902u);
  EXPECT_EQ(h.saved[0].second.front(), SpotLine("Q100", "7010.0") + " | 12-06");
  EXPECT_EQ(h.saved[0].second.back(), SpotLine("Q1001", "7010.0") + " | 12-06");
  EXPECT_EQ(h.lists.List(ListIndexOfBand("40"))->SelectedRow(), 901);

  for (int i = 1; i <= 999; ++i) h.classifier.ClassifyLine(SpotLine(fmt::format("R{}", i), "1000.0"));
  EXPECT_EQ(h.lists.All()->rowCount(), 2001);
  EXPECT_EQ(h.saved.size(), 1u);
  h.classifier.ClassifyLine(SpotLine("R1000", "1000.0"));
  ASSERT_EQ(h.saved.size(), 2u);
  EXPECT_EQ(h.saved[1].first, "dx.dxc");
  EXPECT_EQ(h.saved[1].second.size(), 1902u);
  EXPECT_EQ(h.lists.All()->rowCount(), 1902);
}

TEST(Classifier, ListingLineShownGreyAndFiledAsSpot) {
  RecordingHost h;
  const std::string listing = "  14025.0  Q3DEF       6-Dec-2026 2215Z up 2                          <Q2ABC>";
  h.classifier.ClassifyLine(listing);
  ASSERT_EQ(h.PaneTexts(), std::vector<std::string>{listing});
  EXPECT_EQ(h.LastPaneLine().colour, pane_colour::kGrey);
  ASSERT_EQ(h.lists.List(ListIndexOfBand("20"))->rowCount(), 2);
  EXPECT_EQ(h.lookedUp.at(0), ReformatShowDx(listing));
  EXPECT_NE(h.lists.List(ListIndexOfBand("20"))->Row(1).find("2215Z|6-Dec | 12-06"), std::string::npos);
}

TEST(Classifier, ListedSpotAlreadyReceivedLiveIsFiledOnce) {
  RecordingHost h;
  // DX Spider's live spots with its line options (set/dxcq, set/dxitu, set/dxgrid,
  // set/width 120), then the same spots in its "sh/dx" listing.
  const char* live[] = {
      "DX de Q2XYZ:     14195.0  VE3BAA       live spot                      0146Z\a\a",
      "DX de Q2XYZ:     21025.0  OH2ABG       cq test                     15 1303Z  5\a\a",
      "DX de Q2XYZ:     21026.0  OH2ABH       cq test                     18 1304Z 28",
      "DX de Q2XYZ:     14001.0  JA1ABC       tnx qso                   PM95 1305Z JO62",
      "DX de Q2XYZ:     14002.0  K1ABC        a comment as long as set/width 120 lets it be, far past 30  1306Z",
  };
  for (const char* line : live) h.classifier.ClassifyLine(line);
  ASSERT_EQ(h.lists.All()->Size(), 6);
  const char* listing[] = {
      "  14195.0 VE3BAA       8-Dec-2026 0146Z live spot            <Q2XYZ>",
      "  21025.0 OH2ABG       8-Dec-2026 1303Z cq test              <Q2XYZ>",
      "  21026.0 OH2ABH       8-Dec-2026 1304Z cq test              <Q2XYZ>",
      " 14001.00 JA1ABC       8-Dec-2026 1305Z tnx qso              <Q2XYZ>",
      "  14002.0 K1ABC        8-Dec-2026 1306Z a comment as long as set/width 120 lets it be, far past 30 <Q2XYZ>",
      "  14195.0 HB9BAA       8-Dec-2026 0145Z listed only          <Q2XYZ>",
  };
  for (const char* line : listing) h.classifier.ClassifyLine(line);
  const auto rows = h.lists.All()->Rows();
  ASSERT_EQ(rows.size(), 7u);
  EXPECT_EQ(rows[6].substr(0, 39), "DX de Q2XYZ:     14195.0  HB9BAA       ");
  // Another spotter, minute or tenth of a kHz is another spot.
  h.classifier.ClassifyLine("  14195.0 VE3BAA       8-Dec-2026 0147Z live spot            <Q2XYZ>");
  h.classifier.ClassifyLine("  14195.1 VE3BAA       8-Dec-2026 0146Z live spot            <Q2XYZ>");
  h.classifier.ClassifyLine("  14195.0 VE3BAA       8-Dec-2026 0146Z live spot            <Q3XYZ>");
  EXPECT_EQ(h.lists.All()->Size(), 10);
}

TEST(Classifier, SpotHistoryStartsFromTheLoadedAllList) {
  RecordingHost h;
  h.lists.All()->SetRows({"", "DX de Q2XYZ:     14195.0  VE3BAA       live spot                      0146Z | 12-08",
                          "DX de Q2XYZ:     14001.0  JA1ABC       tnx qso                        1305Z|8-Dec | 12-08",
                          "*** Varnak started at 21:07 | 12-08"});
  h.classifier.ResetSpotHistory();
  h.classifier.ClassifyLine("  14195.0 VE3BAA       8-Dec-2026 0146Z live spot            <Q2XYZ>");
  h.classifier.ClassifyLine("  14001.0 JA1ABC       8-Dec-2026 1305Z tnx qso              <Q2XYZ>");
  EXPECT_EQ(h.lists.All()->Size(), 4);
  h.classifier.ClassifyLine("  14195.0 HB9BAA       8-Dec-2026 0145Z listed only          <Q2XYZ>");
  EXPECT_EQ(h.lists.All()->Size(), 5);
  EXPECT_EQ(h.classifier.History().Slots().size(), SpotHistory::kSlots);
}

TEST(Classifier, ColoursAndTimeStampsOfThePane) {
  RecordingHost h;
  h.classifier.ClassifyLine("To ALL de Q2ABC: contest starts\a\a");
  h.classifier.ClassifyLine("WCY de DK0WCY-2 <21> : K=3 expK=2 A=12");
  h.classifier.ClassifyLine("WWV de W1AW <18>:   SFI=150, A=10, K=2");
  h.classifier.ClassifyLine("*** Varnak started");
  h.classifier.ClassifyLine("To LOCAL de Q2ABC: coffee");
  h.classifier.ClassifyLine("q1:Fm Q3X To Q4Y");
  h.classifier.ClassifyLine(" 1:Fm Q3X To Q4Y <UI>");  // engine ports 1 to 9
  const auto& lines = h.pane.Lines();
  ASSERT_EQ(lines.size(), 7u);
  EXPECT_EQ(lines[0].text, "21:07:45: To ALL de Q2ABC: contest starts");
  EXPECT_EQ(lines[0].colour, pane_colour::kRed);
  EXPECT_EQ(lines[1].text, "21:07:45: WCY de DK0WCY-2 <21> : K=3 expK=2 A=12");
  EXPECT_EQ(lines[1].colour, pane_colour::kBlue);
  EXPECT_EQ(lines[2].colour, pane_colour::kGreen);
  EXPECT_EQ(lines[2].text.substr(0, 10), "21:07:45: ");
  EXPECT_EQ(lines[3].text, "*** Varnak started");
  EXPECT_EQ(lines[3].colour, pane_colour::kRed);
  EXPECT_EQ(lines[4].text, "21:07:45: To LOCAL de Q2ABC: coffee");  // DX Spider's plain "ann"
  EXPECT_EQ(lines[4].colour, pane_colour::kRed);
  EXPECT_EQ(lines[5].colour, pane_colour::kGrey);
  EXPECT_EQ(lines[6].colour, pane_colour::kGrey);
  EXPECT_EQ(h.pane.data(h.pane.index(1), Qt::ForegroundRole).value<QColor>(), QColor(0, 0, 255));
}

TEST(Classifier, PaneLimitsRemoveOneLinePerClassifiedLine) {
  RecordingHost h;
  for (int i = 0; i < 1500; ++i) h.classifier.ClassifyLine("line " + std::to_string(i));
  EXPECT_EQ(h.pane.LineCount(), 1001);
  EXPECT_EQ(h.pane.Lines().back().text, "line 1499");
  for (int i = 0; i < 400; ++i) h.classifier.ClassifyLine("Talk " + std::to_string(i));
  EXPECT_EQ(h.talk.LineCount(), 301);
}

TEST(Classifier, LoginAndPasswordAnsweredOnceEachOnlyWhileLoggingIn) {
  RecordingHost h;
  h.classifier.SetLoggingIn(true);  // a new Telnet connection
  h.classifier.ClassifyLine("the login: comes next");
  h.classifier.ClassifyLine("Please enter your call: login:");
  h.classifier.ClassifyLine("login: ");
  h.classifier.ClassifyLine("password: ");
  h.classifier.ClassifyLine("password:");
  EXPECT_EQ(h.telnetSent, (std::vector<std::string>{"Q1ABC", "secret"}));

  h.classifier.SetLoggingIn(true);
  h.classifier.ClassifyLine("Q1ABC de Q9NODE  8-Dec-2026 2150Z dxspider >");  // logged in
  EXPECT_FALSE(h.classifier.LoggingIn());
  h.classifier.ClassifyLine("To LOCAL de Q2XYZ: is the password:");
  h.classifier.ClassifyLine("Q1ABC de Q3DEF: login:");
  h.classifier.ClassifyLine("login:");
  h.telnetConnected = false;  // the packet link: the node knows the call already
  h.classifier.SetLoggingIn(true);
  h.classifier.ClassifyLine("login: ");
  EXPECT_EQ(h.telnetSent.size(), 2u);
}

TEST(Classifier, LoginEndsAtAnyPromptOrAfterItsTime) {
  RecordingHost h;
  h.classifier.SetLoggingIn(true);
  h.classifier.ClassifyLine("login: ");
  // The address reached another node than ConnectCall.
  h.classifier.ClassifyLine("Q1ABC de Q8HUB-2  8-Dec-2026 2150Z dxspider >");
  EXPECT_FALSE(h.classifier.LoggingIn());
  EXPECT_EQ(h.loginsThrough, 1);
  h.classifier.ClassifyLine("Q1ABC de Q3DEF: what is your password:");
  EXPECT_EQ(h.telnetSent, std::vector<std::string>{"Q1ABC"});

  h.classifier.LoginPhaseMs = 50;
  h.classifier.SetLoggingIn(true);
  WAIT_EQ(h.loginsThrough, 2, 5000);
  h.classifier.ClassifyLine("password:");
  EXPECT_EQ(h.telnetSent.size(), 1u);
}

TEST(Classifier, UsersLogInAndOut) {
  RecordingHost h;
  h.classifier.ClassifyLine("User Q5XY has logged in");
  h.classifier.ClassifyLine("x");
  h.classifier.ClassifyLine("User Q5XY has logged in");
  h.classifier.ClassifyLine("User q4ab has logged in");
  EXPECT_EQ(h.users.Names(), (std::vector<std::string>{"q4ab", "Q5XY"}));
  EXPECT_EQ(h.users.headerData(0, Qt::Horizontal).toString(), "Local users");
  h.classifier.ClassifyLine("User Q5XY logged out");
  EXPECT_EQ(h.users.Names(), std::vector<std::string>{"q4ab"});
  h.classifier.ClassifyLine("User");
  h.classifier.ClassifyLine("User  has logged in");
  EXPECT_EQ(h.users.Names(), std::vector<std::string>{"q4ab"});
}

TEST(Classifier, TalkShowsDosLettersAndUtf8AndKeepsTheBytes) {
  RecordingHost h;
  h.sound = true;
  h.telnetOut = 1;
  const auto shown = [&h](int row) { return h.talk.data(h.talk.index(row)).toString(); };
  h.classifier.ClassifyLine("Q1ABC de Q2DEF: sch\x94n");
  EXPECT_EQ(h.TalkLines(), std::vector<std::string>{"[12-06 21:07] Q1ABC de Q2DEF: sch\x94n"});
  EXPECT_EQ(shown(0), QString::fromUtf8("[12-06 21:07] Q1ABC de Q2DEF: schön"));
  EXPECT_EQ(h.PaneTexts(), std::vector<std::string>{"Q1ABC de Q2DEF: sch\x94n"});
  EXPECT_EQ(h.relayed.back(), "Q1ABC de Q2DEF: sch\x94n");
  EXPECT_EQ(h.talkSounds, 1);
  h.classifier.ClassifyLine("Talk \x81" "ber Q2DEF");
  h.classifier.ClassifyLine("Entering Talkmode with Q2DEF");
  h.classifier.ClassifyLine("Q1ABC de Q2DEF 12-06 >");  // ends with ">": not talk
  EXPECT_EQ(h.talk.LineCount(), 3);
  EXPECT_EQ(shown(1), QString::fromUtf8("[12-06 21:07] Talk über Q2DEF"));
  EXPECT_EQ(h.talkSounds, 1);
  // UTF-8 (Æ is C3 86, 0x86 a DOS letter) is shown as UTF-8 and kept as it came.
  const std::string utf8 = "Q1ABC de Q2DEF: Gr\xc3\xbc\xc3\x9f" "e \xc3\x86";
  h.classifier.ClassifyLine(utf8);
  EXPECT_EQ(shown(3), QString::fromUtf8("[12-06 21:07] Q1ABC de Q2DEF: Grüße Æ"));
  EXPECT_EQ(h.talk.Lines().back(), "[12-06 21:07] " + utf8);
  EXPECT_EQ(h.relayed.back(), utf8);
  EXPECT_EQ(h.pane.data(h.pane.index(h.pane.LineCount() - 1)).toString(), QString::fromUtf8("Q1ABC de Q2DEF: Grüße Æ"));
}

TEST(Classifier, FirstPromptAsksForUsersOncePerConnection) {
  RecordingHost h;
  h.telnetOut = 1;
  const std::string prompt = "Q1ABC de Q9NODE  6-Dec-2026 2215Z dxspider >";
  h.classifier.ClassifyLine(prompt);
  EXPECT_EQ(h.sent, std::vector<std::string>{"sh/users"});
  EXPECT_TRUE(h.talk.Lines().empty());  // the prompt is no talk
  // The echo is classified after the prompt, not inside it.
  EXPECT_EQ(h.PaneTexts(), (std::vector<std::string>{prompt, "sh/users"}));
  EXPECT_EQ(h.relayed, (std::vector<std::string>{prompt, "sh/users"}));
  EXPECT_FALSE(h.classifier.Busy());
  h.classifier.ClassifyLine("x");
  h.classifier.ClassifyLine(prompt);
  EXPECT_EQ(h.sent.size(), 1u);
  h.classifier.SetUsersRequested(false);  // the link went down and came back
  h.classifier.ClassifyLine("x");
  h.classifier.ClassifyLine(prompt);
  EXPECT_EQ(h.sent.size(), 2u);
  // A talk line from the node itself is not the prompt.
  h.classifier.ClassifyLine("Q1ABC de Q9NODE2: hi");
  EXPECT_EQ(h.sent.size(), 2u);
}

TEST(Classifier, UserListingCapturedUntilThePrompt) {
  RecordingHost h;
  h.classifier.ClassifyLine("User Q8OLD has logged in");
  h.classifier.ClassifyLine("Callsigns connected to Q9NODE");
  EXPECT_TRUE(h.classifier.UserListCapture());
  EXPECT_TRUE(h.users.Names().empty());
  h.classifier.ClassifyLine("Q2AA  Q3BB  q1cc");
  EXPECT_EQ(h.users.Names(), (std::vector<std::string>{"q1cc", "Q2AA", "Q3BB"}));
  h.classifier.ClassifyLine("Q4DD     Q5EE  Q1ABC de Q9NODE  6-Dec-2026 2215Z >");
  EXPECT_FALSE(h.classifier.UserListCapture());
  EXPECT_EQ(h.users.Names(), (std::vector<std::string>{"q1cc", "Q2AA", "Q3BB", "Q4DD", "Q5EE"}));
  h.classifier.ClassifyLine("Q6FF  Q7GG");
  EXPECT_EQ(h.users.Names().size(), 5u);
}

TEST(Classifier, UserListingEndsAtTheFirstLineThatIsNoUserRow) {
  RecordingHost h;
  h.classifier.ClassifyLine("Callsigns connected to Q9NODE");
  h.classifier.ClassifyLine("Q2AA         Q3BB-2       (Q4CC)");
  h.classifier.ClassifyLine(SpotLine("Q3DEF"));  // no prompt came
  EXPECT_FALSE(h.classifier.UserListCapture());
  h.classifier.ClassifyLine("Q5DD  Q6EE");
  EXPECT_EQ(h.users.Names(), (std::vector<std::string>{"Q2AA", "Q3BB-2", "Q4CC"}));
  EXPECT_EQ(h.lists.All()->Size(), 2);
}

TEST(Classifier, NotHereUsersListedByTheirCall) {
  RecordingHost h;
  h.classifier.ClassifyLine("Callsigns connected to Q9NODE");
  h.classifier.ClassifyLine("Q1ABC        (Q2XYZ)      (Q3DEF");
  EXPECT_EQ(h.users.Names(), (std::vector<std::string>{"(Q3DEF", "Q1ABC", "Q2XYZ"}));
  h.classifier.ClassifyLine("Q1ABC de Q9NODE  8-Dec-2026 2150Z dxspider >");
  h.classifier.ClassifyLine("User Q2XYZ has logged out");
  EXPECT_EQ(h.users.Names(), (std::vector<std::string>{"(Q3DEF", "Q1ABC"}));
}

TEST(Classifier, RelayOnlyWithTelnetOut) {
  RecordingHost h;
  h.classifier.ClassifyLine("*** Varnak started");
  h.classifier.ClassifyLine(SpotLine("Q3DEF"));
  EXPECT_TRUE(h.relayed.empty());
  h.telnetOut = 1;
  h.classifier.ClassifyLine(SpotLine("Q3XYZ") + "\a\a");
  h.classifier.ClassifyLine("*** Connected to node");
  EXPECT_EQ(h.relayed, (std::vector<std::string>{SpotLine("Q3XYZ"), "*** Connected to node"}));
}

TEST(Classifier, MonitoredFramesAssembledIntoLines) {
  RecordingHost h;
  h.telnet = 0;
  // Each frame text carries one byte more at its end than the line text.
  h.classifier.AddMonitorText("1:Fm Q3X To Q4Y <UI>:\r" + SpotLine("Q3DEF", "14025.0").substr(0, 20) + '\0');
  EXPECT_TRUE(h.monitor.empty());
  h.classifier.AddMonitorText(SpotLine("Q3DEF", "14025.0").substr(20) + "\r" + '\0');
  EXPECT_EQ(h.monitor, (std::vector<std::string>{"1:Fm Q3X To Q4Y <UI>:", SpotLine("Q3DEF")}));
  EXPECT_EQ(h.lists.List(ListIndexOfBand("20"))->rowCount(), 2);
  h.frozen = true;
  h.classifier.AddMonitorText(std::string(" a \rb\r\r", 7) + "x");
  EXPECT_EQ(h.held, "a\rb\r");  // no empty lines
  h.frozen = false;
  h.nodeConnected = true;
  const auto paneLines = h.pane.LineCount();
  h.classifier.AddMonitorText("c\rx");
  EXPECT_EQ(h.monitor.back(), "c");
  EXPECT_EQ(h.pane.LineCount(), paneLines);  // shown, not classified
}

TEST(Classifier, SearchFindsRowsAndPaneLines) {
  RecordingHost h;
  h.classifier.ClassifyLine(SpotLine("Q3DEF"));
  h.classifier.ClassifyLine("To ALL de Q2ABC: QSL via Q3DEF");
  SearchResultsModel results;
  SearchSpots(SearchMode::Dx, "q3def", *h.lists.All(), h.pane, results);
  EXPECT_EQ(results.Lines().size(), 1u);
  SearchSpots(SearchMode::Announce, "qsl", *h.lists.All(), h.pane, results);
  EXPECT_EQ(results.Lines().front(), "21:07:45: To ALL de Q2ABC: QSL via Q3DEF");
  SearchSpots(SearchMode::Announce, "nothing", *h.lists.All(), h.pane, results);
  EXPECT_EQ(results.Lines().front(), "\"nothing\" not found!");
}

TEST(Classifier, HostileInputNeverEscapes) {
  RecordingHost h;
  h.telnetOut = 1;
  const std::string odd[] = {std::string("\0\xff\0", 3), std::string(10240, 'x'), "      ", "DX de ",
                             "DX de :", "Callsigns connected", std::string(10000, ' ') + "  >", "User ",
                             "1.  X 1-2 >", "14025.0  Q3DEF  6Dec2026 2215Z up 2 <Q2ABC>"};
  for (const auto& line : odd) h.classifier.ClassifyLine(line);
  for (const auto& line : odd) h.classifier.ClassifyLine(line + "\n");
  for (int i = 0; i < kSpotListCount; ++i) EXPECT_GE(h.lists.List(i)->rowCount(), 1);
}

TEST(Classifier, PaneLinesCutAt2000Bytes) {
  RecordingHost h;
  h.classifier.ClassifyLine(std::string(70000, 'x'));
  EXPECT_EQ(h.PaneTexts().back().size(), kPaneLineLimit);
  std::string utf8 = std::string(1999, 'a') + "\xc3\xbc" "b";  // the cut falls inside the ü
  h.classifier.ClassifyLine(utf8);
  EXPECT_EQ(h.PaneTexts().back(), std::string(1999, 'a'));
  h.pane.SetLines({{std::string(5000, 'y'), pane_colour::kBlack}});  // an old all.rtf
  EXPECT_EQ(h.PaneTexts().back().size(), kPaneLineLimit);
}
