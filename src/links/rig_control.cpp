#include "links/rig_control.h"

#include <algorithm>

namespace varnak {

std::string RigFrequencyText(long long hz) {
  std::string digits = std::to_string(std::max(0LL, hz));
  if (digits.size() < 4) digits = std::string(4 - digits.size(), '0') + digits;
  const size_t whole = digits.size() - 3;
  return digits.substr(0, whole) + "." + digits.substr(whole, 1);
}

std::string MegahertzText(long long hz) {
  const std::string fraction = std::to_string(std::max(0LL, hz) % 1000000);
  return std::to_string(std::max(0LL, hz) / 1000000) + "." + std::string(6 - fraction.size(), '0') + fraction;
}

}  // namespace varnak
