#include <gtest/gtest.h>

#include "capture/audio_library.h"

namespace orvimo::capture {
namespace {

TEST(CaptureErrorMessageTest, MapsEveryCodeOfTheTable) {
  const struct {
    int code;
    const char* message;
  } table[] = {
      {1, "Insufficient memory!"},
      {6, "File format not supported!"},
      {8, "BASS_RecordInit not called!"},
      {14, "Recording already in progress!"},
      {37, "Recording device not available for use!"},
      {-1, "Unknown problem!"},
      {0, "Unknown error!"},
      {2, "Unknown error!"},
      {-2, "Unknown error!"},
      {1000, "Unknown error!"},
  };
  for (const auto& row : table) {
    EXPECT_EQ(CaptureErrorMessage(row.code), row.message) << "code " << row.code;
  }
}

TEST(CaptureErrorMessageTest, EnumValuesAreTheLibraryCodes) {
  EXPECT_EQ(CaptureErrorMessage(static_cast<int>(CaptureErrorCode::NotAvailable)),
            "Recording device not available for use!");
  EXPECT_EQ(static_cast<int>(CaptureErrorCode::Unknown), -1);
}

}  // namespace
}  // namespace orvimo::capture
