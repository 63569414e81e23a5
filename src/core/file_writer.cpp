#include "core/file_writer.h"

#include <algorithm>
#include <utility>

#include "core/atomic_file.h"

namespace varnak {

FileWriter::FileWriter() : thread_([this] { Run(); }) {}

FileWriter::~FileWriter() {
  {
    std::lock_guard lock(mutex_);
    stop_ = true;
  }
  wake_.notify_all();
  thread_.join();
}

void FileWriter::Write(std::filesystem::path path, std::string bytes) {
  {
    std::lock_guard lock(mutex_);
    auto waiting = std::find_if(queue_.begin(), queue_.end(), [&](const Job& j) { return j.path == path; });
    if (waiting != queue_.end()) {
      waiting->bytes = std::move(bytes);
    } else {
      queue_.push_back({std::move(path), std::move(bytes)});
    }
  }
  wake_.notify_one();
}

std::vector<std::string> FileWriter::Finish() {
  std::unique_lock lock(mutex_);
  idle_.wait(lock, [this] { return queue_.empty() && !busy_; });
  return std::exchange(failures_, {});
}

void FileWriter::Run() {
  std::unique_lock lock(mutex_);
  for (;;) {
    wake_.wait(lock, [this] { return stop_ || !queue_.empty(); });
    if (queue_.empty()) break;  // stop_, and nothing left to write
    Job job = std::move(queue_.front());
    queue_.pop_front();
    busy_ = true;
    lock.unlock();
    std::string error;
    const bool ok = WriteFileAtomic(job.path, job.bytes, &error);
    lock.lock();
    busy_ = false;
    if (!ok) failures_.push_back(std::move(error));
    if (queue_.empty()) idle_.notify_all();
  }
}

}  // namespace varnak
