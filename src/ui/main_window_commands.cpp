// The operator's commands on the main window: the send notebook, the user buttons and
// the pop-up menus of the panes.
#include "ui/main_window.h"

namespace varnak {

void TForm1::WireOperatorCommands() {}

void TForm1::BuildUserButtons() {}

void TForm1::FreeButtons() {}

}  // namespace varnak
