#include "app/input_checks.h"

namespace varnak {

namespace {
bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool InRange(char c, char first, char last) {
  const char upper = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
  return upper >= first && upper <= last;
}
}  // namespace

bool IsValidOwnCall(std::string_view call) {
  const std::size_t dash = call.find('-');
  if (dash != std::string_view::npos) {
    std::string_view ssid = call.substr(dash + 1);
    if (ssid.empty() || ssid.size() > 2) return false;
    int n = 0;
    for (char c : ssid) {
      if (!IsDigit(c)) return false;
      n = n * 10 + (c - '0');
    }
    if (n > 15) return false;
    call = call.substr(0, dash);
  }
  bool letter = false, digit = false;
  for (char c : call) {
    if (IsLetter(c)) letter = true;
    else if (IsDigit(c)) digit = true;
    else if (c != '/') return false;
  }
  return letter && digit && call.front() != '/' && call.back() != '/';
}

bool IsValidLocator(std::string_view l) {
  if (l.size() != 4 && l.size() != 6) return false;
  if (!InRange(l[0], 'A', 'R') || !InRange(l[1], 'A', 'R') || !IsDigit(l[2]) || !IsDigit(l[3])) return false;
  return l.size() == 4 || (InRange(l[4], 'A', 'X') && InRange(l[5], 'A', 'X'));
}

bool IsSafeNodeCall(std::string_view call) {
  for (char c : call)
    if (!IsLetter(c) && !IsDigit(c) && c != '-') return false;
  return true;
}

}  // namespace varnak
