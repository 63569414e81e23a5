#pragma once
// A plain, slow walk of the prefix table kept only for the tests: every record of the
// index cell is tried and every mask element is expanded as text, exactly as the rules
// are written. The parser's compiled search must give the same rows for every call.
#include <string>
#include <string_view>
#include <vector>

#include "callsign/prefix_list.h"

namespace varnak::test {

THitList PlainFindHits(const TPrefixList& list, const std::string& call);

}  // namespace varnak::test
