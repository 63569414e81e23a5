#include "app/list_files.h"

#include <cstdio>
#include <thread>

#include "core/atomic_file.h"

namespace varnak {

const std::array<const char*, kListCount>& ListFileNames() {
  static const std::array<const char*, kListCount> names = [] {
    std::array<const char*, kListCount> out{};
    for (size_t i = 0; i < kListCount; ++i) out[i] = kSpotListFiles[i].data();
    return out;
  }();
  return names;
}

ListRows ParseListFile(std::string_view bytes) {
  ListRows rows;
  size_t pos = 0;
  while (pos < bytes.size()) {
    size_t end = bytes.find_first_of("\r\n", pos);
    if (end == std::string_view::npos) {
      rows.emplace_back(bytes.substr(pos));
      break;
    }
    rows.emplace_back(bytes.substr(pos, end - pos));
    pos = end + 1;
    if (bytes[end] == '\r' && pos < bytes.size() && bytes[pos] == '\n') ++pos;
  }
  return rows;
}

std::string FormatListFile(const ListRows& rows) {
  size_t size = 0;
  for (const auto& r : rows) size += r.size() + 2;
  std::string out;
  out.reserve(size);
  for (const auto& r : rows) {
    size_t start = out.size();
    out += r;
    for (size_t i = start; i < out.size(); ++i)
      if (out[i] == '\r' || out[i] == '\n') out[i] = ' ';
    out += "\r\n";
  }
  return out;
}

bool ReadListFile(const std::filesystem::path& path, ListRows& rows) {
  auto bytes = ReadWholeFile(path);
  if (!bytes) return false;
  rows = ParseListFile(*bytes);
  return true;
}

bool WriteListFile(const std::filesystem::path& path, const ListRows& rows, std::string* error) {
  return WriteFileAtomic(path, FormatListFile(rows), error);
}

bool ReadTalkFile(const std::filesystem::path& path, std::vector<std::string>& lines) {
  return ReadListFile(path, lines);
}

bool WriteTalkFile(const std::filesystem::path& path, const std::vector<std::string>& lines,
                   std::string* error) {
  return WriteListFile(path, lines, error);
}

std::string StartMarkerText(const DateTime& now) {
  char buf[40];
  std::snprintf(buf, sizeof buf, "*** Varnak started at %02d:%02d", now.hour % 100, now.minute % 100);
  return buf;
}

std::string SpotRowText(std::string_view text, const DateTime& now) {
  char date[16];
  std::snprintf(date, sizeof date, " | %02d-%02d", now.month % 100, now.day % 100);
  std::string row(text);
  row += date;
  return row;
}

namespace {

void KeepLast(ListRows& rows, size_t n) {
  if (rows.size() > n) rows.erase(rows.begin(), rows.end() - static_cast<std::ptrdiff_t>(n));
}

void Note(std::string* error, const std::string& what) {
  if (!error) return;
  if (!error->empty()) *error += '\n';
  *error += what;
}

}  // namespace

SavedState LoadAll(const std::filesystem::path& dir, bool clearDx, const Clock& clock) {
  SavedState state;
  const auto& names = ListFileNames();
  DateTime now = clock.LocalNow();
  std::string marker = SpotRowText(StartMarkerText(now), now);
  for (size_t i = 0; i < kListCount; ++i) {
    ListRows& rows = state.lists[i];
    rows.assign(1, std::string());  // a list that starts empty shows one empty row
    if (clearDx) continue;
    ListRows loaded;
    if (ReadListFile(dir / names[i], loaded) && !loaded.empty()) rows = std::move(loaded);
    KeepLast(rows, i == 0 ? kAllListLimit : kBandListLimit);
    rows.push_back(marker);
  }

  if (auto rtf = ReadWholeFile(dir / kPaneFileName)) {
    state.paneLines = ReadRtf(*rtf);
    if (state.paneLines.size() > kPaneLoadLimit)
      state.paneLines.erase(state.paneLines.begin(),
                            state.paneLines.end() - static_cast<std::ptrdiff_t>(kPaneLoadLimit));
  }
  ReadTalkFile(dir / kTalkFileName, state.talkLines);
  return state;
}

bool SaveAll(const std::filesystem::path& dir, const SavedState& state, bool clearDx, std::string* error) {
  struct Job {
    std::filesystem::path path;
    std::string bytes;
    std::string why;
    bool ok = false;
  };
  std::vector<Job> jobs;
  auto add = [&jobs](std::filesystem::path path, std::string bytes) {
    jobs.push_back(Job{std::move(path), std::move(bytes), std::string(), false});
  };
  add(dir / kTalkFileName, FormatListFile(state.talkLines));
  if (!clearDx)
    for (size_t i = 0; i < kListCount; ++i) add(dir / ListFileNames()[i], FormatListFile(state.lists[i]));
  add(dir / kPaneFileName, WriteRtf(state.paneLines));

  // Each file is flushed to the disk before it replaces the old one; flushing them one
  // after another costs a disk round trip per file, in parallel the file system can
  // gather them into one.
  std::vector<std::thread> threads;
  threads.reserve(jobs.size());
  for (auto& job : jobs)
    threads.emplace_back([&job] { job.ok = WriteFileAtomic(job.path, job.bytes, &job.why); });
  for (auto& t : threads) t.join();

  bool ok = true;
  for (const auto& job : jobs) {
    if (job.ok) continue;
    ok = false;
    Note(error, job.why);
  }
  return ok;
}

bool SaveList(const std::filesystem::path& dir, size_t listIndex, const ListRows& rows, std::string* error) {
  if (listIndex >= kListCount) {
    if (error) *error = "No list number " + std::to_string(listIndex);
    return false;
  }
  return WriteListFile(dir / ListFileNames()[listIndex], rows, error);
}

}  // namespace varnak
