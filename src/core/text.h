#pragma once
// Byte-text helpers. Text in the domain layer is std::string holding single bytes in
// the Windows-1252 code page, exactly as they came from the wire or a file.
#include <string>
#include <string_view>
#include <vector>

namespace varnak {

// Removes every byte with a code from 0 to 32 from both ends.
std::string Trim(std::string_view s);
std::string TrimLeft(std::string_view s);
std::string TrimRight(std::string_view s);
std::string_view TrimView(std::string_view s);

// Node and monitor text is cut into lines at CR: returns the text before the first CR,
// trimmed, and leaves in rest what follows that CR, trimmed (empty when no CR is left).
// So CR CR gives no empty line and every line loses its leading blanks.
std::string_view TakeCrLine(std::string_view& rest);

bool StartsWith(std::string_view s, std::string_view prefix);
bool EndsWith(std::string_view s, std::string_view suffix);
bool Contains(std::string_view s, std::string_view part);

std::string ToUpperAscii(std::string_view s);
std::string ToLowerAscii(std::string_view s);
bool EqualsNoCase(std::string_view a, std::string_view b);

// Parses a whole decimal integer (optional sign, surrounding blanks allowed);
// false when the text is not one or does not fit an int.
bool ParseInt(std::string_view s, int& out);

// Splits at every occurrence of sep; n separators give n + 1 parts.
std::vector<std::string> Split(std::string_view s, char sep);

}  // namespace varnak
