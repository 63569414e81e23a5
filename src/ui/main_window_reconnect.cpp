#include <QPushButton>

#include "ui/main_window.h"

namespace varnak {

void TForm1::ShowReconnecting() {
  VrConnect->hide();
  VrDisconnect->show();
  VrDemoButton1->setEnabled(false);
}

}  // namespace varnak
