#pragma once
// The boundary between the byte text of the wire and files (Windows-1252) and Qt's
// QString. Latin-1 would be wrong for 0x80 to 0x9F, where Windows-1252 has letters
// and punctuation.
#include <QString>
#include <string>
#include <string_view>

namespace varnak {

QString AnsiToQString(std::string_view bytes);
// Characters outside Windows-1252 become "?".
std::string QStringToAnsi(const QString& text);

}  // namespace varnak
