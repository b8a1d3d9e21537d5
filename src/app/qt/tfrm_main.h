#pragma once

#include <QWidget>

#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/app_services.h"
#include "app/form_controls.h"
#include "app/main_form.h"

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

// The recorder's one window on Qt: its widgets, their layout and events, and the widget calls of the
// shared window logic (MainForm), whose handlers it offers as its own. FormCreate runs at the end of
// construction.
class TfrmMain : public QWidget, private FormControls, public MainForm {
  Q_OBJECT

 public:
  explicit TfrmMain(AppServices services, QWidget* parent = nullptr);
  ~TfrmMain() override;

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

 signals:
  // The window has closed and its recording is complete: the program ends, whatever else is open.
  void closed();

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  // Layout (tfrm_main_layout.cpp).
  void CreateControls();
  void CreatePanel1();
  void CreateGroupBox1();
  void CreateGroupBox2();
  void CreateGroupBox3();
  void CreateTimers();
  void SetTabOrder();
  void NameControls();
  void WireEvents();
  void WireShortcuts();

  // The widget calls of the shared logic (tfrm_main.cpp).
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
  void PutMeterLevel(int percent) override;
  bool WindowShowing() const override;
  void PostCall(std::function<void()> call) override;
  void CloseWindow() override;

  QWidget* WidgetOf(ControlId id) const;
  // The widget of a control, as the kind the call needs.
  template <typename Widget>
  Widget* ControlAs(ControlId id) const;
  QTimer* TimerOf(TimerId timer) const;
  // A status panel's label reads as its name and text (and a time label's size); a change is announced.
  void UpdateLabelReading(ControlId label);
  void ShowLabelReadings();

  std::unique_ptr<WindowPlacementAccess> ownPlacement_;
  std::vector<ControlId> pendingReadings_;  // labels whose reading waits for the event loop
};

template <typename Widget>
Widget* TfrmMain::ControlAs(ControlId id) const {
  auto* widget = qobject_cast<Widget*>(WidgetOf(id));
  if (widget == nullptr) throw std::logic_error("The control does not take this call");
  return widget;
}

}  // namespace orvimo
