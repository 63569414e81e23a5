#include "app/rtf.h"

#include <algorithm>
#include <array>
#include <map>
#include <tuple>

namespace varnak {

namespace {

constexpr char kHex[] = "0123456789abcdef";

void AppendEscaped(std::string& out, std::string_view text) {
  for (unsigned char c : text) {
    if (c == '\\' || c == '{' || c == '}') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c == '\t') {
      out += "\\tab ";
    } else if (c < 0x20 || c >= 0x80) {
      out += "\\'";
      out += kHex[c >> 4];
      out += kHex[c & 15];
    } else {
      out += static_cast<char>(c);
    }
  }
}

}  // namespace

std::string WriteRtf(const std::vector<RtfLine>& lines) {
  // Colour table in order of first use; index 0 stays "auto" as word processors expect.
  std::map<std::tuple<int, int, int>, int> index;
  std::string table = "{\\colortbl ;";
  for (const auto& l : lines) {
    auto key = std::make_tuple(int(l.r), int(l.g), int(l.b));
    if (index.count(key)) continue;
    int n = static_cast<int>(index.size()) + 1;
    index[key] = n;
    table += "\\red" + std::to_string(l.r) + "\\green" + std::to_string(l.g) + "\\blue" +
             std::to_string(l.b) + ";";
  }
  table += "}\r\n";

  std::string out;
  size_t size = 0;
  for (const auto& l : lines) size += l.text.size() + 12;
  out.reserve(size + table.size() + 200);
  out += "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fmodern\\fcharset0 Courier New;}}\r\n";
  out += table;
  out += "\\pard\\plain\\f0\\fs20\r\n";
  for (const auto& l : lines) {
    out += "\\cf";
    out += std::to_string(index[std::make_tuple(int(l.r), int(l.g), int(l.b))]);
    out += ' ';
    AppendEscaped(out, l.text);
    out += "\\par\r\n";
  }
  out += "}\r\n";
  return out;
}

namespace {

// Windows-1252 for the Unicode characters a word processor may write as \uN.
char FromUnicode(long cp) {
  if (cp < 0) cp += 65536;  // \u writes values above 32767 as negative numbers
  if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<char>(cp);
  static const std::array<uint16_t, 32> k80 = {
      0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
      0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
      0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};
  for (size_t i = 0; i < k80.size(); ++i)
    if (k80[i] != 0 && k80[i] == cp) return static_cast<char>(0x80 + i);
  return '?';
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

// Groups whose text is not part of the document.
bool IsSkippedDestination(std::string_view w) {
  static constexpr std::string_view kSkip[] = {
      "fonttbl",   "stylesheet", "info",      "pict",      "header",    "headerl",
      "headerr",   "headerf",    "footer",    "footerl",   "footerr",   "footerf",
      "object",    "fldinst",    "themedata", "colorschememapping",     "latentstyles",
      "datastore", "listtable",  "listoverridetable",      "rsidtbl",   "generator",
      "filetbl",   "revtbl",     "xmlnstbl",  "author",    "operator",  "title",
      "subject",   "keywords",   "comment",   "doccomm",   "company",   "footnote",
      "annotation", "bkmkstart", "bkmkend",   "nonshppict", "template", "xe",
      "tc",        "private",    "userprops", "mmathPr",   "pgdsctbl",  "listtext",
      "pntext",    "pntxta",     "pntxtb"};
  return std::find(std::begin(kSkip), std::end(kSkip), w) != std::end(kSkip);
}

struct GroupState {
  bool skip = false;
  bool colorTable = false;
  int colour = 0;
  int uc = 1;
};

class Reader {
 public:
  explicit Reader(std::string_view in) : in_(in) {}

  std::vector<RtfLine> Run() {
    stack_.push_back(GroupState{});
    while (pos_ < in_.size()) {
      char c = in_[pos_++];
      switch (c) {
        case '{':
          stack_.push_back(stack_.back());
          stack_.back().colorTable = false;
          continue;
        case '}':
          if (stack_.size() > 1) stack_.pop_back();
          break;
        case '\\':
          ControlSymbolOrWord();
          break;
        case '\r':
        case '\n':
          break;
        default:
          Text(c);
      }
    }
    if (!line_.empty()) EndLine();
    return std::move(lines_);
  }

 private:
  GroupState& State() { return stack_.back(); }

  void Text(char c) {
    if (State().colorTable) {
      if (c == ';') {
        colours_.push_back(pending_);
        pending_ = {};
      }
      return;
    }
    if (State().skip) return;
    if (skipFallback_ > 0) {
      --skipFallback_;
      return;
    }
    if (line_.empty()) lineColour_ = State().colour;
    line_ += c;
  }

  void EndLine() {
    if (State().skip || State().colorTable) return;
    if (line_.empty()) lineColour_ = State().colour;
    RtfLine l;
    // Entry 0 of the table is usually empty ("auto"), which reads as black as well.
    if (lineColour_ >= 0 && static_cast<size_t>(lineColour_) < colours_.size()) {
      const auto& c = colours_[static_cast<size_t>(lineColour_)];
      l.r = c.r;
      l.g = c.g;
      l.b = c.b;
    }
    l.text = std::move(line_);
    line_.clear();
    lines_.push_back(std::move(l));
  }

  void ControlSymbolOrWord() {
    if (pos_ >= in_.size()) return;
    char c = in_[pos_];
    if (!IsLetter(c)) {
      ++pos_;
      switch (c) {
        case '\\':
        case '{':
        case '}':
          Text(c);
          break;
        case '\'': {
          int hi = pos_ < in_.size() ? HexValue(in_[pos_]) : -1;
          int lo = pos_ + 1 < in_.size() ? HexValue(in_[pos_ + 1]) : -1;
          if (hi < 0 || lo < 0) break;  // damaged escape: dropped
          pos_ += 2;
          Text(static_cast<char>(hi * 16 + lo));
          break;
        }
        case '*':
          State().skip = true;  // a destination we may not know: its text is not ours
          break;
        case '~':
          Text('\xA0');
          break;
        case '_':
          Text('-');
          break;
        case '\r':
        case '\n':
          EndLine();  // "\" before a line end means \par
          break;
        default:
          break;  // \- \: \| and other symbols carry no text we keep
      }
      return;
    }
    size_t start = pos_;
    while (pos_ < in_.size() && IsLetter(in_[pos_]) && pos_ - start < 32) ++pos_;
    std::string_view word = in_.substr(start, pos_ - start);
    bool hasParam = false;
    bool negative = false;
    long param = 0;
    if (pos_ < in_.size() && in_[pos_] == '-') {
      negative = true;
      ++pos_;
    }
    while (pos_ < in_.size() && in_[pos_] >= '0' && in_[pos_] <= '9') {
      hasParam = true;
      if (param < 100000000) param = param * 10 + (in_[pos_] - '0');
      ++pos_;
    }
    if (negative) param = -param;
    if (pos_ < in_.size() && in_[pos_] == ' ') ++pos_;
    Word(word, hasParam, param);
  }

  void Word(std::string_view w, bool hasParam, long param) {
    GroupState& s = State();
    if (s.colorTable) {
      int v = static_cast<int>(std::clamp(param, 0L, 255L));
      if (w == "red") pending_.r = static_cast<uint8_t>(v);
      else if (w == "green") pending_.g = static_cast<uint8_t>(v);
      else if (w == "blue") pending_.b = static_cast<uint8_t>(v);
      return;
    }
    if (w == "colortbl") {
      s.colorTable = true;
      colours_.clear();
      pending_ = {};
      return;
    }
    if (IsSkippedDestination(w)) {
      s.skip = true;
      return;
    }
    if (w == "bin") {
      // Binary data: its bytes are not RTF and must not be parsed as such.
      size_t n = hasParam && param > 0 ? static_cast<size_t>(param) : 0;
      pos_ += std::min(n, in_.size() - pos_);
      return;
    }
    if (w == "cf") {
      s.colour = hasParam ? static_cast<int>(std::clamp(param, 0L, 100000L)) : 0;
    } else if (w == "plain") {
      s.colour = 0;
    } else if (w == "uc") {
      s.uc = static_cast<int>(std::clamp(param, 0L, 10L));
    } else if (w == "u" && hasParam) {
      skipFallback_ = 0;
      Text(FromUnicode(param));
      skipFallback_ = s.uc;
      return;  // keep the fallback count that Text() just left alone
    } else if (w == "par" || w == "line" || w == "page" || w == "sect") {
      EndLine();
    } else if (w == "tab") {
      Text('\t');
    } else if (w == "emdash") {
      Text('\x97');
    } else if (w == "endash") {
      Text('\x96');
    } else if (w == "lquote") {
      Text('\x91');
    } else if (w == "rquote") {
      Text('\x92');
    } else if (w == "ldblquote") {
      Text('\x93');
    } else if (w == "rdblquote") {
      Text('\x94');
    } else if (w == "bullet") {
      Text('\x95');
    }
    skipFallback_ = 0;
  }

  struct Colour {
    uint8_t r = 0, g = 0, b = 0;
  };

  std::string_view in_;
  size_t pos_ = 0;
  std::vector<GroupState> stack_;
  std::vector<Colour> colours_;
  Colour pending_;
  std::string line_;
  int lineColour_ = 0;
  int skipFallback_ = 0;
  std::vector<RtfLine> lines_;
};

std::vector<RtfLine> ReadPlain(std::string_view in) {
  std::vector<RtfLine> lines;
  size_t pos = 0;
  while (pos < in.size()) {
    size_t end = in.find_first_of("\r\n", pos);
    RtfLine l;
    l.text = std::string(in.substr(pos, end == std::string_view::npos ? std::string_view::npos : end - pos));
    lines.push_back(std::move(l));
    if (end == std::string_view::npos) break;
    pos = end + 1;
    if (in[end] == '\r' && pos < in.size() && in[pos] == '\n') ++pos;
  }
  return lines;
}

}  // namespace

std::vector<RtfLine> ReadRtf(std::string_view bytes) {
  size_t start = 0;
  while (start < bytes.size() && (bytes[start] == ' ' || bytes[start] == '\r' || bytes[start] == '\n' ||
                                  bytes[start] == '\t'))
    ++start;
  if (bytes.substr(start, 5) != "{\\rtf") return ReadPlain(bytes);
  return Reader(bytes.substr(start)).Run();
}

}  // namespace varnak
