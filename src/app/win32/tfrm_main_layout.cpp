// The window's controls: places, texts, defaults, colours, hints, fonts and tab order.
#include <windows.h>

#include <commctrl.h>
#include <oleacc.h>

#include <climits>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "services/status_texts.h"
#include "app/accessible_texts.h"
#include "app/win32/tfrm_main.h"
#include "base/win32/wide_text.h"
#include "controls/record_glyph.h"
#include "controls/win32/containers.h"
#include "controls/win32/dpi.h"

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
// the order the controls are made, which is the tab order within each container: the order the eye
// reads them in.
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

    {"bRec", K::RecordButton, nullptr, &W::Panel1, 5, 5, 42, 40, L"", true, ControlId::bRec},
    {"lMessage", K::ColouredLabel, &W::lMessage, &W::Panel1, 50, 5, 160, 14, L"", false, Id::lMessage},
    {"lFilename", K::ColouredLabel, &W::lFilename, &W::Panel1, 50, 21, 160, 14, L"Orvimo 2 - sound to WAV",
     false, Id::lFilename},
    {"lRecorded", K::ColouredLabel, &W::lRecorded, &W::Panel1, 212, 5, 67, 14, L"00 : 00 : 00", false,
     Id::lRecorded},
    {"lFree", K::ColouredLabel, &W::lFree, &W::Panel1, 212, 21, 67, 14, L"00 : 00 : 00", false, Id::lFree},
    {"vubox", K::PaintBox, nullptr, &W::Panel1, 50, 37, 229, 8, L"", false, {}},

    {"cInputDevice", K::List, &W::cInputDevice, &W::GroupBox1, 8, 17, 270, 21, L"", true, Id::cInputDevice},
    {"cInputInput", K::List, &W::cInputInput, &W::GroupBox1, 7, 57, 270, 21, L"", true, Id::cInputInput},

    // A label comes before the control it names, as the system takes a label for the name of what follows.
    // The two labels reach as far as the room beside them allows: the system's fonts run wider than
    // the ones the layout was drawn with.
    {"Label1", K::Label, &W::Label1, &W::GroupBox2, 9, 18, 43, 13, L"To File:", false, {}},
    {"eOutfile", K::Edit, &W::eOutfile, &W::GroupBox2, 53, 14, 205, 21, L"Recording_[i].wav", true,
     Id::eOutfile},
    {"bSave", K::SpeedButton, &W::bSave, &W::GroupBox2, 258, 14, 22, 21, L"", true, ControlId::bSave},
    {"cOutFormatB", K::List, &W::cOutFormatB, &W::GroupBox2, 8, 39, 59, 21, L"", true, Id::cOutFormatB},
    {"cOutFormatC", K::List, &W::cOutFormatC, &W::GroupBox2, 71, 39, 59, 21, L"", true, Id::cOutFormatC},
    {"cOutType", K::List, &W::cOutType, &W::GroupBox2, 134, 39, 59, 21, L"", true, Id::cOutType},
    {"cOutHz", K::Spin, &W::cOutHz, &W::GroupBox2, 197, 39, 61, 21, L"44100", true, Id::cOutHz},
    {"Label12", K::Label, &W::Label12, &W::GroupBox2, 263, 43, 20, 13, L"Hz", false, {}},

    {"cbStart", K::CheckBox, &W::cbStart, &W::GroupBox3, 8, 17, 63, 17, L"Start:", true, Id::cbStart},
    {"dtStart", K::DatePicker, &W::dtStart, &W::GroupBox3, 78, 15, 107, 21, L"", true, Id::dtStart},
    {"dtTStart", K::TimePicker, &W::dtTStart, &W::GroupBox3, 190, 15, 88, 21, L"", true, Id::dtTStart},
    {"cbStop", K::CheckBox, &W::cbStop, &W::GroupBox3, 8, 42, 51, 17, L"Stop:", true, Id::cbStop},
    {"rbStopTime", K::Radio, &W::rbStopTime, &W::GroupBox3, 59, 43, 17, 17, L"", true, Id::rbStopTime},
    {"dtStop", K::DatePicker, &W::dtStop, &W::GroupBox3, 78, 40, 107, 21, L"", true, Id::dtStop},
    {"dtTStop", K::TimePicker, &W::dtTStop, &W::GroupBox3, 190, 40, 88, 21, L"", true, Id::dtTStop},
    {"rbStopAt", K::Radio, &W::rbStopAt, &W::GroupBox3, 59, 67, 50, 17, L"  at", true, Id::rbStopAt},
    {"seStopAt", K::Spin, &W::seStopAt, &W::GroupBox3, 112, 65, 73, 21, L"5", true, Id::seStopAt},
    {"cStopAt", K::List, &W::cStopAt, &W::GroupBox3, 190, 65, 88, 21, L"", true, Id::cStopAt},
    {"Label3", K::Label, &W::Label3, &W::GroupBox3, 9, 94, 72, 13, L"When finished:", false, {}},
    {"cWhenFinished", K::List, &W::cWhenFinished, &W::GroupBox3, 92, 90, 186, 21, L"", true,
     Id::cWhenFinished},
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

int TextWidth(HDC dc, HFONT font, const std::wstring& text) {
  SIZE size{};
  const HGDIOBJ previous = SelectObject(dc, font);
  GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
  SelectObject(dc, previous);
  return static_cast<int>(size.cx);
}

// The font with its characters narrowed step by step, their height kept, until the text fits.
HFONT NarrowedToFit(HDC dc, HFONT font, const std::function<bool(HFONT)>& fits) {
  LOGFONTW shape{};
  GetObjectW(font, sizeof shape, &shape);
  TEXTMETRICW metrics{};
  const HGDIOBJ previous = SelectObject(dc, font);
  GetTextMetricsW(dc, &metrics);
  SelectObject(dc, previous);
  for (shape.lfWidth = metrics.tmAveCharWidth - 1;; --shape.lfWidth) {
    const HFONT narrower = CreateFontIndirectW(&shape);
    if (shape.lfWidth <= 1 || fits(narrower)) return narrower;
    DeleteObject(narrower);
  }
}

// "MS Shell Dlg 2" at 8 points: 11 pixels high at 96 dpi.
HFONT CreateWindowFont(int weight, int dpi) {
  return CreateFontW(-MulDiv(8, dpi, 72), 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                     OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                     L"MS Shell Dlg 2");
}

}  // namespace

void TfrmMain::CreateControls() {
  for (const ControlDesign& design : kDesign) {
    const HWND control = CreateControl(design);
    if (control == nullptr) throw std::runtime_error(std::string("Cannot create the control ") + design.name);
    if (design.field != nullptr) this->*design.field = control;
    named_.emplace(design.name, control);
    if (design.id) {
      controls_[*design.id] = control;
      ids_[control] = *design.id;
    }
  }
  SetUpControls();
  SetUpHints();
  SetUpAccessibility();
  LayOut();
}

// Made at their places at the window's density; LayOut places them again at every change of it.
HWND TfrmMain::CreateControl(const ControlDesign& design) {
  const HWND parent = design.container != nullptr ? this->*design.container : Handle();
  const int x = Scaled(design.left), y = Scaled(design.top);
  const int width = Scaled(design.width), height = Scaled(design.height);
  switch (design.kind) {
    case K::Panel:
      return CreatePanel(parent, x, y, width, height);
    case K::GroupBox:
      return CreateGroupBox(parent, design.text, x, y, width, height);
    case K::RecordButton:
      bRec = std::make_unique<TTamborButton>(parent, x, y, width, height);
      return bRec->Handle();
    case K::PaintBox:
      // The meter is drawn at its designed size and stretched to its place.
      vubox = std::make_unique<TPaintBox32>(parent, x, y, design.width, design.height);
      vubox->StretchOverWindow();
      return vubox->Handle();
    default:
      break;
  }
  const SystemClass system = SystemClassOf(design.kind);
  const DWORD style = WS_CHILD | WS_VISIBLE | system.style | (design.tabStop ? WS_TABSTOP : 0);
  return CreateWindowExW(system.exStyle, system.name, design.text, style, x, y, width, height, parent,
                         nullptr, GetModuleHandleW(nullptr), nullptr);
}

int TfrmMain::Scaled(int designPixels) const { return ScaledForDpi(designPixels, dpi_); }

RECT TfrmMain::FrameAtDpi(int dpi) const {
  RECT frame{0, 0, ScaledForDpi(kClientWidth, dpi), ScaledForDpi(kClientHeight, dpi)};
  AdjustFrameForDpi(frame, static_cast<DWORD>(GetWindowLongW(Handle(), GWL_STYLE)),
                    static_cast<DWORD>(GetWindowLongW(Handle(), GWL_EXSTYLE)), dpi);
  return frame;
}

// Fonts for the density, every control at its place, and the pictures resampled. The fonts of the
// density before go once no control uses them any more.
void TfrmMain::LayOut() {
  std::vector<HFONT> previous{font_, boldFont_};
  for (const auto& [label, font] : fittedFonts_) previous.push_back(font);
  fittedFonts_.clear();
  font_ = CreateWindowFont(FW_NORMAL, dpi_);
  boldFont_ = CreateWindowFont(FW_BOLD, dpi_);
  for (const ControlDesign& design : kDesign) PlaceControl(design, named_.at(design.name));
  bRec->ScaleGlyph(dpi_);
  for (const HWND label : {lRecorded, lFree}) FitTimeLabel(label);
  for (const HFONT font : previous) {
    if (font != nullptr) DeleteObject(font);
  }
  RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void TfrmMain::PlaceControl(const ControlDesign& design, HWND control) {
  const auto label = colouredLabels_.find(control);
  const HFONT font = label != colouredLabels_.end() && label->second.bold ? boldFont_ : font_;
  SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  const RECT place{Scaled(design.left), Scaled(design.top), Scaled(design.left + design.width),
                   Scaled(design.top + design.height)};
  if (design.kind == K::Spin) {
    PlaceSpin(*design.id, place);
    return;
  }
  const int extra = design.kind == K::List ? Scaled(kDropDownHeight) : 0;
  MoveWindow(control, place.left, place.top, place.right - place.left, place.bottom - place.top + extra,
             FALSE);
  if (design.kind == K::List) FitListHeight(control, place.bottom - place.top);
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

void TfrmMain::SetUpSpin(ControlId id, HWND& buttons, int min, int max, int value) {
  const HWND edit = Control(id);
  buttons = CreateWindowExW(
      0, UPDOWN_CLASSW, L"",
      WS_CHILD | WS_VISIBLE | UDS_SETBUDDYINT | UDS_ARROWKEYS | UDS_NOTHOUSANDS | UDS_HOTTRACK, 0, 0, 0, 0,
      GetParent(edit), nullptr, GetModuleHandleW(nullptr), nullptr);
  SendMessageW(buttons, UDM_SETBUDDY, reinterpret_cast<WPARAM>(edit), 0);
  SendMessageW(buttons, UDM_SETRANGE32, static_cast<WPARAM>(min), static_cast<LPARAM>(max));
  spins_[id] = {buttons, min, max, value};
  PutSpinValue(id, value);
}

// The up/down buttons take the right end of the spin edit's place, the edit the rest.
void TfrmMain::PlaceSpin(ControlId id, const RECT& place) {
  const HWND buttons = spins_.at(id).buttons;
  const int buttonsWidth = SystemMetricForDpi(SM_CXVSCROLL, dpi_);
  const int editWidth = place.right - place.left - buttonsWidth;
  MoveWindow(Control(id), place.left, place.top, editWidth, place.bottom - place.top, FALSE);
  MoveWindow(buttons, place.left + editWidth, place.top, buttonsWidth, place.bottom - place.top, FALSE);
}

// A drop-down list's height is that of its closed field, which the font decides; the field is made
// as high as designed. What the system reports as the field's height need not be what it was given,
// so the given height follows the measured outcome.
void TfrmMain::FitListHeight(HWND list, int height) {
  auto request = static_cast<int>(SendMessageW(list, CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0));
  for (int attempt = 0; attempt < 4; ++attempt) {
    RECT rect{};
    GetWindowRect(list, &rect);
    if (rect.bottom - rect.top == height) return;
    request += height - (rect.bottom - rect.top);
    SendMessageW(list, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), request);
  }
}

// Hours count on past 99: a time too wide for its label is drawn in a font narrowed to fit it.
void TfrmMain::FitTimeLabel(HWND label) {
  const std::wstring text = WindowText(label);
  RECT client{};
  GetClientRect(label, &client);
  const HDC dc = GetDC(label);
  const auto fits = [dc, &text, &client](HFONT font) { return TextWidth(dc, font, text) <= client.right; };
  const auto fitted = fittedFonts_.find(label);
  HFONT font = boldFont_;
  if (!fits(boldFont_)) {
    font = fitted != fittedFonts_.end() && fits(fitted->second) ? fitted->second
                                                                : NarrowedToFit(dc, boldFont_, fits);
  }
  ReleaseDC(label, dc);
  if (fitted != fittedFonts_.end() && fitted->second != font) {
    DeleteObject(fitted->second);
    fittedFonts_.erase(fitted);
  }
  if (font != boldFont_) fittedFonts_[label] = font;
  SendMessageW(label, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
}

void TfrmMain::SetUpHints() {
  Hints = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                          CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, Handle(), nullptr,
                          GetModuleHandleW(nullptr), nullptr);
  // A width limit lets a hint break into lines at its line feeds.
  SendMessageW(Hints, TTM_SETMAXTIPWIDTH, 0, 400);
  SetHintOf(lRecorded, L"Time recorded");
  SetHintOf(lFree, L"Time remaining on disk");
  SetHintOf(bSave, WideFromUtf8(AccessibleNameOf(Id::bSave)));
  SetHintOf(bRec->Handle(), WideFromUtf8(kRecordButtonHint));
}

// Names from the labels, the record button's role, name and action, and the meter's value. The system
// would name a control after the label before it; here every control says what it is itself, the same
// on every version of the system.
void TfrmMain::SetUpAccessibility() {
  for (const auto& [id, control] : controls_) {
    if (id == Id::GroupBox1 || id == Id::GroupBox2 || id == Id::bRec) continue;  // their captions are names
    auto facts = std::make_shared<AccessibleFacts>();
    if (colouredLabels_.count(control) != 0) {
      facts->name = [this, label = control] { return LabelReading(label); };
      facts->role = ROLE_SYSTEM_STATICTEXT;
    } else {
      facts->name = [name = WideFromUtf8(AccessibleNameOf(id))] { return name; };
    }
    GiveAccessibleFacts(control, std::move(facts));
  }
  AccessibleFacts& button = bRec->Accessible();
  button.name = [this] { return WideFromUtf8(RecordButtonName(recordState_)); };
  button.defaultAction = button.name;
  button.description = [this] {
    return recordState_ == RecordButtonState::Paused ? WideFromUtf8(PauseActionName(recordState_)) : L"";
  };
  button.help = [] { return WideFromUtf8(kRecordButtonHint); };
  button.keyboardShortcut = L"Ctrl+R";
  meterFacts_ = std::make_shared<AccessibleFacts>();
  meterFacts_->name = [] { return std::wstring(L"Level"); };
  meterFacts_->role = ROLE_SYSTEM_INDICATOR;
  meterFacts_->value = [this] { return std::to_wstring(meterPercent_); };
  GiveAccessibleFacts(vubox->Handle(), meterFacts_);
}

}  // namespace orvimo::win32
