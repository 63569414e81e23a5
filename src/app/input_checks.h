#pragma once
// What the setup dialog accepts as station data and node call.
#include <string_view>

namespace varnak {

// Letters, digits and "/", at least one letter and one digit, an SSID "-0".."-15" may
// follow: "Q1ABC", "QQ/Q1ABC/P", "Q1ABC-2".
bool IsValidOwnCall(std::string_view call);
// A Maidenhead locator of 4 or 6 characters: "JO57", "JO57XQ" (subsquare in either case).
bool IsValidLocator(std::string_view locator);
// A node call that can name a file in the station folder: letters, digits and "-"
// only, so that no "/" or ".." can lead the password file anywhere else. Empty is
// safe (no node chosen yet).
bool IsSafeNodeCall(std::string_view call);

}  // namespace varnak
