#pragma once
// The prefix table: the records of "prefix.lst" arranged into a tree by nesting level and
// indexed by the first two callsign characters. A record line looks like
//   0100|-1800|9270|England|G|EU|14|27|0|223||||G,M|
// (kind/level, longitude and latitude x 180, name, prefix, four carried texts, entity
// number, one more text, two unused fields, the masks).
// Besides the index cells the table keeps a compiled form of every mask so that the call
// parser can find the matching records of a busy cell without trying each one.
#include <array>
#include <bitset>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace varnak {

inline constexpr std::int32_t NoValue = 2147483647;
inline constexpr std::string_view PrefixAlphabet = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";

struct TPrefixData {
  std::int32_t Longitude = NoValue;  // 1/180 degree, east positive
  std::int32_t Latitude = NoValue;   // 1/180 degree, north positive
  std::string Name;
  std::string Prefix;
  std::string Text5, Text6, Text7, Text8;
  std::string EntityNumber;
  std::string Text10;
  std::string Regions;  // result rows only
  std::string SubArea;  // result rows only
  std::vector<std::string> ExtraNames;  // result rows only

  bool HasCoordinates() const { return Longitude != NoValue; }
  bool operator==(const TPrefixData&) const = default;
};

struct TPrefixEntry {
  TPrefixData Data;
  std::int32_t Index = 0;
  std::uint8_t Kind = 0;
  std::int32_t Level = 0;
  std::string Masks;
  std::int32_t Parent = -1;
  std::vector<std::int32_t> Children;
};

using TPrefixArray = std::vector<TPrefixEntry>;
using PPrefixArray = std::vector<const TPrefixEntry*>;
using THitList = std::vector<TPrefixData>;

// Raised by Load: a file that cannot be opened, or a record line with too few fields.
class PrefixFileError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class TPrefixList {
 public:
  TPrefixList();
  TPrefixList(const TPrefixList&) = delete;
  TPrefixList& operator=(const TPrefixList&) = delete;

  // Replaces the table with the file's records. Throws PrefixFileError; when the file
  // cannot be opened nothing changes, when a record line is short the records before it
  // stay but tree and index are not built.
  void Load(const std::string& path);

  // Records of kind 1 or 6 with a mask admitting c1 then c2, in file order; empty when
  // either character is outside PrefixAlphabet.
  const PPrefixArray& Cell(char c1, char c2) const;

  const TPrefixArray& Entries() const { return entries_; }
  int Count() const { return static_cast<int>(entries_.size()); }

  // Removes the first element from mask and returns the characters it admits, ascending.
  static std::string ExpandElement(std::string& mask);

  // Position of c in PrefixAlphabet, or -1.
  static int AlphabetIndex(char c) { return kAlphaIndex[static_cast<unsigned char>(c)]; }

  // --- Compiled masks, for the call parser ---------------------------------------------
  // One mask item. The prefix part (before the first "/") is either literal (every
  // element one plain character, compared as text) or a run of pattern elements.
  struct PatternElement {
    std::bitset<256> Admits;
    std::uint32_t End = 0;  // position in the prefix part just after this element
  };
  // Kept for every mask of the table (tens of thousands), so it holds one pointer into
  // the mask pool and the lengths rather than three views.
  struct CompiledMask {
    const char* Start = nullptr;  // the whole item, in the table's mask pool
    std::uint32_t TextSize = 0, PrefixSize = 0;
    std::uint32_t FirstElement = 0, ElementCount = 0;  // into PatternElements()
    bool HasSlash = false;
    bool Literal = true;
    std::string_view Text() const { return {Start, TextSize}; }  // the whole item
    std::string_view Prefix() const { return {Start, PrefixSize}; }  // up to the first "/"
    // From the first "/" on, empty without one.
    std::string_view Suffix() const { return Text().substr(PrefixSize); }
  };
  // The masks of record i.
  std::pair<const CompiledMask*, const CompiledMask*> MasksOf(int i) const {
    const auto& r = maskRange_[i];
    return {masks_.data() + r.first, masks_.data() + r.first + r.second};
  }
  const std::vector<PatternElement>& PatternElements() const { return elements_; }
  // For a record with many masks (an entity with all its prefixes), the positions in
  // MasksOf of those whose prefix part admits c1 then c2, ascending; false when the
  // record keeps no such list or a character is outside PrefixAlphabet.
  bool MasksInCell(int i, char c1, char c2, const std::uint32_t*& begin, const std::uint32_t*& end) const;
  // Records of one cell that have at least one pattern mask, in file order.
  const std::vector<std::int32_t>& PatternCell(char c1, char c2) const;
  // Records of kind 1 or 6 with a literal mask whose prefix part is exactly text.
  const std::int32_t* LiteralExact(std::string_view text, std::size_t& count) const;
  // Appends records of kind 1 or 6 with a literal mask whose prefix part begins with
  // text and is longer than it.
  void LiteralLonger(std::string_view text, std::vector<std::int32_t>& out) const;
  // Bit k (k < 63) set when a literal prefix part of length k may start a callsign of
  // this cell; bit 63 stands for all longer ones.
  std::uint64_t LiteralLengths(char c1, char c2) const;
  bool Indexed() const { return indexed_; }
  // The last Load got as far as reading the file.
  bool Opened() const { return opened_; }
  // Approximate heap bytes held by the loaded table, for the benchmark's report.
  std::size_t MemoryBytes() const;

 private:
  static const std::array<std::int8_t, 256> kAlphaIndex;

  void Clear();
  void BuildTree();
  void CompileMasks();
  void BuildIndex();

  TPrefixArray entries_;
  std::array<PPrefixArray, 36 * 36> cells_;
  std::array<std::vector<std::int32_t>, 36 * 36> patternCells_;
  bool indexed_ = false;
  bool opened_ = false;

  std::string maskPool_;  // the mask items, unquoted, back to back
  std::vector<std::pair<std::uint32_t, std::uint32_t>> maskItems_;  // offset, length in the pool
  std::vector<std::pair<std::uint32_t, std::uint32_t>> maskRange_;  // per record: first, count
  std::vector<CompiledMask> masks_;
  std::vector<PatternElement> elements_;
  struct MaskCell {
    std::uint16_t Cell;
    std::uint32_t Mask;  // position among the record's masks
    bool operator<(const MaskCell& o) const { return Cell != o.Cell ? Cell < o.Cell : Mask < o.Mask; }
  };
  std::vector<MaskCell> maskCells_;
  std::vector<std::uint32_t> maskCellMasks_;  // maskCells_[k].Mask, for returning ranges
  std::vector<std::pair<std::uint32_t, std::uint32_t>> maskCellRange_;  // per record; count 0: none
  // Literal prefix parts of top-level records, sorted by text then record.
  std::vector<std::pair<std::string_view, std::int32_t>> literals_;
  // Open-addressing table over the distinct literal texts: one probe usually settles a
  // lookup, where a node-based map costs three cache misses.
  struct LiteralSlot {
    std::uint64_t Hash = 0;
    std::uint32_t RunStart = 0, RunCount = 0;  // RunCount 0: empty slot
  };
  std::vector<LiteralSlot> literalSlots_;
  std::array<std::uint64_t, 36 * 36> literalLengths_{};
  std::vector<std::int32_t> literalRecords_;  // literals_ records, for LiteralExact
};

}  // namespace varnak
