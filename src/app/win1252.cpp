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

bool IsUtf8Text(std::string_view bytes) {
  bool high = false;
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  const size_t n = bytes.size();
  for (size_t i = 0; i < n;) {
    const unsigned char b = p[i];
    if (b < 0x80) {
      ++i;
      continue;
    }
    high = true;
    size_t more;
    unsigned min;
    unsigned cp;
    if (b >= 0xC2 && b <= 0xDF) {
      more = 1, min = 0x80, cp = b & 0x1F;
    } else if ((b & 0xF0) == 0xE0) {
      more = 2, min = 0x800, cp = b & 0x0F;
    } else if (b >= 0xF0 && b <= 0xF4) {
      more = 3, min = 0x10000, cp = b & 0x07;
    } else {
      return false;
    }
    if (n - i <= more) return false;
    for (size_t k = 1; k <= more; ++k) {
      if ((p[i + k] & 0xC0) != 0x80) return false;
      cp = (cp << 6) | (p[i + k] & 0x3F);
    }
    // Overlong forms, UTF-16 surrogates and code points past Unicode are no UTF-8.
    if (cp < min || (cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF) return false;
    i += more + 1;
  }
  return high;
}

QString ToQString(std::string_view bytes) {
  if (IsUtf8Text(bytes)) return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
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
