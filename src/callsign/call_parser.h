#pragma once
// The callsign parser: rewrites a callsign or typed prefix into a normalised form
// ("EA8/DL1ABC" -> "EA8", "W1ABC/4" -> "W4", "DL1ABC/QRP" -> "DL1ABC") and merges the
// matching prefix-table records, from the most specific up to the country, into result
// rows. Owned by a window; used on the user-interface thread only.
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "callsign/prefix_list.h"

namespace varnak {

// An entity-number query met a top-level record whose entity number is not a number.
class ConvertError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Rows of the same entity (entity number and name) after the first are dropped: the
// first is the most specific match.
void KeepOneRowPerEntity(THitList& rows);

class TCallParser {
 public:
  TCallParser();
  TCallParser(const TCallParser&) = delete;
  TCallParser& operator=(const TCallParser&) = delete;

  // Folder that relative file names are resolved against (the station folder, with its
  // trailing separator). Empty: relative names stay relative to the working directory.
  void SetProgramDir(const std::string& dir) { programDir_ = dir; }
  const std::string& ProgramDir() const { return programDir_; }

  // Setting a file name loads it; load errors are swallowed (LastLoadError keeps the
  // text, empty after a clean load) and the table answers what it holds.
  const std::string& PrefixFile() const { return prefixFile_; }
  void SetPrefixFile(const std::string& name);
  const std::string& CallFile() const { return callFile_; }
  void SetCallFile(const std::string& name);
  const std::string& LastLoadError() const { return lastLoadError_; }

  // Looks the text up; read the rows from HitList and the normalised form from Call.
  // Throws ConvertError when an entity-number query ("ADIF291") meets a record whose
  // entity number is not a number.
  void ParseCall(const std::string& text);
  const std::string& Call() const { return call_; }
  // How many texts ParseCall has looked up: each costs a walk of the table.
  std::uint64_t QueryCount() const { return queries_; }
  void SetCall(const std::string& call) { call_ = call; }
  const THitList& HitList() const { return hitList_; }
  const TPrefixList& PrefixList() const { return *table_; }
  // The loaded table is never changed (a new load makes a new one), so parsers of
  // several windows can share it; each keeps its own query state.
  std::shared_ptr<const TPrefixList> PrefixTable() const { return table_; }
  void SharePrefixTable(const TCallParser& other);

  std::string ResolveDataFile(const std::string& name) const;

  // The steps of a query, public so that each can be checked on its own.
  bool NormaliseCall();  // rewrites Call; false when it is no callsign
  void FindHits();       // fills HitList from Call
  TPrefixData FindEntity(int n) const;
  bool MatchRecord(const TPrefixEntry& r, bool topLevel) const;
  // 0 no match, 1 callsign shorter than the mask, 2 mask used up by the callsign.
  static int ComparePrefixPart(std::string_view call, std::string_view mask);
  // 0 suffixes differ, 1 callsign suffix the mask lacks, 2 mask suffix the callsign
  // lacks, 3 agree.
  static int CompareSuffixPart(std::string_view call, std::string_view mask);
  // Merges one hit (its record data, kind and collected extra names) into a result row.
  static void MergeHit(TPrefixData& row, const TPrefixData& hit, int kind,
                       const std::vector<std::string>& hitExtraNames);

 private:
  struct Hit {
    const TPrefixEntry* Record;
    std::int32_t Parent;
    bool Merged;
    std::vector<std::string> ExtraNames;
  };

  bool MatchCompiled(int record, bool topLevel, std::string_view prefixPart,
                     std::string_view suffixPart, bool callHasSlash) const;
  void AddHit(const TPrefixEntry& r, std::int32_t parent);
  void Descend(const TPrefixEntry& r, std::int32_t hit, std::string_view prefixPart,
               std::string_view suffixPart, bool callHasSlash);
  void BuildHitList();

  std::string programDir_;
  std::string prefixFile_;
  std::string callFile_;
  std::string lastLoadError_;
  std::shared_ptr<const TPrefixList> table_;
  std::vector<std::string> callList_;
  std::string call_;
  std::vector<Hit> hits_;
  THitList hitList_;
  std::vector<std::int32_t> candidates_;
  std::uint64_t queries_ = 0;
};

}  // namespace varnak
