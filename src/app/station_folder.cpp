#include "app/station_folder.h"

#include <cstdlib>

namespace varnak {

namespace fs = std::filesystem;

fs::path ChooseStationFolder(const std::optional<std::string>& dirArgument, const fs::path& executableDir) {
  if (dirArgument && !dirArgument->empty()) return fs::absolute(*dirArgument);
  if (const char* home = std::getenv("VARNAK_HOME"); home && *home) return fs::absolute(home);
  std::error_code ec;
  if (!executableDir.empty() && fs::exists(executableDir / "Varnak.ini", ec)) return executableDir;
  if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg) return fs::path(xdg) / "varnak";
  const char* userHome = std::getenv("HOME");
  return fs::path(userHome && *userHome ? userHome : ".") / ".local" / "share" / "varnak";
}

// Found beside the executable only, never through a path of the machine that built it,
// so an installed or copied tree works wherever it is unpacked: bin/varnak reads
// share/varnak, and the build tree keeps its data in <build>/share/varnak.
fs::path ShippedDataFolder(const fs::path& executableDir) {
  std::error_code ec;
  for (const fs::path& candidate : {executableDir / ".." / "share" / "varnak", executableDir / "share" / "varnak"}) {
    if (fs::is_directory(candidate, ec)) return fs::weakly_canonical(candidate, ec);
  }
  return {};
}

bool PrepareStationFolder(const fs::path& folder, const fs::path& dataFolder, std::string* error) {
  std::error_code ec;
  fs::create_directories(folder, ec);
  if (!fs::is_directory(folder, ec)) {
    if (error) *error = "Cannot create the station folder \"" + folder.string() + "\"";
    return false;
  }
  if (dataFolder.empty() || !fs::is_directory(dataFolder, ec)) return true;
  for (const auto& entry : fs::directory_iterator(dataFolder, ec)) {
    if (!entry.is_regular_file(ec)) continue;
    fs::path target = folder / entry.path().filename();
    if (fs::exists(target, ec)) continue;
    fs::copy_file(entry.path(), target, fs::copy_options::skip_existing, ec);
    if (!ec) fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write, fs::perm_options::add, ec);
  }
  return true;
}

fs::path ExecutableDir(const char* argv0) {
  std::error_code ec;
  fs::path exe = fs::read_symlink("/proc/self/exe", ec);
  if (ec || exe.empty()) exe = fs::absolute(argv0 ? argv0 : ".", ec);
  return exe.parent_path();
}

std::string WithTrailingSeparator(const fs::path& folder) {
  std::string s = folder.string();
  if (s.empty() || s.back() != '/') s += '/';
  return s;
}

}  // namespace varnak
