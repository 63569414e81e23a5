#include "telnet/line_cutter.h"

#include <cstring>

namespace varnak {

void LineCutter::Feed(std::string_view chunk, std::vector<std::string>& lines) {
  if (crFlushed_ && !chunk.empty()) {
    crFlushed_ = false;
    if (chunk.front() == '\n') chunk.remove_prefix(1);
  }
  if (chunk.empty()) return;

  // The CR of a pair may have been the last byte of the previous read.
  std::size_t scan = buffer_.empty() ? 0 : buffer_.size() - 1;
  buffer_.append(chunk);

  const char* base = buffer_.data();
  const std::size_t size = buffer_.size();
  std::size_t start = 0;
  while (scan < size) {
    const void* cr = std::memchr(base + scan, '\r', size - scan);
    if (!cr) break;
    const std::size_t at = static_cast<std::size_t>(static_cast<const char*>(cr) - base);
    if (at + 1 >= size) break;  // CR is the last byte: wait for the LF
    if (base[at + 1] != '\n') {
      scan = at + 1;
      continue;
    }
    // A line longer than kMaxLine is given out in pieces.
    while (at - start > kMaxLine) {
      lines.emplace_back(base + start, kMaxLine);
      start += kMaxLine;
    }
    lines.emplace_back(base + start, at - start);
    start = at + 2;
    scan = start;
  }
  // Cut an overlong tail, but never between a trailing CR and the LF still to come.
  while (size - start > kMaxLine) {
    lines.emplace_back(base + start, kMaxLine);
    start += kMaxLine;
  }
  if (start > 0) buffer_.erase(0, start);
}

bool LineCutter::FlushTail(std::string& line) {
  if (buffer_.empty()) return false;
  if (buffer_.back() == '\r') {
    buffer_.pop_back();
    crFlushed_ = true;
  }
  line.swap(buffer_);
  buffer_.clear();
  return true;
}

void LineCutter::Clear() {
  buffer_.clear();
  crFlushed_ = false;
}

}  // namespace varnak
