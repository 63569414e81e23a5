#pragma once
// SIGTERM and SIGINT (a logout, Ctrl-C in the terminal) close a window through its
// ordinary close path, so that the shutdown saves everything as "Exit" does.
class QWidget;

namespace varnak {

void CloseOnTerminationSignals(QWidget* window);

}  // namespace varnak
