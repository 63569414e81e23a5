#pragma once
// A daily log file written by a background thread, so that whoever logs (usually the
// user-interface thread, once per frame) never waits for the disk.
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "core/clock.h"

namespace varnak {

enum class TThreadPriority { tpIdle, tpLowest, tpLower, tpNormal, tpHigher, tpHighest, tpTimeCritical };

struct TLogEntry {
  DateTime Time;
  std::string Text;
  bool UTC = false;
};

// The queue between the loggers' callers and the writer thread.
class TLogEntryList {
 public:
  // True when the queue was empty before, i.e. the writer may be asleep.
  bool Add(TLogEntry entry);
  std::deque<TLogEntry> TakeAll();
  std::size_t Size();

 private:
  friend class TLoggerThread;
  friend class TCustomMessageLogger;
  std::mutex lock_;
  std::condition_variable wake_;
  std::deque<TLogEntry> entries_;
};

// Formats a DateTime by a pattern of yy/yyyy, mm, dd, hh, nn, ss and zzz;
// every other character is copied.
std::string FormatDateTime(std::string_view pattern, const DateTime& t);
// Fills the first and second "%s" of a pattern; "%%" stands for "%".
std::string FillPattern(std::string_view pattern, std::string_view first, std::string_view second);

// The hex dump lines of a buffer, 16 bytes a line:
// "41 42 43 44 45 46 47 48 - 49 4A 4B 4C 4D 4E 4F 50 |ABCDEFGHIJKLMNOP"
std::vector<std::string> HexDumpLines(const void* bytes, std::size_t n);

class TCustomMessageLogger;

class TLoggerThread {
 public:
  explicit TLoggerThread(TCustomMessageLogger& logger);
  ~TLoggerThread();  // stops and joins; entries already queued are written first
  TLoggerThread(const TLoggerThread&) = delete;
  TLoggerThread& operator=(const TLoggerThread&) = delete;

  void Wake();
  void Stop();
  bool Running() const { return !finished_; }
  const std::string& CreatedFileName() const { return createdFileName_; }
  const std::string& Error() const { return error_; }
  void ApplyPriority(TThreadPriority priority);
  std::uint64_t Batches() const { return batches_; }

 private:
  friend class TCustomMessageLogger;
  void Run();
  void WriteBatch(std::deque<TLogEntry>& batch);
  void RaiseFileCreated(const std::string& name);

  TCustomMessageLogger& logger_;
  std::string createdFileName_;
  std::string error_;
  std::atomic<bool> stop_{false};
  std::atomic<bool> finished_{false};
  std::atomic<bool> busy_{false};
  std::atomic<std::uint64_t> batches_{0};
  std::atomic<int> tid_{0};
  std::thread thread_;
};

class TCustomMessageLogger {
 public:
  // Runs a function on the user-interface thread; the logger waits until it has run.
  using UiPoster = std::function<void(std::function<void()>)>;
  using EntryAddedEvent = std::function<void(const std::string& entry)>;
  using FileCreatedEvent = std::function<void(TCustomMessageLogger* sender, const std::string& fileName)>;
  using WriterErrorEvent = std::function<void(const std::string& message)>;

  // logFilePath: the folder of the log files ("" = current folder); logFileName:
  // the base name, any extension replaced by ".log" in the files' names.
  explicit TCustomMessageLogger(std::string logFilePath = {}, std::string logFileName = "varnak.log",
                                std::shared_ptr<const Clock> clock = nullptr);
  virtual ~TCustomMessageLogger();
  TCustomMessageLogger(const TCustomMessageLogger&) = delete;
  TCustomMessageLogger& operator=(const TCustomMessageLogger&) = delete;

  // Queues one entry; safe from any thread.
  void Log(std::string_view text);
  void LogBuffer(const void* bytes, std::size_t n);

  std::string DateFormat() const;
  void SetDateFormat(std::string value);
  std::string LogEntryFormat() const;
  void SetLogEntryFormat(std::string value);
  std::string LogFileName() const;
  void SetLogFileName(std::string_view value);  // drops any extension
  std::string LogFilePath() const;
  void SetLogFilePath(std::string_view value);  // adds a trailing separator
  std::int64_t MaxFileSize() const;
  void SetMaxFileSize(std::int64_t value);
  std::string PhysicalLogFileName() const;
  TThreadPriority Priority() const;
  void SetPriority(TThreadPriority value);
  int PurgeFileDays() const;
  void SetPurgeFileDays(int value);
  bool ShowLocalZulu() const;
  void SetShowLocalZulu(bool value);
  std::string TimeStampFormat() const;
  void SetTimeStampFormat(std::string value);
  bool UTC() const;
  void SetUTC(bool value);

  // Raised on the thread that called Log, inside the process-wide logger lock.
  EntryAddedEvent OnEntryAdded;
  // Raised through the UI poster when one is set, else on the writer thread.
  FileCreatedEvent OnFileCreated;
  // The error that stopped the writer; raised like OnFileCreated. Unassigned: stderr.
  WriterErrorEvent OnWriterError;
  void SetUiPoster(UiPoster poster);

  // Test and shutdown aid: waits until every queued entry is written (or the writer
  // has stopped); false when the time limit passed first.
  bool WaitIdle(int timeoutMs);
  std::uint64_t BatchesWritten() const { return writer_ ? writer_->Batches() : 0; }
  bool WriterRunning() const { return writer_ && writer_->Running(); }

  // The daily purge remembers its day process-wide; tests start afresh.
  static void ForgetLastPurgeDay();

 private:
  friend class TLoggerThread;
  struct Settings;
  std::string PhysicalName(bool archive) const;
  std::string ArchiveLogFileName() const;
  DateTime Now(bool utc) const;
  std::string Suffix(bool utc) const;
  std::string FormatEntry(const TLogEntry& entry) const;
  void Purge();
  // Runs fn on the UI thread and waits, unless the writer is being stopped.
  void RunOnUi(std::function<void()> fn);

  mutable std::mutex settingsLock_;
  std::string dateFormat_ = "yy-mm-dd";
  std::string logEntryFormat_ = "<%s> %s";
  std::string logFileName_;
  std::string logFilePath_;
  std::int64_t maxFileSize_ = 0;
  TThreadPriority priority_ = TThreadPriority::tpLower;
  int purgeFileDays_ = 0;
  bool showLocalZulu_ = true;
  std::string timeStampFormat_ = "hh:nn:ss.zzz";
  std::atomic<bool> utc_{false};
  UiPoster uiPoster_;

  std::shared_ptr<const Clock> clock_;
  TLogEntryList queue_;
  // Cancels a wait for the UI thread when the logger is going away.
  struct UiWait;
  std::shared_ptr<UiWait> uiWait_;
  std::unique_ptr<TLoggerThread> writer_;
};

class TMessageLogger : public TCustomMessageLogger {
 public:
  using TCustomMessageLogger::TCustomMessageLogger;
};

}  // namespace varnak
