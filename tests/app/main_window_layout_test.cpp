// The window's controls: where they sit, what they say and the order the Tab key visits them.
#include <QAccessible>
#include <QGroupBox>
#include <QTest>
#include <QToolButton>

#include "app/accessible_texts.h"
#include "controls/qt/paint_box32.h"
#include "controls/qt/tambor_button.h"
#include "main_window_fixture.h"

namespace orvimo::testing {
namespace {

struct Place {
  QWidget* widget;
  QRect rect;
};

TEST_F(MainWindowTest, ControlsSitWhereTheyBelong) {
  Create();
  TfrmMain& w = *window;
  const std::vector<Place> places{
      {w.Panel1, {0, 0, 285, 50}},        {w.bRec, {5, 5, 42, 40}},
      {w.lMessage, {50, 5, 144, 14}},     {w.lFilename, {50, 21, 144, 14}},
      {w.lRecorded, {196, 5, 83, 14}},    {w.lFree, {196, 21, 83, 14}},
      {w.vubox, {50, 37, 229, 8}},        {w.GroupBox1, {0, 50, 285, 45}},
      {w.cInputDevice, {8, 17, 270, 21}}, {w.GroupBox2, {0, 95, 285, 67}},
      {w.eOutfile, {53, 14, 205, 21}},    {w.bSave, {258, 14, 22, 21}},
      {w.cOutFormatB, {8, 39, 59, 21}},   {w.cOutFormatC, {70, 39, 64, 21}},
      {w.cOutType, {137, 39, 56, 21}},    {w.cOutHz, {196, 39, 67, 21}},
      {w.GroupBox3, {0, 162, 285, 118}},  {w.cbStart, {8, 17, 63, 17}},
      {w.dtStart, {78, 15, 107, 21}},     {w.dtTStart, {190, 15, 88, 21}},
      {w.cbStop, {8, 42, 51, 17}},        {w.rbStopTime, {59, 43, 17, 17}},
      {w.dtStop, {78, 40, 107, 21}},      {w.dtTStop, {190, 40, 88, 21}},
      {w.rbStopAt, {59, 67, 50, 17}},     {w.seStopAt, {112, 65, 73, 21}},
      {w.cStopAt, {190, 65, 88, 21}},     {w.cWhenFinished, {92, 90, 186, 21}},
  };
  for (const Place& place : places)
    EXPECT_EQ(place.widget->geometry(), place.rect) << place.widget->objectName().toStdString();
  EXPECT_EQ(w.size(), QSize(285, 280));
  EXPECT_EQ(w.windowTitle(), "Orvimo 2.0");
  EXPECT_FALSE(w.windowFlags() & Qt::WindowMaximizeButtonHint);
  EXPECT_TRUE(w.cInputInput->isHidden());
}

TEST_F(MainWindowTest, ControlsStartWithTheirTextsAndDefaults) {
  Create();
  TfrmMain& w = *window;
  const auto items = [](QComboBox* box) {
    std::vector<std::string> texts;
    for (int i = 0; i < box->count(); ++i) texts.push_back(box->itemText(i).toStdString());
    return texts;
  };
  EXPECT_EQ(items(w.cOutFormatB), (std::vector<std::string>{"8-bit", "16-bit"}));
  EXPECT_EQ(items(w.cOutFormatC), (std::vector<std::string>{"Mono", "Stereo"}));
  EXPECT_EQ(items(w.cOutType), (std::vector<std::string>{"WAV", "RAW", "FLAC", "Opus", "MP3"}));
  EXPECT_EQ(items(w.cStopAt), (std::vector<std::string>{"megabytes", "minutes", "hours"}));
  EXPECT_EQ(items(w.cWhenFinished), (std::vector<std::string>{"Do nothing", "Display alert",
                                                              "Start new recording", "Shutdown computer"}));
  EXPECT_EQ(w.cOutFormatB->currentIndex(), 1);
  EXPECT_EQ(w.cOutFormatC->currentIndex(), 1);
  EXPECT_EQ(w.cOutType->currentIndex(), 0);
  EXPECT_TRUE(w.cOutType->isEnabled());
  EXPECT_EQ(w.cStopAt->currentIndex(), 1);
  EXPECT_EQ(w.cWhenFinished->currentIndex(), 0);
  EXPECT_EQ(w.cOutHz->value(), 44100);
  EXPECT_EQ(w.seStopAt->value(), 5);
  EXPECT_EQ(w.seStopAt->minimum(), 1);
  EXPECT_EQ(w.seStopAt->maximum(), 999);
  EXPECT_FALSE(w.cbStart->isChecked());
  EXPECT_FALSE(w.cbStop->isChecked());
  EXPECT_TRUE(w.rbStopTime->isChecked());
  EXPECT_EQ(w.rbStopAt->text(), "  at");
  EXPECT_EQ(w.GroupBox1->title(), "Input Device");
  EXPECT_EQ(w.GroupBox2->title(), "Output");
  EXPECT_EQ(w.GroupBox3->title(), "Scheduler");
  EXPECT_EQ(Text(w.lMessage), "Orvimo 2.0");
  EXPECT_EQ(Hint(w.bSave), "Browse...");
  EXPECT_EQ(w.lMessage->palette().color(QPalette::Window), QColor(0, 0, 128));
  EXPECT_EQ(w.lRecorded->palette().color(QPalette::Window), QColor(128, 0, 0));
  EXPECT_EQ(w.lFree->palette().color(QPalette::Window), QColor(0, 128, 0));
  EXPECT_EQ(w.lFilename->palette().color(QPalette::Window), QColor(128, 128, 128));
  const TamborButtonCore& button = w.bRec->Core();
  EXPECT_EQ(button.NumGlyphs(), 2);
  EXPECT_EQ(button.ImageIndex_Hover(), 1);
  EXPECT_EQ(button.ImageIndex_Pressed(), 1);
  EXPECT_EQ(button.ColorDown(), 12);
  EXPECT_FALSE(button.Rounded());
  EXPECT_EQ(button.Glyph().Width(), 48);
}

TEST_F(MainWindowTest, TabVisitsTheControlsInTheirOrder) {
  Create();
  TfrmMain& w = *window;
  const std::vector<QWidget*> order{
      w.bRec,    w.cInputDevice, w.eOutfile, w.bSave,    w.cOutFormatB,  w.cOutFormatC, w.cOutType,
      w.cOutHz,  w.cbStart,      w.dtStart,  w.dtTStart, w.cbStop,       w.rbStopTime,  w.dtStop,
      w.dtTStop, w.rbStopAt,     w.seStopAt, w.cStopAt,  w.cWhenFinished};
  for (size_t i = 1; i < order.size(); ++i) {
    QWidget* next = order[i - 1]->nextInFocusChain();
    // Qt puts a compound widget's own parts (a spin box's line edit) and the widgets Tab never stops at
    // (labels, the group boxes) in the chain as well.
    while (next != order[i] && (order[i - 1]->isAncestorOf(next) || !(next->focusPolicy() & Qt::TabFocus)))
      next = next->nextInFocusChain();
    EXPECT_EQ(next, order[i]) << i;
  }
}

std::string AccessibleText(QObject* object, QAccessible::Text kind) {
  QCoreApplication::processEvents();  // the labels' readings follow from the event loop
  QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(object);
  return accessible ? accessible->text(kind).toStdString() : "(none)";
}

// What a screen reader reads: every control by its purpose, the status panel's labels with what they
// show, the record button by what its next left click does.
TEST_F(MainWindowTest, AssistiveTechnologyReadsEveryControlByItsPurpose) {
  Create();
  TfrmMain& w = *window;
  const std::vector<std::pair<QWidget*, std::string>> names{
      {&w, "Orvimo 2.0"},
      {w.bRec, "Record"},
      {w.vubox, "Level"},
      {w.cInputDevice, "Input device"},
      {w.eOutfile, "To File:"},
      {w.bSave, "Browse..."},
      {w.cOutFormatB, "Sample size"},
      {w.cOutFormatC, "Channels"},
      {w.cOutType, "File type"},
      {w.cOutHz, "Sample rate (Hz)"},
      {w.cbStart, "Start"},
      {w.dtStart, "Start date"},
      {w.dtTStart, "Start time"},
      {w.cbStop, "Stop"},
      {w.rbStopTime, "Stop at date and time"},
      {w.dtStop, "Stop date"},
      {w.dtTStop, "Stop time"},
      {w.rbStopAt, "Stop after an amount"},
      {w.seStopAt, "Stop after"},
      {w.cStopAt, "Unit"},
      {w.cWhenFinished, "When finished"},
      {w.lMessage, "Status: Orvimo 2.0"},
      {w.lRecorded, "Recorded: 00 : 00 : 00 (0 B)"},
  };
  for (const auto& [widget, name] : names) EXPECT_EQ(AccessibleText(widget, QAccessible::Name), name);
  EXPECT_EQ(QAccessible::queryAccessibleInterface(&w)->role(), QAccessible::Window);
  EXPECT_EQ(QAccessible::queryAccessibleInterface(w.vubox)->role(), QAccessible::ProgressBar);
  EXPECT_EQ(Hint(w.bRec), kRecordButtonHint);

  freeSpace.bytes = 882000;  // five seconds of the format
  window->SetOutfileText(Path("take.wav"));
  window->bRecClick();
  audio.SetLevel(16384, 0);
  for (int frame = 0; frame < 25; ++frame) window->vuTimerTimer();  // half a second
  window->bRecMouseDown(MouseButton::kRight);
  EXPECT_EQ(w.vubox->AccessibleValue(), 50);
  EXPECT_EQ(AccessibleText(w.lMessage, QAccessible::Name), "Status: PAUSED");
  EXPECT_EQ(AccessibleText(w.lFree, QAccessible::Name), "Free: 00 : 00 : 05 (861.32 KB)");
  EXPECT_EQ(AccessibleText(w.lFilename, QAccessible::Name), "File: " + Path("take.wav"));
  EXPECT_EQ(AccessibleText(w.bRec, QAccessible::Name), "Stop recording");
  EXPECT_EQ(AccessibleText(w.bRec, QAccessible::Description),
            "Paused. Resume: right click, Ctrl+P or Pause.");
  QAccessibleActionInterface* actions = QAccessible::queryAccessibleInterface(w.bRec)->actionInterface();
  ASSERT_NE(actions, nullptr);
  EXPECT_EQ(actions->actionNames().value(1), "Resume");
  actions->doAction("Resume");
  EXPECT_EQ(Message(), " Recording audio");
  actions->doAction(QAccessibleActionInterface::pressAction());
  EXPECT_FALSE(State().Recording);
  EXPECT_EQ(AccessibleText(w.bRec, QAccessible::Name), "Record");
}

// Ctrl+R does what a left click on the record button does, Ctrl+P and Pause what a right click does,
// wherever the focus is in the window; a start or a stop leaves the focus on the button.
TEST_F(MainWindowTest, ShortcutsDoWhatTheMouseDoesFromAnywhereInTheWindow) {
  CreateWithOutput();
  window->show();
  QApplication::setActiveWindow(window.get());
  ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
  TfrmMain& w = *window;
  const struct Case {
    QWidget* focus;
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    bool recording;
    bool paused;
  } cases[] = {
      {w.eOutfile, Qt::Key_R, Qt::ControlModifier, true, false},
      {w.bRec, Qt::Key_P, Qt::ControlModifier, true, true},
      {w.seStopAt, Qt::Key_Pause, Qt::NoModifier, true, false},
      {w.dtTStop, Qt::Key_R, Qt::ControlModifier, false, false},
      {w.cOutHz, Qt::Key_R, Qt::ControlModifier, true, false},
      {w.cWhenFinished, Qt::Key_P, Qt::ControlModifier, true, true},
      {w.rbStopAt, Qt::Key_R, Qt::ControlModifier, false, false},
      {w.bRec, Qt::Key_Space, Qt::NoModifier, true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.focus->objectName().toStdString() + " " +
                 QKeySequence(c.key | c.modifiers).toString().toStdString());
    if (c.focus->isEnabled()) c.focus->setFocus();
    QTest::keyClick(QApplication::focusWidget(), c.key, c.modifiers);
    EXPECT_EQ(State().Recording, c.recording);
    EXPECT_EQ(State().Paused, c.paused);
    if (c.key == Qt::Key_R) {
      EXPECT_EQ(QApplication::focusWidget(), w.bRec);
    }
  }
}

}  // namespace
}  // namespace orvimo::testing
