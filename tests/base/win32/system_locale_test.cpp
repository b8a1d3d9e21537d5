#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "base/date_time.h"
#include "base/win32/wide_text.h"

namespace orvimo {
namespace {

const SYSTEMTIME kEvening{2026, 12, 0, 6, 22, 9, 38, 0};  // a Sunday
const TDateTime kEveningValue = EncodeDateTime(2026, 12, 6, 22, 9, 38, 0);

std::string SystemDate(DWORD flags) {
  wchar_t text[128];
  const int length = GetDateFormatEx(LOCALE_NAME_USER_DEFAULT, flags, &kEvening, nullptr, text, 128, nullptr);
  return length > 1 ? win32::Utf8FromWide(std::wstring_view(text, static_cast<std::size_t>(length - 1))) : "";
}

std::string SystemTime(DWORD flags) {
  wchar_t text[128];
  const int length = GetTimeFormatEx(LOCALE_NAME_USER_DEFAULT, flags, &kEvening, nullptr, text, 128);
  return length > 1 ? win32::Utf8FromWide(std::wstring_view(text, static_cast<std::size_t>(length - 1))) : "";
}

// The user's formats, translated into the formatting language, must show a date and a time as the
// system's own formatting shows them.
TEST(SystemLocaleTest, FormatsLikeTheSystem) {
  const FormatSettings settings = FormatSettings::FromSystem();
  EXPECT_EQ(FormatDateTime("ddddd", kEveningValue, settings), SystemDate(DATE_SHORTDATE));
  EXPECT_EQ(FormatDateTime("dddddd", kEveningValue, settings), SystemDate(DATE_LONGDATE));
  EXPECT_EQ(FormatDateTime("tt", kEveningValue, settings), SystemTime(0));
  EXPECT_EQ(FormatDateTime("t", kEveningValue, settings), SystemTime(TIME_NOSECONDS));
}

TEST(SystemLocaleTest, NowIsTheLocalClock) {
  SYSTEMTIME before{}, after{};
  GetLocalTime(&before);
  const TDateTime now = Now();
  GetLocalTime(&after);
  const auto value = [](const SYSTEMTIME& t) {
    return EncodeDateTime(t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond, t.wMilliseconds);
  };
  EXPECT_GE(now, value(before));
  EXPECT_LE(now, value(after));
}

TEST(WideTextTest, RoundTripsTextOutsideTheAnsiCodePage) {
  const std::string name = "Aufnahme \xC3\xA4\xE2\x82\xAC \xE9\x9F\xB3 \xF0\x9F\x8E\xA4.wav";  // ä € 音 🎤
  const std::wstring wide = win32::WideFromUtf8(name);
  EXPECT_EQ(wide.size(), 20u);  // 18 characters of one unit, the microphone as a surrogate pair
  EXPECT_EQ(win32::Utf8FromWide(wide), name);
}

}  // namespace
}  // namespace orvimo
