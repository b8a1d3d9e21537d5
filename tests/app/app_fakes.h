#pragma once

// Test doubles for the main window's services: a clock moved by hand, a free-space figure set by the
// test, dialogs that record what they showed and answer at once, and in-memory settings and placement.

#include <functional>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "services/clock.h"
#include "app/dialogs.h"
#include "services/free_space.h"
#include "app/settings_backend.h"
#include "app/shutdown.h"
#include "app/sleep_inhibitor.h"
#include "app/window_flasher.h"
#include "app/window_placement.h"

namespace orvimo::testing {

class FakeClock : public Clock {
 public:
  TDateTime now = 46362.9233564815;  // 6 December 2026, 22:09:38
  TDateTime Now() override { return now; }
  void AdvanceSeconds(double seconds) { now += seconds / 86400.0; }
};

class FakeFreeSpace : public FreeSpace {
 public:
  int64_t bytes = int64_t{50} * 1024 * 1024 * 1024;
  std::string failure;  // not empty: the query throws this, as a disk that went away can
  std::vector<std::string> queriedPaths;
  int64_t BytesFree(const std::string& path) override {
    queriedPaths.push_back(path);
    if (!failure.empty()) throw std::runtime_error(failure);
    return bytes;
  }
};

class FakeDialogs : public Dialogs {
 public:
  std::vector<std::string> errors;
  std::vector<std::string> warnings;
  struct Alert {
    std::string text, title;
    std::function<void()> onClosed;
  };
  std::vector<Alert> alerts;
  std::optional<std::string> saveAnswer;
  std::function<void()> duringError;  // runs inside the "modal" error box, as ticks would

  void ShowError(const std::string& text) override {
    errors.push_back(text);
    if (duringError) duringError();
  }
  void ShowWarning(const std::string& text) override { warnings.push_back(text); }
  void ShowAlert(const std::string& text, const std::string& title, std::function<void()> onClosed) override {
    alerts.push_back({text, title, std::move(onClosed)});
  }
  std::optional<std::string> AskSaveFileName(const std::string&) override { return saveAnswer; }
};

class FakeFlasher : public WindowFlasher {
 public:
  std::vector<int> counts;
  void FlashAppWindow(int count) override { counts.push_back(count); }
};

class FakeShutdown : public Shutdown {
 public:
  std::vector<uint32_t> requests;
  bool ShutdownComputer(uint32_t flags) override {
    requests.push_back(flags);
    return false;
  }
};

// Keeps the reasons it was asked to hold sleep off for; refuses every lock when told to.
class FakeSleepInhibitor : public SleepInhibitor {
 public:
  bool refuse = false;
  std::vector<std::string> holds;  // every Hold's reason, refused ones too
  int releases = 0;
  std::optional<std::string> held;  // the reason of the lock held now
  bool Hold(const std::string& why) override {
    holds.push_back(why);
    if (refuse) return false;
    held = why;
    return true;
  }
  void Release() override {
    ++releases;
    held.reset();
  }
  std::string Failure() const override { return "no login manager"; }
};

class MemorySettings : public SettingsBackend {
 public:
  std::map<std::string, std::string> values;
  int opens = 0, writes = 0;
  bool readOnly = false;
  void OpenProgramKey() override { ++opens; }
  std::optional<std::string> Read(const std::string& name) override {
    auto found = values.find(name);
    if (found == values.end()) return std::nullopt;
    return found->second;
  }
  void OpenForWrite() override { ++opens; }
  void Write(const std::string& name, const std::string& value) override {
    if (readOnly) throw std::runtime_error("Failed to set data for '" + name + "'");
    ++writes;
    values[name] = value;
  }
  void Close() override {}
};

class FakePlacement : public WindowPlacementAccess {
 public:
  WindowPlacement placement{0, 1, -1, -1, -1, -1, 100, 100, 385, 380};
  WindowPlacement Get() const override { return placement; }
  void Set(const WindowPlacement& p) override { placement = p; }
  void SetPositionDesigned() override {}
  int PixelsPerInch() const override { return 96; }
  int ScreenWidth() const override { return 1920; }
  int ScreenHeight() const override { return 1080; }
  bool ApplicationMinimized() const override { return false; }
};

}  // namespace orvimo::testing
