#pragma once
// Message boxes of the program. None of them runs a nested event loop: they are raised
// from socket, timer and classifier handlers too, and a modal exec() there lets the
// socket being handled be deleted under its own signal (a relay client that left while
// "Connection Closed Gracefully." was up crashed the program). The action that raised
// the box has stopped already when the box appears; the box only tells why.
#include <QMessageBox>
#include <QString>

class QWidget;

namespace varnak {

// Opens a window-modal box with the single button OK and returns at once. A box with
// the same text still open on the same window is not opened twice, so a flood of the
// same failure (a relay client sending while the link is down) gives one box.
QMessageBox* OpenMessageBox(QWidget* parent, QMessageBox::Icon icon, const QString& title, const QString& text);

}  // namespace varnak
