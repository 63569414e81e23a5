#include "ui/quick_help.h"

namespace varnak {

TForm3::TForm3(QWidget* parent) : QWidget(parent, Qt::Window | Qt::WindowStaysOnTopHint) {
  setWindowTitle("Quickhelp DX-spider commands");
}

}  // namespace varnak
