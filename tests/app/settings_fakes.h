#pragma once

// Test doubles for the settings store: an in-memory backend that records every call and can be told to
// fail, and a window whose placement and screen the test sets.

#include <map>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "app/settings_backend.h"
#include "app/window_placement.h"

namespace orvimo::testing {

class FakeSettingsBackend : public SettingsBackend {
 public:
  std::map<std::string, std::string> values;
  std::set<std::string> nonStringValues;  // names stored with a type other than text
  std::vector<std::string> calls;         // "open", "read <name>", "openWrite", "write <name>", "close"
  std::vector<std::pair<std::string, std::string>> writes;
  bool failCreate = false;
  std::string failWriteName;

  void OpenProgramKey() override { calls.push_back("open"); }
  std::optional<std::string> Read(const std::string& name) override {
    calls.push_back("read " + name);
    if (nonStringValues.count(name)) throw std::runtime_error("Invalid data type for '" + name + "'");
    auto found = values.find(name);
    if (found == values.end()) return std::nullopt;
    return found->second;
  }
  void OpenForWrite() override {
    calls.push_back("openWrite");
    if (failCreate) throw std::runtime_error("Failed to create key Software\\Orvimo2\\TfrmMain");
  }
  void Write(const std::string& name, const std::string& value) override {
    calls.push_back("write " + name);
    if (name == failWriteName) throw std::runtime_error("Failed to set data for '" + name + "'");
    writes.emplace_back(name, value);
    values[name] = value;
  }
  void Close() override { calls.push_back("close"); }
};

class FakeWindowPlacement : public WindowPlacementAccess {
 public:
  WindowPlacement placement{.left = 100, .top = 100, .right = 385, .bottom = 380};
  int pixelsPerInch = 96, screenWidth = 1920, screenHeight = 1080;
  bool minimized = false, positionDesigned = false, knowsPosition = true;
  std::vector<ScreenRect> screens, vitalParts;
  std::optional<WindowPlacement> applied;

  WindowPlacement Get() const override { return placement; }
  void Set(const WindowPlacement& newPlacement) override {
    applied = newPlacement;
    placement = newPlacement;
  }
  void SetPositionDesigned() override { positionDesigned = true; }
  int PixelsPerInch() const override { return pixelsPerInch; }
  int ScreenWidth() const override { return screenWidth; }
  int ScreenHeight() const override { return screenHeight; }
  bool ApplicationMinimized() const override { return minimized; }
  bool KnowsPosition() const override { return knowsPosition; }
  std::vector<ScreenRect> Screens() const override { return screens; }
  std::vector<ScreenRect> VitalParts() const override { return vitalParts; }
};

}  // namespace orvimo::testing
