#pragma once
// The table-file format behind the program's grid files ("telnet.cfg", "buttons.cfg",
// "help.txt", the spot lists): one row per line, lines ending CR LF (CR or LF alone
// accepted when reading), cells separated by one TAB with no quoting.
//   117<TAB>Q9NODE<TAB>Testville<TAB>JO57XQ<TAB>node.example.org<TAB>7300
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace varnak {

using TableRow = std::vector<std::string>;
using Table = std::vector<TableRow>;

// Rows of the text; n TABs in a line give n + 1 cells. A final line end does not start
// another row. CR LF, CR and LF all end a line.
Table ParseTable(std::string_view text);

// Joins each row's cells by TAB (none after the last) and ends every row with CR LF.
std::string FormatTable(const Table& table);

// The largest cell count of any row.
size_t TableColumnCount(const Table& table);

// Reads a table file; nothing when it cannot be opened.
std::optional<Table> ReadTableFile(const std::filesystem::path& path);

// Replaces the file atomically with the table.
bool WriteTableFile(const std::filesystem::path& path, const Table& table, std::string* error = nullptr);

}  // namespace varnak
