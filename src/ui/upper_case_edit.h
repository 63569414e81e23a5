#pragma once
// Line edits that hold upper case only, whether typed or set by the program, as the
// callsign and locator boxes need.
#include <QLineEdit>

namespace varnak {

void ForceUpperCase(QLineEdit* edit);

}  // namespace varnak
