#include "ui/message_boxes.h"

#include <QWidget>

namespace varnak {

QMessageBox* OpenMessageBox(QWidget* parent, QMessageBox::Icon icon, const QString& title, const QString& text) {
  if (parent) {
    for (QMessageBox* open : parent->findChildren<QMessageBox*>(Qt::FindDirectChildrenOnly))
      if (open->isVisible() && open->text() == text && open->icon() == icon) return open;
  }
  auto* box = new QMessageBox(icon, title, text, QMessageBox::Ok, parent);
  box->setAttribute(Qt::WA_DeleteOnClose);
  box->open();
  return box;
}

}  // namespace varnak
