#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <QWindow>
#include <cmath>

#include "app/qt/qt_window_placement.h"

namespace orvimo {
namespace {

// The client area is reported and set alike, whatever frame the platform draws (offscreen draws one).
TEST(QtWindowPlacementTest, ReportsAndMovesTheClientArea) {
  QWidget widget;
  widget.setFixedSize(285, 280);
  QWidget button(&widget);
  button.setGeometry(5, 5, 42, 40);
  widget.setGeometry(150, 120, 285, 280);
  widget.show();
  QtWindowPlacement placement(&widget, &button);

  WindowPlacement current = placement.Get();
  EXPECT_EQ(current.showCmd, 1);
  EXPECT_EQ((std::vector<int>{current.left, current.top, current.right, current.bottom}),
            (std::vector<int>{150, 120, 435, 400}));
  EXPECT_EQ((std::vector<int>{current.minX, current.minY, current.maxX, current.maxY}),
            (std::vector<int>{-1, -1, -1, -1}));
  const QMargins frame = widget.windowHandle()->frameMargins();
  const std::vector<ScreenRect> parts = placement.VitalParts();
  ASSERT_EQ(parts.size(), 2u);
  EXPECT_EQ((std::vector<int>{parts[0].left, parts[0].top, parts[0].right, parts[0].bottom}),
            (std::vector<int>{-frame.left(), -frame.top(), 285 + frame.right(), 0}))
      << "the title bar spans the frame above the client area";
  EXPECT_EQ((std::vector<int>{parts[1].left, parts[1].top, parts[1].right, parts[1].bottom}),
            (std::vector<int>{5, 5, 47, 45}));

  current.left = 300;
  current.top = 200;
  current.right = current.bottom = 0;  // the size is the window's own
  placement.SetPositionDesigned();
  placement.Set(current);

  EXPECT_EQ(widget.geometry(), QRect(300, 200, 285, 280));
  EXPECT_EQ(placement.Get().left, 300);
  EXPECT_TRUE(widget.testAttribute(Qt::WA_Moved));

  widget.showMinimized();
  EXPECT_EQ(placement.Get().showCmd, 2);
  EXPECT_TRUE(placement.ApplicationMinimized());
}

TEST(QtWindowPlacementTest, ScreenFigures) {
  QWidget widget;
  QtWindowPlacement placement(&widget);
  const QScreen* screen = QGuiApplication::primaryScreen();
  ASSERT_NE(screen, nullptr);

  EXPECT_EQ(placement.PixelsPerInch(), std::lround(screen->logicalDotsPerInch()));
  EXPECT_EQ(placement.ScreenWidth(), screen->size().width());
  EXPECT_EQ(placement.ScreenHeight(), screen->size().height());
  EXPECT_GT(placement.ScreenWidth(), 0);
  if (QGuiApplication::platformName() == "offscreen") {
    EXPECT_FALSE(placement.KnowsPosition()) << "a place on no screen anybody sees is not stored";
  }
}

}  // namespace
}  // namespace orvimo
