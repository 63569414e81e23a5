#pragma once
// TForm3: the quick-help window with the cluster commands from "help.txt".
#include <QWidget>

namespace varnak {

class TForm3 : public QWidget {
  Q_OBJECT
 public:
  explicit TForm3(QWidget* parent = nullptr);
};

}  // namespace varnak
