#include "ui/callsign_window.h"

#include <QEvent>
#include <QFontDatabase>
#include <QVBoxLayout>

#include "app/win1252.h"
#include "callsign/call_parser.h"
#include "callsign/lookup.h"
#include "ui/work_area_fit.h"

namespace varnak {

TCallsign::TCallsign(const std::string& programDir, QWidget* parent)
    : QDialog(parent), parser_(std::make_unique<TCallParser>()) {
  parser_->SetProgramDir(programDir);
  parser_->SetPrefixFile("prefix.lst");
  Build();
}

TCallsign::TCallsign(const TCallParser& mainParser, QWidget* parent)
    : QDialog(parent), parser_(std::make_unique<TCallParser>()) {
  parser_->SetProgramDir(mainParser.ProgramDir());
  parser_->SharePrefixTable(mainParser);
  Build();
}

void TCallsign::Build() {
  setWindowTitle("Callsign / Prefix lookup");
  setModal(false);
  auto* layout = new QVBoxLayout(this);
  Edit1 = new QLineEdit(this);
  Edit1->setObjectName("Edit1");
  RichEdit1 = new QPlainTextEdit(this);
  RichEdit1->setObjectName("RichEdit1");
  RichEdit1->setReadOnly(true);
  RichEdit1->setLineWrapMode(QPlainTextEdit::NoWrap);
  RichEdit1->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  layout->addWidget(Edit1);
  layout->addWidget(RichEdit1, 1);
  resize(620, 260);
  KeepInWorkArea(this);
  connect(Edit1, &QLineEdit::textChanged, this, [this] { Lookup(); });
}

TCallsign::~TCallsign() = default;

void TCallsign::Lookup() {
  RichEdit1->clear();
  std::vector<std::string> lines;
  try {
    lines = CallsignLookupLines(*parser_, FromQString(Edit1->text().toUpper()));
  } catch (const ConvertError& e) {
    lines = {std::string("Error: ") + e.what()};
  }
  QStringList out;
  for (const auto& line : lines) out << ToQString(line);
  RichEdit1->setPlainText(out.join('\n'));
}

void TCallsign::changeEvent(QEvent* event) {
  QDialog::changeEvent(event);
  if (event->type() == QEvent::ActivationChange && isActiveWindow()) Lookup();
}

}  // namespace varnak
