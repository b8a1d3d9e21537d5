// The window's life on Qt (construction, show, close, destruction) and the widget calls of the shared
// window logic.
#include "app/qt/tfrm_main.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QShowEvent>
#include <QSpinBox>
#include <QTimer>
#include <QToolButton>

#include <algorithm>
#include <utility>

#include "app/accessible_texts.h"
#include "app/qt/date_time_picker.h"
#include "app/qt/qt_window_placement.h"
#include "base/file_name_text.h"
#include "controls/qt/paint_box32.h"
#include "controls/qt/tambor_button.h"

namespace orvimo {

namespace {

QString FromLocal(const std::string& text) { return QString::fromLocal8Bit(text.c_str()); }

constexpr qreal kSmallestTimePointSize = 5;

// A time label keeps its place: a time longer than its room (thousands of hours free at a low rate) is
// set smaller rather than cut.
void FitTextToWidth(QLabel* label, qreal pointSize) {
  QFont font = label->font();
  font.setPointSizeF(pointSize);
  const int room = label->contentsRect().width();
  while (font.pointSizeF() > kSmallestTimePointSize &&
         QFontMetrics(font).horizontalAdvance(label->text()) > room) {
    font.setPointSizeF(font.pointSizeF() - 0.5);
  }
  if (font != label->font()) label->setFont(font);
}

}  // namespace

TfrmMain::TfrmMain(AppServices services, QWidget* parent)
    : QWidget(parent), MainForm(std::move(services), static_cast<FormControls&>(*this)) {
  CreateControls();
  WireEvents();
  ownPlacement_ = std::make_unique<QtWindowPlacement>(this, bRec);
  StartUp(*ownPlacement_);
}

TfrmMain::~TfrmMain() { FormDestroy(); }

void TfrmMain::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  WindowShown();
}

void TfrmMain::closeEvent(QCloseEvent* event) {
  if (WindowClosing()) emit closed();
  event->accept();
}

QWidget* TfrmMain::WidgetOf(ControlId id) const {
  switch (id) {
    case ControlId::cInputDevice:
      return cInputDevice;
    case ControlId::cInputInput:
      return cInputInput;
    case ControlId::cOutFormatB:
      return cOutFormatB;
    case ControlId::cOutFormatC:
      return cOutFormatC;
    case ControlId::cOutType:
      return cOutType;
    case ControlId::cStopAt:
      return cStopAt;
    case ControlId::cWhenFinished:
      return cWhenFinished;
    case ControlId::cOutHz:
      return cOutHz;
    case ControlId::seStopAt:
      return seStopAt;
    case ControlId::cbStart:
      return cbStart;
    case ControlId::cbStop:
      return cbStop;
    case ControlId::rbStopTime:
      return rbStopTime;
    case ControlId::rbStopAt:
      return rbStopAt;
    case ControlId::dtStart:
      return dtStart;
    case ControlId::dtStop:
      return dtStop;
    case ControlId::dtTStart:
      return dtTStart;
    case ControlId::dtTStop:
      return dtTStop;
    case ControlId::eOutfile:
      return eOutfile;
    case ControlId::lMessage:
      return lMessage;
    case ControlId::lFilename:
      return lFilename;
    case ControlId::lRecorded:
      return lRecorded;
    case ControlId::lFree:
      return lFree;
    case ControlId::GroupBox1:
      return GroupBox1;
    case ControlId::GroupBox2:
      return GroupBox2;
    case ControlId::bRec:
      return bRec;
    case ControlId::bSave:
      return bSave;
  }
  return nullptr;
}

QTimer* TfrmMain::TimerOf(TimerId timer) const { return timer == TimerId::Timer ? Timer : vuTimer; }

void TfrmMain::PutListItems(ControlId list, const std::vector<std::string>& items) {
  auto* box = ControlAs<QComboBox>(list);
  const QSignalBlocker blocker(box);
  box->clear();
  for (const std::string& item : items) box->addItem(FromLocal(item));
}

int TfrmMain::ListIndex(ControlId list) const { return ControlAs<QComboBox>(list)->currentIndex(); }

void TfrmMain::PutListIndex(ControlId list, int index) {
  auto* box = ControlAs<QComboBox>(list);
  const QSignalBlocker blocker(box);
  box->setCurrentIndex(index);
}

int TfrmMain::SpinValue(ControlId spin) const { return ControlAs<QSpinBox>(spin)->value(); }

void TfrmMain::PutSpinValue(ControlId spin, int value) {
  auto* box = ControlAs<QSpinBox>(spin);
  const QSignalBlocker blocker(box);
  box->setValue(value);
}

bool TfrmMain::IsChecked(ControlId button) const { return ControlAs<QAbstractButton>(button)->isChecked(); }

void TfrmMain::PutChecked(ControlId button, bool checked) {
  auto* widget = ControlAs<QAbstractButton>(button);
  // A radio button checked by code unchecks its partner, which must stay quiet too.
  const QSignalBlocker blockTime(rbStopTime);
  const QSignalBlocker blockAt(rbStopAt);
  const QSignalBlocker blocker(widget);
  widget->setChecked(checked);
}

TDateTime TfrmMain::PickerValue(ControlId picker) const {
  return ControlAs<TDateTimePicker>(picker)->Value();
}

void TfrmMain::PutPickerValue(ControlId picker, TDateTime value) {
  ControlAs<TDateTimePicker>(picker)->SetValue(value);
}

std::string TfrmMain::EditText(ControlId edit) const {
  return FileNameFromText(ControlAs<QLineEdit>(edit)->text().toStdU16String());
}

void TfrmMain::PutEditText(ControlId edit, const std::string& bytes) {
  auto* line = ControlAs<QLineEdit>(edit);
  const QSignalBlocker blocker(line);
  line->setText(QString::fromStdU16String(FileNameToText(bytes)));
}

void TfrmMain::PutLabelText(ControlId label, const std::string& text) {
  auto* widget = ControlAs<QLabel>(label);
  widget->setText(FromLocal(text));
  if (label == ControlId::lRecorded || label == ControlId::lFree) FitTextToWidth(widget, font().pointSizeF());
  UpdateLabelReading(label);
}

void TfrmMain::PutHint(ControlId control, const std::string& hint) {
  ControlAs<QWidget>(control)->setToolTip(FromLocal(hint));
  UpdateLabelReading(control);
}

// A text and its hint change together (a time and its size): the reading is brought up to date once
// the handler is done, so assistive technology hears one change, not a half-new reading first.
void TfrmMain::UpdateLabelReading(ControlId label) {
  if (label != ControlId::lMessage && label != ControlId::lFilename && label != ControlId::lRecorded &&
      label != ControlId::lFree) {
    return;
  }
  if (std::find(pendingReadings_.begin(), pendingReadings_.end(), label) != pendingReadings_.end()) return;
  pendingReadings_.push_back(label);
  if (pendingReadings_.size() == 1)
    QMetaObject::invokeMethod(
        this, [this] { ShowLabelReadings(); }, Qt::QueuedConnection);
}

void TfrmMain::ShowLabelReadings() {
  for (ControlId label : pendingReadings_) {
    auto* widget = ControlAs<QLabel>(label);
    // The status line's hint holds notes besides its message; only its text is read.
    const QByteArray hint = label == ControlId::lMessage ? QByteArray() : widget->toolTip().toLocal8Bit();
    const QString reading =
        FromLocal(LabelReading(label, widget->text().toLocal8Bit().toStdString(), hint.toStdString()));
    if (reading != widget->accessibleName()) widget->setAccessibleName(reading);
  }
  pendingReadings_.clear();
}

void TfrmMain::PutLabelColor(ControlId label, uint32_t color) {
  auto* widget = ControlAs<QLabel>(label);
  QPalette palette = widget->palette();
  palette.setColor(QPalette::Window, QColor(color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF));
  widget->setPalette(palette);
}

void TfrmMain::PutEnabled(ControlId control, bool enabled) {
  ControlAs<QWidget>(control)->setEnabled(enabled);
}

void TfrmMain::PutFocus(ControlId control) { ControlAs<QWidget>(control)->setFocus(); }

void TfrmMain::PutRecordGlyph(int imageIndex) { bRec->SetImageIndex_Normal(imageIndex); }

void TfrmMain::PutRecordButtonState(RecordButtonState state) {
  bRec->SetSecondActionName(QString::fromLatin1(PauseActionName(state)));
  bRec->setAccessibleDescription(FromLocal(RecordButtonDescription(state)));
  bRec->setAccessibleName(QString::fromLatin1(RecordButtonName(state)));
}

void TfrmMain::StartTimer(TimerId timer) { TimerOf(timer)->start(); }

void TfrmMain::StopTimer(TimerId timer) { TimerOf(timer)->stop(); }

bool TfrmMain::TimerRunning(TimerId timer) const { return TimerOf(timer)->isActive(); }

int TfrmMain::TimerInterval(TimerId timer) const { return TimerOf(timer)->interval(); }

void TfrmMain::PutTimerInterval(TimerId timer, int milliseconds) {
  TimerOf(timer)->setInterval(milliseconds);
}

TBitmap32& TfrmMain::MeterBuffer() { return vubox->Buffer(); }

void TfrmMain::FlushMeter() { vubox->Flush(); }

void TfrmMain::PutMeterLevel(int percent) { vubox->SetAccessibleValue(percent); }

bool TfrmMain::WindowShowing() const { return isVisible() && !isMinimized(); }

void TfrmMain::PostCall(std::function<void()> call) {
  QMetaObject::invokeMethod(this, std::move(call), Qt::QueuedConnection);
}

void TfrmMain::CloseWindow() { close(); }

}  // namespace orvimo
