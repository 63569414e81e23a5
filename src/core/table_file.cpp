#include "core/table_file.h"

#include <algorithm>

#include "core/atomic_file.h"
#include "core/text.h"

namespace varnak {

Table ParseTable(std::string_view text) {
  Table table;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find_first_of("\r\n", pos);
    std::string_view line = text.substr(pos, end == std::string_view::npos ? std::string_view::npos : end - pos);
    table.push_back(Split(line, '\t'));
    if (end == std::string_view::npos) break;
    pos = end + 1;
    if (text[end] == '\r' && pos < text.size() && text[pos] == '\n') ++pos;
  }
  return table;
}

std::string FormatTable(const Table& table) {
  std::string out;
  for (const auto& row : table) {
    for (size_t i = 0; i < row.size(); ++i) {
      if (i) out += '\t';
      out += row[i];
    }
    out += "\r\n";
  }
  return out;
}

size_t TableColumnCount(const Table& table) {
  size_t n = 0;
  for (const auto& row : table) n = std::max(n, row.size());
  return n;
}

std::optional<Table> ReadTableFile(const std::filesystem::path& path) {
  auto bytes = ReadWholeFile(path);
  if (!bytes) return std::nullopt;
  return ParseTable(*bytes);
}

bool WriteTableFile(const std::filesystem::path& path, const Table& table, std::string* error) {
  return WriteFileAtomic(path, FormatTable(table), error);
}

}  // namespace varnak
