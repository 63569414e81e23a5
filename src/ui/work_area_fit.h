#pragma once
// Responsibilities: keeps a window inside the work area of its screen each time it is
// shown: never larger than the area, frame and title bar included, and moved so that
// the whole of it stands inside. A dialog taller than a small screen then has no title
// bar or buttons out of reach; its body scrolls instead (ScrollingBody).
#include <QMargins>

class QScrollArea;
class QWidget;

namespace varnak {

void KeepInWorkArea(QWidget* window);
// The same once, now (a window that places itself as it is shown).
void FitToWorkArea(QWidget* window);
// A frameless scroll area around body, for a dialog's fields; its buttons stay outside.
QScrollArea* ScrollingBody(QWidget* body, QWidget* parent);

}  // namespace varnak
