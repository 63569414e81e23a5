// The running program against a scripted cluster node on loopback: connect, log in by
// itself, spots into the lists, announcements in colour, users, sends, the relay, and
// everything back after a restart.
#include <QApplication>
#include <QMessageBox>
#include <QTcpServer>
#include <QTcpSocket>
#include <algorithm>
#include <QTest>
#include <gtest/gtest.h>

#include "app/list_files.h"
#include "core/text.h"
#include "support/box_closer.h"
#include "support/scripted_node.h"
#include "support/temp_dir.h"
#include "support/wait_until.h"
#include "telnet/relay_server.h"
#include "ui/main_window.h"

using namespace varnak;

namespace {

struct Program {
  Program(const std::filesystem::path& dir)
      : form(dir, std::make_shared<FixedClock>(DateTime{2026, 12, 7, 21, 7, 45})) {
    form.EditButtonDlg = new TEditButtonDlg(&form);
    form.Callsign = new TCallsign(form.station().ProgramDir(), &form);
    form.station().ShutdownWaitMs = 0;
    form.desktopWidth = [] { return 1024; };
    form.show();
    form.CreateSecondaryWindows();
  }
  TForm1 form;
};

// "OutTelnetPort=N" with a port nothing listens on now.
std::string FreeRelayPort() {
  QTcpServer probe;
  if (!probe.listen(QHostAddress::LocalHost, 0)) return "OutTelnetPort=2373";
  return "OutTelnetPort=" + std::to_string(probe.serverPort());
}

// A station on Telnet with the relay on a free port, folder and working directory.
struct TelnetStation {
  explicit TelnetStation(quint16 nodePort) {
    dir.Write("Varnak.ini",
              "[AGWlink]\r\nMyCall=Q1ABC\r\nMyLocator=JO57XQ\r\nConnectCall=Q9NODE\r\nSound=0\r\n"
              "[TelnetLink]\r\nTelnet=1\r\nTelnetOut=1\r\nTelnetDbPos=117\r\n[AGWlink]\r\n" +
                  FreeRelayPort() + "\r\n");
    dir.Write("telnet.cfg", "No\tCall\tA\tB\tHost\tPort\r\n117\tQ9NODE\tx\ty\t127.0.0.1\t" +
                                std::to_string(nodePort) + "\r\n");
    std::filesystem::copy_file(std::filesystem::path(VARNAK_DATA_DIR) / "help.txt", dir / "help.txt");
    old = QDir::currentPath();
    QDir::setCurrent(QString::fromStdString(dir.path().string()));
  }
  ~TelnetStation() { QDir::setCurrent(old); }
  test::TempDir dir;
  QString old;
};

std::vector<std::string> Rows(TForm1& form, int list) { return form.station().lists().List(list)->Rows(); }

bool HasRowContaining(TForm1& form, int list, const std::string& part) {
  for (const auto& r : Rows(form, list))
    if (r.find(part) != std::string::npos) return true;
  return false;
}

}  // namespace

TEST(TelnetSession, LogsInFilesSpotsRelaysAndKeepsEverythingOverARestart) {
  test::ScriptedNode node;
  node.AddUser("Q1ABC", "secret");
  test::TempDir dir;
  std::filesystem::copy_file(std::filesystem::path(VARNAK_DATA_DIR) / "prefix.lst", dir / "prefix.lst");
  dir.Write("Varnak.ini",
            "[AGWlink]\r\nMyCall=Q1ABC\r\nMyLocator=JO57XQ\r\nConnectCall=Q9NODE\r\nSound=0\r\n"
            "[TelnetLink]\r\nTelnet=1\r\nTelnetOut=1\r\nTelnetDbPos=117\r\n[AGWlink]\r\n" +
                  FreeRelayPort() + "\r\n");
  dir.Write("telnet.cfg", "No\tCall\tA\tB\tHost\tPort\r\n117\tQ9NODE\tx\ty\t127.0.0.1\t" +
                              std::to_string(node.port()) + "\r\n");
  QString old = QDir::currentPath();
  QDir::setCurrent(QString::fromStdString(dir.path().string()));
  ASSERT_TRUE(WritePasswordFile(dir / "Q9NODE.pw", "secret"));
  {
    Program p(dir.path());
    TForm1& f = p.form;
    WAIT_TRUE(!f.Edit3->text().isEmpty(), 3000);
    EXPECT_TRUE(f.windowTitle().endsWith(" - Telnet - 127.0.0.1"));
    ASSERT_TRUE(f.station().Relay().IsListening());

    QTcpSocket relayClient;
    relayClient.connectToHost("127.0.0.1", f.station().Relay().Port());
    WAIT_TRUE(f.station().Relay().ClientCount() == 1, 3000);

    QTest::mouseClick(f.VrConnect, Qt::LeftButton);
    WAIT_TRUE(node.LoggedIn() == "Q1ABC", 5000);
    // The first prompt asks for the users once; the listing fills the user list.
    WAIT_TRUE(node.Commands().contains("sh/users"), 3000);
    WAIT_TRUE(f.station().users().Names().size() == 7, 3000);
    EXPECT_EQ(f.station().users().Names()[1], "Q2XYZ");  // listed "(Q2XYZ)", not here
    EXPECT_TRUE(f.VrDisconnect->isVisible() || !f.VrConnect->isVisible());

    node.Send(test::ScriptedNode::Spot("Q2XYZ", "14025.0", "DL1ABC", "test spot", "2153Z"));
    node.Send("To ALL de Q2XYZ: hello\a\a\r\nWWV de Q7PQR <21>:   SFI=150, A=5, K=2\r\n");
    node.Send("Q1ABC de Q3DEF: are you there?\r\n");
    WAIT_TRUE(HasRowContaining(f, ListIndexOfBand("20"), "DX de Q2XYZ:     14025.0  DL1ABC"), 3000);
    EXPECT_TRUE(HasRowContaining(f, 0, "DL1ABC       test spot"));
    WAIT_TRUE(f.Label2->text().startsWith("DL1ABC"), 3000);  // shown at most 25 times a second
    WAIT_TRUE(!f.station().talk().Lines().empty(), 3000);
    EXPECT_EQ(f.station().talk().Lines().back(), "[12-07 21:07] Q1ABC de Q3DEF: are you there?");

    bool red = false, green = false;
    for (const auto& l : f.station().pane().Lines()) {
      if (l.text == "21:07:45: To ALL de Q2XYZ: hello") red = l.colour == qRgb(255, 0, 0);
      if (l.text.rfind("21:07:45: WWV de Q7PQR", 0) == 0) green = l.colour == qRgb(0, 128, 0);
    }
    EXPECT_TRUE(red);
    EXPECT_TRUE(green);

    // Typed commands reach the node byte for byte; the relay client's too. The listing
    // holds the live spot again, one blank after the frequency as DX Spider writes it.
    node.SetAnswer("sh/dx 5", "  14025.0 DL1ABC        7-Dec-2026 2153Z test spot            <Q2XYZ>\r\n"
                              "  14195.0 VE3BAA        7-Dec-2026 2150Z                      <Q3DEF>\r\n");
    f.SendTextEdit->setText("sh/dx 5");
    QTest::mouseClick(f.SendTextButton, Qt::LeftButton);
    WAIT_TRUE(node.Received().endsWith("sh/dx 5\r\n"), 3000);
    WAIT_TRUE(HasRowContaining(f, ListIndexOfBand("20"), "14195.0  VE3BAA"), 3000);
    const auto rows = Rows(f, ListIndexOfBand("20"));
    EXPECT_EQ(std::count_if(rows.begin(), rows.end(), [](const auto& r) { return Contains(r, "DL1ABC"); }), 1);
    f.DxCallEdit->setText("Q3DEF");
    f.DxQrgEdit->setText("14025.0");
    f.DxInfoEdit->setText("up 2");
    QTest::mouseClick(f.SendSpotButton, Qt::LeftButton);
    WAIT_TRUE(node.Received().endsWith("dx Q3DEF 14025.0 up 2\r\n"), 3000);
    f.AnnounceAll->click();
    f.AnnounceEdit->setText("QRV 20m");
    QTest::mouseClick(f.AnnounceButton, Qt::LeftButton);
    WAIT_TRUE(node.Received().endsWith("ANN FULL QRV 20m\r\n"), 3000);
    f.TalkCallEdit->setText("Q2XYZ");
    f.TalkTextEdit->setText(QString::fromLatin1("hi \xe4"));  // Windows-1252 on the wire
    QTest::mouseClick(f.TalkButton, Qt::LeftButton);
    WAIT_TRUE(node.Received().endsWith("T Q2XYZ hi \xe4\r\n"), 3000);
    relayClient.write("sh/wwv\r\n");
    WAIT_TRUE(node.Commands().contains("sh/wwv"), 3000);
    QByteArray relayed;
    WAIT_TRUE((relayed += relayClient.readAll()).contains("To ALL de Q2XYZ: hello\r\n"), 3000);
    EXPECT_TRUE(relayed.contains("DX de Q2XYZ:     14025.0  DL1ABC"));
    EXPECT_EQ(node.Commands().count("sh/users"), 1);

    QTest::mouseClick(f.VrDisconnect, Qt::LeftButton);
    WAIT_TRUE(f.VrConnect->isVisibleTo(&f), 3000);
    f.close();
  }
  EXPECT_NE(dir.Read("20.dxc").find("DL1ABC"), std::string::npos);
  {
    Program p(dir.path());
    EXPECT_TRUE(HasRowContaining(p.form, ListIndexOfBand("20"), "DL1ABC"));
    bool red = false;
    for (const auto& l : p.form.station().pane().Lines())
      if (l.text == "21:07:45: To ALL de Q2XYZ: hello") red = l.colour == qRgb(255, 0, 0);
    EXPECT_TRUE(red);
    EXPECT_FALSE(p.form.station().talk().Lines().empty());
    p.form.close();
  }
  QDir::setCurrent(old);
}

// Other users' text holds the words too: only the node's own prompts, before its first
// command prompt, get the call and the password.
TEST(TelnetSession, AnswersLoginPromptsOnlyWhileLoggingIn) {
  test::ScriptedNode node;
  node.AddUser("Q1ABC", "secret");
  test::TempDir dir;
  std::filesystem::copy_file(std::filesystem::path(VARNAK_DATA_DIR) / "prefix.lst", dir / "prefix.lst");
  dir.Write("Varnak.ini", "[AGWlink]\r\nMyCall=Q1ABC\r\nMyLocator=JO57XQ\r\nConnectCall=Q9NODE\r\nSound=0\r\n"
                          "[TelnetLink]\r\nTelnet=1\r\nTelnetOut=0\r\nTelnetDbPos=117\r\n");
  dir.Write("telnet.cfg", "No\tCall\tA\tB\tHost\tPort\r\n117\tQ9NODE\tx\ty\t127.0.0.1\t" +
                              std::to_string(node.port()) + "\r\n");
  QString old = QDir::currentPath();
  QDir::setCurrent(QString::fromStdString(dir.path().string()));
  ASSERT_TRUE(WritePasswordFile(dir / "Q9NODE.pw", "secret"));
  {
    Program p(dir.path());
    TForm1& f = p.form;
    WAIT_TRUE(!f.Edit3->text().isEmpty(), 3000);
    const auto promptsInPane = [&] {
      int n = 0;
      for (const auto& l : f.station().pane().Lines()) n += l.text == "login:";
      return n;
    };
    // Prompts without a line end, as DX Spider sends them, then with one.
    for (const QByteArray& end : {QByteArray(), QByteArray("\r\n")}) {
      node.SetPromptLineEnd(end);
      const int before = node.Commands().count("sh/users");
      QTest::mouseClick(f.VrConnect, Qt::LeftButton);
      WAIT_TRUE(node.Commands().count("sh/users") == before + 1, 5000);
      node.Send("To LOCAL de Q2XYZ: is the password:\a\a\r\nQ1ABC de Q3DEF: login:\r\nlogin: ");
      WAIT_TRUE(promptsInPane() == 2 * before + 2, 3000);  // the last line is in
      f.station().SendLine("sh/time");  // anything leaked would arrive before it
      WAIT_TRUE(node.Commands().endsWith("sh/time"), 3000);
      QTest::mouseClick(f.VrDisconnect, Qt::LeftButton);
      WAIT_TRUE(f.VrConnect->isVisibleTo(&f), 3000);
    }
    EXPECT_EQ(node.Commands(), (QStringList{"sh/users", "sh/time", "sh/users", "sh/time"}));
    EXPECT_EQ(node.Received().count("Q1ABC\r\n"), 2);
    EXPECT_EQ(node.Received().count("secret\r\n"), 2);
    f.close();
  }
  QDir::setCurrent(old);
}

TEST(TelnetSession, AFreezeHoldsTheClickedSpotWhileSpotsKeepComing) {
  test::ScriptedNode node;
  test::TempDir dir;
  std::filesystem::copy_file(std::filesystem::path(VARNAK_DATA_DIR) / "prefix.lst", dir / "prefix.lst");
  dir.Write("Varnak.ini", "[AGWlink]\r\nMyCall=Q1ABC\r\nMyLocator=JO57XQ\r\nConnectCall=Q9NODE\r\nSound=0\r\n");
  dir.Write("telnet.cfg", "No\tCall\tA\tB\tHost\tPort\r\n117\tQ9NODE\tx\ty\t127.0.0.1\t" +
                              std::to_string(node.port()) + "\r\n");
  QString old = QDir::currentPath();
  QDir::setCurrent(QString::fromStdString(dir.path().string()));
  Program p(dir.path());
  TForm1& f = p.form;
  WAIT_TRUE(f.station().StartupDone(), 3000);
  QTest::mouseClick(f.VrConnect, Qt::LeftButton);
  WAIT_TRUE(node.LoggedIn() == "Q1ABC", 5000);

  SpotListView* all = f.SpotGrids[0];
  const auto shown = [&] { return all->model()->rowCount() == static_cast<int>(Rows(f, 0).size()); };
  node.Send(test::ScriptedNode::Spot("Q2XYZ", "14025.0", "DL1ABC", "first", "2153Z"));
  node.Send(test::ScriptedNode::Spot("Q2XYZ", "7025.0", "JA1XYZ", "second", "2154Z"));
  WAIT_TRUE(HasRowContaining(f, 0, "JA1XYZ") && shown(), 3000);
  const int clicked = all->model()->rowCount() - 2;  // the DL1ABC row
  QTest::mousePress(all->viewport(), Qt::LeftButton, {}, all->visualRect(all->model()->index(clicked, 0)).center());
  ASSERT_TRUE(f.station().freeze().Frozen());
  const QString lookup = f.Label2->text();
  ASSERT_TRUE(lookup.startsWith("DL1ABC = DL")) << lookup.toStdString();

  for (int i = 0; i < 4; ++i)
    node.Send(test::ScriptedNode::Spot("Q2XYZ", "21025.0", QString("VK%1ABC").arg(i + 2), "more", "2155Z"));
  WAIT_TRUE(HasRowContaining(f, 0, "VK5ABC") && shown(), 3000);  // still filed
  EXPECT_TRUE(HasRowContaining(f, ListIndexOfBand("15"), "VK5ABC"));  // 15 m
  all->Sync();  // whatever the view has yet to take in, it takes now
  EXPECT_EQ(all->currentIndex().row(), clicked);
  EXPECT_EQ(f.Label2->text(), lookup);
  EXPECT_EQ(f.station().CurrentSpot.SpotCall, "DL1ABC");
  EXPECT_EQ(f.SpotMenuItems[Showdx1]->text(), "SHOW/DX DL1ABC");
  f.SpotMenuItems[Showdx1]->trigger();  // the command names the spot the menu shows
  WAIT_TRUE(node.Commands().contains("sh/dx DL1ABC"), 3000);

  // The send ends the freeze soon; then the view catches up with the newest spot.
  WAIT_TRUE(!f.station().freeze().Frozen(), 3000);
  WAIT_EQ(all->currentIndex().row(), all->model()->rowCount() - 1, 3000);
  EXPECT_EQ(f.station().CurrentSpot.SpotCall, "VK5ABC");
  WAIT_TRUE(f.Label2->text().startsWith("VK5ABC"), 3000);
  WAIT_EQ(f.SpotMenuItems[Showdx1]->text(), "SHOW/DX VK5ABC", 3000);

  // The arrow keys present a row as a click does, without a freeze.
  all->setFocus();
  QTest::keyClick(all, Qt::Key_Up);
  EXPECT_FALSE(f.station().freeze().Frozen());
  EXPECT_TRUE(f.Label2->text().startsWith("VK4ABC")) << f.Label2->text().toStdString();
  EXPECT_EQ(f.SpotMenuItems[Showdx1]->text(), "SHOW/DX VK4ABC");
  f.close();
  QDir::setCurrent(old);
}

// Nobody at the window asked for what a relay client sends while no link is up: its
// lines get a pane line, never a box.
TEST(TelnetSession, RelayClientLinesWhileDownGiveAPaneLineNotABox) {
  test::ScriptedNode node;
  TelnetStation station(node.port());
  Program p(station.dir.path());
  TForm1& f = p.form;
  WAIT_TRUE(f.station().Relay().IsListening(), 3000);
  test::BoxCloser boxes;

  QTcpSocket client;
  client.connectToHost("127.0.0.1", f.station().Relay().Port());
  WAIT_TRUE(f.station().Relay().ClientCount() == 1, 3000);
  client.write("sh/dx\r\n");
  const std::string line = "*** Line from the relay client not sent: Connection Closed Gracefully.";
  WAIT_EQ(f.station().pane().Texts().back(), line, 3000);
  QTest::qWait(100);
  EXPECT_EQ(boxes.Seen(), 0) << boxes.Texts().join("|").toStdString();

  // Once logged in, its lines reach the node.
  QTest::mouseClick(f.VrConnect, Qt::LeftButton);
  WAIT_TRUE(!node.LoggedIn().isEmpty(), 5000);
  client.write("sh/wwv\r\n");
  WAIT_TRUE(node.Commands().contains("sh/wwv"), 3000);
  EXPECT_EQ(boxes.Seen(), 0);
  f.close();
}

// "login: " and at once the close: no reply to a link that is gone, no box, and the
// status follows the link down and counts down to the next try, which "Disconnect" stops.
TEST(TelnetSession, NodeClosingRightAfterItsPromptGivesNoBox) {
  test::ScriptedNode node;
  QObject::connect(&node, &test::ScriptedNode::ClientConnected, &node, [&] { node.CloseClient(); });
  TelnetStation station(node.port());
  Program p(station.dir.path());
  TForm1& f = p.form;
  WAIT_TRUE(!f.Edit3->text().isEmpty(), 3000);
  test::BoxCloser boxes;
  QTest::mouseClick(f.VrConnect, Qt::LeftButton);
  WAIT_TRUE(f.StatLabel->text() == "Reconnecting in 5 s", 5000);
  QTest::qWait(100);
  EXPECT_TRUE(boxes.Texts().isEmpty()) << boxes.Texts().join("|").toStdString();
  EXPECT_TRUE(f.VrDisconnect->isVisibleTo(&f));
  EXPECT_FALSE(f.VrDemoButton1->isEnabled());
  const auto& lines = f.station().pane().Lines();
  EXPECT_EQ(lines[lines.size() - 2].text, "*** Disconnected from 127.0.0.1");
  EXPECT_EQ(lines.back().text, "*** Link to 127.0.0.1 lost at 21:07:45, next try in 5 s");
  QTest::mouseClick(f.VrDisconnect, Qt::LeftButton);
  EXPECT_TRUE(f.VrConnect->isVisibleTo(&f));
  EXPECT_EQ(f.StatLabel->text(), "Disconnected from 127.0.0.1");
  f.close();
}

// The reason of a failed connect is in the pane; the status does not stay on "Trying".
TEST(TelnetSession, FailedConnectSaysWhyAndStatusGoesBack) {
  quint16 port = 0;
  {
    QTcpServer probe;
    ASSERT_TRUE(probe.listen(QHostAddress::LocalHost, 0));
    port = probe.serverPort();
  }
  TelnetStation station(port);
  Program p(station.dir.path());
  TForm1& f = p.form;
  WAIT_TRUE(!f.Edit3->text().isEmpty(), 3000);
  test::BoxCloser boxes;
  QTest::mouseClick(f.VrConnect, Qt::LeftButton);
  WAIT_EQ(boxes.Seen(), 1, 5000);
  EXPECT_EQ(boxes.Texts()[0], "No connection to \"127.0.0.1\"\r\nAre you online?");
  EXPECT_EQ(f.station().pane().Lines().back().text,
            "*** Connect to 127.0.0.1:" + std::to_string(port) + " failed: connection refused");
  EXPECT_EQ(f.StatLabel->text(), "Disconnected");
  f.close();
}

// Enter that closes a box, or saves the setup dialog, is released over a send box: the
// release must not send again.
TEST(TelnetSession, EnterClosingABoxDoesNotSendAgain) {
  test::ScriptedNode node;
  TelnetStation station(node.port());
  Program p(station.dir.path());
  TForm1& f = p.form;
  WAIT_TRUE(!f.Edit3->text().isEmpty(), 3000);
  f.activateWindow();
  WAIT_TRUE(f.isActiveWindow(), 3000);
  test::BoxCloser boxes;
  boxes.close = [&](QMessageBox* box) {
    if (boxes.Seen() <= 3) test::CloseWithEnter(box);  // a few rounds show the loop, if any
    else box->accept();
  };
  for (QLineEdit* edit : {f.SendTextEdit, f.AnnounceEdit, f.TalkTextEdit}) {
    f.TabbedNotebook2->setCurrentIndex(edit == f.SendTextEdit ? 0 : edit == f.AnnounceEdit ? 2 : 3);
    f.TalkCallEdit->setText("Q2XYZ");
    edit->setFocus();
    edit->setText("hello");
    const int before = boxes.Seen();
    QTest::keyClick(edit, Qt::Key_Return);
    WAIT_TRUE(boxes.Seen() > before && boxes.OpenCount() == 0, 5000);
    QTest::qWait(100);
    EXPECT_EQ(boxes.Seen(), before + 1) << edit->objectName().toStdString();
    EXPECT_EQ(edit->text(), "hello");  // refused, so kept
  }

  // Saving the setup dialog with Enter leaves no box behind either.
  f.TabbedNotebook2->setCurrentIndex(0);
  f.ShowSetupDialog();
  WAIT_TRUE(f.SetupDlg->isActiveWindow(), 3000);
  const int before = boxes.Seen();
  {
    QTcpServer probe;  // a free port for the relay that Save opens again
    ASSERT_TRUE(probe.listen(QHostAddress::LocalHost, 0));
    f.SetupDlg->Edit6->setText(QString::number(probe.serverPort()));
  }
  f.SetupDlg->Edit1->setFocus();
  QTest::keyPress(f.SetupDlg->Edit1, Qt::Key_Return);
  EXPECT_FALSE(f.SetupDlg->isVisible());
  f.activateWindow();  // what the window manager does
  WAIT_TRUE(f.isActiveWindow(), 3000);
  ASSERT_EQ(QApplication::focusWidget(), f.SendTextEdit);
  QTest::keyRelease(f.SendTextEdit, Qt::Key_Return);
  QTest::qWait(100);
  EXPECT_EQ(boxes.Seen(), before) << boxes.Texts().join("|").toStdString();
  f.close();
}
