#pragma once
// The program's version texts: major.minor and release written together ("2.05"), and
// the long form with the build number ("2.05 (Build 7)").
#include <string>

namespace varnak {

std::string ShortVersionText(int major, int minor, int release);
std::string LongVersionText(int major, int minor, int release, int build);

// This build's texts.
std::string ShortVersionText();
std::string LongVersionText();
// The same version as the package carries it ("1.0.0.1").
std::string PackageVersionText();

}  // namespace varnak
