#include "app/win1252.h"

#include <array>
#include <unordered_map>

namespace varnak {

namespace {
// 0x80-0x9F; 0 marks the five bytes the code page leaves undefined (they map to
// themselves so that no byte is lost).
constexpr std::array<char16_t, 32> kHigh = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

char16_t ToUnicode(unsigned char b) {
  if (b >= 0x80 && b <= 0x9F && kHigh[b - 0x80]) return kHigh[b - 0x80];
  return b;
}

const std::unordered_map<char16_t, char>& Reverse() {
  static const auto table = [] {
    std::unordered_map<char16_t, char> m;
    for (int b = 0; b < 256; ++b) m.emplace(ToUnicode(static_cast<unsigned char>(b)), static_cast<char>(b));
    return m;
  }();
  return table;
}
}  // namespace

QString ToQString(std::string_view bytes) {
  QString out;
  out.resize(static_cast<qsizetype>(bytes.size()));
  QChar* d = out.data();
  for (size_t i = 0; i < bytes.size(); ++i) d[i] = QChar(ToUnicode(static_cast<unsigned char>(bytes[i])));
  return out;
}

std::string FromQString(const QString& text) {
  std::string out;
  out.reserve(static_cast<size_t>(text.size()));
  const auto& rev = Reverse();
  for (QChar c : text) {
    char16_t u = c.unicode();
    if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) {
      out += static_cast<char>(u);
      continue;
    }
    auto it = rev.find(u);
    out += it != rev.end() ? it->second : '?';
  }
  return out;
}

}  // namespace varnak
