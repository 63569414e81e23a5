#pragma once
// OperatorLog: the operator's ADIF log behind the spot marks. It reads the file at once
// when it is named and again whenever a logger changes it on disk, always off the
// window's thread, one read at a time, and hands the new log book over on the window's
// thread. While a file cannot be read, the marks of the last good read stay.
#include <QFileSystemWatcher>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <memory>
#include <string>
#include <string_view>

#include "core/need_mark.h"
#include "log/log_book.h"

class QThread;

namespace varnak {

class TCallParser;

class OperatorLog : public QObject {
  Q_OBJECT
 public:
  // tableSource: the parser whose prefix table the reads share (never loaded again).
  explicit OperatorLog(const TCallParser& tableSource, QObject* parent = nullptr);
  ~OperatorLog() override;

  // An absolute path, or empty for no log. A new name is read at once; naming the same
  // file again changes nothing.
  void SetFile(const QString& path);
  const QString& File() const { return path_; }
  bool Active() const { return !path_.isEmpty(); }
  // A log book has been read from the file.
  bool Loaded() const { return state_->book != nullptr; }

  NeedMark Mark(std::string_view entityNumber, double kHz, std::string_view comment) const;
  // Cheap, never blocks, and may outlive this object (it then answers None).
  NeedMarker Marker() const;

  // Quiet time after a change on disk before the file is read again: loggers write in
  // several steps.
  int DebounceMs = 500;

 signals:
  // A read replaced the log book (or the log was switched off).
  void marksChanged();
  // The program line of a finished read: "Log: 152,344 QSOs read, 3 skipped" or what
  // failed and why (ok false).
  void readFinished(const QString& line, bool ok);

 private:
  struct State {
    std::shared_ptr<const LogBook> book;
  };
  struct Stamp {
    bool exists = false;
    qint64 size = -1, modified = -1;
    bool operator==(const Stamp&) const = default;
  };
  Stamp StampNow() const;
  void Rewatch();
  void StartRead();
  void Finished(int generation, const LogReadResult& result);

  const TCallParser& tableSource_;
  std::shared_ptr<State> state_ = std::make_shared<State>();
  QString path_;
  QFileSystemWatcher watcher_;
  QTimer debounce_;
  QPointer<QThread> running_;
  bool pending_ = false;
  int generation_ = 0;  // counts SetFile calls; results of older files are dropped
  Stamp lastStamp_;
  QString lastLine_;
};

}  // namespace varnak
