// The window's controls: places, texts, defaults, colours, hints, fonts and tab order.
#include <windows.h>

#include <commctrl.h>

#include <climits>
#include <optional>
#include <stdexcept>
#include <string>

#include "services/status_texts.h"
#include "app/win32/tfrm_main.h"
#include "base/win32/wide_text.h"
#include "controls/record_glyph.h"
#include "controls/win32/containers.h"

namespace orvimo::win32 {

enum class ControlKind {
  Panel,
  GroupBox,
  RecordButton,
  PaintBox,
  Label,
  ColouredLabel,
  Edit,
  SpeedButton,
  List,
  Spin,
  CheckBox,
  Radio,
  DatePicker,
  TimePicker
};

// One control as designed: its place in pixels at 96 dpi relative to its container. The table is in
// the order the controls are made, which is the tab order within each container.
struct ControlDesign {
  const char* name;
  ControlKind kind;
  HWND TfrmMain::*field;      // null for the record button and the meter, which are objects
  HWND TfrmMain::*container;  // null: the window itself
  int left, top, width, height;
  const wchar_t* text;
  bool tabStop;
  std::optional<ControlId> id;
};

namespace {

using K = ControlKind;
using Id = ControlId;
using W = TfrmMain;

constexpr ControlDesign kDesign[] = {
    {"Panel1", K::Panel, &W::Panel1, nullptr, 0, 0, 285, 50, L"", false, {}},
    {"GroupBox1", K::GroupBox, &W::GroupBox1, nullptr, 0, 50, 285, 45, L"Input Device", false, Id::GroupBox1},
    {"GroupBox2", K::GroupBox, &W::GroupBox2, nullptr, 0, 95, 285, 67, L"Output", false, Id::GroupBox2},
    {"GroupBox3", K::GroupBox, &W::GroupBox3, nullptr, 0, 162, 285, 118, L"Scheduler", false, {}},

    {"bRec", K::RecordButton, nullptr, &W::Panel1, 5, 5, 42, 40, L"", false, ControlId::bRec},
    {"lMessage", K::ColouredLabel, &W::lMessage, &W::Panel1, 50, 5, 160, 14, L"", false, Id::lMessage},
    {"lFilename", K::ColouredLabel, &W::lFilename, &W::Panel1, 50, 21, 160, 14, L"Orvimo 2 - sound to WAV",
     false, Id::lFilename},
    {"lRecorded", K::ColouredLabel, &W::lRecorded, &W::Panel1, 212, 5, 67, 14, L"00 : 00 : 00", false,
     Id::lRecorded},
    {"lFree", K::ColouredLabel, &W::lFree, &W::Panel1, 212, 21, 67, 14, L"00 : 00 : 00", false, Id::lFree},
    {"vubox", K::PaintBox, nullptr, &W::Panel1, 50, 37, 229, 8, L"", false, {}},

    {"cInputDevice", K::List, &W::cInputDevice, &W::GroupBox1, 8, 17, 270, 21, L"", true, Id::cInputDevice},
    {"cInputInput", K::List, &W::cInputInput, &W::GroupBox1, 7, 57, 270, 21, L"", true, Id::cInputInput},

    {"eOutfile", K::Edit, &W::eOutfile, &W::GroupBox2, 53, 14, 205, 21, L"Recording_[i].wav", true,
     Id::eOutfile},
    {"cOutHz", K::Spin, &W::cOutHz, &W::GroupBox2, 197, 39, 61, 21, L"44100", true, Id::cOutHz},
    {"cOutType", K::List, &W::cOutType, &W::GroupBox2, 134, 39, 59, 21, L"", true, Id::cOutType},
    {"cOutFormatC", K::List, &W::cOutFormatC, &W::GroupBox2, 71, 39, 59, 21, L"", true, Id::cOutFormatC},
    {"cOutFormatB", K::List, &W::cOutFormatB, &W::GroupBox2, 8, 39, 59, 21, L"", true, Id::cOutFormatB},
    {"Label1", K::Label, &W::Label1, &W::GroupBox2, 9, 18, 35, 13, L"To File:", false, {}},
    {"bSave", K::SpeedButton, &W::bSave, &W::GroupBox2, 258, 14, 22, 21, L"", false, ControlId::bSave},
    {"Label12", K::Label, &W::Label12, &W::GroupBox2, 263, 43, 12, 13, L"Hz", false, {}},

    {"cbStart", K::CheckBox, &W::cbStart, &W::GroupBox3, 8, 17, 63, 17, L"Start:", true, Id::cbStart},
    {"cbStop", K::CheckBox, &W::cbStop, &W::GroupBox3, 8, 42, 51, 17, L"Stop:", true, Id::cbStop},
    {"dtStop", K::DatePicker, &W::dtStop, &W::GroupBox3, 78, 40, 107, 21, L"", true, Id::dtStop},
    {"dtStart", K::DatePicker, &W::dtStart, &W::GroupBox3, 78, 15, 107, 21, L"", true, Id::dtStart},
    {"dtTStart", K::TimePicker, &W::dtTStart, &W::GroupBox3, 190, 15, 88, 21, L"", true, Id::dtTStart},
    {"dtTStop", K::TimePicker, &W::dtTStop, &W::GroupBox3, 190, 40, 88, 21, L"", true, Id::dtTStop},
    {"cWhenFinished", K::List, &W::cWhenFinished, &W::GroupBox3, 92, 90, 186, 21, L"", true,
     Id::cWhenFinished},
    {"rbStopTime", K::Radio, &W::rbStopTime, &W::GroupBox3, 59, 43, 17, 17, L"", true, Id::rbStopTime},
    {"rbStopAt", K::Radio, &W::rbStopAt, &W::GroupBox3, 59, 67, 50, 17, L"  at", true, Id::rbStopAt},
    {"cStopAt", K::List, &W::cStopAt, &W::GroupBox3, 190, 65, 88, 21, L"", true, Id::cStopAt},
    {"seStopAt", K::Spin, &W::seStopAt, &W::GroupBox3, 112, 65, 73, 21, L"5", true, Id::seStopAt},
    {"Label3", K::Label, &W::Label3, &W::GroupBox3, 9, 94, 72, 13, L"When finished:", false, {}},
};

// Room for the open list of a drop-down list below its closed field.
constexpr int kDropDownHeight = 200;

struct SystemClass {
  const wchar_t* name;
  DWORD style, exStyle;
};

SystemClass SystemClassOf(ControlKind kind) {
  switch (kind) {
    case K::Label:
      return {L"STATIC", SS_LEFTNOWORDWRAP | SS_NOPREFIX, 0};
    case K::ColouredLabel:
      return {L"STATIC", SS_OWNERDRAW | SS_NOTIFY, 0};  // notify: the hints need the mouse
    case K::Edit:
    case K::Spin:
      return {L"EDIT", ES_AUTOHSCROLL, WS_EX_CLIENTEDGE};
    case K::SpeedButton:
      return {L"BUTTON", BS_OWNERDRAW, 0};
    case K::List:
      return {L"COMBOBOX", CBS_DROPDOWNLIST | WS_VSCROLL, 0};
    case K::CheckBox:
      return {L"BUTTON", BS_AUTOCHECKBOX, 0};
    case K::Radio:
      return {L"BUTTON", BS_RADIOBUTTON, 0};  // the window keeps the pair exclusive
    case K::DatePicker:
      return {DATETIMEPICK_CLASSW, DTS_SHORTDATEFORMAT, 0};
    case K::TimePicker:
      return {DATETIMEPICK_CLASSW, DTS_TIMEFORMAT, 0};
    default:
      return {L"STATIC", 0, 0};
  }
}

HFONT CreateWindowFont(int weight) {
  return CreateFontW(-11, 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                     CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, L"MS Shell Dlg 2");
}

}  // namespace

void TfrmMain::CreateControls() {
  font_ = CreateWindowFont(FW_NORMAL);
  boldFont_ = CreateWindowFont(FW_BOLD);
  for (const ControlDesign& design : kDesign) {
    const HWND control = CreateControl(design);
    if (control == nullptr) throw std::runtime_error(std::string("Cannot create the control ") + design.name);
    if (design.field != nullptr) this->*design.field = control;
    named_.emplace(design.name, control);
    if (design.id) {
      controls_[*design.id] = control;
      ids_[control] = *design.id;
    }
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    if (design.kind == K::List) FitListHeight(control);
  }
  SetUpControls();
  SetUpHints();
}

HWND TfrmMain::CreateControl(const ControlDesign& design) {
  const HWND parent = design.container != nullptr ? this->*design.container : Handle();
  const int x = design.left, y = design.top, width = design.width, height = design.height;
  switch (design.kind) {
    case K::Panel:
      return CreatePanel(parent, x, y, width, height);
    case K::GroupBox:
      return CreateGroupBox(parent, design.text, x, y, width, height);
    case K::RecordButton:
      bRec = std::make_unique<TTamborButton>(parent, x, y, width, height);
      return bRec->Handle();
    case K::PaintBox:
      vubox = std::make_unique<TPaintBox32>(parent, x, y, width, height);
      return vubox->Handle();
    default:
      break;
  }
  const SystemClass system = SystemClassOf(design.kind);
  const DWORD style = WS_CHILD | WS_VISIBLE | system.style | (design.tabStop ? WS_TABSTOP : 0);
  const int createdHeight = design.kind == K::List ? height + kDropDownHeight : height;
  return CreateWindowExW(system.exStyle, system.name, design.text, style, x, y, width, createdHeight, parent,
                         nullptr, GetModuleHandleW(nullptr), nullptr);
}

void TfrmMain::SetUpControls() {
  SetUpRecordButton(bRec->Core());
  bRec->OnClick = [this] { form_.Guarded([this] { form_.bRecClick(); }); };
  bRec->OnMouseDown = [this](MouseButton button) {
    form_.Guarded([this, button] { form_.bRecMouseDown(button); });
  };

  PutLabelText(Id::lMessage, kWindowCaption);
  colouredLabels_ = {{lMessage, {0x800000, true}},
                     {lFilename, {0x808080, false}},
                     {lRecorded, {0x000080, true}},
                     {lFree, {0x008000, true}}};

  PutListItems(Id::cOutFormatB, {"8-bit", "16-bit"});
  PutListIndex(Id::cOutFormatB, 1);
  PutListItems(Id::cOutFormatC, {"Mono", "Stereo"});
  PutListIndex(Id::cOutFormatC, 1);
  PutListItems(Id::cOutType, {"WAV", "RAW"});
  PutListIndex(Id::cOutType, 0);
  EnableWindow(cOutType, FALSE);  // nothing reads it: every file is a WAV file
  PutListItems(Id::cStopAt, {"megabytes", "minutes", "hours"});
  PutListIndex(Id::cStopAt, 1);
  PutListItems(Id::cWhenFinished,
               {"Do nothing", "Display alert", "Start new recording", "Shutdown computer"});
  PutListIndex(Id::cWhenFinished, 0);
  ShowWindow(cInputInput, SW_HIDE);
  RepaintOnHover(bSave);

  SetUpSpin(Id::cOutHz, cOutHzButtons, INT_MIN, INT_MAX, 44100);
  SetUpSpin(Id::seStopAt, seStopAtButtons, 1, 999, 5);
  PutChecked(Id::rbStopTime, true);
  pickers_ = {{Id::dtStart, 0}, {Id::dtStop, 0}, {Id::dtTStart, 0}, {Id::dtTStop, 0}};
}

// The up/down buttons take the right end of the spin edit's place, the edit the rest.
void TfrmMain::SetUpSpin(ControlId id, HWND& buttons, int min, int max, int value) {
  const HWND edit = Control(id);
  const RECT place = ChildRect(edit);
  const int buttonsWidth = GetSystemMetrics(SM_CXVSCROLL);
  const int editWidth = place.right - place.left - buttonsWidth;
  buttons = CreateWindowExW(
      0, UPDOWN_CLASSW, L"",
      WS_CHILD | WS_VISIBLE | UDS_SETBUDDYINT | UDS_ARROWKEYS | UDS_NOTHOUSANDS | UDS_HOTTRACK,
      place.left + editWidth, place.top, buttonsWidth, place.bottom - place.top, GetParent(edit), nullptr,
      GetModuleHandleW(nullptr), nullptr);
  SendMessageW(buttons, UDM_SETBUDDY, reinterpret_cast<WPARAM>(edit), 0);
  // Set after the buddy, which may move the buttons about.
  MoveWindow(edit, place.left, place.top, editWidth, place.bottom - place.top, FALSE);
  MoveWindow(buttons, place.left + editWidth, place.top, buttonsWidth, place.bottom - place.top, FALSE);
  SendMessageW(buttons, UDM_SETRANGE32, static_cast<WPARAM>(min), static_cast<LPARAM>(max));
  spins_[id] = {buttons, min, max, value};
  PutSpinValue(id, value);
}

// A drop-down list's height is that of its closed field, which the font decides; the field is made
// as high as designed. What the system reports as the field's height need not be what it was given,
// so the given height follows the measured outcome.
void TfrmMain::FitListHeight(HWND list) {
  constexpr int kDesigned = 21;
  auto request = static_cast<int>(SendMessageW(list, CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0));
  for (int attempt = 0; attempt < 4; ++attempt) {
    RECT rect{};
    GetWindowRect(list, &rect);
    if (rect.bottom - rect.top == kDesigned) return;
    request += kDesigned - (rect.bottom - rect.top);
    SendMessageW(list, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), request);
  }
}

void TfrmMain::SetUpHints() {
  Hints = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                          CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, Handle(), nullptr,
                          GetModuleHandleW(nullptr), nullptr);
  // A width limit lets a hint break into lines at its line feeds.
  SendMessageW(Hints, TTM_SETMAXTIPWIDTH, 0, 400);
  PutHint(Id::lRecorded, "Time recorded");
  PutHint(Id::lFree, "Time remaining on disk");
  SetHintOf(bSave, L"Browse...");
}

}  // namespace orvimo::win32
