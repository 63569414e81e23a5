// The setup dialog's log row: the operator's ADIF file and what the spot sound plays for.
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>

#include "ui/setup_dialog.h"

namespace varnak {

QWidget* TSetupDlg::BuildLogBox() {
  auto* box = new QWidget(this);
  auto* row = new QHBoxLayout(box);
  row->setContentsMargins(0, 4, 0, 4);
  EditLog = new QLineEdit(box);
  EditLog->setObjectName("EditLog");
  EditLog->setToolTip("The log your logging program writes (ADIF, .adi)\nSpots you still need are marked");
  LogFileBtn = new QPushButton("...", box);
  LogFileBtn->setObjectName("LogFileBtn");
  LogFileBtn->setAutoDefault(false);
  LogFileBtn->setFixedWidth(LogFileBtn->fontMetrics().horizontalAdvance("...") + 24);
  LogFileBtn->setToolTip("Choose the log file");
  SoundChoice = new QComboBox(box);
  SoundChoice->setObjectName("SoundChoice");
  SoundChoice->addItems({"all spots", "needed only"});
  SoundChoice->setToolTip("\"needed only\": the spot sound plays for a new entity, band or mode\n"
                          "The speaker switch turns it off");
  auto* label = new QLabel("Log file (ADIF):", box);
  label->setBuddy(EditLog);
  row->addWidget(label);
  row->addWidget(EditLog, 1);
  row->addWidget(LogFileBtn);
  row->addSpacing(12);
  row->addWidget(new QLabel("Sound on:", box));
  row->addWidget(SoundChoice);
  connect(LogFileBtn, &QPushButton::clicked, this, &TSetupDlg::ChooseLogFile);
  return box;
}

// The path is the file system's (UTF-8), not text of the cluster.
void TSetupDlg::FillLogFields() {
  const Settings& s = station_.settings();
  EditLog->setText(QString::fromStdString(s.LogAdif));
  SoundChoice->setCurrentIndex(s.SoundNeeded ? 1 : 0);
}

void TSetupDlg::TakeLogFields() {
  Settings& s = station_.settings();
  s.LogAdif = EditLog->text().trimmed().toStdString();
  s.SoundNeeded = SoundChoice->currentIndex() == 1;
}

// Opened without blocking.
void TSetupDlg::ChooseLogFile() {
  auto* chooser = new QFileDialog(this, "Log file (ADIF)");
  chooser->setObjectName("LogFileChooser");
  chooser->setAttribute(Qt::WA_DeleteOnClose);
  chooser->setFileMode(QFileDialog::ExistingFile);
  chooser->setNameFilters({"ADIF files (*.adi *.ADI *.adif)", "All files (*)"});
  const QString current = EditLog->text().trimmed();
  if (!current.isEmpty()) chooser->setDirectory(QFileInfo(current).absolutePath());
  connect(chooser, &QFileDialog::fileSelected, this, [this](const QString& file) { EditLog->setText(file); });
  choosingLog_ = true;
  logChooser_ = chooser;
  chooser->open();
}

// The chooser takes the activation while it is open, and the platform may report the
// dialog active again before or after the chooser has gone: until the dialog is active
// with the chooser closed, activation changes are ours and the fields stay as typed.
bool TSetupDlg::ReturningFromLogChooser() {
  if (!choosingLog_) return false;
  if (isActiveWindow() && !(logChooser_ && logChooser_->isVisible())) choosingLog_ = false;
  return true;
}

}  // namespace varnak
