#pragma once
// The station folder: where Varnak keeps its settings, lists, tables and sounds. The
// program's own folder is read-only on Linux, so this stands in for it.
#include <filesystem>
#include <optional>
#include <string>

namespace varnak {

// In this order: --dir PATH; $VARNAK_HOME; the executable's folder when it holds a
// "Varnak.ini" (a portable install); $XDG_DATA_HOME/varnak (~/.local/share/varnak).
std::filesystem::path ChooseStationFolder(const std::optional<std::string>& dirArgument,
                                          const std::filesystem::path& executableDir);

// The folder the shipped defaults come from: <exe>/../share/varnak when installed, else
// the build tree's data folder.
std::filesystem::path ShippedDataFolder(const std::filesystem::path& executableDir);

// Creates the folder and copies every shipped default that is missing there; nothing
// that exists is overwritten. Returns false with a reason when the folder cannot be made.
bool PrepareStationFolder(const std::filesystem::path& folder, const std::filesystem::path& dataFolder,
                          std::string* error);

// The folder of the running program (from /proc/self/exe, else argv[0]).
std::filesystem::path ExecutableDir(const char* argv0);

// The folder as text ending with a path separator, as the program keeps it.
std::string WithTrailingSeparator(const std::filesystem::path& folder);

}  // namespace varnak
