#include "log/adif.h"

#include "core/text.h"

namespace varnak {

namespace {

// The longest field names of the format are about 30 bytes, data types one byte.
constexpr std::size_t kMaxNameLength = 64;
constexpr std::size_t kMaxTypeLength = 16;
// More digits than this cannot be a length of anything a file holds.
constexpr std::size_t kMaxLengthDigits = 12;

enum class Field { Other, Call, Band, Mode, Submode, Freq, Dxcc, QslRcvd, LotwQslRcvd, EqslQslRcvd };

Field FieldOf(std::string_view name) {
  static constexpr std::pair<std::string_view, Field> kFields[] = {
      {"CALL", Field::Call},       {"BAND", Field::Band},         {"MODE", Field::Mode},
      {"SUBMODE", Field::Submode}, {"FREQ", Field::Freq},         {"DXCC", Field::Dxcc},
      {"QSL_RCVD", Field::QslRcvd}, {"LOTW_QSL_RCVD", Field::LotwQslRcvd},
      {"EQSL_QSL_RCVD", Field::EqslQslRcvd}};
  for (const auto& [n, f] : kFields)
    if (EqualsNoCase(name, n)) return f;
  return Field::Other;
}

std::string_view* Slot(AdifRecord& r, Field f) {
  switch (f) {
    case Field::Call: return &r.Call;
    case Field::Band: return &r.Band;
    case Field::Mode: return &r.Mode;
    case Field::Submode: return &r.Submode;
    case Field::Freq: return &r.Freq;
    case Field::Dxcc: return &r.Dxcc;
    case Field::QslRcvd: return &r.QslRcvd;
    case Field::LotwQslRcvd: return &r.LotwQslRcvd;
    case Field::EqslQslRcvd: return &r.EqslQslRcvd;
    case Field::Other: break;
  }
  return nullptr;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

struct Tag {
  std::string_view name;
  bool hasLength = false;
  std::size_t length = 0;
  std::size_t valueStart = 0;  // just after '>'
};

// "<CALL:6>", "<FREQ:6:N>", "<EOR>" at t[p] == '<'; false when the bytes form no tag.
bool ParseTag(std::string_view t, std::size_t p, Tag& tag) {
  const std::size_t n = t.size();
  std::size_t i = p + 1;
  while (i < n && t[i] != ':' && t[i] != '>' && static_cast<unsigned char>(t[i]) > ' ' && t[i] != '<' &&
         i - p <= kMaxNameLength)
    ++i;
  if (i >= n || i == p + 1 || (t[i] != ':' && t[i] != '>')) return false;
  tag.name = t.substr(p + 1, i - p - 1);
  if (t[i] == '>') {
    tag.hasLength = false;
    tag.valueStart = i + 1;
    return true;
  }
  ++i;
  std::size_t digits = 0, length = 0;
  while (i < n && IsDigit(t[i])) {
    if (++digits > kMaxLengthDigits) return false;
    length = length * 10 + static_cast<std::size_t>(t[i] - '0');
    ++i;
  }
  if (digits == 0) return false;
  if (i < n && t[i] == ':') {
    const std::size_t typeStart = ++i;
    while (i < n && t[i] != '>' && t[i] != '<' && i - typeStart <= kMaxTypeLength) ++i;
  }
  if (i >= n || t[i] != '>') return false;
  tag.hasLength = true;
  tag.length = length;
  tag.valueStart = i + 1;
  return true;
}

// A value of a field we use holds no tag bracket and no control byte; one that does
// was taken with a wrong length.
bool CleanValue(std::string_view v) {
  for (char c : v)
    if (c == '<' || static_cast<unsigned char>(c) < ' ') return false;
  return true;
}

// Anything but blanks between a value and the next tag means the length was too short.
bool JunkAfter(std::string_view t, std::size_t i) {
  while (i < t.size() && static_cast<unsigned char>(t[i]) <= ' ') ++i;
  return i < t.size() && t[i] != '<';
}

std::size_t FirstRecordOffset(std::string_view t) {
  for (std::size_t p = t.find('<'); p != std::string_view::npos; p = t.find('<', p + 1))
    if (t.size() - p >= 5 && EqualsNoCase(t.substr(p, 5), "<EOH>")) return p + 5;
  return 0;
}

}  // namespace

AdifCounts ReadAdif(std::string_view t, const AdifRecordSink& sink) {
  AdifCounts counts;
  AdifRecord record;
  bool started = false, damaged = false;
  const auto finish = [&](bool complete) {
    if (!started) return;
    if (complete && !damaged && (!record.Call.empty() || !record.Dxcc.empty())) {
      ++counts.Records;
      if (sink) sink(record);
    } else {
      ++counts.Skipped;
    }
    record = {};
    started = damaged = false;
  };

  std::size_t p = FirstRecordOffset(t);
  while ((p = t.find('<', p)) != std::string_view::npos) {
    Tag tag;
    if (!ParseTag(t, p, tag)) {
      // A stray bracket: bytes of a record were lost or garbled here.
      started = damaged = true;
      ++p;
      continue;
    }
    if (!tag.hasLength) {
      if (EqualsNoCase(tag.name, "EOR")) finish(true);
      p = tag.valueStart;
      continue;
    }
    started = true;
    // Reading goes on right after a tag whose value cannot be right, so a wrong length
    // costs this record only and never a second pass over the rest of the file.
    if (tag.length > t.size() - tag.valueStart) {
      damaged = true;
      p = tag.valueStart;
      continue;
    }
    const std::string_view value = t.substr(tag.valueStart, tag.length);
    const std::size_t next = tag.valueStart + tag.length;
    if (std::string_view* slot = Slot(record, FieldOf(tag.name))) {
      if (!CleanValue(value) || JunkAfter(t, next)) {
        damaged = true;
        p = tag.valueStart;
        continue;
      }
      *slot = value;
    }
    p = next;
  }
  finish(false);
  return counts;
}

}  // namespace varnak
