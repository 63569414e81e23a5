#include "app/operator_log.h"

#include <QDir>
#include <QFileInfo>
#include <QThread>

#include "callsign/call_parser.h"
#include "core/text.h"

namespace varnak {

namespace {

struct ReadJob {
  std::filesystem::path path;
  std::unique_ptr<TCallParser> parser;
  LogReadResult result;
};

}  // namespace

OperatorLog::OperatorLog(const TCallParser& tableSource, QObject* parent)
    : QObject(parent), tableSource_(tableSource) {
  debounce_.setSingleShot(true);
  connect(&debounce_, &QTimer::timeout, this, &OperatorLog::StartRead);
  connect(&watcher_, &QFileSystemWatcher::fileChanged, this, [this] {
    Rewatch();
    debounce_.start(DebounceMs);
  });
  // Loggers that save by writing a new file and renaming it over the old one make the
  // watcher lose the file; the folder tells us when it is back.
  connect(&watcher_, &QFileSystemWatcher::directoryChanged, this, [this] {
    Rewatch();
    if (StampNow() != lastStamp_) debounce_.start(DebounceMs);
  });
}

OperatorLog::~OperatorLog() {
  if (running_) {
    running_->wait();
    delete running_.data();
  }
}

void OperatorLog::SetFile(const QString& path) {
  if (path == path_) return;
  ++generation_;
  debounce_.stop();
  pending_ = false;
  if (!watcher_.files().isEmpty()) watcher_.removePaths(watcher_.files());
  if (!watcher_.directories().isEmpty()) watcher_.removePaths(watcher_.directories());
  path_ = path;
  lastLine_.clear();
  lastStamp_ = {};
  if (state_->book) {
    state_->book.reset();
    emit marksChanged();
  }
  if (path_.isEmpty()) return;
  const QString folder = QFileInfo(path_).absolutePath();
  if (QFileInfo(folder).isDir()) watcher_.addPath(folder);
  Rewatch();
  StartRead();
}

OperatorLog::Stamp OperatorLog::StampNow() const {
  const QFileInfo info(path_);
  if (!info.exists()) return {};
  return {true, info.size(), info.lastModified().toMSecsSinceEpoch()};
}

void OperatorLog::Rewatch() {
  if (!path_.isEmpty() && QFileInfo::exists(path_) && !watcher_.files().contains(path_)) watcher_.addPath(path_);
}

void OperatorLog::StartRead() {
  if (path_.isEmpty()) return;
  if (running_) {
    pending_ = true;  // read again once this one is in
    return;
  }
  lastStamp_ = StampNow();
  auto job = std::make_shared<ReadJob>();
  job->path = std::filesystem::path(path_.toStdString());
  job->parser = std::make_unique<TCallParser>();
  job->parser->SharePrefixTable(tableSource_);
  QThread* thread = QThread::create([job] { job->result = ReadLogFile(job->path, *job->parser); });
  running_ = thread;
  const int generation = generation_;
  connect(thread, &QThread::finished, this, [this, thread, job, generation] {
    if (running_ == thread) running_ = nullptr;
    thread->deleteLater();
    Finished(generation, job->result);
  });
  thread->start(QThread::LowPriority);
}

void OperatorLog::Finished(int generation, const LogReadResult& result) {
  if (generation == generation_) {
    const QString line = QString::fromUtf8(LogReadLine(result));
    if (result.Book) {
      state_->book = result.Book;
      emit marksChanged();
    }
    if (line != lastLine_) {
      lastLine_ = line;
      emit readFinished(line, result.Error.empty());
    }
  }
  if (pending_ && !path_.isEmpty()) {
    pending_ = false;
    StartRead();
  }
}

NeedMark OperatorLog::Mark(std::string_view entityNumber, double kHz, std::string_view comment) const {
  return state_->book ? state_->book->MarkSpot(entityNumber, kHz, comment) : NeedMark::None;
}

NeedMarker OperatorLog::Marker() const {
  return [state = state_](std::string_view entityNumber, double kHz, std::string_view comment) {
    return state->book ? state->book->MarkSpot(entityNumber, kHz, comment) : NeedMark::None;
  };
}

}  // namespace varnak
