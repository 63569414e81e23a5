#include "core/ini_file.h"

#define SI_NO_CONVERSION  // values are bytes in the Windows code page, never converted
#include <SimpleIni.h>

#include "core/atomic_file.h"
#include "core/text.h"

namespace varnak {

struct IniFile::Impl {
  CSimpleIniA ini{/*isUtf8=*/false, /*multiKey=*/false, /*multiLine=*/false};
  Impl() { ini.SetSpaces(false); }
};

IniFile::IniFile() : impl_(std::make_unique<Impl>()) {}
IniFile::~IniFile() = default;
IniFile::IniFile(IniFile&&) noexcept = default;
IniFile& IniFile::operator=(IniFile&&) noexcept = default;

bool IniFile::Load(const std::filesystem::path& path) {
  impl_->ini.Reset();
  auto bytes = ReadWholeFile(path);
  if (!bytes) return false;
  LoadText(*bytes);
  return true;
}

void IniFile::LoadText(std::string_view text) {
  impl_->ini.Reset();
  // SimpleIni stops at a NUL byte; the rest of a damaged file is lost, never misread.
  impl_->ini.LoadData(text.data(), text.size());
}

std::string IniFile::Text() const {
  std::string out;
  impl_->ini.Save(out, /*addSignature=*/false);
  // SimpleIni writes bare LF; the files are CR LF like the other text files.
  std::string crlf;
  crlf.reserve(out.size() + out.size() / 16);
  for (char c : out) {
    if (c == '\n') crlf += '\r';
    crlf += c;
  }
  return crlf;
}

bool IniFile::Save(const std::filesystem::path& path, std::string* error, bool private_file) const {
  return WriteFileAtomic(path, Text(), error, private_file);
}

bool IniFile::HasKey(std::string_view section, std::string_view key) const {
  return impl_->ini.GetValue(std::string(section).c_str(), std::string(key).c_str(), nullptr) != nullptr;
}

std::string IniFile::ReadString(std::string_view section, std::string_view key, std::string_view def) const {
  const char* v = impl_->ini.GetValue(std::string(section).c_str(), std::string(key).c_str(), nullptr);
  return v ? std::string(v) : std::string(def);
}

int IniFile::ReadInteger(std::string_view section, std::string_view key, int def) const {
  const char* v = impl_->ini.GetValue(std::string(section).c_str(), std::string(key).c_str(), nullptr);
  int out = def;
  if (v && ParseInt(v, out)) return out;
  return def;
}

bool IniFile::ReadBool(std::string_view section, std::string_view key, bool def) const {
  return ReadInteger(section, key, def ? 1 : 0) != 0;
}

void IniFile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
  impl_->ini.SetValue(std::string(section).c_str(), std::string(key).c_str(), std::string(value).c_str());
}

void IniFile::WriteInteger(std::string_view section, std::string_view key, int value) {
  WriteString(section, key, std::to_string(value));
}

void IniFile::WriteBool(std::string_view section, std::string_view key, bool value) {
  WriteString(section, key, value ? "1" : "0");
}

void IniFile::DeleteKey(std::string_view section, std::string_view key) {
  impl_->ini.Delete(std::string(section).c_str(), std::string(key).c_str(), /*removeEmpty=*/false);
}

}  // namespace varnak
