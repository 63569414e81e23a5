#pragma once
// TEditButtonDlg: the editor of the user-button table "buttons.cfg". The table in this
// dialog is the one source of the buttons: a click reads its command from here.
#include <QDialog>
#include <QPushButton>
#include <QTableWidget>
#include <filesystem>
#include <functional>

#include "core/table_file.h"

namespace varnak {

class TEditButtonDlg : public QDialog {
  Q_OBJECT
 public:
  // Loads "buttons.cfg" (created with the default rows when missing). With the main
  // window as parent the file lies in its station folder and the window builds its
  // buttons from this table at once.
  explicit TEditButtonDlg(QWidget* parent = nullptr);
  TEditButtonDlg(const std::filesystem::path& file, QWidget* parent);

  const std::filesystem::path& FilePath() const { return file_; }
  // The table as it stands in the grid, edits included.
  Table ButtonTable() const;
  std::string CommandAt(int row) const;
  // Last load or save error, empty when none.
  const std::string& LastError() const { return error_; }

  void AddClick();
  void DeleteClick();
  void UpClick();
  void DownClick();
  void SaveClick();
  void CancelClick();

  // Rebuilds the button bar; the main window sets it.
  std::function<void()> buildButtons;

  QTableWidget* SortGrid1 = nullptr;
  QPushButton* AddButton = nullptr;
  QPushButton* DeleteButton = nullptr;
  QPushButton* UpButton = nullptr;
  QPushButton* DownButton = nullptr;
  QPushButton* SaveButton = nullptr;
  QPushButton* CancelButton = nullptr;

 private:
  void Build();
  void Load(const Table& table);
  void SwapRows(int a, int b);

  std::filesystem::path file_;
  std::string error_;
};

}  // namespace varnak
