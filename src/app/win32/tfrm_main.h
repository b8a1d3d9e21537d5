#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <string_view>

#include "app/app_services.h"
#include "app/form_controls.h"
#include "app/main_form.h"
#include "app/win32/win32_window_placement.h"
#include "base/scoped_count.h"
#include "controls/win32/accessible_proxy.h"
#include "controls/win32/message_window.h"
#include "controls/win32/paint_box32.h"
#include "controls/win32/tambor_button.h"

namespace orvimo::win32 {

struct ControlDesign;

// The recorder's one window on the Win32 API: status panel with the record button and the level meter,
// the capture device, the output file and format, and the scheduler. The window makes the controls
// and turns their notifications into the shared handlers of MainForm, which reach the controls back
// through FormControls. Start-up (FormCreate) runs at the end of the construction. The layout is drawn
// for 96 dpi and laid out at the window's own density, again whenever that changes.
class TfrmMain : public MessageWindow, public FormControls {
 public:
  static constexpr int kClientWidth = 285;   // at 96 dpi
  static constexpr int kClientHeight = 280;  // the four containers stacked

  explicit TfrmMain(AppServices services);
  ~TfrmMain() override;

  MainForm& Form() { return form_; }
  // The control of that name ("cOutHz", "GroupBox2"); null for an unknown name.
  HWND FindControl(std::string_view name) const;
  // For the message loop: the window's shortcuts from any of its controls, then the dialog keys (Tab,
  // the arrows). True when the message has been handled.
  bool TranslateKeys(MSG& message);

  // FormControls.
  void PutListItems(ControlId list, const std::vector<std::string>& items) override;
  int ListIndex(ControlId list) const override;
  void PutListIndex(ControlId list, int index) override;
  int SpinValue(ControlId spin) const override;
  void PutSpinValue(ControlId spin, int value) override;
  bool IsChecked(ControlId button) const override;
  void PutChecked(ControlId button, bool checked) override;
  TDateTime PickerValue(ControlId picker) const override;
  void PutPickerValue(ControlId picker, TDateTime value) override;
  std::string EditText(ControlId edit) const override;
  void PutEditText(ControlId edit, const std::string& bytes) override;
  void PutLabelText(ControlId label, const std::string& text) override;
  void PutHint(ControlId control, const std::string& hint) override;
  void PutLabelColor(ControlId label, uint32_t color) override;
  void PutEnabled(ControlId control, bool enabled) override;
  void PutFocus(ControlId control) override;
  void PutRecordGlyph(int imageIndex) override;
  void PutRecordButtonState(RecordButtonState state) override;
  void StartTimer(TimerId timer) override;
  void StopTimer(TimerId timer) override;
  bool TimerRunning(TimerId timer) const override;
  int TimerInterval(TimerId timer) const override;
  void PutTimerInterval(TimerId timer, int milliseconds) override;
  TBitmap32& MeterBuffer() override;
  void FlushMeter() override;
  bool WindowShowing() const override;
  void PostCall(std::function<void()> call) override;
  void CloseWindow() override;

  // The window's components, named as everywhere else in the program.
  HWND Panel1 = nullptr;
  std::unique_ptr<TTamborButton> bRec;
  std::unique_ptr<TPaintBox32> vubox;
  HWND lRecorded = nullptr, lFree = nullptr, lMessage = nullptr, lFilename = nullptr;
  HWND GroupBox1 = nullptr, cInputDevice = nullptr, cInputInput = nullptr;
  HWND GroupBox2 = nullptr, Label1 = nullptr, eOutfile = nullptr, bSave = nullptr, Label12 = nullptr;
  HWND cOutHz = nullptr, cOutType = nullptr, cOutFormatC = nullptr, cOutFormatB = nullptr;
  HWND GroupBox3 = nullptr, cbStart = nullptr, cbStop = nullptr, dtStop = nullptr, dtStart = nullptr;
  HWND dtTStart = nullptr, dtTStop = nullptr, cWhenFinished = nullptr, Label3 = nullptr;
  HWND rbStopTime = nullptr, rbStopAt = nullptr, cStopAt = nullptr, seStopAt = nullptr;
  // The up/down buttons of the two spin edits, and the hint window.
  HWND cOutHzButtons = nullptr, seStopAtButtons = nullptr, Hints = nullptr;

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  struct Spin {
    HWND buttons;
    int min, max, value;
  };
  struct ColouredLabel {
    uint32_t background;  // 0x00BBGGRR
    bool bold;
  };
  struct Timer {
    bool running = false;
    int interval;
  };
  // Notifications of the controls' own changes are dropped while code puts a value.
  using Quiet = ScopedCount;

  // Layout (tfrm_main_layout.cpp).
  void CreateControls();
  HWND CreateControl(const ControlDesign& design);
  void SetUpControls();
  void SetUpHints();
  void SetUpAccessibility();
  void SetUpSpin(ControlId id, HWND& buttons, int min, int max, int value);
  void LayOut();
  void PlaceControl(const ControlDesign& design, HWND control);
  void PlaceSpin(ControlId id, const RECT& place);
  void FitListHeight(HWND list, int height);
  void FitTimeLabel(HWND label);
  void SetHintOf(HWND control, const std::wstring& hint);
  int Scaled(int designPixels) const;
  // The window's rectangle around its client area at that density.
  RECT FrameAtDpi(int dpi) const;
  void DpiChanged(int dpi, const RECT& suggested);
  // The place, with the size corrected so that the client area has its designed size.
  void TakePlace(const RECT& suggested);

  // Keyboard and assistive technology (tfrm_main.cpp).
  bool Shortcut(WPARAM key, LPARAM flags);
  std::wstring LabelReading(HWND label) const;
  void UpdateMeterReading();

  // Notifications (tfrm_main.cpp).
  void Command(HWND control, int code);
  void Notify(const NMHDR& header);
  bool DrawItem(const DRAWITEMSTRUCT& item);
  void SpinEdited(ControlId spin, bool leaving);
  void PickerEdited(ControlId picker);
  bool Activated(bool active);
  // Minimised or in a locked session nothing of the window shows.
  void TellWhetherShown();
  void SnapToWorkArea(WINDOWPOS& position);

  HWND Control(ControlId id) const;
  UINT_PTR TimerNumber(TimerId timer) const { return timer == TimerId::Timer ? 1 : 2; }

  int dpi_ = 96;
  HFONT font_ = nullptr, boldFont_ = nullptr;
  std::map<HWND, HFONT> fittedFonts_;          // a time label's font narrowed to its text
  std::map<HWND, std::wstring> labelDetails_;  // the size beside a time, read with the label
  RecordButtonState recordState_ = RecordButtonState::Idle;
  std::shared_ptr<AccessibleFacts> meterFacts_;
  int meterPercent_ = 0;
  ULONGLONG meterAnnounced_ = 0;  // when the meter's value was last told, in ms since boot
  HICON icon_ = nullptr;
  std::map<std::string, HWND, std::less<>> named_;
  std::map<ControlId, HWND> controls_;
  std::map<HWND, ControlId> ids_;
  std::map<ControlId, Spin> spins_;
  std::map<ControlId, TDateTime> pickers_;
  std::map<HWND, ColouredLabel> colouredLabels_;
  std::map<TimerId, Timer> timers_{{TimerId::Timer, {false, 1000}},
                                   {TimerId::vuTimer, {false, MainForm::kMeterInterval}}};
  std::set<HWND> hinted_;
  HWND focused_ = nullptr;  // the control that gets the focus back when the window is activated
  int quiet_ = 0;
  bool started_ = false;
  bool endingSession_ = false;  // the close must be done before the message returns
  bool minimised_ = false;
  bool sessionLocked_ = false;
  std::unique_ptr<Win32WindowPlacement> placement_;
  // Last, so it goes first, while every control it reaches still exists.
  MainForm form_;
};

}  // namespace orvimo::win32
