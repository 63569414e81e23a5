#include "ui/upper_case_edit.h"

namespace varnak {

void ForceUpperCase(QLineEdit* edit) {
  QObject::connect(edit, &QLineEdit::textChanged, edit, [edit](const QString& text) {
    QString upper = text.toUpper();
    if (upper == text) return;
    int pos = edit->cursorPosition();
    edit->setText(upper);
    edit->setCursorPosition(pos);
  });
  edit->setText(edit->text().toUpper());
}

}  // namespace varnak
