#pragma once

#include <string>
#include <string_view>

#include "app/form_controls.h"

namespace orvimo {

// The names assistive technology reads for the window's controls, the same in both programs. The
// labels beside the controls say what they are to the eye; these say it to a screen reader.
inline const char* AccessibleNameOf(ControlId control) {
  switch (control) {
    case ControlId::cInputDevice: return "Input device";
    case ControlId::cInputInput: return "Input";
    case ControlId::cOutFormatB: return "Sample size";
    case ControlId::cOutFormatC: return "Channels";
    case ControlId::cOutType: return "File type";
    case ControlId::cStopAt: return "Unit";
    case ControlId::cWhenFinished: return "When finished";
    case ControlId::cOutHz: return "Sample rate (Hz)";
    case ControlId::seStopAt: return "Stop after";
    case ControlId::cbStart: return "Start";
    case ControlId::cbStop: return "Stop";
    case ControlId::rbStopTime: return "Stop at date and time";
    case ControlId::rbStopAt: return "Stop after an amount";
    case ControlId::dtStart: return "Start date";
    case ControlId::dtTStart: return "Start time";
    case ControlId::dtStop: return "Stop date";
    case ControlId::dtTStop: return "Stop time";
    case ControlId::eOutfile: return "To File:";
    case ControlId::lMessage: return "Status";
    case ControlId::lFilename: return "File";
    case ControlId::lRecorded: return "Recorded";
    case ControlId::lFree: return "Free";
    case ControlId::GroupBox1: return "Input Device";
    case ControlId::GroupBox2: return "Output";
    case ControlId::bRec: return "Record";
    case ControlId::bSave: return "Browse...";
  }
  return "";
}

// "Record" at rest, "Stop recording" while recording (a left click stops), also while paused.
inline const char* RecordButtonName(RecordButtonState state) {
  return state == RecordButtonState::Idle ? "Record" : "Stop recording";
}

// The second action, as a right click does it.
inline const char* PauseActionName(RecordButtonState state) {
  return state == RecordButtonState::Paused ? "Resume" : "Pause";
}

// What a screen reader reads for a label of the status panel: its name, then its text; the two time
// labels add the size their hint holds: "Status: Recording audio", "Recorded: 00 : 00 : 05 (862 KB)".
inline std::string LabelReading(ControlId label, std::string_view text, std::string_view hint) {
  const size_t first = text.find_first_not_of(' ');
  std::string reading = std::string(AccessibleNameOf(label)) + ": ";
  if (first != std::string_view::npos) reading += text.substr(first);
  if ((label == ControlId::lRecorded || label == ControlId::lFree) && !hint.empty()) {
    reading += " (" + std::string(hint) + ")";
  }
  return reading;
}

// While paused the button's description says what the second action does now.
inline std::string RecordButtonDescription(RecordButtonState state) {
  if (state != RecordButtonState::Paused) return {};
  return std::string("Paused. ") + PauseActionName(state) + ": right click, Ctrl+P or Pause.";
}

// The record button's tooltip names the keys that do what the mouse does.
inline constexpr const char* kRecordButtonHint =
    "Left click or Ctrl+R: record / stop. Right click, Ctrl+P or Pause: pause / resume.";

}  // namespace orvimo
