#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QHeaderView>
#include <QTest>
#include <algorithm>
#include <gtest/gtest.h>

#include "agw/packet_cluster_link.h"
#include "core/ini_file.h"
#include "telnet/telnet_cluster_link.h"
#include "support/temp_dir.h"
#include "support/wait_until.h"
#include "ui/main_window.h"

using namespace varnak;

namespace {
const char* kTable =
    "No\tCall\tSoftware\tLocation\tHost\tPort\r\n"
    "110\tQ9AAA\tDX Spider\tNorth\taaa.example\t8000\r\n"
    "117\tq9bbb\tDX Spider\tSouth\tbbb.example\t23\r\n"
    "112\tQ9CCC-2\tAR\tEast\tccc.example\t7300\r\n";

// Links that only note what was asked of them.
struct RecordingTelnet : TelnetClusterLink {
  RecordingTelnet(const LinkSettings& s, std::vector<std::string>& calls) : TelnetClusterLink(s), calls(calls) {}
  void Close() override { calls.push_back("DisconnectTelnet"); }
  void Disconnect() override { calls.push_back("DisconnectAction"); }
  std::vector<std::string>& calls;
};
struct RecordingPacket : PacketClusterLink {
  RecordingPacket(const LinkSettings& s, const std::string& folder, std::vector<std::string>& calls)
      : PacketClusterLink(s, folder), settings(s), calls(calls) {}
  void Open() override { calls.push_back("OpenEngine " + settings.AGWhost() + ":" + settings.AGWport()); }
  void Close() override { calls.push_back("CloseEngine"); }
  void Disconnect() override { calls.push_back("DisconnectAction"); }
  const LinkSettings& settings;
  std::vector<std::string>& calls;
};
struct RecordingLinks : LinkFactory {
  explicit RecordingLinks(std::vector<std::string>& calls) : calls(calls) {}
  std::unique_ptr<ClusterLink> Make(LinkKind kind, const LinkSettings& s, const std::string& folder) const override {
    if (kind == LinkKind::Telnet) return std::make_unique<RecordingTelnet>(s, calls);
    return std::make_unique<RecordingPacket>(s, folder, calls);
  }
  std::vector<std::string>& calls;
};

// A station folder that is also the working directory, as at program start.
struct SetupRig {
  SetupRig(const std::string& ini, const std::string& table) {
    old = QDir::currentPath();
    QDir::setCurrent(QString::fromStdString(dir.path().string()));
    dir.Write("Varnak.ini", ini);
    if (!table.empty()) dir.Write("telnet.cfg", table);
    form = std::make_unique<TForm1>(dir.path(), std::make_shared<FixedClock>(DateTime{2026, 12, 7, 21, 7, 45}));
    SetupRig& self = *this;
    auto& st = form->station();
    st.UseLinks(RecordingLinks(calls));
    dlg = new TSetupDlg(st, form.get());
    dlg->informationBox = [&self](const QString& t) { self.messages << t; };
    dlg->errorBox = [&self](const QString& t) { self.messages << t; };
    dlg->confirmBox = [&self](const QString& t) {
      self.messages << t;
      return self.answerYes;
    };
  }
  ~SetupRig() {
    form.reset();
    QDir::setCurrent(old);
  }
  QStringList Column(int c) const {
    QStringList out;
    for (int r = 0; r < dlg->TelnetGrid->rowCount(); ++r) out << dlg->TelnetGrid->item(r, c)->text();
    return out;
  }
  void ClickRow(int row) {
    QRect cell = dlg->TelnetGrid->visualRect(dlg->TelnetGrid->model()->index(row, 1));
    QTest::mouseClick(dlg->TelnetGrid->viewport(), Qt::LeftButton, {}, cell.center());
  }

  test::TempDir dir;
  QString old;
  std::unique_ptr<TForm1> form;
  TSetupDlg* dlg = nullptr;
  std::vector<std::string> calls;
  QStringList messages;
  bool answerYes = false;
};

const char* kPacketIni =
    "[AGWlink]\r\nMyCall=Q1ABC\r\nMyLocator=JO57XQ\r\nConnectCall=Q9AAA\r\n"
    "[TelnetLink]\r\nTelnet=0\r\nTelnetDbPos=117\r\n";
}  // namespace

TEST(SetupDialog, ActivationFillsFieldsAndEnablesByLinkKind) {
  SetupRig s(kPacketIni, kTable);
  s.dlg->show();
  EXPECT_EQ(s.dlg->Edit1->text(), "Q1ABC");
  EXPECT_EQ(s.dlg->Edit2->text(), "Q9AAA");
  EXPECT_EQ(s.dlg->ConnectGroup->ItemIndex(), 0);
  EXPECT_EQ(s.dlg->ClearDxGroup->ItemIndex(), 1);  // ClearDx false: "Save DX-list?" Yes
  EXPECT_TRUE(s.dlg->Edit3->isEnabled());
  EXPECT_FALSE(s.dlg->TelnetGrid->isEnabled());
  EXPECT_FALSE(s.dlg->Edit12->isEnabled());  // the group's click handler ran
  EXPECT_FALSE(s.dlg->Edit6->isEnabled());
  EXPECT_TRUE(s.dlg->TelnetGrid->isColumnHidden(0));
  EXPECT_EQ(s.dlg->TelnetGrid->columnWidth(4), 180);
  // The row numbered TelnetDbPos is the selected cluster.
  EXPECT_EQ(s.dlg->TelnetGrid->currentRow(), 1);
  EXPECT_EQ(s.dlg->EditName->text(), "q9bbb");
  EXPECT_EQ(s.dlg->EditPort->text(), "23");

  s.dlg->ConnectGroup->Item(1)->click();
  EXPECT_FALSE(s.dlg->Edit3->isEnabled());
  EXPECT_TRUE(s.dlg->TelnetGrid->isEnabled());
  EXPECT_TRUE(s.dlg->Edit12->isEnabled());
  s.dlg->TelnetOutGroup->Item(1)->click();
  EXPECT_TRUE(s.dlg->Edit6->isEnabled());
  EXPECT_TRUE(s.dlg->EditBind->isEnabled());
  EXPECT_TRUE(s.messages.isEmpty()) << s.messages.join("|").toStdString();
}

TEST(SetupDialog, SaveSwitchesToTelnetAndRunsStartUpAgain) {
  SetupRig s(kPacketIni, kTable);
  s.form->show();
  ASSERT_TRUE(QTest::qWaitFor([&] { return !s.form->Edit3->text().isEmpty(); }, 2000));
  EXPECT_TRUE(s.form->windowTitle().endsWith(" - AGW Packet Engine"));
  s.calls.clear();

  s.dlg->show();
  s.dlg->ConnectGroup->Item(1)->click();
  s.ClickRow(2);  // Q9CCC-2 on ccc.example:7300, no password file
  EXPECT_EQ(s.dlg->Edit2->text(), "Q9CCC-2");
  EXPECT_EQ(s.dlg->EditHost->text(), "ccc.example");
  EXPECT_EQ(s.dlg->Edit12->text(), "");
  s.dlg->Edit12->setText("secret");
  EXPECT_EQ(s.dlg->ReconnectGroup->ItemIndex(), 1);
  s.dlg->ReconnectGroup->Item(0)->click();
  QTest::mouseClick(s.dlg->OKBtn, Qt::LeftButton);

  EXPECT_TRUE(s.messages.isEmpty()) << s.messages.join("|").toStdString();
  EXPECT_FALSE(s.dlg->isVisible());
  // The packet link in force before the change is the one closed.
  EXPECT_EQ(s.calls, (std::vector<std::string>{"CloseEngine"}));
  const Settings& st = s.form->station().settings();
  EXPECT_EQ(st.Telnet, 1);
  EXPECT_EQ(st.TelnetDbPos, 112);
  EXPECT_EQ(st.ClusterHost, "ccc.example");
  EXPECT_EQ(st.ClusterPort, 7300);
  EXPECT_EQ(st.Password, "secret");
  EXPECT_TRUE(s.form->windowTitle().endsWith(" - Telnet - ccc.example")) << s.form->windowTitle().toStdString();
  EXPECT_EQ(s.form->Edit3->text(), "Q9CCC-2");
  IniFile ini;
  ini.Load(s.dir / "Varnak.ini");
  EXPECT_EQ(ini.ReadInteger("TelnetLink", "Telnet", -1), 1);
  EXPECT_EQ(ini.ReadInteger("TelnetLink", "TelnetDbPos", -1), 112);
  EXPECT_EQ(ini.ReadString("AGWlink", "ConnectCall", ""), "Q9CCC-2");
  EXPECT_EQ(ini.ReadInteger("Misc", "Reconnect", -1), 0);
  EXPECT_EQ(ReadPasswordFile(s.dir / "Q9CCC-2.pw"), "secret");
  EXPECT_EQ(s.dir.Read("telnet.cfg"), kTable);
}

TEST(SetupDialog, PlaceholdersAndBadNumbersStopSaveWithoutHalfWrittenFiles) {
  const std::string ini = std::string(kPacketIni) + "[Font]\r\nSize=10\r\n";
  SetupRig s(ini, kTable);
  s.dlg->show();
  s.dlg->Edit1->setText("NOCALL");
  QTest::mouseClick(s.dlg->OKBtn, Qt::LeftButton);
  EXPECT_EQ(s.messages, QStringList{"Your callsign in the MyCall field please!"});
  EXPECT_TRUE(s.calls.empty());
  s.dlg->Edit1->setText("Q1NEW");
  s.dlg->Edit7->setText("AA00AA");
  EXPECT_FALSE(s.dlg->OKBtnClick());
  EXPECT_EQ(s.messages.last(), "Your locator in the MyLocator field please!");
  s.dlg->Edit7->setText("JO57XQ");

  s.messages.clear();
  s.dlg->Edit5->setText("one");
  EXPECT_FALSE(s.dlg->OKBtnClick());
  EXPECT_EQ(s.messages, QStringList{"'one' is not a valid integer value"});
  EXPECT_TRUE(s.dlg->isVisible());
  EXPECT_EQ(s.calls, (std::vector<std::string>{"CloseEngine"}));  // links stay closed
  EXPECT_EQ(s.form->station().settings().MyCall, "Q1NEW");        // taken over before the bad one
  EXPECT_EQ(s.dir.Read("Varnak.ini"), ini);
  EXPECT_EQ(s.dir.Read("telnet.cfg"), kTable);

  // A bad font size comes after the table is written, before the settings are.
  s.messages.clear();
  s.dlg->Edit5->setText("1");
  s.dlg->TelnetGrid->item(0, 3)->setText("Far north");
  s.dlg->Edit11->setText("12pt");
  EXPECT_FALSE(s.dlg->OKBtnClick());
  EXPECT_EQ(s.messages, QStringList{"'12pt' is not a valid integer value"});
  EXPECT_NE(s.dir.Read("telnet.cfg").find("Far north"), std::string::npos);
  EXPECT_EQ(s.dir.Read("Varnak.ini"), ini);
}

TEST(SetupDialog, AddNumbersNewRowsAfterTheHighest) {
  SetupRig s(kPacketIni, kTable);
  EXPECT_EQ(s.form->station().settings().NextClusterNumber, 118);
  s.dlg->show();
  s.dlg->ConnectGroup->Item(1)->click();
  QTest::mouseClick(s.dlg->Button1, Qt::LeftButton);
  QTest::mouseClick(s.dlg->Button1, Qt::LeftButton);
  EXPECT_EQ(s.Column(0), (QStringList{"110", "117", "112", "118", "119"}));
  EXPECT_EQ(s.dlg->TelnetGrid->currentRow(), 4);
  EXPECT_EQ(s.dlg->TelnetGrid->currentColumn(), 1);
  EXPECT_EQ(s.form->station().settings().NextClusterNumber, 120);

  // "Delete" asks first and removes the current row only on Yes.
  QTest::mouseClick(s.dlg->Button3, Qt::LeftButton);
  EXPECT_EQ(s.messages, QStringList{"Delete this?"});
  EXPECT_EQ(s.dlg->TelnetGrid->rowCount(), 5);
  s.answerYes = true;
  QTest::mouseClick(s.dlg->Button3, Qt::LeftButton);
  EXPECT_EQ(s.Column(0), (QStringList{"110", "117", "112", "118"}));
}

TEST(SetupDialog, HeadingClicksSortNumbersAsNumbersAndTextWithoutCase) {
  SetupRig s(kPacketIni, kTable);
  s.dlg->show();
  s.dlg->ConnectGroup->Item(1)->click();
  QHeaderView* header = s.dlg->TelnetGrid->horizontalHeader();
  QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(header->sectionViewportPosition(5) + 5, 5));
  EXPECT_EQ(s.Column(5), (QStringList{"23", "7300", "8000"}));
  s.dlg->SortTelnetGrid(5, false);  // right click: descending
  EXPECT_EQ(s.Column(5), (QStringList{"8000", "7300", "23"}));
  s.dlg->SortTelnetGrid(1, true);
  EXPECT_EQ(s.Column(1), (QStringList{"Q9AAA", "q9bbb", "Q9CCC-2"}));
  s.dlg->SortTelnetGrid(1, false);
  EXPECT_EQ(s.Column(1), (QStringList{"Q9CCC-2", "q9bbb", "Q9AAA"}));
  // The selected cluster moves with its row, and "Save" writes the sorted order.
  EXPECT_EQ(s.dlg->TelnetGrid->currentRow(), 1);
  ASSERT_TRUE(s.dlg->OKBtnClick());
  EXPECT_EQ(s.form->station().settings().TelnetDbPos, 117);
  EXPECT_EQ(s.dir.Read("telnet.cfg").substr(s.dir.Read("telnet.cfg").find("\r\n") + 2, 4), "112\t");
}

TEST(SetupDialog, RowClickLoadsOrEmptiesThePassword) {
  SetupRig s(kPacketIni, kTable);
  ASSERT_TRUE(WritePasswordFile(s.dir / "Q9AAA.pw", "abc"));
  s.dlg->show();
  s.dlg->ConnectGroup->Item(1)->click();
  s.ClickRow(0);
  EXPECT_EQ(s.dlg->Edit12->text(), "abc");
  s.ClickRow(1);  // q9bbb has no password file
  EXPECT_EQ(s.dlg->Edit12->text(), "");
  EXPECT_EQ(s.dlg->Edit2->text(), "Q9BBB");  // the callsign box holds upper case
  EXPECT_EQ(s.form->station().settings().Password, "abc");  // the setting keeps its value until Save
  ASSERT_TRUE(s.dlg->OKBtnClick());
  EXPECT_EQ(ReadPasswordFile(s.dir / "Q9BBB.pw"), "");
  EXPECT_TRUE(std::filesystem::exists(s.dir / "Q9BBB.pw"));
}

TEST(SetupDialog, BadTablesAreReportedAndTheFieldsStillFilled) {
  SetupRig s(kPacketIni, "No\tCall\tSoftware\tLocation\tHost\tPort\r\nx\tQ9X\t\t\th\t1\r\n");
  s.dlg->show();
  EXPECT_EQ(s.messages, QStringList{"'x' is not a valid integer value"});
  EXPECT_EQ(s.dlg->Edit1->text(), "Q1ABC");

  SetupRig missing(kPacketIni, "");
  missing.dlg->show();
  ASSERT_EQ(missing.messages.size(), 1);
  EXPECT_TRUE(missing.messages[0].startsWith("Cannot open file ")) << missing.messages[0].toStdString();
  EXPECT_EQ(missing.dlg->Edit1->text(), "Q1ABC");
  // One row to type into, already numbered, so that it can be saved.
  ASSERT_EQ(missing.dlg->TelnetGrid->rowCount(), 1);
  EXPECT_EQ(missing.Column(0), QStringList{"1"});
  missing.dlg->ConnectGroup->Item(1)->click();
  missing.ClickRow(0);
  missing.dlg->TelnetGrid->item(0, 1)->setText("Q9NEW");
  missing.dlg->TelnetGrid->item(0, 4)->setText("new.example");
  missing.dlg->TelnetGrid->item(0, 5)->setText("7300");
  missing.ClickRow(0);
  ASSERT_TRUE(missing.dlg->OKBtnClick()) << missing.messages.join("|").toStdString();
  EXPECT_EQ(missing.dir.Read("telnet.cfg"),
            "No\tCall\tSoftware\tLocation\tHost\tPort\r\n1\tQ9NEW\t\t\tnew.example\t7300\r\n");
  EXPECT_EQ(missing.form->station().settings().ClusterHost, "new.example");
}

TEST(SetupDialog, SaveRefusesBadStationDataNodeCallsAndPortsAndChangesNothing) {
  const std::string ini = std::string(kPacketIni) + "[Font]\r\nSize=10\r\n";
  SetupRig s(ini, kTable);
  s.dlg->show();
  auto refused = [&](QLineEdit* field, const QString& text, const QString& named) {
    const QString old = field->text();
    field->setText(text);
    s.messages.clear();
    EXPECT_FALSE(s.dlg->OKBtnClick()) << text.toStdString();
    EXPECT_EQ(s.messages.size(), 1);
    EXPECT_TRUE(s.messages.value(0).contains(named)) << s.messages.value(0).toStdString();
    field->setText(old);
  };
  refused(s.dlg->Edit1, "XX", "MyCall field");
  refused(s.dlg->Edit1, "Q1/", "MyCall field");
  refused(s.dlg->Edit7, "HELLO", "MyLocator field");
  refused(s.dlg->Edit7, "JS57", "MyLocator field");  // the field runs A..R only
  refused(s.dlg->Edit7, "JO57XZ", "MyLocator field");
  refused(s.dlg->Edit2, "../X", "ClusterCall field");
  refused(s.dlg->Edit2, "Q9/NODE", "ClusterCall field");
  refused(s.dlg->Edit6, "70000", "Port out: field");
  refused(s.dlg->Edit6, "0", "Port out: field");
  refused(s.dlg->Edit3, "99999", "AgwPort: field");
  s.dlg->ConnectGroup->Item(1)->click();
  s.ClickRow(0);
  refused(s.dlg->EditPort, "99999", "Port: (Telnet Cluster) field");
  EXPECT_TRUE(s.calls.empty());
  EXPECT_EQ(s.dir.Read("Varnak.ini"), ini);
  EXPECT_EQ(s.dir.Read("telnet.cfg"), kTable);
  // The placeholders still get their own words, and good data goes through.
  refused(s.dlg->Edit1, "NOCALL", "Your callsign in the MyCall field please!");
  s.dlg->Edit1->setText("QQ/Q1ABC-2");
  s.dlg->Edit7->setText("jo57xq");
  ASSERT_TRUE(s.dlg->OKBtnClick()) << s.messages.join("|").toStdString();
  // Nothing outside the station folder, whatever the settings say.
  EXPECT_TRUE(PasswordFilePath(s.dir.path(), "../x").empty());
  EXPECT_TRUE(PasswordFilePath(s.dir.path(), "a/b").empty());
}

TEST(SetupDialog, CallCellsInUpperCaseKeepTheirPassword) {
  SetupRig s(kPacketIni, kTable);
  s.dlg->show();
  s.dlg->ConnectGroup->Item(1)->click();
  s.dlg->TelnetGrid->item(2, 1)->setText("q9low");
  EXPECT_EQ(s.dlg->TelnetGrid->item(2, 1)->text(), "Q9LOW");
  ASSERT_TRUE(WritePasswordFile(s.dir / "Q9BBB.pw", "bbb"));
  s.ClickRow(1);  // loaded as "q9bbb", its file is Q9BBB.pw
  EXPECT_EQ(s.dlg->Edit12->text(), "bbb");
  s.ClickRow(2);
  s.dlg->Edit12->setText("low");
  ASSERT_TRUE(s.dlg->OKBtnClick());
  s.dlg->show();
  s.ClickRow(2);
  EXPECT_EQ(s.dlg->Edit12->text(), "low");
}

TEST(SetupDialog, SelectedRowInViewAddEditsTheNewCallAndEmptyTablesUseNoNumbers) {
  std::string table = "No\tCall\tSoftware\tLocation\tHost\tPort\r\n";
  for (int i = 100; i < 160; ++i) table += std::to_string(i) + "\tQ9N" + std::to_string(i) + "\t\t\th\t23\r\n";
  SetupRig s("[AGWlink]\r\nMyCall=Q1ABC\r\nMyLocator=JO57XQ\r\n[TelnetLink]\r\nTelnet=1\r\nTelnetDbPos=157\r\n",
             table);
  s.dlg->show();
  s.dlg->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(s.dlg));
  QTableWidget* grid = s.dlg->TelnetGrid;
  const QModelIndex selected = grid->model()->index(57, 1);
  WAIT_TRUE(grid->viewport()->rect().contains(grid->visualRect(selected)), 3000);

  QTest::mouseClick(s.dlg->Button1, Qt::LeftButton);
  EXPECT_EQ(grid->currentRow(), 60);
  EXPECT_TRUE(grid->selectionModel()->isSelected(grid->model()->index(60, 1)));
  QWidget* editor = grid->indexWidget(grid->model()->index(60, 1));
  ASSERT_TRUE(editor);  // the call cell is being edited
  QTest::keyClicks(editor, "q9new");
  QTest::keyClick(editor, Qt::Key_Return);
  WAIT_EQ(grid->item(60, 1)->text(), "Q9NEW", 3000);
  EXPECT_TRUE(grid->viewport()->rect().intersects(grid->visualRect(grid->model()->index(60, 1))));

  SetupRig empty(kPacketIni, "No\tCall\tSoftware\tLocation\tHost\tPort\r\n");
  const int next = empty.form->station().settings().NextClusterNumber;
  for (int i = 0; i < 2; ++i) {
    empty.dlg->show();
    EXPECT_EQ(empty.Column(0), QStringList{QString::number(next)});
    empty.dlg->hide();
  }
  empty.dlg->show();
  empty.dlg->ConnectGroup->Item(1)->click();
  QTest::mouseClick(empty.dlg->Button1, Qt::LeftButton);
  EXPECT_EQ(empty.Column(0), (QStringList{QString::number(next), QString::number(next + 1)}));
}

TEST(SetupDialog, LogFileFromTheChooserIsSavedAndRead) {
  SetupRig s(kPacketIni, kTable);
  s.dir.Write("my log.adi", "<CALL:4>W1AW <DXCC:3>291 <BAND:3>20m <MODE:2>CW <EOR>\n");
  s.form->show();
  s.dlg->show();
  s.dlg->Edit1->setText("Q1XYZ");
  QTest::mouseClick(s.dlg->LogFileBtn, Qt::LeftButton);
  auto* chooser = s.dlg->findChild<QFileDialog*>("LogFileChooser");
  ASSERT_NE(chooser, nullptr);
  WAIT_TRUE(chooser->isVisible(), 2000);
  QApplication::setActiveWindow(chooser);
  const QString file = QString::fromStdString((s.dir / "my log.adi").string());
  auto* name = chooser->findChild<QLineEdit*>("fileNameEdit");
  ASSERT_NE(name, nullptr);
  name->setText(file);
  QTest::keyClick(name, Qt::Key_Return);
  WAIT_TRUE(s.dlg->EditLog->text() == file, 2000);
  QApplication::setActiveWindow(s.dlg);  // active again, it must not refill what was typed
  WAIT_TRUE(s.dlg->isActiveWindow(), 2000);
  EXPECT_EQ(s.dlg->Edit1->text(), "Q1XYZ");

  s.dlg->SoundChoice->setCurrentIndex(1);
  QTest::mouseClick(s.dlg->OKBtn, Qt::LeftButton);
  EXPECT_FALSE(s.dlg->isVisible()) << s.messages.join("|").toStdString();
  IniFile ini;
  ini.Load(s.dir / "Varnak.ini");
  EXPECT_EQ(ini.ReadString("Log", "Adif", ""), file.toStdString());
  EXPECT_TRUE(ini.ReadBool("Log", "SoundNeeded", false));
  const auto& pane = s.form->station().pane();
  const auto shown = [&] {
    const auto t = pane.Texts();
    return std::find(t.begin(), t.end(), "Log: 1 QSO read, 0 skipped") != t.end();
  };
  WAIT_TRUE(shown(), 10000);
}

TEST(SetupDialog, AfterLoginRowsAreTypedOrTickedAndSavedToLoginCfg) {
  SetupRig s(kPacketIni, kTable);
  s.dir.Write("login.cfg", "Command\r\nset/dxgrid\r\naccept/spots on hf\r\n");
  s.dlg->show();
  EXPECT_EQ(s.dlg->LoginEdit->toPlainText(), "set/dxgrid\naccept/spots on hf");
  ASSERT_EQ(s.dlg->ReadyBoxes.size(), 4u);
  QCheckBox* skimmerOn = s.dlg->ReadyBoxes[0];
  QCheckBox* skimmerOff = s.dlg->ReadyBoxes[1];
  QCheckBox* grid = s.dlg->ReadyBoxes[2];
  QCheckBox* last30 = s.dlg->ReadyBoxes[3];
  EXPECT_TRUE(grid->isChecked());
  EXPECT_FALSE(skimmerOn->isChecked() || skimmerOff->isChecked() || last30->isChecked());

  skimmerOn->click();
  skimmerOff->click();  // takes the place of "set/skimmer"
  grid->click();
  EXPECT_EQ(s.dlg->LoginEdit->toPlainText(), "accept/spots on hf\nunset/skimmer");
  EXPECT_FALSE(skimmerOn->isChecked());
  s.dlg->LoginEdit->appendPlainText("SH/DX 30");  // typed: its box follows
  EXPECT_TRUE(last30->isChecked());

  QTest::mouseClick(s.dlg->OKBtn, Qt::LeftButton);
  EXPECT_TRUE(s.messages.isEmpty()) << s.messages.join("|").toStdString();
  EXPECT_EQ(s.dir.Read("login.cfg"), "Command\r\naccept/spots on hf\r\nunset/skimmer\r\nSH/DX 30\r\n");
}
