#pragma once
// Conversion between the bytes the program keeps (Windows-1252) and the toolkit's text.
// Latin-1 is not enough: 0x80-0x9F hold letters and signs such as the euro sign.
#include <QString>
#include <string>
#include <string_view>

namespace varnak {

QString ToQString(std::string_view bytes);
// Characters without a Windows-1252 byte become "?".
std::string FromQString(const QString& text);

}  // namespace varnak
