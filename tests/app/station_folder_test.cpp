#include "app/station_folder.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "support/temp_dir.h"

using namespace varnak;

namespace {
// Sets an environment variable for one scope.
struct EnvVar {
  EnvVar(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    if (value) ::setenv(name, value, 1); else ::unsetenv(name);
  }
  ~EnvVar() {
    if (old_) ::setenv(name_, old_->c_str(), 1); else ::unsetenv(name_);
  }
  const char* name_;
  std::optional<std::string> old_;
};
}  // namespace

TEST(StationFolder, ChosenInTheDocumentedOrder) {
  test::TempDir exe, home, xdg;
  EnvVar v("VARNAK_HOME", home.path().c_str());
  EnvVar x("XDG_DATA_HOME", xdg.path().c_str());
  EXPECT_EQ(ChooseStationFolder(std::string("/tmp/given"), exe.path()), "/tmp/given");
  EXPECT_EQ(ChooseStationFolder(std::nullopt, exe.path()), home.path());
  {
    EnvVar none("VARNAK_HOME", nullptr);
    EXPECT_EQ(ChooseStationFolder(std::nullopt, exe.path()), xdg.path() / "varnak");
    exe.Write("Varnak.ini", "");  // a portable install
    EXPECT_EQ(ChooseStationFolder(std::nullopt, exe.path()), exe.path());
  }
  EXPECT_EQ(WithTrailingSeparator("/a/b"), "/a/b/");
  EXPECT_EQ(WithTrailingSeparator("/a/b/"), "/a/b/");
}

TEST(StationFolder, SeedsMissingDefaultsWithoutOverwriting) {
  test::TempDir data, station;
  data.Write("telnet.cfg", "shipped");
  data.Write("help.txt", "shipped help");
  station.Write("telnet.cfg", "mine");
  std::string error;
  ASSERT_TRUE(PrepareStationFolder(station / "sub", data.path(), &error));
  ASSERT_TRUE(PrepareStationFolder(station.path(), data.path(), &error));
  EXPECT_EQ(station.Read("telnet.cfg"), "mine");
  EXPECT_EQ(station.Read("help.txt"), "shipped help");
  EXPECT_TRUE(std::filesystem::exists(station / "sub" / "telnet.cfg"));

  station.Write("file", "x");
  EXPECT_FALSE(PrepareStationFolder(station / "file", data.path(), &error));
  EXPECT_NE(error.find("station folder"), std::string::npos);
}
