// What the engine and the window share: where free space is asked, the disk-full text and the data
// rate.
#include <gtest/gtest.h>

#include "services/free_space.h"
#include "services/status_texts.h"

namespace orvimo {
namespace {

TEST(FreeSpaceQueryPath, DriveLetterOrTheFolderWrittenTo) {
  EXPECT_EQ(DiskDriveOf("C:\\rec.wav"), 3);
  EXPECT_EQ(DiskDriveOf("c:\\rec.wav"), static_cast<uint8_t>('c' - 64));
  EXPECT_EQ(DiskDriveOf("rec.wav"), 0);
  EXPECT_EQ(DiskDriveOf("\\\\server\\share\\rec.wav"), 0);
  EXPECT_EQ(DiskDriveOf("C"), 0);
  EXPECT_EQ(FreeSpaceQueryPath("C:\\rec.wav", 3), "C:\\");
  EXPECT_EQ(FreeSpaceQueryPath("rec.wav", 0), "");
  EXPECT_EQ(FreeSpaceQueryPath("/data/rec/[yyyy]/take.wav", 0), "/data/rec/[yyyy]");
  EXPECT_EQ(FreeSpaceQueryPath("\"/data/my rec/take.wav\"", 0), "/data/my rec");
  EXPECT_EQ(FreeSpaceQueryPath("/take.wav", 0), "/");
  EXPECT_EQ(FreeSpaceQueryPath("sub/take.wav", 0), "sub");
}

TEST(StatusTexts, DiskFullWarningCountsWholeKilobytes) {
  EXPECT_EQ(DiskFullWarning(102399),
            "Recording was paused due to\n\rinsufficient disk space. (99 KBytes left.)");
  EXPECT_EQ(DiskFullWarning(0), "Recording was paused due to\n\rinsufficient disk space. (0 KBytes left.)");
}

TEST(StatusTexts, BytesPerSecondIsFormedIn32Bits) {
  EXPECT_EQ(BytesPerSecondOf(1, 44100, 1), 176400);
  EXPECT_EQ(BytesPerSecondOf(0, 8000, 0), 8000);
  EXPECT_EQ(BytesPerSecondOf(1, -5, 1), -20);
  EXPECT_EQ(BytesPerSecondOf(1, 1 << 30, 1), 0);  // wraps like the 32-bit product
  EXPECT_EQ(BytesPerSecondOf(-1, 44100, 1), 0);   // no selection: no rate
}

}  // namespace
}  // namespace orvimo
