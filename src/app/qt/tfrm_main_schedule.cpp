// The status tick with its displays and disk-space guard, the scheduler, the actions after a scheduled
// stop, and the level meter.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QRadioButton>
#include <QSpinBox>

#include <algorithm>
#include <limits>

#include "app/date_time_parts.h"
#include "app/qt/date_time_picker.h"
#include "app/qt/tfrm_main.h"
#include "app/status_texts.h"
#include "app/when_finished.h"
#include "controls/qt/paint_box32.h"
#include "controls/qt/tambor_button.h"
#include "monitor/size_text.h"

namespace orvimo {

namespace {

constexpr int64_t kBytesPerMegabyte = 1048576;
constexpr TColor32 kMeterBackground = 0xFF000000;
constexpr double kFullScale = 32768.0;

QString FromLocal(const std::string& text) { return QString::fromLocal8Bit(text.c_str()); }

}  // namespace

void TfrmMain::eOutfileChange() {
  state_.DiskDrive = DiskDriveOf(OutfileTemplate());
  TimerTimer(bRec);
}

void TfrmMain::cOutFormatBChange() {
  state_.BytesPerSec =
      BytesPerSecondOf(cOutFormatC->currentIndex(), cOutHz->value(), cOutFormatB->currentIndex());
  TimerTimer(bRec);
}

void TfrmMain::TimerTimer(QObject* Sender) {
  if (state_.Paused) return;
  // A display step that fails (a disk that went away) is reported after the rest of the tick, so the
  // stop test and the action after it still run.
  std::exception_ptr displayError;
  if (Sender == bRec || state_.Recording) {
    try {
      const int64_t freeBytes = QueryFreeSpace();
      RefreshFreeSpace(freeBytes);
      if (GuardDiskSpace(freeBytes)) return;
      PlanNextDiskCheck(freeBytes);
      RefreshRecorded();
    } catch (...) {
      displayError = std::current_exception();
    }
  }
  if (!state_.Recording) {
    ScheduledStartTest();
  } else if (!CheckDeviceLost()) {
    timerTag_ = 1 - timerTag_;
    SetMessageColor(state_.MessageColors[timerTag_]);
    StopTest();
  }
  if (displayError) std::rethrow_exception(displayError);
}

int64_t TfrmMain::QueryFreeSpace() {
  const std::string outputTemplate = OutfileTemplate();
  return services_.freeSpace.BytesFree(FreeSpaceQueryPath(outputTemplate, state_.DiskDrive));
}

// Between two status ticks the free space is asked for again only once the recording itself may have
// used half of what was left above the reserve: a nearly full disk is watched at every meter frame, a
// roomy one costs nothing until the next tick.
void TfrmMain::WatchDiskSpace() {
  if (!state_.Recording || state_.Paused) return;
  if (state_.BytesWritten.load() < nextDiskCheckAt_) return;
  const int64_t freeBytes = QueryFreeSpace();
  if (GuardDiskSpace(freeBytes)) return;
  PlanNextDiskCheck(freeBytes);
}

void TfrmMain::PlanNextDiskCheck(int64_t freeBytes) {
  // Unknown free space is asked for again at the next tick only.
  const int64_t room = freeBytes < 0 ? std::numeric_limits<int64_t>::max() / 2
                                     : std::max<int64_t>(freeBytes - kDiskReserveBytes, 0) / 2;
  nextDiskCheckAt_ = state_.BytesWritten.load() + room;
}

void TfrmMain::RefreshFreeSpace(int64_t freeBytes) {
  lFree->setText(FromLocal(FormatDuration(std::max<int64_t>(freeBytes, 0), state_.BytesPerSec)));
  lFree->setToolTip(FromLocal(freeBytes < 0 ? kUnknownFreeSpace : FormatSize(freeBytes)));
}

// Pauses a recording on a nearly full disk, so what was written so far stays intact.
bool TfrmMain::GuardDiskSpace(int64_t freeBytes) {
  if (freeBytes < 0 || freeBytes >= kDiskReserveBytes || !state_.Recording) return false;
  PauseRecording();
  services_.dialogs.ShowWarning(DiskFullWarning(freeBytes));
  services_.flasher.FlashAppWindow(10);
  return true;
}

void TfrmMain::RefreshRecorded() {
  const int64_t written = state_.BytesWritten.load();
  lRecorded->setText(FromLocal(FormatDuration(written, state_.BytesPerSec)));
  lRecorded->setToolTip(FromLocal(FormatSize(written)));
  // Keeps the sizes in the header current, so the file stays readable if the process dies.
  if (state_.Recording && state_.OutStream)
    state_.OutStream->UpdateSizesWhileRecording(state_.Header.blockAlign);
}

// A capture device that went away ends the recording as the button would, and says so.
bool TfrmMain::CheckDeviceLost() {
  if (services_.audio.ChannelIsActive(state_.CaptureChannel)) return false;
  StopRecording();
  Echo(kDeviceLost);
  services_.dialogs.ShowError(std::string("Error: ") + kDeviceLost);
  return true;
}

void TfrmMain::ScheduledStartTest() {
  if (!cbStart->isChecked()) return;
  // Never inside another stop or start, nor while closing: the next tick tries again.
  if (sequencesInProgress_ > 0 || closed_) return;
  if (services_.clock.Now() >= dtStart->Value()) {
    SetChecked(cbStart, false);
    StartRecording();
  }
}

void TfrmMain::StopTest() {
  if (!cbStop->isChecked()) return;
  bool reached = false;
  if (state_.MaxBytes > 0) {
    reached = state_.BytesWritten.load() >= state_.MaxBytes;
  } else if (state_.StopTime > 0) {
    reached = services_.clock.Now() > state_.StopTime;
  }
  if (!reached) return;
  if (rbStopTime->isChecked()) SetChecked(cbStop, false);
  // A stop that could not patch the header has still ended the recording: the action follows.
  std::exception_ptr stopError;
  try {
    StopRecording();
  } catch (...) {
    stopError = std::current_exception();
  }
  RunWhenFinishedAction();
  if (stopError) std::rethrow_exception(stopError);
}

void TfrmMain::RunWhenFinishedAction() {
  if (closed_) return;  // nothing new begins while the window closes
  switch (static_cast<WhenFinishedAction>(cWhenFinished->currentIndex())) {
    case WhenFinishedAction::DoNothing:
      services_.flasher.FlashAppWindow(3);
      break;
    case WhenFinishedAction::DisplayAlert: {
      const QPointer<TfrmMain> window(this);
      services_.dialogs.ShowAlert(kAlertText, kAlertTitle, [window] {
        if (window) window->services_.flasher.FlashAppWindow(10);
      });
      break;
    }
    case WhenFinishedAction::StartNewRecording:
      StartNewRecording();
      break;
    case WhenFinishedAction::ShutdownComputer:
      services_.shutdown.ShutdownComputer(kShutdownForce | kShutdownPowerOff);
      break;
  }
}

// The name change refreshes the display, which must not start a scheduled recording of its own.
void TfrmMain::StartNewRecording() {
  const Sequence sequence(sequencesInProgress_);
  const std::string current = OutfileTemplate();
  const std::string next = WithCounterBeforeExtension(current);
  if (next != current) SetOutfileText(next);
  StartRecording();
}

void TfrmMain::dtTStartChange() { dtStart->SetValue(WithTimeOf(dtStart->Value(), dtTStart->Value())); }

void TfrmMain::dtTStopChange() {
  if (!rbStopTime->isChecked()) return;
  dtStop->SetValue(WithTimeOf(dtStop->Value(), dtTStop->Value()));
  state_.StopTime = dtStop->Value();
}

void TfrmMain::seStopAtChange() {
  if (!rbStopAt->isChecked()) return;
  const int n = seStopAt->value();
  const TDateTime now = services_.clock.Now();
  switch (cStopAt->currentIndex()) {
    case 0:  // megabytes, formed in 32 bits as the limit always was
      state_.MaxBytes =
          static_cast<int32_t>(static_cast<uint32_t>(n) * static_cast<uint32_t>(kBytesPerMegabyte));
      break;
    case 1:  // minutes from now
      state_.StopTime = (now * 1440 + n) / 1440;
      break;
    case 2:  // hours from now
      state_.StopTime = (now * 24 + n) / 24;
      break;
    default:
      break;
  }
}

void TfrmMain::vuTimerTimer() {
  TBitmap32& buffer = vubox->Buffer();
  buffer.Clear(kMeterBackground);
  if (state_.CaptureChannel == 0) return;
  const int width = vubox->width() - 2;
  const uint32_t level = services_.audio.ChannelGetLevel(state_.CaptureChannel);
  const int left = static_cast<int>((level & 0xFFFF) / kFullScale * width);
  const int right = static_cast<int>((level >> 16) / kFullScale * width);
  buffer.FillRectPlain({0, 0, left, 4}, state_.VuColor);
  buffer.FillRectPlain({0, 4, right, 8}, state_.VuColor);
  // Fifty frames a second are mostly the same picture (silence, a steady tone) or go to a window
  // nobody sees; sending those to the screen would cost more than everything else the program does.
  if (!isVisible() || isMinimized()) {
    shownMeter_ = {};
    return;
  }
  const MeterPicture picture{left, right, state_.VuColor};
  if (picture == shownMeter_) return;
  shownMeter_ = picture;
  vubox->Flush();
}

}  // namespace orvimo
