// One recording from its start to its stop, the monitor channel and the status line.
#include <algorithm>

#include "app/main_form.h"
#include "recording/file_name_template.h"
#include "services/status_texts.h"

namespace orvimo {

namespace {

constexpr uint32_t kMonitorColor = 0xFFFFFFFF;    // opaque white
constexpr uint32_t kRecordingColor = 0xFFFFBB1B;  // opaque amber

}  // namespace

void MainForm::Echo(const std::string& message) {
  controls_.PutLabelText(ControlId::lMessage, " " + message);
  echoed_ = message;
  statusLine_ = message;
  sleepNote_.clear();
  ShowMessageHint();
  // Every change of the recording's state is echoed, so the record button's state follows here.
  ShowRecordButtonState();
}

void MainForm::ShowRecordButtonState() {
  const RecordButtonState buttonState = !state_.Recording ? RecordButtonState::Idle
                                        : state_.Paused   ? RecordButtonState::Paused
                                                          : RecordButtonState::Recording;
  if (buttonState == shownButtonState_) return;
  shownButtonState_ = buttonState;
  controls_.PutRecordButtonState(buttonState);
}

void MainForm::ShowMessageHint() {
  std::string hint = echoed_;
  for (const std::string* note : {&dropoutNote_, &sleepNote_}) {
    if (!note->empty()) hint += "\n" + *note;
  }
  controls_.PutHint(ControlId::lMessage, hint);
}

void MainForm::ShowDropouts() {
  dropoutNote_ = recorder_.DropoutsText();
  ShowMessageHint();
}

std::string MainForm::Parse(const std::string& outputTemplate) {
  return ParseFileNameTemplate(
      outputTemplate, state_.FileCounter, [this] { return services_.clock.Now(); }, services_.formatSettings);
}

SampleFormat MainForm::SelectedFormat() const {
  return SampleFormat{static_cast<uint32_t>(controls_.SpinValue(ControlId::cOutHz)),
                      static_cast<uint16_t>(controls_.ListIndex(ControlId::cOutFormatC) == 0 ? 1 : 2),
                      static_cast<uint16_t>(controls_.ListIndex(ControlId::cOutFormatB) == 0 ? 8 : 16)};
}

FileType MainForm::SelectedFileType() const {
  const int index = controls_.ListIndex(ControlId::cOutType);
  return index > 0 && index < static_cast<int>(kFileTypes.size()) ? kFileTypes[static_cast<size_t>(index)]
                                                                  : FileType::Wav;
}

void MainForm::ChooseFileType(FileType type) {
  controls_.PutListIndex(ControlId::cOutType, static_cast<int>(type));
  cOutTypeChange();
}

void MainForm::cOutTypeChange() {
  const std::string outputTemplate = OutfileTemplate();
  const std::string renamed = WithFileTypeExtension(outputTemplate, SelectedFileType());
  if (renamed != outputTemplate) {
    SetOutfileText(renamed);
  } else {
    TimerTimer(true);
  }
}

void MainForm::StartRecording() {
  const Sequence sequence(sequencesInProgress_);
  dtTStartChange();
  dtTStopChange();
  const SampleFormat format = SelectedFormat();
  const std::string fileName = recorder_.NextFileName(OutfileTemplate(), services_.formatSettings);
  FileChanged(fileName);
  nextDiskCheckAt_ = 0;
  if (!recorder_.Start(format, fileName, SelectedFileType())) {
    UpdateSleepGuard();
    ReportCaptureFailure();
    return;
  }
  ShowRecordingStarted(fileName);
  UpdateSleepGuard();
  PaceMeter();
}

// The limits of a recording count from the moment it began, taken from the scheduler as it is now.
void MainForm::ShowRecordingStarted(const std::string& fileName) {
  recorder_.ResetLimits();
  dtTStopChange();
  seStopAtChange();
  FileChanged(fileName);
  Echo(kRecordingAudio);
  ShowDropouts();
  state_.VuColor = kRecordingColor;
  controls_.PutRecordGlyph(1);
  SetRecordingControlsEnabled(false);
}

void MainForm::ReportCaptureFailure() {
  const std::string message = recorder_.LastError();
  Echo(message);
  services_.dialogs.ShowError("Error: " + message);
}

void MainForm::Fault(const std::string& message) { Echo(message); }

// The status line is too short for a path and a reason: it says what happened, its hint and one error
// box say the rest, and the recording waits paused for the user.
void MainForm::WriteFailed(const std::string& message) {
  Echo(kCannotWrite);
  echoed_ = message;
  ShowMessageHint();
  services_.dialogs.ShowError(message);
  services_.flasher.FlashAppWindow(10);
}

void MainForm::FileChanged(const std::string& fileName) {
  controls_.PutLabelText(ControlId::lFilename, " " + fileName);
  controls_.PutHint(ControlId::lFilename, fileName);
}

void MainForm::StopRecording() {
  if (!state_.Recording) return;
  const Sequence sequence(sequencesInProgress_);
  // The stop is completed even when the sizes cannot be written; the error is reported afterwards.
  std::exception_ptr patchError;
  try {
    recorder_.Stop();
  } catch (...) {
    patchError = std::current_exception();
  }
  UpdateSleepGuard();
  TimerTimer(true);
  recorder_.ForgetRecordedBytes();
  controls_.PutRecordGlyph(0);
  Echo(kRecordingStopped);
  ShowDropouts();
  cInputInputChange();
  controls_.PutLabelColor(ControlId::lMessage, state_.MessageColors[2]);
  SetRecordingControlsEnabled(true);
  // A stop while paused must not leave the status tick and the scheduled start asleep.
  recorder_.SetPaused(false);
  PaceMeter();
  if (patchError) std::rethrow_exception(patchError);
}

void MainForm::PauseRecording() {
  if (!state_.Recording) return;
  const bool paused = !state_.Paused;
  recorder_.SetPaused(paused);
  nextDiskCheckAt_ = 0;  // a resumed recording looks at the disk again at once
  PaceMeter();
  Echo(paused ? kPausedText : kRecordingAudio);
}

void MainForm::bRecClick() {
  if (state_.Recording)
    StopRecording();
  else
    StartRecording();
}

void MainForm::bRecMouseDown(MouseButton button) {
  if (button == MouseButton::kRight) PauseRecording();
}

void MainForm::cInputInputChange() {
  state_.VuColor = kMonitorColor;
  recorder_.StartMonitor();
}

// The focus goes to the record button, which stays enabled: the focus of a control that becomes
// disabled would otherwise end anywhere or nowhere, and the next key stops what was just started.
void MainForm::SetRecordingControlsEnabled(bool enabled) {
  for (ControlId control : {ControlId::GroupBox1, ControlId::GroupBox2, ControlId::cbStart}) {
    controls_.PutEnabled(control, enabled);
  }
  controls_.PutFocus(ControlId::bRec);
}

}  // namespace orvimo
