#pragma once
// Conversion between the bytes the program keeps (Windows-1252) and the toolkit's text.
// Latin-1 is not enough: 0x80-0x9F hold letters and signs such as the euro sign.
#include <QString>
#include <string>
#include <string_view>

namespace varnak {

// Many users type UTF-8: a text that is valid UTF-8 and holds a byte above 127 is
// taken as UTF-8, any other as Windows-1252.
QString ToQString(std::string_view bytes);
// Valid UTF-8 with at least one byte above 127 (plain ASCII is not).
bool IsUtf8Text(std::string_view bytes);
// Characters without a Windows-1252 byte become "?".
std::string FromQString(const QString& text);

}  // namespace varnak
