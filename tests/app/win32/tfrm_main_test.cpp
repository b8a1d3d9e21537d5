// The Win32 window on a real display under Wine: the controls' places, the tab order, the look, the way
// a user's change reaches the shared handlers, and a close that completes the recording.
#include "app/win32/tfrm_main.h"

#include <commctrl.h>
#include <gtest/gtest.h>
#include <wtsapi32.h>

#include <cstdint>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "app/win32/screen_snap.h"
#include "app_fakes.h"
#include "support/fake_audio_library.h"
#include "support/temp_folder.h"

namespace orvimo::win32 {
namespace {

using namespace orvimo::testing;

void Pump() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

// The spin edit's up/down buttons, found as a user would see them: the one whose buddy it is.
HWND SpinButtonsOf(HWND edit) {
  for (HWND child = GetWindow(GetParent(edit), GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    if (reinterpret_cast<HWND>(SendMessageW(child, UDM_GETBUDDY, 0, 0)) == edit) return child;
  }
  return nullptr;
}

uint32_t LittleEndianAt(const std::vector<char>& bytes, size_t at) {
  uint32_t value = 0;
  for (size_t i = 0; i < 4; ++i) value |= uint32_t(uint8_t(bytes.at(at + i))) << (8 * i);
  return value;
}

class WindowTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    INITCOMMONCONTROLSEX controls{
        sizeof controls, ICC_STANDARD_CLASSES | ICC_DATE_CLASSES | ICC_UPDOWN_CLASS | ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);
  }

  void Open(const std::string& commandLine = "orvimo2.exe") {
    window = std::make_unique<TfrmMain>(AppServices{.audio = audio,
                                                    .clock = clock,
                                                    .freeSpace = freeSpace,
                                                    .dialogs = dialogs,
                                                    .flasher = flasher,
                                                    .shutdown = shutdown,
                                                    .settings = settings,
                                                    .commandLine = commandLine});
    ShowWindow(window->Handle(), SW_SHOWNOACTIVATE);
    UpdateWindow(window->Handle());
    Pump();
  }
  HWND Find(const char* name) const { return window->FindControl(name); }

  capture::FakeAudioLibrary audio;
  FakeClock clock;
  FakeFreeSpace freeSpace;
  FakeDialogs dialogs;
  FakeFlasher flasher;
  FakeShutdown shutdown;
  MemorySettings settings;
  std::unique_ptr<TfrmMain> window;
};

TEST_F(WindowTest, ControlsSitAtTheirDesignedPlaces) {
  Open();
  struct Place {
    const char *name, *container;  // an empty container: the window
    RECT rect;                     // left, top, right, bottom in the container at 96 dpi
  };
  const auto at = [](int left, int top, int width, int height) {
    return RECT{left, top, left + width, top + height};
  };
  const Place places[] = {
      {"Panel1", "", at(0, 0, 285, 50)},
      {"GroupBox1", "", at(0, 50, 285, 45)},
      {"GroupBox2", "", at(0, 95, 285, 67)},
      {"GroupBox3", "", at(0, 162, 285, 118)},
      {"bRec", "Panel1", at(5, 5, 42, 40)},
      {"lMessage", "Panel1", at(50, 5, 160, 14)},
      {"lFilename", "Panel1", at(50, 21, 160, 14)},
      {"lRecorded", "Panel1", at(212, 5, 67, 14)},
      {"lFree", "Panel1", at(212, 21, 67, 14)},
      {"vubox", "Panel1", at(50, 37, 229, 8)},
      {"cInputDevice", "GroupBox1", at(8, 17, 270, 21)},
      {"cInputInput", "GroupBox1", at(7, 57, 270, 21)},
      {"Label1", "GroupBox2", at(9, 18, 35, 13)},
      {"eOutfile", "GroupBox2", at(53, 14, 205, 21)},
      {"bSave", "GroupBox2", at(258, 14, 22, 21)},
      {"cOutFormatB", "GroupBox2", at(8, 39, 59, 21)},
      {"cOutFormatC", "GroupBox2", at(71, 39, 59, 21)},
      {"cOutType", "GroupBox2", at(134, 39, 59, 21)},
      {"cOutHz", "GroupBox2", at(197, 39, 61, 21)},
      {"Label12", "GroupBox2", at(263, 43, 12, 13)},
      {"cbStart", "GroupBox3", at(8, 17, 63, 17)},
      {"dtStart", "GroupBox3", at(78, 15, 107, 21)},
      {"dtTStart", "GroupBox3", at(190, 15, 88, 21)},
      {"cbStop", "GroupBox3", at(8, 42, 51, 17)},
      {"rbStopTime", "GroupBox3", at(59, 43, 17, 17)},
      {"dtStop", "GroupBox3", at(78, 40, 107, 21)},
      {"dtTStop", "GroupBox3", at(190, 40, 88, 21)},
      {"rbStopAt", "GroupBox3", at(59, 67, 50, 17)},
      {"seStopAt", "GroupBox3", at(112, 65, 73, 21)},
      {"cStopAt", "GroupBox3", at(190, 65, 88, 21)},
      {"Label3", "GroupBox3", at(9, 94, 72, 13)},
      {"cWhenFinished", "GroupBox3", at(92, 90, 186, 21)},
  };
  for (const Place& place : places) {
    SCOPED_TRACE(place.name);
    const HWND control = Find(place.name);
    ASSERT_NE(control, nullptr);
    const HWND container = *place.container ? Find(place.container) : window->Handle();
    EXPECT_EQ(GetParent(control), container);
    RECT rect = ChildRect(control);
    // A spin edit's place holds the edit and its buttons.
    if (const HWND buttons = SpinButtonsOf(control)) {
      const RECT buttonRect = ChildRect(buttons);
      UnionRect(&rect, &rect, &buttonRect);
    }
    EXPECT_EQ(rect.left, place.rect.left);
    EXPECT_EQ(rect.top, place.rect.top);
    EXPECT_EQ(rect.right, place.rect.right);
    EXPECT_EQ(rect.bottom, place.rect.bottom);
  }
  EXPECT_FALSE(IsWindowVisible(Find("cInputInput")));
}

// The disabled file-type list and the hidden input list are passed over, as are the labels, the record
// button and the browse button; of the two radio buttons only the checked one is a stop.
TEST_F(WindowTest, TabGoesThroughTheControlsInTheirOrder) {
  Open();
  const std::vector<std::string> expected{"cInputDevice", "eOutfile", "cOutHz",   "cOutFormatC",
                                          "cOutFormatB",  "cbStart",  "cbStop",   "dtStop",
                                          "dtStart",      "dtTStart", "dtTStop",  "cWhenFinished",
                                          "rbStopTime",   "cStopAt",  "seStopAt", "cInputDevice"};
  std::vector<std::string> visited{"cInputDevice"};
  HWND control = Find("cInputDevice");
  for (size_t step = 1; step < expected.size(); ++step) {
    control = GetNextDlgTabItem(window->Handle(), control, FALSE);
    std::string name = "?";
    for (const std::string& candidate : expected) {
      if (Find(candidate.c_str()) == control) name = candidate;
    }
    visited.push_back(name);
  }
  EXPECT_EQ(visited, expected);
}

TEST_F(WindowTest, LooksAsDesigned) {
  Open();
  const HWND handle = window->Handle();
  RECT client{};
  GetClientRect(handle, &client);
  EXPECT_EQ(client.right, 285);
  EXPECT_EQ(client.bottom, 280);
  wchar_t caption[64] = {};
  GetWindowTextW(handle, caption, 64);
  EXPECT_STREQ(caption, L"Orvimo 2.0");
  const LONG style = GetWindowLongW(handle, GWL_STYLE);
  EXPECT_TRUE(style & WS_MINIMIZEBOX);
  EXPECT_FALSE(style & (WS_MAXIMIZEBOX | WS_THICKFRAME));

  LOGFONTW font{};
  GetObjectW(reinterpret_cast<HFONT>(SendMessageW(Find("eOutfile"), WM_GETFONT, 0, 0)), sizeof font, &font);
  EXPECT_STREQ(font.lfFaceName, L"MS Shell Dlg 2");
  EXPECT_EQ(font.lfHeight, -11);

  // A pixel near the corner of each coloured label, where no letter reaches.
  const struct {
    const char* name;
    COLORREF background;
  } labels[] = {{"lMessage", RGB(0, 0, 128)},
                {"lFilename", RGB(128, 128, 128)},
                {"lRecorded", RGB(128, 0, 0)},
                {"lFree", RGB(0, 128, 0)}};
  for (const auto& label : labels) {
    const HWND control = Find(label.name);
    const HDC dc = GetDC(control);
    EXPECT_EQ(GetPixel(dc, 1, 12), label.background) << label.name;
    ReleaseDC(control, dc);
  }
}

// Each change is made as the control itself reports it to its container, which passes it on.
TEST_F(WindowTest, UserChangesReachTheHandlers) {
  Open();
  const auto select = [this](const char* name, int index) {
    const HWND list = Find(name);
    SendMessageW(list, CB_SETCURSEL, index, 0);
    SendMessageW(GetParent(list), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(list), CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(list));
  };
  const auto type = [this](const char* name, const wchar_t* text) { SetWindowTextW(Find(name), text); };
  const struct {
    const char* what;
    std::function<void()> change;
    std::function<bool()> handled;
  } cases[] = {
      {"8-bit chosen", [&] { select("cOutFormatB", 0); },
       [this] { return window->Form().State().BytesPerSec == 88200; }},
      {"a rate typed", [&] { type("cOutHz", L"22050"); },
       [this] { return window->Form().State().BytesPerSec == 44100; }},
      {"a drive typed", [&] { type("eOutfile", L"D:\\take.wav"); },
       [this] { return window->Form().State().DiskDrive == 4; }},
      {"stop after a limit clicked", [this] { SendMessageW(Find("rbStopAt"), BM_CLICK, 0, 0); },
       [this] {
         return SendMessageW(Find("rbStopAt"), BM_GETCHECK, 0, 0) == BST_CHECKED &&
                SendMessageW(Find("rbStopTime"), BM_GETCHECK, 0, 0) == BST_UNCHECKED;
       }},
  };
  for (const auto& entry : cases) {
    entry.change();
    Pump();
    EXPECT_TRUE(entry.handled()) << entry.what;
  }
}

// Closed by the user, or by the end of the session, after which the process gets no more time.
TEST_F(WindowTest, ClosingCompletesTheRecordingAndSavesTheSettings) {
  TempFolder folder("orvimo-window");
  const std::string fileName = Utf8Of(folder.Path() / "take.wav");
  for (const auto& [message, wParam] : {std::pair<UINT, WPARAM>{WM_CLOSE, 0}, {WM_ENDSESSION, TRUE}}) {
    SCOPED_TRACE(message);
    settings.values.clear();
    Open();
    SetWindowTextW(Find("eOutfile"), PathFromUtf8(fileName).c_str());
    // A left click on the record button.
    const HWND button = Find("bRec");
    SendMessageW(button, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 20));
    SendMessageW(button, WM_LBUTTONUP, 0, MAKELPARAM(20, 20));
    ASSERT_TRUE(window->Form().State().Recording) << (dialogs.errors.empty() ? "" : dialogs.errors.back());
    const uint64_t delivered = audio.DeliverSilence(0.5);
    ASSERT_GT(delivered, 0u);

    SendMessageW(window->Handle(), message, wParam, 0);

    EXPECT_EQ(window->Handle(), nullptr);
    std::ifstream file(PathFromUtf8(fileName), std::ios::binary);
    const std::vector<char> bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    ASSERT_EQ(bytes.size(), 44 + delivered);
    EXPECT_EQ(LittleEndianAt(bytes, 4), bytes.size() - 8);  // RIFF size
    EXPECT_EQ(LittleEndianAt(bytes, 40), delivered);        // data size
    EXPECT_EQ(settings.values["cOutFormatB_ItemIndex"], "1");
    EXPECT_EQ(settings.values["rbStopTime_Checked"], "True");
    EXPECT_FALSE(settings.values["NormPos"].empty());
  }
}

// Minimised, or in a locked session, nothing of the window shows: the meter sleeps until both are over.
TEST_F(WindowTest, TheMeterSleepsWhileMinimisedOrTheSessionIsLocked) {
  Open();
  const auto show = [this](int how) { return [this, how] { ShowWindow(window->Handle(), how); }; };
  const auto session = [this](WPARAM change) {
    return [this, change] { SendMessageW(window->Handle(), WM_WTSSESSION_CHANGE, change, 0); };
  };
  const struct Step {
    const char* what;
    std::function<void()> act;
    bool meterRuns;
  } steps[] = {
      {"minimised", show(SW_MINIMIZE), false},
      {"restored", show(SW_RESTORE), true},
      {"locked", session(WTS_SESSION_LOCK), false},
      {"minimised while locked", show(SW_MINIMIZE), false},
      {"restored while locked", show(SW_RESTORE), false},
      {"unlocked", session(WTS_SESSION_UNLOCK), true},
  };
  ASSERT_TRUE(window->TimerRunning(TimerId::vuTimer));
  for (const Step& step : steps) {
    step.act();
    Pump();
    EXPECT_EQ(window->TimerRunning(TimerId::vuTimer), step.meterRuns) << step.what;
  }
}

TEST(ScreenSnapTest, EdgesWithinEightPixelsLandOnTheWorkArea) {
  const RECT work{0, 0, 1024, 738};
  const struct {
    POINT proposed, snapped;
  } cases[] = {{{500, 300}, {500, 300}}, {{8, 300}, {0, 300}},     {{9, 300}, {9, 300}},
               {{-6, -8}, {0, 0}},       {{739, 300}, {733, 300}}, {{724, 300}, {724, 300}},
               {{500, 426}, {500, 429}}};
  for (const auto& entry : cases) {
    const RECT proposed{entry.proposed.x, entry.proposed.y, entry.proposed.x + 291, entry.proposed.y + 309};
    const POINT snapped = SnapToEdges(proposed, work);
    EXPECT_EQ(snapped.x, entry.snapped.x) << entry.proposed.x << "," << entry.proposed.y;
    EXPECT_EQ(snapped.y, entry.snapped.y) << entry.proposed.x << "," << entry.proposed.y;
  }
}

}  // namespace
}  // namespace orvimo::win32
