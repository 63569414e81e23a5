#include "core/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <random>
#include <sstream>

namespace varnak {

std::optional<std::string> ReadWholeFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::ostringstream ss;
  ss << in.rdbuf();
  if (in.bad()) return std::nullopt;
  return std::move(ss).str();
}

namespace {
bool Fail(std::string* error, const std::filesystem::path& path, const char* what, int err) {
  if (error) *error = std::string("Cannot ") + what + " \"" + path.string() + "\": " + std::strerror(err);
  return false;
}
}  // namespace

bool WriteFileAtomic(const std::filesystem::path& path, std::string_view bytes, std::string* error,
                     bool private_file) {
  static thread_local std::mt19937 rng{std::random_device{}()};
  std::filesystem::path tmp = path;
  tmp += ".tmp" + std::to_string(rng() % 1000000);

  mode_t mode = private_file ? 0600 : 0644;
  int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
  if (fd < 0) return Fail(error, path, "write", errno);

  const char* p = bytes.data();
  size_t left = bytes.size();
  while (left > 0) {
    ssize_t n = ::write(fd, p, left);
    if (n < 0) {
      if (errno == EINTR) continue;
      int err = errno;
      ::close(fd);
      ::unlink(tmp.c_str());
      return Fail(error, path, "write", err);
    }
    p += n;
    left -= static_cast<size_t>(n);
  }
  if (::fsync(fd) != 0 || ::close(fd) != 0) {
    int err = errno;
    ::unlink(tmp.c_str());
    return Fail(error, path, "write", err);
  }
  if (::rename(tmp.c_str(), path.c_str()) != 0) {
    int err = errno;
    ::unlink(tmp.c_str());
    return Fail(error, path, "replace", err);
  }
  return true;
}

}  // namespace varnak
