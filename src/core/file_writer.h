#pragma once
// Writes files on a thread of its own, so that a slow disk (a flush to disk can take
// milliseconds, more on a busy USB stick) never holds up the window while spots pour
// in. Every write is atomic (WriteFileAtomic). Writes of one file happen in the order
// they were asked for; one that has not started yet when a newer one for the same file
// comes is dropped for it, as the file would end the same.
#include <condition_variable>
#include <deque>
#include <filesystem>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace varnak {

class FileWriter {
 public:
  FileWriter();
  // Finishes every write asked for, then stops the thread.
  ~FileWriter();
  FileWriter(const FileWriter&) = delete;
  FileWriter& operator=(const FileWriter&) = delete;

  void Write(std::filesystem::path path, std::string bytes);
  // Waits until every write asked for so far is on disk (or has failed); returns the
  // reasons of the writes that failed since the last call.
  std::vector<std::string> Finish();

 private:
  struct Job {
    std::filesystem::path path;
    std::string bytes;
  };
  void Run();

  std::mutex mutex_;
  std::condition_variable wake_;  // a job came, or stop
  std::condition_variable idle_;  // the queue ran empty
  std::deque<Job> queue_;
  bool busy_ = false;
  bool stop_ = false;
  std::vector<std::string> failures_;
  std::thread thread_;
};

}  // namespace varnak
