// The entry of the D-Bus tests: every bus the program under test opens as the system bus is the
// private one.
#include <gtest/gtest.h>

#include <QCoreApplication>

#include "mock_login_manager.h"

int main(int argc, char** argv) {
  QCoreApplication application(argc, argv);
  orvimo::testing::UsePrivateSystemBus();
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
