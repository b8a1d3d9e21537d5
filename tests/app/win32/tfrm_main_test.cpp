// The Win32 window on a real display under Wine: the controls' places at every density, the tab order and
// the keys, what assistive technology reads, the look, the way a user's change reaches the shared
// handlers, and a close that completes the recording.
#include "app/win32/tfrm_main.h"

#include <commctrl.h>
#include <gtest/gtest.h>
#include <oleacc.h>
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
#include "base/win32/wide_text.h"
#include "controls/win32/dpi.h"
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
  // As the program's message loop does, with the window's keys.
  void PumpKeys() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (window->TranslateKeys(message)) continue;
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }
  std::string FocusedName() const {
    for (const char* name : kTabStops) {
      if (Find(name) == GetFocus()) return name;
    }
    return "?";
  }
  static constexpr const char* kTabStops[] = {
      "bRec",       "cInputDevice", "eOutfile", "bSave",    "cOutFormatB", "cOutFormatC",
      "cOutType",   "cOutHz",       "cbStart",  "dtStart",  "dtTStart",    "cbStop",
      "rbStopTime", "dtStop",       "dtTStop",  "seStopAt", "cStopAt",     "cWhenFinished"};

  capture::FakeAudioLibrary audio;
  FakeClock clock;
  FakeFreeSpace freeSpace;
  FakeDialogs dialogs;
  FakeFlasher flasher;
  FakeShutdown shutdown;
  MemorySettings settings;
  std::unique_ptr<TfrmMain> window;
};

struct Place {
  const char *name, *container;  // an empty container: the window
  RECT rect;                     // left, top, right, bottom in the container at 96 dpi
};

constexpr RECT At(int left, int top, int width, int height) {
  return RECT{left, top, left + width, top + height};
}

constexpr Place kPlaces[] = {
    {"Panel1", "", At(0, 0, 285, 50)},
    {"GroupBox1", "", At(0, 50, 285, 45)},
    {"GroupBox2", "", At(0, 95, 285, 67)},
    {"GroupBox3", "", At(0, 162, 285, 118)},
    {"bRec", "Panel1", At(5, 5, 42, 40)},
    {"lMessage", "Panel1", At(50, 5, 160, 14)},
    {"lFilename", "Panel1", At(50, 21, 160, 14)},
    {"lRecorded", "Panel1", At(212, 5, 67, 14)},
    {"lFree", "Panel1", At(212, 21, 67, 14)},
    {"vubox", "Panel1", At(50, 37, 229, 8)},
    {"cInputDevice", "GroupBox1", At(8, 17, 270, 21)},
    {"cInputInput", "GroupBox1", At(7, 57, 270, 21)},
    {"Label1", "GroupBox2", At(9, 18, 43, 13)},
    {"eOutfile", "GroupBox2", At(53, 14, 205, 21)},
    {"bSave", "GroupBox2", At(258, 14, 22, 21)},
    {"cOutFormatB", "GroupBox2", At(8, 39, 59, 21)},
    {"cOutFormatC", "GroupBox2", At(71, 39, 59, 21)},
    {"cOutType", "GroupBox2", At(134, 39, 59, 21)},
    {"cOutHz", "GroupBox2", At(197, 39, 61, 21)},
    {"Label12", "GroupBox2", At(263, 43, 20, 13)},
    {"cbStart", "GroupBox3", At(8, 17, 63, 17)},
    {"dtStart", "GroupBox3", At(78, 15, 107, 21)},
    {"dtTStart", "GroupBox3", At(190, 15, 88, 21)},
    {"cbStop", "GroupBox3", At(8, 42, 51, 17)},
    {"rbStopTime", "GroupBox3", At(59, 43, 17, 17)},
    {"dtStop", "GroupBox3", At(78, 40, 107, 21)},
    {"dtTStop", "GroupBox3", At(190, 40, 88, 21)},
    {"rbStopAt", "GroupBox3", At(59, 67, 50, 17)},
    {"seStopAt", "GroupBox3", At(112, 65, 73, 21)},
    {"cStopAt", "GroupBox3", At(190, 65, 88, 21)},
    {"Label3", "GroupBox3", At(9, 94, 72, 13)},
    {"cWhenFinished", "GroupBox3", At(92, 90, 186, 21)},
};

int TextWidth(HWND control, const std::wstring& text) {
  const HDC dc = GetDC(control);
  const HGDIOBJ previous = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
  SIZE size{};
  GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
  SelectObject(dc, previous);
  ReleaseDC(control, dc);
  return size.cx;
}

std::wstring TextOf(HWND control) {
  wchar_t text[256] = {};
  GetWindowTextW(control, text, 256);
  return text;
}

int ClientWidth(HWND control) {
  RECT client{};
  GetClientRect(control, &client);
  return client.right;
}

// The texts a control shows and the room it has for them, as the system's controls lay themselves out.
std::vector<std::pair<std::wstring, int>> TextsAndRoom(HWND control, int dpi) {
  wchar_t className[32] = {};
  GetClassNameW(control, className, 32);
  const std::wstring kind = className;
  const LONG style = GetWindowLongW(control, GWL_STYLE);
  const int width = ClientWidth(control);
  std::vector<std::pair<std::wstring, int>> texts;
  if (kind == L"ComboBox") {
    COMBOBOXINFO info{};
    info.cbSize = sizeof info;
    GetComboBoxInfo(control, &info);
    const int items = static_cast<int>(SendMessageW(control, CB_GETCOUNT, 0, 0));
    for (int item = 0; item < items; ++item) {
      wchar_t text[256] = {};
      SendMessageW(control, CB_GETLBTEXT, item, reinterpret_cast<LPARAM>(text));
      texts.emplace_back(text, info.rcItem.right - info.rcItem.left - 2);
    }
  } else if (kind == L"Edit") {
    RECT format{};
    SendMessageW(control, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&format));
    texts.emplace_back(TextOf(control), format.right - format.left);
  } else if (kind == L"SysDateTimePick32") {
    SYSTEMTIME widest{2026, 12, 3, 30, 23, 58, 58, 0};
    wchar_t text[64] = {};
    if ((style & DTS_TIMEFORMAT) == DTS_TIMEFORMAT) {
      GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &widest, nullptr, text, 64);
    } else {
      GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &widest, nullptr, text, 64);
    }
    texts.emplace_back(text, width - SystemMetricForDpi(SM_CXVSCROLL, dpi) - ScaledForDpi(4, dpi));
  } else if (kind == L"Button" && (style & BS_TYPEMASK) == BS_GROUPBOX) {
    texts.emplace_back(TextOf(control), width - ScaledForDpi(16, dpi));
  } else if (kind == L"Button" && (style & BS_TYPEMASK) != BS_OWNERDRAW) {
    texts.emplace_back(TextOf(control),
                       width - SystemMetricForDpi(SM_CXMENUCHECK, dpi) - ScaledForDpi(3, dpi));
  } else if (kind == L"Static") {
    texts.emplace_back(TextOf(control), width);
  }
  return texts;
}

// At the density the window starts with, and at the higher ones of 144 and 192 as the system tells a
// window moved to another screen: the window and every control at the designed places scaled, and every
// text within its room. (Wine sizes the system controls' own parts by the density it started with: a
// move to a lower one would leave them too large.)
TEST_F(WindowTest, LaidOutAtEveryDensity) {
  Open();
  window->PutLabelText(ControlId::lRecorded, " 119 : 04 : 37");
  // Free time on a 4 TB disk at 8 kHz, 8-bit mono.
  window->PutLabelText(ControlId::lFree, " 138888 : 53 : 20");
  std::vector<int> densities{DpiOfWindow(window->Handle())};
  for (const int higher : {144, 192}) {
    if (higher > densities.front()) densities.push_back(higher);
  }
  for (const int dpi : densities) {
    SCOPED_TRACE(dpi);
    if (dpi != densities.front()) {
      RECT suggested{0, 0, ScaledForDpi(285, dpi), ScaledForDpi(280, dpi)};
      AdjustFrameForDpi(suggested, GetWindowLongW(window->Handle(), GWL_STYLE),
                        GetWindowLongW(window->Handle(), GWL_EXSTYLE), dpi);
      OffsetRect(&suggested, 10 - suggested.left, 10 - suggested.top);
      SendMessageW(window->Handle(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi),
                   reinterpret_cast<LPARAM>(&suggested));
      Pump();
    }
    RECT client{};
    GetClientRect(window->Handle(), &client);
    EXPECT_EQ(client.right, ScaledForDpi(285, dpi));
    EXPECT_EQ(client.bottom, ScaledForDpi(280, dpi));
    for (const Place& place : kPlaces) {
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
      EXPECT_EQ(rect.left, ScaledForDpi(place.rect.left, dpi));
      EXPECT_EQ(rect.top, ScaledForDpi(place.rect.top, dpi));
      EXPECT_EQ(rect.right, ScaledForDpi(place.rect.right, dpi));
      EXPECT_EQ(rect.bottom, ScaledForDpi(place.rect.bottom, dpi));
      for (const auto& [text, room] : TextsAndRoom(control, dpi)) {
        EXPECT_LE(TextWidth(control, text), room) << "\"" << Utf8FromWide(text) << "\"";
      }
    }
    LOGFONTW font{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(Find("eOutfile"), WM_GETFONT, 0, 0)), sizeof font, &font);
    EXPECT_EQ(font.lfHeight, -MulDiv(8, dpi, 72));
  }
  EXPECT_FALSE(IsWindowVisible(Find("cInputInput")));
}

// The order the eye reads the window in, from the record button; the hidden input list and the labels
// are passed over, and of the two radio buttons only the checked one is a stop.
TEST_F(WindowTest, TabGoesThroughTheControlsInTheirOrder) {
  Open();
  std::vector<std::string> expected(std::begin(kTabStops), std::end(kTabStops));
  expected.push_back("bRec");
  std::vector<std::string> visited{"bRec"};
  HWND control = Find("bRec");
  for (size_t step = 1; step < expected.size(); ++step) {
    control = GetNextDlgTabItem(window->Handle(), control, FALSE);
    SetFocus(control);
    visited.push_back(FocusedName());
  }
  EXPECT_EQ(visited, expected);
}

// Keys posted as the keyboard would: Tab from the last control reaches the record button, Space on it
// starts, the shortcuts pause, resume and stop from any control, a held key acts once.
TEST_F(WindowTest, TheKeyboardRecordsPausesAndStops) {
  TempFolder folder("orvimo-keys");
  Open();
  SetWindowTextW(Find("eOutfile"), PathFromUtf8(Utf8Of(folder.Path() / "keys.wav")).c_str());
  SetForegroundWindow(window->Handle());
  SetFocus(Find("cWhenFinished"));
  const RecordingState& state = window->Form().State();
  const auto key = [this](const char* target, WPARAM code, bool control, bool held = false) {
    return [this, target, code, control, held] {
      BYTE keys[256] = {};
      GetKeyboardState(keys);
      keys[VK_CONTROL] = control ? 0x80 : 0;
      SetKeyboardState(keys);
      const HWND to = *target ? Find(target) : GetFocus();
      PostMessageW(to, WM_KEYDOWN, code, held ? 1 | (1 << 30) : 1);
      PumpKeys();
      keys[VK_CONTROL] = 0;
      SetKeyboardState(keys);
    };
  };
  const struct Step {
    const char* what;
    std::function<void()> press;
    bool recording, paused;
    const char* focused;
  } steps[] = {
      {"Tab", key("", VK_TAB, false), false, false, "bRec"},
      {"Space", key("", VK_SPACE, false), true, false, "bRec"},
      {"Ctrl+P in the unit list", key("cStopAt", 'P', true), true, true, "bRec"},
      {"Pause", key("", VK_PAUSE, false), true, false, "bRec"},
      {"Ctrl+R held down", key("", 'R', true, true), true, false, "bRec"},
      {"Ctrl+R", key("", 'R', true), false, false, "bRec"},
      {"Enter", key("", VK_RETURN, false), true, false, "bRec"},
      {"Ctrl+R again", key("", 'R', true), false, false, "bRec"},
  };
  for (const Step& step : steps) {
    step.press();
    EXPECT_EQ(state.Recording, step.recording) << step.what;
    EXPECT_EQ(state.Paused && state.Recording, step.paused) << step.what;
    EXPECT_EQ(FocusedName(), step.focused) << step.what;
  }
}

std::string Read(IAccessible& object, HRESULT (STDMETHODCALLTYPE IAccessible::*get)(VARIANT, BSTR*)) {
  VARIANT self{};
  self.vt = VT_I4;
  self.lVal = CHILDID_SELF;
  BSTR text = nullptr;
  (object.*get)(self, &text);
  std::wstring value = text != nullptr ? std::wstring(text, SysStringLen(text)) : L"";
  SysFreeString(text);
  return Utf8FromWide(value);
}

// What a screen reader reads through MSAA: each control's role and name, the record button's name and
// description as the recording goes, its default action, and the meter's level.
TEST_F(WindowTest, AssistiveTechnologyReadsEachControl) {
  ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
  TempFolder folder("orvimo-accessible");
  Open();
  SetWindowTextW(Find("eOutfile"), PathFromUtf8(Utf8Of(folder.Path() / "said.wav")).c_str());
  const auto object = [this](const char* name) {
    IAccessible* accessible = nullptr;
    const HRESULT found = AccessibleObjectFromWindow(Find(name), OBJID_CLIENT, __uuidof(IAccessible),
                                                     reinterpret_cast<void**>(&accessible));
    EXPECT_EQ(found, S_OK) << name;
    return std::unique_ptr<IAccessible, void (*)(IAccessible*)>(accessible,
                                                                [](IAccessible* a) { a->Release(); });
  };
  const auto role = [](IAccessible& accessible) {
    VARIANT self{}, answer{};
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    accessible.get_accRole(self, &answer);
    return answer.vt == VT_I4 ? answer.lVal : -1;
  };
  const struct {
    const char* control;
    long role;  // 0: the system's
    const char* name;
  } controls[] = {{"bRec", ROLE_SYSTEM_PUSHBUTTON, "Record"},
                  {"vubox", ROLE_SYSTEM_INDICATOR, "Level"},
                  {"lMessage", ROLE_SYSTEM_STATICTEXT, "Status: Orvimo 2.0"},
                  {"eOutfile", 0, "To File:"},
                  {"bSave", 0, "Browse..."},
                  {"cOutFormatB", 0, "Sample size"},
                  {"cOutHz", 0, "Sample rate (Hz)"},
                  {"dtTStop", 0, "Stop time"},
                  {"rbStopTime", 0, "Stop at date and time"},
                  {"seStopAt", 0, "Stop after"},
                  {"cWhenFinished", 0, "When finished"}};
  for (const auto& entry : controls) {
    const auto accessible = object(entry.control);
    ASSERT_NE(accessible, nullptr) << entry.control;
    if (entry.role != 0) {
      EXPECT_EQ(role(*accessible), entry.role) << entry.control;
    }
    EXPECT_EQ(Read(*accessible, &IAccessible::get_accName), entry.name) << entry.control;
  }
  window->PutHint(ControlId::lRecorded, "862 KB");
  window->PutLabelText(ControlId::lRecorded, " 00 : 00 : 05");
  EXPECT_EQ(Read(*object("lRecorded"), &IAccessible::get_accName), "Recorded: 00 : 00 : 05 (862 KB)");
  // The louder channel, in hundredths of full scale.
  const struct {
    uint16_t left, right;
    const char* value;
  } levels[] = {{0, 0, "0"}, {16384, 8192, "50"}, {0, 32768, "100"}};
  for (const auto& level : levels) {
    audio.SetLevel(level.left, level.right);
    window->Form().TimerFired(TimerId::vuTimer);
    EXPECT_EQ(Read(*object("vubox"), &IAccessible::get_accValue), level.value);
  }

  const auto button = object("bRec");
  EXPECT_EQ(Read(*button, &IAccessible::get_accDefaultAction), "Record");
  VARIANT self{};
  self.vt = VT_I4;
  self.lVal = CHILDID_SELF;
  ASSERT_EQ(button->accDoDefaultAction(self), S_OK);
  Pump();
  EXPECT_TRUE(window->Form().State().Recording);
  window->PutRecordButtonState(RecordButtonState::Paused);
  EXPECT_EQ(Read(*button, &IAccessible::get_accName), "Stop recording");
  EXPECT_EQ(Read(*button, &IAccessible::get_accDescription), "Resume");
  window->Form().bRecClick();
  CoUninitialize();
}

TEST_F(WindowTest, LooksAsDesigned) {
  Open();
  const HWND handle = window->Handle();
  wchar_t caption[64] = {};
  GetWindowTextW(handle, caption, 64);
  EXPECT_STREQ(caption, L"Orvimo 2.0");
  const LONG style = GetWindowLongW(handle, GWL_STYLE);
  EXPECT_TRUE(style & WS_MINIMIZEBOX);
  EXPECT_FALSE(style & (WS_MAXIMIZEBOX | WS_THICKFRAME));

  LOGFONTW font{};
  GetObjectW(reinterpret_cast<HFONT>(SendMessageW(Find("eOutfile"), WM_GETFONT, 0, 0)), sizeof font, &font);
  EXPECT_STREQ(font.lfFaceName, L"MS Shell Dlg 2");

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
