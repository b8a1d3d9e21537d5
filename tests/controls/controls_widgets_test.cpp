#include <gtest/gtest.h>
#include <QAccessible>
#include <QApplication>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QSignalSpy>
#include <QTest>

#include "controls/qt/paint_box32.h"
#include "controls/qt/system_colors.h"
#include "controls/qt/tambor_button.h"
#include "controls/record_glyph.h"

namespace orvimo {
namespace {

const QColor kParentColour(0x33, 0x66, 0x99);

// The screen shows the buffer's colours; its alpha byte is not shown.
void ExpectImageShowsBuffer(const QImage& shown, const TBitmap32& buffer) {
  const QImage image = shown.convertToFormat(QImage::Format_ARGB32);
  ASSERT_EQ(image.width(), buffer.Width());
  ASSERT_EQ(image.height(), buffer.Height());
  int differing = 0;
  for (int y = 0; y < buffer.Height(); ++y)
    for (int x = 0; x < buffer.Width(); ++x) {
      const TColor32 expected = 0xFF000000 | buffer.Pixel(x, y);
      if (image.pixel(x, y) != expected && ++differing <= 5)
        ADD_FAILURE() << x << "," << y << ": " << std::hex << image.pixel(x, y) << " != " << expected;
    }
  EXPECT_EQ(differing, 0);
}

void ConfigureAsRecordButton(TamborButtonCore& core, const TBitmap32& glyph) {
  core.SetColorDown(12);
  core.SetRounded(false);
  core.SetGlyph(&glyph);
  core.SetNumGlyphs(2);
  core.SetImageIndex_Hover(1);
  core.SetImageIndex_Pressed(1);
}

void SendMouse(QWidget* w, QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons held) {
  QMouseEvent event(type, QPointF(at), QPointF(w->mapToGlobal(at)), button, held, Qt::NoModifier);
  QApplication::sendEvent(w, &event);
}

class WidgetTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetDitherSource({[](int) { return 0; }, nullptr});
    parent_.resize(120, 60);
    QPalette palette = parent_.palette();
    palette.setColor(QPalette::Window, kParentColour);
    parent_.setPalette(palette);
    parent_.setAutoFillBackground(true);
    button_ = new TTamborButton(&parent_);
    button_->setGeometry(5, 5, 42, 40);
    glyph_ = MakeRecordButtonGlyph();
    ConfigureAsRecordButton(button_->Core(), glyph_);
  }
  void TearDown() override { SetDitherSource({}); }

  TBitmap32 PureRendering(TamborButtonCore& core) {
    TBitmap32 buffer(42, 40);
    buffer.Clear(0xFF000000 | kParentColour.rgb());
    core.Paint(buffer, nullptr);
    return buffer;
  }

  QWidget parent_;
  TTamborButton* button_ = nullptr;
  TBitmap32 glyph_;
};

TEST_F(WidgetTest, ButtonShowsThePixelsThePureCodeDraws) {
  TamborButtonCore expected;
  expected.SetSize(42, 40);
  ConfigureAsRecordButton(expected, glyph_);
  EXPECT_EQ(button_->Core().CellWidth(), 24);
  ExpectImageShowsBuffer(button_->grab().toImage(), PureRendering(expected));

  expected.MouseEnter();
  expected.MouseDown(MouseButton::kLeft);
  button_->Core().MouseEnter();
  button_->Core().MouseDown(MouseButton::kLeft);
  ExpectImageShowsBuffer(button_->grab().toImage(), PureRendering(expected));

  button_->setEnabled(false);
  EXPECT_FALSE(button_->Core().Enabled());
  expected.SetEnabled(false);
  ExpectImageShowsBuffer(button_->grab().toImage(), PureRendering(expected));
}

TEST_F(WidgetTest, CaptionIsDrawnWithTheWidgetFontOnTheFace) {
  const TBitmap32 plain = button_->RenderBuffer();
  button_->Core().SetCaption("Rec");
  button_->Core().SetFontColor(0x000000FF);
  const TBitmap32& captioned = button_->RenderBuffer();
  const QFontMetrics metrics(button_->font());
  const int left = 21 - metrics.horizontalAdvance("Rec") / 2, top = 20 - metrics.height() / 2 - 1;
  int changed = 0;
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 42; ++x) {
      if (plain.Pixel(x, y) == captioned.Pixel(x, y)) continue;
      ++changed;
      EXPECT_GE(x, left - 1);
      EXPECT_LE(x, left + metrics.horizontalAdvance("Rec"));
      EXPECT_GE(y, top);
      EXPECT_LT(y, top + metrics.height());
    }
  EXPECT_GT(changed, 10);
}

TEST_F(WidgetTest, RightPressSignalsMouseDownButNoClick) {
  parent_.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&parent_));
  QSignalSpy downs(button_, &TTamborButton::mouseDown);
  QSignalSpy ups(button_, &TTamborButton::mouseUp);
  QSignalSpy clicks(button_, &TTamborButton::clicked);
  QTest::mouseClick(button_, Qt::RightButton, Qt::NoModifier, QPoint(20, 20));
  ASSERT_EQ(downs.count(), 1);
  EXPECT_EQ(downs.at(0).at(0).value<Qt::MouseButton>(), Qt::RightButton);
  EXPECT_EQ(ups.count(), 1);
  EXPECT_EQ(clicks.count(), 0);

  QTest::mouseClick(button_, Qt::LeftButton, Qt::NoModifier, QPoint(20, 20));
  EXPECT_EQ(clicks.count(), 1);
  EXPECT_EQ(downs.count(), 2);
}

// The keyboard and assistive technology reach the button: Tab gives it the focus (a click does not),
// Space and Enter press it as a left click does, its accessible actions are the press and the second
// action its owner names.
TEST_F(WidgetTest, KeysAndAccessibleActionsPressTheButtonAsTheMouseDoes) {
  EXPECT_EQ(button_->focusPolicy(), Qt::TabFocus);
  QSignalSpy clicks(button_, &TTamborButton::clicked);
  QSignalSpy seconds(button_, &TTamborButton::secondAction);
  const struct Key {
    int key;
    Qt::KeyboardModifiers modifiers;
    bool autoRepeat;
    int clicks;
  } keys[] = {{Qt::Key_Space, Qt::NoModifier, false, 1},      {Qt::Key_Return, Qt::NoModifier, false, 2},
              {Qt::Key_Enter, Qt::KeypadModifier, false, 3},  {Qt::Key_Space, Qt::NoModifier, true, 3},
              {Qt::Key_Space, Qt::ControlModifier, false, 3}, {Qt::Key_A, Qt::NoModifier, false, 3}};
  for (const Key& key : keys) {
    QKeyEvent event(QEvent::KeyPress, key.key, key.modifiers, QString(), key.autoRepeat);
    QApplication::sendEvent(button_, &event);
    EXPECT_EQ(clicks.count(), key.clicks) << key.key;
  }

  QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(button_);
  ASSERT_NE(accessible, nullptr);
  EXPECT_EQ(accessible->role(), QAccessible::PushButton);
  QAccessibleActionInterface* actions = accessible->actionInterface();
  ASSERT_NE(actions, nullptr);
  EXPECT_EQ(actions->actionNames().value(0), QAccessibleActionInterface::pressAction());
  button_->SetSecondActionName(QStringLiteral("Pause"));
  EXPECT_EQ(actions->actionNames().value(1), "Pause");
  actions->doAction(QAccessibleActionInterface::pressAction());
  EXPECT_EQ(clicks.count(), 4);
  actions->doAction(QStringLiteral("Pause"));
  EXPECT_EQ(seconds.count(), 1);
  button_->setEnabled(false);
  actions->doAction(QAccessibleActionInterface::pressAction());
  EXPECT_EQ(clicks.count(), 4);
}

// The focus shows as a dotted frame inside the bevels, clear of the glyph.
TEST_F(WidgetTest, TheFocusShowsAsADottedFrameInsideTheBevels) {
  parent_.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&parent_));
  button_->clearFocus();  // a shown window gives its first control the focus
  const TBitmap32 unfocused = button_->RenderBuffer();
  button_->setFocus();
  ASSERT_TRUE(button_->hasFocus());
  const TBitmap32& focused = button_->RenderBuffer();
  int marked = 0;
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 42; ++x) {
      if (unfocused.Pixel(x, y) == focused.Pixel(x, y)) continue;
      ++marked;
      const bool onFrame =
          ((x == 3 || x == 38) && y >= 3 && y <= 36) || ((y == 3 || y == 36) && x >= 3 && x <= 38);
      EXPECT_TRUE(onFrame) << x << "," << y;
    }
  EXPECT_GT(marked, 40);
}

TEST_F(WidgetTest, ClickArrivesBeforeTheToggleFlips) {
  button_->Core().SetToggle(true);
  bool down_during_click = true;
  int clicks = 0;
  QObject::connect(button_, &TTamborButton::clicked, [&] {
    ++clicks;
    down_during_click = button_->Core().Down();
  });
  SendMouse(button_, QEvent::MouseButtonPress, {20, 20}, Qt::LeftButton, Qt::LeftButton);
  SendMouse(button_, QEvent::MouseButtonRelease, {20, 20}, Qt::LeftButton, Qt::NoButton);
  EXPECT_EQ(clicks, 1);
  EXPECT_FALSE(down_during_click);
  EXPECT_TRUE(button_->Core().Down());
}

TEST_F(WidgetTest, DragOutAndReleaseOutsideNeitherClicksNorToggles) {
  button_->Core().SetToggle(true);
  QSignalSpy clicks(button_, &TTamborButton::clicked);
  QSignalSpy left(button_, &TTamborButton::mouseLeft);
  QSignalSpy entered(button_, &TTamborButton::mouseEntered);
  SendMouse(button_, QEvent::MouseButtonPress, {20, 20}, Qt::LeftButton, Qt::LeftButton);
  EXPECT_EQ(button_->Core().CurrentImage(), 1);
  SendMouse(button_, QEvent::MouseMove, {90, 20}, Qt::NoButton, Qt::LeftButton);
  EXPECT_EQ(left.count(), 1);
  EXPECT_FALSE(button_->Core().Hovered());
  EXPECT_EQ(button_->Core().CurrentImage(), 0);
  SendMouse(button_, QEvent::MouseMove, {20, 20}, Qt::NoButton, Qt::LeftButton);
  EXPECT_EQ(entered.count(), 1);
  EXPECT_EQ(button_->Core().CurrentImage(), 1);
  SendMouse(button_, QEvent::MouseMove, {-5, 20}, Qt::NoButton, Qt::LeftButton);
  SendMouse(button_, QEvent::MouseButtonRelease, {-5, 20}, Qt::LeftButton, Qt::NoButton);
  EXPECT_EQ(clicks.count(), 0);
  EXPECT_FALSE(button_->Core().Down());
  EXPECT_FALSE(button_->Core().Pressed());
}

class PaintCounter : public QObject {
 public:
  int paints = 0;
  bool eventFilter(QObject*, QEvent* event) override {
    paints += event->type() == QEvent::Paint;
    return false;
  }
};

TEST_F(WidgetTest, EveryCoreChangeRepaintsTheWidget) {
  parent_.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&parent_));
  PaintCounter counter;
  button_->installEventFilter(&counter);
  const std::function<void()> changes[] = {
      [&] { button_->Core().SetColorHover(40); },
      [&] { button_->Core().MouseEnter(); },
      [&] { button_->SetImageIndex_Normal(1); },
      [&] { button_->setEnabled(false); },
  };
  for (const auto& change : changes) {
    QCoreApplication::processEvents();
    counter.paints = 0;
    change();
    QCoreApplication::processEvents();
    EXPECT_GE(counter.paints, 1);
  }
}

TEST_F(WidgetTest, ImageIndexNormalIsTheRecordingSwitch) {
  button_->SetImageIndex_Normal(1);
  EXPECT_EQ(button_->ImageIndex_Normal(), 1);
  EXPECT_EQ(button_->Core().CurrentImage(), 1);
}

TEST(PaintBox32Test, ShowsItsBufferAsItIs) {
  TPaintBox32 box;
  box.resize(229, 8);
  TBitmap32& buffer = box.Buffer();
  ASSERT_EQ(buffer.Width(), 229);
  ASSERT_EQ(buffer.Height(), 8);
  buffer.Clear(0xFF000000);
  buffer.FillRectPlain({0, 0, 227, 4}, 0xFFFFFFFF);
  buffer.FillRectPlain({0, 4, 113, 8}, 0xFFFFBB1B);
  box.Flush();
  ExpectImageShowsBuffer(box.grab().toImage(), buffer);
}

TEST(PaintBox32Test, AssistiveTechnologyReadsItsValueAsALevel) {
  TPaintBox32 box;
  QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(&box);
  ASSERT_NE(accessible, nullptr);
  EXPECT_EQ(accessible->role(), QAccessible::ProgressBar);
  QAccessibleValueInterface* value = accessible->valueInterface();
  ASSERT_NE(value, nullptr);
  box.SetAccessibleValue(42);
  EXPECT_EQ(value->currentValue().toInt(), 42);
  EXPECT_EQ(value->minimumValue().toInt(), 0);
  EXPECT_EQ(value->maximumValue().toInt(), 100);
}

// The places each paint of a widget covered.
class PaintRecorder : public QObject {
 public:
  std::vector<QRegion> regions;
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint) regions.push_back(static_cast<QPaintEvent*>(event)->region());
    return false;
  }
};

TEST(PaintBox32Test, AFlushSendsOnlyThePixelsThatChanged) {
  TPaintBox32 box;
  box.resize(229, 8);
  box.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&box));
  TBitmap32& buffer = box.Buffer();
  buffer.Clear(0xFF000000);
  box.Flush();
  PaintRecorder painted;
  box.installEventFilter(&painted);
  buffer.FillRectPlain({10, 0, 30, 4}, 0xFFFFFFFF);
  buffer.SetPixel(200, 6, 0xFFFFBB1B);
  box.Flush();
  box.Flush();  // nothing changed since
  ASSERT_EQ(painted.regions.size(), 1u);
  EXPECT_EQ(painted.regions[0], QRegion(10, 0, 20, 4) + QRegion(200, 6, 1, 1));
  ExpectImageShowsBuffer(box.grab().toImage(), buffer);
}

TEST(SystemColorsTest, SystemColoursFollowTheApplicationPalette) {
  const QPalette saved = QApplication::palette();
  QPalette palette = saved;
  palette.setColor(QPalette::Button, QColor(10, 20, 30));
  palette.setColor(QPalette::WindowText, QColor(1, 2, 3));
  QApplication::setPalette(palette);
  InstallQtSystemColorTable();
  EXPECT_EQ(ToColor32(clBtnFace), 0xFF0A141Eu);
  EXPECT_EQ(ToColor32(clWindowText), 0xFF010203u);
  EXPECT_EQ(ToColor32(0xFF000017), 0xFF000000 | QApplication::palette().color(QPalette::ToolTipText).rgb());
  EXPECT_EQ(ToColor32(0xFF000019), 0xFFB5B5B5u);  // no palette role: the classic entry
  QApplication::setPalette(saved);
  SetSystemColorTable(nullptr);
}

}  // namespace
}  // namespace orvimo
