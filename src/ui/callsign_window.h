#pragma once
// TCallsign: the "Callsign / Prefix lookup" window. It has a parser of its own and looks
// the typed text up again whenever the text changes or the window becomes active.
#include <QDialog>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <memory>
#include <string>

namespace varnak {

class TCallParser;

class TCallsign : public QDialog {
  Q_OBJECT
 public:
  // programDir: the station folder, where "prefix.lst" lies.
  explicit TCallsign(const std::string& programDir, QWidget* parent = nullptr);
  // Shares the main window's prefix table instead of loading a second copy.
  TCallsign(const TCallParser& mainParser, QWidget* parent);
  ~TCallsign() override;

  QLineEdit* Edit1 = nullptr;
  QPlainTextEdit* RichEdit1 = nullptr;

  void Lookup();
  const TCallParser& Parser() const { return *parser_; }

 protected:
  void changeEvent(QEvent* event) override;

 private:
  void Build();

  std::unique_ptr<TCallParser> parser_;
};

}  // namespace varnak
