#pragma once
// Whole-file reads and crash-safe writes. Every file the program rewrites goes through
// WriteFileAtomic: the bytes go to a temporary file beside the target, are flushed,
// and the temporary is renamed over the target, so a crash or a full disk leaves
// either the old file or the new one, never half of one.
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace varnak {

// The whole file as bytes, or nothing when it cannot be opened.
std::optional<std::string> ReadWholeFile(const std::filesystem::path& path);

// Writes bytes to path atomically. On failure returns false, fills *error (when given)
// with a readable reason and leaves any existing file untouched. private_file makes the
// new file readable by the owner only (password files).
bool WriteFileAtomic(const std::filesystem::path& path, std::string_view bytes,
                     std::string* error = nullptr, bool private_file = false);

}  // namespace varnak
