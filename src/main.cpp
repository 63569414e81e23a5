// Varnak entry point: the command line, the station folder, then the windows in the
// order the program has always created them.
#include <QApplication>
#include <QDir>
#include <QTimer>
#include <cstdio>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "app/station_folder.h"
#include "callsign/lookup.h"
#include "core/clock.h"
#include "core/text.h"
#include "core/version.h"
#include "ui/demo_start.h"
#include "ui/main_window.h"
#include "ui/signal_close.h"
#include "ui/windows.h"

namespace {

const char* kUsage =
    "Usage: varnak [options]\n"
    "A DX-cluster client for radio amateurs.\n"
    "\n"
    "Options:\n"
    "  --demo             try Varnak offline: a practice cluster node starts in the\n"
    "                     background and Varnak connects to it, on a station folder\n"
    "                     of its own ($XDG_DATA_HOME/varnak-demo, or --dir)\n"
    "  --demo-port N      the practice node's port (default: any free one)\n"
    "  --dir PATH         use PATH as the station folder (settings, lists, tables)\n"
    "  --lookup [TEXT...] look up callsigns or prefixes and print what the lookup\n"
    "                     window shows; without TEXT, one text per line from\n"
    "                     standard input\n"
    "  --version          print the version and exit\n"
    "  --help             print this help and exit\n"
    "\n"
    "The station folder is, in this order: --dir; $VARNAK_HOME; the program's folder\n"
    "when it holds Varnak.ini; $XDG_DATA_HOME/varnak or ~/.local/share/varnak.\n";

struct Options {
  std::optional<std::string> dir;
  bool help = false, version = false, lookup = false, demo = false;
  int demoPort = 0;
  std::vector<std::string> lookupTexts;
  std::string error;
};

// The toolkit's own options that take a value (and -reverse, which takes none); anything
// else beginning with "-" is ours or a mistake, and Qt would abort on some of them
// before it could say why.
bool IsToolkitOption(const std::string& a) {
  for (const char* known : {"-platform", "-display", "-style", "-stylesheet", "-geometry", "-name", "-title",
                            "-qwindowgeometry", "-qwindowtitle", "-qwindowicon", "-platformpluginpath", "-reverse"})
    if (a == known) return true;
  return false;
}

Options ParseOptions(int argc, char** argv) {
  Options o;
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    if (a == "--help" || a == "-h") {
      o.help = true;
    } else if (a == "--version" || a == "-v") {
      o.version = true;
    } else if (a == "--dir") {
      if (i + 1 >= argc) {
        o.error = "--dir needs a folder";
        return o;
      }
      o.dir = argv[++i];
    } else if (a.rfind("--dir=", 0) == 0) {
      o.dir = a.substr(6);
    } else if (a == "--demo") {
      o.demo = true;
    } else if (a == "--demo-port") {
      if (i + 1 >= argc || !varnak::ParseInt(argv[i + 1], o.demoPort) || o.demoPort < 1 || o.demoPort > 65535) {
        o.error = "--demo-port needs a port number from 1 to 65535";
        return o;
      }
      ++i;
      o.demo = true;
    } else if (a == "--lookup") {
      o.lookup = true;
      for (++i; i < argc; ++i) o.lookupTexts.emplace_back(argv[i]);
    } else if (IsToolkitOption(a)) {
      // Left to Qt, with the value that follows.
      if (a != "-reverse") ++i;
    } else if (!a.empty() && a[0] == '-') {
      o.error = "unknown option " + a;
      return o;
    } else {
      o.error = "unexpected argument \"" + a + "\"";
      return o;
    }
  }
  return o;
}

}  // namespace

int main(int argc, char** argv) {
  Options opt = ParseOptions(argc, argv);
  if (!opt.error.empty()) {
    std::cerr << "varnak: " << opt.error << "\n\n" << kUsage;
    return 2;
  }
  if (opt.help) {
    std::cout << kUsage;
    return 0;
  }
  if (opt.version) {
    std::cout << "Varnak " << varnak::LongVersionText() << ", version " << varnak::PackageVersionText() << "\n";
    return 0;
  }

  if (opt.lookup) {
    std::filesystem::path folder = varnak::ChooseStationFolder(opt.dir, varnak::ExecutableDir(argv[0]));
    std::filesystem::path prefixFile = folder / "prefix.lst";
    std::error_code ec;
    if (!std::filesystem::exists(prefixFile, ec))
      prefixFile = varnak::ShippedDataFolder(varnak::ExecutableDir(argv[0])) / "prefix.lst";
    return varnak::RunLookupCli(opt.lookupTexts, std::cin, std::cout, prefixFile.string(), 0, 0);
  }

  QApplication app(argc, argv);
  app.setApplicationName("Varnak");
  app.setApplicationVersion(QString::fromStdString(varnak::PackageVersionText()));
  app.setDesktopFileName("io.github.varnak.Varnak");

  const std::filesystem::path exeDir = QCoreApplication::applicationDirPath().toStdString();
  const std::filesystem::path dataFolder = varnak::ShippedDataFolder(exeDir);
  std::filesystem::path folder;
  std::unique_ptr<varnak::DemoNode> demo;
  if (opt.demo) {
    // The demo prepares its own folder.
    demo = varnak::StartDemo({opt.dir, exeDir, dataFolder, opt.demoPort}, &folder);
    if (!demo) return 1;
  } else {
    folder = varnak::ChooseStationFolder(opt.dir, exeDir);
    std::string error;
    if (!varnak::PrepareStationFolder(folder, dataFolder, &error)) {
      std::cerr << "varnak: " << error << "\n";
      return 1;
    }
  }
  QDir::setCurrent(QString::fromStdString(folder.string()));
  app.setWindowIcon(varnak::ProgramIcon(dataFolder));

  auto splash = std::make_unique<varnak::SplashWindow>(QString::fromStdString(varnak::LongVersionText()));
  splash->show();
  app.processEvents();

  auto clock = std::make_shared<varnak::SystemClock>();
  varnak::TForm1 form(folder, clock);
  form.EditButtonDlg = new varnak::TEditButtonDlg(&form);
  form.Callsign = new varnak::TCallsign(form.station().parser(), &form);
  if (demo) form.AttachDemoNode(demo.get());
  varnak::CloseOnTerminationSignals(&form);
  form.show();
  form.CreateSecondaryWindows();
  splash.reset();
  return app.exec();
}
