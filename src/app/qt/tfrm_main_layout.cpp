// The window's controls: places, texts, defaults, colours, hints, tab order and events.
#include <QAccessibleWidget>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
#include <QRadioButton>
#include <QShortcut>
#include <QSpinBox>
#include <QTimer>
#include <QToolButton>

#include <limits>

#include "app/accessible_texts.h"
#include "app/qt/date_time_picker.h"
#include "app/qt/tfrm_main.h"
#include "controls/qt/accessible_controls.h"
#include "controls/qt/paint_box32.h"
#include "controls/qt/tambor_button.h"
#include "controls/record_glyph.h"
#include "services/status_texts.h"

namespace orvimo {

namespace {

constexpr int kClientWidth = 285;
constexpr int kClientHeight = 280;

// 0x00BBGGRR, red in the low byte.
QColor FromTColor(uint32_t color) { return QColor(color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF); }

QLabel* MakeColouredLabel(QWidget* parent, const QRect& place, uint32_t background, bool bold) {
  auto* label = new QLabel(parent);
  label->setGeometry(place);
  label->setAlignment(Qt::AlignCenter);
  label->setAutoFillBackground(true);
  QPalette palette = label->palette();
  palette.setColor(QPalette::Window, FromTColor(background));
  palette.setColor(QPalette::WindowText, Qt::white);
  label->setPalette(palette);
  QFont font = label->font();
  font.setBold(bold);
  label->setFont(font);
  return label;
}

QComboBox* MakeList(QWidget* parent, const QRect& place, const QStringList& items, int selected) {
  auto* list = new QComboBox(parent);
  list->setGeometry(place);
  list->addItems(items);
  list->setCurrentIndex(selected);
  return list;
}

// A 16 x 16 floppy disk: dark body, light label, metal shutter.
QIcon FloppyIcon() {
  QPixmap pixmap(16, 16);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setPen(QColor(0, 0, 64));
  painter.setBrush(QColor(40, 60, 140));
  painter.drawRect(1, 1, 13, 13);
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(240, 240, 240));
  painter.drawRect(4, 2, 8, 6);
  painter.setBrush(QColor(180, 180, 190));
  painter.drawRect(5, 10, 6, 4);
  painter.setBrush(QColor(40, 60, 140));
  painter.drawRect(6, 11, 2, 2);
  return QIcon(pixmap);
}

// The window reads as a window with its caption, not as an anonymous filler.
QAccessibleInterface* WindowAccessibleFactory(const QString& className, QObject* object) {
  if (className != QLatin1String(TfrmMain::staticMetaObject.className())) return nullptr;
  return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Window);
}

}  // namespace

void TfrmMain::CreateControls() {
  InstallControlsAccessibility();
  static const bool windowFactoryInstalled = [] {
    QAccessible::installFactory(&WindowAccessibleFactory);
    return true;
  }();
  (void)windowFactoryInstalled;
  setWindowTitle(QString::fromLatin1(kWindowCaption));
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
  setFixedSize(kClientWidth, kClientHeight);
  QFont windowFont = font();
  windowFont.setPointSize(8);
  setFont(windowFont);

  CreateTimers();
  CreatePanel1();
  CreateGroupBox1();
  CreateGroupBox2();
  CreateGroupBox3();
  SetTabOrder();
  NameControls();
}

void TfrmMain::CreateTimers() {
  Timer = new QTimer(this);
  Timer->setObjectName(QStringLiteral("Timer"));
  Timer->setInterval(1000);
  vuTimer = new QTimer(this);
  vuTimer->setObjectName(QStringLiteral("vuTimer"));
  vuTimer->setInterval(kMeterInterval);
}

void TfrmMain::CreatePanel1() {
  Panel1 = new QFrame(this);
  Panel1->setObjectName(QStringLiteral("Panel1"));
  Panel1->setGeometry(0, 0, kClientWidth, 50);
  Panel1->setFrameStyle(QFrame::Panel | QFrame::Raised);

  bRec = new TTamborButton(Panel1);
  bRec->setObjectName(QStringLiteral("bRec"));
  bRec->setGeometry(5, 5, 42, 40);
  SetUpRecordButton(bRec->Core());

  // The time labels are wider than drawn and the status line narrower: DejaVu Sans needs 81 pixels for
  // " 119 : 04 : 37", the status line's own messages at most 125.
  lMessage = MakeColouredLabel(Panel1, {50, 5, 144, 14}, 0x800000, true);
  lMessage->setObjectName(QStringLiteral("lMessage"));
  lMessage->setText(QString::fromLatin1(kWindowCaption));
  lFilename = MakeColouredLabel(Panel1, {50, 21, 144, 14}, 0x808080, false);
  lFilename->setObjectName(QStringLiteral("lFilename"));
  lFilename->setText(QStringLiteral("Orvimo 2 - sound to WAV"));
  lRecorded = MakeColouredLabel(Panel1, {196, 5, 83, 14}, 0x000080, true);
  lRecorded->setObjectName(QStringLiteral("lRecorded"));
  lRecorded->setText(QStringLiteral("00 : 00 : 00"));
  lRecorded->setToolTip(QStringLiteral("Time recorded"));
  lFree = MakeColouredLabel(Panel1, {196, 21, 83, 14}, 0x008000, true);
  lFree->setObjectName(QStringLiteral("lFree"));
  lFree->setText(QStringLiteral("00 : 00 : 00"));
  lFree->setToolTip(QStringLiteral("Time remaining on disk"));

  vubox = new TPaintBox32(Panel1);
  vubox->setObjectName(QStringLiteral("vubox"));
  vubox->setGeometry(50, 37, 229, 8);
}

void TfrmMain::CreateGroupBox1() {
  GroupBox1 = new QGroupBox(QStringLiteral("Input Device"), this);
  GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
  GroupBox1->setGeometry(0, 50, kClientWidth, 45);
  cInputDevice = MakeList(GroupBox1, {8, 17, 270, 21}, {}, -1);
  cInputDevice->setObjectName(QStringLiteral("cInputDevice"));
  cInputInput = MakeList(GroupBox1, {7, 57, 270, 21}, {}, -1);
  cInputInput->setObjectName(QStringLiteral("cInputInput"));
  cInputInput->hide();
}

void TfrmMain::CreateGroupBox2() {
  GroupBox2 = new QGroupBox(QStringLiteral("Output"), this);
  GroupBox2->setObjectName(QStringLiteral("GroupBox2"));
  GroupBox2->setGeometry(0, 95, kClientWidth, 67);

  Label1 = new QLabel(QStringLiteral("To File:"), GroupBox2);
  Label1->setObjectName(QStringLiteral("Label1"));
  Label1->setGeometry(9, 18, 43, 13);  // "To File:" needs 37 pixels in DejaVu Sans
  eOutfile = new QLineEdit(QStringLiteral("Recording_[i].wav"), GroupBox2);
  eOutfile->setObjectName(QStringLiteral("eOutfile"));
  eOutfile->setGeometry(53, 14, 205, 21);
  bSave = new QToolButton(GroupBox2);
  bSave->setObjectName(QStringLiteral("bSave"));
  bSave->setGeometry(258, 14, 22, 21);
  bSave->setAutoRaise(true);
  bSave->setIcon(FloppyIcon());
  bSave->setIconSize(QSize(16, 16));
  bSave->setToolTip(QStringLiteral("Browse..."));
  bSave->setFocusPolicy(Qt::TabFocus);
  Label1->setBuddy(eOutfile);

  cOutFormatB = MakeList(GroupBox2, {8, 39, 59, 21}, {QStringLiteral("8-bit"), QStringLiteral("16-bit")}, 1);
  cOutFormatB->setObjectName(QStringLiteral("cOutFormatB"));
  // The format row gives "Stereo", "FLAC" and a six-digit rate their room in DejaVu Sans.
  cOutFormatC = MakeList(GroupBox2, {70, 39, 64, 21}, {QStringLiteral("Mono"), QStringLiteral("Stereo")}, 1);
  cOutFormatC->setObjectName(QStringLiteral("cOutFormatC"));
  cOutType = MakeList(GroupBox2, {137, 39, 56, 21}, {}, -1);  // the types come from MainForm
  cOutType->setObjectName(QStringLiteral("cOutType"));
  cOutHz = new QSpinBox(GroupBox2);
  cOutHz->setObjectName(QStringLiteral("cOutHz"));
  cOutHz->setGeometry(196, 39, 67, 21);
  cOutHz->setRange(std::numeric_limits<int>::min(), std::numeric_limits<int>::max());
  cOutHz->setValue(44100);
  Label12 = new QLabel(QStringLiteral("Hz"), GroupBox2);
  Label12->setObjectName(QStringLiteral("Label12"));
  Label12->setGeometry(265, 43, 18, 13);
  Label12->setBuddy(cOutHz);
}

void TfrmMain::CreateGroupBox3() {
  GroupBox3 = new QGroupBox(QStringLiteral("Scheduler"), this);
  GroupBox3->setObjectName(QStringLiteral("GroupBox3"));
  GroupBox3->setGeometry(0, 162, kClientWidth, 118);

  cbStart = new QCheckBox(QStringLiteral("Start:"), GroupBox3);
  cbStart->setObjectName(QStringLiteral("cbStart"));
  cbStart->setGeometry(8, 17, 63, 17);
  dtStart = new TDateTimePicker(TDateTimePicker::Kind::Date, GroupBox3);
  dtStart->setObjectName(QStringLiteral("dtStart"));
  dtStart->setGeometry(78, 15, 107, 21);
  dtTStart = new TDateTimePicker(TDateTimePicker::Kind::Time, GroupBox3);
  dtTStart->setObjectName(QStringLiteral("dtTStart"));
  dtTStart->setGeometry(190, 15, 88, 21);

  cbStop = new QCheckBox(QStringLiteral("Stop:"), GroupBox3);
  cbStop->setObjectName(QStringLiteral("cbStop"));
  cbStop->setGeometry(8, 42, 51, 17);
  rbStopTime = new QRadioButton(GroupBox3);
  rbStopTime->setObjectName(QStringLiteral("rbStopTime"));
  rbStopTime->setGeometry(59, 43, 17, 17);
  dtStop = new TDateTimePicker(TDateTimePicker::Kind::Date, GroupBox3);
  dtStop->setObjectName(QStringLiteral("dtStop"));
  dtStop->setGeometry(78, 40, 107, 21);
  dtTStop = new TDateTimePicker(TDateTimePicker::Kind::Time, GroupBox3);
  dtTStop->setObjectName(QStringLiteral("dtTStop"));
  dtTStop->setGeometry(190, 40, 88, 21);

  rbStopAt = new QRadioButton(QStringLiteral("  at"), GroupBox3);
  rbStopAt->setObjectName(QStringLiteral("rbStopAt"));
  rbStopAt->setGeometry(59, 67, 50, 17);
  auto* stopKind = new QButtonGroup(GroupBox3);
  stopKind->addButton(rbStopTime);
  stopKind->addButton(rbStopAt);
  rbStopTime->setChecked(true);
  seStopAt = new QSpinBox(GroupBox3);
  seStopAt->setObjectName(QStringLiteral("seStopAt"));
  seStopAt->setGeometry(112, 65, 73, 21);
  seStopAt->setRange(1, 999);
  seStopAt->setValue(5);
  cStopAt = MakeList(GroupBox3, {190, 65, 88, 21},
                     {QStringLiteral("megabytes"), QStringLiteral("minutes"), QStringLiteral("hours")}, 1);
  cStopAt->setObjectName(QStringLiteral("cStopAt"));

  Label3 = new QLabel(QStringLiteral("When finished:"), GroupBox3);
  Label3->setObjectName(QStringLiteral("Label3"));
  Label3->setGeometry(9, 94, 82, 13);  // wide enough for the text in the fonts found here
  cWhenFinished = MakeList(GroupBox3, {92, 90, 186, 21},
                           {QStringLiteral("Do nothing"), QStringLiteral("Display alert"),
                            QStringLiteral("Start new recording"), QStringLiteral("Shutdown computer")},
                           0);
  cWhenFinished->setObjectName(QStringLiteral("cWhenFinished"));
  Label3->setBuddy(cWhenFinished);
}

// As the eye reads the window: the record button, then each group from left to right and top to bottom.
void TfrmMain::SetTabOrder() {
  const std::vector<QWidget*> order{bRec,        cInputDevice, eOutfile,   bSave,        cOutFormatB,
                                    cOutFormatC, cOutType,     cOutHz,     cbStart,      dtStart,
                                    dtTStart,    cbStop,       rbStopTime, dtStop,       dtTStop,
                                    rbStopAt,    seStopAt,     cStopAt,    cWhenFinished};
  for (size_t i = 1; i < order.size(); ++i) setTabOrder(order[i - 1], order[i]);
}

// What a screen reader calls each control: its purpose, as the labels beside it tell the eye.
void TfrmMain::NameControls() {
  setAccessibleName(windowTitle());
  for (ControlId id :
       {ControlId::cInputDevice, ControlId::cInputInput, ControlId::cOutFormatB, ControlId::cOutFormatC,
        ControlId::cOutType, ControlId::cStopAt, ControlId::cWhenFinished, ControlId::cOutHz,
        ControlId::seStopAt, ControlId::cbStart, ControlId::cbStop, ControlId::rbStopTime,
        ControlId::rbStopAt, ControlId::dtStart, ControlId::dtTStart, ControlId::dtStop, ControlId::dtTStop,
        ControlId::eOutfile, ControlId::bSave}) {
    WidgetOf(id)->setAccessibleName(QString::fromLatin1(AccessibleNameOf(id)));
  }
  for (ControlId id : {ControlId::lMessage, ControlId::lFilename, ControlId::lRecorded, ControlId::lFree}) {
    UpdateLabelReading(id);
  }
  vubox->setAccessibleName(QStringLiteral("Level"));
  bRec->setToolTip(QString::fromLatin1(kRecordButtonHint));
  PutRecordButtonState(RecordButtonState::Idle);
}

// User actions only: code that changes a control does so quietly and runs the change handling itself,
// so an error in that handling ends the code that made the change.
void TfrmMain::WireEvents() {
  connect(bRec, &TTamborButton::mouseDown, this, [this](Qt::MouseButton button) {
    Guarded([this, button] { bRecMouseDown(ToCoreButton(button)); });
  });
  connect(bSave, &QToolButton::clicked, this, [this] { Guarded([this] { bSaveClick(); }); });
  const auto changed = [this](ControlId control) { return [this, control] { ControlChanged(control); }; };
  for (ControlId id : {ControlId::cInputDevice, ControlId::cInputInput, ControlId::cOutFormatB,
                       ControlId::cOutFormatC, ControlId::cOutType, ControlId::cStopAt}) {
    connect(ControlAs<QComboBox>(id), &QComboBox::currentIndexChanged, this, changed(id));
  }
  for (ControlId id : {ControlId::cOutHz, ControlId::seStopAt}) {
    connect(ControlAs<QSpinBox>(id), &QSpinBox::valueChanged, this, changed(id));
  }
  for (ControlId id : {ControlId::cbStart, ControlId::cbStop, ControlId::rbStopTime, ControlId::rbStopAt}) {
    connect(ControlAs<QAbstractButton>(id), &QAbstractButton::toggled, this, changed(id));
  }
  for (ControlId id : {ControlId::dtTStart, ControlId::dtTStop}) {
    connect(ControlAs<TDateTimePicker>(id), &TDateTimePicker::userChanged, this, changed(id));
  }
  connect(eOutfile, &QLineEdit::textChanged, this, changed(ControlId::eOutfile));
  connect(Timer, &QTimer::timeout, this, [this] { TimerFired(TimerId::Timer); });
  connect(vuTimer, &QTimer::timeout, this, [this] { TimerFired(TimerId::vuTimer); });
  WireShortcuts();
}

// The keys do exactly what the mouse does on the record button, from anywhere in the window; so do
// the button's keys and accessible actions (its press is its click).
void TfrmMain::WireShortcuts() {
  const auto leftClick = [this] { Guarded([this] { bRecClick(); }); };
  const auto rightClick = [this] { Guarded([this] { bRecMouseDown(MouseButton::kRight); }); };
  connect(bRec, &TTamborButton::clicked, this, leftClick);
  connect(new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_R), this), &QShortcut::activated, this, leftClick);
  for (const QKeySequence& keys : {QKeySequence(Qt::CTRL | Qt::Key_P), QKeySequence(Qt::Key_Pause)}) {
    connect(new QShortcut(keys, this), &QShortcut::activated, this, rightClick);
  }
  connect(bRec, &TTamborButton::secondAction, this, rightClick);
}

}  // namespace orvimo
