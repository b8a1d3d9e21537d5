#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <cmath>

#include "app/qt/qt_window_placement.h"

namespace orvimo {
namespace {

TEST(QtWindowPlacementTest, ReportsAndMovesTheWindow) {
  QWidget widget;
  widget.setFixedSize(285, 280);
  widget.move(150, 120);
  widget.show();
  QtWindowPlacement placement(&widget);

  WindowPlacement current = placement.Get();
  EXPECT_EQ(current.showCmd, 1);
  EXPECT_EQ(current.left, 150);
  EXPECT_EQ(current.top, 120);
  EXPECT_EQ(current.right - current.left, widget.frameGeometry().width());
  EXPECT_EQ(current.bottom - current.top, widget.frameGeometry().height());
  EXPECT_EQ((std::vector<int>{current.minX, current.minY, current.maxX, current.maxY}),
            (std::vector<int>{-1, -1, -1, -1}));

  current.left = 300;
  current.top = 200;
  current.right = current.bottom = 0;  // the size is the window's own
  placement.SetPositionDesigned();
  placement.Set(current);

  EXPECT_EQ(widget.pos(), QPoint(300, 200));
  EXPECT_EQ(widget.size(), QSize(285, 280));
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
}

}  // namespace
}  // namespace orvimo
