#include "app/settings.h"

#include <algorithm>

#include "app/input_checks.h"
#include "app/spot_model.h"
#include "core/atomic_file.h"
#include "core/text.h"

namespace varnak {

namespace {
constexpr const char* kAgw = "AGWlink";
constexpr const char* kTelnet = "TelnetLink";
constexpr const char* kPosition = "Position";
}  // namespace

void ApplyPositionDefaults(Settings& s, const WorkArea& area) {
  s.Left = area.left;
  s.Top = area.top;
  s.Height = area.Height();
  s.Width = std::min(area.Width(), 850);
}

namespace {

// A hand-edited port of 70000 would listen on 4464, and 0 on a port nobody knows.
bool IsPort(int port) { return port >= 1 && port <= 65535; }

void RefusePort(const char* key, const std::string& given, const std::string& used,
                std::vector<std::string>* notices) {
  if (!notices) return;
  notices->push_back(std::string(key) + "=" + given + " in Varnak.ini is no port (1 to 65535): " + used + " is used");
}

}  // namespace

Settings ReadSettingsFile(const std::filesystem::path& iniPath, const WorkArea& area,
                          std::vector<std::string>* notices) {
  const Settings defaults;
  Settings s;
  ApplyPositionDefaults(s, area);
  IniFile ini;
  ini.Load(iniPath);

  s.MyCall = ini.ReadString(kAgw, "MyCall", s.MyCall);
  s.MyLocator = ini.ReadString(kAgw, "MyLocator", s.MyLocator);
  s.ConnectCall = ini.ReadString(kAgw, "ConnectCall", s.ConnectCall);
  s.AX25port = ini.ReadInteger(kAgw, "AX25port", s.AX25port);
  if (s.AX25port == 0) s.AX25port = 1;
  s.AGWport = ini.ReadString(kAgw, "AGWport", s.AGWport);
  s.AGWhost = ini.ReadString(kAgw, "AGWhost", s.AGWhost);
  s.Nodecall = ini.ReadString(kAgw, "Nodecall", s.Nodecall);
  s.OutTelnetPort = ini.ReadInteger(kAgw, "OutTelnetPort", s.OutTelnetPort);
  if (!IsPort(s.OutTelnetPort)) {
    RefusePort("OutTelnetPort", std::to_string(s.OutTelnetPort), std::to_string(defaults.OutTelnetPort), notices);
    s.OutTelnetPort = defaults.OutTelnetPort;
  }
  if (int agw = 0; !ParseInt(Trim(s.AGWport), agw) || !IsPort(agw)) {
    RefusePort("AGWport", s.AGWport, defaults.AGWport, notices);
    s.AGWport = defaults.AGWport;
  }
  s.Sound = ini.ReadBool(kAgw, "Sound", s.Sound);
  s.Telnet = ini.ReadInteger(kTelnet, "Telnet", s.Telnet);
  s.TelnetOut = ini.ReadInteger(kTelnet, "TelnetOut", s.TelnetOut);
  s.OutTelnetBind = ini.ReadString(kTelnet, "OutTelnetBind", s.OutTelnetBind);

  bool obsolete = false;
  for (const char* key : {"TelnetPort", "TelnetHost"}) {
    if (ini.HasKey(kTelnet, key)) {
      ini.DeleteKey(kTelnet, key);
      obsolete = true;
    }
  }
  if (obsolete) ini.Save(iniPath);  // a failure here only leaves the old key for next time

  s.TelnetDbPos = ini.ReadInteger(kTelnet, "TelnetDbPos", s.TelnetDbPos);
  s.Maximized = ini.ReadBool(kPosition, "Maximized", s.Maximized);
  s.Left = ini.ReadInteger(kPosition, "Left", s.Left);
  s.Top = ini.ReadInteger(kPosition, "Top", s.Top);
  s.Height = ini.ReadInteger(kPosition, "Height", s.Height);
  s.Width = ini.ReadInteger(kPosition, "Width", s.Width);
  s.Window1 = ini.ReadInteger(kPosition, "Window1", s.Window1);
  s.Window2 = ini.ReadInteger(kPosition, "Window2", s.Window2);
  s.Tab = ini.ReadInteger(kPosition, "Tab", s.Tab);
  // A file from before 60 m and 4 m had their pages counts the pages without them.
  if (ini.ReadInteger(kPosition, "TabBands", 0) == 0 && s.Tab >= ListIndexOfBand("40") - 1)
    s.Tab += s.Tab >= ListIndexOfBand("4") - 1 ? 2 : 1;
  s.FontSize = ini.ReadInteger("Font", "Size", s.FontSize);
  s.ClearDx = ini.ReadBool("Misc", "ClearDx", s.ClearDx);
  s.AutoConnect = ini.ReadBool("Misc", "AutoConnect", s.AutoConnect);
  s.Reconnect = ini.ReadBool("Misc", "Reconnect", s.Reconnect);
  s.RigHost = ini.ReadString("OmniRig", "Host", s.RigHost);
  s.RigPort = ini.ReadInteger("OmniRig", "Port", s.RigPort);
  if (!IsPort(s.RigPort)) {
    RefusePort("[OmniRig] Port", std::to_string(s.RigPort), std::to_string(defaults.RigPort), notices);
    s.RigPort = defaults.RigPort;
  }
  s.RigEnabled = ini.ReadBool("OmniRig", "Enabled", s.RigEnabled);
  s.RigSplitFromSpot = ini.ReadBool("OmniRig", "SplitFromSpot", s.RigSplitFromSpot);
  s.LogAdif = ini.ReadString("Log", "Adif", s.LogAdif);
  s.SoundNeeded = ini.ReadBool("Log", "SoundNeeded", s.SoundNeeded);
  s.SpotColumns = ini.ReadInteger("View", "Columns", 0) != 0;
  s.ColumnOrder = ini.ReadString("View", "Order", s.ColumnOrder);
  s.ColumnWidths = ini.ReadString("View", "Widths", s.ColumnWidths);
  s.ColumnsHidden = ini.ReadString("View", "Hidden", s.ColumnsHidden);
  s.AlertRepeatMinutes = std::max(0, ini.ReadInteger("Alerts", "RepeatMinutes", s.AlertRepeatMinutes));
  s.StationsMinutes = std::max(1, ini.ReadInteger("Stations", "Minutes", s.StationsMinutes));
  return s;
}

bool WriteSettingsFile(const std::filesystem::path& iniPath, const Settings& s, const std::string& shortVersion,
                       std::string* error) {
  IniFile ini;
  ini.Load(iniPath);
  ini.WriteString(kAgw, "MyCall", s.MyCall);
  ini.WriteString(kAgw, "MyLocator", s.MyLocator);
  ini.WriteString(kAgw, "ConnectCall", s.ConnectCall);
  ini.WriteInteger(kAgw, "AX25port", s.AX25port);
  ini.WriteString(kAgw, "AGWport", s.AGWport);
  ini.WriteString(kAgw, "AGWhost", s.AGWhost);
  ini.WriteString(kAgw, "Nodecall", s.Nodecall);
  ini.WriteInteger(kAgw, "OutTelnetPort", s.OutTelnetPort);
  ini.WriteBool(kAgw, "Sound", s.Sound);
  ini.WriteInteger(kTelnet, "Telnet", s.Telnet);
  ini.WriteInteger(kTelnet, "TelnetOut", s.TelnetOut);
  ini.WriteInteger(kTelnet, "TelnetDbPos", s.TelnetDbPos);
  ini.WriteString(kTelnet, "OutTelnetBind", s.OutTelnetBind);
  ini.WriteString("VarnakVersion", "Version", shortVersion);
  ini.WriteBool(kPosition, "Maximized", s.Maximized);
  if (!s.Maximized) {
    ini.WriteInteger(kPosition, "Left", s.Left);
    ini.WriteInteger(kPosition, "Top", s.Top);
    ini.WriteInteger(kPosition, "Height", s.Height);
    ini.WriteInteger(kPosition, "Width", s.Width);
  }
  ini.WriteInteger(kPosition, "Window1", s.Window1);
  ini.WriteInteger(kPosition, "Window2", s.Window2);
  ini.WriteInteger(kPosition, "Tab", s.Tab);
  ini.WriteInteger(kPosition, "TabBands", static_cast<int>(kBandTexts.size()));
  ini.WriteInteger("Font", "Size", s.FontSize);
  ini.WriteBool("Misc", "ClearDx", s.ClearDx);
  ini.WriteBool("Misc", "AutoConnect", s.AutoConnect);
  ini.WriteBool("Misc", "Reconnect", s.Reconnect);
  ini.WriteString("OmniRig", "Host", s.RigHost);
  ini.WriteInteger("OmniRig", "Port", s.RigPort);
  ini.WriteBool("OmniRig", "Enabled", s.RigEnabled);
  ini.WriteBool("OmniRig", "SplitFromSpot", s.RigSplitFromSpot);
  ini.WriteString("Log", "Adif", s.LogAdif);
  ini.WriteBool("Log", "SoundNeeded", s.SoundNeeded);
  ini.WriteInteger("View", "Columns", s.SpotColumns ? 1 : 0);
  ini.WriteString("View", "Order", s.ColumnOrder);
  ini.WriteString("View", "Widths", s.ColumnWidths);
  ini.WriteString("View", "Hidden", s.ColumnsHidden);
  ini.WriteInteger("Alerts", "RepeatMinutes", s.AlertRepeatMinutes);
  ini.WriteInteger("Stations", "Minutes", s.StationsMinutes);
  return ini.Save(iniPath, error);
}

std::string ScrambleText(std::string_view text, unsigned char key) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(static_cast<unsigned char>(c) + key);
  return out;
}

std::string UnscrambleText(std::string_view text, unsigned char key) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(static_cast<unsigned char>(c) - key);
  return out;
}

std::string EscapeIniValue(std::string_view bytes) {
  static const char* hex = "0123456789ABCDEF";
  std::string out;
  for (char ch : bytes) {
    auto b = static_cast<unsigned char>(ch);
    if (b > 0x20 && b < 0x7F && b != '%') {
      out += ch;
    } else {
      out += '%';
      out += hex[b >> 4];
      out += hex[b & 15];
    }
  }
  return out;
}

std::string UnescapeIniValue(std::string_view text) {
  auto nibble = [](char c) -> int {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
  };
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size() && nibble(text[i + 1]) >= 0 && nibble(text[i + 2]) >= 0) {
      out += static_cast<char>(nibble(text[i + 1]) * 16 + nibble(text[i + 2]));
      i += 2;
    } else {
      out += text[i];  // a lone "%" from a hand-edited file stays as it is
    }
  }
  return out;
}

std::filesystem::path PasswordFilePath(const std::filesystem::path& programDir, const std::string& connectCall) {
  if (!IsSafeNodeCall(connectCall)) return {};  // never a path outside the station folder
  return programDir / (connectCall + ".pw");
}

std::string ReadPasswordFile(const std::filesystem::path& path) {
  if (path.empty()) return {};
  IniFile ini;
  ini.Load(path);
  return UnscrambleText(UnescapeIniValue(ini.ReadString("ID", "pass", "")), kPasswordKey);
}

bool WritePasswordFile(const std::filesystem::path& path, const std::string& password, std::string* error) {
  IniFile ini;
  ini.WriteString("ID", "pass", EscapeIniValue(ScrambleText(password, kPasswordKey)));
  return ini.Save(path, error, /*private_file=*/true);
}

ClusterTable ParseClusterTable(const Table& table) {
  ClusterTable out;
  if (table.empty()) return out;
  out.heading = table.front();
  std::vector<std::pair<int, TableRow>> numbered;
  for (size_t i = 1; i < table.size(); ++i) {
    TableRow row = table[i];
    int number = 0, port = 0;
    if (row.empty() || !ParseInt(row[0], number)) continue;
    if (row.size() > 5 && !ParseInt(row[5], port)) continue;
    row.resize(std::max<size_t>(row.size(), 6));
    numbered.emplace_back(number, std::move(row));
  }
  std::stable_sort(numbered.begin(), numbered.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  for (auto& n : numbered) out.rows.push_back(std::move(n.second));
  return out;
}

ClusterTable ReadClusterTable(const std::filesystem::path& path) {
  auto table = ReadTableFile(path);
  return table ? ParseClusterTable(*table) : ClusterTable{};
}

void SelectCluster(Settings& s, const ClusterTable& table) {
  for (const auto& row : table.rows) {
    int number = 0;
    ParseInt(row[0], number);
    if (number == s.TelnetDbPos) {
      s.ClusterHost = row[4];
      s.ClusterPort = 0;
      ParseInt(row[5], s.ClusterPort);
    }
  }
  if (!table.rows.empty()) {
    int last = 0;
    ParseInt(table.rows.back()[0], last);
    s.NextClusterNumber = last + 1;
  }
}

}  // namespace varnak
