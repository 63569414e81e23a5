#include "agw/message_logger.h"

#include <cstdio>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <utility>

#include <fmt/format.h>

#ifdef __linux__
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace varnak {

namespace {

// One lock for every logger in the process: entry creation, OnEntryAdded, the
// purge and waking the writer are serialised across all of them.
// Re-entrant, so that an OnEntryAdded handler may log in its turn.
std::recursive_mutex& GlobalLoggerLock() {
  static std::recursive_mutex lock;
  return lock;
}

// The day of the last purge as yyyymmdd, shared by all loggers.
std::optional<int> lastPurgeDay;

bool StartsWithNoCase(std::string_view s, std::size_t pos, std::string_view word) {
  if (s.size() - pos < word.size()) return false;
  for (std::size_t i = 0; i < word.size(); ++i) {
    char c = s[pos + i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != word[i]) return false;
  }
  return true;
}

std::string ExtensionOf(std::string_view name) {
  auto slash = name.find_last_of("/\\");
  auto dot = name.rfind('.');
  if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash)) return {};
  return std::string(name.substr(dot));
}

std::string WithoutExtension(std::string_view name) {
  std::string ext = ExtensionOf(name);
  return std::string(name.substr(0, name.size() - ext.size()));
}

}  // namespace

// ---------------------------------------------------------------------------------------

bool TLogEntryList::Add(TLogEntry entry) {
  std::lock_guard g(lock_);
  bool wasEmpty = entries_.empty();
  entries_.push_back(std::move(entry));
  return wasEmpty;
}

std::deque<TLogEntry> TLogEntryList::TakeAll() {
  std::lock_guard g(lock_);
  return std::exchange(entries_, {});
}

std::size_t TLogEntryList::Size() {
  std::lock_guard g(lock_);
  return entries_.size();
}

// ---------------------------------------------------------------------------------------

std::string FormatDateTime(std::string_view pattern, const DateTime& t) {
  std::string out;
  std::size_t i = 0;
  while (i < pattern.size()) {
    if (StartsWithNoCase(pattern, i, "yyyy")) {
      out += fmt::format("{:04d}", t.year);
      i += 4;
    } else if (StartsWithNoCase(pattern, i, "yy")) {
      out += fmt::format("{:02d}", ((t.year % 100) + 100) % 100);
      i += 2;
    } else if (StartsWithNoCase(pattern, i, "mm")) {
      out += fmt::format("{:02d}", t.month);
      i += 2;
    } else if (StartsWithNoCase(pattern, i, "dd")) {
      out += fmt::format("{:02d}", t.day);
      i += 2;
    } else if (StartsWithNoCase(pattern, i, "hh")) {
      out += fmt::format("{:02d}", t.hour);
      i += 2;
    } else if (StartsWithNoCase(pattern, i, "nn")) {
      out += fmt::format("{:02d}", t.minute);
      i += 2;
    } else if (StartsWithNoCase(pattern, i, "ss")) {
      out += fmt::format("{:02d}", t.second);
      i += 2;
    } else if (StartsWithNoCase(pattern, i, "zzz")) {
      out += fmt::format("{:03d}", t.millisecond);
      i += 3;
    } else {
      out += pattern[i++];
    }
  }
  return out;
}

std::string FillPattern(std::string_view pattern, std::string_view first, std::string_view second) {
  std::string out;
  out.reserve(pattern.size() + first.size() + second.size());
  int filled = 0;
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    if (pattern[i] == '%' && i + 1 < pattern.size()) {
      if (pattern[i + 1] == '%') {
        out += '%';
        ++i;
        continue;
      }
      if (pattern[i + 1] == 's' && filled < 2) {
        out += filled++ == 0 ? first : second;
        ++i;
        continue;
      }
    }
    out += pattern[i];
  }
  return out;
}

std::vector<std::string> HexDumpLines(const void* bytes, std::size_t n) {
  static const char kHex[] = "0123456789ABCDEF";
  const auto* p = static_cast<const unsigned char*>(bytes);
  std::vector<std::string> lines;
  std::string hex;
  std::string chars(16, '.');
  for (std::size_t i = 0; i < n; ++i) {
    const std::size_t col = i % 16;
    hex += kHex[p[i] >> 4];
    hex += kHex[p[i] & 0xF];
    hex += ' ';
    if (col == 7 && i != n - 1) hex += "- ";
    if (p[i] >= 32) chars[col] = static_cast<char>(p[i]);
    if (col == 15) {
      lines.push_back(hex + "|" + chars);
      hex.clear();
      chars.assign(16, '.');
    }
  }
  if (n % 16 != 0) {
    const std::size_t missing = 16 - n % 16;
    hex.append(missing * 3, ' ');
    if (missing > 7) hex.append(2, ' ');
    chars.resize(n % 16);
    lines.push_back(hex + "|" + chars);
  }
  return lines;
}

// ---------------------------------------------------------------------------------------

struct TCustomMessageLogger::UiWait {
  std::mutex lock;
  std::condition_variable done;
  bool stopping = false;
  std::uint64_t finished = 0;  // number of the last call that has run (or was cancelled)
  std::uint64_t next = 0;
};

TLoggerThread::TLoggerThread(TCustomMessageLogger& logger) : logger_(logger) {
  thread_ = std::thread([this] { Run(); });
}

TLoggerThread::~TLoggerThread() {
  Stop();
  if (thread_.joinable()) thread_.join();
}

void TLoggerThread::Wake() { logger_.queue_.wake_.notify_all(); }

void TLoggerThread::Stop() {
  {
    std::lock_guard g(logger_.queue_.lock_);
    stop_ = true;
  }
  logger_.queue_.wake_.notify_all();
  // A writer waiting for the UI thread would wait for ever when the UI thread is the
  // one stopping it.
  {
    std::lock_guard g(logger_.uiWait_->lock);
    logger_.uiWait_->stopping = true;
  }
  logger_.uiWait_->done.notify_all();
}

void TLoggerThread::ApplyPriority(TThreadPriority priority) {
#ifdef __linux__
  static const int kNice[] = {19, 10, 5, 0, -5, -10, -15};
  int tid = tid_;
  // Raising the priority needs privileges we usually lack; then the thread keeps
  // the priority it has.
  if (tid != 0) setpriority(PRIO_PROCESS, static_cast<id_t>(tid), kNice[static_cast<int>(priority)]);
#else
  (void)priority;
#endif
}

void TLoggerThread::Run() {
#ifdef __linux__
  tid_ = static_cast<int>(syscall(SYS_gettid));
#endif
  ApplyPriority(logger_.Priority());
  auto& q = logger_.queue_;
  for (;;) {
    std::deque<TLogEntry> batch;
    {
      std::unique_lock lk(q.lock_);
      q.wake_.wait(lk, [&] { return !q.entries_.empty() || stop_; });
      if (q.entries_.empty()) break;  // stopping, and everything is written
      batch.swap(q.entries_);
      busy_ = true;
    }
    try {
      WriteBatch(batch);
    } catch (const std::exception& e) {
      error_ = e.what();
      std::string message = error_;
      logger_.RunOnUi([this, message] {
        if (logger_.OnWriterError)
          logger_.OnWriterError(message);
        else
          std::fprintf(stderr, "varnak: log writer stopped: %s\n", message.c_str());
      });
      break;
    }
    ++batches_;
    {
      std::lock_guard g(q.lock_);
      busy_ = false;
    }
    q.wake_.notify_all();
    if (logger_.Priority() <= TThreadPriority::tpNormal) std::this_thread::yield();
  }
  {
    std::lock_guard g(q.lock_);
    busy_ = false;
    finished_ = true;
  }
  q.wake_.notify_all();
}

void TLoggerThread::WriteBatch(std::deque<TLogEntry>& batch) {
  const std::string name = logger_.PhysicalLogFileName();
  const fs::path path(name);
  std::error_code ec;
  if (path.has_parent_path() && !fs::exists(path.parent_path(), ec)) {
    fs::create_directories(path.parent_path(), ec);
    if (ec) throw std::runtime_error("Cannot create folder " + path.parent_path().string() + ": " + ec.message());
  }
  const std::int64_t maxSize = logger_.MaxFileSize();
  if (maxSize > 0 && fs::exists(path, ec)) {
    auto size = fs::file_size(path, ec);
    if (!ec && static_cast<std::int64_t>(size) > maxSize) {
      // A failed renaming (colons in the archive name, say) loses the old file but
      // never keeps a full one in use.
      fs::rename(path, logger_.ArchiveLogFileName(), ec);
      fs::remove(path, ec);
    }
  }
  const bool existed = fs::exists(path, ec);
  std::FILE* file = std::fopen(name.c_str(), "ab");
  if (!file) throw std::runtime_error("Cannot open log file " + name);
  if (!existed) {
    createdFileName_ = name;
    RaiseFileCreated(name);
  }
  bool ok = true;
  for (const TLogEntry& entry : batch) {
    std::string line = logger_.FormatEntry(entry);
    line += "\r\n";
    if (std::fwrite(line.data(), 1, line.size(), file) != line.size()) {
      ok = false;
      break;
    }
  }
  batch.clear();
  if (std::fclose(file) != 0) ok = false;
  if (!ok) throw std::runtime_error("Cannot write log file " + name);
}

void TLoggerThread::RaiseFileCreated(const std::string& name) {
  // The handler is looked at on the thread that runs it, where it is assigned.
  TCustomMessageLogger* logger = &logger_;
  logger_.RunOnUi([logger, name] {
    if (logger->OnFileCreated) logger->OnFileCreated(logger, name);
  });
}

// ---------------------------------------------------------------------------------------

TCustomMessageLogger::TCustomMessageLogger(std::string logFilePath, std::string logFileName,
                                           std::shared_ptr<const Clock> clock)
    : logFileName_(std::move(logFileName)),
      clock_(clock ? std::move(clock) : std::make_shared<SystemClock>()),
      uiWait_(std::make_shared<UiWait>()) {
  SetLogFilePath(logFilePath);
  writer_ = std::make_unique<TLoggerThread>(*this);
}

TCustomMessageLogger::~TCustomMessageLogger() { writer_.reset(); }

void TCustomMessageLogger::ForgetLastPurgeDay() {
  std::lock_guard g(GlobalLoggerLock());
  lastPurgeDay.reset();
}

void TCustomMessageLogger::SetUiPoster(UiPoster poster) {
  std::lock_guard g(settingsLock_);
  uiPoster_ = std::move(poster);
}

void TCustomMessageLogger::RunOnUi(std::function<void()> fn) {
  UiPoster poster;
  {
    std::lock_guard g(settingsLock_);
    poster = uiPoster_;
  }
  if (!poster) {
    fn();
    return;
  }
  std::shared_ptr<UiWait> wait = uiWait_;
  std::uint64_t ticket;
  {
    std::lock_guard g(wait->lock);
    if (wait->stopping) return;
    ticket = ++wait->next;
  }
  poster([wait, ticket, fn = std::move(fn)] {
    {
      std::lock_guard g(wait->lock);
      if (wait->stopping) return;
    }
    fn();
    {
      std::lock_guard g(wait->lock);
      wait->finished = ticket;
    }
    wait->done.notify_all();
  });
  std::unique_lock lk(wait->lock);
  wait->done.wait(lk, [&] { return wait->stopping || wait->finished >= ticket; });
}

DateTime TCustomMessageLogger::Now(bool utc) const { return utc ? clock_->UtcNow() : clock_->LocalNow(); }

std::string TCustomMessageLogger::Suffix(bool utc) const {
  if (!ShowLocalZulu()) return {};
  return utc ? "Z" : "L";
}

std::string TCustomMessageLogger::FormatEntry(const TLogEntry& entry) const {
  std::string format, stampFormat;
  {
    std::lock_guard g(settingsLock_);
    format = logEntryFormat_;
    stampFormat = timeStampFormat_;
  }
  std::string stamp = FormatDateTime(stampFormat, entry.Time) + Suffix(entry.UTC);
  return FillPattern(format, stamp, entry.Text);
}

void TCustomMessageLogger::Log(std::string_view text) {
  std::lock_guard g(GlobalLoggerLock());
  const bool utc = utc_;
  TLogEntry entry{Now(utc), std::string(text), utc};
  if (OnEntryAdded) OnEntryAdded(FormatEntry(entry));

  const int purgeDays = PurgeFileDays();
  if (purgeDays > 0) {
    DateTime today = clock_->LocalNow();
    int day = today.year * 10000 + today.month * 100 + today.day;
    if (!lastPurgeDay || day > *lastPurgeDay) {
      Purge();
      lastPurgeDay = day;
    }
  }
  // A writer that stopped on an error never comes back; queueing for it would only
  // grow the queue for the rest of the session.
  if (!writer_ || !writer_->Running()) return;
  if (queue_.Add(std::move(entry))) writer_->Wake();
}

void TCustomMessageLogger::LogBuffer(const void* bytes, std::size_t n) {
  if (bytes == nullptr || n == 0) return;
  for (const std::string& line : HexDumpLines(bytes, n)) Log(line);
}

void TCustomMessageLogger::Purge() {
  std::string folder, base;
  int days;
  {
    std::lock_guard g(settingsLock_);
    folder = logFilePath_;
    base = WithoutExtension(logFileName_);
    days = purgeFileDays_;
  }
  std::error_code ec;
  if (folder.empty() || !fs::is_directory(folder, ec)) return;
  const auto cutoff = fs::file_time_type::clock::now() - std::chrono::hours(24) * days;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    if (name.size() < base.size() + 4 || name.compare(0, base.size(), base) != 0 ||
        name.compare(name.size() - 4, 4, ".log") != 0)
      continue;
    std::error_code fileEc;
    auto written = fs::last_write_time(it->path(), fileEc);
    if (!fileEc && written < cutoff) fs::remove(it->path(), fileEc);
  }
}

std::string TCustomMessageLogger::PhysicalName(bool archive) const {
  std::string folder, name, dateFormat;
  {
    std::lock_guard g(settingsLock_);
    folder = logFilePath_;
    name = logFileName_;
    dateFormat = dateFormat_;
  }
  const bool utc = utc_;
  std::string ext = ExtensionOf(name);
  if (ext.empty() || ext == ".") ext = ".log";
  ext.erase(0, 1);
  const DateTime now = Now(utc);
  std::string date = FormatDateTime(dateFormat, now);
  if (archive) {
    date += ' ';
    date += FormatDateTime("hh:nn:ss", now);
  }
  return folder + WithoutExtension(name) + " " + date + Suffix(utc) + "." + ext;
}

std::string TCustomMessageLogger::PhysicalLogFileName() const { return PhysicalName(false); }
std::string TCustomMessageLogger::ArchiveLogFileName() const { return PhysicalName(true); }

bool TCustomMessageLogger::WaitIdle(int timeoutMs) {
  std::unique_lock lk(queue_.lock_);
  return queue_.wake_.wait_for(lk, std::chrono::milliseconds(timeoutMs), [&] {
    return !writer_->Running() || (queue_.entries_.empty() && !writer_->busy_);
  });
}

std::string TCustomMessageLogger::DateFormat() const {
  std::lock_guard g(settingsLock_);
  return dateFormat_;
}
void TCustomMessageLogger::SetDateFormat(std::string value) {
  std::lock_guard g(settingsLock_);
  dateFormat_ = std::move(value);
}
std::string TCustomMessageLogger::LogEntryFormat() const {
  std::lock_guard g(settingsLock_);
  return logEntryFormat_;
}
void TCustomMessageLogger::SetLogEntryFormat(std::string value) {
  std::lock_guard g(settingsLock_);
  logEntryFormat_ = std::move(value);
}
std::string TCustomMessageLogger::LogFileName() const {
  std::lock_guard g(settingsLock_);
  return logFileName_;
}
void TCustomMessageLogger::SetLogFileName(std::string_view value) {
  std::lock_guard g(settingsLock_);
  logFileName_ = WithoutExtension(value);
}
std::string TCustomMessageLogger::LogFilePath() const {
  std::lock_guard g(settingsLock_);
  return logFilePath_;
}
void TCustomMessageLogger::SetLogFilePath(std::string_view value) {
  std::lock_guard g(settingsLock_);
  logFilePath_ = std::string(value);
  if (!logFilePath_.empty() && logFilePath_.back() != '/' && logFilePath_.back() != '\\') logFilePath_ += '/';
}
std::int64_t TCustomMessageLogger::MaxFileSize() const {
  std::lock_guard g(settingsLock_);
  return maxFileSize_;
}
void TCustomMessageLogger::SetMaxFileSize(std::int64_t value) {
  std::lock_guard g(settingsLock_);
  maxFileSize_ = value;
}
TThreadPriority TCustomMessageLogger::Priority() const {
  std::lock_guard g(settingsLock_);
  return priority_;
}
void TCustomMessageLogger::SetPriority(TThreadPriority value) {
  {
    std::lock_guard g(settingsLock_);
    priority_ = value;
  }
  if (writer_) writer_->ApplyPriority(value);
}
int TCustomMessageLogger::PurgeFileDays() const {
  std::lock_guard g(settingsLock_);
  return purgeFileDays_;
}
void TCustomMessageLogger::SetPurgeFileDays(int value) {
  std::lock_guard g(settingsLock_);
  purgeFileDays_ = value;
}
bool TCustomMessageLogger::ShowLocalZulu() const {
  std::lock_guard g(settingsLock_);
  return showLocalZulu_;
}
void TCustomMessageLogger::SetShowLocalZulu(bool value) {
  std::lock_guard g(settingsLock_);
  showLocalZulu_ = value;
}
std::string TCustomMessageLogger::TimeStampFormat() const {
  std::lock_guard g(settingsLock_);
  return timeStampFormat_;
}
void TCustomMessageLogger::SetTimeStampFormat(std::string value) {
  std::lock_guard g(settingsLock_);
  timeStampFormat_ = std::move(value);
}
bool TCustomMessageLogger::UTC() const { return utc_; }
void TCustomMessageLogger::SetUTC(bool value) { utc_ = value; }

}  // namespace varnak
