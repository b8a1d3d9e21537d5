// The window's controls: where they sit, what they say and the order the Tab key visits them.
#include <QGroupBox>
#include <QToolButton>

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
      {w.lMessage, {50, 5, 160, 14}},     {w.lFilename, {50, 21, 160, 14}},
      {w.lRecorded, {212, 5, 67, 14}},    {w.lFree, {212, 21, 67, 14}},
      {w.vubox, {50, 37, 229, 8}},        {w.GroupBox1, {0, 50, 285, 45}},
      {w.cInputDevice, {8, 17, 270, 21}}, {w.GroupBox2, {0, 95, 285, 67}},
      {w.eOutfile, {53, 14, 205, 21}},    {w.bSave, {258, 14, 22, 21}},
      {w.cOutFormatB, {8, 39, 59, 21}},   {w.cOutFormatC, {71, 39, 59, 21}},
      {w.cOutType, {134, 39, 59, 21}},    {w.cOutHz, {197, 39, 61, 21}},
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
  EXPECT_EQ(items(w.cOutType), (std::vector<std::string>{"WAV", "RAW"}));
  EXPECT_EQ(items(w.cStopAt), (std::vector<std::string>{"megabytes", "minutes", "hours"}));
  EXPECT_EQ(items(w.cWhenFinished), (std::vector<std::string>{"Do nothing", "Display alert",
                                                              "Start new recording", "Shutdown computer"}));
  EXPECT_EQ(w.cOutFormatB->currentIndex(), 1);
  EXPECT_EQ(w.cOutFormatC->currentIndex(), 1);
  EXPECT_EQ(w.cOutType->currentIndex(), 0);
  EXPECT_FALSE(w.cOutType->isEnabled());
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
  const std::vector<QWidget*> order{w.cInputDevice, w.eOutfile, w.cOutHz,        w.cOutType,   w.cOutFormatC,
                                    w.cOutFormatB,  w.cbStart,  w.cbStop,        w.dtStop,     w.dtStart,
                                    w.dtTStart,     w.dtTStop,  w.cWhenFinished, w.rbStopTime, w.rbStopAt,
                                    w.cStopAt,      w.seStopAt};
  for (size_t i = 1; i < order.size(); ++i) {
    QWidget* next = order[i - 1]->nextInFocusChain();
    // Qt puts a compound widget's own parts (a spin box's line edit) and the widgets Tab never stops at
    // (labels, the group boxes) in the chain as well.
    while (next != order[i] && (order[i - 1]->isAncestorOf(next) || !(next->focusPolicy() & Qt::TabFocus)))
      next = next->nextInFocusChain();
    EXPECT_EQ(next, order[i]) << i;
  }
}

}  // namespace
}  // namespace orvimo::testing
