#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/settings_backend.h"
#include "app/window_placement.h"

namespace orvimo {

// How a stored property is written: Integer in decimal, Boolean as "True"/"False", Double with up to 15
// significant digits, Extended with up to 18.
enum class StoredKind { Integer, Boolean, Double, Extended };

struct StoredProperty {
  std::string name;  // "cOutFormatB_ItemIndex": control name, "_", property name
  StoredKind kind;
  std::function<double()> get;      // present value: an Integer's value, a Boolean as 0 or 1
  std::function<void(double)> set;  // sets the control; change handling runs as for a user's action
};

// Keeps the main window's position and a fixed list of control properties between runs. Restore runs
// at the first show, Save on close (or on destruction when nothing was saved yet); with Active off
// neither touches the store.
class TFormStorage {
 public:
  TFormStorage(SettingsBackend& backend, WindowPlacementAccess& window,
               std::vector<StoredProperty> properties);

  void SetActive(bool active);
  bool Active() const;
  // Throws the backend's failures; the restored flag then stays clear, so nothing is saved this run.
  void Restore();
  void Save(bool destroying = false);
  bool Restored() const;
  bool Saved() const;

  static constexpr int kVersion = 0;

 private:
  struct FoundRect {
    bool found = false;
    std::vector<std::optional<int>> numbers;  // four entries; nullopt where missing or malformed
  };

  int ReadInt(const std::string& name, int fallback);
  FoundRect ReadRect(const std::string& name);
  void RestorePlacement();
  void RestoreProperties();
  void RestoreProperty(const StoredProperty& property);
  void WritePlacement(bool destroying);
  void WritePositions(const WindowPlacement& placement);
  void WriteProperties();
  std::string ScreenSizedName(const std::string& name) const;

  SettingsBackend& backend_;
  WindowPlacementAccess& window_;
  std::vector<StoredProperty> properties_;
  bool active_ = true;
  bool restored_ = false;
  bool saved_ = false;
};

}  // namespace orvimo
