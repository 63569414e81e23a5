// The station's side of the operator's log: which file, and where its program lines go.
#include <QDir>

#include "app/operator_log.h"
#include "app/station.h"
#include "app/win1252.h"

namespace varnak {

void Station::WireOperatorLog() {
  log_ = std::make_unique<OperatorLog>(*parser_, this);
  connect(log_.get(), &OperatorLog::readFinished, this, [this](const QString& line, bool ok) {
    pane_->AddPaneLine(ok ? pane_colour::kBlack : pane_colour::kRed, FromQString(line));
  });
}

void Station::ReadOperatorLog() {
  const QString name = QString::fromStdString(settings_.LogAdif).trimmed();
  log_->SetFile(name.isEmpty() ? QString() : QDir(QString::fromStdString(programDir_)).absoluteFilePath(name));
}

}  // namespace varnak
