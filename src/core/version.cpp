#include "core/version.h"

#include "version_info.h"

namespace varnak {

std::string ShortVersionText(int major, int minor, int release) {
  return std::to_string(major) + "." + std::to_string(minor) + std::to_string(release);
}

std::string LongVersionText(int major, int minor, int release, int build) {
  return ShortVersionText(major, minor, release) + " (Build " + std::to_string(build) + ")";
}

std::string ShortVersionText() {
  return ShortVersionText(VARNAK_VERSION_MAJOR, VARNAK_VERSION_MINOR, VARNAK_VERSION_RELEASE);
}

std::string LongVersionText() {
  return LongVersionText(VARNAK_VERSION_MAJOR, VARNAK_VERSION_MINOR, VARNAK_VERSION_RELEASE, VARNAK_VERSION_BUILD);
}

std::string PackageVersionText() { return VARNAK_PACKAGE_VERSION; }

}  // namespace varnak
