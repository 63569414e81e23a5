#include "ui/demo_start.h"

#include <QMessageBox>
#include <iostream>
#include <unistd.h>

#include "app/station_folder.h"

namespace varnak {

namespace fs = std::filesystem;

namespace {

void Refuse(const std::string& reason) {
  std::cerr << "varnak: " << reason << "\n";
  QMessageBox box(QMessageBox::Critical, "Varnak demo", QString::fromStdString(reason), QMessageBox::Ok);
  box.exec();
}

}  // namespace

std::unique_ptr<DemoNode> StartDemo(const DemoStartRequest& request, fs::path* folder) {
  const fs::path dir = request.dir && !request.dir->empty() ? fs::absolute(*request.dir) : DemoStationFolder();
  std::string error;
  if (!PrepareStationFolder(dir, request.dataFolder, &error) || ::access(dir.c_str(), W_OK) != 0) {
    Refuse("The demo cannot start: its station folder \"" + dir.string() +
           "\" cannot be created or written. Give another with --dir PATH.");
    return nullptr;
  }
  const fs::path program = FindDemoNodeProgram(request.executableDir);
  if (program.empty()) {
    Refuse("The demo cannot start: the practice node program \"" + std::string(kDemoNodeProgram) +
           "\" is missing. It is neither beside Varnak in \"" + request.executableDir.string() +
           "\" nor on the PATH; scripts/run --demo builds it.");
    return nullptr;
  }
  auto node = std::make_unique<DemoNode>();
  if (!node->Start(program, request.port, &error)) {
    Refuse("The demo cannot start. " + error);
    return nullptr;
  }
  if (!PrepareDemoFolder(dir, request.dataFolder, node->Port(), &error)) {
    Refuse("The demo cannot start. " + error);
    return nullptr;
  }
  *folder = dir;
  return node;
}

}  // namespace varnak
