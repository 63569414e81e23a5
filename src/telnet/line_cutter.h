#pragma once
// Cuts the node's plain data into lines at CR LF. A CR or an LF alone stays inside the
// line. The incomplete tail of a read is kept and put in front of the next read, so a
// line that arrives in two reads is still one line; the owner flushes the tail as a
// line of its own when the node stays quiet (prompts like "login: " have no line end).
//
// A tail that grows past kMaxLine without CR LF is cut into pieces of kMaxLine bytes,
// so a node that never ends its line cannot make us hold on to it for ever.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace varnak {

class LineCutter {
 public:
  static constexpr std::size_t kMaxLine = 64 * 1024;

  // Appends every complete line of `chunk` (the pending tail in front) to `lines`.
  void Feed(std::string_view chunk, std::vector<std::string>& lines);

  bool HasTail() const { return !buffer_.empty(); }
  // The incomplete tail as a line of its own, or nothing when there is none.
  // A CR at its very end is held back: when the next read starts with LF, that pair
  // ended the flushed line and must not start the next one.
  bool FlushTail(std::string& line);
  void Clear();

 private:
  std::string buffer_;
  bool crFlushed_ = false;  // the last flush dropped a trailing CR
};

}  // namespace varnak
