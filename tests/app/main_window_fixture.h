#pragma once

// A main window wired to fakes, in a temporary folder of its own. Time moves only when the test moves
// the fake clock, and ticks run only when the test calls TimerTimer.

#include <gtest/gtest.h>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTimer>

#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "app/qt/date_time_picker.h"
#include "app/qt/tfrm_main.h"
#include "app_fakes.h"
#include "support/fake_audio_library.h"

namespace orvimo::testing {

class MainWindowTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(folder.isValid()); }

  // args: what follows the program path on the command line.
  TfrmMain& Create(const std::string& args = "") {
    const std::string line = args.empty() ? "orvimo2" : "orvimo2 " + args;
    window = std::make_unique<TfrmMain>(AppServices{.audio = audio,
                                                    .clock = clock,
                                                    .freeSpace = freeSpace,
                                                    .dialogs = dialogs,
                                                    .flasher = realFlasher ? *realFlasher : flasher,
                                                    .shutdown = shutdown,
                                                    .sleepInhibitor = sleepInhibitor,
                                                    .settings = settings,
                                                    .placement = &placement,
                                                    .formatSettings = FormatSettings{},
                                                    .commandLine = line});
    return *window;
  }

  // Closes the window as a user would (which releases the audio library) and forgets what it showed.
  void Discard() {
    if (window) window->close();
    window.reset();
    dialogs.errors.clear();
    audio.ClearCalls();
  }

  // A window whose output template points into the test's folder.
  TfrmMain& CreateWithOutput(const std::string& templ = "take_[i].wav") {
    Create();
    window->SetOutfileText(Path(templ));
    return *window;
  }

  std::string Path(const std::string& name) const { return folder.path().toStdString() + "/" + name; }

  static std::vector<uint8_t> ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }

  static uint32_t U32At(const std::vector<uint8_t>& bytes, size_t offset) {
    return bytes[offset] | bytes[offset + 1] << 8 | bytes[offset + 2] << 16 |
           uint32_t{bytes[offset + 3]} << 24;
  }

  // As in real time, the writer thread has written what was delivered by the time the tick comes.
  void Tick() {
    window->Engine().Writer().WaitUntilIdle();
    window->TimerTimer(false);
  }
  RecordingState& State() { return window->State(); }
  std::string Message() const { return window->lMessage->text().toStdString(); }
  std::string Text(QLabel* label) const { return label->text().toStdString(); }
  std::string Hint(QWidget* widget) const { return widget->toolTip().toStdString(); }
  QColor MessageColor() const { return window->lMessage->palette().color(QPalette::Window); }
  size_t RecordStarts() const { return audio.CallsNamed("RecordStart").size(); }

  QTemporaryDir folder;
  capture::FakeAudioLibrary audio;
  FakeClock clock;
  FakeFreeSpace freeSpace;
  FakeDialogs dialogs;
  FakeFlasher flasher;
  WindowFlasher* realFlasher = nullptr;  // set before Create: used instead of the fake
  FakeShutdown shutdown;
  FakeSleepInhibitor sleepInhibitor;
  MemorySettings settings;
  FakePlacement placement;
  std::unique_ptr<TfrmMain> window;  // last, so it goes before the fakes it uses
};

}  // namespace orvimo::testing
