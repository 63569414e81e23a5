// Keys a desktop program has: menu mnemonics and F10 for the menu bar, Ctrl+Q and F1
// (set with the menu items), and hints inside the unlabelled fields of "Send DX".
#include <QMenuBar>
#include <QShortcut>

#include "ui/main_window.h"

namespace varnak {

void TForm1::WireKeyboard() {
  auto* f10 = new QShortcut(QKeySequence(Qt::Key_F10), this);
  connect(f10, &QShortcut::activated, this, [this] {
    const auto menus = menuBar()->actions();
    if (menus.isEmpty()) return;
    menuBar()->setFocus(Qt::MenuBarFocusReason);
    menuBar()->setActiveAction(menus.first());
  });
  DxCallEdit->setPlaceholderText("DX call");
  DxQrgEdit->setPlaceholderText("kHz");
  DxInfoEdit->setPlaceholderText("Comment");
}

}  // namespace varnak
