// One recording from its start to its stop, the monitor channel and the status line.
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>

#include <algorithm>

#include "app/qt/tfrm_main.h"
#include "app/status_texts.h"
#include "controls/qt/tambor_button.h"
#include "recording/file_name_template.h"

namespace orvimo {

namespace {

constexpr uint32_t kMonitorColor = 0xFFFFFFFF;    // opaque white
constexpr uint32_t kRecordingColor = 0xFFFFBB1B;  // opaque amber

QString FromLocal(const std::string& text) { return QString::fromLocal8Bit(text.c_str()); }

}  // namespace

void TfrmMain::Echo(const std::string& message) {
  lMessage->setText(FromLocal(" " + message));
  echoed_ = message;
  sleepNote_.clear();
  ShowMessageHint();
}

void TfrmMain::ShowMessageHint() {
  std::string hint = echoed_;
  for (const std::string* note : {&dropoutNote_, &sleepNote_}) {
    if (!note->empty()) hint += "\n" + *note;
  }
  lMessage->setToolTip(FromLocal(hint));
}

void TfrmMain::ShowDropouts() {
  dropoutNote_ = recorder_.DropoutsText();
  ShowMessageHint();
}

std::string TfrmMain::Parse(const std::string& outputTemplate) {
  return ParseFileNameTemplate(
      outputTemplate, state_.FileCounter, [this] { return services_.clock.Now(); }, services_.formatSettings);
}

SampleFormat TfrmMain::SelectedFormat() const {
  return SampleFormat{static_cast<uint32_t>(cOutHz->value()),
                      static_cast<uint16_t>(cOutFormatC->currentIndex() == 0 ? 1 : 2),
                      static_cast<uint16_t>(cOutFormatB->currentIndex() == 0 ? 8 : 16)};
}

void TfrmMain::StartRecording() {
  const Sequence sequence(sequencesInProgress_);
  dtTStartChange();
  dtTStopChange();
  const SampleFormat format = SelectedFormat();
  const std::string fileName = recorder_.NextFileName(OutfileTemplate(), services_.formatSettings);
  FileChanged(fileName);
  nextDiskCheckAt_ = 0;
  if (!recorder_.Start(format, fileName)) {
    UpdateSleepGuard();
    ReportCaptureFailure();
    return;
  }
  ShowRecordingStarted(fileName);
  UpdateSleepGuard();
  PaceMeter();
}

// The limits of a recording count from the moment it began, taken from the scheduler as it is now.
void TfrmMain::ShowRecordingStarted(const std::string& fileName) {
  recorder_.ResetLimits();
  dtTStopChange();
  seStopAtChange();
  FileChanged(fileName);
  Echo(kRecordingAudio);
  ShowDropouts();
  state_.VuColor = kRecordingColor;
  bRec->SetImageIndex_Normal(1);
  SetRecordingControlsEnabled(false);
}

void TfrmMain::ReportCaptureFailure() {
  const std::string message = recorder_.LastError();
  Echo(message);
  services_.dialogs.ShowError("Error: " + message);
}

void TfrmMain::Fault(const std::string& message) { Echo(message); }

void TfrmMain::FileChanged(const std::string& fileName) {
  lFilename->setText(FromLocal(" " + fileName));
  lFilename->setToolTip(FromLocal(fileName));
}

void TfrmMain::StopRecording() {
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
  TimerTimer(bRec);
  recorder_.ForgetRecordedBytes();
  bRec->SetImageIndex_Normal(0);
  Echo(kRecordingStopped);
  ShowDropouts();
  cInputInputChange();
  SetMessageColor(state_.MessageColors[2]);
  SetRecordingControlsEnabled(true);
  // A stop while paused must not leave the status tick and the scheduled start asleep.
  recorder_.SetPaused(false);
  PaceMeter();
  if (patchError) std::rethrow_exception(patchError);
}

void TfrmMain::PauseRecording() {
  if (!state_.Recording) return;
  const bool paused = !state_.Paused;
  recorder_.SetPaused(paused);
  nextDiskCheckAt_ = 0;  // a resumed recording looks at the disk again at once
  PaceMeter();
  Echo(paused ? kPausedText : kRecordingAudio);
}

void TfrmMain::bRecClick() {
  if (state_.Recording)
    StopRecording();
  else
    StartRecording();
}

void TfrmMain::bRecMouseDown(Qt::MouseButton button) {
  if (button == Qt::RightButton) PauseRecording();
}

void TfrmMain::cInputInputChange() {
  state_.VuColor = kMonitorColor;
  recorder_.StartMonitor();
}

void TfrmMain::SetRecordingControlsEnabled(bool enabled) {
  GroupBox1->setEnabled(enabled);
  GroupBox2->setEnabled(enabled);
  cbStart->setEnabled(enabled);
}

void TfrmMain::SetMessageColor(uint32_t color) {
  QPalette palette = lMessage->palette();
  palette.setColor(QPalette::Window, QColor(color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF));
  lMessage->setPalette(palette);
}

}  // namespace orvimo
