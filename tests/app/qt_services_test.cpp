// The real services behind the window: termination signals, the date/time pickers, the alert box, the
// window flasher and the free-space query.
#include <gtest/gtest.h>
#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <csignal>
#include <optional>
#include <utility>
#include <vector>

#include "app/qt/date_time_picker.h"
#include "app/qt/posix_free_space.h"
#include "app/qt/qt_dialogs.h"
#include "app/qt/qt_window_flasher.h"
#include "app/qt/termination_signals.h"

namespace orvimo {
namespace {

class ClosingWidget : public QWidget {
 public:
  int closes = 0;

 protected:
  void closeEvent(QCloseEvent* event) override {
    ++closes;
    QWidget::closeEvent(event);
  }
};

TEST(TerminationSignals, EachSignalClosesTheWindowFromTheEventLoop) {
  for (int signal : {SIGTERM, SIGINT, SIGHUP}) {
    ClosingWidget window;
    window.show();
    TerminationSignals termination([&window] { window.close(); });
    std::raise(signal);
    EXPECT_EQ(window.closes, 0) << "closed inside the signal handler";
    EXPECT_TRUE(QTest::qWaitFor([&] { return window.closes == 1; }, 2000)) << signal;
    EXPECT_FALSE(window.isVisible());
  }
}

TEST(DateTimePicker, DateAndTimeSettersKeepTheOtherPart) {
  TDateTimePicker date(TDateTimePicker::Kind::Date);
  date.SetValue(46362.9233564815);
  date.SetDate(46363.5);
  EXPECT_DOUBLE_EQ(date.Value(), 46363.9233564815);

  TDateTimePicker time(TDateTimePicker::Kind::Time);
  time.SetValue(46362.25);
  time.SetTime(46000.75);
  EXPECT_DOUBLE_EQ(time.Value(), 46362.75);
}

TEST(DateTimePicker, OnlyTheUsersEditsAreReportedAndTheyKeepTheHiddenPart) {
  TDateTimePicker time(TDateTimePicker::Kind::Time);
  int changes = 0;
  QObject::connect(&time, &TDateTimePicker::userChanged, [&] { ++changes; });
  time.SetValue(46362.9233564815);
  EXPECT_EQ(changes, 0);
  time.setDateTime(QDateTime(QDate(2026, 12, 6), QTime(20, 0, 0)));  // what an edit of the time does
  EXPECT_EQ(changes, 1);
  EXPECT_NEAR(time.Value(), 46362 + 20.0 / 24, 1e-9);

  TDateTimePicker date(TDateTimePicker::Kind::Date);
  QObject::connect(&date, &TDateTimePicker::userChanged, [&] { ++changes; });
  date.SetValue(46362.9233564815);
  date.setDate(QDate(2026, 12, 24));
  EXPECT_EQ(changes, 2);
  EXPECT_DOUBLE_EQ(date.Value(), 46380.9233564815);  // the exact time of day survives
}

TEST(QtDialogs, AlertReturnsAtOnceAndReportsItsClosing) {
  QtDialogs dialogs;
  bool closed = false;
  dialogs.ShowAlert("Your recording has finished as scheduled.", "Orvimo", [&] { closed = true; });
  QMessageBox* alert = nullptr;
  for (QWidget* widget : QApplication::topLevelWidgets())
    if (auto* box = qobject_cast<QMessageBox*>(widget); box && box->isVisible()) alert = box;
  ASSERT_NE(alert, nullptr);
  EXPECT_FALSE(alert->isModal());
  EXPECT_EQ(alert->parentWidget(), nullptr);
  EXPECT_TRUE(alert->windowFlags() & Qt::WindowStaysOnTopHint);
  EXPECT_EQ(alert->windowTitle(), "Orvimo");
  EXPECT_EQ(alert->icon(), QMessageBox::Information);
  EXPECT_FALSE(closed);
  alert->button(QMessageBox::Ok)->click();
  EXPECT_TRUE(closed);
}

// The save dialog lists the files of the name's own type; without a known extension, WAV's.
TEST(QtDialogs, SaveDialogListsTheFilesOfTheNamesType) {
  for (const auto& [name, filter] : {std::pair{"/tmp/take.flac", "FLAC files (*.flac)"},
                                     std::pair{"/tmp/Show.OPUS", "Opus files (*.opus)"},
                                     std::pair{"/tmp/take", "WAV files (*.wav)"}}) {
    QtDialogs dialogs;
    QString shown;
    QTimer::singleShot(0, [&shown] {
      auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
      if (dialog == nullptr) return;
      shown = dialog->selectedNameFilter();
      dialog->reject();
    });
    EXPECT_EQ(dialogs.AskSaveFileName(name), std::nullopt);
    EXPECT_EQ(shown, filter) << name;
  }
}

TEST(QtWindowFlasher, AsksForAttentionAsLongAsTheFlashesTake) {
  std::vector<int> durations;
  QtWindowFlasher flasher([&durations](QWidget*, int ms) { durations.push_back(ms); });
  flasher.FlashAppWindow(3);  // no window yet
  QWidget window;
  flasher.SetWindow(&window);
  flasher.FlashAppWindow(3);
  flasher.FlashAppWindow(10);
  ASSERT_EQ(durations.size(), 2u);
  EXPECT_GT(durations[0], 0);
  EXPECT_EQ(durations[1] * 3, durations[0] * 10);
}

TEST(PosixFreeSpace, AsksTheNearestExistingFolder) {
  QTemporaryDir folder;
  PosixFreeSpace freeSpace;
  const int64_t here = freeSpace.BytesFree(folder.path().toStdString());
  EXPECT_GT(here, 0);
  // A folder still to be made by date groups counts as the folder above it.
  EXPECT_GT(freeSpace.BytesFree(folder.path().toStdString() + "/[yyyy]/[mm]"), 0);
  EXPECT_GT(freeSpace.BytesFree(""), 0);
  EXPECT_GT(freeSpace.BytesFree("C:\\"), 0);  // a drive root names no folder here: the current one
}

}  // namespace
}  // namespace orvimo
