// The lookup window on the station's real prefix file.
#include <gtest/gtest.h>

#include <filesystem>

#include "ui/callsign_window.h"
#include "ui/main_window.h"
#include "support/temp_dir.h"

namespace varnak {
namespace {

// One table for both windows; each parser keeps its own query.
TEST(CallsignWindow, SharesTheMainWindowsPrefixTable) {
  test::TempDir dir;
  std::filesystem::copy_file(std::filesystem::path(VARNAK_DATA_DIR) / "prefix.lst", dir.path() / "prefix.lst");
  TForm1 form(dir.path(), std::make_shared<FixedClock>(DateTime{2026, 12, 7, 21, 7, 45}));
  form.station().ShutdownWaitMs = 0;
  auto* lookup = new TCallsign(form.station().parser(), &form);
  EXPECT_EQ(lookup->Parser().PrefixTable(), form.station().parser().PrefixTable());
  EXPECT_GT(lookup->Parser().PrefixList().Count(), 0);

  form.station().parser().ParseCall("KH6XX");
  lookup->Edit1->setText("EA8ZZ");
  ASSERT_EQ(form.station().parser().HitList().size(), 1u);
  EXPECT_EQ(form.station().parser().HitList()[0].Name, "Hawaii");
  EXPECT_TRUE(lookup->RichEdit1->toPlainText().contains("Canary Islands")) << lookup->RichEdit1->toPlainText().toStdString();
}

}  // namespace
}  // namespace varnak
