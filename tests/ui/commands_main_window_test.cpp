#include <QPlainTextEdit>
#include <QTest>
#include <gtest/gtest.h>

#include "app/win1252.h"
#include "support/temp_dir.h"
#include "ui/main_window.h"

using namespace varnak;

namespace {
struct Window {
  explicit Window(const std::filesystem::path& dir)
      : form(dir, std::make_shared<FixedClock>(DateTime{2026, 12, 7, 21, 7, 45})) {
    form.SendLineChecked = [this](const std::string& line) {
      sent.push_back(line);
      return true;
    };
    QObject::connect(&form.station().keepAlive(), &KeepAlive::stopped, [this] { keepAlive.push_back("stop"); });
    QObject::connect(&form.station().keepAlive(), &KeepAlive::started, [this] { keepAlive.push_back("start"); });
    new TEditButtonDlg(&form);  // registers itself and builds the bar
  }
  void Type(QLineEdit* edit, const QString& text) {
    edit->setText(text);
  }
  void Key(QWidget* w, Qt::Key key) { QTest::keyClick(w, key); }
  TForm1 form;
  std::vector<std::string> sent;
  std::vector<std::string> keepAlive;
};
}  // namespace

TEST(CommandsSendText, HistoryWalkWithUpAndDown) {
  test::TempDir dir;
  Window w(dir.path());
  QLineEdit* box = w.form.SendTextEdit;
  for (const char* t : {"a", "b", "c"}) {
    w.Type(box, t);
    w.Key(box, Qt::Key_Return);
  }
  EXPECT_EQ(w.sent, (std::vector<std::string>{"a", "b", "c"}));
  EXPECT_EQ(box->text(), "");
  QStringList seen;
  for (int i = 0; i < 4; ++i) {
    w.Key(box, Qt::Key_Up);
    seen << box->text();
  }
  EXPECT_EQ(seen, (QStringList{"c", "b", "a", ""}));
  seen.clear();
  for (int i = 0; i < 5; ++i) {
    w.Key(box, Qt::Key_Down);
    seen << box->text();
  }
  EXPECT_EQ(seen, (QStringList{"a", "b", "c", "", ""}));
  // The caret stands at the end of a recalled text.
  w.Key(box, Qt::Key_Up);
  EXPECT_EQ(box->cursorPosition(), 1);
  // Each send stops the keep-alive and starts it anew.
  EXPECT_EQ(w.keepAlive, (std::vector<std::string>{"stop", "start", "stop", "start", "stop", "start"}));
}

TEST(CommandsSendText, AfterTwentyFiveSendsOnlyTheLastNineteenAreReachable) {
  test::TempDir dir;
  Window w(dir.path());
  for (int i = 1; i <= 25; ++i) {
    w.Type(w.form.SendTextEdit, QString("cmd%1").arg(i));
    QTest::mouseClick(w.form.SendTextButton, Qt::LeftButton);
  }
  ASSERT_EQ(w.sent.size(), 25u);
  for (int i = 0; i < 19; ++i) w.Key(w.form.SendTextEdit, Qt::Key_Up);
  EXPECT_EQ(w.form.SendTextEdit->text(), "cmd7");
  w.Key(w.form.SendTextEdit, Qt::Key_Up);
  EXPECT_EQ(w.form.SendTextEdit->text(), "cmd7");
}

TEST(CommandsSendText, ARefusedLineKeepsTheBoxAndTheHistory) {
  test::TempDir dir;
  Window w(dir.path());
  bool linkUp = false;
  w.form.SendLineChecked = [&](const std::string& line) {
    if (linkUp) w.sent.push_back(line);
    return linkUp;
  };
  w.Type(w.form.SendTextEdit, "sh/dx");
  w.Key(w.form.SendTextEdit, Qt::Key_Return);
  EXPECT_EQ(w.form.SendTextEdit->text(), "sh/dx");
  EXPECT_EQ(w.form.History.Slot(19), "");
  EXPECT_EQ(w.keepAlive.back(), "start");  // the keep-alive is not left off

  w.Type(w.form.TalkCallEdit, "Q2XYZ");
  w.Type(w.form.TalkTextEdit, "hi");
  w.form.Button1Click();
  EXPECT_TRUE(w.form.station().talk().Lines().empty());
  EXPECT_EQ(w.form.TalkTextEdit->text(), "hi");

  linkUp = true;
  w.Key(w.form.SendTextEdit, Qt::Key_Return);
  EXPECT_EQ(w.sent, (std::vector<std::string>{"sh/dx"}));
  EXPECT_EQ(w.form.History.Slot(19), "sh/dx");
}

TEST(CommandsSpotAnnounceTalk, LinesAsTheNodeReceivesThem) {
  test::TempDir dir;
  Window w(dir.path());
  w.Type(w.form.DxCallEdit, "q3def");
  EXPECT_EQ(w.form.DxCallEdit->text(), "Q3DEF");  // callsign box holds upper case
  w.Type(w.form.DxQrgEdit, "14025.0");
  w.Type(w.form.DxInfoEdit, "up 2");
  w.Key(w.form.DxInfoEdit, Qt::Key_Return);  // Enter sends, as on the other pages
  // A sent spot leaves no old call for the radio's next frequency.
  EXPECT_EQ(w.form.DxCallEdit->text() + w.form.DxQrgEdit->text() + w.form.DxInfoEdit->text(), "");
  w.Type(w.form.DxCallEdit, "q9zz");
  QTest::mouseClick(w.form.ClearDxButton, Qt::LeftButton);
  EXPECT_EQ(w.form.DxCallEdit->text(), "");
  QTest::mouseClick(w.form.SendSpotButton, Qt::LeftButton);

  w.form.AnnounceAll->click();
  w.Type(w.form.AnnounceEdit, "QRV");
  w.Key(w.form.AnnounceEdit, Qt::Key_Return);
  EXPECT_EQ(w.form.AnnounceEdit->text(), "");
  w.form.AnnounceLocal->click();
  QTest::mouseClick(w.form.AnnounceButton, Qt::LeftButton);

  w.Type(w.form.TalkCallEdit, "Q2XYZ");
  w.Type(w.form.TalkTextEdit, "hi");
  w.Key(w.form.TalkTextEdit, Qt::Key_Return);
  EXPECT_EQ(w.form.TalkTextEdit->text(), "");
  EXPECT_EQ(w.form.TalkCallEdit->text(), "Q2XYZ");
  QTest::mouseClick(w.form.TalkButton, Qt::LeftButton);  // empty text: nothing

  EXPECT_EQ(w.sent, (std::vector<std::string>{"dx Q3DEF 14025.0 up 2", "dx   ", "ANN FULL QRV", "ANN ",
                                              "T Q2XYZ hi"}));
  ASSERT_EQ(w.form.station().talk().Lines().size(), 1u);
  EXPECT_EQ(w.form.station().talk().Lines().front(), "[12-07 21:07]-Q2XYZ de NOCALL: hi");
}

TEST(CommandsSpotMenu, LookupsOfASpotWithAPortablePrefix) {
  test::TempDir dir;
  Window w(dir.path());
  w.form.SendSpotLookup(SpotLookup::Showdx1, "QQ/Q3DEF", "Q3DEF");
  w.form.SendSpotLookup(SpotLookup::Showdxcc1, "QQ/Q3DEF", "Q3DEF");
  EXPECT_EQ(w.sent, (std::vector<std::string>{"sh/dx Q3DEF", "sh/dxcc QQ/Q3DEF"}));
}

TEST(CommandsUpdate, EmptiesTheUserListAndAsksTheNode) {
  test::TempDir dir;
  Window w(dir.path());
  w.form.station().users().Add("Q1ABC");
  w.form.VrDemoButton1->setEnabled(true);
  QTest::mouseClick(w.form.VrDemoButton1, Qt::LeftButton);
  EXPECT_TRUE(w.form.station().users().Names().empty());
  EXPECT_EQ(w.form.UserGrid->model()->headerData(0, Qt::Horizontal).toString(), "Local users");
  EXPECT_EQ(w.sent, (std::vector<std::string>{"sh/users"}));
}

TEST(CommandsPassword, AnswersTheSelectedChallenge) {
  test::TempDir dir;
  Window w(dir.path());
  auto* pane = qobject_cast<LinePaneView*>(w.form.RichEditAll);
  ClusterTextModel& lines = w.form.station().pane();
  for (const char* l : {"login: ok", "3 0", "one", "two", "three"}) lines.AddPaneLine(pane_colour::kBlack, l);
  pane->Sync();
  QTextCursor c = pane->document()->find("3 0");
  pane->setTextCursor(c);
  w.form.station().settings().Password = "pqrs";
  std::vector<int> draws = {2, 0, 1, 1, 61};  // fillers "12" after s, "Z" after p
  size_t next = 0;
  w.form.ChallengeRandom = [&](int, int) { return draws.at(next++); };

  QStringList items;
  for (QAction* a : w.form.RichPopup->actions()) items << a->text();
  EXPECT_EQ(items, (QStringList{"Copy         Ctrl-C", "Delete       Del", "Select all   Ctrl-A", "Send password"}));
  w.form.RichPopup->actions().at(3)->trigger();
  EXPECT_EQ(w.sent, (std::vector<std::string>{"s12pZ"}));

  // Nothing selected: an empty challenge sends an empty line.
  pane->moveCursor(QTextCursor::End);
  w.form.Sendpassword1Click();
  EXPECT_EQ(w.sent.back(), "");

  // Delete takes the selection out of the pane's lines, which are what is saved.
  pane->setTextCursor(pane->document()->find("login: "));
  w.form.RichPopup->actions().at(1)->trigger();
  c = pane->document()->find("ne");  // from "o|ne" over the line break to "t|wo"
  c.setPosition(pane->document()->find("wo").selectionStart(), QTextCursor::KeepAnchor);
  pane->setTextCursor(c);
  w.form.RichPopup->actions().at(1)->trigger();
  EXPECT_EQ(lines.Texts(), (std::vector<std::string>{"ok", "3 0", "owo", "three"}));
  EXPECT_EQ(pane->toPlainText(), "ok\n3 0\nowo\nthree");
}

TEST(CommandsUserButtons, DefaultBarGeometryAndClicksReadTheTableNow) {
  test::TempDir dir;
  Window w(dir.path());
  EXPECT_EQ(dir.Read("buttons.cfg"), "WCY\tsh/wcy\r\nWWY\tsh/wwv\r\nWHO\twho\r\nSH/C\tsh/c\r\n");
  ASSERT_EQ(w.form.UserButtons.size(), 4u);
  // Edge to edge from 1, 6 pixels a letter and 20 more, or wider where the font needs it.
  int left = 1;
  for (auto* b : w.form.UserButtons) {
    EXPECT_EQ(b->geometry().topLeft(), QPoint(left, 1));
    EXPECT_EQ(b->height(), 22);
    EXPECT_GE(b->width(), std::max<int>(6 * b->text().size() + 20, b->fontMetrics().horizontalAdvance(b->text()) + 8));
    left += b->width();
  }
  EXPECT_EQ(w.form.UserButtons[3]->text(), "SH/C");
  EXPECT_EQ(w.form.UserButtons[3]->toolTip(), "sh/c");

  QTest::mouseClick(w.form.UserButtons[1], Qt::LeftButton);
  // An edit not yet saved: the bar keeps its caption, the click sends the new command.
  w.form.EditButtonDlg->SortGrid1->item(1, 1)->setText("sh/wwv 5");
  w.form.EditButtonDlg->SortGrid1->item(1, 0)->setText("WWV");
  QTest::mouseClick(w.form.UserButtons[1], Qt::LeftButton);
  EXPECT_EQ(w.form.UserButtons[1]->text(), "WWY");
  EXPECT_EQ(w.sent, (std::vector<std::string>{"sh/wwv", "sh/wwv 5"}));
}
