#pragma once
// The program's secondary windows. Each is created once at start and only shown and
// hidden afterwards; their behaviour is filled in by the features that own them.
#include <QDialog>
#include <QLabel>
#include <QPlainTextEdit>
#include <QWidget>

namespace varnak {

class SplashWindow : public QWidget {
  Q_OBJECT
 public:
  explicit SplashWindow(const QString& longVersion);
  QLabel* titleLabel() const { return title_; }

 private:
  QLabel* title_;
};

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

 private:
  QPlainTextEdit* text_;
};

class TMoniForm : public TextWindow {
  Q_OBJECT
 public:
  explicit TMoniForm(QWidget* parent = nullptr) : TextWindow("Monitor", parent) {}
};

class TMheard : public TextWindow {
  Q_OBJECT
 public:
  explicit TMheard(QWidget* parent = nullptr) : TextWindow("Mheard", parent) {}
};

class TCallsign : public QDialog {
  Q_OBJECT
 public:
  explicit TCallsign(QWidget* parent = nullptr);
};

}  // namespace varnak
