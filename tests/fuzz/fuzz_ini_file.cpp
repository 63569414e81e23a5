// INI store: any bytes load without a crash, and what we write reads back the same.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "app/settings.h"
#include "core/ini_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  varnak::IniFile ini;
  ini.LoadText(text);
  (void)ini.ReadInteger("AGWlink", "AX25port", 1);
  (void)ini.ReadBool("Misc", "ClearDx", false);
  std::string value = ini.ReadString("ID", "pass", "");
  // A stored password: escaped and scrambled bytes come back exactly.
  std::string escaped = varnak::EscapeIniValue(varnak::ScrambleText(text, varnak::kPasswordKey));
  varnak::IniFile pw;
  pw.WriteString("ID", "pass", escaped);
  varnak::IniFile back;
  back.LoadText(pw.Text());
  if (varnak::UnscrambleText(varnak::UnescapeIniValue(back.ReadString("ID", "pass", "")), varnak::kPasswordKey) != text)
    std::abort();
  (void)value;
  return 0;
}
