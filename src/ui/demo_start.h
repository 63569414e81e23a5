#pragma once
// `varnak --demo`: the practice node started in the background on a free loopback port
// and the demo station folder made ready for it, before the main window opens.
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "app/demo_session.h"

namespace varnak {

struct DemoStartRequest {
  std::optional<std::string> dir;  // --dir; else the demo folder of the XDG data folder
  std::filesystem::path executableDir;
  std::filesystem::path dataFolder;  // the shipped defaults
  int port = 0;                      // --demo-port; 0: any free port
};

// The running node, with the folder to open in *folder. On failure the reason is shown
// in a box (and written to standard error) and nothing is returned.
std::unique_ptr<DemoNode> StartDemo(const DemoStartRequest& request, std::filesystem::path* folder);

}  // namespace varnak
