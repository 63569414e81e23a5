#pragma once
// The program's settings as they live in "Varnak.ini", the per-node password files and
// the cluster table "telnet.cfg". Plain C++; the window applies the placement values.
#include <filesystem>
#include <string>
#include <vector>

#include "core/ini_file.h"
#include "core/table_file.h"

namespace varnak {

// The node callsign a new installation starts with; the operator changes it in setup.
inline constexpr const char* kDefaultConnectCall = "GB7MBC";
// Added to every byte of a stored password, modulo 256.
inline constexpr unsigned char kPasswordKey = 0x4D;

struct WorkArea {
  int left = 0, top = 0, right = 1024, bottom = 768;
  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
};

struct Settings {
  // [AGWlink]
  std::string MyCall = "NOCALL";
  std::string MyLocator = "AA00AA";
  std::string ConnectCall = kDefaultConnectCall;
  int AX25port = 1;
  std::string AGWport = "8000";
  std::string AGWhost = "localhost";
  std::string Nodecall;
  int OutTelnetPort = 2373;
  bool Sound = true;
  // [TelnetLink]
  int Telnet = 1;
  int TelnetOut = 0;
  int TelnetDbPos = 117;
  std::string OutTelnetBind = "127.0.0.1";
  // [Position]
  bool Maximized = false;
  int Left = 0, Top = 0, Height = 768, Width = 850;
  int Window1 = 200, Window2 = 140, Tab = 0;
  // [Font], [Misc]
  int FontSize = 10;
  bool ClearDx = false;
  bool AutoConnect = false;
  bool Reconnect = true;  // a lost Telnet link is tried again by itself
  // [OmniRig]: the rigctld the radio is reached through, and the "On" switch.
  std::string RigHost = "127.0.0.1";
  int RigPort = 4532;
  bool RigEnabled = false;
  // A tune sets split from the spot's comment ("UP 5", "QSX 14195"), and clears it.
  bool RigSplitFromSpot = true;
  // [Log]: the operator's ADIF log (a path as the file system spells it, UTF-8) and
  // whether the spot sound is kept for spots the log marks as needed.
  std::string LogAdif;
  bool SoundNeeded = false;
  // [View]: the spot lists as columns, and the columns' layout: names in the order
  // shown, widths in pixels in the order of the names, names of hidden columns.
  bool SpotColumns = false;
  std::string ColumnOrder;
  std::string ColumnWidths;
  std::string ColumnsHidden;
  // [Alerts]: a rule fires at most once per call and band in this time; [Stations]: the
  // stations view's time window.
  int AlertRepeatMinutes = 10;
  int StationsMinutes = 60;

  // Not stored in Varnak.ini: the password comes from the node's own file, the
  // cluster from the table.
  std::string Password;
  std::string ClusterHost;
  int ClusterPort = 0;
  int NextClusterNumber = 1;

  bool IsSetUp() const { return MyCall != "NOCALL" && MyLocator != "AA00AA"; }
};

// The defaults of the window bounds for a work area: the whole area, at most 850 wide.
void ApplyPositionDefaults(Settings& s, const WorkArea& area);

// Reads the settings file in its fixed order. Obsolete keys ("TelnetPort", "TelnetHost"
// in [TelnetLink]) are removed from the file on disk at once; nothing else is written.
// A port outside 1..65535 (OutTelnetPort, AGWport, [OmniRig] Port) is replaced by its
// default, and a line naming the key goes to notices.
Settings ReadSettingsFile(const std::filesystem::path& iniPath, const WorkArea& area,
                          std::vector<std::string>* notices = nullptr);
// Writes every key in its fixed order, keeping keys we do not know. Window bounds are
// written only when the window is not maximized, so the last normal bounds survive.
bool WriteSettingsFile(const std::filesystem::path& iniPath, const Settings& s, const std::string& shortVersion,
                       std::string* error = nullptr);

std::string ScrambleText(std::string_view text, unsigned char key);
std::string UnscrambleText(std::string_view text, unsigned char key);

// INI values cannot hold line breaks, leading or trailing blanks or NUL bytes; stored
// passwords write every byte outside "!".."~" and the "%" itself as %XX.
std::string EscapeIniValue(std::string_view bytes);
std::string UnescapeIniValue(std::string_view text);

// Empty for a node call that is no safe file name (see IsSafeNodeCall).
std::filesystem::path PasswordFilePath(const std::filesystem::path& programDir, const std::string& connectCall);
std::string ReadPasswordFile(const std::filesystem::path& path);
bool WritePasswordFile(const std::filesystem::path& path, const std::string& password, std::string* error = nullptr);

// The cluster table with its heading row; data rows whose number or port is not a
// whole number are dropped on reading so that every reader may convert them.
struct ClusterTable {
  TableRow heading;
  Table rows;  // sorted by field 0 as numbers, ascending; each row has six fields
};
ClusterTable ReadClusterTable(const std::filesystem::path& path);
ClusterTable ParseClusterTable(const Table& table);
// Picks ClusterHost and ClusterPort of the row numbered TelnetDbPos (unchanged when no
// row has that number) and sets NextClusterNumber to the last row's number + 1.
void SelectCluster(Settings& s, const ClusterTable& table);

}  // namespace varnak
