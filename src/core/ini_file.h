#pragma once
// INI files (settings, password files, window bounds): sections in square brackets,
// "key=value" lines, case-insensitive section and key names, values kept as bytes.
// A missing file or key gives the caller's default; saving replaces the file atomically.
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

namespace varnak {

class IniFile {
 public:
  IniFile();
  ~IniFile();
  IniFile(IniFile&&) noexcept;
  IniFile& operator=(IniFile&&) noexcept;

  // Loads the file; a missing or unreadable file leaves the store empty (returns false).
  bool Load(const std::filesystem::path& path);
  void LoadText(std::string_view text);
  bool Save(const std::filesystem::path& path, std::string* error = nullptr, bool private_file = false) const;
  std::string Text() const;

  bool HasKey(std::string_view section, std::string_view key) const;
  std::string ReadString(std::string_view section, std::string_view key, std::string_view def) const;
  // A value that is not a whole decimal number gives the default.
  int ReadInteger(std::string_view section, std::string_view key, int def) const;
  // True for any non-zero integer.
  bool ReadBool(std::string_view section, std::string_view key, bool def) const;

  void WriteString(std::string_view section, std::string_view key, std::string_view value);
  void WriteInteger(std::string_view section, std::string_view key, int value);
  void WriteBool(std::string_view section, std::string_view key, bool value);
  void DeleteKey(std::string_view section, std::string_view key);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace varnak
