#include <QPushButton>

#include "ui/main_window.h"

namespace varnak {

// "Update" asks the node for its users: only once the node is connected.
void TForm1::ShowLinkPending() {
  VrConnect->hide();
  VrDisconnect->show();
  VrDemoButton1->setEnabled(false);
}

}  // namespace varnak
