// The setup dialog's "After login send:" box: the rows of "login.cfg", one command a
// line, and ready rows to tick. A ticked box is a row of the text, so the text stays
// the one thing that is saved.
#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "app/login_commands.h"
#include "app/win1252.h"
#include "core/text.h"
#include "ui/setup_dialog.h"

namespace varnak {

namespace {

bool SameCommand(const QString& row, const char* command) {
  return *command && row.trimmed().compare(QLatin1String(command), Qt::CaseInsensitive) == 0;
}

}  // namespace

QWidget* TSetupDlg::BuildLoginBox() {
  auto* box = new QGroupBox("After login send:", this);
  auto* row = new QHBoxLayout(box);
  LoginEdit = new QPlainTextEdit(box);
  LoginEdit->setObjectName("LoginEdit");
  LoginEdit->setToolTip("Node commands sent after every login, one a line,\n"
                        "each once the node has answered the one before");
  LoginEdit->setLineWrapMode(QPlainTextEdit::NoWrap);
  LoginEdit->setTabChangesFocus(true);
  LoginEdit->setFixedHeight(LoginEdit->fontMetrics().lineSpacing() * 4 + 12);
  row->addWidget(LoginEdit, 1);
  auto* ready = new QGridLayout;
  for (size_t i = 0; i < std::size(kReadyLoginCommands); ++i) {
    const ReadyLoginCommand& r = kReadyLoginCommands[i];
    auto* tick = new QCheckBox(r.label, box);
    tick->setObjectName(QString("LoginReady%1").arg(i));
    tick->setToolTip(QString("Sends \"%1\"").arg(r.command));
    ready->addWidget(tick, static_cast<int>(i % 2), static_cast<int>(i / 2));
    ReadyBoxes.push_back(tick);
    connect(tick, &QCheckBox::clicked, this, [this, i](bool on) { TickReadyCommand(i, on); });
  }
  row->addLayout(ready);
  connect(LoginEdit, &QPlainTextEdit::textChanged, this, &TSetupDlg::ShowReadyCommands);
  return box;
}

void TSetupDlg::FillLoginFields() {
  QStringList rows;
  for (const auto& c : ReadLoginCommands(station_.ProgramPath(kLoginCommandsFile))) rows << ToQString(c);
  LoginEdit->setPlainText(rows.join('\n'));
  ShowReadyCommands();
}

bool TSetupDlg::TakeLoginFields() {
  std::vector<std::string> commands;
  for (const QString& row : LoginEdit->toPlainText().split('\n')) commands.push_back(FromQString(row));
  std::string error;
  if (WriteLoginCommands(station_.ProgramPath(kLoginCommandsFile), commands, &error)) return true;
  ReportError(ToQString(error));
  return false;
}

void TSetupDlg::TickReadyCommand(size_t index, bool on) {
  const ReadyLoginCommand& r = kReadyLoginCommands[index];
  QStringList rows;
  for (const QString& row : LoginEdit->toPlainText().split('\n')) {
    if (row.trimmed().isEmpty() || SameCommand(row, r.command) || (on && SameCommand(row, r.opposite))) continue;
    rows << row;
  }
  if (on) rows << r.command;
  LoginEdit->setPlainText(rows.join('\n'));
}

void TSetupDlg::ShowReadyCommands() {
  const QStringList rows = LoginEdit->toPlainText().split('\n');
  for (size_t i = 0; i < ReadyBoxes.size(); ++i) {
    const char* command = kReadyLoginCommands[i].command;
    const bool there = std::any_of(rows.begin(), rows.end(), [command](const QString& row) { return SameCommand(row, command); });
    const QSignalBlocker quiet(ReadyBoxes[i]);
    ReadyBoxes[i]->setChecked(there);
  }
}

}  // namespace varnak
