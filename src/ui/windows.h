#pragma once
// The program's secondary windows. Each is created once at start and only shown and
// hidden afterwards; their behaviour is filled in by the features that own them.
#include <QDialog>
#include <QIcon>
#include <filesystem>
#include <QLabel>
#include <QPlainTextEdit>
#include <QWidget>
#include <string>

namespace varnak {

class SplashWindow : public QWidget {
  Q_OBJECT
 public:
  explicit SplashWindow(const QString& longVersion);
  QLabel* titleLabel() const { return title_; }

 private:
  QLabel* title_;
};

// The program's icon, from the icons installed beside the shipped data folder
// (share/icons/hicolor next to share/varnak), else from the desktop's icon theme.
QIcon ProgramIcon(const std::filesystem::path& shippedDataFolder);

// The width a push button needs to show its caption in its font and style. A style's
// own size hint would make every one-letter button wide.
int CaptionWidth(const QWidget* button, const QString& caption);

class TAboutBox : public QDialog {
  Q_OBJECT
 public:
  explicit TAboutBox(QWidget* parent = nullptr);
};

class TChatForm : public QWidget {
  Q_OBJECT
 public:
  explicit TChatForm(QWidget* parent = nullptr);
};

// Read-only, fixed-pitch, stay-on-top text window ("Monitor", "Mheard").
class TextWindow : public QWidget {
  Q_OBJECT
 public:
  TextWindow(const QString& caption, QWidget* parent = nullptr);
  QPlainTextEdit* text() const { return text_; }
  // One line at the end, the newest kept in view.
  void AddLine(const QString& line);
  // Shown centred on the desktop, in front.
  void ShowCentred();
  void Clear();

 private:
  QPlainTextEdit* text_;
  bool appended_ = false;  // an empty first line leaves the document looking empty
};

class TMoniForm : public TextWindow {
  Q_OBJECT
 public:
  // Past kMaxChars characters the window keeps only those from position kKeepFrom on
  // (1-based), so a busy channel never fills the memory.
  static constexpr int kMaxChars = 10000;
  static constexpr int kKeepFrom = 8000;

  explicit TMoniForm(QWidget* parent = nullptr) : TextWindow("Monitor", parent) {}
  // Monitor text, one window line per CR-ended piece (Windows-1252 bytes).
  void Showdata(const std::string& text);
};

class TMheard : public TextWindow {
  Q_OBJECT
 public:
  explicit TMheard(QWidget* parent = nullptr) : TextWindow("Mheard", parent) {}
};

}  // namespace varnak
