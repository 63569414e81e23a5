#pragma once
// SpotterContinents: the continent of a spotter's call ("EU" for "DL1ABC-#").
//
// Responsibilities: asks the prefix table once per spotter call and keeps the answer;
// a few hundred spotters (skimmers mostly) send nearly every spot, so after the first
// minutes no spot costs a table walk.
//
// Collaborations: the station's call parser answers; the alert rules and the stations
// view ask.
#include <string>
#include <string_view>
#include <unordered_map>

namespace varnak {

class TCallParser;

class SpotterContinents {
 public:
  explicit SpotterContinents(TCallParser& parser) : parser_(parser) {}
  // Empty when the table does not know the call.
  const std::string& Of(std::string_view spotter);
  // After the prefix table changed.
  void Clear() { known_.clear(); }

 private:
  TCallParser& parser_;
  std::unordered_map<std::string, std::string> known_;
};

}  // namespace varnak
