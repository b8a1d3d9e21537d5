#pragma once

#include <QWidget>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/app_services.h"
#include "app/console_report.h"
#include "app/error_guard.h"
#include "app/form_storage.h"
#include "app/sleep_guard.h"
#include "recording/recorder.h"

class QAbstractButton;
class QCheckBox;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QRadioButton;
class QSpinBox;
class QTimer;
class QToolButton;

namespace orvimo {

class TDateTimePicker;
class TPaintBox32;
class TTamborButton;

// The recorder's one window: status panel with the record button and the level meter, the capture
// device, the output file and format, and the scheduler. The handlers call one another directly; every
// entry from the event loop runs inside the error guard. FormCreate runs at the end of construction.
class TfrmMain : public QWidget, private RecorderEvents {
  Q_OBJECT

 public:
  // The level meter's pace, in milliseconds: fifty frames a second.
  static constexpr int kMeterInterval = 20;

  explicit TfrmMain(AppServices services, QWidget* parent = nullptr);
  ~TfrmMain() override;

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
  void bRecMouseDown(Qt::MouseButton button);
  std::string Parse(const std::string& outputTemplate);
  // Status display.
  void eOutfileChange();
  void cOutFormatBChange();
  // The status tick; with Sender == bRec a forced refresh that also refreshes the labels while idle.
  void TimerTimer(QObject* Sender);
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

  // The window's components, named as everywhere else in the program.
  QTimer* Timer = nullptr;
  QTimer* vuTimer = nullptr;
  QFrame* Panel1 = nullptr;
  TTamborButton* bRec = nullptr;
  TPaintBox32* vubox = nullptr;
  QLabel* lRecorded = nullptr;
  QLabel* lFree = nullptr;
  QLabel* lMessage = nullptr;
  QLabel* lFilename = nullptr;
  QGroupBox* GroupBox1 = nullptr;
  QComboBox* cInputDevice = nullptr;
  QGroupBox* GroupBox2 = nullptr;
  QLabel* Label1 = nullptr;
  QLineEdit* eOutfile = nullptr;
  QToolButton* bSave = nullptr;
  QLabel* Label12 = nullptr;
  QSpinBox* cOutHz = nullptr;
  QComboBox* cOutType = nullptr;
  QComboBox* cOutFormatC = nullptr;
  QComboBox* cOutFormatB = nullptr;
  QGroupBox* GroupBox3 = nullptr;
  QCheckBox* cbStart = nullptr;
  QCheckBox* cbStop = nullptr;
  TDateTimePicker* dtStop = nullptr;
  TDateTimePicker* dtStart = nullptr;
  TDateTimePicker* dtTStart = nullptr;
  TDateTimePicker* dtTStop = nullptr;
  QComboBox* cWhenFinished = nullptr;
  QLabel* Label3 = nullptr;
  QComboBox* cInputInput = nullptr;
  QRadioButton* rbStopTime = nullptr;
  QRadioButton* rbStopAt = nullptr;
  QComboBox* cStopAt = nullptr;
  QSpinBox* seStopAt = nullptr;
  std::unique_ptr<TFormStorage> FormStorage;

  // Code that changes a control the way a user would, running the same change handling.
  void SetOutfileText(const std::string& text);
  // The name template in the edit, as the bytes it was given (see FileNameToText).
  std::string OutfileTemplate() const;
  void SetChecked(QAbstractButton* button, bool checked);
  void SetSpinValue(QSpinBox* spin, int value);

 signals:
  // The window has closed and its recording is complete: the program ends, whatever else is open.
  void closed();

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  // Counts the stops and starts in progress; a scheduled start never begins inside one.
  class Sequence {
   public:
    explicit Sequence(int& counter) : counter_(counter) { ++counter_; }
    ~Sequence() { --counter_; }
    Sequence(const Sequence&) = delete;
    Sequence& operator=(const Sequence&) = delete;

   private:
    int& counter_;
  };

  // Layout (tfrm_main_layout.cpp).
  void CreateControls();
  void CreatePanel1();
  void CreateGroupBox1();
  void CreateGroupBox2();
  void CreateGroupBox3();
  void CreateTimers();
  void SetTabOrder();
  void WireEvents();
  std::vector<StoredProperty> StoredProperties();

  // Start-up (tfrm_main.cpp).
  void ApplyFormatOptions(const std::vector<std::string>& list);
  void ApplySchedulerOptions(const std::vector<std::string>& list);
  void FillDeviceList();
  void TakeOutputFileFromCommandLine(const std::vector<std::string>& list);
  void ReleaseCaptureOnDestroy() noexcept;

  // Recording (tfrm_main_recording.cpp).
  bool StartCapture();
  void ReportCaptureFailure();
  void SetRecordingControlsEnabled(bool enabled);
  void SetMessageColor(uint32_t color);

  // Status tick, scheduler and actions (tfrm_main_schedule.cpp).
  int64_t QueryFreeSpace();
  void RefreshFreeSpace(int64_t freeBytes);
  bool GuardDiskSpace(int64_t freeBytes);
  void PlanNextDiskCheck(int64_t freeBytes);
  // The meter's timer and the capture's pace for what is shown and what the disk needs now.
  void PaceMeter();
  void RefreshRecorded(int64_t written);
  bool CheckRecorder();
  void ScheduledStartTest();
  void StopTest();
  void RunWhenFinishedAction();
  void StartNewRecording();

  template <typename Handler>
  void Guarded(Handler&& handler) {
    guard_.Run(std::forward<Handler>(handler));
  }
  void RunClosingStep(const std::function<void()>& step);

  // What the recorder reports: shown in the status line and the file-name label.
  void Fault(const std::string& message) override;
  void FileChanged(const std::string& fileName) override;
  // The sample format the controls select, the rate from the spin box's value.
  SampleFormat SelectedFormat() const;
  void ShowRecordingStarted(const std::string& fileName);
  // The status hint: the echoed message, then the dropouts and a sleep that could not be held off.
  void ShowMessageHint();
  void ShowDropouts();

  // Before services_, whose dialogs it is: every error box of the window goes through the guard.
  ErrorGuard guard_;
  AppServices services_;
  Recorder recorder_;
  RecordingState& state_;
  SleepGuard sleepGuard_{services_.sleepInhibitor, services_.formatSettings};
  std::unique_ptr<WindowPlacementAccess> ownPlacement_;
  int timerTag_ = 0;
  // The byte count of the recording at which WatchDiskSpace asks for the free space again.
  int64_t nextDiskCheckAt_ = 0;
  bool screenShown_ = true;
  bool captureRelaxed_ = false;
  // From the end of start-up to the close; a stopped meter's timer stays stopped.
  bool meterRunning_ = false;
  // What the meter last put on the screen; a frame that would show the same is not sent again.
  struct MeterPicture {
    int left = -1, right = -1;
    uint32_t color = 0;
    bool operator==(const MeterPicture&) const = default;
  } shownMeter_;
  int sequencesInProgress_ = 0;
  std::string echoed_;       // the message of the last Echo
  std::string dropoutNote_;  // the recording's dropouts, while it runs and after its stop
  std::string sleepNote_;    // why sleep is not held off, until the status line changes
  // The figures the time labels show now: a stopped recording's stay until the next refresh.
  int64_t shownRecorded_ = 0;
  int64_t shownFree_ = -1;
  bool withoutDisplay_ = false;
  bool shownOnce_ = false;
  bool closed_ = false;
  bool terminating_ = false;
};

}  // namespace orvimo
