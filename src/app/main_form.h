#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/app_services.h"
#include "app/console_report.h"
#include "app/error_guard.h"
#include "app/form_controls.h"
#include "app/form_storage.h"
#include "app/sleep_guard.h"
#include "base/scoped_count.h"
#include "controls/tambor_button_core.h"
#include "recording/recorder.h"
#include "services/status_texts.h"

namespace orvimo {

// The recorder's one window without its widgets: every handler sequence of the window and its state,
// on top of the engine, the same for each platform. The platform's window creates its controls, wires
// their events to the entry points below and implements FormControls; the handlers call one another
// directly, and every entry from the event loop runs inside the error guard.
class MainForm : private RecorderEvents {
 public:
  // The level meter's pace, in milliseconds: fifty frames a second.
  static constexpr int kMeterInterval = 20;

  // The controls are not touched before StartUp.
  MainForm(AppServices services, FormControls& controls);
  ~MainForm() override;
  MainForm(const MainForm&) = delete;
  MainForm& operator=(const MainForm&) = delete;

  // Entry points of the platform's window.
  // Once the controls exist: the settings store on the services' placement access, or on the window's
  // own where they have none, then FormCreate.
  void StartUp(WindowPlacementAccess& ownPlacement);
  // Every show; the first one restores the stored settings and runs FormShow.
  void WindowShown();
  // The window closes: true for the first close, once its recording is complete.
  bool WindowClosing();
  // The window goes away, its controls still there: unsaved settings are saved (a window destroyed
  // without a close) and the recording is completed.
  void FormDestroy() noexcept;
  // The user changed a control: its change handler runs, guarded.
  void ControlChanged(ControlId control);
  // A window timer fired.
  void TimerFired(TimerId timer);
  template <typename Handler>
  void Guarded(Handler&& handler) {
    guard_.Run(std::forward<Handler>(handler));
  }

  // Start-up, show and close.
  void FormCreate();
  void FormShow();
  void FormClose();
  // Capture device and monitor channel.
  void cInputDeviceChange();
  void cInputInputChange();
  // Recording.
  void Echo(const std::string& message);
  void StartRecording();
  void StopRecording();
  void PauseRecording();
  void bRecClick();
  void bRecMouseDown(MouseButton button);
  std::string Parse(const std::string& outputTemplate);
  // Status display.
  void eOutfileChange();
  void cOutFormatBChange();
  // The type list: the template's known extension follows the type chosen.
  void cOutTypeChange();
  void ChooseFileType(FileType type);
  // The status tick; a forced refresh also refreshes the labels while idle.
  void TimerTimer(bool forcedRefresh);
  void vuTimerTimer();
  void bSaveClick();
  // While recording the disk is also watched at the meter's pace: between two status ticks a second of
  // audio can be more than the reserve, and the disk would fill up before the tick saw it.
  void WatchDiskSpace();
  // Whether anything of the window can be seen. While nothing is, the meter's timer runs only while
  // the disk needs watching between status ticks (slower then), and the capture takes large
  // deliveries unless the disk is watched; both come back at once when the window shows again.
  void SetScreenShown(bool shown);
  // A close asked for by a termination signal: nothing may wait for the user, so errors met while
  // closing go to the standard error instead of a message box.
  void CloseOnTermination();
  // The display went away and the program is ending without its event loop (a logout, an X server
  // that died): the recording is completed and the settings saved now, errors on the standard error.
  void CloseAfterLostDisplay();
  // Scheduler.
  void dtTStartChange();
  void dtTStopChange();
  void seStopAtChange();
  // Holds sleep off while a recording runs or a scheduled start waits, and lets it come otherwise.
  void UpdateSleepGuard();

  // No screen to draw on: the meter is not drawn (the console reads the level once a second), and the
  // disk is still watched between ticks, though less often.
  void RunWithoutDisplay();
  // What the console shows, as the window would: state, file, recorded and free figures, the level
  // since the last look, the dropouts. Taking the level starts its peak anew.
  ConsoleStatus ConsoleSnapshot();

  RecordingState& State() { return recorder_.State(); }
  Recorder& Engine() { return recorder_; }
  TFormStorage& Storage() { return *FormStorage; }
  int TimerTag() const { return timerTag_; }

  std::unique_ptr<TFormStorage> FormStorage;

  // Code that changes a control the way a user would, running the same change handling.
  void SetOutfileText(const std::string& text);
  // The name template in the edit, as the bytes it was given (see FileNameToText).
  std::string OutfileTemplate() const;
  void SetChecked(ControlId button, bool checked);
  void SetSpinValue(ControlId spin, int value);

 private:
  // Counts the stops and starts in progress; a scheduled start never begins inside one.
  using Sequence = ScopedCount;

  // Start-up and close (main_form.cpp).
  std::vector<StoredProperty> StoredProperties();
  void RunChangeHandler(ControlId control);
  void ApplyFormatOptions(const std::vector<std::string>& list);
  void ApplySchedulerOptions(const std::vector<std::string>& list);
  void FillDeviceList();
  void TakeOutputFileFromCommandLine(const std::vector<std::string>& list);
  std::optional<FileType> commandLineType_;  // the command line's choice outlives the stored one
  void StopTimers();
  void ReleaseCaptureOnDestroy() noexcept;
  void RunClosingStep(const std::function<void()>& step);

  // Recording (main_form_recording.cpp).
  void ReportCaptureFailure();
  void SetRecordingControlsEnabled(bool enabled);
  void ShowRecordButtonState();

  // Status tick, scheduler and actions (main_form_schedule.cpp).
  int64_t QueryFreeSpace();
  void RefreshFreeSpace(int64_t freeBytes);
  bool GuardDiskSpace(int64_t freeBytes);
  void PlanNextDiskCheck(int64_t freeBytes);
  // The meter's timer and the capture's pace for what is shown and what the disk needs now.
  void PaceMeter();
  void RefreshRecorded(int64_t written);
  void TellMeterLevel(uint32_t level);
  bool CheckRecorder();
  void ScheduledStartTest();
  void StopTest();
  void RunWhenFinishedAction();
  void StartNewRecording();

  // What the recorder reports: shown in the status line and the file-name label.
  void Fault(const std::string& message) override;
  void FileChanged(const std::string& fileName) override;
  void WriteFailed(const std::string& message) override;
  // The sample format the controls select, the rate from the spin box's value.
  SampleFormat SelectedFormat() const;
  FileType SelectedFileType() const;
  // What a second of recording adds to the file: the running recording's own rate, else the chosen
  // type's estimate.
  int64_t FileBytesPerSecond() const;
  void ShowRecordingStarted(const std::string& fileName);
  // The status hint: the echoed message, then the dropouts and a sleep that could not be held off.
  void ShowMessageHint();
  void ShowDropouts();

  FormControls& controls_;
  // Before services_, whose dialogs it is: every error box of the window goes through the guard.
  ErrorGuard guard_;
  AppServices services_;
  Recorder recorder_;
  RecordingState& state_;
  SleepGuard sleepGuard_{services_.sleepInhibitor, services_.formatSettings};
  // Held by the callbacks that may outlive the form (an alert closed later): gone, they do nothing.
  std::shared_ptr<MainForm*> self_ = std::make_shared<MainForm*>(this);
  int timerTag_ = 0;
  // The byte count of the recording at which WatchDiskSpace asks for the free space again.
  int64_t nextDiskCheckAt_ = 0;
  bool screenShown_ = true;
  bool captureRelaxed_ = false;
  // From the end of start-up to the close; a stopped meter's timer stays stopped.
  bool meterRunning_ = false;
  RecordButtonState shownButtonState_ = RecordButtonState::Idle;
  // The meter's frames since its level was last told to assistive technology, and that level.
  int meterFramesSinceReading_ = 0;
  int readLevel_ = -1;
  // What the meter last put on the screen; a frame that would show the same is not sent again.
  struct MeterPicture {
    int left = -1, right = -1;
    uint32_t color = 0;
    bool operator==(const MeterPicture&) const = default;
  } shownMeter_;
  int sequencesInProgress_ = 0;
  std::string statusLine_ = kWindowCaption;  // what the status line shows
  std::string echoed_;                       // the message of the last Echo
  std::string dropoutNote_;                  // the recording's dropouts, while it runs and after its stop
  std::string sleepNote_;                    // why sleep is not held off, until the status line changes
  // The figures the time labels show now: a stopped recording's stay until the next refresh.
  int64_t shownRecorded_ = 0;
  int64_t shownFree_ = -1;
  bool withoutDisplay_ = false;
  bool shownOnce_ = false;
  bool closed_ = false;
  bool terminating_ = false;
};

}  // namespace orvimo
