#pragma once
// What the practice node talks about: real-looking calls of many entities, spotted on
// frequencies inside each band's CW, digital and phone segments, by spotters of several
// continents, with the announcements, bulletins and talk of a busy evening. Every choice
// comes from one seeded generator, so a run can be repeated exactly.
#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace varnak::demo {

// The calls the traffic is drawn from: prefixes of every entity in the country file
// (cty.csv of Debian's hamradio-files) with its continent, and the active contest calls
// of its MASTER.SCP.
struct CallData {
  struct Entity {
    std::string name;
    std::string continent;              // EU, NA, SA, AS, AF, OC
    std::vector<std::string> prefixes;  // the plain prefixes, the primary one first
  };
  std::vector<Entity> entities;
  std::vector<std::string> masterCalls;
};

// Reads cty.csv (needed) and MASTER.SCP (optional) from the folder. False with a reason
// when the country file is missing or holds no entity.
bool LoadCallData(const std::string& folder, CallData* data, std::string* error);

struct Spot {
  double kHz = 0;
  std::string dxCall;
  std::string spotter;
  std::string comment;
};

class Traffic {
 public:
  Traffic(const CallData& data, std::uint64_t seed);

  Spot NextSpot();
  // "anyone QRV on 6m? Es opening to EA8" - the text of another user's announcement.
  std::string AnnouncementText();
  // "SFI=152, A=8, K=2, No Storms -> No Storms" and the like.
  std::string WwvText();
  std::string WcyText();
  // A line another user says to the operator, and an answer to the operator's talk.
  std::string TalkText();
  std::string TalkReply();

  // A call of a station that could be on the air, from any entity or from MASTER.SCP;
  // the continent is a fitting one for the comment (not always the call's own).
  std::string AnyCall(std::string* continent = nullptr);
  // A call from an entity of the given continent ("EU" ...).
  std::string CallOf(const std::string& continent);
  // A spotter: mostly Europe and North America, some Asia, a few of the rest.
  std::string Spotter();

  int Uniform(int lo, int hi);  // lo..hi inclusive
  double Chance();              // 0..1

 private:
  std::string CallFromPrefix(const std::string& prefix);
  std::string Pick(const std::vector<std::string>& from);

  const CallData& data_;
  std::mt19937_64 rng_;
  std::vector<std::size_t> byContinent_[6];
};

}  // namespace varnak::demo
