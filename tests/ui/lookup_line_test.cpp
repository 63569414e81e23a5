// The lookup line under a flood of spots.
#include <QTest>
#include <gtest/gtest.h>

#include "app/operator_log.h"
#include "ui/lookup_line.h"
#include "ui/main_window.h"
#include "support/temp_dir.h"
#include "support/wait_until.h"

using namespace varnak;

TEST(LookupLine, ShowsTheNewestSpotOfABurstWithItsNeedMark) {
  test::TempDir dir;
  std::filesystem::copy_file(std::filesystem::path(VARNAK_DATA_DIR) / "prefix.lst", dir / "prefix.lst");
  // Germany worked and confirmed on 20 m CW; Japan never.
  dir.Write("log.adi", "<EOH>\n<CALL:6>DL1ABC <BAND:3>20m <MODE:2>CW <QSL_RCVD:1>Y <EOR>\n");
  dir.Write("Varnak.ini", "[AGWlink]\r\nMyCall=Q1ABC\r\nMyLocator=JO57XQ\r\nSound=0\r\n[Log]\r\nAdif=log.adi\r\n");
  TForm1 form(dir.path(), std::make_shared<FixedClock>(DateTime{2026, 12, 7, 21, 7, 45}));
  form.station().ShutdownWaitMs = 0;
  form.show();
  WAIT_TRUE(form.station().operatorLog().Loaded(), 10000);

  for (int i = 0; i < 300; ++i)
    form.station().ClassifyLine("DX de Q2XYZ:     14025.0  DL" + std::to_string(i % 10) +
                                "AAA       cq                             2153Z\a\a");
  WAIT_TRUE(form.Label2->text().startsWith("DL9AAA = DL"), 3000);
  EXPECT_TRUE(form.LookupSlot->FullText().endsWith(" km]")) << "confirmed: no tag";

  form.station().ClassifyLine("DX de Q2XYZ:     14025.0  JA1XYZ       cq                             2153Z\a\a");
  WAIT_TRUE(form.Label2->text().startsWith("JA1XYZ = JA: Japan"), 3000);
  const QString full = form.LookupSlot->FullText();
  EXPECT_TRUE(full.endsWith(" km] [NEW]")) << full.toStdString();
  // Cut to the width, the whole line is in the tooltip.
  EXPECT_TRUE(form.Label2->text() == full || form.Label2->toolTip() == full);
  form.close();
}
