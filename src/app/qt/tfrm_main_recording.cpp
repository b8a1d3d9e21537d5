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
  lMessage->setToolTip(FromLocal(message));
}

std::string TfrmMain::Parse(const std::string& outputTemplate) {
  return ParseFileNameTemplate(
      outputTemplate, state_.FileCounter, [this] { return services_.clock.Now(); }, services_.formatSettings);
}

void TfrmMain::StartRecording() {
  const Sequence sequence(sequencesInProgress_);
  dtTStartChange();
  dtTStopChange();

  const int sampleRate = cOutHz->value();  // never the text, which is in the locale's digits
  const uint16_t channels = cOutFormatC->currentIndex() == 0 ? 1 : 2;
  const uint16_t bits = cOutFormatB->currentIndex() == 0 ? 8 : 16;
  state_.Header = MakeWaveHeader(channels, static_cast<uint32_t>(sampleRate), bits);
  ++state_.FileCounter;

  std::string fileName = Parse(OutfileTemplate());
  fileName.erase(std::remove(fileName.begin(), fileName.end(), '"'), fileName.end());
  lFilename->setText(FromLocal(" " + fileName));
  lFilename->setToolTip(FromLocal(fileName));

  auto file = OutputFile::Create(fileName);
  try {
    file->WriteHeader(state_.Header);
  } catch (...) {
    file->CloseAndRemove();
    throw;
  }
  state_.OutStream = std::move(file);
  state_.BytesWritten = 0;
  nextDiskCheckAt_ = 0;

  if (!StartCapture()) {
    ReportCaptureFailure();
    return;
  }
  state_.MaxBytes = 0;
  state_.StopTime = 0;
  dtTStopChange();
  seStopAtChange();
  state_.Recording = true;
  Echo(kRecordingAudio);
  state_.VuColor = kRecordingColor;
  bRec->SetImageIndex_Normal(1);
  SetRecordingControlsEnabled(false);
}

// The file exists with its header before the capture starts, so the first buffer has a place to go.
bool TfrmMain::StartCapture() {
  services_.audio.ChannelStop(state_.CaptureChannel);
  // Cleared before the capture starts, so no buffer of the new recording is dropped.
  state_.Paused = false;
  const WaveHeader& header = state_.Header;
  const uint32_t flags = header.bitsPerSample == 8 ? capture::kRecord8Bits : 0;
  state_.CaptureChannel =
      services_.audio.RecordStart(header.sampleRate, header.channels, flags, RecordCallback, &state_);
  return state_.CaptureChannel != 0;
}

// The file made for a capture that never started holds nothing: it goes again.
void TfrmMain::ReportCaptureFailure() {
  const std::string message = capture::CaptureErrorMessage(services_.audio.ErrorGetCode());
  state_.OutStream->CloseAndRemove();
  state_.OutStream.reset();
  Echo(message);
  services_.dialogs.ShowError("Error: " + message);
}

void TfrmMain::StopRecording() {
  if (!state_.Recording) return;
  const Sequence sequence(sequencesInProgress_);
  state_.Recording = false;
  services_.audio.ChannelStop(state_.CaptureChannel);

  // The stop is completed even when the sizes cannot be written; the error is reported afterwards.
  std::exception_ptr patchError;
  try {
    state_.OutStream->PatchSizes();
  } catch (...) {
    patchError = std::current_exception();
  }
  TimerTimer(bRec);
  state_.OutStream.reset();
  state_.BytesWritten = 0;
  bRec->SetImageIndex_Normal(0);
  Echo(kRecordingStopped);
  cInputInputChange();
  SetMessageColor(state_.MessageColors[2]);
  SetRecordingControlsEnabled(true);
  // A stop while paused must not leave the status tick and the scheduled start asleep.
  state_.Paused = false;
  if (patchError) std::rethrow_exception(patchError);
}

void TfrmMain::PauseRecording() {
  if (!state_.Recording) return;
  const bool paused = !state_.Paused;
  state_.Paused = paused;
  nextDiskCheckAt_ = 0;  // a resumed recording looks at the disk again at once
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
  services_.audio.ChannelStop(state_.CaptureChannel);
  state_.CaptureChannel = services_.audio.RecordStart(44100, 2, 0, MonitorCallback, &state_);
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
