#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "base/date_time.h"
#include "controls/bitmap32.h"

namespace orvimo {

// The main window's controls the shared handlers read and change, named as the controls themselves.
enum class ControlId {
  // Drop-down lists.
  cInputDevice,
  cInputInput,
  cOutFormatB,
  cOutFormatC,
  cOutType,
  cStopAt,
  cWhenFinished,
  // Spin edits.
  cOutHz,
  seStopAt,
  // Check boxes and radio buttons.
  cbStart,
  cbStop,
  rbStopTime,
  rbStopAt,
  // Date pickers and time pickers.
  dtStart,
  dtStop,
  dtTStart,
  dtTStop,
  // The file-name edit.
  eOutfile,
  // Labels.
  lMessage,
  lFilename,
  lRecorded,
  lFree,
  // Group boxes.
  GroupBox1,
  GroupBox2,
  // Buttons: the record button and the browse button beside the file name.
  bRec,
  bSave,
};

// What the record button does on its next left click, for its accessible name, state and tooltip.
enum class RecordButtonState { Idle, Recording, Paused };

enum class TimerId { Timer, vuTimer };

// What the shared window logic (MainForm) needs from one platform's widgets. Every Put is quiet: no
// change handler runs for it, the caller runs the handling itself where it wants it. Texts are the
// program's single-byte local text; the edit's text is the file-name template's raw bytes (see
// FileNameToText). Colours are window colours, 0x00BBGGRR.
class FormControls {
 public:
  virtual ~FormControls() = default;

  // Drop-down lists. PutListItems replaces the items; the selection afterwards is set by PutListIndex.
  virtual void PutListItems(ControlId list, const std::vector<std::string>& items) = 0;
  virtual int ListIndex(ControlId list) const = 0;  // -1: nothing selected
  virtual void PutListIndex(ControlId list, int index) = 0;

  // Spin edits: the value put lands within the spin's limits.
  virtual int SpinValue(ControlId spin) const = 0;
  virtual void PutSpinValue(ControlId spin, int value) = 0;

  // Check boxes and radio buttons: checking one radio button of the stop kind unchecks its partner.
  virtual bool IsChecked(ControlId button) const = 0;
  virtual void PutChecked(ControlId button, bool checked) = 0;

  // Date and time pickers hold a whole date-time value; each shows only its own part.
  virtual TDateTime PickerValue(ControlId picker) const = 0;
  virtual void PutPickerValue(ControlId picker, TDateTime value) = 0;

  virtual std::string EditText(ControlId edit) const = 0;
  virtual void PutEditText(ControlId edit, const std::string& bytes) = 0;

  virtual void PutLabelText(ControlId label, const std::string& text) = 0;
  virtual void PutHint(ControlId control, const std::string& hint) = 0;
  virtual void PutLabelColor(ControlId label, uint32_t color) = 0;  // the background
  virtual void PutEnabled(ControlId control, bool enabled) = 0;
  virtual void PutFocus(ControlId control) = 0;
  // The record button's glyph in its normal state: 0 the red disc, 1 the green one.
  virtual void PutRecordGlyph(int imageIndex) = 0;
  // The record button's state as assistive technology and its tooltip tell it (RecordButtonName and
  // RecordButtonHint); a platform announces the change.
  virtual void PutRecordButtonState(RecordButtonState /*state*/) {}

  // The two window timers. A new interval restarts a running timer.
  virtual void StartTimer(TimerId timer) = 0;
  virtual void StopTimer(TimerId timer) = 0;
  virtual bool TimerRunning(TimerId timer) const = 0;
  virtual int TimerInterval(TimerId timer) const = 0;
  virtual void PutTimerInterval(TimerId timer, int milliseconds) = 0;

  // The level meter's back buffer, the size of the meter's box; FlushMeter puts it on the screen now.
  virtual TBitmap32& MeterBuffer() = 0;
  virtual void FlushMeter() = 0;
  // The meter's level as assistive technology reads it, 0 to 100: the louder channel, a few times a
  // second at most.
  virtual void PutMeterLevel(int /*percent*/) {}
  // The window is visible and not minimised.
  virtual bool WindowShowing() const = 0;

  // Runs call later from the event loop, unless the window is gone by then.
  virtual void PostCall(std::function<void()> call) = 0;
  // Closes the window as the user's close would, running its close handling.
  virtual void CloseWindow() = 0;
};

}  // namespace orvimo
