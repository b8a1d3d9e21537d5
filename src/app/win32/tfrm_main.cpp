// The window's life and the controls' notifications, turned into the shared handlers.
#include "app/win32/tfrm_main.h"

#include <commctrl.h>
#include <oleacc.h>
#include <wtsapi32.h>

#include <algorithm>
#include <charconv>
#include <optional>
#include <utility>

#include "services/status_texts.h"
#include "app/accessible_texts.h"
#include "app/win32/posted_call.h"
#include "app/win32/program_icon.h"
#include "app/win32/screen_snap.h"
#include "base/file_name_text.h"
#include "base/win32/wide_text.h"
#include "controls/win32/containers.h"
#include "controls/win32/dpi.h"

namespace orvimo::win32 {
namespace {

constexpr DWORD kWindowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
constexpr COLORREF kLabelText = RGB(255, 255, 255);
// WM_GETDPISCALEDSIZE of Windows 10 1703, beyond the headers' target version.
constexpr UINT kGetDpiScaledSizeMessage = 0x02E4;
// Assistive technology hears the meter's level a few times a second, not at every frame.
constexpr ULONGLONG kMeterReadingInterval = 250;

std::optional<int> ParseWhole(const std::wstring& text) {
  const std::string narrow = Utf8FromWide(text);
  int value = 0;
  const auto [end, error] = std::from_chars(narrow.data(), narrow.data() + narrow.size(), value);
  if (error != std::errc() || end != narrow.data() + narrow.size()) return std::nullopt;
  return value;
}

SYSTEMTIME ToSystemTime(TDateTime value) {
  int year, month, day, hour, minute, second, msec;
  DecodeDateTime(value, year, month, day, hour, minute, second, msec);
  SYSTEMTIME time{};
  time.wYear = static_cast<WORD>(year);
  time.wMonth = static_cast<WORD>(month);
  time.wDay = static_cast<WORD>(day);
  time.wHour = static_cast<WORD>(hour);
  time.wMinute = static_cast<WORD>(minute);
  time.wSecond = static_cast<WORD>(second);
  time.wMilliseconds = static_cast<WORD>(msec);
  return time;
}

// The date of one value with the time of day of another.
TDateTime Combine(const SYSTEMTIME& date, const SYSTEMTIME& time) {
  return EncodeDateTime(date.wYear, date.wMonth, date.wDay, time.wHour, time.wMinute, time.wSecond,
                        time.wMilliseconds);
}

// Halfway to the button face: the look of a disabled glyph.
COLORREF Faded(COLORREF colour) {
  const COLORREF face = GetSysColor(COLOR_BTNFACE);
  return RGB((GetRValue(colour) + GetRValue(face)) / 2, (GetGValue(colour) + GetGValue(face)) / 2,
             (GetBValue(colour) + GetBValue(face)) / 2);
}

// The floppy disk of the browse button, 16 x 16 at 96 dpi: body, label and shutter.
void DrawFloppy(HDC dc, int x, int y, bool enabled, int dpi) {
  struct Part {
    RECT place;
    COLORREF colour;
  };
  const Part parts[] = {{{1, 1, 15, 15}, RGB(0, 0, 64)},
                        {{2, 2, 14, 14}, RGB(40, 60, 140)},
                        {{4, 2, 12, 8}, RGB(240, 240, 240)},
                        {{5, 10, 11, 14}, RGB(180, 180, 190)},
                        {{6, 11, 8, 13}, RGB(40, 60, 140)}};
  for (const Part& part : parts) {
    RECT place{ScaledForDpi(part.place.left, dpi), ScaledForDpi(part.place.top, dpi),
               ScaledForDpi(part.place.right, dpi), ScaledForDpi(part.place.bottom, dpi)};
    OffsetRect(&place, x, y);
    const HBRUSH brush = CreateSolidBrush(enabled ? part.colour : Faded(part.colour));
    FillRect(dc, &place, brush);
    DeleteObject(brush);
  }
}

}  // namespace

TfrmMain::TfrmMain(AppServices services) : form_(std::move(services), *this) {
  Create(L"TfrmMain", WS_EX_CONTROLPARENT, kWindowStyle, WideFromUtf8(kWindowCaption).c_str(), CW_USEDEFAULT,
         CW_USEDEFAULT, kClientWidth, kClientHeight, nullptr);
  // Where the window lands decides its density, and the density its size.
  dpi_ = DpiOfWindow(Handle());
  placement_ = std::make_unique<Win32WindowPlacement>(Handle());
  icon_ = CreateProgramIcon();
  SendMessageW(Handle(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_));
  SendMessageW(Handle(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon_));
  CreateControls();
  RECT frame{};
  GetWindowRect(Handle(), &frame);
  TakePlace(frame);
  // A locked session shows nothing of the window: the meter sleeps until it is unlocked.
  WTSRegisterSessionNotification(Handle(), NOTIFY_FOR_THIS_SESSION);
  started_ = true;
  form_.StartUp(*placement_);
}

TfrmMain::~TfrmMain() {
  // While the controls and the shared form still exist: the destruction completes the recording.
  if (Handle() != nullptr) DestroyWindow(Handle());
  if (font_ != nullptr) DeleteObject(font_);
  if (boldFont_ != nullptr) DeleteObject(boldFont_);
  for (const auto& [label, font] : fittedFonts_) DeleteObject(font);
  if (icon_ != nullptr) DestroyIcon(icon_);
}

HWND TfrmMain::FindControl(std::string_view name) const {
  const auto found = named_.find(name);
  return found != named_.end() ? found->second : nullptr;
}

LRESULT TfrmMain::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      if (lParam != 0) Command(reinterpret_cast<HWND>(lParam), HIWORD(wParam));
      return 0;
    case WM_NOTIFY:
      Notify(*reinterpret_cast<const NMHDR*>(lParam));
      return 0;
    case WM_DRAWITEM:
      if (DrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam))) return TRUE;
      break;
    case WM_TIMER: {
      const TimerId timer = wParam == TimerNumber(TimerId::Timer) ? TimerId::Timer : TimerId::vuTimer;
      if (timers_.at(timer).running) form_.TimerFired(timer);
      return 0;
    }
    case WM_SHOWWINDOW:
      // Before the window appears: a restored position shows at once.
      if (wParam != FALSE && started_) form_.WindowShown();
      break;
    case WM_SIZE:
      if (wParam == SIZE_MINIMIZED || wParam == SIZE_RESTORED) {
        minimised_ = wParam == SIZE_MINIMIZED;
        TellWhetherShown();
      }
      break;
    case WM_WTSSESSION_CHANGE:
      if (wParam == WTS_SESSION_LOCK || wParam == WTS_SESSION_UNLOCK) {
        sessionLocked_ = wParam == WTS_SESSION_LOCK;
        TellWhetherShown();
      }
      return 0;
    case WM_ACTIVATE:
      if (Activated(LOWORD(wParam) != WA_INACTIVE)) return 0;
      break;
    case WM_WINDOWPOSCHANGING: {
      auto& position = *reinterpret_cast<WINDOWPOS*>(lParam);
      if ((position.flags & SWP_NOMOVE) == 0 && !IsIconic(Handle())) SnapToWorkArea(position);
      break;
    }
    case WM_CLOSE:
      form_.WindowClosing();
      DestroyWindow(Handle());
      return 0;
    case WM_ENDSESSION:
      // The session ends and the process with it once this returns: the recording is completed now,
      // with nothing that waits for the user.
      if (wParam != FALSE) {
        endingSession_ = true;
        form_.CloseOnTermination();
      }
      return 0;
    case WM_DESTROY:
      WTSUnRegisterSessionNotification(Handle());
      for (const auto& [timer, state] : timers_) KillTimer(Handle(), TimerNumber(timer));
      form_.FormDestroy();
      return 0;
    case kPostedCallMessage:
      RunPostedCall(lParam);
      return 0;
    case kGetDpiScaledSizeMessage: {
      // The client keeps its designed size at every density, not the frame's proportions.
      const RECT frame = FrameAtDpi(static_cast<int>(wParam));
      *reinterpret_cast<SIZE*>(lParam) = {frame.right - frame.left, frame.bottom - frame.top};
      return TRUE;
    }
    case WM_DPICHANGED:
      DpiChanged(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
      return 0;
    default:
      break;
  }
  return MessageWindow::HandleMessage(message, wParam, lParam);
}

// Moved to a screen of another density: the size the system suggests, everything laid out anew.
void TfrmMain::DpiChanged(int dpi, const RECT& suggested) {
  dpi_ = dpi;
  LayOut();
  TakePlace(suggested);
}

void TfrmMain::TakePlace(const RECT& suggested) {
  SetWindowPos(Handle(), nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
               suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
  // A frame that did not change with the density (some systems keep the caption's size) leaves the
  // client another size than designed: the window grows or shrinks by the difference.
  RECT client{};
  GetClientRect(Handle(), &client);
  const int wider = Scaled(kClientWidth) - client.right, taller = Scaled(kClientHeight) - client.bottom;
  if (wider == 0 && taller == 0) return;
  SetWindowPos(Handle(), nullptr, 0, 0, suggested.right - suggested.left + wider,
               suggested.bottom - suggested.top + taller, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool TfrmMain::TranslateKeys(MSG& message) {
  const bool mine = message.hwnd == Handle() || IsChild(Handle(), message.hwnd);
  if (mine && message.message == WM_KEYDOWN && Shortcut(message.wParam, message.lParam)) return true;
  return IsDialogMessageW(Handle(), &message) != FALSE;
}

// Ctrl+R does what a left click on the record button does, Ctrl+P and Pause what a right click does.
// A held key does it once.
bool TfrmMain::Shortcut(WPARAM key, LPARAM flags) {
  const bool control = GetKeyState(VK_CONTROL) < 0 && GetKeyState(VK_MENU) >= 0;
  const bool record = control && key == 'R';
  const bool pause = (control && key == 'P') || key == VK_PAUSE;
  if (!record && !pause) return false;
  if ((flags & (1 << 30)) != 0) return true;
  if (record) {
    form_.Guarded([this] { form_.bRecClick(); });
  } else {
    form_.Guarded([this] { form_.bRecMouseDown(MouseButton::kRight); });
  }
  return true;
}

void TfrmMain::TellWhetherShown() {
  if (started_) form_.SetScreenShown(!minimised_ && !sessionLocked_);
}

void TfrmMain::SnapToWorkArea(WINDOWPOS& position) {
  RECT now{};
  GetWindowRect(Handle(), &now);
  const int width = (position.flags & SWP_NOSIZE) != 0 ? now.right - now.left : position.cx;
  const int height = (position.flags & SWP_NOSIZE) != 0 ? now.bottom - now.top : position.cy;
  const RECT proposed{position.x, position.y, position.x + width, position.y + height};
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  if (!GetMonitorInfoW(MonitorFromRect(&proposed, MONITOR_DEFAULTTONEAREST), &monitor)) return;
  const POINT snapped = SnapToEdges(proposed, monitor.rcWork);
  position.x = snapped.x;
  position.y = snapped.y;
}

// Focus goes back to the control that had it when the window was last left. True when handled.
bool TfrmMain::Activated(bool active) {
  if (!active) {
    const HWND focus = GetFocus();
    if (focus != nullptr && IsChild(Handle(), focus)) focused_ = focus;
    return false;
  }
  if (focused_ == nullptr || !IsWindow(focused_) || IsIconic(Handle())) return false;
  SetFocus(focused_);
  return true;
}

void TfrmMain::Command(HWND control, int code) {
  if (control == bSave) {
    if (code == BN_CLICKED) form_.Guarded([this] { form_.bSaveClick(); });
    return;
  }
  const auto found = ids_.find(control);
  if (found == ids_.end() || quiet_ > 0) return;
  const ControlId id = found->second;
  switch (id) {
    case ControlId::cbStart:
    case ControlId::cbStop:
      if (code == BN_CLICKED) form_.ControlChanged(id);
      break;
    case ControlId::rbStopTime:
    case ControlId::rbStopAt:
      if (code == BN_CLICKED && !IsChecked(id)) {
        PutChecked(id, true);
        form_.ControlChanged(id);
      }
      break;
    case ControlId::eOutfile:
      if (code == EN_CHANGE) form_.ControlChanged(id);
      break;
    case ControlId::cOutHz:
    case ControlId::seStopAt:
      if (code == EN_CHANGE || code == EN_KILLFOCUS) SpinEdited(id, code == EN_KILLFOCUS);
      break;
    default:
      if (code == CBN_SELCHANGE) form_.ControlChanged(id);
      break;
  }
}

void TfrmMain::Notify(const NMHDR& header) {
  if (header.code != DTN_DATETIMECHANGE || quiet_ > 0) return;
  const auto found = ids_.find(header.hwndFrom);
  if (found != ids_.end()) PickerEdited(found->second);
}

// A typed number counts once it is a whole number, held within the limits; leaving the edit shows the
// value it stands for.
void TfrmMain::SpinEdited(ControlId id, bool leaving) {
  Spin& spin = spins_.at(id);
  const std::optional<int> typed = ParseWhole(WindowText(Control(id)));
  if (leaving) PutSpinValue(id, typed.value_or(spin.value));
  if (!typed) return;
  const int value = std::clamp(*typed, spin.min, spin.max);
  if (value == spin.value) return;
  spin.value = value;
  form_.ControlChanged(id);
}

// A date picker edits the date of its value, a time picker the time of day; the other part stays.
void TfrmMain::PickerEdited(ControlId id) {
  SYSTEMTIME edited{};
  if (DateTime_GetSystemtime(Control(id), &edited) != GDT_VALID) return;
  TDateTime& value = pickers_.at(id);
  const SYSTEMTIME held = ToSystemTime(value);
  const bool timePicker = id == ControlId::dtTStart || id == ControlId::dtTStop;
  SYSTEMTIME time = timePicker ? edited : held;
  time.wMilliseconds = held.wMilliseconds;
  const TDateTime changed = Combine(timePicker ? held : edited, time);
  if (changed == value) return;
  value = changed;
  form_.ControlChanged(id);
}

bool TfrmMain::DrawItem(const DRAWITEMSTRUCT& item) {
  const HDC dc = item.hDC;
  RECT place = item.rcItem;
  const auto label = colouredLabels_.find(item.hwndItem);
  if (label != colouredLabels_.end()) {
    const HBRUSH brush = CreateSolidBrush(label->second.background);
    FillRect(dc, &place, brush);
    DeleteObject(brush);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, kLabelText);
    const HGDIOBJ previous =
        SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(item.hwndItem, WM_GETFONT, 0, 0)));
    const std::wstring text = WindowText(item.hwndItem);
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &place,
              DT_CENTER | DT_SINGLELINE | DT_NOPREFIX);
    SelectObject(dc, previous);
    return true;
  }
  if (item.hwndItem != bSave) return false;
  // Flat: an edge only under the mouse, sunken while pressed.
  FillRect(dc, &place, GetSysColorBrush(COLOR_BTNFACE));
  const bool pressed = (item.itemState & ODS_SELECTED) != 0;
  if (pressed) {
    DrawEdge(dc, &place, BDR_SUNKENOUTER, BF_RECT);
  } else if (UnderMouse(bSave) && (item.itemState & ODS_DISABLED) == 0) {
    DrawEdge(dc, &place, BDR_RAISEDINNER, BF_RECT);
  }
  const int shift = pressed ? 1 : 0;
  const int size = Scaled(16);
  DrawFloppy(dc, place.left + (place.right - place.left - size) / 2 + shift,
             place.top + (place.bottom - place.top - size) / 2 + shift, (item.itemState & ODS_DISABLED) == 0,
             dpi_);
  if ((item.itemState & ODS_FOCUS) != 0) {
    InflateRect(&place, -2, -2);
    DrawFocusRect(dc, &place);
  }
  return true;
}

HWND TfrmMain::Control(ControlId id) const { return controls_.at(id); }

void TfrmMain::PutListItems(ControlId list, const std::vector<std::string>& items) {
  const Quiet quiet(quiet_);
  const HWND window = Control(list);
  SendMessageW(window, CB_RESETCONTENT, 0, 0);
  for (const std::string& item : items) {
    SendMessageW(window, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(WideFromUtf8(item).c_str()));
  }
}

int TfrmMain::ListIndex(ControlId list) const {
  return static_cast<int>(SendMessageW(Control(list), CB_GETCURSEL, 0, 0));
}

void TfrmMain::PutListIndex(ControlId list, int index) {
  const Quiet quiet(quiet_);
  SendMessageW(Control(list), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

int TfrmMain::SpinValue(ControlId spin) const { return spins_.at(spin).value; }

void TfrmMain::PutSpinValue(ControlId id, int value) {
  const Quiet quiet(quiet_);
  Spin& spin = spins_.at(id);
  spin.value = std::clamp(value, spin.min, spin.max);
  SendMessageW(spin.buttons, UDM_SETPOS32, 0, spin.value);
  SetWindowTextW(Control(id), std::to_wstring(spin.value).c_str());
}

bool TfrmMain::IsChecked(ControlId button) const {
  return SendMessageW(Control(button), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

// Of the two radio buttons only the checked one is a tab stop, as usual for a group of them.
void TfrmMain::PutChecked(ControlId button, bool checked) {
  const Quiet quiet(quiet_);
  const HWND window = Control(button);
  SendMessageW(window, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
  if (window != rbStopTime && window != rbStopAt) return;
  const HWND partner = window == rbStopTime ? rbStopAt : rbStopTime;
  if (checked) SendMessageW(partner, BM_SETCHECK, BST_UNCHECKED, 0);
  for (const HWND radio : {rbStopTime, rbStopAt}) {
    const LONG style = GetWindowLongW(radio, GWL_STYLE);
    const bool stop = SendMessageW(radio, BM_GETCHECK, 0, 0) == BST_CHECKED;
    SetWindowLongW(radio, GWL_STYLE, stop ? style | WS_TABSTOP : style & ~WS_TABSTOP);
  }
}

TDateTime TfrmMain::PickerValue(ControlId picker) const { return pickers_.at(picker); }

// The picker keeps the whole value; what it shows is the system control's business, which may refuse a
// date outside its calendar (before 1601): the value is kept all the same.
void TfrmMain::PutPickerValue(ControlId picker, TDateTime value) {
  const Quiet quiet(quiet_);
  pickers_.at(picker) = value;
  SYSTEMTIME shown = ToSystemTime(value);
  DateTime_SetSystemtime(Control(picker), GDT_VALID, &shown);
}

std::string TfrmMain::EditText(ControlId edit) const {
  const std::wstring text = WindowText(Control(edit));
  return FileNameFromText(std::u16string(text.begin(), text.end()));
}

void TfrmMain::PutEditText(ControlId edit, const std::string& bytes) {
  const Quiet quiet(quiet_);
  const std::u16string text = FileNameToText(bytes);
  SetWindowTextW(Control(edit), std::wstring(text.begin(), text.end()).c_str());
}

void TfrmMain::PutLabelText(ControlId label, const std::string& text) {
  const HWND window = Control(label);
  SetWindowTextW(window, WideFromUtf8(text).c_str());
  if (window == lRecorded || window == lFree) FitTimeLabel(window);
  InvalidateRect(window, nullptr, FALSE);
  AnnounceChange(window, EVENT_OBJECT_NAMECHANGE);
}

// The size beside a time is read with it: "Recorded: 00 : 00 : 05 (862 KB)".
void TfrmMain::PutHint(ControlId control, const std::string& hint) {
  const HWND window = Control(control);
  SetHintOf(window, WideFromUtf8(hint));
  if (window != lRecorded && window != lFree) return;
  labelDetails_[window] = WideFromUtf8(hint);
  AnnounceChange(window, EVENT_OBJECT_NAMECHANGE);
}

// A status label as a screen reader reads it: "Status: Recording audio".
std::wstring TfrmMain::LabelReading(HWND label) const {
  std::wstring text = WindowText(label);
  text.erase(0, text.find_first_not_of(L' '));
  std::wstring reading = WideFromUtf8(AccessibleNameOf(ids_.at(label))) + L": " + text;
  const auto detail = labelDetails_.find(label);
  if (detail != labelDetails_.end() && !detail->second.empty()) reading += L" (" + detail->second + L")";
  return reading;
}

void TfrmMain::SetHintOf(HWND control, const std::wstring& hint) {
  TTTOOLINFOW tool{};
  tool.cbSize = TTTOOLINFOW_V2_SIZE;  // understood by every version of the common controls
  tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  tool.hwnd = Handle();
  tool.uId = reinterpret_cast<UINT_PTR>(control);
  tool.lpszText = const_cast<wchar_t*>(hint.c_str());
  const UINT request = hinted_.insert(control).second ? TTM_ADDTOOLW : TTM_UPDATETIPTEXTW;
  SendMessageW(Hints, request, 0, reinterpret_cast<LPARAM>(&tool));
}

void TfrmMain::PutLabelColor(ControlId label, uint32_t color) {
  const HWND window = Control(label);
  colouredLabels_.at(window).background = color;
  InvalidateRect(window, nullptr, FALSE);
}

// A disabled group box disables its controls too; a control designed disabled stays so.
void TfrmMain::PutEnabled(ControlId control, bool enabled) {
  const HWND window = Control(control);
  EnableWindow(window, enabled);
  const auto spin = spins_.find(control);
  if (spin != spins_.end()) EnableWindow(spin->second.buttons, enabled);
  if (control != ControlId::GroupBox1 && control != ControlId::GroupBox2) return;
  for (HWND child = GetWindow(window, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
    EnableWindow(child, enabled);
  }
}

void TfrmMain::PutFocus(ControlId control) {
  focused_ = Control(control);
  if (GetActiveWindow() == Handle()) SetFocus(focused_);
}

void TfrmMain::PutRecordGlyph(int imageIndex) { bRec->Core().SetImageIndex_Normal(imageIndex); }

void TfrmMain::PutRecordButtonState(RecordButtonState state) {
  if (state == recordState_) return;
  recordState_ = state;
  AnnounceChange(bRec->Handle(), EVENT_OBJECT_NAMECHANGE);
  AnnounceChange(bRec->Handle(), EVENT_OBJECT_DESCRIPTIONCHANGE);
}

void TfrmMain::StartTimer(TimerId timer) {
  Timer& state = timers_.at(timer);
  state.running = SetTimer(Handle(), TimerNumber(timer), static_cast<UINT>(state.interval), nullptr) != 0;
}

void TfrmMain::StopTimer(TimerId timer) {
  KillTimer(Handle(), TimerNumber(timer));
  timers_.at(timer).running = false;
}

bool TfrmMain::TimerRunning(TimerId timer) const { return timers_.at(timer).running; }

int TfrmMain::TimerInterval(TimerId timer) const { return timers_.at(timer).interval; }

void TfrmMain::PutTimerInterval(TimerId timer, int milliseconds) {
  timers_.at(timer).interval = milliseconds;
  if (TimerRunning(timer)) StartTimer(timer);
}

TBitmap32& TfrmMain::MeterBuffer() { return vubox->Buffer(); }

void TfrmMain::FlushMeter() {
  vubox->Flush();
  UpdateMeterReading();
}

// The louder bar's length, 0 to 100, as the picture shows it: bars start at the left edge, the upper
// half of the meter is the left channel, the lower half the right one.
void TfrmMain::UpdateMeterReading() {
  const TBitmap32& picture = vubox->Buffer();
  const int room = picture.Width() - 2;
  if (room <= 0) return;
  const TColor32 background = picture.Pixel(picture.Width() - 1, 0);
  int longest = 0;
  for (const int row : {0, picture.Height() / 2}) {
    int length = 0;
    while (length < room && picture.Pixel(length, row) != background) ++length;
    longest = std::max(longest, length);
  }
  meterPercent_ = (longest * 100 + room / 2) / room;
  const ULONGLONG now = GetTickCount64();
  if (now - meterAnnounced_ < kMeterReadingInterval) return;
  meterAnnounced_ = now;
  AnnounceChange(vubox->Handle(), EVENT_OBJECT_VALUECHANGE);
}

bool TfrmMain::WindowShowing() const { return IsWindowVisible(Handle()) && !IsIconic(Handle()); }

void TfrmMain::PostCall(std::function<void()> call) {
  PostCallToWindow(Handle(), [this, call = std::move(call)] { form_.Guarded(call); });
}

void TfrmMain::CloseWindow() {
  if (endingSession_) {
    SendMessageW(Handle(), WM_CLOSE, 0, 0);
  } else {
    PostMessageW(Handle(), WM_CLOSE, 0, 0);
  }
}

}  // namespace orvimo::win32
