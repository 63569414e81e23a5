#pragma once
// TForm3: the quick-help window with the cluster commands from "help.txt". Picking a
// row puts its command, lower-cased, into the main window's "Send text" box.
#include <QTableWidget>
#include <QWidget>
#include <filesystem>
#include <string>

namespace varnak {

class TForm1;

class TForm3 : public QWidget {
  Q_OBJECT
 public:
  // "help.txt" is read by its bare name, from the working directory (the station
  // folder); the bounds go to "Help.ini" in the main window's station folder.
  explicit TForm3(QWidget* parent = nullptr);
  TForm3(const std::filesystem::path& helpFile, const std::filesystem::path& boundsFile, QWidget* parent);

  QTableWidget* HelpGrid = nullptr;  // SortGrid1
  const std::string& LoadError() const { return loadError_; }

  void SortGrid1SelectCell(int column, int row);
  void StoreBounds();

 protected:
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void LoadHelp(const std::filesystem::path& helpFile);
  void ApplyStoredBounds();

  TForm1* mainForm_ = nullptr;
  std::filesystem::path boundsFile_;
  std::string loadError_;
  bool applying_ = false;
};

}  // namespace varnak
